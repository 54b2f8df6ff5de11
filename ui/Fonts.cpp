// Font files for the dialog faces, in order of preference; sizes at 96 dpi, times the display scale.
#include "ui/Fonts.h"

#include <cstdio>
#include <filesystem>

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

// An 8-point face is about 13 pixels at 96 dpi; the display faces need a little more to read.
const SFace kFaces[] = {
    {kPlainFiles, 13.0f},
    {kDigitalFiles, 13.0f},
    {kHeavyFiles, 17.0f},
};

ImFont* g_fonts[3] = {};
float g_scale = 0.0f;

ImFont* LoadFace(const SFace& face, float scale)
{
    ImGuiIO& io = ImGui::GetIO();
    static const ImWchar kRanges[] = {0x0020, 0x00FF, 0};
    for (const char* const* f = face.files; *f; ++f) {
        std::error_code ec;
        if (!std::filesystem::is_regular_file(*f, ec)) continue;
        ImFont* font = io.Fonts->AddFontFromFileTTF(*f, face.pixels * scale, nullptr, kRanges);
        if (!font) continue;
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
    if (scale == g_scale && g_fonts[0]) return;
    ImGuiIO& io = ImGui::GetIO();
    io.Fonts->Clear();
    for (int i = 0; i < 3; ++i) g_fonts[i] = LoadFace(kFaces[i], scale);
    io.Fonts->Build();
    io.FontDefault = g_fonts[0];
    g_scale = scale;
}

ImFont* DialogFont(EFontFace face) { return g_fonts[int(face)] ? g_fonts[int(face)] : ImGui::GetFont(); }

ImFont* TextAreaFont() { return DialogFont(EFontFace::Plain); }
