#include "exactDecimal.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace exact {

BigNat::BigNat(std::uint64_t v) {
    if (v != 0) FLimbs.push_back(v);
}

void BigNat::Trim() {
    while (!FLimbs.empty() && FLimbs.back() == 0)
        FLimbs.pop_back();
}

int BigNat::BitLength() const {
    if (FLimbs.empty()) return 0;
    return static_cast<int>(FLimbs.size() - 1) * 64 + 64 - __builtin_clzll(FLimbs.back());
}

unsigned __int128 BigNat::BitsFrom(int from) const {
    unsigned __int128 bits = 0;
    for (int i = 127; i >= 0; --i) {
        const int at = from + i;
        const auto limb = static_cast<std::size_t>(at / 64);
        bits <<= 1;
        if (limb < FLimbs.size()) bits |= (FLimbs[limb] >> (at % 64)) & 1u;
    }
    return bits;
}

void BigNat::MulSmall(std::uint64_t factor) {
    std::uint64_t carry = 0;
    for (auto& limb : FLimbs) {
        const unsigned __int128 p = static_cast<unsigned __int128>(limb) * factor + carry;
        limb = static_cast<std::uint64_t>(p);
        carry = static_cast<std::uint64_t>(p >> 64);
    }
    if (carry != 0) FLimbs.push_back(carry);
    Trim();
}

void BigNat::Mul(const BigNat& other) {
    std::vector<std::uint64_t> product(FLimbs.size() + other.FLimbs.size(), 0);
    for (std::size_t i = 0; i < FLimbs.size(); ++i) {
        std::uint64_t carry = 0;
        for (std::size_t j = 0; j < other.FLimbs.size(); ++j) {
            const unsigned __int128 p =
                static_cast<unsigned __int128>(FLimbs[i]) * other.FLimbs[j] + product[i + j] +
                carry;
            product[i + j] = static_cast<std::uint64_t>(p);
            carry = static_cast<std::uint64_t>(p >> 64);
        }
        product[i + other.FLimbs.size()] = carry;
    }
    FLimbs = std::move(product);
    Trim();
}

void BigNat::AddSmall(std::uint64_t term) {
    for (auto& limb : FLimbs) {
        limb += term;
        if (limb >= term) return;
        term = 1;
    }
    if (term != 0) FLimbs.push_back(term);
}

void BigNat::ShiftLeft(int bits) {
    if (FLimbs.empty() || bits == 0) return;
    const auto whole = static_cast<std::size_t>(bits / 64);
    const int part = bits % 64;
    if (part != 0) {
        FLimbs.push_back(0);
        for (std::size_t i = FLimbs.size() - 1; i > 0; --i)
            FLimbs[i] = FLimbs[i] << part | FLimbs[i - 1] >> (64 - part);
        FLimbs[0] <<= part;
    }
    FLimbs.insert(FLimbs.begin(), whole, 0);
    Trim();
}

void BigNat::ShiftRight(int bits) {
    const auto whole = static_cast<std::size_t>(bits / 64);
    const int part = bits % 64;
    if (whole >= FLimbs.size()) {
        FLimbs.clear();
        return;
    }
    FLimbs.erase(FLimbs.begin(), FLimbs.begin() + static_cast<std::ptrdiff_t>(whole));
    if (part != 0) {
        for (std::size_t i = 0; i + 1 < FLimbs.size(); ++i)
            FLimbs[i] = FLimbs[i] >> part | FLimbs[i + 1] << (64 - part);
        FLimbs.back() >>= part;
    }
    Trim();
}

void BigNat::Sub(const BigNat& other) {
    std::uint64_t borrow = 0;
    for (std::size_t i = 0; i < FLimbs.size(); ++i) {
        const std::uint64_t b = i < other.FLimbs.size() ? other.FLimbs[i] : 0;
        const std::uint64_t d = FLimbs[i] - b - borrow;
        borrow = (FLimbs[i] < b || (FLimbs[i] == b && borrow != 0)) ? 1 : 0;
        FLimbs[i] = d;
    }
    Trim();
}

