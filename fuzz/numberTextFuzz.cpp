// libFuzzer target for the text parses. Each input is checked against a syntax checker
// written here on its own, so a text that parses when it should not (or the reverse) is a
// finding, as is any crash or undefined behaviour. The first byte picks the separator.

#include "errors.h"
#include "exactDecimal.h"
#include "floatEnv.h"
#include "numberText.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

[[noreturn]] void Fail(const char* what, const std::string& text) {
    std::fprintf(stderr, "%s: '%s'\n", what, text.c_str());
    std::abort();
}

bool SameBits(long double a, long double b) {
    return std::memcmp(&a, &b, 10) == 0;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// 2^16384 - 2^16319: from here up, round to nearest leaves the extended range.
const std::string& OverflowDigits() {
    static const std::string digits = [] {
        exact::BigNat limit(~0ULL);
        limit.ShiftLeft(1);
        limit.AddSmall(1); // 2^65 - 1
        limit.ShiftLeft(16319);
        std::string text = limit.ToDecimal();
        while (text.back() == '0')
            text.pop_back();
        return text;
    }();
    return digits;
}
constexpr long long kOverflowExponent = 4933; // the limit is 0.<digits> * 10^4933

// Whether the decimal text is accepted: the syntax, then the range of its value.
bool DecimalAccepted(const std::string& s, char sep) {
    std::size_t at = 0;
    auto peek = [&](char c) { return at < s.size() && s[at] == c; };
    while (peek(' '))
        ++at;
    if (peek('+') || peek('-')) ++at;
    std::string mantissa;
    long long fraction = 0;
    const std::size_t start = at;
    while (at < s.size() && IsDigit(s[at]))
        mantissa += s[at++];
    if (peek(sep)) {
        ++at;
        for (; at < s.size() && IsDigit(s[at]); ++at, ++fraction)
            mantissa += s[at];
    }
    if (at == start) return false;
    long long exponent = 0;
    if (peek('E') || peek('e')) {
        ++at;
        bool minus = false;
        if (peek('+') || peek('-')) minus = s[at++] == '-';
        for (; at < s.size() && IsDigit(s[at]); ++at) {
            if (exponent >= 500) return false;
            exponent = exponent * 10 + (s[at] - '0');
        }
        if (minus) exponent = -exponent;
    }
    while (peek(' '))
        ++at;
    if (at != s.size()) return false;

    // value = 0.<significant digits> * 10^scale
    const std::size_t first = mantissa.find_first_not_of('0');
    if (first == std::string::npos) return true;
    std::string digits = mantissa.substr(first);
    const long long scale = static_cast<long long>(digits.size()) + exponent - fraction;
    while (digits.back() == '0')
        digits.pop_back();
    if (scale != kOverflowExponent) return scale < kOverflowExponent;
    return digits < OverflowDigits(); // equal up to the shorter one: the longer is larger
}

// The expected value of TextToIntOr, or false when the text does not parse.
bool IntAccepted(const std::string& s, std::int32_t& value) {
    std::size_t at = 0;
    while (at < s.size() && s[at] == ' ')
        ++at;
    bool minus = false;
    if (at < s.size() && (s[at] == '+' || s[at] == '-')) minus = s[at++] == '-';
    if (at == s.size()) return false;
    const char c = s[at];
    const bool zeroX = c == '0' && at + 1 < s.size() && (s[at + 1] == 'x' || s[at + 1] == 'X');
    if (c == '$' || c == 'x' || c == 'X' || zeroX) {
        at += zeroX ? 2 : 1;
        if (at == s.size()) return false;
        std::uint64_t v = 0;
        for (; at < s.size(); ++at) {
            const char h = s[at];
            const int digit = IsDigit(h)               ? h - '0'
                              : (h >= 'a' && h <= 'f') ? h - 'a' + 10
                              : (h >= 'A' && h <= 'F') ? h - 'A' + 10
                                                       : -1;
            if (digit < 0 || v > 0xFFFFFFFu) return false;
            v = v * 16 + static_cast<std::uint64_t>(digit);
        }
        const auto bits = static_cast<std::uint32_t>(minus ? (0 - v) : v);
        value = static_cast<std::int32_t>(bits);
        return true;
    }
    long long v = 0;
    for (; at < s.size(); ++at) {
        if (!IsDigit(s[at])) return false;
        v = v * 10 + (s[at] - '0');
        if (v > 2147483648LL) return false;
    }
    if (minus) v = -v;
    if (v > 2147483647LL) return false;
    value = static_cast<std::int32_t>(v);
    return true;
}

// A text of the general form reads back as the same text.
void CheckReformat(long double value, const std::string& input) {
    const std::string text = NumberToText(value);
    long double again;
    try {
        again = TextToNumber(text);
    } catch (const EConvertError&) {
        Fail("formatted text does not parse", input + "' -> '" + text);
    }
    // The smallest normals round to a 15-digit text below the normal range, which reads as
    // a denormal, and denormals are written as 0.
    if (again != 0 && std::fabs(again) < LDBL_MIN) return;
    if (NumberToText(again) != text) Fail("formatted text reads back differently", input);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool ready = (InitFloatEnvironment(), true);
    (void)ready;
    if (size == 0) return 0;
    const char sep = (data[0] & 1) != 0 ? ',' : '.';
    SetDecimalSeparator(sep);
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);

    const bool accepted = DecimalAccepted(text, sep);
    const long double a = TextToNumberOr(text, 1.5L);
    const long double b = TextToNumberOr(text, -2.5L);
    const bool parsed = SameBits(a, b);
    if (!parsed && !(SameBits(a, 1.5L) && SameBits(b, -2.5L)))
        Fail("fallback not returned as given", text);
    if (parsed != accepted) Fail(accepted ? "valid text rejected" : "invalid text accepted", text);
    try {
        const long double v = TextToNumber(text);
        if (!parsed) Fail("no error for a text that fails", text);
        if (!SameBits(v, a)) Fail("TextToNumber and TextToNumberOr differ", text);
    } catch (const EConvertError& e) {
        if (parsed) Fail("error for a text that parses", text);
        // what() ends at the first NUL the text may hold.
        const std::string message = "'" + text + "' is not a valid floating point value";
        if (e.what() != message.substr(0, message.find('\0'))) Fail("wrong message", text);
    }
    if (parsed) CheckReformat(a, text);

    std::int32_t expected = 0;
    const bool intAccepted = IntAccepted(text, expected);
    const std::int32_t i = TextToIntOr(text, 0x7EADBEEF);
    const std::int32_t j = TextToIntOr(text, -0x1234567);
    if (intAccepted) {
        if (i != expected || j != expected) Fail("wrong integer", text);
    } else if (i != 0x7EADBEEF || j != -0x1234567) {
        Fail("integer accepted that should fail", text);
    }
    return 0;
}
