// Camera matrices and picking rays; one projection serves drawing and hits.
#include "engine/core/Camera.h"

#include <cmath>

void CMovieCamera::ViewMatrix(double out[16]) const
{
    const SFMatrix m = ComputeTerminalMatrix();
    const SFVec3f eye = m.GetPosition();
    const SFVec3f f = m.GetViewVector().Normalized();
    const SFVec3f u = m.GetUpVector().Normalized();
    const SFVec3f r = f.CrossProduct(u).Normalized();  // screen right = -side
    const SFVec3f rows[3] = {r, u, -f};
    for (int i = 0; i < 3; ++i) {
        out[i * 4 + 0] = rows[i].x;
        out[i * 4 + 1] = rows[i].y;
        out[i * 4 + 2] = rows[i].z;
        out[i * 4 + 3] = -rows[i].DotProduct(eye);
    }
    out[12] = out[13] = out[14] = 0.0;
    out[15] = 1.0;
}

void CMovieCamera::ProjectionMatrix(double aspect, double out[16]) const
{
    const double f = 1.0 / std::tan(kFieldOfViewY * 0.5);
    const double n = m_near, fa = m_far;
    for (int i = 0; i < 16; ++i) out[i] = 0.0;
    out[0] = f / (aspect > 0 ? aspect : 1.0);
    out[5] = f;
    out[10] = (fa + n) / (n - fa);
    out[11] = 2.0 * fa * n / (n - fa);
    out[14] = -1.0;
}

void CMovieCamera::RayThrough(double x, double y, double width, double height, SFVec3f& origin,
                              SFVec3f& dir) const
{
    const SFMatrix m = ComputeTerminalMatrix();
    origin = m.GetPosition();
    const SFVec3f f = m.GetViewVector().Normalized();
    const SFVec3f u = m.GetUpVector().Normalized();
    const SFVec3f r = f.CrossProduct(u).Normalized();
    const double w = width > 0 ? width : 1.0, h = height > 0 ? height : 1.0;
    const double t = std::tan(kFieldOfViewY * 0.5);
    const double nx = (2.0 * x / w - 1.0) * t * (w / h);
    const double ny = (2.0 * y / h - 1.0) * t;
    dir = (f + r * nx + u * ny).Normalized();
}

void CLight::SetColors(const SFVec3f& ambient, const SFVec3f& diffuse, const SFVec3f& specular)
{
    const SFVec3f* colors[3] = {&ambient, &diffuse, &specular};
    SFVec3f* mine[3] = {&m_ambient, &m_diffuse, &m_specular};
    const uint32_t bits[3] = {kHasAmbient, kHasDiffuse, kHasSpecular};
    for (int i = 0; i < 3; ++i) {
        *mine[i] = *colors[i];
        if (*colors[i] != SFVec3f::kZero) m_flags |= bits[i];
        else m_flags &= ~bits[i];
    }
}
