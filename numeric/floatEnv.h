#pragma once

#include <compare>
#include <cstdint>

// Extended-precision arithmetic that reports faults where they happen.
//
// Each operation of `Extended` is carried out in 80-bit long double (round to nearest,
// ties to even) and checks its own result, so the check cannot be reordered or dropped
// by the optimiser the way a test of the FPU's status flags can:
//   invalid operation (0/0, inf-inf, 0*inf, NaN from non-NaN) -> EInvalidOp
//   finite nonzero / 0                                           -> EZeroDivide
//   finite operands with an infinite result                      -> EOverflow
// Underflow, denormal operands and inexact results pass quietly.
class Extended {
public:
    constexpr Extended() = default;
    constexpr Extended(long double v) : FValue(v) {}

    constexpr long double value() const { return FValue; }

    // Rounds to double as a store into a double variable does; EOverflow when a finite
    // value does not fit.
    double toDouble() const;

    friend Extended operator+(Extended a, Extended b);
    friend Extended operator-(Extended a, Extended b);
    friend Extended operator*(Extended a, Extended b);
    friend Extended operator/(Extended a, Extended b);
    friend Extended operator-(Extended a) { return Extended(-a.FValue); }

    friend bool operator==(Extended a, Extended b) { return a.FValue == b.FValue; }
    friend auto operator<=>(Extended a, Extended b) { return a.FValue <=> b.FValue; }

private:
    long double FValue = 0;
};

// Extended sine; an argument of magnitude 2^63 or more gives 0, infinity EInvalidOp.
Extended Sin(Extended x);

// Sets round to nearest and 64-bit significands on the x87 unit (and round to nearest, no
// flushing of denormals on SSE), with every trap masked since the arithmetic checks its
// results; called once at start-up so that nothing inherited from the environment changes a
// digit. Harmless to call again.
void InitFloatEnvironment();

// Nearest 64-bit integer, ties to even; EInvalidOp for NaN or outside the 64-bit range.
std::int64_t RoundToInt(long double x);
// Toward zero; EInvalidOp for NaN or outside the 64-bit range.
std::int64_t TruncToInt(long double x);
