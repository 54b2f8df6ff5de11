// The bounce: an orb's velocity turned back off a surface direction, with random turn and twist.
#include "universe/Bounce.h"

#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

#include "universe/Orb.h"
#include "universe/OrbLanes.h"
#include "universe/OrbMath.h"
#include "universe/Random.h"
#include "universe/UniversalConstants.h"

namespace {
// Cosine and sine of every possible twist: the twist comes from one draw, so 32768 angles cover it.
struct STwist {
    double c, s;
};

const STwist* TwistTable()
{
    static const std::vector<STwist> table = [] {
        std::vector<STwist> t(size_t(kRandMax) + 1);
        for (int r = 0; r <= kRandMax; ++r) {
            const double twist = r * 0.3 / kRandMax - 0.15;
            t[size_t(r)] = {std::cos(twist), std::sin(twist)};
        }
        return t;
    }();
    return table.data();
}

struct SBounce {
    SFVec3f v;  // the velocity bounced
    SFVec3f u;  // the surface direction, of unit length
    int r4 = 0, r5 = 0;
    bool active = false;
};

// The surface directions and every draw of up to two bounces, in their fixed order: all of the
// first bounce's draws, then the second's. Only the draws are sequential; the lengths are not.
void Prepare(SBounce (&b)[2], const SFVec3f (&velocity)[2], const SFVec3f (&surface)[2])
{
    const orbmath::SLaneVec units = orbmath::Normalized(orbmath::LaneVec(surface[0], surface[1]));
    const SFVec3f unit[2] = {orbmath::Lane0(units), orbmath::Lane1(units)};
    for (int i = 0; i < 2; ++i) {
        b[i].v = velocity[i];
        if (surface[i] == SFVec3f::kZero || velocity[i] == SFVec3f::kZero) continue;
        b[i].active = true;
        b[i].u = unit[i];
        if (b[i].u == b[i].v) {
            const int r1 = Rand(), r2 = Rand(), r3 = Rand();
            const SFVec3f& u = b[i].u;
            const SFVec3f j(u.x * (double(r3) / kRandMax - 0.5), u.y * (double(r2) / kRandMax - 0.5),
                            u.z * (double(r1) / kRandMax - 0.5));
            b[i].u = orbmath::Normalized(u + j * 0.2);
        }
        b[i].r4 = Rand();
        b[i].r5 = Rand();
    }
}

// The angle between velocity and surface, from their cosine.
double Angle(double c)
{
    if (c <= -1.0) c = -0.999;
    else if (c >= 1.0) c = 0.999;
    const double theta = std::acos(c);
    return std::isnan(theta) ? 0.0 : theta;
}

// About twice the angle: theta * (2 +- 0.15).
double TurnAngle(double theta, int r4) { return theta * ((r4 * 0.3 / kRandMax - 0.15) + 2.0); }

bool SameBits(double a, double b) { return std::bit_cast<uint64_t>(a) == std::bit_cast<uint64_t>(b); }

// Per bounce: -v turned about v x u by about twice their angle, then twisted about u.
// Both bounces run in the two lanes; only acos, cos and sin are called lane by lane.
void Turn(const SBounce (&b)[2], SFVec3f (&out)[2])
{
    using namespace orbmath;
    const SLaneVec v = LaneVec(b[0].v, b[1].v);
    const SLaneVec u = LaneVec(b[0].u, b[1].u);
    const SLaneVec w = Normalized(Cross(v, u));
    const SLanes c = Dot(Normalized(v), u);
    const double c0 = Lane0(c), c1 = Lane1(c);
    const double theta0 = b[0].active ? Angle(c0) : 0.0;
    // Two orbs bouncing off each other's velocity meet at the same cosine: one acos serves both.
    const double theta1 = !b[1].active ? 0.0 : (b[0].active && SameBits(c0, c1)) ? theta0 : Angle(c1);
    const double turn0 = TurnAngle(theta0, b[0].r4), turn1 = TurnAngle(theta1, b[1].r4);
    const SLaneMask axis = NonZero(w);
    // With v along u there is no axis to turn about: -v is already the reflection.
    const bool turns0 = b[0].active && turn0 != 0.0 && Lane0(axis);
    const bool turns1 = b[1].active && turn1 != 0.0 && Lane1(axis);
    const SCosSin none = {1.0, 0.0};
    const SCosSin turned0 = turns0 ? CosSin(turn0) : none, turned1 = turns1 ? CosSin(turn1) : none;
    SLaneVec r = -v;
    r = Select(LaneMask(turns0, turns1), Rotate(r, w, Lanes(turned0.c, turned1.c), Lanes(turned0.s, turned1.s)), r);
    // r5 * 0.3 / 32767 - 0.15 is never 0, so the twist always applies.
    const STwist& t0 = TwistTable()[b[0].r5];
    const STwist& t1 = TwistTable()[b[1].r5];
    r = Rotate(r, u, Lanes(t0.c, t1.c), Lanes(t0.s, t1.s));
    out[0] = Lane0(r);
    out[1] = Lane1(r);
}

// Energy loss, speed cap and collision flash.
void Finish(COrb& orb, const SFVec3f& r, double energyLoss)
{
    orb.m_velocity = r - r * energyLoss;
    const double cap = g_pConstants->m_maxEnergy;
    if (cap * cap < orb.m_velocity.Magnitude()) orb.m_velocity = orbmath::Normalized(orb.m_velocity) * cap;
    if (g_pConstants->m_flashCollisions && orb.m_pMaterial) orb.m_pMaterial->SetAmbientColor({1.0, 1.0, 1.0, 1.0});
}

// Up to two bounces at once; a null second orb leaves its lane idle.
void BounceLanes(COrb* a, const SFVec3f& surfaceA, COrb* b, const SFVec3f& surfaceB, double energyLoss)
{
    SBounce bounce[2];
    Prepare(bounce, {a->m_velocity, b ? b->m_velocity : SFVec3f()}, {surfaceA, b ? surfaceB : SFVec3f()});
    if (!bounce[0].active && !bounce[1].active) return;
    // Neither turn reads what the other writes, so both are worked out before either is stored.
    SFVec3f turned[2];
    Turn(bounce, turned);
    if (bounce[0].active) Finish(*a, turned[0], energyLoss);
    if (bounce[1].active) Finish(*b, turned[1], energyLoss);
}
}

void COrb::Bounce(const SFVec3f& surface, double energyLoss) { BounceLanes(this, surface, nullptr, {}, energyLoss); }

void BouncePair(COrb& a, const SFVec3f& surfaceA, COrb& b, const SFVec3f& surfaceB, double energyLoss)
{
    BounceLanes(&a, surfaceA, &b, surfaceB, energyLoss);
}
