#include "numberText.h"

#include "errors.h"

#include <algorithm>
#include <cfenv>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <string_view>

namespace {

char separator = '.';

// The C library formats and parses only under this object, so the process locale that the
// toolkit installs (with its own decimal point) never reaches a digit.
locale_t ClassicLocale() {
    static const locale_t classic = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    return classic;
}

// The "C" locale and round to nearest for the calling thread while the object lives.
class ClassicConversion {
public:
    ClassicConversion() : FOldRounding(std::fegetround()) {
        if (ClassicLocale() != nullptr) FOldLocale = uselocale(ClassicLocale());
        if (FOldRounding != FE_TONEAREST) std::fesetround(FE_TONEAREST);
    }
    ~ClassicConversion() {
        if (FOldRounding != FE_TONEAREST) std::fesetround(FOldRounding);
        if (FOldLocale != nullptr) uselocale(FOldLocale);
    }
    ClassicConversion(const ClassicConversion&) = delete;
    ClassicConversion& operator=(const ClassicConversion&) = delete;

private:
    int FOldRounding;
    locale_t FOldLocale = nullptr;
};

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

// Classified from the bits, so that encodings the FPU rejects (unnormals, pseudo-NaNs)
// read as NaN and never reach the formatter.
Kind Classify(long double x, bool& negative, bool& belowNormal) {
    unsigned char bytes[sizeof(long double)];
    std::memcpy(bytes, &x, sizeof bytes);
    std::uint64_t mantissa;
    std::uint16_t signExponent;
    std::memcpy(&mantissa, bytes, 8);
    std::memcpy(&signExponent, bytes + 8, 2);
    negative = (signExponent & 0x8000u) != 0;
    const unsigned exponent = signExponent & 0x7FFFu;
    const bool integerBit = (mantissa >> 63) != 0;
    belowNormal = exponent == 0;
    if (exponent == 0x7FFF) return integerBit && (mantissa << 1) == 0 ? Kind::Infinite : Kind::NaN;
    if (exponent != 0 && !integerBit) return Kind::NaN;
    return Kind::Finite;
}

// The steps from the value to its kept digits: 18 correctly rounded digits, then at most
// `decimals` places and kPrecision digits, halves away from zero.
Decimal ToDecimal(long double x, std::int64_t decimals) {
    Decimal d;
    bool belowNormal = false;
    d.kind = Classify(x, d.negative, belowNormal);
    if (d.kind == Kind::Infinite) return d;
    if (d.kind == Kind::NaN || belowNormal) {
        d.negative = false; // neither NaN nor zero shows a sign
        return d;
    }

    char buffer[64];
    {
        ClassicConversion classic;
        std::snprintf(buffer, sizeof buffer, "%.*Le", kExpansionDigits - 1, std::fabs(x));
    }
    // Digits up to the 'e', whatever stands between them.
    const char* p = buffer;
    for (; *p != '\0' && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') d.digits += *p;
    int printedExponent = 0;
    if (*p == 'e') printedExponent = std::atoi(p + 1);
    d.exponent = printedExponent + 1;
    if (d.digits.size() != kExpansionDigits || d.digits[0] == '0') {
        d.digits.clear(); // not reached for a normal value; read as zero rather than garbage
        d.exponent = 0;
        d.negative = false;
        return d;
    }

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
                d.digits = "1";
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
bool ParseNumber(std::string_view text, long double& value) {
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

    long double magnitude = 0;
    if (!digits.empty()) { // leading zeros were skipped, so this is a nonzero value
        // 0.1 * 10^4933 already exceeds the range; 10^-4960 rounds to zero.
        if (exponent > 4933) return false;
        if (exponent >= -4960) {
            if (droppedNonzero) digits += '1';
            digits += 'e';
            digits += std::to_string(exponent - static_cast<std::int64_t>(digits.size() - 1));
            ClassicConversion classic;
            magnitude = ClassicLocale() != nullptr
                            ? strtold_l(digits.c_str(), nullptr, ClassicLocale())
                            : std::strtold(digits.c_str(), nullptr);
            if (std::isinf(magnitude)) return false;
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

std::string NumberToText(long double x) {
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

std::string FixedToText(long double x, std::int32_t decimals) {
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

long double TextToNumber(const std::string& text) {
    long double value;
    if (!ParseNumber(text, value))
        throw EConvertError("'" + text + "' is not a valid floating point value");
    return value;
}

long double TextToNumberOr(const std::string& text, long double fallback) {
    long double value;
    return ParseNumber(text, value) ? value : fallback;
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
