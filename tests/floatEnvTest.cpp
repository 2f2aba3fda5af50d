#include "floatEnv.h"
#include "errors.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>
#include <tuple>

namespace {

// Inputs pass through volatile storage and results are consumed, so that no expression
// below can be folded or dropped by the optimiser.
long double Opaque(long double v) {
    volatile long double stored = v;
    return stored;
}
volatile long double sink;

constexpr long double kInf = std::numeric_limits<long double>::infinity();
constexpr long double kNaN = std::numeric_limits<long double>::quiet_NaN();

// The error that `x op y` raises, "" for none.
const char* FaultOf(char op, long double x, long double y) {
    const Extended a(Opaque(x)), b(Opaque(y));
    try {
        sink = (op == '+' ? a + b : op == '-' ? a - b : op == '*' ? a * b : a / b).value();
    } catch (const EInvalidOp&) {
        return "EInvalidOp";
    } catch (const EZeroDivide&) {
        return "EZeroDivide";
    } catch (const EOverflow&) {
        return "EOverflow";
    }
    return "";
}

TEST(FloatEnv, OperationsReportTheirOwnFaults) {
    const std::tuple<long double, char, long double, const char*> cases[] = {
        {0, '/', 0, "EInvalidOp"},
        {kInf, '-', kInf, "EInvalidOp"},
        {0, '*', kInf, "EInvalidOp"},
        {1, '/', 0, "EZeroDivide"},
        {-1e-4000L, '/', -0.0L, "EZeroDivide"},
        {kInf, '/', 0, ""}, // an infinity divided is no new fault
        {LDBL_MAX, '*', 2, "EOverflow"},
        {LDBL_MAX, '+', LDBL_MAX, "EOverflow"},
        {-LDBL_MAX, '-', LDBL_MAX, "EOverflow"},
        {LDBL_MAX, '/', 1e-10L, "EOverflow"},
        {kInf, '*', 2, ""},
        {kNaN, '/', 0, ""},            // a NaN operand passes quietly
        {1e-4000L, '*', 1e-4000L, ""}, // underflow to 0
        {LDBL_MIN, '/', 4, ""},        // a denormal result
    };
    for (const auto& [x, op, y, fault] : cases)
        EXPECT_STREQ(FaultOf(op, x, y), fault) << static_cast<double>(x) << op << y;
}

// Upward rounding and 53-bit significands, as a foreign library might leave them, are undone.
TEST(FloatEnv, InitFloatEnvironmentGivesRoundToNearestIn64Bits) {
    std::fesetround(FE_UPWARD);
    std::uint16_t control;
    asm volatile("fnstcw %0" : "=m"(control));
    control = static_cast<std::uint16_t>((control & ~0x0300u) | 0x0200u);
    asm volatile("fldcw %0" : : "m"(control));

    InitFloatEnvironment();
    EXPECT_EQ((Extended(Opaque(1)) + Extended(Opaque(0x1p-63L))).value(), 1 + 0x1p-63L);
    // 1 + 2^-64 is halfway and rounds to even, back to 1.
    EXPECT_EQ((Extended(Opaque(1)) + Extended(Opaque(0x1p-64L))).value(), 1.0L);
}

TEST(FloatEnv, ToDouble) {
    // Overflow only when the value rounds to infinity: from halfway to 2^1024 on.
    EXPECT_THROW(sink = (Extended(Opaque(1e308L)) * Extended(Opaque(10))).toDouble(), EOverflow);
    EXPECT_THROW(sink = Extended(Opaque(-(DBL_MAX + 0x1p970L))).toDouble(), EOverflow);
    EXPECT_EQ(Extended(Opaque(DBL_MAX + 0x1p969L)).toDouble(), DBL_MAX);
    // Underflow is quiet; infinity passes through.
    const double denormal = Extended(Opaque(1e-320L)).toDouble();
    EXPECT_TRUE(denormal > 0 && denormal < DBL_MIN);
    EXPECT_EQ(Extended(Opaque(1e-400L)).toDouble(), 0.0);
    EXPECT_EQ(Extended(Opaque(-kInf)).toDouble(), -std::numeric_limits<double>::infinity());
}

TEST(FloatEnv, Sine) {
    EXPECT_NEAR(Sin(Opaque(0.5L)).value(), 0.479425538604203000273L, 1e-18L);
    // fsin leaves 2^63 and beyond unreduced; the largest value below is still reduced.
    EXPECT_EQ(Sin(Opaque(-0x1p63L)).value(), 0);
    const long double s = Sin(Opaque(std::nextafter(0x1p63L, 0.0L))).value();
    EXPECT_TRUE(s != 0 && std::fabs(s) <= 1) << static_cast<double>(s);
    EXPECT_THROW(sink = Sin(Opaque(kInf)).value(), EInvalidOp);
    EXPECT_TRUE(std::isnan(Sin(Opaque(kNaN)).value()));
}

TEST(FloatEnv, RoundAndTruncate) {
    // x, RoundToInt, TruncToInt
    const std::tuple<long double, std::int64_t, std::int64_t> cases[] = {
        {0.5L, 0, 0},
        {1.5L, 2, 1},
        {2.5L, 2, 2},
        {3.5L, 4, 3},
        {-2.5L, -2, -2},
        {-0.9L, -1, 0},
        {-2.9L, -3, -2},
        {0.49999999999999999997L, 0, 0},
        {0x1p63L - 1, INT64_MAX, INT64_MAX},
        {-0x1p63L, INT64_MIN, INT64_MIN},
        {-0x1p63L + 0.5L, INT64_MIN, INT64_MIN + 1},
    };
    for (const auto& [x, rounded, truncated] : cases) {
        EXPECT_EQ(RoundToInt(Opaque(x)), rounded) << static_cast<double>(x);
        EXPECT_EQ(TruncToInt(Opaque(x)), truncated) << static_cast<double>(x);
    }
    // Halves go to even whatever the rounding mode.
    std::fesetround(FE_DOWNWARD);
    const std::int64_t up = RoundToInt(Opaque(2.5L)), down = RoundToInt(Opaque(-3.5L));
    std::fesetround(FE_TONEAREST);
    EXPECT_EQ(up, 2);
    EXPECT_EQ(down, -4);
}

TEST(FloatEnv, IntegerConversionOutsideTheRangeIsInvalid) {
    // 2^63 - 0.5 rounds to even, which is 2^63; truncated it still fits.
    for (long double x : {1e19L, -1e19L, 0x1p63L, 0x1p63L - 0.5L, -0x1p63L - 1, kInf, kNaN})
        EXPECT_THROW(sink = RoundToInt(Opaque(x)), EInvalidOp) << static_cast<double>(x);
    for (long double x : {0x1p63L, -0x1p63L - 1, -kInf, kNaN})
        EXPECT_THROW(sink = TruncToInt(Opaque(x)), EInvalidOp) << static_cast<double>(x);
    EXPECT_EQ(TruncToInt(Opaque(0x1p63L - 0.5L)), INT64_MAX);
}

} // namespace