std::uint64_t BigNat::DivSmall(std::uint64_t divisor) {
    unsigned __int128 rest = 0;
    for (std::size_t i = FLimbs.size(); i-- > 0;) {
        rest = rest << 64 | FLimbs[i];
        FLimbs[i] = static_cast<std::uint64_t>(rest / divisor);
        rest %= divisor;
    }
    Trim();
    return static_cast<std::uint64_t>(rest);
}

int Compare(const BigNat& a, const BigNat& b) {
    if (a.FLimbs.size() != b.FLimbs.size()) return a.FLimbs.size() < b.FLimbs.size() ? -1 : 1;
    for (std::size_t i = a.FLimbs.size(); i-- > 0;)
        if (a.FLimbs[i] != b.FLimbs[i]) return a.FLimbs[i] < b.FLimbs[i] ? -1 : 1;
    return 0;
}

std::string BigNat::ToDecimal() const {
    if (IsZero()) return "0";
    BigNat rest = *this;
    std::string text;
    while (!rest.IsZero()) {
        std::uint64_t chunk = rest.DivSmall(1000000000000000000ULL);
        for (int i = 0; i < 18; ++i, chunk /= 10)
            text += static_cast<char>('0' + chunk % 10);
    }
    while (text.size() > 1 && text.back() == '0')
        text.pop_back();
    std::reverse(text.begin(), text.end());
    return text;
}

const BigNat& PowerOfFive(int n) {
    static const std::vector<BigNat> table = [] {
        std::vector<BigNat> powers(5001);
        powers[0] = BigNat(1);
        for (std::size_t i = 1; i < powers.size(); ++i) {
            powers[i] = powers[i - 1];
            powers[i].MulSmall(5);
        }
        return powers;
    }();
    return table.at(static_cast<std::size_t>(n));
}

namespace {

constexpr std::uint64_t kPow10[] = {1ULL,
                                    10ULL,
                                    100ULL,
                                    1000ULL,
                                    10000ULL,
                                    100000ULL,
                                    1000000ULL,
                                    10000000ULL,
                                    100000000ULL,
                                    1000000000ULL,
                                    10000000000ULL,
                                    100000000000ULL,
                                    1000000000000ULL,
                                    10000000000000ULL,
                                    100000000000000ULL,
                                    1000000000000000ULL,
                                    10000000000000000ULL,
                                    100000000000000000ULL,
                                    1000000000000000000ULL};

// floor(num / den) for a quotient below 2^62, and the remainder left in num.
std::uint64_t DivideSmallQuotient(BigNat& num, const BigNat& den) {
    // An estimate from the leading bits, then exact correction.
    const int nb = num.BitLength();
    const int db = den.BitLength();
    const int numShift = std::max(0, nb - 128);
    const int denShift = std::max(0, db - 64);
    const unsigned __int128 numTop = num.BitsFrom(numShift);
    const unsigned __int128 denTop = den.BitsFrom(denShift) + (denShift > 0 ? 1 : 0);
    unsigned __int128 estimate = numTop / denTop;
    const int shift = numShift - denShift;
    if (shift >= 0)
        estimate = shift >= 64 ? ~static_cast<unsigned __int128>(0) >> 66 : estimate << shift;
    else
        estimate = -shift >= 128 ? 0 : estimate >> -shift;
    std::uint64_t q = static_cast<std::uint64_t>(
        std::min<unsigned __int128>(estimate, static_cast<unsigned __int128>(1) << 62));

    BigNat product = den;
    product.MulSmall(q);
    while (Compare(product, num) > 0) {
        product.Sub(den);
        --q;
    }
    num.Sub(product);
    while (Compare(num, den) >= 0) {
        num.Sub(den);
        ++q;
    }
    return q;
}

struct Kept {
    bool negative = false;
    std::string digits; // no trailing zeros; empty is zero
    int exponent = 0;
};

// The value's digits for `decimals` places and 15 significant digits, halves up.
Kept KeepDigits(Extended x, long long decimals) {
    Kept kept;
    const unsigned biased = x.signExponent() & 0x7FFFu;
    if (biased == 0 || biased == 0x7FFF || (x.mantissa() >> 63) == 0) return kept;
    const Expansion ex = Expand18(x);
    if (ex.exponent + decimals < 0) return kept;
    const int k = static_cast<int>(std::min<long long>({ex.exponent + decimals, 15, 18}));
    std::uint64_t head = ex.q / kPow10[18 - k];
    const std::uint64_t tail = ex.q % kPow10[18 - k];
    int exponent = ex.exponent;
    if (k < 18 && tail >= 5 * kPow10[17 - k]) {
        ++head;
        if (head == kPow10[k]) {
            head = 1;
            ++exponent;
        }
    }
    if (head == 0) return kept;
    while (head % 10 == 0)
        head /= 10;
    kept.digits = std::to_string(head);
    kept.negative = ex.negative;
    kept.exponent = exponent;
    return kept;
}

// The digit standing for 10^power.
char DigitAt(const Kept& kept, int power) {
    const long long index = static_cast<long long>(kept.exponent) - 1 - power;
    return index >= 0 && index < static_cast<long long>(kept.digits.size())
               ? kept.digits[static_cast<std::size_t>(index)]
               : '0';
}

std::string Scientific(const Kept& kept, char separator, int minExponentDigits) {
    std::string text = kept.negative ? "-" : "";
    text += kept.digits.substr(0, 1);
    if (kept.digits.size() > 1) text += separator + kept.digits.substr(1);
    const int power = kept.exponent - 1;
    std::string digits = std::to_string(power < 0 ? -power : power);
    while (static_cast<int>(digits.size()) < minExponentDigits)
        digits.insert(digits.begin(), '0');
    return text + 'E' + (power < 0 ? "-" : "") + digits;
}

} // namespace

