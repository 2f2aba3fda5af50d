#pragma once

#include <QLineEdit>

#include <cstdint>

enum TValueType : unsigned char { vtInteger, vtFloat, vtHex };

// A single-line edit whose text holds one number.
class TNumberEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TNumberEdit(QWidget* parent = nullptr);

    TValueType ValueType() const { return FValueType; }
    void SetValueType(TValueType value);
    std::int32_t Decimal() const { return FDecimal; }
    void SetDecimal(std::int32_t value);
    long double MinValue() const { return FMinValue; }
    void SetMinValue(long double value) { FMinValue = value; }
    long double MaxValue() const { return FMaxValue; }
    void SetMaxValue(long double value) { FMaxValue = value; }

    long double Value() const;
    void SetValue(long double value);
    std::int32_t AsInteger() const;

private:
    TValueType FValueType = vtInteger;
    std::int32_t FDecimal = 0;
    long double FMaxValue = 0;
    long double FMinValue = 0;
};
