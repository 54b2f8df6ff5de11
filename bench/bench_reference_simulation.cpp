// A plain reference for the simulation frame: the same orbs (the standard universe after the same
// warm-up, so the same clumps) moved and collided the textbook way, a uniform grid and a square
// root per touching pair, no vector lanes, no tables. Its time beside BM_FrameDefaults in
// bench_simulation says what our frame costs against the simplest sound one; it is a yardstick,
// not our physics (no tidal turn, gravity, spin or flash).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <vector>

#include "support/UniverseFixture.h"

namespace {
constexpr int kWarmUpFrames = 300;
// Frames timed from one snapshot: few enough that the clumps stay as the real frame meets them.
constexpr int kFramesPerRound = 20;

struct SPlainOrb {
    double p[3];
    double v[3];
    double radius;
};

class CPlainUniverse {
public:
    CPlainUniverse(const std::vector<SPlainOrb>& orbs, const double lo[3], const double hi[3]) : m_orbs(orbs)
    {
        double largest = 0.0;
        for (const SPlainOrb& o : orbs) largest = std::max(largest, o.radius);
        m_cell = 2.0 * largest;
        for (int a = 0; a < 3; ++a) {
            m_lo[a] = lo[a];
            m_hi[a] = hi[a];
            m_cells[a] = std::max(1, int(std::ceil((hi[a] - lo[a]) / m_cell)));
        }
        m_start.assign(size_t(m_cells[0]) * m_cells[1] * m_cells[2] + 1, 0);
    }

    void Frame()
    {
        Move();
        Bin();
        Collide();
    }

    std::vector<SPlainOrb> m_orbs;

private:
    void Move()
    {
        for (SPlainOrb& o : m_orbs) {
            for (int a = 0; a < 3; ++a) {
                o.p[a] += o.v[a];
                if ((o.p[a] < m_lo[a] && o.v[a] < 0.0) || (o.p[a] > m_hi[a] && o.v[a] > 0.0)) o.v[a] = -o.v[a];
            }
        }
    }

    int CellOf(const SPlainOrb& o, int a) const { return std::clamp(int((o.p[a] - m_lo[a]) / m_cell), 0, m_cells[a] - 1); }
    size_t Index(int x, int y, int z) const { return (size_t(z) * m_cells[1] + y) * m_cells[0] + x; }

    // A counting sort of the orbs into their cells.
    void Bin()
    {
        std::fill(m_start.begin(), m_start.end(), 0);
        m_cellOf.resize(m_orbs.size());
        for (size_t i = 0; i < m_orbs.size(); ++i) {
            m_cellOf[i] = Index(CellOf(m_orbs[i], 0), CellOf(m_orbs[i], 1), CellOf(m_orbs[i], 2));
            ++m_start[m_cellOf[i] + 1];
        }
        for (size_t c = 1; c < m_start.size(); ++c) m_start[c] += m_start[c - 1];
        m_sorted.resize(m_orbs.size());
        m_fill.assign(m_start.begin(), m_start.end() - 1);
        for (size_t i = 0; i < m_orbs.size(); ++i) m_sorted[m_fill[m_cellOf[i]]++] = int(i);
    }

    void Collide()
    {
        for (size_t i = 0; i < m_orbs.size(); ++i) {
            const int cx = CellOf(m_orbs[i], 0), cy = CellOf(m_orbs[i], 1), cz = CellOf(m_orbs[i], 2);
            for (int z = std::max(cz - 1, 0); z <= std::min(cz + 1, m_cells[2] - 1); ++z)
                for (int y = std::max(cy - 1, 0); y <= std::min(cy + 1, m_cells[1] - 1); ++y)
                    for (int x = std::max(cx - 1, 0); x <= std::min(cx + 1, m_cells[0] - 1); ++x) {
                        const size_t c = Index(x, y, z);
                        for (int k = m_start[c]; k < m_start[c + 1]; ++k)
                            if (size_t(m_sorted[k]) > i) Meet(m_orbs[i], m_orbs[m_sorted[k]]);
                    }
        }
    }

    // Equal masses meeting head on: they swap their speeds along the line between the centres
    // and are set apart to touching.
    static void Meet(SPlainOrb& a, SPlainOrb& b)
    {
        double d[3], d2 = 0.0;
        for (int k = 0; k < 3; ++k) {
            d[k] = b.p[k] - a.p[k];
            d2 += d[k] * d[k];
        }
        const double reach = a.radius + b.radius;
        if (d2 >= reach * reach || d2 == 0.0) return;
        const double dist = std::sqrt(d2);
        double n[3], closing = 0.0;
        for (int k = 0; k < 3; ++k) {
            n[k] = d[k] / dist;
            closing += (a.v[k] - b.v[k]) * n[k];
        }
        const double push = 0.5 * (reach - dist);
        for (int k = 0; k < 3; ++k) {
            if (closing > 0.0) {
                a.v[k] -= closing * n[k];
                b.v[k] += closing * n[k];
            }
            a.p[k] -= push * n[k];
            b.p[k] += push * n[k];
        }
    }

    double m_lo[3], m_hi[3], m_cell = 1.0;
    int m_cells[3];
    std::vector<int> m_start, m_fill, m_sorted;
    std::vector<size_t> m_cellOf;
};

void BM_ReferenceFrame(benchmark::State& state)
{
    const int orbs = int(state.range(0));
    CUniverseSandbox sandbox;
    if (!sandbox.Build(orbs)) {
        state.SkipWithError("the sphere model could not be loaded");
        return;
    }
    for (int i = 0; i < kWarmUpFrames; ++i) CUniverseSandbox::Frame();
    std::vector<SPlainOrb> snapshot;
    for (const COrb* o : g_orbs)
        snapshot.push_back({{o->m_position.x, o->m_position.y, o->m_position.z},
                            {o->m_velocity.x, o->m_velocity.y, o->m_velocity.z},
                            o->m_diameter * 0.5});
    const CUniversalConstants& k = sandbox.m_constants;
    const double lo[3] = {k.m_boundaryMin.x, k.m_boundaryMin.y, k.m_boundaryMin.z};
    const double hi[3] = {k.m_boundaryMax.x, k.m_boundaryMax.y, k.m_boundaryMax.z};
    CPlainUniverse universe(snapshot, lo, hi);
    for (auto _ : state) {
        universe.m_orbs = snapshot;
        // Processor time, as bench_simulation's figures are read: the machine may be shared.
        const std::clock_t t0 = std::clock();
        for (int f = 0; f < kFramesPerRound; ++f) universe.Frame();
        const std::clock_t t1 = std::clock();
        benchmark::DoNotOptimize(universe.m_orbs.data());
        state.SetIterationTime(double(t1 - t0) / CLOCKS_PER_SEC / kFramesPerRound);
    }
    state.counters["per_orb"] =
        benchmark::Counter(orbs, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
}

BENCHMARK(BM_ReferenceFrame)->Arg(100)->Arg(250)->Arg(1000)->Arg(2500)->UseManualTime()->Unit(benchmark::kMicrosecond);
