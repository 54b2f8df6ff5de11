// The toolbar: a light bar with a gripper and flat 32 x 32 picture buttons, lit under the mouse,
// pressed in while held or checked, greyed when disabled, with a tip after a short hover. It has
// an ImGui context of its own, so drawing it never disturbs the input of a dialog's context.
#include "ui/MainFrameUi.h"

#include <imgui.h>
#include <backends/imgui_impl_opengl3.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <map>
#include <string>

#include "engine/core/Dib.h"
#include "engine/gl/GlCanvas.h"
#include "frame/ToolBar.h"
#include "platform/sdl/SdlHost.h"

namespace {
// How long the mouse rests on a button before its tip shows.
constexpr double kTipDelaySeconds = 0.5;
const char* const kTipFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

const ImU32 kBarFace = IM_COL32(240, 240, 240, 255);
const ImU32 kBarEdge = IM_COL32(200, 200, 200, 255);
const ImU32 kLitFace = IM_COL32(229, 241, 251, 255);
const ImU32 kLitEdge = IM_COL32(0, 120, 215, 255);
const ImU32 kDownFace = IM_COL32(204, 228, 247, 255);
const ImU32 kDownEdge = IM_COL32(0, 84, 153, 255);

struct SPainterState {
    ImGuiContext* context = nullptr;
    bool glReady = false;
    std::map<std::string, unsigned> textures;  // picture file -> texture, 0 when it cannot be read
    int tipButton = -1;
    double tipSince = 0.0;
    float fontScale = 0.0f;  // the scale the tips' letters were made at
};
SPainterState g_state;

double Seconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// The tips' letters at a scale (the context's current).
void LoadTipFont(float scale)
{
    ImGuiIO& io = ImGui::GetIO();
    io.Fonts->Clear();
    std::error_code ec;
    ImFont* font = std::filesystem::is_regular_file(kTipFont, ec) ? io.Fonts->AddFontFromFileTTF(kTipFont, 13.0f * scale) : nullptr;
    if (!font) io.Fonts->AddFontDefault();
    g_state.fontScale = scale;
}

// Runs f with the toolbar's context current, and puts back whatever context was current before.
template <class F>
void WithOwnContext(F f)
{
    ImGuiContext* previous = ImGui::GetCurrentContext();
    if (!g_state.context) {
        g_state.context = ImGui::CreateContext();
        ImGui::SetCurrentContext(g_state.context);
        ImGuiIO& io = ImGui::GetIO();
        io.IniFilename = nullptr;
        io.LogFilename = nullptr;
        LoadTipFont(ToolBarScale());
    }
    ImGui::SetCurrentContext(g_state.context);
    f();
    ImGui::SetCurrentContext(previous);
}

void ReleaseGl()
{
    if (!g_state.context) return;
    WithOwnContext([] {
        for (auto& entry : g_state.textures) GlDeleteTexture(entry.second);
        g_state.textures.clear();
        if (g_state.glReady) ImGui_ImplOpenGL3_Shutdown();
        g_state.glReady = false;
    });
}

unsigned TextureOf(const std::string& path)
{
    auto it = g_state.textures.find(path);
    if (it != g_state.textures.end()) return it->second;
    unsigned texture = 0;
    try {
        texture = GlCreateTexture(CDIB(path));
    } catch (...) {
        // A missing picture leaves an empty button that still works and shows its tip.
    }
    g_state.textures[path] = texture;
    return texture;
}

ImVec2 Corner(long x, long y) { return ImVec2(float(x), float(y)); }

void DrawGripper(ImDrawList* d, const CToolBar& bar)
{
    // Two raised ridges across the bar's start, as the classic movable bar has.
    const RECT g = bar.GripperRect();
    const float s = bar.m_scale;
    for (float at : {4.0f * s, 7.0f * s}) {
        if (bar.IsVertical()) {
            const float y = float(g.top) + at, left = float(g.left) + 7.0f * s, right = float(g.right) - 7.0f * s;
            d->AddLine(ImVec2(left, y), ImVec2(right, y), IM_COL32(255, 255, 255, 255), s);
            d->AddLine(ImVec2(left, y + s), ImVec2(right, y + s), IM_COL32(160, 160, 160, 255), s);
        } else {
            const float x = float(g.left) + at, top = float(g.top) + 7.0f * s, bottom = float(g.bottom) - 7.0f * s;
            d->AddLine(ImVec2(x, top), ImVec2(x, bottom), IM_COL32(255, 255, 255, 255), s);
            d->AddLine(ImVec2(x + s, top), ImVec2(x + s, bottom), IM_COL32(160, 160, 160, 255), s);
        }
    }
}

// The edge where the bar meets the pane.
void DrawEdge(ImDrawList* d, const CToolBar& bar)
{
    const RECT r = bar.BarRect();
    const float l = float(r.left), t = float(r.top), rt = float(r.right) - 0.5f, b = float(r.bottom) - 0.5f;
    switch (bar.m_side) {
    case EDockSide::Top: d->AddLine(ImVec2(l, b), ImVec2(float(r.right), b), kBarEdge); break;
    case EDockSide::Bottom: d->AddLine(ImVec2(l, t + 0.5f), ImVec2(float(r.right), t + 0.5f), kBarEdge); break;
    case EDockSide::Left: d->AddLine(ImVec2(rt, t), ImVec2(rt, float(r.bottom)), kBarEdge); break;
    case EDockSide::Right: d->AddLine(ImVec2(l + 0.5f, t), ImVec2(l + 0.5f, float(r.bottom)), kBarEdge); break;
    }
}

// While the gripper is dragged: the outline of where the bar will dock.
void DrawDropOutline(ImDrawList* d, const CToolBar& bar)
{
    if (!bar.m_dragging) return;
    const RECT r = bar.BarRect(bar.m_dropSide);
    d->AddRect(ImVec2(float(r.left) + 1, float(r.top) + 1), ImVec2(float(r.right) - 1, float(r.bottom) - 1),
               IM_COL32(90, 90, 90, 255), 0.0f, 0, 2.0f * bar.m_scale);
}

void DrawButton(ImDrawList* d, const CToolBar& bar, int i)
{
    const SToolButton& b = bar.m_buttons[size_t(i)];
    const RECT r = bar.ButtonRect(i);
    const ImVec2 a = Corner(r.left + 1, r.top + 1), z = Corner(r.right - 1, r.bottom - 1);
    const bool lit = b.enabled && bar.m_hot == i;
    const bool down = b.enabled && (b.checked || (bar.m_pressed == i && lit));
    if (down) {
        d->AddRectFilled(a, z, kDownFace, 2.0f);
        d->AddRect(a, z, kDownEdge, 2.0f);
    } else if (lit) {
        d->AddRectFilled(a, z, kLitFace, 2.0f);
        d->AddRect(a, z, kLitEdge, 2.0f);
    }
    unsigned texture = b.enabled ? TextureOf(b.image) : TextureOf(CToolBar::DisabledImageOf(b.image));
    // Without a greyed picture the normal one shows faded.
    ImU32 tint = IM_COL32(255, 255, 255, 255);
    if (!b.enabled && !texture) {
        texture = TextureOf(b.image);
        tint = IM_COL32(255, 255, 255, 70);
    }
    if (!texture) return;
    const float image = float(bar.Scaled(CToolBar::kButtonImage));
    const float inset = (float(bar.Scaled(CToolBar::kButtonSize)) - image) / 2.0f + (down ? bar.m_scale : 0.0f);
    const ImVec2 p(float(r.left) + inset, float(r.top) + inset);
    d->AddImage(ImTextureID(intptr_t(texture)), p, ImVec2(p.x + image, p.y + image),
                ImVec2(0, 0), ImVec2(1, 1), tint);
}

void DrawTip(ImDrawList* d, const CToolBar& bar, int width, int height)
{
    const int hot = bar.m_hot;
    const double now = Seconds();
    if (hot != g_state.tipButton) {
        g_state.tipButton = hot;
        g_state.tipSince = now;
    }
    if (hot < 0 || now - g_state.tipSince < kTipDelaySeconds) return;
    const std::string tip = CToolBar::TipOf(bar.m_buttons[size_t(hot)].id);
    if (tip.empty()) return;
    const RECT r = bar.ButtonRect(hot);
    const ImVec2 size = ImGui::CalcTextSize(tip.c_str());
    const float pad = 4.0f, w = size.x + 2 * pad, h = size.y + 2 * pad;
    // The tip stands beside the button, on the pane's side of the bar.
    ImVec2 a(float(r.left) + 8.0f, float(r.bottom) + 6.0f);
    if (bar.m_side == EDockSide::Bottom) a.y = float(r.top) - 6.0f - h;
    if (bar.m_side == EDockSide::Left) a = ImVec2(float(r.right) + 6.0f, float(r.top) + 8.0f);
    if (bar.m_side == EDockSide::Right) a = ImVec2(float(r.left) - 6.0f - w, float(r.top) + 8.0f);
    a.x = std::max(0.0f, std::min(a.x, float(width) - w - 1));
    a.y = std::max(0.0f, std::min(a.y, float(height) - h - 1));
    const ImVec2 z(a.x + w, a.y + h);
    d->AddRectFilled(a, z, IM_COL32(255, 255, 225, 255));
    d->AddRect(a, z, IM_COL32(118, 118, 118, 255));
    d->AddText(ImVec2(a.x + pad, a.y + pad), IM_COL32(0, 0, 0, 255), tip.c_str());
}

void PaintToolBar(const CToolBar& bar, int width, int height)
{
    if (width <= 0 || height <= 0) return;
    WithOwnContext([&] {
        // A frame come to an output of another scale: its tips' letters at that one.
        if (bar.m_scale != g_state.fontScale) {
            LoadTipFont(bar.m_scale);
            if (g_state.glReady) {
                ImGui_ImplOpenGL3_DestroyFontsTexture();
                ImGui_ImplOpenGL3_CreateFontsTexture();
            }
        }
        if (!g_state.glReady) {
            ImGui_ImplOpenGL3_Init("#version 330");
            g_state.glReady = true;
        }
        ImGuiIO& io = ImGui::GetIO();
        io.DisplaySize = ImVec2(float(width), float(height));
        io.DeltaTime = 1.0f / 60.0f;
        ImGui_ImplOpenGL3_NewFrame();
        ImGui::NewFrame();
        ImDrawList* d = ImGui::GetForegroundDrawList();
        const RECT r = bar.BarRect();
        d->AddRectFilled(Corner(r.left, r.top), Corner(r.right, r.bottom), kBarFace);
        DrawEdge(d, bar);
        DrawGripper(d, bar);
        for (int i = 0; i < int(bar.m_buttons.size()); ++i) DrawButton(d, bar, i);
        DrawTip(d, bar, width, height);
        DrawDropOutline(d, bar);
        ImGui::Render();
        ImGui_ImplOpenGL3_RenderDrawData(ImGui::GetDrawData());
    });
}
}

CToolBarPainterInstaller::CToolBarPainterInstaller()
{
    SetToolBarPainter(PaintToolBar);
    AddGlContextLossHandler(ReleaseGl);
}

CToolBarPainterInstaller::~CToolBarPainterInstaller()
{
    SetToolBarPainter(nullptr);
    RemoveGlContextLossHandler(ReleaseGl);
    if (!g_state.context) return;
    ImGuiContext* previous = ImGui::GetCurrentContext();
    ImGui::DestroyContext(g_state.context);
    if (previous != g_state.context) ImGui::SetCurrentContext(previous);
    g_state = SPainterState();
}
