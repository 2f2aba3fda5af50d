#include "floatEnv.h"

#include "errors.h"

#include <cfenv>
#include <cfloat>
#include <cmath>
#include <cstring>
#if defined(__x86_64__) || defined(__i386__)
#include <xmmintrin.h>
#endif

namespace {

using u128 = unsigned __int128;

constexpr int kBias = 16383;
constexpr unsigned kTopExponent = 0x7FFF;
constexpr std::uint64_t kIntegerBit = 1ULL << 63;
constexpr std::uint64_t kQuietBit = 1ULL << 62;
// Weight of the last significand bit of a denormal.
constexpr int kDenormalLsb = 1 - kBias - 63;
// What the x87 answers to an operand it does not support: the negative quiet NaN.
constexpr Extended kIndefinite = Extended::FromBits(0xFFFF, kIntegerBit | kQuietBit);

int BitLength(u128 v) {
    const auto high = static_cast<std::uint64_t>(v >> 64);
    if (high != 0) return 128 - __builtin_clzll(high);
    const auto low = static_cast<std::uint64_t>(v);
    return low == 0 ? 0 : 64 - __builtin_clzll(low);
}

// |x| = m * 2^e with the significand's top bit at 63 (m = 0 for zero); pseudo-denormals,
// which the x87 accepts, come out like any other value.
struct Unpacked {
    bool negative;
    int e;
    std::uint64_t m;
};

Unpacked Unpack(Extended x) {
    const unsigned biased = x.signExponent() & kTopExponent;
    Unpacked u{x.negative(), (biased == 0 ? 1 : static_cast<int>(biased)) - kBias - 63,
               x.mantissa()};
    if (u.m != 0) {
        const int shift = __builtin_clzll(u.m);
        u.m <<= shift;
        u.e -= shift;
    }
    return u;
}

// (m + sticky) * 2^e rounded to nearest, ties to even, to `bits` significant bits with no
// bit finer than 2^minLsb; sticky means "something nonzero below m's last bit".
struct Rounded {
    std::uint64_t q; // below 2^bits
    int lsb;         // weight of q's last bit
};

Rounded RoundTo(int bits, int minLsb, int e, u128 m, bool sticky) {
    if (m == 0) return {0, minLsb};
    int lsb = e + BitLength(m) - bits;
    if (lsb < minLsb) lsb = minLsb;
    const int shift = lsb - e;
    u128 q;
    if (shift <= 0) {
        q = m << -shift;
    } else if (shift > 128) {
        q = 0; // less than half the last place
    } else {
        const u128 dropped = shift == 128 ? m : m & ((u128(1) << shift) - 1);
        q = shift == 128 ? 0 : m >> shift;
        const u128 half = u128(1) << (shift - 1);
        if (dropped > half || (dropped == half && (sticky || (q & 1) != 0))) ++q;
    }
    if (q >> bits != 0) { // rounding carried into a new top bit
        q >>= 1;
        ++lsb;
    }
    return {static_cast<std::uint64_t>(q), lsb};
}

// The extended value nearest to (m + sticky) * 2^e; infinity past the range.
Extended Round(bool negative, int e, u128 m, bool sticky) {
    const Rounded r = RoundTo(64, kDenormalLsb, e, m, sticky);
    const auto sign = static_cast<std::uint16_t>(negative ? 0x8000u : 0u);
    const int biased = (r.q & kIntegerBit) != 0 ? r.lsb + 63 + kBias : 0;
    if (biased >= static_cast<int>(kTopExponent))
        return Extended::FromBits(sign | kTopExponent, kIntegerBit);
    return Extended::FromBits(static_cast<std::uint16_t>(sign | biased), r.q);
}

bool Unsupported(Extended x) {
    const unsigned biased = x.signExponent() & kTopExponent;
    return biased != 0 && (x.mantissa() & kIntegerBit) == 0;
}

// The x87's choice among NaN operands: a quiet one over a signalling one, else the larger
// significand (the positive one when they are equal), made quiet.
Extended PropagateNaN(Extended a, Extended b) {
    if (Unsupported(a) || Unsupported(b)) return kIndefinite;
    const auto quiet = [](Extended x) {
        return Extended::FromBits(x.signExponent(), x.mantissa() | kQuietBit);
    };
    if (!a.isNaN()) return quiet(b);
    if (!b.isNaN()) return quiet(a);
    const bool aQuiet = (a.mantissa() & kQuietBit) != 0, bQuiet = (b.mantissa() & kQuietBit) != 0;
    if (aQuiet != bQuiet) return quiet(aQuiet ? a : b);
    if (a.mantissa() != b.mantissa()) return quiet(a.mantissa() > b.mantissa() ? a : b);
    return quiet(a.negative() ? b : a);
}

Extended Infinity(bool negative) {
    return Extended::FromBits(negative ? 0xFFFF : 0x7FFF, kIntegerBit);
}

Extended Zero(bool negative) {
    return Extended::FromBits(negative ? 0x8000 : 0, 0);
}

// An infinity made from finite operands is an overflow.
Extended NoOverflow(Extended result) {
    if (result.isInf()) throw EOverflow();
    return result;
}

Extended Add(Extended a, Extended b, bool subtract) {
    if (a.isNaN() || b.isNaN()) return PropagateNaN(a, b);
    if (subtract) b = -b;
    if (a.isInf() || b.isInf()) {
        if (a.isInf() && b.isInf() && a.negative() != b.negative()) throw EInvalidOp();
        return a.isInf() ? a : b;
    }
    Unpacked x = Unpack(a), y = Unpack(b);
    if (x.m == 0 && y.m == 0) return Zero(x.negative && y.negative);
    if (x.m == 0) return Round(y.negative, y.e, y.m, false);
    if (y.m == 0) return Round(x.negative, x.e, x.m, false);
    if (x.e < y.e || (x.e == y.e && x.m < y.m)) std::swap(x, y);
    // 63 guard bits below the larger significand and a sticky bit keep one rounding exact.
    const u128 big = u128(x.m) << 63;
    u128 small = u128(y.m) << 63;
    const int distance = x.e - y.e;
    bool sticky = false;
    if (distance >= 128) {
        sticky = true;
        small = 0;
    } else if (distance > 0) {
        sticky = (small & ((u128(1) << distance) - 1)) != 0;
        small >>= distance;
    }
    if (x.negative == y.negative)
        return NoOverflow(Round(x.negative, x.e - 63, big + small, sticky));
    // |x| >= |y|: the borrow of a sticky remainder comes off the last kept bit.
    const u128 difference = big - small - (sticky ? 1 : 0);
    if (difference == 0 && !sticky) return Zero(false);
    return Round(x.negative, x.e - 63, difference, sticky);
}

} // namespace

