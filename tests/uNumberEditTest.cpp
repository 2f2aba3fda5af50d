#include "uNumberEdit.h"

#include "beep.h"
#include "errors.h"
#include "numberText.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <tuple>
#include <utility>

namespace {

// Every case runs with both separators; in texts '#' stands for the current one and '~'
// for the other.
class NumberEditTest : public ::testing::TestWithParam<char> {
protected:
    void SetUp() override {
        SetDecimalSeparator(GetParam());
        setBeepHook([this] { ++beeps; });
    }
    void TearDown() override { setBeepHook({}); }

    QString sep(QString text) const {
        const QChar other = GetParam() == '.' ? QChar(',') : QChar('.');
        return text.replace('#', QChar(GetParam())).replace('~', other);
    }

    std::unique_ptr<TNumberEdit> field(TValueType type, const char* text = "",
                                       long double minValue = 0, long double maxValue = 0,
                                       std::int32_t decimal = 0) {
        auto edit = std::make_unique<TNumberEdit>();
        edit->SetValueType(type);
        edit->SetDecimal(decimal);
        edit->SetMinValue(minValue);
        edit->SetMaxValue(maxValue);
        edit->setText(sep(text));
        edit->SetOnKeyPress([this, target = edit.get()](QObject* sender, QChar&) {
            EXPECT_EQ(sender, target);
            ++keyPresses;
        });
        edit->show();
        beeps = keyPresses = 0;
        return edit;
    }

