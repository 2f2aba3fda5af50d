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
#include <vector>

namespace {

// Every case runs with both separators; in texts '#' stands for the current one and '~'
// for the other.
class NumberEditTest : public ::testing::TestWithParam<char> {
protected:
    void SetUp() override {
        SetDecimalSeparator(GetParam());
        setBeepHook([this] { ++beeps; });
    }
    void TearDown() override {
        setBeepHook({});
        SetDecimalSeparator('.');
    }

    QString sep(const char* pattern) const {
        QString result = QString::fromUtf8(pattern);
        const QChar other = GetParam() == '.' ? QChar(',') : QChar('.');
        return result.replace('#', QChar(GetParam())).replace('~', other);
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

struct TypingCase {
    const char* name;
    TValueType type;
    const char* text;
    int cursor; // -1: at the end
    int selected;
    const char* typed;
    const char* expected;
    int beeps;
    int keyPresses;
};

TEST_P(NumberEditTest, KeyFilterOnTypedCharacters) {
    const TypingCase cases[] = {
        {"separator typed again", vtFloat, "1#5", -1, 0, "#", "1#5", 1, 0},
        {"separator typed over the selected separator", vtFloat, "1#5", 1, 1, "#", "1#5", 1, 0},
        {"first separator", vtFloat, "12", -1, 0, "#", "12#", 0, 1},
        {"the other separator", vtFloat, "12", -1, 0, "~", "12", 1, 0},
        {"exponent letter typed again", vtFloat, "2e3", -1, 0, "Ee", "2e3", 2, 0},
        {"minus at the start", vtFloat, "2e3", 0, 0, "-", "-2e3", 0, 1},
        {"minus after the exponent", vtFloat, "2e3", 2, 0, "-", "2e-3", 0, 1},
        {"minus at the end", vtFloat, "2e3", -1, 0, "-", "2e3-", 0, 1},
        {"exponent letter first", vtFloat, "", -1, 0, "E5", "E5", 0, 2},
        {"float refuses hex digits and space", vtFloat, "1", -1, 0, "abcdfF x", "1", 8, 0},
        {"integer refuses exponent, separators, hex", vtInteger, "7", -1, 0, "Ee#~ABCDFabcdf", "7",
         14, 0},
        {"integer takes signs anywhere", vtInteger, "", -1, 0, "1-2+-", "1-2+-", 0, 5},
        {"integer takes every digit", vtInteger, "", -1, 0, "0123456789", "0123456789", 0, 10},
        {"digit replaces the selection", vtInteger, "123", 0, 3, "9", "9", 0, 1},
        {"hex takes digits of either case and signs", vtHex, "", -1, 0, "09afAF-+", "09afAF-+", 0,
         8},
        {"hex refuses other letters, prefixes, separators", vtHex, "1", -1, 0, "gGxX$#~ ", "1", 8,
         0},
    };
    for (const TypingCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto edit = field(c.type, c.text);
        edit->setSelection(c.cursor < 0 ? edit->text().size() : c.cursor, c.selected);
        QTest::keyClicks(edit.get(), sep(c.typed));
        EXPECT_EQ(edit->text(), sep(c.expected));
        EXPECT_EQ(beeps, c.beeps);
        EXPECT_EQ(keyPresses, c.keyPresses);
    }
}

struct KeyCase {
    const char* name;
    const char* text;
    std::vector<QKeyCombination> keys;
    const char* expected;
    int keyPresses;
};

// Keys without text and control characters pass untouched in every type.
TEST_P(NumberEditTest, ControlKeysPass) {
    const KeyCase cases[] = {
        {"backspace", "1#5", {Qt::Key_Backspace}, "1#", 1},
        {"home, right, delete", "1#5", {Qt::Key_Home, Qt::Key_Right, Qt::Key_Delete}, "15", 0},
        {"escape and return", "1#5", {Qt::Key_Escape, Qt::Key_Return}, "1#5", 2},
        {"select all, cut, paste twice",
         "1#5",
         {Qt::CTRL | Qt::Key_A, Qt::CTRL | Qt::Key_X, Qt::CTRL | Qt::Key_V, Qt::CTRL | Qt::Key_V},
         "1#51#5",
         0},
    };
    for (TValueType type : {vtInteger, vtFloat, vtHex}) {
        for (const KeyCase& c : cases) {
            SCOPED_TRACE(c.name);
            auto edit = field(type, c.text);
            for (QKeyCombination key : c.keys)
                QTest::keyClick(edit.get(), key.key(), key.keyboardModifiers());
            EXPECT_EQ(edit->text(), sep(c.expected));
            EXPECT_EQ(beeps, 0);
            EXPECT_EQ(keyPresses, c.keyPresses);
        }
    }
}

// X11 gives the Delete key the text DEL.
TEST_P(NumberEditTest, DeleteKeyTypingDelPasses) {
    auto edit = field(vtInteger, "12");
    edit->setCursorPosition(0);
    QTest::sendKeyEvent(QTest::Click, edit.get(), Qt::Key_Delete, QString(QChar(127)),
                        Qt::NoModifier);
    EXPECT_EQ(edit->text(), "2");
    EXPECT_EQ(beeps, 0);
}

// Ctrl makes a shortcut, which inserts nothing; with Alt, Meta or AltGr the character counts.
TEST_P(NumberEditTest, ModifiedKeys) {
    const struct {
        const char* name;
        Qt::KeyboardModifiers modifiers;
        int beeps;
    } cases[] = {
        {"alt", Qt::AltModifier, 1},
        {"control", Qt::ControlModifier, 0},
        {"meta", Qt::MetaModifier, 1},
        {"altgr as control and alt", Qt::ControlModifier | Qt::AltModifier, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto edit = field(vtFloat, "1");
        QTest::sendKeyEvent(QTest::Click, edit.get(), Qt::Key_G, QString("g"), c.modifiers);
        EXPECT_EQ(edit->text(), "1");
        EXPECT_EQ(beeps, c.beeps);
        EXPECT_EQ(keyPresses, 0);
    }
}

TEST_P(NumberEditTest, KeyTextsBeyondAscii) {
    const struct {
        const char* name;
        QString typed;
        const char* expected;
        int beeps;
        int keyPresses;
    } cases[] = {
        {"accented letter", QString::fromUtf8("é"), "1", 1, 0},
        {"arabic-indic digit", QString::fromUtf8("٣"), "1", 1, 0},
        {"character outside the basic plane", QString::fromUtf8("😀"), "1", 1, 0},
        {"lone surrogate", QString(QChar(0xD800)), "1", 1, 0},
        {"two characters in one event", sep("2#"), "12#", 0, 2},
        {"second separator in one event", sep("##"), "1#", 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto edit = field(vtFloat, "1");
        QTest::sendKeyEvent(QTest::Click, edit.get(), Qt::Key_unknown, c.typed, Qt::NoModifier);
        EXPECT_EQ(edit->text(), sep(c.expected));
        EXPECT_EQ(beeps, c.beeps);
        EXPECT_EQ(keyPresses, c.keyPresses);
    }
}

TEST_P(NumberEditTest, InputMethodCommitsAreFiltered) {
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
        if (key == '1')
            key = 'x';
        else if (key == '2')
            key = QChar();
    });
    QTest::keyClicks(edit.get(), "123");
    EXPECT_EQ(edit->text(), "x3");
    EXPECT_EQ(beeps, 0);
}

TEST_P(NumberEditTest, PastedTextIsTakenAsItIs) {
    QGuiApplication::clipboard()->setText("abc");
    auto edit = field(vtInteger, "", 7.9L);
    edit->paste();
    EXPECT_EQ(edit->text(), "abc");
    EXPECT_EQ(edit->Value(), 7);
    EXPECT_EQ(beeps, 0);
}

struct WriteCase {
    const char* name;
    TValueType type;
    std::int32_t decimal;
    long double minValue, maxValue, value;
    const char* expected;
};

TEST_P(NumberEditTest, WritingTheValue) {
    const WriteCase cases[] = {
        {"hex 255", vtHex, 0, 0, 0, 255, "FF"},
        {"hex -1 as 64-bit two's complement", vtHex, 0, 0, 0, -1, "FFFFFFFFFFFFFFFF"},
        {"hex rounds halves to even", vtHex, 0, 0, 0, 2.5L, "2"},
        {"integer 2.5", vtInteger, 0, 0, 0, 2.5L, "2"},
        {"integer 3.5", vtInteger, 0, 0, 0, 3.5L, "4"},
        {"integer -2.5", vtInteger, 0, 0, 0, -2.5L, "-2"},
        {"integer beyond 32 bits", vtInteger, 0, 0, 0, 3E9L, "3000000000"},
        {"float 2.5 rounds away from zero", vtFloat, 0, 0, 0, 2.5L, "3"},
        {"float 0.4", vtFloat, 0, 0, 0, 0.4L, "0"},
        {"float -0.4", vtFloat, 0, 0, 0, -0.4L, "0"},
        {"float 1E20", vtFloat, 0, 0, 0, 1E20L, "1E20"},
        {"float two places", vtFloat, 2, 0, 0, 1, "1#00"},
        {"float above 18 places", vtFloat, 25, 0, 0, 1, "1#000000000000000000"},
        {"negative places as none", vtFloat, -3, 0, 0, 2.5L, "3"},
        {"below the lower limit", vtInteger, 0, 1, 10, 0, "1"},
        {"above the upper limit", vtInteger, 0, 1, 10, 11, "10"},
        {"within the limits", vtFloat, 1, 0.5L, 1.5L, 1.25L, "1#3"},
        {"equal limits do not limit", vtInteger, 0, 7, 7, -300, "-300"},
        {"crossed limits, below the lower", vtInteger, 0, 5, 1, 3, "5"},
        {"crossed limits, above the lower", vtInteger, 0, 5, 1, 7, "1"},
    };
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto edit = field(c.type, "", c.minValue, c.maxValue, c.decimal);
        edit->SetValue(c.value);
        EXPECT_EQ(edit->text(), sep(c.expected));
    }
}

struct ReadCase {
    const char* name;
    TValueType type;
    long double minValue;
    const char* text;
    long double value; // NaN: the last bit is the parser's business
    std::int32_t asInteger;
};

TEST_P(NumberEditTest, ReadingTheValue) {
    const ReadCase cases[] = {
        {"hex lower case", vtHex, 0, "ff", 255, 255},
        {"hex 32-bit two's complement", vtHex, 0, "FFFFFFFF", -1, -1},
        {"hex beyond 32 bits", vtHex, 3, "FFFFFFFFFFFFFFFF", 3, 3},
        {"hex with a sign", vtHex, 3, "-1", 3, 3},
        {"hex with a prefix", vtHex, 3, "$1F", 3, 3},
        {"integer beyond 32 bits", vtInteger, -2.9L, "3000000000", -2, -2},
        {"integer with sign and zeros", vtInteger, 0, "+007", 7, 7},
        {"integer with a leading space", vtInteger, 0, " 12", 12, 12},
        {"integer with a trailing space", vtInteger, 9.9L, "12 ", 9, 9},
        {"integer in hex form", vtInteger, 0, "$1F", 31, 31},
        {"integer fallback keeps the low 32 bits", vtInteger, 4294967301.0L, "x", 5, 5},
        {"integer outside the limits", vtInteger, 1, "50", 50, 50},
        {"float with the separator", vtFloat, 0, "-2#5", -2.5L, -2},
        {"float with the other separator", vtFloat, 3, "1~5", 3, 3},
        {"float with exponent", vtFloat, 0, "2e3", 2000, 2000},
        {"float 2.9 truncated", vtFloat, 0, "2#9", NAN, 2},
        {"float -2.9 truncated", vtFloat, 0, "-2#9", NAN, -2},
        {"float 1E10, low 32 bits", vtFloat, 0, "1E10", 1E10L, 1410065408},
        {"float unparsable", vtFloat, 2.5L, "abc", 2.5L, 2},
        {"empty float", vtFloat, 5, "", 0, 0},
        {"empty integer", vtInteger, 5, "", 0, 0},
        {"empty hex", vtHex, 5, "", 0, 0},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto edit = field(c.type, c.text, c.minValue);
        if (!std::isnan(c.value)) {
            EXPECT_EQ(edit->Value(), c.value);
        }
        EXPECT_EQ(edit->AsInteger(), c.asInteger);
    }
}

TEST_P(NumberEditTest, TypedTextIsReadWithoutLimits) {
    auto edit = field(vtInteger, "", 1, 10);
    QTest::keyClicks(edit.get(), "50");
    EXPECT_EQ(edit->Value(), 50);
}

TEST_P(NumberEditTest, OutOfRangeIntegersRaiseAndKeepTheText) {
    auto integer = field(vtInteger, "5");
    EXPECT_THROW(integer->SetValue(1E19L), EInvalidOp);
    EXPECT_THROW(integer->SetValue(NAN), EInvalidOp);
    auto hex = field(vtHex, "A");
    EXPECT_THROW(hex->SetValue(-1E19L), EInvalidOp);
    auto limited = field(vtInteger, "5", 1E19L, 1E20L);
    EXPECT_THROW(limited->SetValue(0), EInvalidOp);
    EXPECT_THROW(limited->Value(), EInvalidOp);
    EXPECT_EQ(integer->text(), "5");
    EXPECT_EQ(hex->text(), "A");
    EXPECT_EQ(limited->text(), "5");

    limited->setText("");
    EXPECT_EQ(limited->Value(), 0);
    auto large = field(vtFloat, "x", 1E30L);
    EXPECT_EQ(large->Value(), 1E30L);
    EXPECT_THROW(large->AsInteger(), EInvalidOp);
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
    empty->setText(sep("1#5"));
    empty->SetDecimal(-4);
    EXPECT_EQ(empty->Decimal(), 0);
    EXPECT_EQ(empty->text(), "2");
}

TEST_P(NumberEditTest, TextChangesOnlyWhenItDiffers) {
    auto edit = field(vtInteger, "5");
    QSignalSpy changes(edit.get(), &QLineEdit::textChanged);
    edit->setCursorPosition(0);
    edit->SetValue(5);
    EXPECT_EQ(edit->cursorPosition(), 0);
    edit->SetValueType(vtInteger);
    edit->SetValueType(vtInteger);
    EXPECT_EQ(edit->text(), "");
    EXPECT_EQ(changes.count(), 1);
}

TEST_P(NumberEditTest, StoredLayoutOfTheMainWindow) {
    const struct {
        TNumberEditLayout layout;
        const char* expected;
    } cases[] = {
        {{"1", vtFloat, 0, 0, 0, 1}, "1"},        {{"10", vtFloat, 0, 0, 0, 10}, "10"},
        {{"3", vtInteger, 0, 0, 0, 3}, "3"},      {{"300", vtInteger, 0, 0, 0, 300}, "300"},
        {{"stale", vtFloat, 2, 0, 0, 1}, "1#00"},
    };
    for (const auto& c : cases) {
        TNumberEdit edit;
        edit.LoadLayout(c.layout);
        EXPECT_EQ(edit.text(), sep(c.expected));
        EXPECT_EQ(edit.ValueType(), c.layout.ValueType);
    }
}

// Any pasted text reads without an error: integer types give a 32-bit integer, and
// AsInteger raises only for a value beyond the 64-bit range.
TEST_P(NumberEditTest, AnyPastedTextReads) {
    std::mt19937 random(20240611u + GetParam());
    const QString alphabet = sep("0123456789+-#~eExX$ aAfFgG\t");
    auto randomText = [&] {
        QString text;
        const int length = static_cast<int>(random() % 14);
        for (int i = 0; i < length; ++i) {
            switch (random() % 4) {
            case 0:
                text += QChar(static_cast<char16_t>(random() % 0x10000)); // surrogates too
                break;
            case 1:
                text += QChar(static_cast<char16_t>(random() % 256));
                break;
            default:
                text += alphabet.at(random() % alphabet.size());
            }
        }
        return text;
    };
    for (TValueType type : {vtInteger, vtFloat, vtHex}) {
        auto edit = field(type);
        for (int i = 0; i < 3000; ++i) {
            const QString text = randomText();
            // Equal limits: the write-back below must not be limited.
            const long double minValue = static_cast<long double>(random()) / 7 - 3e8L;
            edit->SetMinValue(minValue);
            edit->SetMaxValue(minValue);
            if (i % 10 == 0) {
                edit->clear();
                QGuiApplication::clipboard()->setText(text);
                edit->paste();
            } else {
                edit->setText(text);
            }
            long double value = 0;
            ASSERT_NO_THROW(value = edit->Value()) << text.toStdString();
            if (type == vtFloat) {
                if (!(std::fabs(value) < 0x1p63L))
                    EXPECT_THROW(edit->AsInteger(), EInvalidOp);
                else
                    EXPECT_NO_THROW(edit->AsInteger());
                continue;
            }
            ASSERT_EQ(value, static_cast<std::int32_t>(value)) << text.toStdString();
            // Integer texts survive a write of their own value.
            if (type == vtInteger || value >= 0) {
                edit->SetValue(value);
                EXPECT_EQ(edit->Value(), value) << text.toStdString();
            }
        }
    }
    EXPECT_EQ(beeps, 0);
}

} // namespace
