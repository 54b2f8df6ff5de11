// Spheres cutting into each other, found in a hashed grid per size class: O(n log n) however the
// spheres lie, where a sweep along x alone is quadratic in spheres sharing a range of x.
#include "engine/core/SphereCuts.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace {
// Cell coordinates are clamped here: far-away spheres share the border cells, never overflow.
constexpr double kCellLimit = 1099511627776.0;  // 2^40

int64_t CellCoordinate(double v, double step)
{
    const double q = std::floor(v / step);
    return int64_t(std::clamp(q, -kCellLimit, kCellLimit));
}

uint64_t CellHash(int32_t level, int64_t x, int64_t y, int64_t z)
{
    uint64_t h = uint64_t(level) * 0x9E3779B97F4A7C15ull;
    for (int64_t v : {x, y, z}) {
        h ^= uint64_t(v) + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2);
        h *= 0xBF58476D1CE4E5B9ull;
    }
    return h ^ (h >> 31);
}

bool Takes(const SCutSphere& s)
{
    return s.centre.IsFinite() && std::isfinite(s.radius) && s.radius >= 0.0 && std::isfinite(s.pixel);
}

// The pair test of the sweep this replaces, kept exactly: the same pairs cut.
bool Cut(const SCutSphere& a, const SCutSphere& b)
{
    const double reach = a.radius + b.radius;
    const SFVec3f d = b.centre - a.centre;
    const double within = reach - std::max(a.pixel, b.pixel);
    return within > 0.0 && d.DotProduct(d) < within * within;
}

// Keeps the limit lowest x ranks offered to one sphere, ascending.
void Offer(int32_t* ranks, int limit, int32_t rank)
{
    if (ranks[limit - 1] >= 0 && ranks[limit - 1] < rank) return;
    int k = limit - 1;
    while (k > 0 && (ranks[k - 1] < 0 || ranks[k - 1] > rank)) {
        ranks[k] = ranks[k - 1];
        --k;
    }
    ranks[k] = rank;
}
}

