#pragma once

// Qt's moc, which reads this header through the controls, cannot parse <compare>.
#ifndef Q_MOC_RUN
#include <compare>
#endif
#include <cstdint>

// Extended-precision arithmetic that gives the same bits on every processor and reports
// faults where they happen.
//
// The value is the x87 80-bit format (sign, 15-bit exponent, 64-bit significand with an
// explicit integer bit), computed in software: the x87 unit exists only on x86, and the
// `long double` of other processors has other widths and so other digits. Each operation
// rounds once, to nearest with ties to even, with denormals, and checks its own result:
//   invalid operation (0/0, inf-inf, 0*inf, NaN from non-NaN) -> EInvalidOp
//   finite nonzero / 0                                           -> EZeroDivide
//   finite operands with an infinite result                      -> EOverflow
// Underflow, denormal operands and inexact results pass quietly. A NaN operand gives a
// quiet NaN as the x87 picks it.
class Extended {
public:
    constexpr Extended() = default;
    // Exact, except that a platform `long double` wider than 64 bits is rounded.
    Extended(int v) : Extended(static_cast<long long>(v)) {}
    Extended(long v) : Extended(static_cast<long long>(v)) {}
    Extended(long long v);
    Extended(double v);
    Extended(long double v);

    static constexpr Extended FromBits(std::uint16_t signExponent, std::uint64_t mantissa) {
        Extended x;
        x.FSignExponent = signExponent;
        x.FMantissa = mantissa;
        return x;
    }
    // The value nearest to (significand + sticky) * 2^exponent, where sticky stands for
    // anything nonzero below the significand's last bit; infinity past the range, no fault.
    static Extended Nearest(bool negative, int exponent, unsigned __int128 significand,
                            bool sticky);

    constexpr std::uint16_t signExponent() const { return FSignExponent; }
    constexpr std::uint64_t mantissa() const { return FMantissa; }
    constexpr bool negative() const { return (FSignExponent & 0x8000u) != 0; }

    bool isNaN() const;
    bool isInf() const;
    bool isFinite() const { return !isNaN() && !isInf(); }
    // Zero or denormal.
    bool belowNormal() const { return (FSignExponent & 0x7FFFu) == 0; }

    // Rounds to double as a store into a double variable does; EOverflow when a finite
    // value does not fit.
    double toDouble() const;
    // For comparing with the platform's own type (tests, benchmarks); rounds where that is
    // narrower, and raises nothing.
    long double toLongDouble() const;

    friend Extended operator+(Extended a, Extended b);
    friend Extended operator-(Extended a, Extended b);
    friend Extended operator*(Extended a, Extended b);
    friend Extended operator/(Extended a, Extended b);
    friend Extended operator-(Extended a) {
        return FromBits(static_cast<std::uint16_t>(a.FSignExponent ^ 0x8000u), a.FMantissa);
    }
    Extended& operator+=(Extended b) { return *this = *this + b; }
    Extended& operator*=(Extended b) { return *this = *this * b; }

    friend bool operator==(Extended a, Extended b) {
        return (a <=> b) == std::partial_ordering::equivalent;
    }
    friend std::partial_ordering operator<=>(Extended a, Extended b) {
        // A run compares normal numbers of one sign 99 times a particle: for those the
        // exponent and then the significand decide, with no unpacking.
        if (a.isNormal() && b.isNormal() && a.negative() == b.negative()) {
            const unsigned ea = a.FSignExponent & 0x7FFFu, eb = b.FSignExponent & 0x7FFFu;
            const std::strong_ordering magnitude =
                ea != eb ? ea <=> eb : a.FMantissa <=> b.FMantissa;
            return a.negative() ? 0 <=> magnitude : magnitude;
        }
        return compareAny(a, b);
    }

private:
    // Biased exponent 1..0x7FFE with the integer bit set.
    constexpr bool isNormal() const {
        return (FSignExponent & 0x7FFFu) - 1u < 0x7FFEu && (FMantissa >> 63) != 0;
    }
    static std::partial_ordering compareAny(Extended a, Extended b);

    std::uint64_t FMantissa = 0;
    std::uint16_t FSignExponent = 0;
};

// Bitwise identity, NaN payloads and the sign of zero included.
inline bool SameBits(Extended a, Extended b) {
    return a.signExponent() == b.signExponent() && a.mantissa() == b.mantissa();
}

// Extended sine as the x87 `fsin` gives it: the argument reduced by multiples of pi/2 with
// the unit's 66-bit pi, then the sine or cosine of the rest rounded to 64 bits. An argument of
// magnitude 2^63 or more gives 0, infinity EInvalidOp.
Extended Sin(Extended x);

// Round to nearest and no flushing of denormals for the processor's own double arithmetic;
// called once at start-up so that nothing inherited from the environment changes a digit.
// `Extended` does not depend on it. Harmless to call again.
void InitFloatEnvironment();

// Nearest 64-bit integer, ties to even; EInvalidOp for NaN or outside the 64-bit range.
std::int64_t RoundToInt(Extended x);
// Toward zero; EInvalidOp for NaN or outside the 64-bit range.
std::int64_t TruncToInt(Extended x);
