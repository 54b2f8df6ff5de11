// The motion pass: boundary bounces, tidal turning, gravity and orb orientation.
#include "universe/Motion.h"

#include <cmath>

#include "universe/Orb.h"
#include "universe/OrbMath.h"
#include "universe/Random.h"
#include "universe/UniversalConstants.h"
#include "universe/UniverseHost.h"

namespace {
constexpr double kSphereRadiusSquared = 90000.0;

// (r / 32767 - 0.5) x scale for each of three draws; the first draw goes to z.
SFVec3f RandomVector(double scale)
{
    const int r1 = Rand(), r2 = Rand(), r3 = Rand();
    return {(double(r3) / kRandMax - 0.5) * scale, (double(r2) / kRandMax - 0.5) * scale,
            (double(r1) / kRandMax - 0.5) * scale};
}

bool NeedsRestart(const SFVec3f& v) { return orbmath::IsStill(v) || !orbmath::IsFinite(v); }

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
}

void MoveOrbs()
{
    if (g_universeHost.timeStopped || !g_pConstants) return;
    double top = 0.0;
    for (COrb* orb : g_orbs) {
        if (NeedsRestart(orb->m_velocity)) orb->m_velocity = RandomVector(0.01);
        orb->AdvanceOrb();
        const double speed2 = orb->m_velocity.Magnitude();
        if (speed2 > top) top = speed2;
    }
    g_pConstants->m_topSpeed = std::sqrt(top);
}

void COrb::AdvanceOrb()
{
    const CUniversalConstants& k = *g_pConstants;
    const SFVec3f p = m_position;
    const SFVec3f v = m_velocity;
    SFVec3f next = p + v;

    // Boundary: at most one bounce per step.
    if (k.m_sphericalBoundary) {
        if (next.Magnitude() > kSphereRadiusSquared) {
            const SFVec3f n = orbmath::Normalized(next);
            Bounce({n.x * -v.x, n.y * -v.y, n.z * -v.z}, k.m_boundaryEnergy);
            next = p + m_velocity;
        }
    } else {
        const SFVec3f& lo = k.m_boundaryMin;
        const SFVec3f& hi = k.m_boundaryMax;
        const double lowZLoss = (k.m_blackHole ? 1.0 : 2.0) * k.m_boundaryEnergy;
        if (next.x < lo.x) {
            Bounce({v.x, 0.0, 0.0}, k.m_boundaryEnergy);
            next = p + m_velocity;
            if (next.x < lo.x) next.x = lo.x;
        } else if (next.z < lo.z) {
            Bounce({0.0, 0.0, v.z}, lowZLoss);
            next = p + m_velocity;
            if (next.z < lo.z) next.z = lo.z;
        } else if (next.x > hi.x) {
            Bounce({v.x, 0.0, 0.0}, k.m_boundaryEnergy);
            next = p + m_velocity;
            if (next.x > hi.x) next.x = hi.x;
        } else if (next.z > hi.z) {
            Bounce({0.0, 0.0, v.z}, k.m_boundaryEnergy);
            next = p + m_velocity;
            if (next.z > hi.z) next.z = hi.z;
        } else if (next.y < lo.y) {
            Bounce({0.0, v.y, 0.0}, k.m_boundaryEnergy);
            next = p + m_velocity;
            if (next.y < lo.y) next.y = lo.y;
        } else if (next.y > hi.y) {
            Bounce({0.0, v.y, 0.0}, k.m_boundaryEnergy);
            next = p + m_velocity;
            if (next.y > hi.y) next.y = hi.y;
        }
    }

    // Tidal turning moves the orb this frame only: it is taken out of the velocity again below.
    SFVec3f s;
    if (k.m_spinning) {
        s = TidalShift(p, k);
        next += s;
        m_velocity += s;
    }

    // Overflow from a pasted block must not leave the orb nowhere: it stays where it was.
    if (!orbmath::IsFinite(next)) next = orbmath::IsFinite(p) ? p : SFVec3f::kZero;
    m_position = next;

    const SFVec3f a = GravityPull(m_position, k);
    m_velocity += a;

    // Orientation: the orb rolls about its pull, faster the faster it moves.
    CShape& frame = *m_pShape;
    const SFVec3f up = (a == SFVec3f::kZero) ? frame.m_up : a;
    SFVec3f view = frame.m_view;
    const double spin = m_velocity.Magnitude() / k.m_topSpeed;
    if (spin != 0.0 && std::isfinite(spin)) view = orbmath::RotationMatrixApply(up, spin, view);
    SFVec3f side = up.CrossProduct(view);
    if (side == SFVec3f::kZero) side = frame.m_side;
    frame.m_position = m_position;
    // A non-finite pull (extreme gravity) keeps the last good orientation.
    if (orbmath::IsFinite(up) && orbmath::IsFinite(view) && orbmath::IsFinite(side)) {
        frame.m_view = view;
        frame.m_up = up;
        frame.m_side = side;
        orbmath::Reorthagonalize(frame);
    }

    if (k.m_spinning) m_velocity -= s;
}
