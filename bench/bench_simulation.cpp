// One frame of the universe (motion pass + collision pass) at several populations and constant sets.
#include <benchmark/benchmark.h>

#include "support/UniverseFixture.h"

namespace {
constexpr int kWarmUpFrames = 300;

void SimulateFrames(benchmark::State& state, bool stormy)
{
    const int orbs = int(state.range(0));
    CUniverseSandbox sandbox;
    if (stormy) {
        sandbox.m_constants.m_spinning = 1;
        sandbox.m_constants.m_gravity = 100;
        sandbox.m_constants.m_sphericalBoundary = 1;
    }
    if (!sandbox.Build(orbs)) {
        state.SkipWithError("the sphere model could not be loaded");
        return;
    }
    for (int i = 0; i < kWarmUpFrames; ++i) CUniverseSandbox::Frame();
    for (auto _ : state) CUniverseSandbox::Frame();
    state.counters["per_orb"] =
        benchmark::Counter(orbs, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_FrameDefaults(benchmark::State& state) { SimulateFrames(state, false); }
// Spinning, gravity 100 and the spherical boundary: orbs crowd the centre and meet far more often.
void BM_FrameSpinningGravitySphere(benchmark::State& state) { SimulateFrames(state, true); }
}

BENCHMARK(BM_FrameDefaults)->Arg(100)->Arg(250)->Arg(1000)->Arg(2500)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameSpinningGravitySphere)->Arg(100)->Arg(250)->Arg(1000)->Arg(2500)->Unit(benchmark::kMicrosecond);
