#include "floatEnv.h"
#include "numberText.h"
#include "random.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

static void BM_NumberToText(benchmark::State& state) {
    long double x = 1.0L / 3.0L;
    for (auto _ : state) {
        benchmark::DoNotOptimize(NumberToText(x));
        x *= 1.0000001L;
    }
}
BENCHMARK(BM_NumberToText);

static void BM_FixedToText(benchmark::State& state) {
    long double x = 123.456L;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FixedToText(x, 2));
        x *= 1.0000001L;
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
    std::vector<long double> values(1024);
    std::uint64_t seed = 12345;
    for (auto& v : values) {
        seed = seed * 6364136223846793005ULL + 1442695040888963407ULL;
        const long double fraction = static_cast<long double>(seed >> 11) * 0x1p-53L;
        const int power = minPower + static_cast<int>((seed >> 1) % (maxPower - minPower + 1));
        v = (seed & 1 ? -1 : 1) * (1 + 9 * fraction) * std::pow(10.0L, power);
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

// The shape of the simulation's cumulative table: each running sum passes through its text.
static void BM_CumulativeTable(benchmark::State& state) {
    constexpr long double kPi = 3.14159265358979323851L;
    for (auto _ : state) {
        std::vector<std::string> table;
        table.reserve(99);
        long double sum = 0;
        for (int angle = 1; angle <= 99; ++angle) {
            const long double beta = std::sin(angle / 180.0L * kPi) * 30.0L;
            const long double intensity = std::sin(beta) * std::sin(beta) / (beta * beta);
            table.push_back(NumberToText(intensity + sum));
            sum = TextToNumber(table.back());
        }
        benchmark::DoNotOptimize(table.data());
    }
}
BENCHMARK(BM_CumulativeTable);
