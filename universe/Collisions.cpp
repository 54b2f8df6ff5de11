// The collision pass: close pairs within each spatial-map cell kick, bounce, exchange and pack.
#include "universe/Collisions.h"

#include <cmath>
#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/core/Scene.h"
#include "universe/Bounce.h"
#include "universe/Orb.h"
#include "universe/OrbMath.h"
#include "universe/Random.h"
#include "universe/UniversalConstants.h"
#include "universe/UniverseContext.h"

namespace {
constexpr double kContactDistance2 = 900.0;  // 30², the orb diameter
constexpr double kKickDistance2 = 150.0;
constexpr double kKickOnlyDistance2 = 50.0;
constexpr double kPairBounceLoss = 0.15;
constexpr int32_t kLinkMask = 0x7FFFFFFF;

// The orbs of every occupied cell in the map's order, each cell a run of g_cellOrbs starting at
// its offset; reused so a frame allocates nothing once warm.
std::vector<COrb*> g_cellOrbs;
std::vector<size_t> g_cellStarts;
uint64_t g_lastPairTests = 0;

void GatherCell(const CScene& scene, int cell)
{
    const int count = scene.SpatialElementCount();
    int32_t link = scene.CellHead(cell);
    // The walk is bounded by the table size, so a damaged link can never loop.
    for (int steps = 0; steps < count; ++steps) {
        if ((link & kLinkMask) == kLinkMask || link < 0 || link >= count) break;
        const SSpatialElement& el = scene.SpatialElement(link);
        // Element i is g_orbs[i]'s shape: the orb is found without a load from the shape, which
        // in a crowd misses the cache once per orb. Any other element asks its shape.
        COrb* orb = size_t(link) < g_orbs.size() && g_orbs[size_t(link)]->m_pShape == el.m_pShape
                        ? g_orbs[size_t(link)]
                        : COrb::FromShape(el.m_pShape);
        if (!orb) break;
        g_cellOrbs.push_back(orb);
        link = el.m_link;
    }
}

// Integer part of (minimumAngle - d) / 2 as a 32-bit value; out-of-range values give the
// x86 "integer indefinite" 0x80000000, whose low three bytes push nothing.
uint32_t MinimumAngleSteps(double minimumAngle, double d)
{
    const double t = std::trunc((minimumAngle - d) / 2.0);
    if (!(t > -2147483648.0 && t < 2147483648.0)) return 0x80000000u;
    return uint32_t(int32_t(t));
}

// Pushes the pair apart by diff scaled per axis by the low three bytes of the step count / 256.
void ApplyMinimumAngle(COrb* a, COrb* b, const SFVec3f& diff, double d, double minimumAngle)
{
    if (!(d < minimumAngle && minimumAngle > 0.0)) return;
    const uint32_t n = MinimumAngleSteps(minimumAngle, d);
    const SFVec3f scale((n & 0xFF) / 256.0, ((n >> 8) & 0xFF) / 256.0, ((n >> 16) & 0xFF) / 256.0);
    if (scale == SFVec3f::kZero) return;
    const SFVec3f push = diff * scale;
    a->m_position += push;
    b->m_position -= push;
}

// A minimum angle below 2 never pushes: a pair that gets that far has 0 < d < 1, so the step count
// (minimumAngle - d) / 2 is below 1 and truncates to 0. The default 0.6 is such an angle; the
// test is then made once per pass instead of per pair.
bool MinimumAnglePushes(double minimumAngle) { return minimumAngle >= 2.0; }

// Each orb of the cell meets the reach orbs that follow it in the cell (all of them when reach
// is at least the cell's size).
void CollideCell(COrb* const* orbs, size_t m, size_t reach, const CUniversalConstants& k)
{
    const bool pushes = MinimumAnglePushes(k.m_minimumAngle);
    for (size_t i = 0; i + 1 < m; ++i) {
        COrb* a = orbs[i];
        // Copies taken once: the inner loop changes a's fields but compares against these.
        const SFVec3f pA = a->m_position;
        const SFVec3f vA = a->m_velocity;
        int exchanges = 0;
        const size_t end = m - (i + 1) > reach ? i + 1 + reach : m;
        for (size_t j = i + 1; j < end; ++j) {
            COrb* b = orbs[j];
            const SFVec3f diff = pA - b->m_position;
            const double q = diff.Magnitude();
            if (!(q < kContactDistance2)) continue;
            if (q < kKickDistance2) {
                if (!a->m_fromFile) a->m_pShape->m_status.setTransientDisable(true);
                b->m_velocity += RandomVector(0.03);
                a->m_velocity += RandomVector(0.03);
                if (q < kKickOnlyDistance2) continue;
            }
            if (pushes) ApplyMinimumAngle(a, b, diff, q * (1.0 / 900.0), k.m_minimumAngle);

            const double recoil = k.m_recoilLoss, propagation = k.m_propagationLoss;
            const SFVec3f t1 = b->m_velocity * recoil;
            const SFVec3f t2 = vA * recoil;
            // A bounces off B's velocity, B off A's copied one.
            BouncePair(*a, b->m_velocity, *b, vA, kPairBounceLoss);
            b->m_velocity = t2 + b->m_velocity * propagation;
            a->m_velocity = t1 + a->m_velocity * propagation;

            if (k.m_packingEnergy != 0.0) {
                a->m_velocity += a->m_velocity * (exchanges * k.m_packingEnergy);
                ++exchanges;
            }
            if (orbmath::NeedsRestart(a->m_velocity)) a->m_velocity = RandomVector(0.01);
            if (orbmath::NeedsRestart(b->m_velocity)) b->m_velocity = RandomVector(0.01);
        }
    }
}

void PrefetchOrb(const COrb* orb)
{
#if defined(__GNUC__)
    __builtin_prefetch(&orb->m_position);
    __builtin_prefetch(&orb->m_velocity.z);
#else
    (void)orb;
#endif
}

uint64_t PairsWithin(size_t m, size_t reach)
{
    if (m < 2) return 0;
    if (reach >= m - 1) return uint64_t(m) * (m - 1) / 2;
    // The first m - 1 - reach orbs meet reach mates each, the rest all that follow them.
    return uint64_t(m - 1 - reach) * reach + uint64_t(reach) * (reach + 1) / 2;
}

// How many of the orbs that follow it in its cell each orb meets this frame: all of them while
// the whole pass stays within the budget, else the same share for every orb.
size_t CollisionReach()
{
    uint64_t pairs = 0;
    for (size_t c = 0; c + 1 < g_cellStarts.size(); ++c)
        pairs += PairsWithin(g_cellStarts[c + 1] - g_cellStarts[c], SIZE_MAX);
    if (pairs <= kPairTestBudget) return SIZE_MAX;
    return size_t(std::max<uint64_t>(1, kPairTestBudget / g_cellOrbs.size()));
}
}

