#pragma once

#include "floatEnv.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The single-slit run: its pattern table, the bin of a draw and its counts, in the program's
// own extended arithmetic, so that every processor gives the same digits.

// A constant of the program, kept as the decimal it is written as: the arithmetic takes the
// extended value nearest to it, and the workbook's formulas show the text itself.
struct ProgramConstant {
    std::string_view text;
    Extended extended() const;
    // The double nearest to the text, as a spreadsheet reads it.
    double toDouble() const;
};

// Kilograms per unit of the mass field: the electron's mass, rounded as the lesson has it.
inline constexpr ProgramConstant electronMass{"9.1E-31"};
// Metres per nanometre of the slit field.
inline constexpr ProgramConstant nanometre{"1E-9"};
// The automatic speed's numerator and final divisor; the speed comes out in km/s.
inline constexpr ProgramConstant speedNumerator{"6.6E-37"};
inline constexpr ProgramConstant speedDivisor{"1.1"};
// The momentum is kept scaled up, so that the phase divides by Planck's constant times 1E34.
inline constexpr ProgramConstant momentumScale{"1E34"};
// Planck's constant times 1E34 as the program has it (the real one is 6.626).
inline constexpr ProgramConstant phaseDivisor{"6.034"};
// Pi rounded to the 64-bit significand.
inline constexpr ProgramConstant pi{"3.14159265358979323851"};
// Planck's constant in J s as the program has it: the phase's divisor over the momentum scale.
std::string planckConstantText();

// The angles of the table, 1 to 99 degrees; entry k holds the running sum up to k + 1.
inline constexpr int patternAngles = 99;
// The bin of a draw that lies at or below the table's first entry.
inline constexpr std::int32_t OutsideTable = -105;

// What the window's fields give a run.
struct DiffractionInputs {
    Extended massInElectrons = 0;
    Extended slitWidthNm = 0;
    std::int32_t maxCount = 0;
    bool automaticSpeed = false;
    Extended speedKmPerS = 0; // typed; unused when the speed is automatic
};

// A run's variables under the names the window gives them, one set for the program and
// overwritten by every run. Each step writes its results at once, so that a fault leaves
// what was computed before it.
struct DiffractionRun {
    double ParticleMass = 0; // kg
    double SlitWidthNm = 0;  // nm
    double SlitWidth = 0;    // m
    std::int32_t MaxCount = 0;
    double Speed = 0;    // km/s, then m/s
    double Momentum = 0; // kg m/s times 1e34
    std::int32_t AngleIndex = 0;
    std::int32_t Bin = 0; // 0..98, or OutsideTable
    std::int32_t Side = 0;
    std::int16_t SideDraw = 0;
    // Hits per bin; 64-bit so that a run of days cannot wrap them.
    std::array<std::int64_t, 2001> LowerCounts{};
    std::array<std::int64_t, 2001> UpperCounts{};
    // Particles whose draw lies at or below the table's first entry have no histogram entry.
    std::int64_t OutsideTableCount = 0;
    std::int64_t particles = 0; // fired in this run

    // Mass, slit and maxima from the fields, and the speed in km/s, computed or typed.
    void takeInputs(const DiffractionInputs& in);
    // The speed turned into m/s, and the momentum.
    void takeMomentum();
    // The running sums of the intensity over 1 to 99 degrees, as 15-digit texts.
    std::vector<std::string> cumulativeTable();
    // The phase constant K: pi times the slit width times the momentum, over Planck's.
    Extended phase() const;
    // An angle of the table in radians.
    static Extended angle(std::int32_t degrees);

    // Clears the counts for a new run.
    void startCounting();
    // Counts a particle of the current Bin and Side; the bin's new count, or 0 without a bin.
    std::int64_t countHit() {
        if (Bin == OutsideTable) {
            ++OutsideTableCount;
            return 0;
        }
        return ++(Side == 1 ? LowerCounts : UpperCounts)[std::size_t(Bin)];
    }
};

// A table's entries as numbers, parsed once, and the range of the run's draws.
struct PatternDraws {
    explicit PatternDraws(const std::vector<std::string>& cumulativeTable);
    std::vector<Extended> entries;
    // The draws are 0, 1/1000, ..., (count - 1)/1000: the last entry in thousandths.
    std::int32_t count = 0;

    // A random number below count as a draw, in thousandths.
    static Extended draw(std::int32_t random) { return Extended(random) / 1000; }
    // The largest index whose entry lies strictly below the draw, or OutsideTable; the search
    // runs from the top, and searchIndex is left where it stopped (-1 when none qualified).
    std::int32_t binOf(Extended draw, std::int32_t& searchIndex) const {
        auto k = std::int32_t(entries.size()) - 1;
        while (k >= 0 && !(entries[std::size_t(k)] < draw))
            --k;
        searchIndex = k;
        return k >= 0 ? k : OutsideTable;
    }
    // Of the equally likely draws (count of them, or the one draw 0 when count is 0), how
    // many fall into each bin 0..98, and [99] how many have no bin.
    std::array<std::int64_t, patternAngles + 1> perBin() const;
};

// The run's parameters in the units the window shows, for the lesson's files.
struct RunSummary {
    Extended massInElectrons = 0;
    Extended slitWidthNm = 0;
    Extended speedKmPerS = 0;
    std::int32_t maxCount = 0;
    std::int64_t particles = 0;
    std::int64_t withoutBin = 0;
};
RunSummary summaryOf(const DiffractionRun& run);
