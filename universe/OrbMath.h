// Inline copies of the engine's vector operations that the motion and collision passes call for
// every orb and every bounce. Same arithmetic in the same order, so results are bit-identical to
// SFVec3f and SFRotation (a unit test holds them to it); inlined, they cost a third as much.
#pragma once

#include <cmath>

#include "engine/core/LocalCoordinateSystem.h"
#include "engine/math/SFVec3f.h"

namespace orbmath {

inline double Length(const SFVec3f& v) { return std::sqrt(v.Magnitude()); }

// A velocity this small moves nothing in the age of the universe; below it, squares and products
// turn subnormal, which costs a hundred times the arithmetic. Treated as standing still.
inline bool IsStill(const SFVec3f& v)
{
    constexpr double kStill = 1e-150;
    return std::fabs(v.x) < kStill && std::fabs(v.y) < kStill && std::fabs(v.z) < kStill;
}

inline bool IsFinite(const SFVec3f& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

// A velocity that must be replaced by a random restart before the orb moves on.
inline bool NeedsRestart(const SFVec3f& v) { return IsStill(v) || !IsFinite(v); }

// SFVec3f::Normalize: lengths 0 and exactly 1 are left alone.
inline SFVec3f Normalized(const SFVec3f& v)
{
    const double len = Length(v);
    if (len != 0.0 && len != 1.0) {
        const double inv = 1.0 / len;
        return {v.x * inv, v.y * inv, v.z * inv};
    }
    return v;
}

// SFVec3f::RotateAroundAxis with the sine and cosine of the angle given.
inline SFVec3f Rotate(const SFVec3f& v, const SFVec3f& axis, double c, double s)
{
    const SFVec3f k = Normalized(axis);
    const SFVec3f kxv = k.CrossProduct(v);
    const double kv = k.DotProduct(v);
    return v * c + kxv * s + k * (kv * (1.0 - c));
}

inline SFVec3f Rotate(const SFVec3f& v, const SFVec3f& axis, double angle)
{
    return Rotate(v, axis, std::cos(angle), std::sin(angle));
}

// SFRotation(axis, angle).Transform().TransformDirection(d).
inline SFVec3f RotationMatrixApply(const SFVec3f& axis, double angle, const SFVec3f& d)
{
    const SFVec3f k = Normalized(axis);
    const double c = std::cos(angle), s = std::sin(angle), t = 1.0 - c;
    const double m00 = t * k.x * k.x + c, m01 = t * k.x * k.y - s * k.z, m02 = t * k.x * k.z + s * k.y;
    const double m10 = t * k.x * k.y + s * k.z, m11 = t * k.y * k.y + c, m12 = t * k.y * k.z - s * k.x;
    const double m20 = t * k.x * k.z - s * k.y, m21 = t * k.y * k.z + s * k.x, m22 = t * k.z * k.z + c;
    return {m00 * d.x + m01 * d.y + m02 * d.z, m10 * d.x + m11 * d.y + m12 * d.z,
            m20 * d.x + m21 * d.y + m22 * d.z};
}

inline bool NearlyZero(const SFVec3f& v) { return !(v.Magnitude() > 1e-24); }

// CLocalCoordinateSystem::Reorthagonalize.
inline void Reorthagonalize(CLocalCoordinateSystem& f)
{
    if (!IsFinite(f.m_view) || !IsFinite(f.m_up) || NearlyZero(f.m_view)) return;
    f.m_view = Normalized(f.m_view);
    SFVec3f side = f.m_up.CrossProduct(f.m_view);
    if (NearlyZero(side)) {
        const SFVec3f up = f.m_view.CrossProduct(f.m_side);
        if (NearlyZero(up)) return;
        f.m_up = Normalized(up);
        side = f.m_up.CrossProduct(f.m_view);
    }
    f.m_side = Normalized(side);
    f.m_up = Normalized(f.m_view.CrossProduct(f.m_side));
}

}  // namespace orbmath
