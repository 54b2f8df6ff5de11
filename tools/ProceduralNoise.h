// Seamless gradient noise for the generated textures (the built-in orb texture, the sample universes).
#pragma once

#include <cmath>
#include <cstdint>

namespace noise {
constexpr double kTau = 6.28318530717958647692;

// Fixed hash: the picture is the same on every build.
inline uint32_t Hash(uint32_t x, uint32_t y, uint32_t seed)
{
    uint32_t h = x * 374761393u + y * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

inline double Fade(double t) { return t * t * t * (t * (t * 6.0 - 15.0) + 10.0); }

// Gradient noise on a lattice that wraps every `period` cells, so the picture tiles.
inline double PeriodicNoise(double x, double y, int period, uint32_t seed)
{
    const double fx = std::floor(x), fy = std::floor(y);
    const int ix = int(fx), iy = int(fy);
    const double dx = x - fx, dy = y - fy;
    auto grad = [&](int cx, int cy, double ox, double oy) {
        const uint32_t wx = uint32_t(((cx % period) + period) % period);
        const uint32_t wy = uint32_t(((cy % period) + period) % period);
        const double a = (Hash(wx, wy, seed) & 0xFFFF) / 65536.0 * kTau;
        return std::cos(a) * ox + std::sin(a) * oy;
    };
    const double n00 = grad(ix, iy, dx, dy), n10 = grad(ix + 1, iy, dx - 1, dy);
    const double n01 = grad(ix, iy + 1, dx, dy - 1), n11 = grad(ix + 1, iy + 1, dx - 1, dy - 1);
    const double u = Fade(dx), v = Fade(dy);
    const double a = n00 + (n10 - n00) * u, b = n01 + (n11 - n01) * u;
    return a + (b - a) * v;  // about -0.7..0.7
}

// Fractal sum over the unit square (0..1 wraps); the lowest octave has `base` cells.
inline double Fbm(double x, double y, int base, int octaves, uint32_t seed)
{
    double sum = 0.0, amp = 1.0, norm = 0.0;
    int period = base;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * PeriodicNoise(x * period, y * period, period, seed + uint32_t(o) * 101u);
        norm += amp;
        amp *= 0.5;
        period *= 2;
    }
    return sum / norm;
}

inline double Smooth(double e0, double e1, double x)
{
    const double t = std::fmin(1.0, std::fmax(0.0, (x - e0) / (e1 - e0)));
    return t * t * (3.0 - 2.0 * t);
}
}  // namespace noise
