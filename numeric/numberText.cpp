#include "numberText.h"

#include "errors.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string_view>
#include <vector>

namespace {

char separator = '.';

using u128 = unsigned __int128;

// Decimal conversions are exact integer arithmetic on the bits of the value, so that they
// give the same digits on every processor and under any C library locale.

int BitLength(u128 v) {
    const auto high = static_cast<std::uint64_t>(v >> 64);
    if (high != 0) return 128 - __builtin_clzll(high);
    const auto low = static_cast<std::uint64_t>(v);
    return low == 0 ? 0 : 64 - __builtin_clzll(low);
}

// 5^n for n <= 27, the largest that fits 63 bits.
std::uint64_t PowerOfFive(int n) {
    std::uint64_t p = 1;
    while (n-- > 0)
        p *= 5;
    return p;
}

// An unsigned integer of any size, least significant limb first; only for the values whose
// decimal scaling does not fit 128 bits.
class BigNat {
public:
    explicit BigNat(u128 v = 0) {
        for (; v != 0; v >>= 64)
            FLimbs.push_back(static_cast<std::uint64_t>(v));
    }
    bool isZero() const { return FLimbs.empty(); }
    int bitLength() const {
        return FLimbs.empty() ? 0
                              : 64 * static_cast<int>(FLimbs.size() - 1) + BitLength(FLimbs.back());
    }
    void mulAdd(std::uint64_t factor, std::uint64_t term) {
        u128 carry = term;
        for (auto& limb : FLimbs) {
            carry += u128(limb) * factor;
            limb = static_cast<std::uint64_t>(carry);
            carry >>= 64;
        }
        if (carry != 0) FLimbs.push_back(static_cast<std::uint64_t>(carry));
    }
    void mulPowerOfFive(std::int64_t n) {
        for (; n > 0; n -= 27)
            mulAdd(PowerOfFive(static_cast<int>(std::min<std::int64_t>(n, 27))), 0);
    }
    void shiftLeft(int bits) {
        if (isZero() || bits == 0) return;
        const int limbs = bits / 64, rest = bits % 64;
        FLimbs.insert(FLimbs.begin(), static_cast<std::size_t>(limbs), 0);
        if (rest == 0) return;
        std::uint64_t carry = 0;
        for (std::size_t i = static_cast<std::size_t>(limbs); i < FLimbs.size(); ++i) {
            const std::uint64_t next = FLimbs[i] >> (64 - rest);
            FLimbs[i] = FLimbs[i] << rest | carry;
            carry = next;
        }
        if (carry != 0) FLimbs.push_back(carry);
    }
    void shiftRightOne() {
        for (std::size_t i = 0; i < FLimbs.size(); ++i)
            FLimbs[i] = FLimbs[i] >> 1 | (i + 1 < FLimbs.size() ? FLimbs[i + 1] << 63 : 0);
        trim();
    }
    // *this -= other; other must not be greater.
    void subtract(const BigNat& other) {
        std::uint64_t borrow = 0;
        for (std::size_t i = 0; i < FLimbs.size(); ++i) {
            const std::uint64_t b = i < other.FLimbs.size() ? other.FLimbs[i] : 0;
            const u128 d = u128(FLimbs[i]) - b - borrow;
            FLimbs[i] = static_cast<std::uint64_t>(d);
            borrow = static_cast<std::uint64_t>(d >> 64) & 1;
        }
        trim();
    }
    friend int compare(const BigNat& a, const BigNat& b) {
        if (a.FLimbs.size() != b.FLimbs.size()) return a.FLimbs.size() < b.FLimbs.size() ? -1 : 1;
        for (std::size_t i = a.FLimbs.size(); i-- > 0;)
            if (a.FLimbs[i] != b.FLimbs[i]) return a.FLimbs[i] < b.FLimbs[i] ? -1 : 1;
        return 0;
    }
    // The 128 bits from `from` upward, and whether any bit below `from` is set.
    u128 bitsFrom(int from, bool& below) const {
        below = false;
        for (int i = 0; i < from / 64 && !below; ++i)
            below = FLimbs[static_cast<std::size_t>(i)] != 0;
        if (from % 64 != 0 &&
            (FLimbs[static_cast<std::size_t>(from / 64)] << (64 - from % 64)) != 0)
            below = true;
        u128 v = 0;
        for (int bit = from + 127; bit >= from; --bit) {
            const auto limb = static_cast<std::size_t>(bit / 64);
            v = v << 1 | (limb < FLimbs.size() ? (FLimbs[limb] >> (bit % 64)) & 1 : 0);
        }
        return v;
    }

private:
    void trim() {
        while (!FLimbs.empty() && FLimbs.back() == 0)
            FLimbs.pop_back();
    }
    std::vector<std::uint64_t> FLimbs;
};

// The quotient of num / den, which must be below 2^bits (bits <= 128); num keeps the rest.
u128 Divide(BigNat& num, BigNat den, int bits) {
    den.shiftLeft(bits);
    u128 q = 0;
    for (int bit = bits - 1; bit >= 0; --bit) {
        den.shiftRightOne();
        if (compare(num, den) >= 0) {
            num.subtract(den);
            q |= u128(1) << bit;
        }
    }
    return q;
}

// |x| = m * 2^e, m = 0 for zero.
void Split(Extended x, std::uint64_t& m, int& e) {
    const unsigned biased = x.signExponent() & 0x7FFFu;
    m = x.mantissa();
    e = (biased == 0 ? 1 : static_cast<int>(biased)) - 16383 - 63;
}

// floor(m * 2^e * 10^k) and where the cut-off fraction lies: -1 below a half, 0 at it, 1 above.
u128 Scale(std::uint64_t m, int e, int k, int& half) {
    const int twos = e + k; // 10^k = 5^k 2^k
    if (k >= 0 && k <= 27 && twos <= 0 && twos > -128) {
        const u128 a = u128(m) * PowerOfFive(k);
        const int s = -twos;
        if (s == 0) {
            half = -1;
            return a;
        }
        const u128 fraction = a & ((u128(1) << s) - 1), mid = u128(1) << (s - 1);
        half = fraction < mid ? -1 : fraction == mid ? 0 : 1;
        return a >> s;
    }
    if (k < 0 && k >= -27 && twos >= 0 && twos + 64 <= 127) {
        const u128 n = u128(m) << twos;
        const std::uint64_t d = PowerOfFive(-k);
        const u128 r2 = n % d * 2;
        half = r2 < d ? -1 : r2 == d ? 0 : 1;
        return n / d;
    }
    BigNat num(m), den(1);
    if (k >= 0)
        num.mulPowerOfFive(k);
    else
        den.mulPowerOfFive(-k);
    if (twos >= 0)
        num.shiftLeft(twos);
    else
        den.shiftLeft(-twos);
    const u128 q = Divide(num, den, 64);
    num.shiftLeft(1);
    const int c = compare(num, den);
    half = c;
    return q;
}

// The 18-digit integer nearest to |x| / 10^(exponent - 18), ties to even, for a normal x.
std::uint64_t Expand18(Extended x, std::int64_t& exponent) {
    constexpr std::uint64_t kLow = 100000000000000000ULL, kHigh = 10 * kLow;
    std::uint64_t m;
    int e;
    Split(x, m, e);
    // |x| >= 2^(bits - 1), so this E is at most one too small (and the estimate of the
    // logarithm may make it one too large).
    const int bits = e + BitLength(m);
    int E = static_cast<int>((static_cast<std::int64_t>(bits - 1) * 78913) >> 18) + 1;
    for (;;) {
        int half;
        const u128 q = Scale(m, e, 18 - E, half);
        if (q >= kHigh) {
            ++E;
        } else if (q < kLow) {
            --E;
        } else {
            auto digits = static_cast<std::uint64_t>(q);
            if (half > 0 || (half == 0 && (digits & 1) != 0)) ++digits;
            if (digits == kHigh) {
                digits = kLow;
                ++E;
            }
            exponent = E;
            return digits;
        }
    }
}

// The extended value nearest to the decimal integer `digits` times 10^power; infinity when it
// is past the largest finite value.
Extended NearestValue(bool negative, std::string_view digits, std::int64_t power) {
    std::uint64_t small = 0;
    if (digits.size() <= 19) {
        for (char c : digits)
            small = small * 10 + static_cast<std::uint64_t>(c - '0');
        if (power >= 0 && power <= 27)
            return Extended::Nearest(negative, static_cast<int>(power),
                                     u128(small) * PowerOfFive(static_cast<int>(power)), false);
        if (power < 0 && power >= -27) {
            // small * 2^s / 5^-power with at least 71 bits, and whether anything is left.
            const std::uint64_t d = PowerOfFive(static_cast<int>(-power));
            const int s = 127 - BitLength(small);
            const u128 n = u128(small) << s;
            u128 q = n / d, r = n % d;
            int extra = 0;
            if (q >> 70 == 0) {
                q = q << 8 | (r << 8) / d;
                r = (r << 8) % d;
                extra = 8;
            }
            return Extended::Nearest(negative, static_cast<int>(power) - s - extra, q, r != 0);
        }
    }
    BigNat num;
    for (std::size_t at = 0; at < digits.size(); at += 19) {
        const std::string_view chunk = digits.substr(at, 19);
        std::uint64_t value = 0, scale = 1;
        for (char c : chunk) {
            value = value * 10 + static_cast<std::uint64_t>(c - '0');
            scale *= 10;
        }
        num.mulAdd(scale, value);
    }
    if (power >= 0) {
        num.mulPowerOfFive(power);
        const int length = num.bitLength();
        bool below;
        const int from = std::max(length - 128, 0);
        const u128 top = num.bitsFrom(from, below);
        return Extended::Nearest(negative, static_cast<int>(power) + from, top, below);
    }
    BigNat den(1);
    den.mulPowerOfFive(-power);
    // Shifted so that the quotient has 67 to 69 bits.
    const int s = 68 - (num.bitLength() - den.bitLength());
    if (s > 0)
        num.shiftLeft(s);
    else
        den.shiftLeft(-s);
    const u128 q = Divide(num, den, 69);
    return Extended::Nearest(negative, static_cast<int>(power) - s, q, !num.isZero());
}

constexpr int kPrecision = 15;
constexpr int kExpansionDigits = 18;
constexpr int kMaxFixedDecimals = 18;
constexpr std::int64_t kUnlimitedDecimals = 1LL << 40;

enum class Kind { Finite, Infinite, NaN };

// |x| = 0.digits * 10^exponent; no digits means zero.
struct Decimal {
    Kind kind = Kind::Finite;
    bool negative = false;
    std::string digits;
    std::int64_t exponent = 0;
};

// The steps from the value to its kept digits: 18 correctly rounded digits, then at most
// `decimals` places and kPrecision digits, halves away from zero.
Decimal ToDecimal(Extended x, std::int64_t decimals) {
    Decimal d;
    d.negative = x.negative();
    // Encodings the x87 rejects (unnormals, pseudo-NaNs) read as NaN.
    if (x.isNaN()) d.kind = Kind::NaN;
    if (x.isInf()) d.kind = Kind::Infinite;
    if (d.kind == Kind::Infinite) return d;
    if (d.kind == Kind::NaN || x.belowNormal()) {
        d.negative = false; // neither NaN nor zero shows a sign
        return d;
    }

    d.digits = std::to_string(Expand18(x, d.exponent));
    if (d.exponent + decimals < 0) {
        d.digits.clear();
    } else {
        const auto keep = static_cast<std::size_t>(
            std::min<std::int64_t>({d.exponent + decimals, kPrecision, kExpansionDigits}));
        if (keep < d.digits.size() && d.digits[keep] >= '5') {
            d.digits.resize(keep);
            std::size_t i = keep;
            while (i > 0 && d.digits[i - 1] == '9')
                d.digits[--i] = '0';
            if (i == 0) {
                d.digits.assign(1, '1');
                ++d.exponent;
            } else {
                ++d.digits[i - 1];
            }
        } else {
            d.digits.resize(keep);
        }
        while (!d.digits.empty() && d.digits.back() == '0')
            d.digits.pop_back();
    }
    if (d.digits.empty()) {
        d.exponent = 0;
        d.negative = false;
    }
    return d;
}

std::string SpecialText(const Decimal& d) {
    if (d.kind == Kind::NaN) return "NAN";
    return d.negative ? "-INF" : "INF";
}

std::string ExponentForm(const Decimal& d, std::int64_t minExponentDigits) {
    std::string text = d.negative ? "-" : "";
    text += d.digits[0];
    if (d.digits.size() > 1) {
        text += separator;
        text.append(d.digits, 1);
    }
    text += 'E';
    const std::int64_t exponent = d.exponent - 1;
    if (exponent < 0) text += '-';
    const std::string magnitude = std::to_string(exponent < 0 ? -exponent : exponent);
    if (static_cast<std::int64_t>(magnitude.size()) < minExponentDigits)
        text.append(static_cast<std::size_t>(minExponentDigits) - magnitude.size(), '0');
    return text + magnitude;
}

// Leading and trailing spaces, sign, digits with one optional separator, and an exponent
// whose digits stop being read at 500. Never touches the floating-point status.
bool ParseNumber(std::string_view text, char separator, Extended& value) {
    // Enough digits to decide the rounding of any decimal between two extended values;
    // the rest only tells whether something nonzero follows.
    constexpr std::size_t kMaxDigits = 12000;

    std::size_t i = 0;
    const std::size_t n = text.size();
    const auto isDigit = [&](std::size_t at) {
        return at < n && text[at] >= '0' && text[at] <= '9';
    };

    while (i < n && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

    std::string digits;
    bool droppedNonzero = false;
    std::int64_t exponent = 0; // the value is 0.digits * 10^exponent
    const auto take = [&](char c) {
        if (digits.size() < kMaxDigits)
            digits += c;
        else if (c != '0')
            droppedNonzero = true;
    };
    const std::size_t mantissaStart = i;
    for (; isDigit(i); ++i) {
        if (digits.empty() && text[i] == '0') continue;
        take(text[i]);
        ++exponent;
    }
    if (i < n && text[i] == separator) {
        ++i;
        for (; isDigit(i); ++i) {
            if (digits.empty() && text[i] == '0')
                --exponent;
            else
                take(text[i]);
        }
    }
    if (i == mantissaStart) return false;

    if (i < n && (text[i] == 'E' || text[i] == 'e')) {
        ++i;
        bool exponentNegative = false;
        if (i < n && (text[i] == '+' || text[i] == '-')) exponentNegative = text[i++] == '-';
        int written = 0;
        for (; isDigit(i); ++i) {
            if (written >= 500) return false;
            written = written * 10 + (text[i] - '0');
        }
        exponent += exponentNegative ? -written : written;
    }
    while (i < n && text[i] == ' ')
        ++i;
    if (i != n) return false;

    Extended magnitude = 0;
    if (!digits.empty()) { // leading zeros were skipped, so this is a nonzero value
        // 0.1 * 10^4933 already exceeds the range; 10^-4960 rounds to zero.
        if (exponent > 4933) return false;
        if (exponent >= -4960) {
            if (droppedNonzero) digits += '1';
            magnitude =
                NearestValue(false, digits, exponent - static_cast<std::int64_t>(digits.size()));
            if (magnitude.isInf()) return false;
        }
    }
    value = negative ? -magnitude : magnitude;
    return true;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

} // namespace

char DecimalSeparator() {
    return separator;
}

void SetDecimalSeparator(char newSeparator) {
    separator = newSeparator;
}

std::string NumberToText(Extended x) {
    const Decimal d = ToDecimal(x, kUnlimitedDecimals);
    if (d.kind != Kind::Finite) return SpecialText(d);
    if (d.digits.empty()) return "0";
    if (d.exponent > kPrecision || d.exponent < -3) return ExponentForm(d, 0);

    std::string text = d.negative ? "-" : "";
    const auto count = static_cast<std::int64_t>(d.digits.size());
    if (d.exponent <= 0) {
        text += '0';
        text += separator;
        text.append(static_cast<std::size_t>(-d.exponent), '0');
        text += d.digits;
    } else if (count <= d.exponent) {
        text += d.digits;
        text.append(static_cast<std::size_t>(d.exponent - count), '0');
    } else {
        text.append(d.digits, 0, static_cast<std::size_t>(d.exponent));
        text += separator;
        text.append(d.digits, static_cast<std::size_t>(d.exponent));
    }
    return text;
}

std::string FixedToText(Extended x, std::int32_t decimals) {
    // The digits are rounded for the places asked for; at most 18 of them are written.
    const std::int64_t places = std::max(decimals, 0);
    const Decimal d = ToDecimal(x, places);
    if (d.kind != Kind::Finite) return SpecialText(d);
    if (d.exponent > kPrecision) return ExponentForm(d, places <= 4 ? places : 0);

    std::string text = d.negative ? "-" : "";
    const auto count = static_cast<std::int64_t>(d.digits.size());
    std::int64_t used = 0; // digits placed before the separator
    if (d.exponent <= 0) {
        text += '0';
    } else {
        used = std::min(count, d.exponent);
        text.append(d.digits, 0, static_cast<std::size_t>(used));
        text.append(static_cast<std::size_t>(d.exponent - used), '0');
    }
    if (places > 0) {
        std::string fraction(static_cast<std::size_t>(d.exponent < 0 ? -d.exponent : 0), '0');
        fraction.append(d.digits, static_cast<std::size_t>(used));
        fraction.resize(static_cast<std::size_t>(std::min<std::int64_t>(places, kMaxFixedDecimals)),
                        '0');
        text += separator;
        text += fraction;
    }
    return text;
}

Extended TextToNumber(const std::string& text) {
    Extended value;
    if (!ParseNumber(text, separator, value))
        throw EConvertError("'" + text + "' is not a valid floating point value");
    return value;
}

Extended TextToNumberOr(const std::string& text, Extended fallback) {
    Extended value;
    return ParseNumber(text, separator, value) ? value : fallback;
}

Extended operator""_ext(const char* literal) {
    Extended value;
    ParseNumber(literal, '.', value);
    return value;
}

std::int32_t TextToIntOr(const std::string& text, std::int32_t fallback) {
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';

    const bool hex =
        i < n && (text[i] == '$' || text[i] == 'x' || text[i] == 'X' ||
                  (text[i] == '0' && i + 1 < n && (text[i + 1] == 'x' || text[i + 1] == 'X')));
    if (hex) {
        i += text[i] == '0' ? 2 : 1;
        if (i == n) return fallback;
        std::uint32_t value = 0;
        for (; i < n; ++i) {
            const int digit = HexDigit(text[i]);
            if (digit < 0 || value > 0x0FFFFFFFu) return fallback;
            value = value << 4 | static_cast<std::uint32_t>(digit);
        }
        // Two's complement on the unsigned value: '-$80000000' wraps to the least value.
        if (negative) value = 0u - value;
        return static_cast<std::int32_t>(value);
    }

    if (i == n) return fallback;
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    std::int64_t value = 0;
    for (; i < n; ++i) {
        if (text[i] < '0' || text[i] > '9') return fallback;
        value = value * 10 + (text[i] - '0');
        if (value > limit) return fallback;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

std::string IntToText(std::int64_t v) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
    return std::string(buffer, result.ptr);
}

std::string IntToHexText(std::int64_t v, std::int32_t minDigits) {
    if (minDigits < 0 || minDigits > 32) minDigits = 0;
    auto value = static_cast<std::uint64_t>(v);
    std::string text;
    do {
        text += "0123456789ABCDEF"[value & 0xF];
        value >>= 4;
    } while (value != 0);
    if (static_cast<std::int32_t>(text.size()) < minDigits)
        text.append(static_cast<std::size_t>(minDigits) - text.size(), '0');
    std::reverse(text.begin(), text.end());
    return text;
}
