#include "floatEnv.h"
#include "errors.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// Values pass through volatile storage so that no expression below is folded or dropped at
// compile time; every result is consumed.
long double Opaque(long double v) {
    volatile long double stored = v;
    return stored;
}

volatile long double sink;
volatile double doubleSink;

void Use(Extended e) {
    sink = e.value();
}

constexpr long double kInf = std::numeric_limits<long double>::infinity();
constexpr long double kNaN = std::numeric_limits<long double>::quiet_NaN();

class FloatEnv : public ::testing::Test {
protected:
    void SetUp() override { InitFloatEnvironment(); }
};

TEST_F(FloatEnv, InvalidOperationsRaiseInvalidOp) {
    const Extended zero(Opaque(0)), one(Opaque(1)), inf(Opaque(kInf));
    EXPECT_THROW(Use(zero / zero), EInvalidOp);
    EXPECT_THROW(Use(inf - inf), EInvalidOp);
    EXPECT_THROW(Use(inf + -inf), EInvalidOp);
    EXPECT_THROW(Use(zero * inf), EInvalidOp);
    EXPECT_THROW(Use(inf / inf), EInvalidOp);
    EXPECT_THROW(Use(-inf / inf), EInvalidOp);
    EXPECT_NO_THROW(Use(one / inf));
    EXPECT_EQ((one / inf).value(), 0);
}

TEST_F(FloatEnv, NaNOperandsPropagateQuietly) {
    const Extended nan(Opaque(kNaN)), one(Opaque(1)), zero(Opaque(0));
    EXPECT_TRUE(std::isnan((nan + one).value()));
    EXPECT_TRUE(std::isnan((one * nan).value()));
    EXPECT_TRUE(std::isnan((nan / zero).value()));
}

TEST_F(FloatEnv, DivisionByZero) {
    const Extended zero(Opaque(0)), inf(Opaque(kInf));
    EXPECT_THROW(Use(Extended(Opaque(1)) / zero), EZeroDivide);
    EXPECT_THROW(Use(Extended(Opaque(-1e-4000L)) / zero), EZeroDivide);
    EXPECT_THROW(Use(Extended(Opaque(5)) / -zero), EZeroDivide);
    EXPECT_THROW(Use(zero / zero), EInvalidOp); // not a division by zero
    EXPECT_EQ((inf / zero).value(), kInf);      // no fault at all
}

TEST_F(FloatEnv, OverflowOfFiniteOperands) {
    const Extended big(Opaque(LDBL_MAX)), two(Opaque(2)), tiny(Opaque(1e-10L));
    EXPECT_THROW(Use(big * two), EOverflow);
    EXPECT_THROW(Use(big + big), EOverflow);
    EXPECT_THROW(Use(-big - big), EOverflow);
    EXPECT_THROW(Use(big / tiny), EOverflow);
    // An infinite operand is no overflow.
    EXPECT_EQ((Extended(Opaque(kInf)) * two).value(), kInf);
    EXPECT_EQ((Extended(Opaque(kInf)) + big).value(), kInf);
}

TEST_F(FloatEnv, UnderflowIsQuiet) {
    const Extended tiny(Opaque(1e-4000L));
    Extended product;
    EXPECT_NO_THROW(product = tiny * tiny);
    EXPECT_EQ(product.value(), 0);
    const Extended denormal = Extended(Opaque(LDBL_MIN)) / Extended(Opaque(4));
    EXPECT_GT(denormal.value(), 0);
    EXPECT_NO_THROW(Use(denormal * Extended(Opaque(0.5L))));
}

TEST_F(FloatEnv, ToDoubleOverflowsOnlyWhenTheRoundedValueIsInfinite) {
    const Extended tooBig = Extended(Opaque(1e308L)) * Extended(Opaque(10));
    EXPECT_THROW(doubleSink = tooBig.toDouble(), EOverflow);
    EXPECT_THROW(doubleSink = Extended(Opaque(-1e4000L)).toDouble(), EOverflow);
    // Just above DBL_MAX but nearer to it than to 2^1024: rounds down, no fault.
    const long double nearMax = Opaque(static_cast<long double>(DBL_MAX) + 0x1p969L);
    EXPECT_EQ(Extended(nearMax).toDouble(), DBL_MAX);
    EXPECT_EQ(Extended(-nearMax).toDouble(), -DBL_MAX);
    // The halfway point rounds to even, which is 2^1024.
    EXPECT_THROW(doubleSink = Extended(Opaque(DBL_MAX + 0x1p970L)).toDouble(), EOverflow);
}

TEST_F(FloatEnv, ToDoubleUnderflowAndSpecialsPassThrough) {
    double d = 1;
    EXPECT_NO_THROW(d = Extended(Opaque(1e-320L)).toDouble());
    EXPECT_GT(d, 0);
    EXPECT_LT(d, DBL_MIN);
    EXPECT_EQ(Extended(Opaque(1e-400L)).toDouble(), 0.0);
    EXPECT_EQ(Extended(Opaque(kInf)).toDouble(), std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isnan(Extended(Opaque(kNaN)).toDouble()));
    EXPECT_EQ(Extended(Opaque(0.1L)).toDouble(), 0.1);
}

