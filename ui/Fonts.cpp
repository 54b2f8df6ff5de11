// Font files for the dialog faces, in order of preference; sizes at 96 dpi, times the display scale.
#include "ui/Fonts.h"

#include <imgui_internal.h>

#include <cstdio>
#include <filesystem>
#include <set>

namespace {
struct SFace {
    const char* const* files;
    float pixels;
};

const char* const kPlainFiles[] = {
    "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    nullptr,
};
const char* const kDigitalFiles[] = {
    "/usr/share/fonts/truetype/dseg/DSEG14Modern-Bold.ttf",
    "/usr/share/fonts/truetype/dseg/DSEG14Classic-Bold.ttf",
    "/usr/share/fonts/truetype/dseg/DSEG14Classic-Regular.ttf",
    nullptr,
};
const char* const kHeavyFiles[] = {
    "/usr/share/fonts/opentype/bebas-neue/BebasNeue-Bold.otf",
    "/usr/share/fonts/opentype/bebas-neue/BebasNeue-Regular.otf",
    "/usr/share/fonts/truetype/roboto/unhinted/RobotoCondensed-Bold.ttf",
    nullptr,
};

// Faces with the letters of other scripts, merged into the plain face for the letters a text
// asks for: Cyrillic and Greek come with DejaVu Sans itself; Chinese, Japanese and Korean from
// the first of these the system has (setup installs the small WenQuanYi Micro Hei).
const char* const kWideScriptFiles[] = {
    "/usr/share/fonts/truetype/wqy/wqy-microhei.ttc",
    "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc",
    "/usr/share/fonts/truetype/droid/DroidSansFallbackFull.ttf",
    nullptr,
};
// The first letter of the scripts only those faces have (CJK radicals onwards).
constexpr ImWchar kFirstWideScriptLetter = 0x2E80;

// An 8-point face is about 13 pixels at 96 dpi; the display faces need a little more to read.
const SFace kFaces[] = {
    {kPlainFiles, 13.0f},
    {kDigitalFiles, 13.0f},
    {kHeavyFiles, 17.0f},
};

ImFont* g_fonts[3] = {};
float g_scale = 0.0f;
// Letters beyond Latin-1 that texts asked for, and whether the atlas still lacks some of them.
std::set<ImWchar> g_extraLetters;
bool g_lettersPending = false;
// The plain face's ranges: Latin-1 and every letter asked for (alive until the atlas is built).
ImVector<ImWchar> g_plainRanges;

const ImWchar kRanges[] = {0x0020, 0x00FF, 0};

// The plain face gets the letters asked for from the fonts that have them; glyphs a face merged
// earlier already has stay its own.
void MergeExtraLetters(float pixels)
{
    ImGuiIO& io = ImGui::GetIO();
    bool wide = false;
    for (ImWchar c : g_extraLetters) wide = wide || c >= kFirstWideScriptLetter;
    if (!wide) return;
    for (const char* const* f = kWideScriptFiles; *f; ++f) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(*f, ec)) continue;
        ImFontConfig merge;
        merge.MergeMode = true;
        if (io.Fonts->AddFontFromFileTTF(*f, pixels, &merge, g_plainRanges.Data)) return;
    }
}

ImFont* LoadFace(const SFace& face, float scale)
{
    ImGuiIO& io = ImGui::GetIO();
    const bool plain = face.files == kPlainFiles;
    for (const char* const* f = face.files; *f; ++f) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(*f, ec)) continue;
        ImFont* font = io.Fonts->AddFontFromFileTTF(*f, face.pixels * scale, nullptr, plain ? g_plainRanges.Data : kRanges);
        if (!font) continue;
        if (plain) MergeExtraLetters(face.pixels * scale);
        // A display face lacks some signs ('#' on a segment display): the plain face fills them in.
        if (face.files != kPlainFiles && std::filesystem::is_regular_file(kPlainFiles[0], ec)) {
            ImFontConfig merge;
            merge.MergeMode = true;
            io.Fonts->AddFontFromFileTTF(kPlainFiles[0], face.pixels * scale * 0.85f, &merge, kRanges);
        }
        return font;
    }
    std::fprintf(stderr, "nimbula: no font file for a dialog face; using the built-in font\n");
    ImFontConfig config;
    config.SizePixels = 13.0f * scale;
    return io.Fonts->AddFontDefault(&config);
}
}

void LoadDialogFonts(float scale)
{
    if (scale == g_scale && g_fonts[0] && !g_lettersPending) return;
    ImGuiIO& io = ImGui::GetIO();
    io.Fonts->Clear();
    ImFontGlyphRangesBuilder ranges;
    ranges.AddRanges(kRanges);
    for (ImWchar c : g_extraLetters) ranges.AddChar(c);
    g_plainRanges.clear();
    ranges.BuildRanges(&g_plainRanges);
    g_lettersPending = false;
    for (int i = 0; i < 3; ++i) g_fonts[i] = LoadFace(kFaces[i], scale);
    io.Fonts->Build();
    io.FontDefault = g_fonts[0];
    g_scale = scale;
}

ImFont* DialogFont(EFontFace face) { return g_fonts[int(face)] ? g_fonts[int(face)] : ImGui::GetFont(); }

ImFont* TextAreaFont() { return DialogFont(EFontFace::Plain); }

void RequestGlyphs(const std::string& text)
{
    // Most texts are plain ASCII: nothing to look up.
    size_t i = 0;
    while (i < text.size() && static_cast<unsigned char>(text[i]) < 0x80) ++i;
    const char* end = text.c_str() + text.size();
    for (const char* p = text.c_str() + i; p < end;) {
        unsigned int c = 0;
        const int n = ImTextCharFromUtf8(&c, p, end);
        p += n > 0 ? n : 1;
        if (c <= 0xFF || c > 0xFFFF) continue;
        if (g_extraLetters.insert(ImWchar(c)).second) g_lettersPending = true;
    }
}

bool FontsNeedRebuild() { return g_lettersPending; }