void FindSphereCuts(const std::vector<SCutSphere>& spheres, int limit, std::vector<int32_t>& cutters,
                    SSphereCutScratch& s, const std::vector<uint8_t>* leftOut)
{
    const size_t n = spheres.size();
    cutters.assign(n * size_t(std::max(limit, 0)), -1);
    if (n < 2 || limit <= 0) return;

    // The x order of the sweep: the rank of a cutter decides which ones a crowded sphere keeps.
    s.byX.clear();
    for (size_t i = 0; i < n; ++i)
        if (Takes(spheres[i])) s.byX.push_back(i);
    std::sort(s.byX.begin(), s.byX.end(), [&](size_t a, size_t b) { return spheres[a].centre.x < spheres[b].centre.x; });
    s.rank.assign(n, -1);
    for (size_t r = 0; r < s.byX.size(); ++r) s.rank[s.byX[r]] = int32_t(r);

    // Size classes by binary exponent of the radius: within one, radii differ by at most twice,
    // so a cell of the class's diameter holds a bounded number of spheres that do not overlap.
    s.levelOf.clear();
    s.level.assign(n, -1);
    for (size_t i : s.byX) {
        int e = 0;
        std::frexp(spheres[i].radius, &e);
        s.level[i] = e;
        s.levelOf.push_back(e);
    }
    std::sort(s.levelOf.begin(), s.levelOf.end());
    s.levelOf.erase(std::unique(s.levelOf.begin(), s.levelOf.end()), s.levelOf.end());
    const size_t levels = s.levelOf.size();
    s.levelReach.assign(levels, 0.0);
    for (size_t i : s.byX) {
        const int32_t l = int32_t(std::lower_bound(s.levelOf.begin(), s.levelOf.end(), s.level[i]) - s.levelOf.begin());
        s.level[i] = l;
        s.levelReach[size_t(l)] = std::max(s.levelReach[size_t(l)], spheres[i].radius);
    }
    auto step = [&](size_t l) { return s.levelReach[l] > 0.0 ? 2.0 * s.levelReach[l] : 1.0; };

    // Every sphere filed in its class's cell, the cells in order (class, z, y, x) so that
    // neighbouring cells lie near each other in memory, each cell's spheres by ascending index.
    s.slots.clear();
    for (size_t i : s.byX) {
        const double h = step(size_t(s.level[i]));
        SSphereCutScratch::SSlot& slot = s.slots.emplace_back();
        slot.sphere = spheres[i];
        slot.cell[0] = CellCoordinate(spheres[i].centre.x, h);
        slot.cell[1] = CellCoordinate(spheres[i].centre.y, h);
        slot.cell[2] = CellCoordinate(spheres[i].centre.z, h);
        slot.level = s.level[i];
        slot.index = int32_t(i);
        slot.rank = s.rank[i];
    }
    std::sort(s.slots.begin(), s.slots.end(), [](const auto& a, const auto& b) {
        if (a.level != b.level) return a.level < b.level;
        for (int axis = 2; axis >= 0; --axis)
            if (a.cell[axis] != b.cell[axis]) return a.cell[axis] < b.cell[axis];
        return a.index < b.index;
    });
    // The cells in an open-addressed table: each entry the first slot of a cell, -1 when empty.
    const size_t buckets = std::bit_ceil(std::max<size_t>(2 * s.slots.size(), 16));
    const uint64_t mask = buckets - 1;
    s.table.assign(buckets, -1);
    s.cellEnd.assign(s.slots.size(), 0);
    auto sameCell = [](const SSphereCutScratch::SSlot& a, int32_t level, int64_t x, int64_t y, int64_t z) {
        return a.level == level && a.cell[0] == x && a.cell[1] == y && a.cell[2] == z;
    };
    for (size_t first = 0, last; first < s.slots.size(); first = last) {
        const SSphereCutScratch::SSlot& f = s.slots[first];
        for (last = first + 1; last < s.slots.size() && sameCell(s.slots[last], f.level, f.cell[0], f.cell[1], f.cell[2]);)
            ++last;
        s.cellEnd[first] = int32_t(last);
        size_t b = size_t(CellHash(f.level, f.cell[0], f.cell[1], f.cell[2]) & mask);
        while (s.table[b] >= 0) b = (b + 1) & mask;
        s.table[b] = int32_t(first);
    }
    auto findCell = [&](int32_t level, int64_t x, int64_t y, int64_t z) -> int32_t {
        for (size_t b = size_t(CellHash(level, x, y, z) & mask);; b = (b + 1) & mask) {
            const int32_t first = s.table[b];
            if (first < 0 || sameCell(s.slots[size_t(first)], level, x, y, z)) return first;
        }
    };

    // Each sphere looks for cutters in its own class (those after it) and in every larger class;
    // the smaller classes' spheres find it themselves. A cutter can be no farther than the two
    // radii, at most a cell of the larger class: three cells a side. Spheres are visited in cell
    // order, so neighbours follow each other and their cells stay in the cache; the cutters kept
    // are the same in any order.
    std::vector<int32_t>& best = s.best;
    best.assign(s.slots.size() * size_t(limit), -1);
    // With spheres left out, a pair in one class is looked for from the sphere that wants it (both
    // ways when both do), and a pair across classes only if one of the two wants it.
    auto wants = [&](int32_t index) { return !leftOut || !(*leftOut)[size_t(index)]; };
    for (size_t p = 0; p < s.slots.size(); ++p) {
        const SCutSphere& A = s.slots[p].sphere;
        const int32_t a = s.slots[p].index, levelA = s.slots[p].level;
        const bool wantsA = wants(a);
        int examined = 0;
        for (size_t l = size_t(levelA); l < levels && examined < kCutCandidateBudget; ++l) {
            const bool own = l == size_t(levelA);
            if (own && !wantsA) continue;
            const double h = step(l), reach = A.radius + s.levelReach[l];
            int64_t lo[3], hi[3];
            const double c[3] = {A.centre.x, A.centre.y, A.centre.z};
            for (int axis = 0; axis < 3; ++axis) {
                lo[axis] = CellCoordinate(c[axis] - reach, h);
                hi[axis] = CellCoordinate(c[axis] + reach, h);
            }
            for (int64_t z = lo[2]; z <= hi[2] && examined < kCutCandidateBudget; ++z)
                for (int64_t y = lo[1]; y <= hi[1] && examined < kCutCandidateBudget; ++y)
                    for (int64_t x = lo[0]; x <= hi[0] && examined < kCutCandidateBudget; ++x) {
                        const int32_t cell = findCell(int32_t(l), x, y, z);
                        if (cell < 0) continue;
                        const auto first = s.slots.begin() + cell, end = s.slots.begin() + s.cellEnd[size_t(cell)];
                        // A cell lists its spheres by ascending index: in the sphere's own class the
                        // ones after it start past a binary search.
                        auto k = !own || leftOut ? first : std::upper_bound(first, end, a, [](int32_t v, const auto& slot) {
                            return v < slot.index;
                        });
                        for (; k != end; ++k) {
                            const SSphereCutScratch::SSlot& b = *k;
                            if (own && b.index == a) continue;
                            const bool wantsB = !own && wants(b.index);
                            if (!wantsA && !wantsB) continue;
                            if (++examined > kCutCandidateBudget) break;
                            if (!Cut(A, b.sphere)) continue;
                            if (wantsA) Offer(&best[p * size_t(limit)], limit, b.rank);
                            if (wantsB || (own && !leftOut)) Offer(&best[size_t(k - s.slots.begin()) * size_t(limit)], limit, s.slots[p].rank);
                        }
                    }
        }
    }
    for (size_t p = 0; p < s.slots.size(); ++p)
        for (int k = 0; k < limit; ++k) {
            const int32_t r = best[p * size_t(limit) + size_t(k)];
            cutters[size_t(s.slots[p].index) * size_t(limit) + size_t(k)] = r < 0 ? -1 : int32_t(s.byX[size_t(r)]);
        }
}
