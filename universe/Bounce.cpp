// The bounce: an orb's velocity turned back off a surface direction, with random turn and twist.
#include "universe/Bounce.h"

#include <cmath>
#include <vector>

#include "universe/Orb.h"
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

// The surface direction and every draw of one bounce, in their fixed order.
SBounce Prepare(const SFVec3f& velocity, const SFVec3f& surface)
{
    SBounce b;
    b.v = velocity;
    if (surface == SFVec3f::kZero || velocity == SFVec3f::kZero) return b;
    b.active = true;
    b.u = orbmath::Normalized(surface);
    if (b.u == b.v) {
        const int r1 = Rand(), r2 = Rand(), r3 = Rand();
        const SFVec3f j(b.u.x * (double(r3) / kRandMax - 0.5), b.u.y * (double(r2) / kRandMax - 0.5),
                        b.u.z * (double(r1) / kRandMax - 0.5));
        b.u = orbmath::Normalized(b.u + j * 0.2);
    }
    b.r4 = Rand();
    b.r5 = Rand();
    return b;
}

// -v turned about v x u by about twice their angle, then twisted about u.
SFVec3f Turn(const SBounce& b)
{
    const SFVec3f& v = b.v;
    const SFVec3f& u = b.u;
    const SFVec3f w = orbmath::Normalized(v.CrossProduct(u));
    double c = orbmath::Normalized(v).DotProduct(u);
    if (c <= -1.0) c = -0.999;
    else if (c >= 1.0) c = 0.999;
    double theta = std::acos(c);
    if (std::isnan(theta)) theta = 0.0;
    const double turn = theta * ((b.r4 * 0.3 / kRandMax - 0.15) + 2.0);
    // r5 * 0.3 / 32767 - 0.15 is never 0, so the twist always applies.
    const STwist& twist = TwistTable()[b.r5];
    SFVec3f r = -v;
    // With v along u there is no axis to turn about: -v is already the reflection.
    if (turn != 0.0 && w != SFVec3f::kZero) r = orbmath::Rotate(r, w, turn);
    return orbmath::Rotate(r, u, twist.c, twist.s);
}

// Energy loss, speed cap and collision flash.
void Finish(COrb& orb, const SFVec3f& r, double energyLoss)
{
    orb.m_velocity = r - r * energyLoss;
    const double cap = g_pConstants->m_maxEnergy;
    if (cap * cap < orb.m_velocity.Magnitude()) orb.m_velocity = orbmath::Normalized(orb.m_velocity) * cap;
    if (g_pConstants->m_flashCollisions && orb.m_pMaterial) orb.m_pMaterial->SetAmbientColor({1.0, 1.0, 1.0, 1.0});
}
}

void COrb::Bounce(const SFVec3f& surface, double energyLoss)
{
    const SBounce b = Prepare(m_velocity, surface);
    if (b.active) Finish(*this, Turn(b), energyLoss);
}

void BouncePair(COrb& a, const SFVec3f& surfaceA, COrb& b, const SFVec3f& surfaceB, double energyLoss)
{
    const SBounce ba = Prepare(a.m_velocity, surfaceA);
    const SBounce bb = Prepare(b.m_velocity, surfaceB);
    // Neither turn reads what the other writes, so both are worked out before either is stored.
    const SFVec3f ra = ba.active ? Turn(ba) : SFVec3f();
    const SFVec3f rb = bb.active ? Turn(bb) : SFVec3f();
    if (ba.active) Finish(a, ra, energyLoss);
    if (bb.active) Finish(b, rb, energyLoss);
}
