#include "uNumberEdit.h"

#include "beep.h"
#include "floatEnv.h"
#include "numberText.h"

#include <QInputMethodEvent>
#include <QKeyEvent>

#include <string>
#include <vector>

namespace {

// The code points of a typed text; a lone surrogate stays a code point of its own, so that
// it is refused like any other stray character.
std::vector<char32_t> codePoints(const QString& text) {
    std::vector<char32_t> result;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar unit = text.at(i);
        if (unit.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            result.push_back(QChar::surrogateToUcs4(unit, text.at(i + 1)));
            ++i;
        } else {
            result.push_back(unit.unicode());
        }
    }
    return result;
}

bool isDigitOrSign(char32_t key) {
    return (key >= '0' && key <= '9') || key == '+' || key == '-';
}

// Control characters never reach the number: backspace, enter, escape and the like keep
// their usual meaning. DEL counts among them, as the Delete key types it on some systems.
bool isControl(char32_t key) {
    return key < 32 || key == 127;
}

// Ctrl makes a shortcut, which the edit never inserts as text; Ctrl+Alt is AltGr on some
// systems and does type characters, and so do Alt and Meta in the edit.
bool isShortcut(Qt::KeyboardModifiers modifiers) {
    return modifiers.testFlag(Qt::ControlModifier) && !modifiers.testFlag(Qt::AltModifier);
}

bool charAllowedIn(TValueType valueType, const QString& current, char32_t key) {
    if (isControl(key) || isDigitOrSign(key)) return true;
    switch (valueType) {
    case vtFloat: {
        const char32_t separator = static_cast<unsigned char>(DecimalSeparator());
        if (key == separator && !current.contains(QChar(separator))) return true;
        return (key == 'E' || key == 'e') && !current.toUpper().contains(QLatin1Char('E'));
    }
    case vtHex:
        return (key >= 'A' && key <= 'F') || (key >= 'a' && key <= 'f');
    default:
        return false;
    }
}

} // namespace

TNumberEdit::TNumberEdit(QWidget* parent) : QLineEdit(parent) {}

void TNumberEdit::SetValueType(TValueType value) {
    FValueType = value;
    replaceText(QString());
}

void TNumberEdit::SetDecimal(std::int32_t value) {
    if (value < 0) value = 0;
    if (value == FDecimal) return;
    FDecimal = value;
    SetValue(Value());
}

std::int32_t TNumberEdit::integerFallback() const {
    // Only the low 32 bits count; the conversion is modular since C++20.
    return static_cast<std::int32_t>(TruncToInt(FMinValue));
}

Extended TNumberEdit::Value() const {
    const QString current = text();
    if (current.isEmpty()) return 0;
    switch (FValueType) {
    case vtFloat:
        return TextToNumberOr(current.toStdString(), FMinValue);
    case vtHex: {
        const std::int32_t fallback = integerFallback();
        return TextToIntOr("$" + current.toStdString(), fallback);
    }
    default: {
        const std::int32_t fallback = integerFallback();
        return TextToIntOr(current.toStdString(), fallback);
    }
    }
}

void TNumberEdit::SetValue(Extended x) {
    const Extended value = LimitValue(x);
    std::string newText;
    switch (FValueType) {
    case vtFloat:
        newText = FixedToText(value, FDecimal);
        break;
    case vtHex:
        newText = IntToHexText(RoundToInt(value), 1);
        break;
    default:
        newText = IntToText(RoundToInt(value));
        break;
    }
    replaceText(QString::fromStdString(newText));
}

std::int32_t TNumberEdit::AsInteger() const {
    return static_cast<std::int32_t>(TruncToInt(Value()));
}

Extended TNumberEdit::LimitValue(Extended x) const {
    if (FMinValue == FMaxValue) return x;
    if (x < FMinValue) return FMinValue;
    if (x <= FMaxValue) return x;
    return FMaxValue;
}

bool TNumberEdit::CharAllowed(char32_t key) const {
    return charAllowedIn(FValueType, text(), key);
}

void TNumberEdit::LoadLayout(const TNumberEditLayout& layout) {
    replaceText(layout.Text);
    SetValueType(layout.ValueType);
    SetDecimal(layout.Decimal);
    SetMinValue(layout.MinValue);
    SetMaxValue(layout.MaxValue);
    SetValue(layout.Value);
}

void TNumberEdit::replaceText(const QString& newText) {
    // An unchanged text keeps its caret, selection and undo history, and raises no change.
    if (text() != newText) setText(newText);
}

bool TNumberEdit::raiseKeyPress(QChar& key) {
    if (FOnKeyPress) FOnKeyPress(this, key);
    return !key.isNull();
}

void TNumberEdit::keyPressEvent(QKeyEvent* event) {
    if (event->text().isEmpty() || isShortcut(event->modifiers())) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const std::vector<char32_t> keys = codePoints(event->text());
    if (keys.size() == 1) {
        typeCharacter(event, keys.front());
        return;
    }
    // Several characters at once: each is filtered against the text the previous ones left.
    for (const char32_t key : keys) {
        QKeyEvent single(QEvent::KeyPress, Qt::Key_unknown, event->modifiers(),
                         QString::fromUcs4(&key, 1));
        typeCharacter(&single, key);
    }
    event->accept();
}

void TNumberEdit::typeCharacter(QKeyEvent* event, char32_t key) {
    if (!CharAllowed(key)) {
        messageBeepExclamation();
        event->accept();
        return;
    }
    // Every allowed character is a single UTF-16 unit: ASCII or a control character.
    const QChar typed(static_cast<char16_t>(key));
    QChar replaced = typed;
    if (!raiseKeyPress(replaced)) {
        event->accept();
        return;
    }
    if (replaced == typed) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    QKeyEvent substitute(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(replaced));
    QLineEdit::keyPressEvent(&substitute);
    event->setAccepted(substitute.isAccepted());
}

void TNumberEdit::inputMethodEvent(QInputMethodEvent* event) {
    // An input method commits typed text without key presses; it is filtered the same way.
    const QString commit = event->commitString();
    if (commit.isEmpty()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    QString kept;
    for (const char32_t key : codePoints(commit)) {
        if (!charAllowedIn(FValueType, text() + kept, key)) {
            messageBeepExclamation();
            continue;
        }
        QChar typed(static_cast<char16_t>(key));
        if (raiseKeyPress(typed)) kept += typed;
    }
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(kept, event->replacementStart(), event->replacementLength());
    QLineEdit::inputMethodEvent(&filtered);
    event->setAccepted(filtered.isAccepted());
}