Expansion Expand18(Extended x) {
    const std::uint64_t m = x.mantissa();
    const std::uint16_t signExponent = x.signExponent();
    const int e = (signExponent & 0x7FFF) - 16383 - 63; // |x| = m * 2^e
    if ((signExponent & 0x7FFF) == 0 || (signExponent & 0x7FFF) == 0x7FFF || (m >> 63) == 0)
        std::abort();

    Expansion ex;
    ex.negative = (signExponent & 0x8000) != 0;
    // floor(log10 |x|), perhaps one off; the quotient's size corrects it.
    int scale =
        static_cast<int>(std::floor((e + 63) * 0.30102999566398119521 +
                                    std::log10(static_cast<double>(m) / 9223372036854775808.0)));
    for (;;) {
        // |x| / 10^s = m * 2^(e-s) * 5^(-s), as a fraction num / den.
        const int s = scale - 17;
        BigNat num(m);
        BigNat den(1);
        if (s < 0) num.Mul(PowerOfFive(-s));
        if (s > 0) den = PowerOfFive(s);
        if (e - s > 0) num.ShiftLeft(e - s);
        if (e - s < 0) den.ShiftLeft(s - e);
        std::uint64_t q = DivideSmallQuotient(num, den);
        if (q >= kPow10[18]) {
            ++scale;
            continue;
        }
        if (q < kPow10[17]) {
            --scale;
            continue;
        }
        num.ShiftLeft(1); // twice the remainder against the divisor: the rounding
        const int half = Compare(num, den);
        if (half > 0 || (half == 0 && q % 2 == 1)) ++q;
        ex.exponent = s + 18;
        if (q == kPow10[18]) {
            q = kPow10[17];
            ++ex.exponent;
        }
        ex.q = q;
        return ex;
    }
}

