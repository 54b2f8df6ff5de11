// How one frame of the standard universe (motion pass + collision pass) grows with its orbs: 1,000
// to 100,000, and a big bang of 100,000 (every orb in one cell). per_orb at 100,000 against 1,000
// tells whether an orb costs more in a crowd.
#include <benchmark/benchmark.h>

#include "support/UniverseFixture.h"

namespace {
// As `nimbula-tool simulate` starts: a few frames in, the orbs still spread through the box.
constexpr int kWarmUpFrames = 20;

void SimulateFrames(benchmark::State& state, bool bigBang)
{
    const int orbs = int(state.range(0));
    CUniverseSandbox sandbox;
    if (!sandbox.Build(orbs)) {
        state.SkipWithError("the sphere model could not be loaded");
        return;
    }
    // The big bang key's crowd: every orb at the centre.
    if (bigBang)
        for (COrb* orb : g_orbs) {
            orb->m_position = SFVec3f::kZero;
            orb->m_pShape->PlaceAt(SFVec3f::kZero);
        }
    for (int i = 0; i < (bigBang ? 1 : kWarmUpFrames); ++i) CUniverseSandbox::Frame();
    for (auto _ : state) CUniverseSandbox::Frame();
    state.counters["per_orb"] =
        benchmark::Counter(orbs, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_FrameScale(benchmark::State& state) { SimulateFrames(state, false); }
void BM_FrameBigBang(benchmark::State& state) { SimulateFrames(state, true); }
}

BENCHMARK(BM_FrameScale)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_FrameBigBang)->Arg(100000)->Unit(benchmark::kMillisecond)->MinTime(2.0);