TEST_F(FloatEnv, ArithmeticIsExtendedPrecision) {
    // 1 + 2^-63 survives in a 64-bit significand, not in a 53-bit one.
    const Extended sum = Extended(Opaque(1)) + Extended(Opaque(0x1p-63L));
    EXPECT_EQ((sum - Extended(1)).value(), 0x1p-63L);
    // Ties to even: 1 + 2^-64 is halfway and rounds back to 1.
    EXPECT_EQ((Extended(Opaque(1)) + Extended(Opaque(0x1p-64L))).value(), 1.0L);
}

TEST_F(FloatEnv, InitFloatEnvironmentUndoesAnInheritedEnvironment) {
    // Upward rounding and 53-bit significands, as a library might leave them.
    std::fesetround(FE_UPWARD);
    std::uint16_t control;
    asm volatile("fnstcw %0" : "=m"(control));
    control = static_cast<std::uint16_t>((control & ~0x0300u) | 0x0200u);
    asm volatile("fldcw %0" : : "m"(control));

    InitFloatEnvironment();
    InitFloatEnvironment();
    EXPECT_EQ(std::fegetround(), FE_TONEAREST);
    const Extended sum = Extended(Opaque(1)) + Extended(Opaque(0x1p-63L));
    EXPECT_EQ((sum - Extended(1)).value(), 0x1p-63L);
}

TEST_F(FloatEnv, Sine) {
    EXPECT_EQ(Sin(Opaque(0)).value(), 0);
    EXPECT_EQ(Sin(Opaque(0x1p63L)).value(), 0);
    EXPECT_EQ(Sin(Opaque(-0x1p63L)).value(), 0);
    EXPECT_EQ(Sin(Opaque(1e300L)).value(), 0);
    // The largest value below 2^63 is still reduced and gives a proper sine.
    const long double below = std::nextafter(0x1p63L, 0.0L);
    const long double s = Sin(Opaque(below)).value();
    EXPECT_NE(s, 0);
    EXPECT_LE(std::fabs(s), 1);
    EXPECT_NEAR(Sin(Opaque(0.5L)).value(), 0.479425538604203000273L, 1e-18L);
    EXPECT_NEAR(Sin(Opaque(-1.5L)).value(), -0.997494986604054430941L, 1e-18L);
    EXPECT_THROW(Use(Sin(Opaque(kInf))), EInvalidOp);
    EXPECT_THROW(Use(Sin(Opaque(-kInf))), EInvalidOp);
    EXPECT_TRUE(std::isnan(Sin(Opaque(kNaN)).value()));
}

struct IntCase {
    long double x;
    std::int64_t rounded;
    std::int64_t truncated;
};

TEST_F(FloatEnv, RoundAndTruncate) {
    const IntCase cases[] = {
        {0.5L, 0, 0},
        {1.5L, 2, 1},
        {2.5L, 2, 2},
        {3.5L, 4, 3},
        {-2.5L, -2, -2},
        {-0.9L, -1, 0},
        {2.9L, 3, 2},
        {-2.9L, -3, -2},
        {0.49999999999999999997L, 0, 0},
        {-0.0L, 0, 0},
        {0x1p63L - 1, INT64_MAX, INT64_MAX},
        {-0x1p63L, INT64_MIN, INT64_MIN},
        {-0x1p63L + 0.5L, INT64_MIN, INT64_MIN + 1},
        {0x1p62L + 0.5L, INT64_C(1) << 62, INT64_C(1) << 62},
    };
    for (const IntCase& c : cases) {
        EXPECT_EQ(RoundToInt(Opaque(c.x)), c.rounded) << static_cast<double>(c.x);
        EXPECT_EQ(TruncToInt(Opaque(c.x)), c.truncated) << static_cast<double>(c.x);
    }
}

TEST_F(FloatEnv, RoundingIgnoresTheRoundingMode) {
    std::fesetround(FE_DOWNWARD);
    const std::int64_t up = RoundToInt(Opaque(2.5L)), down = RoundToInt(Opaque(-3.5L));
    const std::int64_t half = RoundToInt(Opaque(0.75L));
    std::fesetround(FE_TONEAREST);
    EXPECT_EQ(up, 2);
    EXPECT_EQ(down, -4);
    EXPECT_EQ(half, 1);
}

TEST_F(FloatEnv, OutOfRangeIntegerConversionsAreInvalid) {
    const long double bad[] = {1e19L,          -1e19L, 0x1p63L,
                               0x1p63L - 0.5L, // rounds to even, which is 2^63
                               -0x1p63L - 1,   kInf,   -kInf,   kNaN};
    for (long double x : bad) {
        EXPECT_THROW(sink = static_cast<long double>(RoundToInt(Opaque(x))), EInvalidOp)
            << static_cast<double>(x);
    }
    const long double badTrunc[] = {0x1p63L, -0x1p63L - 1, 1e19L, kInf, -kInf, kNaN};
    for (long double x : badTrunc) {
        EXPECT_THROW(sink = static_cast<long double>(TruncToInt(Opaque(x))), EInvalidOp)
            << static_cast<double>(x);
    }
    EXPECT_EQ(TruncToInt(Opaque(0x1p63L - 0.5L)), INT64_MAX);
}

} // namespace
