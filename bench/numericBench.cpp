#include "diffraction.h"
#include "floatEnv.h"
#include "numberText.h"
#include "random.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

static void BM_NumberToText(benchmark::State& state) {
    Extended x = Extended(1) / 3;
    const Extended step = 1.0000001_ext;
    for (auto _ : state) {
        benchmark::DoNotOptimize(NumberToText(x));
        x *= step;
    }
}
BENCHMARK(BM_NumberToText);

static void BM_FixedToText(benchmark::State& state) {
    Extended x = 123.456_ext;
    const Extended step = 1.0000001_ext;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FixedToText(x, 2));
        x *= step;
    }
}
BENCHMARK(BM_FixedToText);

static void BM_TextToNumber(benchmark::State& state) {
    const std::string text = "0.991114647428793";
    for (auto _ : state)
        benchmark::DoNotOptimize(TextToNumber(text));
}
BENCHMARK(BM_TextToNumber);

// Text and back, over values drawn once: 1e-6 to 1e6 as the program sees them, or the whole
// extended range (where the exact decimal conversions get long).
static void RoundTrip(benchmark::State& state, int minPower, int maxPower) {
    std::vector<Extended> values(1024);
    std::uint64_t seed = 12345;
    for (auto& v : values) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        const Extended fraction = Extended(static_cast<long long>(seed >> 11)) * 0x1p-53;
        const int power = minPower + static_cast<int>((seed >> 1) % (maxPower - minPower + 1));
        v = (seed & 1 ? -1 : 1) * (1 + 9 * fraction) * TextToNumber("1E" + std::to_string(power));
    }
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(TextToNumber(NumberToText(values[i])));
        i = (i + 1) % values.size();
    }
}
static void BM_RoundTrip(benchmark::State& state) {
    RoundTrip(state, -6, 6);
}
BENCHMARK(BM_RoundTrip);
static void BM_RoundTripWideRange(benchmark::State& state) {
    RoundTrip(state, -4930, 4930);
}
BENCHMARK(BM_RoundTripWideRange);

static void BM_RandomBelow(benchmark::State& state) {
    RandomState = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(RandomBelow(1000));
}
BENCHMARK(BM_RandomBelow);

// The run's table with the defaults: each running sum passes through its text.
static void BM_CumulativeTable(benchmark::State& state) {
    DiffractionRun run;
    run.takeInputs({1, 10, 3, true, 0});
    run.takeMomentum();
    for (auto _ : state)
        benchmark::DoNotOptimize(run.cumulativeTable());
}
BENCHMARK(BM_CumulativeTable);

// A run's own arithmetic per particle: the draw scaled, the search of the parsed table from the
// top, the count, and the counter's text.
static void BM_ParticleArithmetic(benchmark::State& state) {
    DiffractionRun run;
    run.takeInputs({1, 10, 3, true, 0});
    run.takeMomentum();
    const PatternDraws draws(run.cumulativeTable());
    RandomState = 0;
    long long particle = 0;
    for (auto _ : state) {
        run.Bin = draws.binOf(PatternDraws::draw(RandomBelow(draws.count)), run.AngleIndex);
        run.Side = RandomBelow(2) == 0 ? 1 : -1;
        benchmark::DoNotOptimize(run.countHit());
        benchmark::DoNotOptimize(NumberToText(particle++));
    }
}
BENCHMARK(BM_ParticleArithmetic);
