// The run's physics without the window: the table's digits, the bin of a draw and the
// shares of the draws, on every processor the same.
#include "diffraction.h"
#include "errors.h"
#include "numberText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <numeric>
#include <string>
#include <vector>

namespace {

std::vector<std::string> tableOf(const DiffractionInputs& in, DiffractionRun& run) {
    run.takeInputs(in);
    const double speedKmPerS = run.Speed;
    run.takeMomentum();
    EXPECT_EQ(run.Speed, (Extended(speedKmPerS) * 1000).toDouble());
    return run.cumulativeTable();
}

TEST(Diffraction, TablesHaveTheLessonsDigits) {
    const struct {
        const char* name;
        DiffractionInputs in;
        const char* speedKmPerS;
        std::vector<std::pair<int, const char*>> entries;
    } rows[] = {
        {"defaults",
         {1, 10, 3, true, 0},
         "197.802197802198",
         {{0, "0.991114647428793"}, {92, "9.04898199513191"}, {98, "9.05000532731831"}}},
        {"manual speed, maxima ignored",
         {1, 10, 7, false, 300},
         "300",
         {{0, "0.979655754177481"}, {1, "1.90027781021972"}, {98, "5.90523893343312"}}},
        {"one maximum", {1, 10, 1, true, 0}, "65.9340659340659", {{98, "27.5271610008968"}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        DiffractionRun run;
        const auto table = tableOf(row.in, run);
        ASSERT_EQ(table.size(), 99u);
        EXPECT_EQ(NumberToText(Extended(run.Speed) / 1000), row.speedKmPerS);
        for (const auto& [index, text] : row.entries)
            EXPECT_EQ(table[std::size_t(index)], text) << "entry " << index;
        EXPECT_EQ(run.AngleIndex, 100);
    }
}

TEST(Diffraction, FaultsLeaveWhatWasComputedBefore) {
    DiffractionRun run;
    EXPECT_THROW(run.takeInputs({0, 10, 3, true, 0}), EZeroDivide);
    EXPECT_EQ(run.ParticleMass, 0.0);
    EXPECT_EQ(run.SlitWidthNm, 10.0);
    EXPECT_EQ(run.MaxCount, 3);
    EXPECT_THROW(tableOf({1, 10, 0, true, 0}, run), EInvalidOp);
    EXPECT_EQ(run.Speed, 0.0);
}

// Every draw of the run's range, searched one by one, against the shares by bisection.
TEST(Diffraction, SharesOfTheDrawsAreThoseOfTheSearch) {
    for (const DiffractionInputs& in :
         {DiffractionInputs{1, 10, 3, true, 0}, DiffractionInputs{1836, 10, 3, false, 198},
          DiffractionInputs{1, 10, 3, false, 1e-9}}) {
        DiffractionRun run;
        const PatternDraws draws(tableOf(in, run));
        std::array<std::int64_t, patternAngles + 1> searched{};
        std::int32_t index = 0;
        for (std::int32_t d = 0; d < std::max(draws.count, 1); ++d) {
            const std::int32_t bin = draws.binOf(PatternDraws::draw(d), index);
            ++searched[bin == OutsideTable ? patternAngles : std::size_t(bin)];
            EXPECT_EQ(index, bin == OutsideTable ? -1 : bin);
        }
        EXPECT_EQ(draws.perBin(), searched) << draws.count;
    }
    // The defaults: 992 of the 9050 draws have no bin, and bins 93 to 98 none at all.
    DiffractionRun run;
    const auto shares = PatternDraws(tableOf({1, 10, 3, true, 0}, run)).perBin();
    EXPECT_EQ(shares[patternAngles], 992);
    EXPECT_EQ(std::accumulate(shares.begin() + 93, shares.end() - 1, std::int64_t(0)), 0);
    EXPECT_GT(shares[92], 0);
}

TEST(Diffraction, CountsGoToTheirSideAndBin) {
    DiffractionRun run;
    run.LowerCounts[150] = 7;
    run.OutsideTableCount = 3;
    run.startCounting();
    EXPECT_EQ(run.LowerCounts[150], 0);
    run.LowerCounts[201] = 5; // beyond what a run uses
    run.startCounting();
    EXPECT_EQ(run.LowerCounts[201], 5);
    const struct {
        std::int32_t bin, side;
        std::int64_t count;
    } hits[] = {{4, 1, 1}, {4, 1, 2}, {4, -1, 1}, {OutsideTable, 1, 0}, {OutsideTable, -1, 0}};
    for (const auto& hit : hits) {
        run.Bin = hit.bin;
        run.Side = hit.side;
        EXPECT_EQ(run.countHit(), hit.count);
    }
    EXPECT_EQ(run.LowerCounts[4], 2);
    EXPECT_EQ(run.UpperCounts[4], 1);
    EXPECT_EQ(run.OutsideTableCount, 2);
}

} // namespace
