// Matrix products, inversion and rotation matrices.
#include "engine/math/SFMatrix.h"

#include <cmath>

SFMatrix::SFMatrix(const SFVec3f& side, const SFVec3f& up, const SFVec3f& view, const SFVec3f& position)
{
    Identity();
    const SFVec3f cols[4] = {side, up, view, position};
    for (int c = 0; c < 4; ++c) {
        m[0][c] = cols[c].x;
        m[1][c] = cols[c].y;
        m[2][c] = cols[c].z;
    }
}

SFMatrix& SFMatrix::Identity()
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) m[r][c] = (r == c) ? 1.0 : 0.0;
    return *this;
}

SFMatrix SFMatrix::operator*(const SFMatrix& o) const
{
    SFMatrix r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            double s = 0.0;
            for (int k = 0; k < 4; ++k) s += m[i][k] * o.m[k][j];
            r.m[i][j] = s;
        }
    return r;
}

SFVec3f SFMatrix::TransformDirection(const SFVec3f& d) const
{
    return {m[0][0] * d.x + m[0][1] * d.y + m[0][2] * d.z,
            m[1][0] * d.x + m[1][1] * d.y + m[1][2] * d.z,
            m[2][0] * d.x + m[2][1] * d.y + m[2][2] * d.z};
}

SFMatrix& SFMatrix::Invert()
{
    // Affine inverse: invert the 3x3 part by cofactors, then the translation.
    const double a = m[0][0], b = m[0][1], c = m[0][2];
    const double d = m[1][0], e = m[1][1], f = m[1][2];
    const double g = m[2][0], h = m[2][1], i = m[2][2];
    const double A = e * i - f * h, B = -(d * i - f * g), C = d * h - e * g;
    const double det = a * A + b * B + c * C;
    if (det == 0.0 || !std::isfinite(det)) return Identity();
    const double inv = 1.0 / det;
    SFMatrix r;
    r.m[0][0] = A * inv;
    r.m[0][1] = -(b * i - c * h) * inv;
    r.m[0][2] = (b * f - c * e) * inv;
    r.m[1][0] = B * inv;
    r.m[1][1] = (a * i - c * g) * inv;
    r.m[1][2] = -(a * f - c * d) * inv;
    r.m[2][0] = C * inv;
    r.m[2][1] = -(a * h - b * g) * inv;
    r.m[2][2] = (a * e - b * d) * inv;
    const SFVec3f t = GetPosition();
    const SFVec3f nt = r.TransformDirection(t);
    r.SetPosition(-nt);
    *this = r;
    return *this;
}

SFMatrix SFRotation::Transform() const
{
    SFMatrix r;
    const SFVec3f k = axis.Normalized();
    const double c = std::cos(angle), s = std::sin(angle), t = 1.0 - c;
    r.m[0][0] = t * k.x * k.x + c;       r.m[0][1] = t * k.x * k.y - s * k.z; r.m[0][2] = t * k.x * k.z + s * k.y;
    r.m[1][0] = t * k.x * k.y + s * k.z; r.m[1][1] = t * k.y * k.y + c;       r.m[1][2] = t * k.y * k.z - s * k.x;
    r.m[2][0] = t * k.x * k.z - s * k.y; r.m[2][1] = t * k.y * k.z + s * k.x; r.m[2][2] = t * k.z * k.z + c;
    return r;
}