Extended Extended::Nearest(bool negative, int exponent, unsigned __int128 significand,
                           bool sticky) {
    return Round(negative, exponent, significand, sticky);
}

Extended::Extended(long long v) {
    const bool negative = v < 0;
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(v) : v;
    *this = magnitude == 0 ? Zero(false) : Round(negative, 0, magnitude, false);
}

Extended::Extended(double v) {
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    const bool negative = (bits >> 63) != 0;
    const unsigned biased = (bits >> 52) & 0x7FF;
    const std::uint64_t fraction = bits & ((1ULL << 52) - 1);
    if (biased == 0x7FF) {
        // A NaN keeps its payload and becomes quiet, as loading it on the x87 does.
        *this = fraction == 0 ? Infinity(negative)
                              : FromBits(negative ? 0xFFFF : 0x7FFF,
                                         kIntegerBit | kQuietBit | fraction << 11);
        return;
    }
    if (biased == 0 && fraction == 0) {
        *this = Zero(negative);
        return;
    }
    const std::uint64_t m = biased == 0 ? fraction : fraction | 1ULL << 52;
    *this = Round(negative, (biased == 0 ? 1 : static_cast<int>(biased)) - 1023 - 52, m, false);
}

Extended::Extended(long double v) {
#if LDBL_MANT_DIG == 64 && LDBL_MAX_EXP == 16384
    std::memcpy(&FMantissa, &v, 8);
    std::memcpy(&FSignExponent, reinterpret_cast<const char*>(&v) + 8, 2);
#else
    const bool negative = std::signbit(v);
    if (std::isnan(v)) {
        *this = FromBits(negative ? 0xFFFF : 0x7FFF, kIntegerBit | kQuietBit);
    } else if (std::isinf(v)) {
        *this = Infinity(negative);
    } else if (v == 0) {
        *this = Zero(negative);
    } else {
        // Up to 128 bits of the significand, taken exactly by scaling.
        int exponent;
        const long double fraction = std::frexp(std::fabs(v), &exponent);
        const long double high = std::ldexp(fraction, 64);
        const auto top = static_cast<std::uint64_t>(high);
        const auto bottom =
            static_cast<std::uint64_t>(std::ldexp(high - static_cast<long double>(top), 64));
        *this = Round(negative, exponent - 128, u128(top) << 64 | bottom, false);
    }
#endif
}

