#include "floatEnv.h"

#include "errors.h"

#include <cfenv>
#include <cfloat>
#include <cmath>
#include <limits>
#include <xmmintrin.h>

static_assert(std::numeric_limits<long double>::digits == 64,
              "Extended needs the 80-bit x87 long double");

namespace {

// A NaN that no operand brought in is an invalid operation; an infinity made from finite
// operands is an overflow.
Extended Checked(long double result, long double a, long double b) {
    if (std::isnan(result) && !std::isnan(a) && !std::isnan(b)) throw EInvalidOp();
    if (std::isinf(result) && std::isfinite(a) && std::isfinite(b)) throw EOverflow();
    return result;
}

constexpr long double kTwoTo63 = 0x1p63L;

std::int64_t InInt64Range(long double integral) {
    // Written so that a NaN fails too.
    if (!(integral >= -kTwoTo63 && integral < kTwoTo63)) throw EInvalidOp();
    return static_cast<std::int64_t>(integral);
}

} // namespace

double Extended::toDouble() const {
    // Halfway between DBL_MAX and 2^1024: from here on, round to nearest gives infinity.
    constexpr long double kDoubleOverflow = static_cast<long double>(DBL_MAX) + 0x1p970L;
    if (!std::isfinite(FValue)) return static_cast<double>(FValue);
    const long double magnitude = std::fabs(FValue);
    if (magnitude >= kDoubleOverflow) throw EOverflow();
    // Converting an out-of-range value is undefined in C++, so the rounding down to
    // DBL_MAX is done by hand.
    if (magnitude > DBL_MAX) return std::copysign(DBL_MAX, static_cast<double>(FValue));
    return static_cast<double>(FValue);
}

Extended operator+(Extended a, Extended b) {
    return Checked(a.FValue + b.FValue, a.FValue, b.FValue);
}

Extended operator-(Extended a, Extended b) {
    return Checked(a.FValue - b.FValue, a.FValue, b.FValue);
}

Extended operator*(Extended a, Extended b) {
    return Checked(a.FValue * b.FValue, a.FValue, b.FValue);
}

Extended operator/(Extended a, Extended b) {
    if (b.FValue == 0 && std::isfinite(a.FValue) && a.FValue != 0) throw EZeroDivide();
    return Checked(a.FValue / b.FValue, a.FValue, b.FValue);
}

Extended Sin(Extended x) {
    const long double v = x.value();
    if (std::isnan(v)) return v;
    if (std::isinf(v)) throw EInvalidOp();
    // fsin leaves arguments of 2^63 and more unreduced; they count as 0.
    if (std::fabs(v) >= kTwoTo63) return 0.0L;
    long double result;
    asm("fsin" : "=t"(result) : "0"(v));
    return result;
}

void InitFloatEnvironment() {
    std::fesetround(FE_TONEAREST);

    // x87: 64-bit significands, round to nearest, every exception masked (the arithmetic
    // above checks results instead of trapping).
    std::uint16_t control;
    asm volatile("fnstcw %0" : "=m"(control));
    control = static_cast<std::uint16_t>((control & ~0x0F3Fu) | 0x0300u | 0x003Fu);
    asm volatile("fldcw %0" : : "m"(control));

    // SSE: round to nearest, exceptions masked, no flushing of denormals to zero.
    unsigned mxcsr = _mm_getcsr();
    mxcsr = (mxcsr & ~(0x6000u | 0x8000u | 0x0040u)) | 0x1F80u;
    _mm_setcsr(mxcsr);
}

std::int64_t RoundToInt(long double x) {
    if (!std::isfinite(x)) throw EInvalidOp();
    // Done by hand so that the current rounding mode has no say; x - t is exact.
    long double t = std::trunc(x);
    const long double fraction = std::fabs(x - t);
    if (fraction > 0.5L || (fraction == 0.5L && std::fmod(t, 2.0L) != 0))
        t += std::copysign(1.0L, x);
    return InInt64Range(t);
}

std::int64_t TruncToInt(long double x) {
    return InInt64Range(std::trunc(x));
}
