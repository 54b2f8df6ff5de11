// Writes the program's icon: five lit orbs around a bright centre on a deep blue disc, as PNGs of
// the usual icon sizes (nimbula-16.png ... nimbula-256.png) into the folder given.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "engine/core/Dib.h"
#include "platform/FileReplace.h"

namespace {
struct SOrb {
    double x, y, r;     // in icon units: the icon spans -1..1
    double cr, cg, cb;  // base colour
};

// Drawn back to front: later orbs cover earlier ones.
const SOrb kOrbs[] = {
    {-0.38, -0.36, 0.25, 0.55, 0.75, 1.00},
    {0.42, -0.28, 0.21, 1.00, 0.62, 0.78},
    {-0.46, 0.34, 0.22, 0.62, 1.00, 0.72},
    {0.36, 0.40, 0.26, 1.00, 0.86, 0.45},
    {0.02, 0.02, 0.33, 0.92, 0.94, 1.00},
};

// Colour of the icon at (x, y), with coverage in a.
void Shade(double x, double y, double rgba[4])
{
    const double d = std::hypot(x, y);
    if (d > 0.96) {
        rgba[0] = rgba[1] = rgba[2] = rgba[3] = 0.0;
        return;
    }
    // The disc: a deep blue that glows a little towards the middle.
    const double glow = std::exp(-d * d * 2.2);
    rgba[0] = 0.02 + 0.10 * glow;
    rgba[1] = 0.03 + 0.14 * glow;
    rgba[2] = 0.16 + 0.30 * glow;
    rgba[3] = 1.0;
    // A thin rim keeps the disc apart from dark desktops.
    if (d > 0.91) rgba[0] += 0.18, rgba[1] += 0.22, rgba[2] += 0.35;
    const double lx = -0.45, ly = -0.55, lz = 0.70;  // light from the upper left, towards the viewer
    for (const SOrb& o : kOrbs) {
        const double u = (x - o.x) / o.r, v = (y - o.y) / o.r;
        const double q = u * u + v * v;
        if (q >= 1.0) continue;
        const double w = std::sqrt(1.0 - q);
        const double diffuse = std::max(0.0, u * lx + v * ly + w * lz);
        // Highlight: the reflection of the light seen from the front.
        const double h = std::max(0.0, 2.0 * (u * lx + v * ly + w * lz) * w - lz);
        const double shine = std::pow(h, 24.0);
        const double light = 0.25 + 0.85 * diffuse;
        rgba[0] = std::min(1.0, o.cr * light + shine);
        rgba[1] = std::min(1.0, o.cg * light + shine);
        rgba[2] = std::min(1.0, o.cb * light + shine);
    }
}

bool WriteIcon(const std::string& path, int size)
{
    CDIB dib(size, size);
    constexpr int kSamples = 4;  // per axis, for smooth edges at every size
    for (int py = 0; py < size; ++py)
        for (int px = 0; px < size; ++px) {
            double sum[4] = {0, 0, 0, 0};
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx) {
                    const double x = ((px + (sx + 0.5) / kSamples) / size) * 2.0 - 1.0;
                    const double y = ((py + (sy + 0.5) / kSamples) / size) * 2.0 - 1.0;
                    double c[4];
                    Shade(x, y, c);
                    for (int k = 0; k < 3; ++k) sum[k] += c[k] * c[3];
                    sum[3] += c[3];
                }
            const double a = sum[3] / (kSamples * kSamples);
            auto channel = [&](int k) { return sum[3] > 0 ? uint32_t(std::lround(255.0 * sum[k] / sum[3])) : 0u; };
            dib.SetPixel(px, py, channel(0) | channel(1) << 8 | channel(2) << 16 | uint32_t(std::lround(255.0 * a)) << 24);
        }
    return dib.SavePng(path, ReplacingWriter());
}
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_icon FOLDER\n");
        return 2;
    }
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const std::string path = std::string(argv[1]) + "/nimbula-" + std::to_string(size) + ".png";
        if (!WriteIcon(path, size)) {
            std::fprintf(stderr, "gen_icon: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
