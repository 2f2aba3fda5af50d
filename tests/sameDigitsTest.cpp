// The digits every processor must give: pattern tables and number texts hashed, against the
// hash that x86-64 gives, where bench/x87Agreement.cpp checks them against the x87 unit.
#include "numberText.h"
#include "patternTable.h"

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
        const auto field = [&] {
            return TextToNumber(std::to_string(1 + next(99999)) + "E" +
                                std::to_string(static_cast<int>(next(9)) - 7));
        };
        const PatternInputs in =
            i < 3 ? PatternInputs{1, 10, 3 + 2 * i, i < 2, 198}
                  : PatternInputs{field(), field(), 1 + static_cast<int>(next(20)), next(2) == 0,
                                  field()};
        const auto table = patternTexts(in);
        for (const std::string& text : table)
            tables.add(text);
    }
    for (int i = 0; i < 1000; ++i) {
        SetDecimalSeparator(i % 2 ? ',' : '.');
        const Extended x = Extended::FromBits(static_cast<std::uint16_t>(next(0x10000)),
                                              std::uint64_t(next(0xFFFFFFFFu)) << 32 |
                                                  next(0xFFFFFFFFu) | 1ULL << 63);
        texts.add(NumberToText(x));
        texts.add(FixedToText(x, static_cast<std::int32_t>(next(20))));
        texts.add(TextToNumberOr(std::to_string(next(1000000)) + (i % 2 ? "," : ".") +
                                     std::to_string(next(1000000)) + "e" +
                                     std::to_string(static_cast<int>(next(9000)) - 4500),
                                 -1));
        texts.add(Sin(x));
    }
    SetDecimalSeparator('.');
    EXPECT_EQ(tables.hash, 0xF3AD03069104EF36ULL);
    EXPECT_EQ(texts.hash, 0x78EDF781F6E908F8ULL);
}

} // namespace
