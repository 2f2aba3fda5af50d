// How fast the window builds its table and fires particles, with the window hidden (the
// arithmetic and bookkeeping alone) and shown on the offscreen platform (with drawing).
#include "application.h"
#include "uFKavalun.h"
#include "uQuarnSpinEdit.h"

#include <QPushButton>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

void BM_PatternTable(benchmark::State& state) {
    TForm1 form;
    for (auto _ : state)
        benchmark::DoNotOptimize(form.BuildPatternTable());
}
BENCHMARK(BM_PatternTable);

// Fires a batch of particles at pace 0 and stops the run with the button.
void fireParticles(benchmark::State& state, bool shown) {
    TForm1 form;
    if (shown) form.show();
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

} // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    TApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
