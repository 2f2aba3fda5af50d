#include "floatEnv.h"
#include "errors.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>

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

class FloatEnv : public ::testing::Test {
protected:
    void SetUp() override { InitFloatEnvironment(); }
};

enum class Fault { None, InvalidOp, ZeroDivide, Overflow };

struct OpCase {
    const char* name;
    char op;
    long double a, b;
    Fault fault;
};

Fault Evaluate(const OpCase& c) {
    const Extended a(Opaque(c.a)), b(Opaque(c.b));
    try {
        switch (c.op) {
        case '+':
            sink = (a + b).value();
            break;
        case '-':
            sink = (a - b).value();
            break;
        case '*':
            sink = (a * b).value();
            break;
        default:
            sink = (a / b).value();
            break;
        }
    } catch (const EInvalidOp&) {
        return Fault::InvalidOp;
    } catch (const EZeroDivide&) {
        return Fault::ZeroDivide;
    } catch (const EOverflow&) {
        return Fault::Overflow;
    }
    return Fault::None;
}

TEST_F(FloatEnv, OperationsReportTheirOwnFaults) {
    const OpCase cases[] = {
        {"0/0", '/', 0, 0, Fault::InvalidOp},
        {"inf-inf", '-', kInf, kInf, Fault::InvalidOp},
        {"inf+-inf", '+', kInf, -kInf, Fault::InvalidOp},
        {"0*inf", '*', 0, kInf, Fault::InvalidOp},
        {"inf/inf", '/', kInf, -kInf, Fault::InvalidOp},
        {"1/0", '/', 1, 0, Fault::ZeroDivide},
        {"tiny/-0", '/', -1e-4000L, -0.0L, Fault::ZeroDivide},
        {"inf/0 is just inf", '/', kInf, 0, Fault::None},
        {"max*2", '*', LDBL_MAX, 2, Fault::Overflow},
        {"max+max", '+', LDBL_MAX, LDBL_MAX, Fault::Overflow},
        {"-max-max", '-', -LDBL_MAX, LDBL_MAX, Fault::Overflow},
        {"max/tiny", '/', LDBL_MAX, 1e-10L, Fault::Overflow},
        {"inf*2 is no overflow", '*', kInf, 2, Fault::None},
        {"NaN operand passes", '*', kNaN, 0, Fault::None},
        {"NaN/0 passes", '/', kNaN, 0, Fault::None},
        {"underflow to 0", '*', 1e-4000L, 1e-4000L, Fault::None},
        {"denormal result", '/', LDBL_MIN, 4, Fault::None},
    };
    for (const OpCase& c : cases)
        EXPECT_EQ(Evaluate(c), c.fault) << c.name;
}

TEST_F(FloatEnv, ArithmeticKeeps64BitSignificands) {
    const Extended sum = Extended(Opaque(1)) + Extended(Opaque(0x1p-63L));
    EXPECT_EQ((sum - Extended(1)).value(), 0x1p-63L);
    // 1 + 2^-64 is halfway and rounds to even, back to 1.
    EXPECT_EQ((Extended(Opaque(1)) + Extended(Opaque(0x1p-64L))).value(), 1.0L);
}

TEST_F(FloatEnv, InitFloatEnvironmentUndoesAnInheritedEnvironment) {
    // Upward rounding and 53-bit significands, as a foreign library might leave them.
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

TEST_F(FloatEnv, ToDouble) {
    // Overflow only when the value rounds to infinity: past halfway to 2^1024.
    EXPECT_THROW(sink = (Extended(Opaque(1e308L)) * Extended(Opaque(10))).toDouble(), EOverflow);
    EXPECT_THROW(sink = Extended(Opaque(-1e4000L)).toDouble(), EOverflow);
    EXPECT_THROW(sink = Extended(Opaque(DBL_MAX + 0x1p970L)).toDouble(), EOverflow);
    EXPECT_EQ(Extended(Opaque(-(DBL_MAX + 0x1p969L))).toDouble(), -DBL_MAX);
    // Underflow is quiet; specials pass through.
    const double denormal = Extended(Opaque(1e-320L)).toDouble();
    EXPECT_TRUE(denormal > 0 && denormal < DBL_MIN);
    EXPECT_EQ(Extended(Opaque(1e-400L)).toDouble(), 0.0);
    EXPECT_EQ(Extended(Opaque(-kInf)).toDouble(), -std::numeric_limits<double>::infinity());
    EXPECT_TRUE(std::isnan(Extended(Opaque(kNaN)).toDouble()));
}

TEST_F(FloatEnv, Sine) {
    EXPECT_EQ(Sin(Opaque(0)).value(), 0);
    EXPECT_EQ(Sin(Opaque(0x1p63L)).value(), 0);
    EXPECT_EQ(Sin(Opaque(-0x1p63L)).value(), 0);
    EXPECT_EQ(Sin(Opaque(1e300L)).value(), 0);
    // The largest value below 2^63 is still reduced.
    const long double s = Sin(Opaque(std::nextafter(0x1p63L, 0.0L))).value();
    EXPECT_TRUE(s != 0 && std::fabs(s) <= 1) << static_cast<double>(s);
    EXPECT_NEAR(Sin(Opaque(0.5L)).value(), 0.479425538604203000273L, 1e-18L);
    EXPECT_NEAR(Sin(Opaque(-1.5L)).value(), -0.997494986604054430941L, 1e-18L);
    EXPECT_THROW(sink = Sin(Opaque(kInf)).value(), EInvalidOp);
    EXPECT_THROW(sink = Sin(Opaque(-kInf)).value(), EInvalidOp);
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
        {-2.9L, -3, -2},
        {0.49999999999999999997L, 0, 0},
        {0x1p63L - 1, INT64_MAX, INT64_MAX},
        {-0x1p63L, INT64_MIN, INT64_MIN},
        {-0x1p63L + 0.5L, INT64_MIN, INT64_MIN + 1},
    };
    for (const IntCase& c : cases) {
        EXPECT_EQ(RoundToInt(Opaque(c.x)), c.rounded) << static_cast<double>(c.x);
        EXPECT_EQ(TruncToInt(Opaque(c.x)), c.truncated) << static_cast<double>(c.x);
    }
    // Halves go to even whatever the rounding mode.
    std::fesetround(FE_DOWNWARD);
    const std::int64_t up = RoundToInt(Opaque(2.5L)), down = RoundToInt(Opaque(-3.5L));
    std::fesetround(FE_TONEAREST);
    EXPECT_EQ(up, 2);
    EXPECT_EQ(down, -4);
}

TEST_F(FloatEnv, IntegerConversionOutsideTheRangeIsInvalid) {
    // 2^63 - 0.5 rounds to even, which is 2^63; truncated it still fits.
    for (long double x : {1e19L, -1e19L, 0x1p63L, 0x1p63L - 0.5L, -0x1p63L - 1, kInf, kNaN})
        EXPECT_THROW(sink = RoundToInt(Opaque(x)), EInvalidOp) << static_cast<double>(x);
    for (long double x : {0x1p63L, -0x1p63L - 1, -kInf, kNaN})
        EXPECT_THROW(sink = TruncToInt(Opaque(x)), EInvalidOp) << static_cast<double>(x);
    EXPECT_EQ(TruncToInt(Opaque(0x1p63L - 0.5L)), INT64_MAX);
}

} // namespace