uint64_t LastPairTests() { return g_lastPairTests; }

void CollideOrbs()
{
    g_lastPairTests = 0;
    CScene* scene = g_universeContext.scene;
    if (!scene || !scene->HasSpatialMap() || !g_pConstants) return;
    const int cells = scene->UpdateSpatialMapElements();
    const CUniversalConstants& k = *g_pConstants;
    // Occupied cells come in ascending order: the same visits as a walk over every cell.
    g_cellOrbs.clear();
    g_cellStarts.clear();
    for (int32_t cell : scene->OccupiedCells()) {
        if (cell < 0 || cell >= cells) continue;
        g_cellStarts.push_back(g_cellOrbs.size());
        GatherCell(*scene, cell);
    }
    g_cellStarts.push_back(g_cellOrbs.size());
    const size_t reach = CollisionReach();
    for (size_t c = 0; c + 1 < g_cellStarts.size(); ++c) {
        // The orbs of the cell after next are fetched while this one collides: in a crowd the
        // cells' orbs lie all over memory.
        if (c + 3 < g_cellStarts.size())
            for (size_t k = g_cellStarts[c + 2]; k < g_cellStarts[c + 3]; ++k) PrefetchOrb(g_cellOrbs[k]);
        const size_t m = g_cellStarts[c + 1] - g_cellStarts[c];
        if (m < 2) continue;
        CollideCell(g_cellOrbs.data() + g_cellStarts[c], m, reach, k);
        g_lastPairTests += PairsWithin(m, reach);
    }
}
