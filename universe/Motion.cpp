// The motion pass: boundary bounces, tidal turning, gravity and orb orientation.
#include "universe/Motion.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "universe/Orb.h"
#include "universe/OrbLanes.h"
#include "universe/OrbMath.h"
#include "universe/Random.h"
#include "universe/UniversalConstants.h"
#include "universe/UniverseContext.h"

namespace {
constexpr double kSphereRadiusSquared = 90000.0;

// The tidal displacement of a point turned about the y axis.
SFVec3f TidalShift(const SFVec3f& p, const CUniversalConstants& k)
{
    const double t = (p.x * p.x + p.z * p.z) * (1.0 / 22500.0);
    const double d = k.m_blackHole ? 2.0 - std::fabs(p.y) * (1.0 / 150.0) : 0.0;
    double angle;
    if (k.m_tidalDivisor == 0.0) {
        angle = t - d * t;
    } else {
        const double u = k.m_blackHole ? 4.0 - t : t;
        angle = (u - d * u) / k.m_tidalDivisor;
    }
    const SFVec3f flat(p.x, 0.0, p.z);
    // The matrix applied to a point: its zero translation is added, as the engine does.
    const SFVec3f turned = orbmath::RotationMatrixApply({0.0, 1.0, 0.0}, angle, flat) + SFVec3f();
    const SFVec3f s(turned.x - flat.x, 0.0, turned.z - flat.z);
    // A non-finite angle (a divisor near 0 from a pasted block) turns nothing.
    return orbmath::IsFinite(s) ? s : SFVec3f::kZero;
}

SFVec3f GravityPull(const SFVec3f& p, const CUniversalConstants& k)
{
    double g = k.m_blackHole ? 4.0 * p.Magnitude() : p.y - 350.0;
    if (-1.0 < g && g <= 0.0) g = -1.0;
    else if (0.0 < g && g < 1.0) g = 1.0;
    const double f = k.m_gravity / g;
    return k.m_blackHole ? p * -f : SFVec3f(0.0, -f, 0.0);
}

// v + pull, except that a component of v that is already NaN (from a pasted block) keeps its own
// NaN: with both operands NaN the sum's sign would depend on the compiler's operand order.
double AddKeepingNaN(double v, double pull) { return std::isnan(v) ? v + 0.0 : v + pull; }
SFVec3f AddPull(const SFVec3f& v, const SFVec3f& pull)
{
    return {AddKeepingNaN(v.x, pull.x), AddKeepingNaN(v.y, pull.y), AddKeepingNaN(v.z, pull.z)};
}

// What the orientation step of an orb needs from its motion step.
struct SRoll {
    COrb* orb = nullptr;
    SFVec3f pull;
    double spin = 0.0;  // the angle it rolls by this frame
    bool turns = false;
    orbmath::SCosSin turn{1.0, 0.0};  // cosine and sine of spin when it turns
};

// The sine and cosine of the roll, worked out for every orb before any frame is touched: the
// calls then follow one another and overlap instead of waiting on each frame's arithmetic.
void PrepareRoll(SRoll& r)
{
    r.turns = r.spin != 0.0 && std::isfinite(r.spin);
    r.turn = r.turns ? orbmath::CosSin(r.spin) : orbmath::SCosSin{1.0, 0.0};
}

// Two orbs' frames in the lanes between the orientation passes.
struct SFramePair {
    orbmath::SLaneFrame lanes;
    orbmath::SLanes cos, sin;  // of each lane's roll
    orbmath::SLaneMask turns;  // the lanes that roll
    COrb* orb[2] = {};  // null for a lane that keeps its frame, or holds no orb
};

// Orbs moved and turned together; an even number, so only the last batch may hold a lone orb.
constexpr size_t kRollBatch = 1024;

// One per orb of a batch, and one per two; reused from frame to frame.
std::vector<SRoll> g_rolls;
std::vector<SFramePair> g_framePairs;

// Boundary, tide, position and gravity of one orb; its orientation is left to Orient.
void MoveOrb(COrb& orb, SRoll& roll);

// The orientation step of one or two orbs (n = 1 or 2) gathered into the lanes: each rolls about
// its pull (its up when there is none), faster the faster it moves. A lone orb fills both lanes
// with itself.
void GatherRoll(const SRoll* roll, int n, SFramePair& pair)
{
    SFVec3f up[2], view[2];
    orbmath::SCosSin turn[2];
    bool turns[2];
    for (int i = 0; i < 2; ++i) {
        const SRoll& r = roll[i < n ? i : 0];
        const CShape& frame = *r.orb->m_pShape;
        up[i] = (r.pull == SFVec3f::kZero) ? frame.m_up : r.pull;
        view[i] = frame.m_view;
        turns[i] = i < n && r.turns;
        turn[i] = r.turn;
        pair.orb[i] = i < n ? r.orb : nullptr;
    }
    using namespace orbmath;
    pair.lanes.up = LaneVec(up[0], up[1]);
    pair.lanes.view = LaneVec(view[0], view[1]);
    pair.cos = Lanes(turn[0].c, turn[1].c);
    pair.sin = Lanes(turn[0].s, turn[1].s);
    pair.turns = LaneMask(turns[0], turns[1]);
}

// The roll of a gathered pair, about its axis normalized (in next). The rolled frames are stored
// for Reorthagonalize's special cases and kept in the lanes for the usual one.
void Roll(SFramePair& pair)
{
    using namespace orbmath;
    SLaneFrame& f = pair.lanes;
    f.view = Select(pair.turns, RotationMatrixApplyUnit(f.next, pair.cos, pair.sin, f.view), f.view);
    const SLaneVec sides = Cross(f.up, f.view);
    for (int i = 0; i < 2; ++i) {
        COrb* orb = pair.orb[i];
        if (!orb) continue;
        CShape& frame = *orb->m_pShape;
        frame.m_position = orb->m_position;
        const SFVec3f up = Lane(f.up, i), turnedView = Lane(f.view, i), side = Lane(sides, i);
        const SFVec3f newSide = (side == SFVec3f::kZero) ? frame.m_side : side;
        // A non-finite pull (extreme gravity) keeps the last good orientation.
        if (!IsFinite(up) || !IsFinite(turnedView) || !IsFinite(newSide)) {
            pair.orb[i] = nullptr;
            continue;
        }
        frame.m_view = turnedView;
        frame.m_up = up;
        frame.m_side = newSide;
    }
}

// The rolled frames straightened: orbmath::Reorthagonalize after its last step.
void StoreStraightened(const SFramePair& f)
{
    for (int i = 0; i < 2; ++i) {
        if (!f.orb[i]) continue;
        CShape& frame = *f.orb[i]->m_pShape;
        if (orbmath::Lane(f.lanes.usual, i)) {
            frame.m_view = orbmath::Lane(f.lanes.view, i);
            frame.m_side = orbmath::Lane(f.lanes.side, i);
            frame.m_up = orbmath::Lane(f.lanes.up, i);
        } else {
            orbmath::Reorthagonalize(frame);
        }
    }
}

// Rolls and straightens the frames of count orbs, two at a time, pass after pass.
void Orient(const SRoll* rolls, size_t count, std::vector<SFramePair>& pairs)
{
    pairs.resize((count + 1) / 2);
    // Each pass is short and its pairs are free of each other, so their loads, square roots and
    // divisions overlap from pair to pair.
    for (size_t i = 0; i < count; i += 2) GatherRoll(&rolls[i], int(std::min<size_t>(2, count - i)), pairs[i / 2]);
    for (SFramePair& f : pairs) f.lanes.next = orbmath::Normalized(f.lanes.up);
    for (SFramePair& f : pairs) Roll(f);
    // orbmath::Reorthagonalize in its three steps, each a pass of its own.
    for (SFramePair& f : pairs) orbmath::StraightenView(f.lanes);
    for (SFramePair& f : pairs) orbmath::StraightenSide(f.lanes);
    for (SFramePair& f : pairs) {
        orbmath::StraightenUp(f.lanes);
        StoreStraightened(f);
    }
}
}