std::string GeneralText(Extended x, char separator) {
    const Kept kept = KeepDigits(x, 1LL << 40);
    if (kept.digits.empty()) return "0";
    if (kept.exponent > 15 || kept.exponent < -3) return Scientific(kept, separator, 0);
    std::string text = kept.negative ? "-" : "";
    const int last = std::min(0, kept.exponent - static_cast<int>(kept.digits.size()));
    for (int power = std::max(kept.exponent - 1, 0); power >= last; --power) {
        if (power == -1) text += separator;
        text += DigitAt(kept, power);
    }
    return text;
}

std::string FixedText(Extended x, int decimals, char separator) {
    const Kept kept = KeepDigits(x, decimals);
    if (kept.exponent > 15) return Scientific(kept, separator, decimals <= 4 ? decimals : 0);
    std::string text = kept.negative ? "-" : "";
    for (int power = std::max(kept.exponent - 1, 0); power >= -std::min(decimals, 18); --power) {
        if (power == -1) text += separator;
        text += DigitAt(kept, power);
    }
    return text;
}

namespace {

// 10^n for n up to 10000.
BigNat PowerOfTen(long long n) {
    BigNat p = PowerOfFive(static_cast<int>(std::min(n, 5000LL)));
    if (n > 5000) p.Mul(PowerOfFive(static_cast<int>(n - 5000)));
    p.ShiftLeft(static_cast<int>(n));
    return p;
}

} // namespace

bool NearestValue(bool negative, const std::string& digits, long long power, Extended& value) {
    const std::size_t first = digits.find_first_not_of('0');
    const std::uint16_t sign = negative ? 0x8000 : 0;
    value = Extended::FromBits(sign, 0);
    if (first == std::string::npos) return true;
    // |value| lies in [10^(scale - 1), 10^scale): past 10^4933 it overflows, below
    // 10^-4961 (under half the smallest denormal, about 1.8E-4951) it is zero.
    const long long scale = static_cast<long long>(digits.size() - first) + power;
    if (scale > 4933) return false;
    if (scale < -4960) return true;

    BigNat num, den(1);
    for (std::size_t i = first; i < digits.size(); ++i) {
        num.MulSmall(10);
        num.AddSmall(static_cast<std::uint64_t>(digits[i] - '0'));
    }
    if (power >= 0)
        num.Mul(PowerOfTen(power));
    else
        den = PowerOfTen(-power);

    // value = num / den * 2^exponent2, the quotient scaled to 66 or 67 bits.
    const int shift = 66 - (num.BitLength() - den.BitLength());
    if (shift > 0)
        num.ShiftLeft(shift);
    else
        den.ShiftLeft(-shift);
    const long long exponent2 = -shift;
    unsigned __int128 q = 0;
    den.ShiftLeft(67);
    for (int bit = 67; bit >= 0; --bit, den.ShiftRight(1))
        if (Compare(num, den) >= 0) {
            num.Sub(den);
            q |= static_cast<unsigned __int128>(1) << bit;
        }
    const bool sticky = !num.IsZero();

    int length = 0;
    while (length < 128 && (q >> length) != 0)
        ++length;
    const long long top = length - 1 + exponent2; // value in [2^top, 2^(top + 1))
    // 64 bits for normals; denormals keep the bits down to 2^-16445.
    const long long kept = top >= -16382 ? 64 : top + 16446;
    if (kept < 0) return true;
    const int drop = length - static_cast<int>(kept); // at least 2
    unsigned __int128 m = q >> drop;
    const unsigned __int128 rest = q & ((static_cast<unsigned __int128>(1) << drop) - 1);
    const unsigned __int128 half = static_cast<unsigned __int128>(1) << (drop - 1);
    if (rest > half || (rest == half && (sticky || (m & 1) != 0))) ++m;
    long long lsb = exponent2 + drop; // |value| = m * 2^lsb
    if (m >> 64 != 0) {
        m >>= 1;
        ++lsb;
    }
    const long long biased = m >> 63 != 0 ? lsb + 63 + 16383 : 0;
    if (biased >= 0x7FFF) return false;
    value = Extended::FromBits(static_cast<std::uint16_t>(sign | biased),
                               static_cast<std::uint64_t>(m));
    return true;
}

} // namespace exact
