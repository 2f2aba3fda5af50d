// How fast the window builds its table and fires particles, with the window hidden (the
// arithmetic and bookkeeping alone) and shown (with drawing) on the platform that
// QT_QPA_PLATFORM names, offscreen unless set: short batches from a fresh start, and one
// long run as a lesson has it, where the central bars soon reach the window's edge.
#include "application.h"
#include "expectedOverlay.h"
#include "uFKavalun.h"
#include "uQuarnSpinEdit.h"

#include <QPushButton>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

namespace {

void BM_PatternTable(benchmark::State& state) {
    TForm1 form;
    for (auto _ : state)
        benchmark::DoNotOptimize(form.BuildPatternTable());
}
BENCHMARK(BM_PatternTable);

// With KAVALUN_BENCH_EXPECTED set, the runs show the expected counts beside the bars.
void showWindow(TForm1& form) {
    form.show();
    if (qEnvironmentVariableIsSet("KAVALUN_BENCH_EXPECTED"))
        ExpectedOverlay::of(form, true)->setShown(true);
}

// Fires a batch of particles at pace 0 and stops the run with the button.
void fireParticles(benchmark::State& state, bool shown) {
    TForm1 form;
    if (shown) showWindow(form);
    while (form.pace() > 0)
        form.QuarnSpinButton1TopClick(form.QuarnSpinButton1);
    const std::int64_t batch = state.range(0);
    for (auto _ : state) {
        std::int64_t fired = 0;
        form.AfterParticle = [&] {
            if (++fired == batch) form.Button1Click(form.Button1);
        };
        form.Button1Click(form.Button1);
    }
    state.SetItemsProcessed(state.iterations() * batch);
}

void BM_ParticlesHidden(benchmark::State& state) {
    fireParticles(state, false);
}
void BM_ParticlesShown(benchmark::State& state) {
    fireParticles(state, true);
}
BENCHMARK(BM_ParticlesHidden)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParticlesShown)->Arg(1000)->Unit(benchmark::kMillisecond);

double processSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// One "Start!" and a continuing run at pace 0, stopped after `state.range(0)` particles. The
// rate of each tenth of the run is reported apart (slice01 .. slice10, particles per second
// of wall-clock time; cpu01 .. cpu10, per second of this process's processor time, which
// other loads on the machine disturb far less), so that a cost growing with the run shows as
// falling slices.
void longRun(benchmark::State& state, bool shown) {
    TForm1 form;
    if (shown) showWindow(form);
    while (form.pace() > 0)
        form.QuarnSpinButton1TopClick(form.QuarnSpinButton1);
    const std::int64_t particles = state.range(0), slice = particles / 10;
    using Clock = std::chrono::steady_clock;
    std::vector<double> rates, cpuRates;
    for (auto _ : state) {
        rates.clear();
        cpuRates.clear();
        std::int64_t fired = 0;
        Clock::time_point sliceStart = Clock::now();
        double cpuStart = processSeconds();
        form.AfterParticle = [&] {
            if (++fired % slice == 0) {
                const Clock::time_point now = Clock::now();
                const double cpu = processSeconds();
                rates.push_back(double(slice) /
                                std::chrono::duration<double>(now - sliceStart).count());
                cpuRates.push_back(double(slice) / (cpu - cpuStart));
                sliceStart = now;
                cpuStart = cpu;
            }
            if (fired == particles) form.Button1Click(form.Button1);
        };
        form.Button1Click(form.Button1);
    }
    for (std::size_t i = 0; i < rates.size(); ++i) {
        const std::string index = std::to_string(i + 1);
        const std::string tenth =
            std::string(2 - std::min<std::size_t>(2, index.size()), '0') + index;
        state.counters["slice" + tenth] = rates[i];
        state.counters["cpu" + tenth] = cpuRates[i];
    }
    state.counters["last/first"] = rates.empty() ? 0 : rates.back() / rates.front();
    state.counters["cpu last/first"] = cpuRates.empty() ? 0 : cpuRates.back() / cpuRates.front();
    state.SetItemsProcessed(state.iterations() * particles);
}

void BM_LongRunHidden(benchmark::State& state) {
    longRun(state, false);
}
void BM_LongRunShown(benchmark::State& state) {
    longRun(state, true);
}
BENCHMARK(BM_LongRunHidden)
    ->Arg(100000)
    ->Arg(1000000)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();
BENCHMARK(BM_LongRunShown)
    ->Arg(100000)
    ->Arg(1000000)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

long residentKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

// Resident memory after a first batch and after a long run: a run must not grow with the
// number of particles.
void BM_ResidentMemory(benchmark::State& state) {
    TForm1 form;
    form.show();
    while (form.pace() > 0)
        form.QuarnSpinButton1TopClick(form.QuarnSpinButton1);
    const std::int64_t particles = state.range(0);
    long early = 0;
    for (auto _ : state) {
        std::int64_t fired = 0;
        form.AfterParticle = [&] {
            if (++fired == 10000) early = residentKiB();
            if (fired == particles) form.Button1Click(form.Button1);
        };
        form.Button1Click(form.Button1);
    }
    state.counters["rss_after_10k_KiB"] = double(early);
    state.counters["rss_at_end_KiB"] = double(residentKiB());
}
BENCHMARK(BM_ResidentMemory)->Arg(1000000)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    TApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
