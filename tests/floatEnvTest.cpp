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
Extended Opaque(Extended v) {
    volatile std::uint64_t mantissa = v.mantissa();
    volatile std::uint16_t signExponent = v.signExponent();
    return Extended::FromBits(signExponent, mantissa);
}
volatile std::uint64_t sinkBits;
struct {
    void operator=(Extended x) { sinkBits = x.mantissa(); }
    void operator=(double x) { sinkBits = static_cast<std::uint64_t>(x != 0); }
    void operator=(std::int64_t x) { sinkBits = static_cast<std::uint64_t>(x); }
} sink;

const Extended kInf = std::numeric_limits<long double>::infinity();
const Extended kNaN = std::numeric_limits<long double>::quiet_NaN();
// The ends of the 80-bit range, whatever the platform's long double.
const Extended kMax = Extended::FromBits(0x7FFE, ~0ULL);
const Extended kMinNormal = Extended::FromBits(0x0001, 1ULL << 63);
const Extended kTwoTo63 = Extended::FromBits(16383 + 63, 1ULL << 63);

// The error that `x op y` raises, "" for none.
const char* FaultOf(char op, Extended x, Extended y) {
    const Extended a(Opaque(x)), b(Opaque(y));
    try {
        sink = (op == '+' ? a + b : op == '-' ? a - b : op == '*' ? a * b : a / b);
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
    const std::tuple<Extended, char, Extended, const char*> cases[] = {
        {0, '/', 0, "EInvalidOp"},
        {kInf, '-', kInf, "EInvalidOp"},
        {0, '*', kInf, "EInvalidOp"},
        {1, '/', 0, "EZeroDivide"},
        {-1e-4000L, '/', -0.0L, "EZeroDivide"},
        {kInf, '/', 0, ""}, // an infinity divided is no new fault
        {kMax, '*', 2, "EOverflow"},
        {kMax, '+', kMax, "EOverflow"},
        {-kMax, '-', kMax, "EOverflow"},
        {kMax, '/', 1e-10L, "EOverflow"},
        {kInf, '*', 2, ""},
        {kNaN, '/', 0, ""},            // a NaN operand passes quietly
        {1e-4000L, '*', 1e-4000L, ""}, // underflow to 0
        {kMinNormal, '/', 4, ""},      // a denormal result
    };
    for (const auto& [x, op, y, fault] : cases)
        EXPECT_STREQ(FaultOf(op, x, y), fault) << x.toDouble() << op << y.toDouble();
}

// Upward rounding and 53-bit significands, as a foreign library might leave them, change
// nothing.
TEST(FloatEnv, RoundToNearestIn64BitsWhateverTheProcessorIsSetTo) {
    std::fesetround(FE_UPWARD);
#if defined(__x86_64__)
    std::uint16_t control;
    asm volatile("fnstcw %0" : "=m"(control));
    control = static_cast<std::uint16_t>((control & ~0x0300u) | 0x0200u);
    asm volatile("fldcw %0" : : "m"(control));
#endif
    const Extended sum = Opaque(1) + Opaque(0x1p-63);
    // 1 + 2^-64 is halfway and rounds to even, back to 1.
    const Extended half = Opaque(1) + Opaque(0x1p-64);
    InitFloatEnvironment();
    EXPECT_TRUE(SameBits(sum, Extended::FromBits(16383, (1ULL << 63) | 1)));
    EXPECT_TRUE(SameBits(half, 1));
}

TEST(FloatEnv, ToDouble) {
    // Overflow only when the value rounds to infinity: from halfway to 2^1024 on.
    EXPECT_THROW(sink = (Opaque(1e308) * Opaque(10)).toDouble(), EOverflow);
    EXPECT_THROW(sink = (-(Opaque(DBL_MAX) + Opaque(0x1p970))).toDouble(), EOverflow);
    EXPECT_EQ((Opaque(DBL_MAX) + Opaque(0x1p969)).toDouble(), DBL_MAX);
    // Underflow is quiet; infinity passes through.
    const double denormal = (Opaque(1e-300) * Opaque(1e-20)).toDouble();
    EXPECT_TRUE(denormal > 0 && denormal < DBL_MIN);
    EXPECT_EQ((Opaque(1e-300) * Opaque(1e-100)).toDouble(), 0.0);
    EXPECT_EQ(Opaque(-kInf).toDouble(), -std::numeric_limits<double>::infinity());
}

TEST(FloatEnv, Sine) {
    EXPECT_NEAR(Sin(Opaque(0.5)).toDouble(), 0.479425538604203000273, 1e-18);
    // fsin leaves 2^63 and beyond unreduced; the largest value below is still reduced.
    EXPECT_EQ(Sin(Opaque(-kTwoTo63)), 0);
    const double s = Sin(Opaque(Extended::FromBits(16383 + 62, ~0ULL))).toDouble();
    EXPECT_TRUE(s != 0 && std::fabs(s) <= 1) << s;
    EXPECT_THROW(sink = Sin(Opaque(kInf)), EInvalidOp);
    EXPECT_TRUE(Sin(Opaque(kNaN)).isNaN());
}

TEST(FloatEnv, RoundAndTruncate) {
    // x, RoundToInt, TruncToInt
    const std::tuple<Extended, std::int64_t, std::int64_t> cases[] = {
        {0.5L, 0, 0},
        {1.5L, 2, 1},
        {2.5L, 2, 2},
        {3.5L, 4, 3},
        {-2.5L, -2, -2},
        {-0.9L, -1, 0},
        {-2.9L, -3, -2},
        {0.49999999999999999997L, 0, 0},
        {kTwoTo63 - 1, INT64_MAX, INT64_MAX},
        {-kTwoTo63, INT64_MIN, INT64_MIN},
        {-kTwoTo63 + 0.5, INT64_MIN, INT64_MIN + 1},
    };
    for (const auto& [x, rounded, truncated] : cases) {
        EXPECT_EQ(RoundToInt(Opaque(x)), rounded) << x.toDouble();
        EXPECT_EQ(TruncToInt(Opaque(x)), truncated) << x.toDouble();
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
    for (Extended x :
         {Extended(1e19), Extended(-1e19), kTwoTo63, kTwoTo63 - 0.5, -kTwoTo63 - 1, kInf, kNaN})
        EXPECT_THROW(sink = RoundToInt(Opaque(x)), EInvalidOp) << x.toDouble();
    for (Extended x : {kTwoTo63, -kTwoTo63 - 1, -kInf, kNaN})
        EXPECT_THROW(sink = TruncToInt(Opaque(x)), EInvalidOp) << x.toDouble();
    EXPECT_EQ(TruncToInt(Opaque(kTwoTo63 - 0.5)), INT64_MAX);
}

} // namespace