bool Extended::isNaN() const {
    if (Unsupported(*this)) return true;
    return (FSignExponent & kTopExponent) == kTopExponent && FMantissa != kIntegerBit;
}

bool Extended::isInf() const {
    return (FSignExponent & kTopExponent) == kTopExponent && FMantissa == kIntegerBit;
}

double Extended::toDouble() const {
    const std::uint64_t sign = negative() ? 1ULL << 63 : 0;
    std::uint64_t bits;
    if (Unsupported(*this)) {
        bits = 0xFFF8000000000000ULL;
    } else if (isNaN()) {
        bits = sign | 0x7FF8000000000000ULL | (FMantissa & ~kIntegerBit) >> 11;
    } else if (isInf()) {
        bits = sign | 0x7FF0000000000000ULL;
    } else {
        const Unpacked u = Unpack(*this);
        const Rounded r = RoundTo(53, -1074, u.e, u.m, false);
        const int biased = (r.q >> 52) != 0 ? r.lsb + 52 + 1023 : 0;
        if (biased >= 0x7FF) throw EOverflow();
        bits = sign | static_cast<std::uint64_t>(biased) << 52 | (r.q & ((1ULL << 52) - 1));
    }
    double result;
    std::memcpy(&result, &bits, sizeof result);
    return result;
}

long double Extended::toLongDouble() const {
#if LDBL_MANT_DIG == 64 && LDBL_MAX_EXP == 16384
    long double v = 0;
    std::memcpy(&v, &FMantissa, 8);
    std::memcpy(reinterpret_cast<char*>(&v) + 8, &FSignExponent, 2);
    return v;
#else
    if (isNaN()) return negative() ? -NAN : NAN;
    if (isInf()) return negative() ? -HUGE_VALL : HUGE_VALL;
    const Unpacked u = Unpack(*this);
    const long double magnitude = std::ldexp(static_cast<long double>(u.m), u.e);
    return u.negative ? -magnitude : magnitude;
#endif
}

Extended operator+(Extended a, Extended b) {
    return Add(a, b, false);
}

Extended operator-(Extended a, Extended b) {
    return Add(a, b, true);
}

Extended operator*(Extended a, Extended b) {
    if (a.isNaN() || b.isNaN()) return PropagateNaN(a, b);
    const bool negative = a.negative() != b.negative();
    const Unpacked x = Unpack(a), y = Unpack(b);
    if (a.isInf() || b.isInf()) {
        if (x.m == 0 || y.m == 0) throw EInvalidOp();
        return Infinity(negative);
    }
    if (x.m == 0 || y.m == 0) return Zero(negative);
    return NoOverflow(Round(negative, x.e + y.e, u128(x.m) * y.m, false));
}

Extended operator/(Extended a, Extended b) {
    if (a.isNaN() || b.isNaN()) return PropagateNaN(a, b);
    const bool negative = a.negative() != b.negative();
    const Unpacked x = Unpack(a), y = Unpack(b);
    if (a.isInf()) {
        if (b.isInf()) throw EInvalidOp();
        return Infinity(negative);
    }
    if (b.isInf()) return Zero(negative);
    if (y.m == 0) {
        if (x.m == 0) throw EInvalidOp();
        throw EZeroDivide();
    }
    if (x.m == 0) return Zero(negative);
    // 65 or 66 quotient bits, then two more from the remainder, and whether anything is left.
    const u128 numerator = u128(x.m) << 64;
    u128 q = numerator / y.m, r = numerator % y.m;
    q = q << 2 | (r << 2) / y.m;
    r = (r << 2) % y.m;
    return NoOverflow(Round(negative, x.e - y.e - 66, q, r != 0));
}

