// Writes the built-in orb texture: soft, luminous, seamlessly tiling pastel clouds as a 256x256 BMP.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "tools/ProceduralNoise.h"

namespace {
using namespace noise;
constexpr int kSize = 256;

struct Rgb { double r, g, b; };

// Bright pastel palette: every colour stays light, so a lit sphere reads as glowing.
Rgb Palette(double t)
{
    return {0.80 + 0.20 * std::cos(kTau * (t + 0.00)), 0.78 + 0.20 * std::cos(kTau * (t + 0.30)),
            0.84 + 0.16 * std::cos(kTau * (t + 0.62))};
}

Rgb Texel(double x, double y)
{
    // Domain warp: the clouds swirl instead of sitting on a grid.
    const double wx = Fbm(x + 0.31, y + 0.17, 3, 4, 11u);
    const double wy = Fbm(x + 0.73, y + 0.59, 3, 4, 23u);
    const double n = Fbm(x + 0.35 * wx, y + 0.35 * wy, 4, 5, 37u);
    const double hue = Fbm(x, y, 2, 3, 53u);
    Rgb c = Palette(0.5 + 1.4 * hue + 0.6 * n);
    // Soft bright veins where the warped field crosses its middle: the luminous part.
    const double vein = 1.0 - Smooth(0.0, 0.09, std::fabs(n));
    const double glow = 0.45 * vein + 0.25 * Smooth(0.1, 0.5, n);
    c.r += (1.0 - c.r) * glow;
    c.g += (1.0 - c.g) * glow;
    c.b += (1.0 - c.b) * glow;
    return c;
}

uint8_t Channel(double v) { return uint8_t(std::lround(std::fmin(1.0, std::fmax(0.0, v)) * 255.0)); }

void Put16(std::vector<uint8_t>& b, uint32_t v) { b.push_back(uint8_t(v)); b.push_back(uint8_t(v >> 8)); }
void Put32(std::vector<uint8_t>& b, uint32_t v) { Put16(b, v & 0xFFFF); Put16(b, v >> 16); }
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_orb_texture OUTPUT.bmp\n");
        return 64;
    }
    const uint32_t rowBytes = kSize * 3;  // 768: already a multiple of 4
    const uint32_t pixelBytes = rowBytes * kSize;
    std::vector<uint8_t> bmp;
    // BITMAPFILEHEADER + BITMAPINFOHEADER, 24 bits, bottom-up rows.
    bmp.push_back('B');
    bmp.push_back('M');
    Put32(bmp, 54 + pixelBytes);
    Put32(bmp, 0);
    Put32(bmp, 54);
    Put32(bmp, 40);
    Put32(bmp, kSize);
    Put32(bmp, kSize);
    Put16(bmp, 1);
    Put16(bmp, 24);
    Put32(bmp, 0);
    Put32(bmp, pixelBytes);
    Put32(bmp, 2835);
    Put32(bmp, 2835);
    Put32(bmp, 0);
    Put32(bmp, 0);
    for (int row = kSize - 1; row >= 0; --row) {
        for (int col = 0; col < kSize; ++col) {
            const Rgb c = Texel(double(col) / kSize, double(row) / kSize);
            bmp.push_back(Channel(c.b));
            bmp.push_back(Channel(c.g));
            bmp.push_back(Channel(c.r));
        }
    }
    std::FILE* f = std::fopen(argv[1], "wb");
    if (!f) {
        std::fprintf(stderr, "gen_orb_texture: cannot write %s\n", argv[1]);
        return 1;
    }
    const bool ok = std::fwrite(bmp.data(), 1, bmp.size(), f) == bmp.size();
    if (std::fclose(f) != 0 || !ok) {
        std::fprintf(stderr, "gen_orb_texture: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
