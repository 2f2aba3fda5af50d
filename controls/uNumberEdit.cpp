#include "uNumberEdit.h"

#include "floatEnv.h"
#include "numberText.h"

// placeholder until the full field lands
TNumberEdit::TNumberEdit(QWidget* parent) : QLineEdit(parent) {}
void TNumberEdit::SetValueType(TValueType value) {
    FValueType = value;
    setText(QString());
}
void TNumberEdit::SetDecimal(std::int32_t value) { FDecimal = value; }
long double TNumberEdit::Value() const {
    if (text().isEmpty())
        return 0;
    if (FValueType == vtFloat)
        return TextToNumberOr(text().toStdString(), FMinValue);
    return TextToIntOr(text().toStdString(), static_cast<std::int32_t>(TruncToInt(FMinValue)));
}
void TNumberEdit::SetValue(long double value) {
    if (FValueType == vtFloat)
        setText(QString::fromStdString(FixedToText(value, FDecimal)));
    else
        setText(QString::fromStdString(IntToText(RoundToInt(value))));
}
std::int32_t TNumberEdit::AsInteger() const { return static_cast<std::int32_t>(TruncToInt(Value())); }