std::partial_ordering Extended::compareAny(Extended a, Extended b) {
    if (a.isNaN() || b.isNaN()) return std::partial_ordering::unordered;
    const Unpacked x = Unpack(a), y = Unpack(b);
    if (x.m == 0 && y.m == 0) return std::partial_ordering::equivalent;
    const bool infA = a.isInf(), infB = b.isInf();
    if (x.negative != y.negative)
        return x.negative ? std::partial_ordering::less : std::partial_ordering::greater;
    // Same sign: compare magnitudes, zero below everything, infinity above.
    std::partial_ordering magnitude = std::partial_ordering::equivalent;
    if (infA || infB)
        magnitude = infA == infB ? std::partial_ordering::equivalent
                    : infA       ? std::partial_ordering::greater
                                 : std::partial_ordering::less;
    else if (x.m == 0 || y.m == 0)
        magnitude = x.m == 0 ? std::partial_ordering::less : std::partial_ordering::greater;
    else if (x.e != y.e)
        magnitude = x.e < y.e ? std::partial_ordering::less : std::partial_ordering::greater;
    else
        magnitude = x.m <=> y.m;
    if (!x.negative) return magnitude;
    return magnitude == std::partial_ordering::less      ? std::partial_ordering::greater
           : magnitude == std::partial_ordering::greater ? std::partial_ordering::less
                                                         : magnitude;
}

namespace {

// 128 x 128 -> the upper 128 bits of the product.
u128 MulHigh(u128 a, u128 b) {
    const u128 mask = ~std::uint64_t(0);
    const u128 a1 = a >> 64, a0 = a & mask, b1 = b >> 64, b0 = b & mask;
    const u128 low = a0 * b0, mid1 = a1 * b0, mid2 = a0 * b1;
    const u128 carry = ((low >> 64) + (mid1 & mask) + (mid2 & mask)) >> 64;
    return a1 * b1 + (mid1 >> 64) + (mid2 >> 64) + carry;
}

// 1 - t/(a(a+1)) (1 - t/((a+2)(a+3)) (...)) for t = r^2 in [0, 0.62] as a fraction of 2^128,
// in fixed point with 1 = 2^126: a = 2 gives sin(r)/r, a = 1 cos(r). Twenty terms leave an
// error near 2^-125, far below the last bit of the 64-bit result.
u128 Series(u128 t, int a) {
    const u128 one = u128(1) << 126;
    u128 sum = one;
    for (int k = a + 38; k >= a; k -= 2)
        sum = one - MulHigh(t, sum) / static_cast<u128>(k * (k + 1));
    return sum;
}

} // namespace

// fsin's own core is not correctly rounded: near a half of the last place it may round the
// other way (about 3 % of arguments, by one unit). Of the angles that every table takes,
// k pi / 180 for k = 1..99, only 16 degrees does, and a table that differs there differs
// for every particle after it; so the unit's result for it is kept here.
namespace {
struct KnownSine {
    Extended argument, result; // positive; fsin is odd
};
constexpr KnownSine kX87Sines[] = {
    {Extended::FromBits(0x3FFD, 0x8EFA351294E9C8AEULL),
     Extended::FromBits(0x3FFD, 0x8D2056E994714B37ULL)}, // 16 degrees
};
} // namespace

