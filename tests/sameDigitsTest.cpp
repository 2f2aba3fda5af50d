// The digits every processor must give: pattern tables and number texts hashed, against the
// hash that x86-64 gives, where bench/x87Agreement.cpp checks them against the x87 unit.
#include "numberText.h"
#include "tableOrFault.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

struct Fnv {
    std::uint64_t hash = 0xCBF29CE484222325ULL;
    void add(const std::string& text) {
        for (unsigned char c : text + '\n')
            hash = (hash ^ c) * 0x100000001B3ULL;
    }
    void add(Extended x) {
        add(std::to_string(x.signExponent()) + ':' + std::to_string(x.mantissa()));
    }
};

TEST(SameDigits, PatternTablesAndTexts) {
    Fnv tables, texts;
    std::uint32_t seed = 2024;
    const auto next = [&seed](std::uint32_t below) {
        seed = seed * 134775813u + 1u;
        return static_cast<std::uint32_t>((std::uint64_t(seed) * below) >> 32);
    };
    for (int i = 0; i < 60; ++i) {
        SetDecimalSeparator(i % 2 ? ',' : '.');
        // Masses, widths and speeds from 1E-3 to 1E5, the guide's among them.
        // (Each draw in a statement of its own: the order of operands is the compiler's.)
        const auto field = [&] {
            const std::string digits = std::to_string(1 + next(99999));
            return TextToNumber(digits + "E" + std::to_string(static_cast<int>(next(9)) - 7));
        };
        const DiffractionInputs in =
            i < 3 ? DiffractionInputs{1, 10, 3 + 2 * i, i < 2, 198}
                  : DiffractionInputs{field(), field(), 1 + static_cast<int>(next(20)),
                                      next(2) == 0, field()};
        for (const std::string& text : patternTexts(in))
            tables.add(text);
    }
    for (int i = 0; i < 1000; ++i) {
        SetDecimalSeparator(i % 2 ? ',' : '.');
        const auto exponent = static_cast<std::uint16_t>(next(0x10000));
        const std::uint64_t high = next(0xFFFFFFFFu);
        const Extended x =
            Extended::FromBits(exponent, high << 32 | next(0xFFFFFFFFu) | 1ULL << 63);
        texts.add(NumberToText(x));
        texts.add(FixedToText(x, static_cast<std::int32_t>(next(20))));
        std::string typed = std::to_string(next(1000000)) + (i % 2 ? "," : ".");
        typed += std::to_string(next(1000000)) + "e";
        typed += std::to_string(static_cast<int>(next(9000)) - 4500);
        texts.add(TextToNumberOr(typed, -1));
        texts.add(Sin(x));
        // Arithmetic on neighbours of x and y, faults by their message.
        const auto yExponent = static_cast<std::uint16_t>(exponent + next(130) - 65);
        const Extended y = Extended::FromBits(yExponent, high << 32 | next(0xFFFFFFFFu));
        for (char op : {'+', '-', '*', '/'}) {
            try {
                texts.add(op == '+' ? x + y : op == '-' ? x - y : op == '*' ? x * y : x / y);
            } catch (const std::exception& e) {
                texts.add(e.what());
            }
        }
    }
    SetDecimalSeparator('.');
    EXPECT_EQ(tables.hash, 0x4BD22E7606CCE9E6ULL);
    EXPECT_EQ(texts.hash, 0xC094FB27D994A609ULL);
}

} // namespace
