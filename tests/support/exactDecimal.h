#pragma once

// Exact decimal expansion of extended values, worked out with integer arithmetic on the
// 64-bit significand and the binary exponent. A slow but independent reference for the
// number text conversions: it uses neither the C library's conversions nor the module's.

#include "floatEnv.h"

#include <cstdint>
#include <string>
#include <vector>

namespace exact {

// An unsigned integer of any size, least significant limb first, no zero limbs on top.
class BigNat {
public:
    BigNat() = default;
    explicit BigNat(std::uint64_t v);

    bool IsZero() const { return FLimbs.empty(); }
    int BitLength() const;
    // The bits from `from` upward, as many as fit 128 bits.
    unsigned __int128 BitsFrom(int from) const;

    void MulSmall(std::uint64_t factor);
    void Mul(const BigNat& other);
    void AddSmall(std::uint64_t term);
    void ShiftLeft(int bits);
    void ShiftRight(int bits);
    // *this -= other; other must not be greater.
    void Sub(const BigNat& other);
    // *this /= divisor, giving the remainder.
    std::uint64_t DivSmall(std::uint64_t divisor);

    friend int Compare(const BigNat& a, const BigNat& b);
    std::string ToDecimal() const;

private:
    void Trim();
    std::vector<std::uint64_t> FLimbs;
};

// 5 to the power n, 0 <= n <= 5000, from a table built on first use.
const BigNat& PowerOfFive(int n);

// A normal finite value as sign, the 18-digit integer nearest to |x| / 10^(exponent - 18)
// (ties to even) and the exponent, so that |x| is about 0.q times 10 to the exponent.
struct Expansion {
    bool negative = false;
    std::uint64_t q = 0; // 10^17 <= q < 10^18
    int exponent = 0;
};
Expansion Expand18(Extended x);

// The texts built from the expansion: general form with 15 significant digits, and the
// fixed form with `decimals` places (0 and up). Zero and values below the normal range
// read as zero; infinities and NaNs are not handled.
std::string GeneralText(Extended x, char separator);
std::string FixedText(Extended x, int decimals, char separator);

// The value nearest to `digits` (decimal digits, read as an integer) times 10^power,
// ties to even, with the sign; false when it rounds past the largest finite value. Values
// below half the smallest denormal are zero.
bool NearestValue(bool negative, const std::string& digits, long long power, Extended& value);

} // namespace exact
