#include "numberText.h"
#include "errors.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>

namespace {

constexpr long double kInf = std::numeric_limits<long double>::infinity();
constexpr long double kNaN = std::numeric_limits<long double>::quiet_NaN();

class NumberText : public ::testing::Test {
protected:
    void SetUp() override { SetDecimalSeparator('.'); }
    void TearDown() override { SetDecimalSeparator('.'); }
};

struct ToTextCase {
    long double x;
    const char* text;
};

TEST_F(NumberText, GeneralForm) {
    const ToTextCase cases[] = {
        {0, "0"},
        {1, "1"},
        {-1.5L, "-1.5"},
        {0.5L, "0.5"},
        {0.0001L, "0.0001"},
        {0.00001L, "1E-5"},
        {1.0L / 3, "0.333333333333333"},
        {2.0L / 3, "0.666666666666667"},
        {123456789012345.0L, "123456789012345"},
        {1e15L, "1E15"},
        {999999999999999.9L, "1E15"},
        {1.5e300L, "1.5E300"},
        {-0.0L, "0"},
        {1e14L, "100000000000000"},
        {-0.00012345L, "-0.00012345"},
        {0.00099999999999999999L, "0.001"}, // rounding lifts it out of the exponent form
        {-1e-10L, "-1E-10"},
        // 18 digits first, then 15: ...54999960 becomes ...55 and then rounds up.
        {0.12345678901234549996L, "0.123456789012346"},
        {LDBL_MAX, "1.18973149535723E4932"},
        {-LDBL_MIN, "-3.36210314311209E-4932"},
        {LDBL_MIN / 2, "0"}, // below the normal range
        {-kInf, "-INF"},
        {-kNaN, "NAN"},
    };
    for (const ToTextCase& c : cases)
        EXPECT_EQ(NumberToText(c.x), c.text);
}

struct FixedCase {
    long double x;
    std::int32_t decimals;
    const char* text;
};

TEST_F(NumberText, FixedForm) {
    const FixedCase cases[] = {
        {1, 0, "1"},
        {1, 2, "1.00"},
        {2.5L, 0, "3"},
        {-0.5L, 0, "-1"},
        {-0.4L, 0, "0"},
        {0.125L, 2, "0.13"},
        {0.004L, 2, "0.00"},
        {123.456L, 1, "123.5"},
        {1e20L, 0, "1E20"},
        {1e20L, 3, "1E020"},
        {1e20L, 5, "1E20"},
        {1.005L, 2, "1.01"}, // 1.00499999999999999996 is 1.005 at 18 digits
        {-0.006L, 2, "-0.01"},
        {-0.0L, 2, "0.00"},
        {-LDBL_MIN / 4, 1, "0.0"},
        {99.95L, 1, "100.0"},
        {0.000123L, 5, "0.00012"},
        {123456789012345.6L, 2, "123456789012346.00"},
        {999999999999999.9L, 0, "1E15"},
        {5e-19L, 18, "0.000000000000000001"},
        // Past 18 places: the digits rounded for all the places asked, cut after 18.
        {1.2345678999e-10L, 30, "0.000000000123456789"},
        {0.5L, INT32_MAX, "0.500000000000000000"},
        {1234, -2, "1234"}, // a negative count counts as 0
        {2.5L, INT32_MIN, "3"},
        {kNaN, 2, "NAN"},
    };
    for (const FixedCase& c : cases)
        EXPECT_EQ(FixedToText(c.x, c.decimals), c.text) << "decimals " << c.decimals;
}

struct ParseCase {
    const char* text;
    long double value;
};

TEST_F(NumberText, ParseAccepts) {
    const ParseCase cases[] = {
        {"  1.5  ", 1.5L},
        {".", 0},
        {"5.", 5},
        {".5", 0.5L},
        {"1E", 1},
        {"1e+3", 1000},
        {"1E500", 1e500L},
        {"1E000000000500", 1e500L}, // leading zeros keep the exponent below 500
        {"-1.25e-2", -0.0125L},
        {"+.5", 0.5L},
        {"0.1", 0.1L},
        {"1e4932", 1e4932L},
        {"1E-4999", 0}, // underflow is no failure
        {"0E4999", 0},  // zero stays zero at any scale
    };
    for (const ParseCase& c : cases)
        EXPECT_EQ(TextToNumber(c.text), c.value) << "'" << c.text << "'";
}

TEST_F(NumberText, ParseRejects) {
    const char* const cases[] = {
        "1E5000", "+",     "",      "1 000", "\t1",  "INF", "NAN",    "-",       " ",
        "E5",     "1E5 x", "1e+-3", "1.2.3", "0x10", "1,5", "1E4933", "-1E4999", "1.5\n",
    };
    for (const char* text : cases) {
        EXPECT_EQ(TextToNumberOr(text, -7), -7) << "'" << text << "'";
        EXPECT_THROW(TextToNumber(text), EConvertError) << "'" << text << "'";
    }
}

TEST_F(NumberText, HugeTexts) {
    EXPECT_EQ(TextToNumberOr(std::string(1000000, '1'), -1), -1); // overflows
    EXPECT_EQ(TextToNumberOr("0." + std::string(1000000, '0') + "1", -1), 0);
    EXPECT_EQ(TextToNumber("0." + std::string(1000000, '3')), 1.0L / 3);
    EXPECT_EQ(TextToNumber("1." + std::string(20000, '0') + "1"), 1);
    EXPECT_EQ(TextToNumber("0." + std::string(4500, '0') + "1E4600"), 1e99L);
    EXPECT_EQ(TextToNumber("1E" + std::string(1000000, '0') + "1"), 10);
    // Exactly halfway between 1 and its successor goes to even; anything past the half,
    // however far out, goes up.
    const std::string half = "1.0000000000000000000542101086242752217003726400434970855712890625";
    EXPECT_EQ(TextToNumber(half), 1);
    EXPECT_EQ(TextToNumber(half + std::string(30000, '0') + "1"), 1 + 0x1p-63L);
}

TEST_F(NumberText, CommaSeparator) {
    SetDecimalSeparator(',');
    EXPECT_EQ(NumberToText(0.5L), "0,5");
    EXPECT_EQ(NumberToText(1.5e300L), "1,5E300");
    EXPECT_EQ(FixedToText(1, 2), "1,00");
    EXPECT_EQ(TextToNumber(" -1,25E1 "), -12.5L);
    try {
        TextToNumber("0.5");
        FAIL() << "'0.5' parsed";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'0.5' is not a valid floating point value");
    }
}

// The toolkit installs the user's C locale at start-up; no text may follow it.
TEST_F(NumberText, IndependentOfTheCLocale) {
    if (std::setlocale(LC_ALL, "cs_CZ.UTF-8") == nullptr)
        FAIL() << "locale cs_CZ.UTF-8 is missing; create it with "
                  "'localedef -i cs_CZ -f UTF-8 cs_CZ.UTF-8'";
    const std::string point = std::localeconv()->decimal_point;
    const std::string general = NumberToText(1.0L / 3);
    const std::string exponent = NumberToText(-1.5e-300L);
    const std::string fixed = FixedToText(2.25L, 3);
    const long double parsed = TextToNumberOr("1.5", -1);
    const long double rejected = TextToNumberOr("1,5", -1);
    std::setlocale(LC_ALL, "C");

    EXPECT_EQ(point, ",");
    EXPECT_EQ(general, "0.333333333333333");
    EXPECT_EQ(exponent, "-1.5E-300");
    EXPECT_EQ(fixed, "2.250");
    EXPECT_EQ(parsed, 1.5L);
    EXPECT_EQ(rejected, -1);
}

constexpr std::int32_t kFails = 424242; // the fallback

struct IntParseCase {
    const char* text;
    std::int32_t value;
};

TEST_F(NumberText, IntParse) {
    const IntParseCase cases[] = {
        {" 12", 12},
        {"12 ", kFails},
        {"-2147483648", INT32_MIN},
        {"2147483648", kFails},
        {"-2147483649", kFails},
        {"99999999999999999999", kFails},
        {"$1F", 31},
        {"x1f", 31},
        {"0X1F", 31},
        {"-$10", -16},
        {"$FFFFFFFF", -1},
        {"-$80000000", INT32_MIN},
        {"$00000000001F", 31}, // leading zeros are free
        {"$100000000", kFails},
        {"--1", kFails},
        {"", kFails},
        {"+", kFails},
        {"0x", kFails},
        {"$1G", kFails},
        {"- 1", kFails},
        {"+5", 5},
    };
    for (const IntParseCase& c : cases)
        EXPECT_EQ(TextToIntOr(c.text, kFails), c.value) << "'" << c.text << "'";
}

TEST_F(NumberText, IntegerTexts) {
    EXPECT_EQ(IntToText(-42), "-42");
    EXPECT_EQ(IntToText(INT64_MIN), "-9223372036854775808");

    struct HexCase {
        std::int64_t v;
        std::int32_t minDigits;
        const char* text;
    };
    const HexCase cases[] = {
        {255, 1, "FF"},
        {255, 4, "00FF"},
        {-1, 1, "FFFFFFFFFFFFFFFF"},
        {0, 1, "0"},
        {0, 0, "0"},
        {255, 33, "FF"},
        {255, -5, "FF"},
        {1, 32, "00000000000000000000000000000001"},
    };
    for (const HexCase& c : cases)
        EXPECT_EQ(IntToHexText(c.v, c.minDigits), c.text);
}

// Random texts never throw from the quiet parsers, and the throwing parser agrees.
TEST_F(NumberText, RandomTexts) {
    const std::string alphabet = " +-0123456789.,eE$xXaF\t";
    std::mt19937 rng(20240607);
    for (int i = 0; i < 20000; ++i) {
        std::string text(rng() % 12, ' ');
        for (char& c : text)
            c = alphabet[rng() % alphabet.size()];
        SetDecimalSeparator(i % 2 ? ',' : '.');
        long double quiet = 0;
        ASSERT_NO_THROW(quiet = TextToNumberOr(text, kNaN)) << "'" << text << "'";
        ASSERT_NO_THROW(TextToIntOr(text, 0)) << "'" << text << "'";
        if (std::isnan(quiet))
            EXPECT_THROW(TextToNumber(text), EConvertError) << "'" << text << "'";
        else
            EXPECT_EQ(TextToNumber(text), quiet) << "'" << text << "'";
    }
}

// A text read back and written again is the same text, across the whole range.
TEST_F(NumberText, RoundTripsAreStable) {
    std::mt19937_64 rng(77);
    for (int i = 0; i < 20000; ++i) {
        long double x;
        if (i % 2) {
            // Any normal extended value whose text does not fall below the normal range.
            const std::uint64_t mantissa = rng() | (1ull << 63);
            const auto signExponent =
                static_cast<std::uint16_t>((rng() % 0x7FFD + 2) | (rng() % 2 ? 0x8000u : 0u));
            unsigned char bytes[sizeof(long double)] = {};
            std::memcpy(bytes, &mantissa, 8);
            std::memcpy(bytes + 8, &signExponent, 2);
            std::memcpy(&x, bytes, sizeof x);
        } else {
            x = std::ldexp(static_cast<long double>(rng()) / 0x1p64L,
                           static_cast<int>(rng() % 120) - 60);
        }
        const std::string text = NumberToText(x);
        ASSERT_EQ(NumberToText(TextToNumber(text)), text) << text;
        const auto decimals = static_cast<std::int32_t>(rng() % 8);
        const std::string fixed = FixedToText(x, decimals);
        ASSERT_EQ(FixedToText(TextToNumber(fixed), decimals), fixed) << fixed;
    }
}

} // namespace
