// Checks the software extended type against the x87 unit, which the program used before:
//   x87Agreement [operations per kind] [sines] [tables]
// (defaults 10^8, 10^6 and 10^5; conversions a tenth of the operations). Every operation and
// conversion must agree bit for bit, faults included; the sine is counted, and may be one unit
// in the last place off (fsin's own core is not correctly rounded); pattern tables from random
// typed inputs must give the texts that the x87 build gave. Exits 1 on a disagreement.
#include "tableOrFault.h"

#include "errors.h"
#include "floatEnv.h"
#include "numberText.h"

#include <algorithm>
#include <cfloat>
#include <chrono>
#include <cmath>
#include <compare>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#if !defined(__x86_64__)
#error "the x87 unit is the reference: x86-64 only"
#endif

namespace {

using ld = long double;

std::uint64_t state = 0x9E3779B97F4A7C15ULL;
std::uint64_t next() { // splitmix64
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

// Significands with long runs of 0s and 1s, few bits, or random bits.
std::uint64_t significand() {
    switch (next() % 4) {
    case 0: {
        std::uint64_t m = 0, bit = next() & 1;
        for (int at = 0; at < 64; bit ^= 1) {
            const int run = 1 + static_cast<int>(next() % 24);
            for (int i = 0; i < run && at < 64; ++i, ++at)
                m = m << 1 | bit;
        }
        return m;
    }
    case 1:
        return (1ULL << (next() % 64)) | (1ULL << (next() % 64));
    default:
        return next();
    }
}

// Denormals, the ends of the range, exponents close to the other operand's, infinities and
// NaNs; only encodings the x87 supports.
Extended operand(int near) {
    unsigned e;
    switch (next() % 8) {
    case 0:
        e = 0;
        break;
    case 1:
        e = next() % 2 ? 1 + next() % 3 : 0x7FFC + next() % 4;
        break;
    case 2:
    case 3:
        e = static_cast<unsigned>(
            std::clamp<long>(near + static_cast<long>(next() % 141) - 70, 0, 0x7FFF));
        break;
    case 4:
        e = 16383 - 64 + next() % 129;
        break;
    default:
        e = next() % 0x8000;
    }
    std::uint64_t m = significand();
    if (e == 0x7FFF)
        m = next() % 3 == 0 ? 1ULL << 63 : m | 1ULL << 63; // infinity or NaN
    else if (e != 0)
        m |= 1ULL << 63;
    else if (next() % 16 != 0)
        m &= ~(1ULL << 63);                                        // now and then a pseudo-denormal
    if (e == 0x7FFF && m == 1ULL << 63 && next() % 2 == 0) m |= 1; // signalling NaN
    return Extended::FromBits(static_cast<std::uint16_t>(e | (next() % 2 ? 0x8000 : 0)), m);
}

// The program's fault rules as they stood on the x87: the hardware's result, then checked.
// 'c' compares: -1, 0, 1, or 2 for unordered.
const char* x87(char op, ld a, ld b, ld& r) {
    volatile ld va = a, vb = b;
    if (op == 'c') {
        r = std::isunordered(va, vb) ? 2 : va < vb ? -1 : va > vb ? 1 : 0;
        return "";
    }
    r = op == '+' ? va + vb : op == '-' ? va - vb : op == '*' ? va * vb : va / vb;
    if (op == '/' && b == 0 && std::isfinite(a) && a != 0) return "EZeroDivide";
    if (std::isnan(r) && !std::isnan(a) && !std::isnan(b)) return "EInvalidOp";
    if (std::isinf(r) && std::isfinite(a) && std::isfinite(b)) return "EOverflow";
    return "";
}

const char* software(char op, Extended a, Extended b, Extended& r) {
    if (op == 'c') {
        const std::partial_ordering order = a <=> b;
        r = order == std::partial_ordering::unordered ? 2 : order < 0 ? -1 : order > 0 ? 1 : 0;
        return "";
    }
    try {
        r = op == '+' ? a + b : op == '-' ? a - b : op == '*' ? a * b : a / b;
    } catch (const EMathError& e) {
        return dynamic_cast<const EInvalidOp*>(&e)    ? "EInvalidOp"
               : dynamic_cast<const EZeroDivide*>(&e) ? "EZeroDivide"
                                                      : "EOverflow";
    }
    return "";
}

long checkOperations(char op, long count) {
    long disagreements = 0;
    for (long i = 0; i < count; ++i) {
        const Extended a = operand(16383), b = operand(a.signExponent() & 0x7FFF);
        ld hardware;
        Extended soft;
        const char* want = x87(op, a.toLongDouble(), b.toLongDouble(), hardware);
        const char* got = software(op, a, b, soft);
        if (std::strcmp(want, got) != 0 || (*want == '\0' && !SameBits(soft, Extended(hardware)))) {
            if (++disagreements <= 5)
                std::printf(
                    "  %04x:%016llx %c %04x:%016llx: x87 %s %04x:%016llx, ours %s %04x:%016llx\n",
                    a.signExponent(), (unsigned long long)a.mantissa(), op, b.signExponent(),
                    (unsigned long long)b.mantissa(), want, Extended(hardware).signExponent(),
                    (unsigned long long)Extended(hardware).mantissa(), got, soft.signExponent(),
                    (unsigned long long)soft.mantissa());
        }
    }
    return disagreements;
}

// Today's conversions on the x87: to double as a store does, to integers by trunc and fmod.
const char* x87Convert(char kind, ld x, std::int64_t& integer, double& real) {
    if (kind == 'd') {
        constexpr ld kDoubleOverflow = static_cast<ld>(DBL_MAX) + 0x1p970L;
        if (std::isfinite(x) && std::fabs(x) >= kDoubleOverflow) return "EOverflow";
        real = std::isfinite(x) && std::fabs(x) > DBL_MAX
                   ? std::copysign(DBL_MAX, static_cast<double>(x))
                   : static_cast<double>(x);
        return "";
    }
    if (!std::isfinite(x)) return "EInvalidOp";
    ld t = std::trunc(x);
    const ld fraction = std::fabs(x - t);
    if (kind == 'r' && (fraction > 0.5L || (fraction == 0.5L && std::fmod(t, 2.0L) != 0)))
        t += std::copysign(1.0L, x);
    if (!(t >= -0x1p63L && t < 0x1p63L)) return "EInvalidOp";
    integer = static_cast<std::int64_t>(t);
    return "";
}

const char* softwareConvert(char kind, Extended x, std::int64_t& integer, double& real) {
    try {
        if (kind == 'd')
            real = x.toDouble();
        else
            integer = kind == 'r' ? RoundToInt(x) : TruncToInt(x);
    } catch (const EMathError& e) {
        return dynamic_cast<const EInvalidOp*>(&e) ? "EInvalidOp" : "EOverflow";
    }
    return "";
}

// Conversions to double and to integers, and from int64 and double, in one count.
long checkConversions(long count) {
    long disagreements = 0;
    for (long i = 0; i < count; ++i) {
        // Near the integer range and the double range as often as anywhere.
        Extended a = operand(i % 3 == 0 ? 16383 + 63 : i % 3 == 1 ? 16383 + 1023 : 16383);
        if (i % 3 == 0 && next() % 2) a = Extended(static_cast<long long>(next())) + Extended(0.5);
        bool same = true;
        for (char kind : {'d', 'r', 't'}) {
            std::int64_t wantInt = 0, gotInt = 0;
            double wantReal = 0, gotReal = 0;
            const char* want = x87Convert(kind, a.toLongDouble(), wantInt, wantReal);
            const char* got = softwareConvert(kind, a, gotInt, gotReal);
            same &= std::strcmp(want, got) == 0 && wantInt == gotInt &&
                    std::memcmp(&wantReal, &gotReal, sizeof wantReal) == 0;
        }
        const std::uint64_t bits = next();
        double d;
        std::memcpy(&d, &bits, sizeof d);
        same &= SameBits(Extended(static_cast<long long>(bits)),
                         Extended(static_cast<ld>(static_cast<long long>(bits))));
        same &= SameBits(Extended(d), Extended(static_cast<ld>(d)));
        if (!same && ++disagreements <= 5)
            std::printf("  conversions of %04x:%016llx or %016llx differ\n", a.signExponent(),
                        (unsigned long long)a.mantissa(), (unsigned long long)bits);
    }
    return disagreements;
}

ld fsin(ld x) {
    ld s;
    asm("fsin" : "=t"(s) : "0"(x));
    return s;
}

// Sine: the same, or one unit in the last place apart (fsin's own rounding).
struct SineCount {
    long same = 0, oneUlp = 0, more = 0;
    void add(Extended x) {
        const ld want = std::fabs(x.toLongDouble()) >= 0x1p63L ? 0.0L : fsin(x.toLongDouble());
        const Extended got = Sin(x), hw(want);
        if (SameBits(got, hw)) {
            ++same;
            return;
        }
        const bool sameSign = got.signExponent() >> 15 == hw.signExponent() >> 15;
        const ld gap = std::fabs(got.toLongDouble() - want);
        const ld ulp = std::ldexp(1.0L, std::ilogb(want) - 63);
        (sameSign && gap <= ulp ? oneUlp : more)++;
        if (more != 0 && more <= 5 && !(sameSign && gap <= ulp))
            std::printf("  sin %04x:%016llx: x87 %.21Lg, ours %.21Lg\n", x.signExponent(),
                        (unsigned long long)x.mantissa(), want, got.toLongDouble());
    }
};

// Today's number text, from the C library's long double: the general form from %.17Le.
std::string x87Text(ld x) {
    if (std::isnan(x)) return "NAN";
    if (std::isinf(x)) return x < 0 ? "-INF" : "INF";
    if (x == 0 || std::fabs(x) < LDBL_MIN) return "0";
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.17Le", std::fabs(x));
    std::string digits;
    const char* p = buffer;
    for (; *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9') digits += *p;
    long e = std::atol(p + 1) + 1;
    const bool up = digits[15] >= '5';
    digits.resize(15);
    if (up) {
        std::size_t i = 15;
        while (i > 0 && digits[i - 1] == '9')
            digits[--i] = '0';
        if (i == 0) {
            digits = "1";
            ++e;
        } else {
            ++digits[i - 1];
        }
    }
    while (digits.back() == '0')
        digits.pop_back();
    const auto n = static_cast<long>(digits.size());
    std::string text = x < 0 ? "-" : "";
    const char sep = DecimalSeparator();
    if (e > 15 || e < -3) {
        text += digits[0];
        if (n > 1) text += sep + digits.substr(1);
        return text + "E" + std::to_string(e - 1);
    }
    if (e <= 0) return text + "0" + sep + std::string(static_cast<std::size_t>(-e), '0') + digits;
    if (n <= e) return text + digits + std::string(static_cast<std::size_t>(e - n), '0');
    return text + digits.substr(0, static_cast<std::size_t>(e)) + sep +
           digits.substr(static_cast<std::size_t>(e));
}

// Today's parse of a well-formed text: strtold on it with '.' as the separator.
bool x87Parse(std::string text, ld& value) {
    for (char& c : text)
        if (c == DecimalSeparator()) c = '.';
    value = std::strtold(text.c_str(), nullptr);
    return !std::isinf(value);
}

ld x87ToDoubleChecked(ld v, bool& overflow) {
    constexpr ld kDoubleOverflow = static_cast<ld>(DBL_MAX) + 0x1p970L;
    if (std::isfinite(v) && std::fabs(v) >= kDoubleOverflow) overflow = true;
    if (std::isfinite(v) && std::fabs(v) > DBL_MAX)
        return std::copysign(DBL_MAX, static_cast<double>(v));
    return static_cast<double>(v);
}

// The table as the x87 build made it.
std::vector<std::string> x87Table(ld mass, ld width, int maxima, bool automatic, ld speedField) {
    std::vector<std::string> table;
    const ld pi = 3.14159265358979323851L;
    ld r;
    bool overflow = false;
    const char* fault = "";
    auto op = [&](char o, ld a, ld b) {
        if (*fault == '\0') fault = x87(o, a, b, r);
        return *fault == '\0' ? r : 0.0L;
    };
    auto stored = [&](ld v) {
        const ld d = x87ToDoubleChecked(v, overflow);
        if (overflow && *fault == '\0') fault = "EOverflow";
        return d;
    };
    const ld particleMass = stored(op('*', mass, 9.1e-31L));
    const ld slitWidth = stored(op('*', 1e-9L, stored(width)));
    ld speed =
        automatic
            ? stored(op('/', op('/', op('/', op('*', maxima, 6.6e-37L), particleMass), slitWidth),
                        1.1L))
            : stored(speedField);
    speed = stored(op('*', speed, 1000.0L));
    const ld momentum = stored(op('*', op('*', particleMass, speed), 1e34L));
    ld sum = 0;
    for (int angle = 1; angle <= 99 && *fault == '\0'; ++angle) {
        const ld theta = op('*', op('/', angle, 180.0L), pi);
        const ld k = op('/', op('*', op('*', pi, slitWidth), momentum), 6.034L);
        const ld beta = op('*', fsin(theta), k);
        if (!std::isnan(beta) && std::isinf(beta) && *fault == '\0') fault = "EInvalidOp";
        const ld sb = std::fabs(beta) >= 0x1p63L ? 0.0L : fsin(beta);
        const ld intensity = op('/', op('*', sb, sb), op('*', beta, beta));
        const ld total = op('+', intensity, sum);
        if (*fault != '\0') break;
        table.push_back(x87Text(total));
        x87Parse(table.back(), sum);
    }
    if (*fault != '\0') {
        const std::string message = std::strcmp(fault, "EInvalidOp") == 0    ? EInvalidOp().what()
                                    : std::strcmp(fault, "EZeroDivide") == 0 ? EZeroDivide().what()
                                                                             : EOverflow().what();
        table.assign(1, message);
    }
    return table;
}

// A number as a user might type it: digits with or without the separator, and sometimes
// an exponent, now and then a wide one.
std::string typed(char sep, int maxExponent) {
    std::string text;
    const int digits = 1 + static_cast<int>(next() % 8);
    const int point = static_cast<int>(next() % (digits + 1));
    for (int i = 0; i < digits; ++i) {
        if (i == point && next() % 2) text += sep;
        text += static_cast<char>('0' + (i == 0 ? 1 + next() % 9 : next() % 10));
    }
    if (next() % 3 == 0) {
        const int range = next() % 8 == 0 ? 4000 : maxExponent;
        text += (next() % 2 ? 'E' : 'e') +
                std::to_string(static_cast<int>(next() % (2 * range + 1)) - range);
    }
    return text;
}

// The arguments the table's sines take: the angles, then sin(angle) times the phase constant.
void addSineArguments(const DiffractionInputs& in, SineCount& count) {
    try {
        DiffractionRun run;
        run.takeInputs(in);
        run.takeMomentum();
        const Extended k = run.phase();
        for (int angle = 1; angle <= 99; ++angle) {
            const Extended theta = DiffractionRun::angle(angle);
            count.add(theta);
            const Extended beta = Sin(theta) * k;
            if (beta.isFinite()) count.add(beta);
        }
    } catch (const EMathError&) {
    }
}

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

} // namespace

int main(int argc, char** argv) {
    const long operations = argc > 1 ? std::atol(argv[1]) : 100000000L;
    const long sines = argc > 2 ? std::atol(argv[2]) : 1000000L;
    const long tables = argc > 3 ? std::atol(argv[3]) : 100000L;
    bool failed = false;

    for (char op : {'+', '-', '*', '/', 'c'}) {
        const auto start = std::chrono::steady_clock::now();
        const long bad = checkOperations(op, operations);
        std::printf("'%c': %ld operations, %ld disagreements (%.1f s)\n", op, operations, bad,
                    seconds(start));
        failed |= bad != 0;
    }

    {
        const auto start = std::chrono::steady_clock::now();
        // A tenth as many: most of these values are out of range, and every fault is a throw.
        const long values = std::max(operations / 10, 1L);
        const long bad = checkConversions(values);
        std::printf("conversions: %ld values, %ld disagreements (%.1f s)\n", values, bad,
                    seconds(start));
        failed |= bad != 0;
    }

    // Sines over a wide range: the angles of the table (up to 2), and 10^-3 to 10^4.
    SineCount wide;
    for (Extended edge :
         {Extended(0.0), Extended(-0.0), Extended::FromBits(0x8000, 1), Extended(1e-300)})
        wide.add(edge);
    for (long i = 0; i < sines; ++i) {
        const ld x = i % 2 ? static_cast<ld>(next() >> 11) * 0x1p-53L * 2
                           : std::pow(10.0L, static_cast<ld>(next() >> 11) * 0x1p-53L * 7 - 3);
        wide.add(next() % 2 ? -x : x);
    }
    std::printf("sine, zeros and 1E-3 to 1E4: %ld arguments, %ld the same (%.3f %%), %ld one ulp "
                "apart, %ld "
                "further\n",
                wide.same + wide.oneUlp + wide.more, wide.same,
                100.0 * static_cast<double>(wide.same) /
                    static_cast<double>(wide.same + wide.oneUlp + wide.more),
                wide.oneUlp, wide.more);
    failed |= wide.more != 0;

    // The default and guide scenarios: every argument their tables take.
    const DiffractionInputs scenarios[] = {
        {1, 10, 3, true, 300},  {1, 10, 5, true, 300},     {1, 10, 3, false, 300},
        {2, 10, 3, false, 198}, {1836, 10, 3, false, 198}, {1, 5, 3, false, 198},
    };
    SineCount scenario;
    long scenarioTables = 0;
    for (const DiffractionInputs& in : scenarios) {
        addSineArguments(in, scenario);
        const auto x87Texts =
            x87Table(in.massInElectrons.toLongDouble(), in.slitWidthNm.toLongDouble(), in.maxCount,
                     in.automaticSpeed, in.speedKmPerS.toLongDouble());
        scenarioTables += patternTexts(in) == x87Texts;
    }
    std::printf("scenarios: %ld sine arguments, %ld one ulp apart; %ld of %zu tables the same\n",
                scenario.same + scenario.oneUlp + scenario.more, scenario.oneUlp + scenario.more,
                scenarioTables, std::size(scenarios));
    failed |= scenario.more != 0 || scenarioTables != static_cast<long>(std::size(scenarios));

    // Tables from typed inputs, both separators.
    long sameTables = 0, sameParses = 0, parses = 0, shown = 0;
    SineCount inRange; // the sines these tables take, up to the count asked for
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < tables || inRange.same + inRange.oneUlp + inRange.more < sines; ++i) {
        const char sep = i % 2 ? ',' : '.';
        SetDecimalSeparator(sep);
        const std::string texts[] = {typed(sep, 4), typed(sep, 3), typed(sep, 6)};
        ld values[3];
        Extended parsed[3];
        for (int f = 0; f < 3; ++f) {
            const bool ok = x87Parse(texts[f], values[f]);
            parsed[f] = TextToNumberOr(texts[f], -1);
            if (!ok) values[f] = -1;
            ++parses;
            sameParses += SameBits(parsed[f], Extended(values[f]));
        }
        const bool automatic = next() % 2;
        const int maxima = 1 + static_cast<int>(next() % 20);
        const DiffractionInputs in{parsed[0], parsed[1], maxima, automatic, parsed[2]};
        if (inRange.same + inRange.oneUlp + inRange.more < sines) addSineArguments(in, inRange);
        if (i >= tables) continue;
        const auto want = x87Table(values[0], values[1], maxima, automatic, values[2]);
        const auto got = patternTexts(in);
        if (got == want) {
            ++sameTables;
        } else if (++shown <= 5) {
            std::size_t at = 0;
            while (at + 1 < want.size() && at + 1 < got.size() && want[at] == got[at])
                ++at;
            std::printf("  table for '%s' '%s' '%s' %s %d: entry %zu x87 '%s', ours '%s'\n",
                        texts[0].c_str(), texts[1].c_str(), texts[2].c_str(),
                        automatic ? "auto" : "manual", maxima, at, want[at].c_str(),
                        got[at].c_str());
        }
    }
    SetDecimalSeparator('.');
    std::printf("typed inputs: %ld parses, %ld the same; %ld tables, %ld the same (%.1f s)\n",
                parses, sameParses, tables, sameTables, seconds(start));
    failed |= sameParses != parses || sameTables != tables;
    const long inRangeCount = inRange.same + inRange.oneUlp + inRange.more;
    const double rate =
        100.0 * static_cast<double>(inRange.same) / static_cast<double>(inRangeCount);
    std::printf("sine, the tables' own arguments: %ld, %ld the same (%.3f %%), %ld one ulp apart, "
                "%ld further\n",
                inRangeCount, inRange.same, rate, inRange.oneUlp, inRange.more);
    failed |= inRange.more != 0; // fsin's own rounding is reported, not failed
    return failed ? 1 : 0;
}
