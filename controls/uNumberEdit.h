#pragma once

#include "floatEnv.h"

#include <QLineEdit>
#include <QString>

#include <cstdint>
#include <functional>

class QInputMethodEvent;
class QKeyEvent;

enum TValueType : unsigned char { vtInteger, vtFloat, vtHex };

// Raised for every typed character that the field lets through; the handler may replace
// the character, or set it to null so that nothing is inserted.
using TKeyPressEvent = std::function<void(QObject* Sender, QChar& Key)>;

struct TNumberEditLayout;

// A single-line edit whose text holds one number. The text is the only store of the
// value; typed characters that cannot belong to a number of the chosen type are refused
// with the exclamation sound, pasted text and text the program writes are taken as they are.
class TNumberEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TNumberEdit(QWidget* parent = nullptr);

    TValueType ValueType() const { return FValueType; }
    // Empties the text, also when the type stays the same.
    void SetValueType(TValueType value);
    std::int32_t Decimal() const { return FDecimal; }
    // Re-formats the text when the number of places changes; negative counts as 0.
    void SetDecimal(std::int32_t value);
    Extended MinValue() const { return FMinValue; }
    void SetMinValue(Extended value) { FMinValue = value; }
    Extended MaxValue() const { return FMaxValue; }
    void SetMaxValue(Extended value) { FMaxValue = value; }

    // 0 for an empty text, the fallback for one that does not parse; EInvalidOp only for
    // an integer type whose MinValue lies outside the 64-bit range.
    Extended Value() const;
    // Limits x and writes it in the field's format; EInvalidOp (text kept) when an
    // integer type gets a value outside the 64-bit range.
    void SetValue(Extended x);
    // The value truncated toward zero, low 32 bits.
    std::int32_t AsInteger() const;

    // x kept within MinValue..MaxValue; equal limits mean no limits.
    Extended LimitValue(Extended x) const;
    // Whether a typed character may enter the current text.
    bool CharAllowed(char32_t key) const;

    const TKeyPressEvent& OnKeyPress() const { return FOnKeyPress; }
    void SetOnKeyPress(TKeyPressEvent handler) { FOnKeyPress = std::move(handler); }

    // Applies a stored layout: the text first, then the field's own properties.
    void LoadLayout(const TNumberEditLayout& layout);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    // What the base edit does with a typed character after the filter passed it.
    void typeCharacter(QKeyEvent* event, char32_t key);
    // False when the handler swallowed the character; it may also replace it.
    bool raiseKeyPress(QChar& key);
    void replaceText(const QString& newText);
    std::int32_t integerFallback() const;

    TValueType FValueType = vtInteger;
    std::int32_t FDecimal = 0;
    Extended FMaxValue = 0;
    Extended FMinValue = 0;
    TKeyPressEvent FOnKeyPress;
};

// The field's stored properties, applied in this order.
struct TNumberEditLayout {
    QString Text;
    TValueType ValueType = vtInteger;
    std::int32_t Decimal = 0;
    Extended MinValue = 0;
    Extended MaxValue = 0;
    Extended Value = 0;
};
