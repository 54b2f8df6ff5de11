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
#include "universe/UniverseHost.h"

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

// One per orb; reused from frame to frame.
std::vector<SRoll> g_rolls;

// Boundary, tide, position and gravity of one orb; its orientation is left to OrientOrbs.
void MoveOrb(COrb& orb, SRoll& roll);

// The orientation step of one or two orbs (n = 1 or 2): each rolls about its pull, faster the
// faster it moves, and its frame is straightened. Two at once share the lanes; a lone orb fills
// both with itself. The rolled frames are straightened in the lanes as they are, without being
// stored and read back.
void OrientOrbs(const SRoll* roll, int n)
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
    }
    using namespace orbmath;
    const SLaneVec ups = LaneVec(up[0], up[1]);
    SLaneVec views = LaneVec(view[0], view[1]);
    views = Select(LaneMask(turns[0], turns[1]),
                   RotationMatrixApply(ups, Lanes(turn[0].c, turn[1].c), Lanes(turn[0].s, turn[1].s), views), views);
    const SLaneVec sides = Cross(ups, views);
    SLaneFrame straight;
    const SLaneMask usual = ReorthagonalizeUsual(views, ups, straight);
    const SFVec3f turnedView[2] = {Lane0(views), Lane1(views)};
    const SFVec3f side[2] = {Lane0(sides), Lane1(sides)};
    const bool usualLane[2] = {Lane0(usual), Lane1(usual)};
    const SFVec3f straightView[2] = {Lane0(straight.view), Lane1(straight.view)};
    const SFVec3f straightSide[2] = {Lane0(straight.side), Lane1(straight.side)};
    const SFVec3f straightUp[2] = {Lane0(straight.up), Lane1(straight.up)};
    for (int i = 0; i < n; ++i) {
        CShape& frame = *roll[i].orb->m_pShape;
        frame.m_position = roll[i].orb->m_position;
        const SFVec3f newSide = (side[i] == SFVec3f::kZero) ? frame.m_side : side[i];
        // A non-finite pull (extreme gravity) keeps the last good orientation.
        if (!IsFinite(up[i]) || !IsFinite(turnedView[i]) || !IsFinite(newSide)) continue;
        if (usualLane[i]) {
            frame.m_view = straightView[i];
            frame.m_side = straightSide[i];
            frame.m_up = straightUp[i];
        } else {
            frame.m_view = turnedView[i];
            frame.m_up = up[i];
            frame.m_side = newSide;
            Reorthagonalize(frame);
        }
    }
}
}

void MoveOrbs()
{
    if (g_universeHost.timeStopped || !g_pConstants) return;
    double top = 0.0;
    // Motion first, every orb in order (it draws random numbers), orientation afterwards: no orb's
    // motion reads an orientation, and the orientations, free of each other, then overlap.
    g_rolls.resize(g_orbs.size());
    for (size_t i = 0; i < g_orbs.size(); ++i) {
        COrb* orb = g_orbs[i];
        if (orbmath::NeedsRestart(orb->m_velocity)) orb->m_velocity = RandomVector(0.01);
        MoveOrb(*orb, g_rolls[i]);
        const double speed2 = orb->m_velocity.Magnitude();
        if (speed2 > top) top = speed2;
    }
    for (SRoll& r : g_rolls) PrepareRoll(r);
    for (size_t i = 0; i < g_rolls.size(); i += 2) OrientOrbs(&g_rolls[i], int(std::min<size_t>(2, g_rolls.size() - i)));
    g_pConstants->m_topSpeed = std::sqrt(top);
}

void COrb::AdvanceOrb()
{
    SRoll roll;
    MoveOrb(*this, roll);
    PrepareRoll(roll);
    OrientOrbs(&roll, 1);
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
