#include "numberTextChecks.h"

#include "errors.h"
#include "exactDecimal.h"
#include "floatEnv.h"
#include "numberText.h"

#include <cfloat>
#include <cmath>
#include <cstring>
#include <sstream>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Whether the decimal text is accepted, the syntax and then the range of its value, and
// the value it stands for.
bool DecimalAccepted(const std::string& s, char sep, Extended& value) {
    std::size_t at = 0;
    auto peek = [&](char c) { return at < s.size() && s[at] == c; };
    while (peek(' '))
        ++at;
    const bool negative = peek('-');
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

    return exact::NearestValue(negative, mantissa, exponent - fraction, value);
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
std::string ReformatFinding(Extended value) {
    const std::string text = NumberToText(value);
    Extended again;
    try {
        again = TextToNumber(text);
    } catch (const EConvertError&) {
        return "formatted text '" + text + "' does not parse";
    }
    // The smallest normals round to a 15-digit text below the normal range, which reads as
    // a denormal, and denormals are written as 0.
    if (again != 0 && again.belowNormal()) return {};
    if (NumberToText(again) != text) return "formatted text '" + text + "' reads back differently";
    return {};
}

std::string Hex(Extended x) {
    std::ostringstream out; // the classic locale, whatever the C library's
    out << std::hex << x.signExponent() << ':' << x.mantissa();
    return out.str();
}

} // namespace

std::string numberTextFinding(const std::uint8_t* data, std::size_t size) {
    static const bool ready = (InitFloatEnvironment(), true);
    (void)ready;
    if (size == 0) return {};
    const char sep = (data[0] & 1) != 0 ? ',' : '.';
    SetDecimalSeparator(sep);
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    const auto finding = [&](const std::string& what) { return what + ": '" + text + "'"; };

    Extended expected = 0;
    const bool accepted = DecimalAccepted(text, sep, expected);
    const Extended a = TextToNumberOr(text, 1.5);
    const Extended b = TextToNumberOr(text, -2.5);
    const bool parsed = SameBits(a, b);
    if (!parsed && !(SameBits(a, 1.5) && SameBits(b, -2.5)))
        return finding("fallback not returned as given");
    if (parsed != accepted)
        return finding(accepted ? "valid text rejected" : "invalid text accepted");
    if (parsed && !SameBits(a, expected))
        return finding("parsed as " + Hex(a) + ", the nearest value is " + Hex(expected));
    try {
        const Extended v = TextToNumber(text);
        if (!parsed) return finding("no error for a text that fails");
        if (!SameBits(v, a)) return finding("TextToNumber and TextToNumberOr differ");
    } catch (const EConvertError& e) {
        if (parsed) return finding("error for a text that parses");
        // what() ends at the first NUL the text may hold.
        const std::string message = "'" + text + "' is not a valid floating point value";
        if (e.what() != message.substr(0, message.find('\0'))) return finding("wrong message");
    }
    if (parsed) {
        const std::string reformat = ReformatFinding(a);
        if (!reformat.empty()) return finding(reformat);
    }

    std::int32_t want = 0;
    const bool intAccepted = IntAccepted(text, want);
    const std::int32_t i = TextToIntOr(text, 0x7EADBEEF);
    const std::int32_t j = TextToIntOr(text, -0x1234567);
    if (intAccepted) {
        if (i != want || j != want) return finding("wrong integer");
    } else if (i != 0x7EADBEEF || j != -0x1234567) {
        return finding("integer accepted that should fail");
    }
    return {};
}
