// Writes the editing frame's toolbar pictures: one 32 x 32 PNG per command (new.png ... about.png)
// and a greyed twin of each (new-disabled.png ...) into the folder given. Every picture is built
// from a few shapes, sampled 4 x 4 times per pixel for smooth edges.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "engine/core/Dib.h"
#include "platform/FileReplace.h"

namespace {
constexpr int kSize = 32;
constexpr int kSamples = 4;

struct SColor {
    double r, g, b, a;
};

// One shape of a picture: where it is, and its colour there. Later shapes cover earlier ones.
struct SLayer {
    std::function<bool(double, double)> inside;
    std::function<SColor(double, double)> color;
};
using Picture = std::vector<SLayer>;

std::function<SColor(double, double)> Flat(SColor c)
{
    return [c](double, double) { return c; };
}

bool InCircle(double x, double y, double cx, double cy, double r) { return std::hypot(x - cx, y - cy) <= r; }

bool InBox(double x, double y, double x0, double y0, double x1, double y1)
{
    return x >= x0 && x <= x1 && y >= y0 && y <= y1;
}

// Within half of width from the segment a-b.
bool OnSegment(double x, double y, double ax, double ay, double bx, double by, double width)
{
    const double dx = bx - ax, dy = by - ay;
    const double t = std::clamp(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
    return std::hypot(x - (ax + t * dx), y - (ay + t * dy)) <= width / 2;
}

bool InTriangle(double x, double y, double ax, double ay, double bx, double by, double cx, double cy)
{
    auto side = [&](double px, double py, double qx, double qy) { return (qx - px) * (y - py) - (qy - py) * (x - px); };
    const double s1 = side(ax, ay, bx, by), s2 = side(bx, by, cx, cy), s3 = side(cx, cy, ax, ay);
    return (s1 >= 0 && s2 >= 0 && s3 >= 0) || (s1 <= 0 && s2 <= 0 && s3 <= 0);
}

// A lit sphere: the light comes from the top left, with a small highlight.
SLayer Orb(double cx, double cy, double r, SColor base)
{
    return {[=](double x, double y) { return InCircle(x, y, cx, cy, r); },
            [=](double x, double y) {
                const double nx = (x - cx) / r, ny = (y - cy) / r;
                const double nz = std::sqrt(std::max(0.0, 1.0 - nx * nx - ny * ny));
                const double light = std::max(0.0, -0.45 * nx - 0.55 * ny + 0.70 * nz);
                const double shade = 0.35 + 0.65 * light;
                const double spot = std::pow(light, 24.0) * 0.8;
                return SColor{std::min(1.0, base.r * shade + spot), std::min(1.0, base.g * shade + spot),
                              std::min(1.0, base.b * shade + spot), 1.0};
            }};
}

// A 5 x 7 glyph: rows top to bottom, '#' marks a cell.
SLayer Glyph(const char* const rows[7], double x0, double y0, double cell, SColor c)
{
    std::vector<std::string> g(rows, rows + 7);
    return {[=](double x, double y) {
                const int col = int(std::floor((x - x0) / cell)), row = int(std::floor((y - y0) / cell));
                return col >= 0 && col < 5 && row >= 0 && row < 7 && g[size_t(row)][size_t(col)] == '#';
            },
            Flat(c)};
}

const char* const kDigits[5][7] = {
    {"..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."},
    {".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"},
    {"####.", "....#", "....#", ".###.", "....#", "....#", "####."},
    {"...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."},
    {"#####", "#....", "####.", "....#", "....#", "#...#", ".###."},
};
const char* const kQuestion[7] = {".###.", "#...#", "....#", "...#.", "..#..", ".....", "..#.."};
const char* const kInfo[7] = {"..#..", ".....", ".##..", "..#..", "..#..", "..#..", ".###."};

const SColor kInk{0.12, 0.14, 0.20, 1.0};
const SColor kWhite{1.0, 1.0, 1.0, 1.0};
const SColor kGroupColors[5] = {
    {0.95, 0.30, 0.25, 1.0}, {0.30, 0.80, 0.35, 1.0}, {0.30, 0.55, 1.00, 1.0},
    {1.00, 0.70, 0.20, 1.0}, {0.75, 0.40, 0.95, 1.0},
};

// Recreate the universe: three orbs and a spark of creation.
Picture NewPicture()
{
    Picture p{Orb(9, 22, 6.5, {0.6, 0.8, 1.0, 1}), Orb(21, 24, 6, {1.0, 0.6, 0.75, 1}),
              Orb(14, 12, 6, {0.7, 1.0, 0.7, 1})};
    const SColor spark{1.0, 0.85, 0.1, 1.0};
    p.push_back({[](double x, double y) {
                     return OnSegment(x, y, 26, 2, 26, 14, 2.2) || OnSegment(x, y, 20, 8, 32, 8, 2.2) ||
                            OnSegment(x, y, 22, 4, 30, 12, 1.4) || OnSegment(x, y, 22, 12, 30, 4, 1.4);
                 },
                 Flat(spark)});
    return p;
}

// Load: a folder with an orb inside.
Picture OpenPicture()
{
    const SColor back{0.85, 0.62, 0.18, 1}, front{1.0, 0.80, 0.32, 1};
    Picture p;
    p.push_back({[](double x, double y) { return InBox(x, y, 2, 6, 13, 10) || InBox(x, y, 2, 9, 27, 27); }, Flat(back)});
    p.push_back(Orb(17, 14, 6.5, {0.55, 0.75, 1.0, 1}));
    p.push_back({[](double x, double y) { return InTriangle(x, y, 4, 14, 31, 14, 27, 28) || InTriangle(x, y, 4, 14, 27, 28, 1, 28); },
                 Flat(front)});
    return p;
}

// Save: a disk with a shutter and a label.
Picture SavePicture()
{
    const SColor body{0.20, 0.38, 0.75, 1}, shutter{0.78, 0.80, 0.85, 1}, label{0.97, 0.97, 0.97, 1};
    Picture p;
    p.push_back({[](double x, double y) { return InBox(x, y, 3, 3, 29, 29) && !InTriangle(x, y, 24, 3, 29.5, 3, 29.5, 8.5); },
                 Flat(body)});
    p.push_back({[](double x, double y) { return InBox(x, y, 9, 3, 22, 11); }, Flat(shutter)});
    p.push_back({[](double x, double y) { return InBox(x, y, 17, 4.5, 20, 9.5); }, Flat(body)});
    p.push_back({[](double x, double y) { return InBox(x, y, 7, 16, 25, 28); }, Flat(label)});
    p.push_back({[](double x, double y) { return InBox(x, y, 9, 19, 23, 20) || InBox(x, y, 9, 23, 20, 24); },
                 Flat({0.6, 0.6, 0.65, 1})});
    return p;
}

// Define group n: an orb of the group's colour with its number on a badge.
Picture GroupPicture(int n)
{
    Picture p{Orb(13, 13, 11.5, kGroupColors[n])};
    p.push_back({[](double x, double y) { return InCircle(x, y, 23, 23, 8.5); }, Flat(kInk)});
    p.push_back({[](double x, double y) { return InCircle(x, y, 23, 23, 7.5); }, Flat(kWhite)});
    p.push_back(Glyph(kDigits[n], 23 - 5 * 1.3 / 2, 23 - 7 * 1.3 / 2, 1.3, kInk));
    return p;
}

// Stop and start time: a stopwatch.
Picture TimePicture()
{
    const SColor rim{0.30, 0.32, 0.38, 1}, face{0.97, 0.97, 0.95, 1}, hand{0.85, 0.15, 0.12, 1};
    Picture p;
    p.push_back({[](double x, double y) { return InBox(x, y, 13.5, 1, 18.5, 5) || OnSegment(x, y, 24, 6, 27, 9, 3); }, Flat(rim)});
    p.push_back({[](double x, double y) { return InCircle(x, y, 16, 18, 13); }, Flat(rim)});
    p.push_back({[](double x, double y) { return InCircle(x, y, 16, 18, 10.5); }, Flat(face)});
    p.push_back({[](double x, double y) {
                     bool tick = false;
                     for (int k = 0; k < 12; k += 3) {
                         const double a = k * std::numbers::pi / 6;
                         tick = tick || OnSegment(x, y, 16 + 8 * std::sin(a), 18 - 8 * std::cos(a), 16 + 10 * std::sin(a),
                                                  18 - 10 * std::cos(a), 1.5);
                     }
                     return tick;
                 },
                 Flat(kInk)});
    p.push_back({[](double x, double y) { return OnSegment(x, y, 16, 18, 16, 10, 2.0) || OnSegment(x, y, 16, 18, 21, 21, 2.0); },
                 Flat(hand)});
    p.push_back({[](double x, double y) { return InCircle(x, y, 16, 18, 1.8); }, Flat(kInk)});
    return p;
}

// Move all balls to their start position: orbs with arrows running back to a start mark.
Picture StartPicture()
{
    const SColor arrow{0.15, 0.55, 0.20, 1}, mark{0.85, 0.15, 0.12, 1};
    Picture p;
    p.push_back({[](double x, double y) { return InCircle(x, y, 16, 16, 5.5) && !InCircle(x, y, 16, 16, 3.5); }, Flat(mark)});
    p.push_back({[](double x, double y) { return InCircle(x, y, 16, 16, 1.6); }, Flat(mark)});
    p.push_back(Orb(5, 5, 4.5, {0.6, 0.8, 1.0, 1}));
    p.push_back(Orb(27, 6, 4.5, {1.0, 0.6, 0.75, 1}));
    p.push_back(Orb(6, 27, 4.5, {0.7, 1.0, 0.7, 1}));
    p.push_back(Orb(27, 27, 4.5, {1.0, 0.85, 0.45, 1}));
    p.push_back({[](double x, double y) {
                     return OnSegment(x, y, 8.5, 8.5, 11, 11, 1.8) || InTriangle(x, y, 13, 13, 9, 12.5, 12.5, 9) ||
                            OnSegment(x, y, 23.5, 9, 21, 11, 1.8) || InTriangle(x, y, 19, 13, 19.5, 9, 23, 12.5) ||
                            OnSegment(x, y, 9, 23.5, 11, 21, 1.8) || InTriangle(x, y, 13, 19, 9, 19.5, 12.5, 23) ||
                            OnSegment(x, y, 23.5, 23.5, 21, 21, 1.8) || InTriangle(x, y, 19, 19, 23, 19.5, 19.5, 23);
                 },
                 Flat(arrow)});
    return p;
}

// A glyph on a round badge (help, about).
Picture BadgePicture(const char* const glyph[7], SColor badge)
{
    Picture p{Orb(16, 16, 14, badge)};
    p.push_back(Glyph(glyph, 16 - 5 * 2.6 / 2, 16 - 7 * 2.6 / 2, 2.6, kWhite));
    return p;
}

CDIB Render(const Picture& picture)
{
    CDIB dib(kSize, kSize);
    for (int py = 0; py < kSize; ++py)
        for (int px = 0; px < kSize; ++px) {
            double r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < kSamples; ++sy)
                for (int sx = 0; sx < kSamples; ++sx) {
                    const double x = px + (sx + 0.5) / kSamples, y = py + (sy + 0.5) / kSamples;
                    for (auto it = picture.rbegin(); it != picture.rend(); ++it) {
                        if (!it->inside(x, y)) continue;
                        const SColor c = it->color(x, y);
                        r += c.r * c.a, g += c.g * c.a, b += c.b * c.a, a += c.a;
                        break;
                    }
                }
            const double n = kSamples * kSamples;
            auto byte = [](double v) { return uint32_t(std::clamp(v * 255.0 + 0.5, 0.0, 255.0)); };
            // Straight (not premultiplied) colour, as PNG stores it.
            const double cov = a / n;
            const double k = a > 0 ? 1.0 / a : 0.0;
            dib.SetPixel(px, py, byte(r * k) | byte(g * k) << 8 | byte(b * k) << 16 | byte(cov) << 24);
        }
    return dib;
}

// The greyed twin: a light grey silhouette with the picture's shading faintly kept.
CDIB Greyed(const CDIB& dib)
{
    CDIB out(dib.GetWidth(), dib.GetHeight());
    for (int y = 0; y < dib.GetHeight(); ++y)
        for (int x = 0; x < dib.GetWidth(); ++x) {
            const uint32_t p = dib.GetPixel(x, y);
            const double lum = 0.299 * (p & 255) + 0.587 * ((p >> 8) & 255) + 0.114 * ((p >> 16) & 255);
            const uint32_t grey = uint32_t(std::clamp(150.0 + lum * 0.3, 0.0, 255.0));
            const uint32_t alpha = uint32_t(((p >> 24) & 255) * 0.8);
            out.SetPixel(x, y, grey | grey << 8 | grey << 16 | alpha << 24);
        }
    return out;
}
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_toolbar_icons FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    std::vector<std::pair<std::string, Picture>> pictures = {
        {"new", NewPicture()}, {"open", OpenPicture()}, {"save", SavePicture()},
    };
    for (int n = 0; n < 5; ++n) pictures.push_back({"group" + std::to_string(n + 1), GroupPicture(n)});
    pictures.push_back({"time", TimePicture()});
    pictures.push_back({"start", StartPicture()});
    pictures.push_back({"help", BadgePicture(kQuestion, {0.25, 0.50, 0.95, 1})});
    pictures.push_back({"about", BadgePicture(kInfo, {0.20, 0.60, 0.55, 1})});
    for (const auto& [name, picture] : pictures) {
        const CDIB dib = Render(picture);
        const FileWriter write = ReplacingWriter();
        if (!dib.SavePng(folder + "/" + name + ".png", write) ||
            !Greyed(dib).SavePng(folder + "/" + name + "-disabled.png", write)) {
            std::fprintf(stderr, "gen_toolbar_icons: cannot write %s/%s.png\n", folder.c_str(), name.c_str());
            return 1;
        }
    }
    return 0;
}