void MoveOrbs()
{
    if (g_universeContext.timeStopped || !g_pConstants) return;
    double top = 0.0;
    // Motion first, every orb in order (it draws random numbers), orientation afterwards: no orb's
    // motion reads an orientation, and the orientations, free of each other, then overlap. Done a
    // batch of orbs at a time, so what the orientation passes keep stays in the cache and a crowd
    // needs no buffers the size of the crowd; the order of the draws is the same.
    g_rolls.resize(std::min(g_orbs.size(), kRollBatch));
    for (size_t first = 0; first < g_orbs.size(); first += kRollBatch) {
        const size_t count = std::min(kRollBatch, g_orbs.size() - first);
        for (size_t i = 0; i < count; ++i) {
            COrb* orb = g_orbs[first + i];
            if (orbmath::NeedsRestart(orb->m_velocity)) orb->m_velocity = RandomVector(0.01);
            MoveOrb(*orb, g_rolls[i]);
            const double speed2 = orb->m_velocity.Magnitude();
            if (speed2 > top) top = speed2;
        }
        for (size_t i = 0; i < count; ++i) PrepareRoll(g_rolls[i]);
        Orient(g_rolls.data(), count, g_framePairs);
    }
    g_pConstants->m_topSpeed = std::sqrt(top);
}