    int beeps = 0;
    int keyPresses = 0;
};

INSTANTIATE_TEST_SUITE_P(Separators, NumberEditTest, ::testing::Values('.', ','),
                         [](const auto& info) { return info.param == '.' ? "point" : "comma"; });

// Control characters (backspace, escape, return, DEL from the Delete key) pass in every type.
TEST_P(NumberEditTest, KeyFilterOnTypedCharacters) {
    // name, type, text, cursor (-1: at the end), selected, typed, text after, beeps, key presses
    const std::tuple<const char*, TValueType, const char*, int, int, const char*, const char*, int,
                     int>
        cases[] = {
            {"separator typed again", vtFloat, "1#5", -1, 0, "#", "1#5", 1, 0},
            {"separator over the selected separator", vtFloat, "1#5", 1, 1, "#", "1#5", 1, 0},
            {"first separator", vtFloat, "12", -1, 0, "#", "12#", 0, 1},
            {"the other separator", vtFloat, "12", -1, 0, "~", "12", 1, 0},
            {"exponent letter typed again", vtFloat, "2e3", -1, 0, "Ee", "2e3", 2, 0},
            {"minus at the start", vtFloat, "2e3", 0, 0, "-", "-2e3", 0, 1},
            {"minus after the exponent", vtFloat, "2e3", 2, 0, "-", "2e-3", 0, 1},
            {"exponent letter first", vtFloat, "", -1, 0, "E5", "E5", 0, 2},
            {"float refuses hex, space", vtFloat, "1", -1, 0, "abcdfF x\b", "", 8, 1},
            {"integer refuses E, #, hex", vtInteger, "7", -1, 0, "Ee#~ABCDFabcdf\b", "", 14, 1},
            {"integer digits, signs", vtInteger, "", -1, 0, "-0123456789+", "-0123456789+", 0, 12},
            {"escape, return, backspace", vtInteger, "12", -1, 0, "\x1b\r\b", "1", 0, 3},
            {"DEL from the Delete key", vtInteger, "12", 0, 0, "\x7f", "2", 0, 1},
            {"hex digits, signs", vtHex, "", -1, 0, "09afAF-+", "09afAF-+", 0, 8},
            {"hex refuses g, x, $, #", vtHex, "1", -1, 0, "gGxX$#~ \b", "", 8, 1},
        };
    for (const auto& [name, type, text, cursor, selected, typed, expected, wantBeeps,
                      wantKeyPresses] : cases) {
        SCOPED_TRACE(name);
        auto edit = field(type, text);
        edit->setSelection(cursor < 0 ? edit->text().size() : cursor, selected);
        for (const QChar key : sep(typed)) {
            if (key == QChar(127)) // the Delete key types it on X11
                QTest::sendKeyEvent(QTest::Click, edit.get(), Qt::Key_Delete, key, Qt::NoModifier);
            else
                QTest::keyClick(edit.get(), key.toLatin1());
        }
        EXPECT_EQ(edit->text(), sep(expected));
        EXPECT_EQ(beeps, wantBeeps);
        EXPECT_EQ(keyPresses, wantKeyPresses);
    }
}

// Texts that other keyboards and input methods send with a key: Ctrl makes a shortcut, which
// inserts nothing; with Alt, Meta or AltGr the character counts.
TEST_P(NumberEditTest, KeyTextsAndModifiers) {
    // name, text of the key event, modifiers, text after, beeps, key presses
    const std::tuple<const char*, QString, Qt::KeyboardModifiers, const char*, int, int> cases[] = {
        {"alt", "g", Qt::AltModifier, "1", 1, 0},
        {"control", "g", Qt::ControlModifier, "1", 0, 0},
        {"altgr as control and alt", "g", Qt::ControlModifier | Qt::AltModifier, "1", 1, 0},
        {"accented letter", QString::fromUtf8("é"), Qt::NoModifier, "1", 1, 0},
        {"arabic-indic digit", QString::fromUtf8("٣"), Qt::NoModifier, "1", 1, 0},
        {"outside the basic plane", QString::fromUtf8("😀"), Qt::NoModifier, "1", 1, 0},
        {"lone surrogate", QString(QChar(0xD800)), Qt::NoModifier, "1", 1, 0},
        {"two characters in one event", "2#", Qt::NoModifier, "12#", 0, 2},
        {"second separator in one event", "##", Qt::NoModifier, "1#", 1, 1},
    };
    for (const auto& [name, typed, modifiers, expected, wantBeeps, wantKeyPresses] : cases) {
        SCOPED_TRACE(name);
        auto edit = field(vtFloat, "1");
        QTest::sendKeyEvent(QTest::Click, edit.get(), Qt::Key_G, sep(typed), modifiers);
        EXPECT_EQ(edit->text(), sep(expected));
        EXPECT_EQ(beeps, wantBeeps);
        EXPECT_EQ(keyPresses, wantKeyPresses);
    }
    auto edit = field(vtInteger, "1");
    QInputMethodEvent commit;
    commit.setCommitString(sep("2x#3"));
    QApplication::sendEvent(edit.get(), &commit);
    EXPECT_EQ(edit->text(), "123");
    EXPECT_EQ(beeps, 2);
    EXPECT_EQ(keyPresses, 2);
}

TEST_P(NumberEditTest, KeyPressHandlerMayReplaceOrSwallow) {
    auto edit = field(vtInteger);
    edit->SetOnKeyPress([](QObject*, QChar& key) {
        if (key == '1') key = 'x';
        if (key == '2') key = QChar();
    });
    QTest::keyClicks(edit.get(), "123");
    EXPECT_EQ(edit->text(), "x3");
}

// Neither typed nor pasted text is limited, and pasted text is not filtered either; keys
// without text and shortcuts pass untouched.
TEST_P(NumberEditTest, TypedAndPastedTextsAreReadAsTheyAre) {
    QGuiApplication::clipboard()->setText("abc");
    auto edit = field(vtInteger, "", 1.9L, 10);
    QTest::keyClicks(edit.get(), "50");
    EXPECT_EQ(edit->Value(), 50);
    for (QKeyCombination key : {QKeyCombination(Qt::Key_Home), QKeyCombination(Qt::Key_Delete),
                                QKeyCombination(Qt::Key_End), Qt::CTRL | Qt::Key_V})
        QTest::keyClick(edit.get(), key.key(), key.keyboardModifiers());
    EXPECT_EQ(edit->text(), "0abc");
    EXPECT_EQ(edit->Value(), 1);
    EXPECT_EQ(beeps, 0);
    EXPECT_EQ(keyPresses, 2);
}

TEST_P(NumberEditTest, WritingTheValue) {
    // name, type, decimal, MinValue, MaxValue, value written, text
    const std::tuple<const char*, TValueType, std::int32_t, long double, long double, long double,
                     const char*>
        cases[] = {
            {"hex 255", vtHex, 0, 0, 0, 255, "FF"},
            {"hex -1 as 64-bit two's complement", vtHex, 0, 0, 0, -1, "FFFFFFFFFFFFFFFF"},
            {"integer 2.5", vtInteger, 0, 0, 0, 2.5L, "2"},
            {"integer 3.5", vtInteger, 0, 0, 0, 3.5L, "4"},
            {"integer -2.5", vtInteger, 0, 0, 0, -2.5L, "-2"},
            {"integer beyond 32 bits", vtInteger, 0, 0, 0, 3E9L, "3000000000"},
            {"float 2.5 rounds away from zero", vtFloat, 0, 0, 0, 2.5L, "3"},
            {"float 0.4", vtFloat, 0, 0, 0, 0.4L, "0"},
            {"float -0.4", vtFloat, 0, 0, 0, -0.4L, "0"},
            {"float 1E20", vtFloat, 0, 0, 0, 1E20L, "1E20"},
            {"float two places", vtFloat, 2, 0, 0, 1, "1#00"},
            {"below the lower limit", vtInteger, 0, 1, 10, 0, "1"},
            {"above the upper limit", vtInteger, 0, 1, 10, 11, "10"},
            {"equal limits do not limit", vtInteger, 0, 7, 7, -300, "-300"},
            {"crossed limits, below the lower", vtInteger, 0, 5, 1, 3, "5"},
            {"crossed limits, above the lower", vtInteger, 0, 5, 1, 7, "1"},
        };
    for (const auto& [name, type, decimal, minValue, maxValue, value, expected] : cases) {
        SCOPED_TRACE(name);
        auto edit = field(type, "", minValue, maxValue, decimal);
        edit->SetValue(value);
        EXPECT_EQ(edit->text(), sep(expected));
    }
}

TEST_P(NumberEditTest, ReadingTheValue) {
    // name, type, MinValue, text, Value, AsInteger
    const std::tuple<const char*, TValueType, long double, const char*, long double, std::int32_t>
        cases[] = {
            {"hex lower case", vtHex, 0, "ff", 255, 255},
            {"hex 32-bit two's complement", vtHex, 0, "FFFFFFFF", -1, -1},
            {"hex beyond 32 bits", vtHex, 3, "FFFFFFFFFFFFFFFF", 3, 3},
            {"hex with a sign", vtHex, 3, "-1", 3, 3},
            {"integer beyond 32 bits", vtInteger, -2.9L, "3000000000", -2, -2},
            {"integer with sign and zeros", vtInteger, 0, "+007", 7, 7},
            {"integer in hex form", vtInteger, 0, "$1F", 31, 31},
            {"integer fallback keeps the low 32 bits", vtInteger, 4294967301.0L, "x", 5, 5},
            {"float with the separator", vtFloat, 0, "-2#5", -2.5L, -2},
            {"float with the other separator", vtFloat, 3, "1~5", 3, 3},
            {"float 2.9 truncated", vtFloat, 0, "2#9", 2.9L, 2},
            {"float -2.9 truncated", vtFloat, 0, "-2#9", -2.9L, -2},
            {"float 1E10, low 32 bits", vtFloat, 0, "1E10", 1E10L, 1410065408},
            {"float unparsable", vtFloat, 2.5L, "abc", 2.5L, 2},
            {"empty float", vtFloat, 5, "", 0, 0},
            {"empty integer", vtInteger, 5, "", 0, 0},
        };
    for (const auto& [name, type, minValue, text, value, asInteger] : cases) {
        SCOPED_TRACE(name);
        auto edit = field(type, text, minValue);
        EXPECT_EQ(edit->Value(), value);
        EXPECT_EQ(edit->AsInteger(), asInteger);
    }
}

TEST_P(NumberEditTest, BeyondTheInt64RangeRaisesAndKeepsTheText) {
    auto integer = field(vtInteger, "5");
    EXPECT_THROW(integer->SetValue(1E19L), EInvalidOp);
    EXPECT_EQ(integer->text(), "5");
    auto hex = field(vtHex, "A");
    EXPECT_THROW(hex->SetValue(-1E19L), EInvalidOp);
    EXPECT_EQ(hex->text(), "A");
    // A lower limit out there makes every write and every read raise.
    auto limited = field(vtInteger, "5", 1E19L, 1E20L);
    EXPECT_THROW(limited->SetValue(0), EInvalidOp);
    EXPECT_THROW(limited->Value(), EInvalidOp);
    EXPECT_EQ(limited->text(), "5");
    EXPECT_THROW(field(vtFloat, "x", 1E30L)->AsInteger(), EInvalidOp);
}

TEST_P(NumberEditTest, WritingDecimalReformatsOnlyOnChange) {
    auto unchanged = field(vtFloat, "abc", 0, 0, 2);
    unchanged->SetDecimal(2);
    EXPECT_EQ(unchanged->text(), "abc");
    auto integer = field(vtInteger, "+007");
    integer->SetDecimal(3);
    EXPECT_EQ(integer->text(), "7");
    auto empty = field(vtFloat);
    empty->SetDecimal(2);
    EXPECT_EQ(empty->text(), sep("0#00"));
}

TEST_P(NumberEditTest, TextChangesOnlyWhenItDiffers) {
    auto edit = field(vtInteger, "5");
    QSignalSpy changes(edit.get(), &QLineEdit::textChanged);
    edit->setCursorPosition(0);
    edit->SetValue(5);
    EXPECT_EQ(edit->cursorPosition(), 0);
    edit->SetValueType(vtInteger); // the same type still empties the text
    edit->SetValueType(vtInteger);
    EXPECT_EQ(edit->text(), "");
    EXPECT_EQ(changes.count(), 1);
}

TEST_P(NumberEditTest, StoredLayoutOfTheMainWindow) {
    const std::pair<TNumberEditLayout, const char*> cases[] = {
        {{"1", vtFloat, 0, 0, 0, 1}, "1"},        {{"10", vtFloat, 0, 0, 0, 10}, "10"},
        {{"3", vtInteger, 0, 0, 0, 3}, "3"},      {{"300", vtInteger, 0, 0, 0, 300}, "300"},
        {{"stale", vtFloat, 2, 0, 0, 1}, "1#00"},
    };
    for (const auto& [layout, expected] : cases) {
        TNumberEdit edit;
        edit.LoadLayout(layout);
        EXPECT_EQ(edit.text(), sep(expected));
    }
}

// Any text reads without an error: integer types give a 32-bit integer that survives a
// write of its own value, and AsInteger raises only for a value beyond the 64-bit range.
TEST_P(NumberEditTest, AnyTextReads) {
    std::mt19937 random(20240611u + GetParam());
    const QString alphabet = sep("0123456789+-#~eExX$ aAfFgG\t");
    for (TValueType type : {vtInteger, vtFloat, vtHex}) {
        auto edit = field(type, "", -3.5L, -3.5L); // equal limits: write-backs stay unlimited
        for (int i = 0; i < 3000; ++i) {
            QString text; // surrogates and control characters too
            for (int n = static_cast<int>(random() % 14); n > 0; --n)
                text += random() % 4 ? alphabet.at(random() % alphabet.size())
                                     : QChar(static_cast<char16_t>(random() % 0x10000));
            edit->setText(text);
            Extended value = 0;
            ASSERT_NO_THROW(value = edit->Value()) << text.toStdString();
            if (type == vtFloat) {
                if (value < 0x1p63 && -value < 0x1p63)
                    EXPECT_NO_THROW(edit->AsInteger()) << text.toStdString();
                else
                    EXPECT_THROW(edit->AsInteger(), EInvalidOp) << text.toStdString();
            } else {
                ASSERT_EQ(value, static_cast<std::int32_t>(TruncToInt(value)))
                    << text.toStdString();
                if (type == vtHex && value < 0) continue; // written as 16 digits
                edit->SetValue(value);
                EXPECT_EQ(edit->Value(), value) << text.toStdString();
            }
        }
    }
}

} // namespace
