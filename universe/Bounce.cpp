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
    int r4, r5;
    bool active;
};

// One bounce's surface direction (its unit length given) and draws, in their fixed order.
[[gnu::always_inline]] inline SBounce Prepare(const SFVec3f& velocity, const SFVec3f& surface, const SFVec3f& unit)
{
    if (surface == SFVec3f::kZero || velocity == SFVec3f::kZero) return {velocity, SFVec3f(), 0, 0, false};
    SFVec3f u = unit;
    if (u == velocity) {
        const int r1 = Rand(), r2 = Rand(), r3 = Rand();
        const SFVec3f j(u.x * (double(r3) / kRandMax - 0.5), u.y * (double(r2) / kRandMax - 0.5),
                        u.z * (double(r1) / kRandMax - 0.5));
        u = orbmath::Normalized(u + j * 0.2);
    }
    const int r4 = Rand();
    const int r5 = Rand();
    return {velocity, u, r4, r5, true};
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
[[gnu::always_inline]] inline void Finish(COrb& orb, const SFVec3f& r, double energyLoss)
{
    orb.m_velocity = r - r * energyLoss;
    const double cap = g_pConstants->m_maxEnergy;
    if (cap * cap < orb.m_velocity.Magnitude()) orb.m_velocity = orbmath::Normalized(orb.m_velocity) * cap;
    if (g_pConstants->m_flashCollisions && orb.m_pMaterial) orb.m_pMaterial->SetAmbientColor({1.0, 1.0, 1.0, 1.0});
}

// Up to two bounces at once; a null second orb leaves its lane idle.
void BounceLanes(COrb* a, const SFVec3f& surfaceA, COrb* b, const SFVec3f& surfaceB, double energyLoss)
{
    const SFVec3f velocityB = b ? b->m_velocity : SFVec3f(), surfaceOfB = b ? surfaceB : SFVec3f();
    // Both lengths at once; the draws stay in order: all of a's, then all of b's.
    const orbmath::SLaneVec units = orbmath::Normalized(orbmath::LaneVec(surfaceA, surfaceOfB));
    // Built whole rather than zeroed and filled: no memset per bounce.
    const SBounce bounce[2] = {Prepare(a->m_velocity, surfaceA, orbmath::Lane0(units)),
                               Prepare(velocityB, surfaceOfB, orbmath::Lane1(units))};
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