void COrb::AdvanceOrb()
{
    SRoll roll;
    MoveOrb(*this, roll);
    PrepareRoll(roll);
    std::vector<SFramePair> pair;
    Orient(&roll, 1, pair);
}

namespace {
void MoveOrb(COrb& orb, SRoll& roll)
{
    const CUniversalConstants& k = *g_pConstants;
    const SFVec3f p = orb.m_position;
    const SFVec3f v = orb.m_velocity;
    SFVec3f next = p + v;

    // Boundary: at most one bounce per step.
    if (k.m_sphericalBoundary) {
        if (next.Magnitude() > kSphereRadiusSquared) {
            const SFVec3f n = orbmath::Normalized(next);
            orb.Bounce({n.x * -v.x, n.y * -v.y, n.z * -v.z}, k.m_boundaryEnergy);
            next = p + orb.m_velocity;
        }
    } else {
        const SFVec3f& lo = k.m_boundaryMin;
        const SFVec3f& hi = k.m_boundaryMax;
        const double lowZLoss = (k.m_blackHole ? 1.0 : 2.0) * k.m_boundaryEnergy;
        if (next.x < lo.x) {
            orb.Bounce({v.x, 0.0, 0.0}, k.m_boundaryEnergy);
            next = p + orb.m_velocity;
            if (next.x < lo.x) next.x = lo.x;
        } else if (next.z < lo.z) {
            orb.Bounce({0.0, 0.0, v.z}, lowZLoss);
            next = p + orb.m_velocity;
            if (next.z < lo.z) next.z = lo.z;
        } else if (next.x > hi.x) {
            orb.Bounce({v.x, 0.0, 0.0}, k.m_boundaryEnergy);
            next = p + orb.m_velocity;
            if (next.x > hi.x) next.x = hi.x;
        } else if (next.z > hi.z) {
            orb.Bounce({0.0, 0.0, v.z}, k.m_boundaryEnergy);
            next = p + orb.m_velocity;
            if (next.z > hi.z) next.z = hi.z;
        } else if (next.y < lo.y) {
            orb.Bounce({0.0, v.y, 0.0}, k.m_boundaryEnergy);
            next = p + orb.m_velocity;
            if (next.y < lo.y) next.y = lo.y;
        } else if (next.y > hi.y) {
            orb.Bounce({0.0, v.y, 0.0}, k.m_boundaryEnergy);
            next = p + orb.m_velocity;
            if (next.y > hi.y) next.y = hi.y;
        }
    }

    // Tidal turning moves the orb this frame only: it is taken out of the velocity again below.
    SFVec3f s;
    if (k.m_spinning) {
        s = TidalShift(p, k);
        next += s;
        orb.m_velocity += s;
    }

    // Overflow from a pasted block must not leave the orb nowhere: it stays where it was.
    if (!orbmath::IsFinite(next)) next = orbmath::IsFinite(p) ? p : SFVec3f::kZero;
    orb.m_position = next;

    roll.orb = &orb;
    roll.pull = GravityPull(orb.m_position, k);
    orb.m_velocity = AddPull(orb.m_velocity, roll.pull);

    roll.spin = orb.m_velocity.Magnitude() / k.m_topSpeed;
    if (k.m_spinning) orb.m_velocity -= s;
}
}
