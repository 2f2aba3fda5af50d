#include "numberText.h"
#include "errors.h"
#include "exactDecimal.h"
#include "numberTextChecks.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

const Extended kInf = std::numeric_limits<long double>::infinity();
const Extended kNaN = std::numeric_limits<long double>::quiet_NaN();
// The ends of the 80-bit range, whatever the platform's long double.
const Extended kMax = Extended::FromBits(0x7FFE, ~0ULL);
const Extended kMinNormal = Extended::FromBits(0x0001, 1ULL << 63);

class NumberText : public ::testing::Test {
protected:
    void SetUp() override { SetDecimalSeparator('.'); }
};

TEST_F(NumberText, GeneralForm) {
    const std::pair<Extended, const char*> cases[] = {
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
        {0.00099999999999999999L, "0.001"}, // rounding lifts it out of the exponent form
        // 18 digits first, then 15: ...54999960 becomes ...55 and then rounds up.
        {0.12345678901234549996L, "0.123456789012346"},
        {kMax, "1.18973149535723E4932"},
        {-kMinNormal, "-3.36210314311209E-4932"},
        {kMinNormal / 2, "0"}, // below the normal range
        {-kInf, "-INF"},
        {-kNaN, "NAN"},
    };
    for (const auto& [x, text] : cases)
        EXPECT_EQ(NumberToText(x), text);
}

TEST_F(NumberText, FixedForm) {
    const std::tuple<Extended, std::int32_t, const char*> cases[] = {
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
        {99.95L, 1, "100.0"},
        {123456789012345.6L, 2, "123456789012346.00"},
        // Past 18 places: the digits rounded for all the places asked, cut after 18.
        {1.2345678999e-10L, 30, "0.000000000123456789"},
        {0.5L, INT32_MAX, "0.500000000000000000"},
        {2.5L, INT32_MIN, "3"}, // a negative count counts as 0
    };
    for (const auto& [x, decimals, text] : cases)
        EXPECT_EQ(FixedToText(x, decimals), text) << "decimals " << decimals;
}

