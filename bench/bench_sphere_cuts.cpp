// The renderer's search for orbs cutting into each other, over crowds a universe file may hold:
// orbs spread through the box, a thin slab sharing one range of x, and a big bang's heap.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "engine/core/SphereCuts.h"

namespace {
enum EShape { kBox, kSlab, kHeap };

std::vector<SCutSphere> Crowd(int n, EShape shape)
{
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> box(-300.0, 300.0), thin(-1.0, 1.0), heap(-0.01, 0.01);
    std::vector<SCutSphere> s(static_cast<size_t>(n));
    for (SCutSphere& c : s) {
        if (shape == kBox) c.centre = {box(rng), box(rng), box(rng)};
        if (shape == kSlab) c.centre = {thin(rng), box(rng), box(rng)};
        if (shape == kHeap) c.centre = {heap(rng), heap(rng), heap(rng)};
        c.radius = 15.0;
        c.pixel = 0.5;
    }
    return s;
}

void Cuts(benchmark::State& state, EShape shape)
{
    const std::vector<SCutSphere> spheres = Crowd(int(state.range(0)), shape);
    std::vector<int32_t> cutters;
    SSphereCutScratch scratch;
    for (auto _ : state) {
        FindSphereCuts(spheres, 3, cutters, scratch);
        benchmark::DoNotOptimize(cutters.data());
    }
    state.counters["per_orb"] =
        benchmark::Counter(double(spheres.size()), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_CutsBox(benchmark::State& state) { Cuts(state, kBox); }
void BM_CutsSlab(benchmark::State& state) { Cuts(state, kSlab); }
void BM_CutsHeap(benchmark::State& state) { Cuts(state, kHeap); }
}

BENCHMARK(BM_CutsBox)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CutsSlab)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CutsHeap)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
