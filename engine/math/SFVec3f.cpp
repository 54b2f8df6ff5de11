// Vector operations that need <cmath>.
#include "engine/math/SFVec3f.h"

#include <cmath>

const SFVec3f SFVec3f::kZero(0.0, 0.0, 0.0);
const SFVec3f SFVec3f::kOne(1.0, 1.0, 1.0);

double SFVec3f::Length() const { return std::sqrt(Magnitude()); }

SFVec3f& SFVec3f::Normalize()
{
    const double len = Length();
    if (len != 0.0 && len != 1.0) {
        const double inv = 1.0 / len;
        x *= inv; y *= inv; z *= inv;
    }
    return *this;
}

SFVec3f& SFVec3f::RotateAroundAxis(const SFVec3f& axis, double angle)
{
    // Rodrigues: v' = v cos + (k x v) sin + k (k . v)(1 - cos).
    const SFVec3f k = axis.Normalized();
    const double c = std::cos(angle), s = std::sin(angle);
    const SFVec3f kxv = k.CrossProduct(*this);
    const double kv = k.DotProduct(*this);
    *this = (*this) * c + kxv * s + k * (kv * (1.0 - c));
    return *this;
}

bool SFVec3f::IsNaN() const { return std::isnan(x) || std::isnan(y) || std::isnan(z); }
bool SFVec3f::IsFinite() const { return std::isfinite(x) && std::isfinite(y) && std::isfinite(z); }