TEST_F(NumberText, ParseAccepts) {
    const std::pair<const char*, Extended> cases[] = {
        {"  1.5  ", 1.5L},
        {".", 0},
        {"5.", 5},
        {".5", 0.5L},
        {"1E", 1},
        {"1e+3", 1000},
        {"1E500", 1e500L},
        {"1E000000000500", 1e500L}, // leading zeros keep the exponent below 500
        {"-1.25e-2", -0.0125L},
        {"1e4932", 1e4932L},
        {"1E-4999", 0}, // underflow is no failure
        {"0E4999", 0},  // zero stays zero at any scale
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(TextToNumber(text), value) << "'" << text << "'";
}

TEST_F(NumberText, ParseRejects) {
    for (const char* text : {"1E5000", "+", "", "1 000", "\t1", "INF", "NAN", "-", " ", "E5",
                             "1E5 x", "1e+-3", "1.2.3", "0x10", "1,5", "1E4933", "1.5\n"}) {
        EXPECT_EQ(TextToNumberOr(text, -7), -7) << "'" << text << "'";
        EXPECT_THROW(TextToNumber(text), EConvertError) << "'" << text << "'";
    }
}

TEST_F(NumberText, LongTextsKeepEveryDigit) {
    EXPECT_EQ(TextToNumberOr(std::string(1000000, '1'), -1), -1); // overflows
    EXPECT_EQ(TextToNumber("0." + std::string(1000000, '3')), 1.0L / 3);
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
    // The glibc name first, then the Windows C runtime's.
    if (std::setlocale(LC_ALL, "cs_CZ.UTF-8") == nullptr &&
        std::setlocale(LC_ALL, "Czech") == nullptr)
        FAIL() << "locale cs_CZ.UTF-8 is missing; create it with "
                  "'localedef -i cs_CZ -f UTF-8 cs_CZ.UTF-8'";
    const std::vector<std::string> texts = {std::localeconv()->decimal_point,
                                            NumberToText(1.0L / 3),
                                            NumberToText(-1.5e-300L),
                                            FixedToText(2.25L, 3),
                                            NumberToText(TextToNumberOr("1.5", -1)),
                                            NumberToText(TextToNumberOr("1,5", -1))};
    std::setlocale(LC_ALL, "C");
    EXPECT_EQ(texts, (std::vector<std::string>{",", "0.333333333333333", "-1.5E-300", "2.250",
                                               "1.5", "-1"}));
}

TEST_F(NumberText, IntParse) {
    constexpr std::int32_t kFails = 424242; // the fallback
    const std::pair<const char*, std::int32_t> cases[] = {
        {" 12", 12},
        {"12 ", kFails},
        {"-2147483648", INT32_MIN},
        {"2147483648", kFails},
        {"-2147483649", kFails},
        {"$1F", 31},
        {"x1f", 31},
        {"0X1F", 31},
        {"-$10", -16},
        {"$FFFFFFFF", -1},
        {"$00000000001F", 31}, // leading zeros are free
        {"$100000000", kFails},
        {"--1", kFails},
        {"", kFails},
        {"0x", kFails},
        {"$1G", kFails},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(TextToIntOr(text, kFails), value) << "'" << text << "'";
}

TEST_F(NumberText, IntegerTexts) {
    EXPECT_EQ(IntToText(INT64_MIN), "-9223372036854775808");
    const std::tuple<std::int64_t, std::int32_t, const char*> cases[] = {
        {255, 1, "FF"}, {255, 4, "00FF"}, {-1, 1, "FFFFFFFFFFFFFFFF"},
        {0, 1, "0"},    {255, 33, "FF"},  {1, 32, "00000000000000000000000000000001"},
    };
    for (const auto& [v, minDigits, text] : cases)
        EXPECT_EQ(IntToHexText(v, minDigits), text);
}

// Short random texts through the fuzzer's checks: the quiet parses never throw, accept
// exactly what an independent syntax checker accepts, give the nearest value, and the
// throwing parse agrees with them bit for bit.
TEST_F(NumberText, RandomTexts) {
    const std::string alphabet = " +-0123456789.,eE$xXaF\t";
    std::mt19937 rng(20240607);
    for (int i = 0; i < 20000; ++i) {
        std::string text(rng() % 12, ' ');
        for (char& c : text)
            c = alphabet[rng() % alphabet.size()];
        ASSERT_EQ(numberTextFinding(i % 2 ? ',' : '.', text), "");
    }
}

// The random cases below run a million values each with KAVALUN_LONG_TESTS=1; fewer by
// default, and fewer still under the sanitizers.
long RandomCount() {
    const char* longTests = std::getenv("KAVALUN_LONG_TESTS");
    if (longTests != nullptr && std::string(longTests) == "1") return 1000000;
#ifdef __SANITIZE_ADDRESS__
    return 5000;
#else
    return 50000;
#endif
}

Extended FromBits(bool negative, unsigned biasedExponent, std::uint64_t significand) {
    return Extended::FromBits(
        static_cast<std::uint16_t>((negative ? 0x8000u : 0u) | biasedExponent), significand);
}

std::string Hex(Extended x) {
    std::ostringstream out;
    out << std::hex << x.signExponent() << ':' << x.mantissa();
    return out.str();
}

// The neighbour of a positive normal value, one place up or down.
Extended Nudged(Extended x, bool up) {
    std::uint16_t e = x.signExponent();
    std::uint64_t m = x.mantissa();
    if (up && m == ~0ULL) {
        m = 1ULL << 63;
        ++e;
    } else if (!up && m == 1ULL << 63 && e > 1) {
        m = ~0ULL;
        --e;
    } else {
        m += up ? 1 : -1;
    }
    return Extended::FromBits(e, m);
}

// Normal values of both signs: over the whole range, where the fixed form shows digits,
// next to halves at the 16th and the 19th digit, and next to powers of ten.
Extended SampleNormal(std::mt19937_64& rng, long i) {
    const int power =
        rng() % 2 ? static_cast<int>(rng() % 9801) - 4900 : static_cast<int>(rng() % 46) - 25;
    Extended x;
    switch (i % 8) {
    case 3: // 2^-75 to 2^70
        x = FromBits(false, 16383 - 75 + static_cast<unsigned>(rng() % 146), rng() | 1ULL << 63);
        break;
    case 4: { // a half at the 16th digit
        const std::uint64_t digits = 100000000000000ULL + rng() % 900000000000000ULL;
        x = static_cast<long double>(digits * 10 + 5) * std::pow(10.0L, power - 1);
        break;
    }
    case 5: // exact halves at the 19th digit: 19-digit integers ending in 5
        x = static_cast<long double>(
            (1000000000000000000ULL + rng() % 17000000000000000000ULL) / 10 * 10 + 5);
        break;
    case 6: // and 18-digit integers and a half
        x = static_cast<long double>(100000000000000000ULL + rng() % 900000000000000000ULL) + 0.5L;
        break;
    case 7: // powers of ten, and values that round up to one
        x = std::pow(10.0L, power) * (rng() % 2 ? 1 : 0.99999999999999995L);
        break;
    default:
        x = FromBits(false, 1 + static_cast<unsigned>(rng() % 32766), rng() | 1ULL << 63);
    }
    if (i % 8 >= 4) // up to three places either side
        for (int nudge = static_cast<int>(rng() % 7) - 3; nudge != 0; nudge += nudge < 0 ? 1 : -1)
            x = Nudged(x, nudge > 0);
    return rng() % 2 ? -x : x;
}

TEST_F(NumberText, FormsMatchTheExactExpansion) {
    std::mt19937_64 rng(20240601);
    const long count = RandomCount();
    long mismatches = 0;
    std::string report;
    for (long i = 0; i < count; ++i) {
        const Extended x = SampleNormal(rng, i);
        const char separator = (i / 8) % 2 ? ',' : '.';
        const auto decimals = static_cast<std::int32_t>(i % 21);
        SetDecimalSeparator(separator);
        const std::string general = NumberToText(x);
        const std::string fixed = FixedToText(x, decimals);
        const std::string wantGeneral = exact::GeneralText(x, separator);
        const std::string wantFixed = exact::FixedText(x, decimals, separator);
        if ((general != wantGeneral || fixed != wantFixed) && ++mismatches <= 5)
            report += Hex(x) + " with " + std::to_string(decimals) + " places: " + general + " " +
                      fixed + ", expected " + wantGeneral + " " + wantFixed + "\n";
    }
    EXPECT_EQ(mismatches, 0) << report;
}

// A text read back and written again is the same text, for any finite value in the general
// form and for the fixed form too.
TEST_F(NumberText, RoundTripsAreStable) {
    std::mt19937_64 rng(77);
    const long count = RandomCount();
    for (long i = 0; i < count; ++i) {
        SetDecimalSeparator(i % 4 < 2 ? '.' : ',');
        const auto biased = static_cast<unsigned>(i % 2 ? rng() % 32767 : rng() % 120 + 16323);
        const Extended x =
            FromBits(rng() % 2, biased, biased == 0 ? rng() >> 1 : rng() | 1ULL << 63);
        const std::string text = NumberToText(x);
        const Extended back = TextToNumberOr(text, kNaN);
        ASSERT_FALSE(back.isNaN()) << text;
        // The smallest normals round to a text below the normal range, which reads back as a
        // denormal and so is written as 0.
        if (back != 0 && back.belowNormal()) continue;
        ASSERT_EQ(NumberToText(back), text) << Hex(x);
        const auto decimals = static_cast<std::int32_t>(rng() % 8);
        const std::string fixed = FixedToText(x, decimals);
        ASSERT_EQ(FixedToText(TextToNumber(fixed), decimals), fixed) << Hex(x);
    }
}

// The digits of the value halfway between an extended value and the next one up, times
// 10^power; `nudge` 1 or -1 moves it a hair's breadth up or down.
std::string HalfwayDigits(std::mt19937_64& rng, int nudge, long long& power) {
    const int binary = static_cast<int>(rng() % 201) - 100 - 64; // of the last bit's half
    exact::BigNat n(rng() | 1ULL << 63);
    n.ShiftLeft(1);
    n.AddSmall(1);
    power = 0;
    if (binary >= 0) {
        n.ShiftLeft(binary);
    } else {
        n.Mul(exact::PowerOfFive(-binary));
        power = binary;
    }
    if (nudge != 0) {
        n.MulSmall(10);
        --power;
        if (nudge > 0)
            n.AddSmall(1);
        else
            n.Sub(exact::BigNat(1));
    }
    return n.ToDecimal();
}

// 0.<digits> * 10^scale written in one of the accepted ways, or "" when the exponent that
// needs has more than four digits.
std::string Written(std::mt19937_64& rng, bool negative, const std::string& digits, long long power,
                    char separator) {
    const auto length = static_cast<long long>(digits.size());
    const long long before = static_cast<long long>(rng() % static_cast<std::uint64_t>(length + 1));
    const long long exponent = power + length - before;
    if (exponent < -4999 || exponent > 4999) return "";
    std::string text(rng() % 4 == 0 ? 2 : 0, ' ');
    text += negative ? "-" : rng() % 4 == 0 ? "+" : "";
    text += digits.substr(0, static_cast<std::size_t>(before));
    if (before < length || rng() % 2) text += separator;
    text += digits.substr(static_cast<std::size_t>(before));
    if (exponent != 0 || rng() % 2) {
        text += rng() % 2 ? 'E' : 'e';
        text += exponent < 0 ? "-" : rng() % 4 == 0 ? "+" : "";
        text += std::to_string(exponent < 0 ? -exponent : exponent);
    }
    return text;
}

// Decimal texts of 1 to 120 digits, from below the denormals to past the largest value, and
// texts exactly halfway between two neighbours or just off: each reads as the nearest value.
TEST_F(NumberText, ParsedValuesAreTheNearest) {
    std::mt19937_64 rng(20240611);
    const long count = RandomCount() / 4;
    const int lengths[] = {1, 4, 15, 18, 19, 20, 21, 30, 40, 120};
    long mismatches = 0;
    std::string report;
    for (long i = 0; i < count; ++i) {
        std::string digits;
        long long power;
        if (i % 4 == 3) {
            digits = HalfwayDigits(rng, static_cast<int>(rng() % 3) - 1, power);
        } else {
            digits.resize(1 + rng() % lengths[rng() % std::size(lengths)]);
            for (char& c : digits)
                c = static_cast<char>('0' + rng() % 10);
            // The whole range, next to its ends, or the usual magnitudes.
            const long long scale =
                i % 4 == 0   ? static_cast<long long>(rng() % 9901) - 4965
                : i % 4 == 1 ? (rng() % 2 ? -4955LL : 4926LL) + static_cast<long long>(rng() % 10)
                             : static_cast<long long>(rng() % 46) - 20;
            power = scale - static_cast<long long>(digits.size());
        }
        const bool negative = rng() % 2;
        const char separator = i % 2 ? ',' : '.';
        const std::string text = Written(rng, negative, digits, power, separator);
        if (text.empty()) continue;
        Extended want;
        const bool fits = exact::NearestValue(negative, digits, power, want);
        SetDecimalSeparator(separator);
        const Extended got = TextToNumberOr(text, kNaN);
        const bool same = fits ? SameBits(got, want) : got.isNaN();
        if (!same && ++mismatches <= 5)
            report += "'" + text + "' read as " + Hex(got) + ", nearest " +
                      (fits ? Hex(want) : "out of range") + "\n";
    }
    EXPECT_EQ(mismatches, 0) << report;
}

} // namespace
