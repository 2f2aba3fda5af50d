#include "floatEnv.h"
#include "numberText.h"
#include "random.h"

#include <benchmark/benchmark.h>

#include <cmath>
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
