// Writes the sample universes (*.nmd) that ship with Nimbula and seed every user's library.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "engine/core/QLException.h"
#include "storage/UniverseFile.h"
#include "tools/ProceduralNoise.h"

namespace fs = std::filesystem;
using namespace noise;

namespace {
// The renderer wraps a 2:1 picture around the orb (u around its axis, v from pole to pole).
constexpr int kTextureWidth = 256, kTextureHeight = 128;
// The editing frame's five groups.
constexpr size_t kMaxGroups = 5;
const SFVec3f kBoxMin{-300.0, -300.0, -200.0}, kBoxMax{300.0, 300.0, 200.0};

struct Rgb {
    double r, g, b;
};

Rgb Mix(const Rgb& a, const Rgb& b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

uint32_t Pack(const Rgb& c)
{
    auto ch = [](double v) { return uint32_t(std::lround(std::fmin(1.0, std::fmax(0.0, v)) * 255.0)); };
    return ch(c.r) | ch(c.g) << 8 | ch(c.b) << 16 | 0xFF000000u;
}

// A picture from a function of (u, v) in 0..1; u wraps around the orb.
std::unique_ptr<CDIB> Picture(const std::function<Rgb(double, double)>& texel)
{
    auto dib = std::make_unique<CDIB>(kTextureWidth, kTextureHeight);
    for (int y = 0; y < kTextureHeight; ++y)
        for (int x = 0; x < kTextureWidth; ++x)
            dib->SetPixel(x, y, Pack(texel((x + 0.5) / kTextureWidth, (y + 0.5) / kTextureHeight)));
    return dib;
}

// Noise over the orb's picture that wraps around it; v is squeezed to the picture's 2:1 shape.
double Field(double u, double v, int base, int octaves, uint32_t seed)
{
    return Fbm(u, v * 0.5, base, octaves, seed);
}

// Warm star light: a white-hot glow mottled with orange.
Rgb StarTexel(double u, double v)
{
    const double n = Field(u, v, 6, 5, 101u);
    const double cell = Smooth(-0.1, 0.3, n);
    return Mix({1.0, 0.97, 0.85}, {1.0, 0.62, 0.25}, 0.8 * cell);
}

// Cool blue-white stars with faint swirls.
Rgb IceTexel(double u, double v)
{
    const double n = Field(u + 0.2 * Field(u, v, 3, 3, 7u), v, 5, 5, 211u);
    return Mix({0.92, 0.96, 1.0}, {0.45, 0.65, 1.0}, Smooth(-0.25, 0.35, n));
}

// A water drop: deep blue with bright ripples.
Rgb WaterTexel(double u, double v)
{
    const double n = Field(u, v, 4, 5, 307u);
    const double ripple = 1.0 - Smooth(0.0, 0.06, std::fabs(n));
    return Mix(Mix({0.15, 0.45, 0.85}, {0.35, 0.75, 0.95}, Smooth(-0.3, 0.3, n)), {0.95, 1.0, 1.0}, 0.7 * ripple);
}

// Mother of pearl: pale and shifting.
Rgb PearlTexel(double u, double v)
{
    const double n = Field(u, v, 3, 4, 401u);
    const double t = 0.5 + 0.5 * std::sin(kTau * (2.0 * v + 1.5 * n));
    return Mix({0.95, 0.92, 1.0}, {0.85, 1.0, 0.95}, t);
}

// Glowing lava: dark crust split by bright cracks.
Rgb LavaTexel(double u, double v)
{
    const double n = Field(u + 0.3 * Field(u, v, 2, 3, 17u), v, 5, 5, 503u);
    const double crack = 1.0 - Smooth(0.0, 0.08, std::fabs(n));
    return Mix({0.35, 0.12, 0.06}, {1.0, 0.85, 0.3}, crack);
}

// Banded like a gas giant.
Rgb BandsTexel(double u, double v)
{
    const double n = Field(u, v, 4, 4, 601u);
    const double t = 0.5 + 0.5 * std::sin(kTau * (5.0 * v + 0.8 * n));
    return Mix({1.0, 1.0, 1.0}, {0.55, 0.55, 0.55}, t);
}

Rgb CheckerTexel(double u, double v)
{
    const bool light = (int(u * 8.0) + int(v * 4.0)) % 2 == 0;
    return light ? Rgb{1.0, 1.0, 1.0} : Rgb{0.45, 0.45, 0.45};
}

// Meridian stripes that show the orbs turning.
Rgb StripesTexel(double u, double v)
{
    const double s = 0.5 + 0.5 * std::cos(kTau * 6.0 * u);
    return Mix({1.0, 1.0, 1.0}, {0.4, 0.4, 0.4}, Smooth(0.3, 0.7, s));
}

// Light ground with dark spots.
Rgb SpotsTexel(double u, double v)
{
    const double n = Field(u, v, 8, 2, 701u);
    return Mix({1.0, 1.0, 1.0}, {0.35, 0.35, 0.35}, Smooth(0.15, 0.25, n));
}

// Veined marble.
Rgb MarbleTexel(double u, double v)
{
    const double n = Field(u, v, 3, 6, 809u);
    const double vein = 1.0 - Smooth(0.0, 0.3, std::fabs(std::sin(kTau * (2.0 * u + 2.5 * n))));
    return Mix({1.0, 1.0, 1.0}, {0.3, 0.3, 0.4}, vein);
}

// Fire: yellow core fading into red embers.
Rgb FireTexel(double u, double v)
{
    const double n = Field(u, v, 5, 5, 907u);
    return Mix({1.0, 0.95, 0.55}, {0.9, 0.2, 0.05}, Smooth(-0.3, 0.3, n));
}

// Positions come from a fixed generator, so every build writes the same files.
class CPlacer {
public:
    explicit CPlacer(uint32_t seed) : m_rng(seed) {}
    // Uniform in [a, b).
    double Uniform(double a, double b) { return a + (b - a) * (double(m_rng()) / 4294967296.0); }
    // Normally distributed, by Box and Muller.
    double Normal(double sigma)
    {
        const double u1 = Uniform(1e-12, 1.0), u2 = Uniform(0.0, 1.0);
        return sigma * std::sqrt(-2.0 * std::log(u1)) * std::cos(kTau * u2);
    }
    SFVec3f InBox(const SFVec3f& lo, const SFVec3f& hi)
    {
        return {Uniform(lo.x, hi.x), Uniform(lo.y, hi.y), Uniform(lo.z, hi.z)};
    }
    // A point on the unit sphere.
    SFVec3f OnSphere()
    {
        const double z = Uniform(-1.0, 1.0), a = Uniform(0.0, kTau), r = std::sqrt(1.0 - z * z);
        return {r * std::cos(a), r * std::sin(a), z};
    }

private:
    std::mt19937 m_rng;
};

SFVec3f Clamp(const SFVec3f& p)
{
    auto c = [](double v, double lo, double hi) { return std::fmin(hi, std::fmax(lo, v)); };
    return {c(p.x, kBoxMin.x, kBoxMax.x), c(p.y, kBoxMin.y, kBoxMax.y), c(p.z, kBoxMin.z, kBoxMax.z)};
}

struct SSample {
    const char* name;
    std::function<void(SUniverseFile&)> build;
};

// The camera at position looking at target, screen-up towards -y, as a file stores it; the
// constants' start camera (Home) is the same.
void Camera(SUniverseFile& f, const SFVec3f& position, const SFVec3f& target)
{
    const SFVec3f view = (target - position).Normalized();
    const SFVec3f screenUp{0.0, -1.0, 0.0};
    const SFVec3f up = (screenUp - view * view.DotProduct(screenUp)).Normalized();
    f.m_cameraPosition = position;
    f.m_cameraView = view;
    f.m_cameraUp = up;
    f.m_cameraSide = up.CrossProduct(view);
    f.m_constants.m_cameraPosition = position;
    f.m_constants.m_cameraView = view;
    f.m_constants.m_cameraUp = up;
}

SUniverseGroupRecord& Group(SUniverseFile& f, const SFVec3f& color, std::unique_ptr<CDIB> picture)
{
    if (f.m_groups.size() == f.m_groups.capacity()) throw CQLException("more groups than the editing frame has");
    SUniverseGroupRecord& rec = f.m_groups.emplace_back();
    rec.m_color = color;
    rec.m_ownedImage = std::move(picture);
    rec.m_pImage = rec.m_ownedImage.get();
    return rec;
}

// A spiral galaxy round a black hole: a bright core and two arms in the plane y = 0, turned by
// the tidal force, inner orbs faster than outer ones.
void Galaxy(SUniverseFile& f)
{
    CPlacer place(11);
    SUniverseGroupRecord& core = Group(f, {1.0, 0.9, 0.7}, Picture(StarTexel));
    for (int i = 0; i < 60; ++i)
        core.m_positions.push_back(Clamp({place.Normal(45.0), place.Normal(15.0), place.Normal(45.0)}));
    SUniverseGroupRecord& arms = Group(f, {0.75, 0.85, 1.0}, Picture(IceTexel));
    for (int i = 0; i < 190; ++i) {
        const double t = place.Uniform(0.0, 1.0);
        const double r = 60.0 + 230.0 * t;
        const double a = (i % 2) * kTau / 2 + 3.6 * t + place.Normal(0.18);
        arms.m_positions.push_back(Clamp({r * std::cos(a), place.Normal(10.0), r * std::sin(a) * 0.66}));
    }
    CUniversalConstants& k = f.m_constants;
    k.m_blackHole = 1;
    k.m_gravity = 6.0;
    k.m_spinning = 1;
    k.m_tidalDivisor = 40.0;
    k.m_sphericalBoundary = 1;
    k.m_boundaryEnergy = 0.2;
    k.m_recoilLoss = 0.6;
    k.m_propagationLoss = 0.6;
    k.m_packingEnergy = 0.15;
    k.m_maxEnergy = 8.0;
    Camera(f, {0.0, -300.0, 400.0}, {0.0, 0.0, 0.0});
}

// Rain: drops start in a sheet under the ceiling and fall through a gravity field onto the floor.
void Rain(SUniverseFile& f)
{
    CPlacer place(23);
    SUniverseGroupRecord& drops = Group(f, {0.8, 0.9, 1.0}, Picture(WaterTexel));
    for (int i = 0; i < 220; ++i)
        drops.m_positions.push_back({place.Uniform(-285.0, 285.0), place.Uniform(-290.0, -180.0), place.Uniform(-185.0, 185.0)});
    CUniversalConstants& k = f.m_constants;
    k.m_blackHole = 0;
    k.m_gravity = 40.0;
    k.m_boundaryEnergy = 0.2;
    k.m_recoilLoss = 0.3;
    k.m_propagationLoss = 0.55;
    k.m_packingEnergy = 0.15;
    k.m_maxEnergy = 30.0;
    Camera(f, {0.0, -10.0, 760.0}, {0.0, 10.0, 0.0});
}

// A hollow shell of pearls round a weak black hole: it falls in, meets itself in the middle and
// bursts out against the spherical boundary, again and again.
void Shell(SUniverseFile& f)
{
    CPlacer place(37);
    SUniverseGroupRecord& north = Group(f, {1.0, 0.6, 0.8}, Picture(PearlTexel));
    SUniverseGroupRecord& south = Group(f, {0.55, 0.9, 1.0}, Picture(PearlTexel));
    for (int i = 0; i < 240; ++i) {
        // As round as the box allows: it is shallower along z.
        const SFVec3f p = place.OnSphere() * SFVec3f(270.0, 270.0, 190.0);
        (p.y < 0 ? north : south).m_positions.push_back(p);
    }
    CUniversalConstants& k = f.m_constants;
    k.m_packingEnergy = 0.12;
    k.m_blackHole = 1;
    k.m_gravity = 20.0;
    k.m_sphericalBoundary = 1;
    k.m_boundaryEnergy = 0.0;
    k.m_recoilLoss = 0.7;
    k.m_propagationLoss = 0.7;
    k.m_maxEnergy = 8.0;
    Camera(f, {0.0, 0.0, 640.0}, {0.0, 0.0, 0.0});
}

// A cube of touching orbs with packing energy: squeezed orbs gain speed, so the cluster boils
// while a strong black hole holds it together.
void Cluster(SUniverseFile& f)
{
    SUniverseGroupRecord& cube = Group(f, {1.0, 0.75, 0.55}, Picture(LavaTexel));
    constexpr int kSide = 6;
    for (int x = 0; x < kSide; ++x)
        for (int y = 0; y < kSide; ++y)
            for (int z = 0; z < kSide; ++z)
                cube.m_positions.push_back(SFVec3f(x, y, z) * 29.0 - SFVec3f(1, 1, 1) * (29.0 * (kSide - 1) / 2));
    CUniversalConstants& k = f.m_constants;
    k.m_blackHole = 1;
    k.m_gravity = 100.0;
    k.m_packingEnergy = 0.25;
    k.m_recoilLoss = 0.35;
    k.m_propagationLoss = 0.45;
    k.m_minimumAngle = 0.6;
    k.m_maxEnergy = 20.0;
    k.m_boundaryEnergy = 0.1;
    Camera(f, {-200.0, -160.0, 380.0}, {0.0, 0.0, 0.0});
}

// Five groups of every colour and pattern, each starting in its own corner, mixing under a
// gentle black hole that turns them.
void Spectrum(SUniverseFile& f)
{
    CPlacer place(53);
    const struct {
        SFVec3f color;
        Rgb (*texel)(double, double);
        SFVec3f centre;
    } groups[] = {
        {{1.0, 0.35, 0.3}, BandsTexel, {-190.0, -180.0, 0.0}},
        {{1.0, 0.75, 0.25}, CheckerTexel, {190.0, -180.0, 0.0}},
        {{0.4, 1.0, 0.45}, StripesTexel, {0.0, 0.0, 0.0}},
        {{0.35, 0.6, 1.0}, SpotsTexel, {-190.0, 180.0, 0.0}},
        {{0.8, 0.45, 1.0}, MarbleTexel, {190.0, 180.0, 0.0}},
    };
    for (const auto& g : groups) {
        SUniverseGroupRecord& rec = Group(f, g.color, Picture(g.texel));
        for (int i = 0; i < 40; ++i)
            rec.m_positions.push_back(Clamp(g.centre + SFVec3f(place.Normal(40.0), place.Normal(40.0), place.Normal(40.0))));
    }
    CUniversalConstants& k = f.m_constants;
    k.m_blackHole = 1;
    k.m_gravity = 3.0;
    k.m_spinning = 1;
    k.m_tidalDivisor = 60.0;
    k.m_recoilLoss = 0.65;
    k.m_propagationLoss = 0.65;
    k.m_packingEnergy = 0.15;
    k.m_maxEnergy = 10.0;
    Camera(f, {0.0, -120.0, 560.0}, {0.0, 0.0, 0.0});
}

// A hot universe: the boundary adds energy at every bounce, speeds stay near the cap, and every
// collision leaves an orb lit white.
void Inferno(SUniverseFile& f)
{
    CPlacer place(71);
    SUniverseGroupRecord& sparks = Group(f, {1.0, 0.55, 0.3}, Picture(FireTexel));
    for (int i = 0; i < 250; ++i) sparks.m_positions.push_back(place.InBox(kBoxMin * 0.9, kBoxMax * 0.9));
    CUniversalConstants& k = f.m_constants;
    k.m_packingEnergy = 0.3;
    k.m_blackHole = 1;
    k.m_gravity = 0.0;
    k.m_boundaryEnergy = -0.3;
    k.m_maxEnergy = 14.0;
    k.m_flashCollisions = 1;
    k.m_recoilLoss = 1.0;
    k.m_propagationLoss = 1.0;
    Camera(f, {0.0, 0.0, 700.0}, {0.0, 0.0, 0.0});
}

const SSample kSamples[] = {
    {"Galaxy.nmd", Galaxy}, {"Rain.nmd", Rain},         {"Shell.nmd", Shell},
    {"Cluster.nmd", Cluster}, {"Spectrum.nmd", Spectrum}, {"Inferno.nmd", Inferno},
};

SUniverseFile Make(const SSample& sample)
{
    SUniverseFile f;
    f.m_hasGroups = true;
    // The builders hold references to earlier groups while adding later ones.
    f.m_groups.reserve(kMaxGroups);
    CUniversalConstants& k = f.m_constants;
    // The box as every scene build writes it.
    k.m_boundaryMin = kBoxMin;
    k.m_boundaryMax = kBoxMax;
    k.m_boundarySize = kBoxMax - kBoxMin;
    sample.build(f);
    k.m_orbCount = int32_t(f.OrbCount());
    return f;
}
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_universes OUTPUT_FOLDER\n");
        return 64;
    }
    std::error_code ec;
    fs::create_directories(argv[1], ec);
    for (const SSample& sample : kSamples) {
        const std::string path = (fs::path(argv[1]) / sample.name).string();
        try {
            WriteUniverseFile(path, Make(sample));
        } catch (const CQLException& e) {
            std::fprintf(stderr, "gen_universes: cannot write %s: %s\n", path.c_str(), e.What().c_str());
            return 1;
        }
    }
    return 0;
}