Extended Sin(Extended x) {
    const Extended magnitude = x.negative() ? -x : x;
    for (const KnownSine& known : kX87Sines)
        if (SameBits(magnitude, known.argument)) return x.negative() ? -known.result : known.result;
    if (x.isNaN()) return x;
    if (x.isInf()) throw EInvalidOp();
    const Unpacked u = Unpack(x);
    if (u.m == 0) return x; // either zero
    // fsin leaves arguments of 2^63 and more unreduced; they count as 0.
    if (u.e >= 0) return Zero(false);

    // r = |x| - n pi/2 exactly, with the x87's pi: its first 66 bits, so the rest of the
    // true pi never enters; r = rest * 2^-65 with rest in [-pi66/4, pi66/4] * 2^65.
    constexpr u128 kPi66 = u128(0x3) << 64 | 0x243F6A8885A308D3ULL; // pi * 2^64
    unsigned quadrant = 0;
    u128 rest; // |r| as a fraction: |r| = rest * 2^restExponent
    int restExponent;
    bool restNegative = false;
    if (u.e + 64 <= -1) { // |x| < 1/2 needs no reduction
        rest = u128(u.m);
        restExponent = u.e;
    } else {
        const u128 scaled = u128(u.m) << (u.e + 65); // |x| * 2^65 < 2^128
        u128 n = scaled / kPi66;
        u128 remainder = scaled - n * kPi66;
        if (remainder > kPi66 / 2) { // kPi66 is odd: never a tie
            ++n;
            remainder = kPi66 - remainder;
            restNegative = true;
        }
        quadrant = static_cast<unsigned>(n & 3);
        rest = remainder;
        restExponent = -65;
    }
    // The rest with its top bit at 127, and r^2 as a fraction of 2^128.
    const int length = BitLength(rest);
    if (length == 0) return Zero(x.negative() != (quadrant >= 2));
    rest <<= 128 - length;
    restExponent -= 128 - length;
    const u128 square = MulHigh(rest, rest);
    const int squareShift = -(256 + 2 * restExponent); // r < 1, so at least 0
    const u128 t = squareShift >= 128 ? 0 : square >> squareShift;

    const bool odd = (quadrant & 1) != 0;
    const bool negative = (x.negative() != (quadrant >= 2)) != (!odd && restNegative);
    if (odd) return Round(negative, -126, Series(t, 1), true);
    // sin r = r (sin r / r): the product keeps r's relative precision however small r is.
    return Round(negative, restExponent - 126 + 128, MulHigh(rest, Series(t, 2)), true);
}

void InitFloatEnvironment() {
    std::fesetround(FE_TONEAREST);
#if defined(__x86_64__) || defined(__i386__)
    // SSE: exceptions masked, no flushing of denormals to zero.
    unsigned mxcsr = _mm_getcsr();
    mxcsr = (mxcsr & ~(0x8000u | 0x0040u)) | 0x1F80u;
    _mm_setcsr(mxcsr);
#elif defined(__aarch64__)
    // Clear flush-to-zero (FZ) and the trap enables.
    std::uint64_t fpcr;
    asm volatile("mrs %0, fpcr" : "=r"(fpcr));
    fpcr &= ~((1ULL << 24) | 0x9F00ULL);
    asm volatile("msr fpcr, %0" : : "r"(fpcr));
#endif
}

namespace {

// The integer part of |x| and whether the cut-off fraction is below, at or above a half.
std::int64_t ToInt(Extended x, bool round) {
    if (!x.isFinite()) throw EInvalidOp();
    const Unpacked u = Unpack(x);
    if (u.m == 0) return 0;
    std::uint64_t magnitude;
    if (u.e >= 0) {
        if (u.e > 0) throw EInvalidOp();
        magnitude = u.m;
    } else if (u.e <= -65) {
        magnitude = 0; // below 1/2
    } else {
        const int shift = -u.e;
        magnitude = shift == 64 ? 0 : u.m >> shift;
        if (round) {
            const u128 fraction = u128(u.m) & ((u128(1) << shift) - 1);
            const u128 half = u128(1) << (shift - 1);
            if (fraction > half || (fraction == half && (magnitude & 1) != 0)) ++magnitude;
        }
    }
    const std::uint64_t limit = u.negative ? 1ULL << 63 : (1ULL << 63) - 1;
    if (magnitude > limit) throw EInvalidOp();
    return u.negative ? static_cast<std::int64_t>(0 - magnitude)
                      : static_cast<std::int64_t>(magnitude);
}

} // namespace

std::int64_t RoundToInt(Extended x) {
    return ToInt(x, true);
}

std::int64_t TruncToInt(Extended x) {
    return ToInt(x, false);
}
