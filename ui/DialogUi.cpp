// The generic dialog drawing: a window at the centre of its owner, every control at its template
// place (dialog units to pixels), the look of the dialog, tooltips and the focus ring.
#include "ui/DialogUi.h"

#include <imgui_internal.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "dialogs/StringTable.h"
#include "platform/Dialog.h"
#include "platform/DialogFit.h"
#include "ui/DialogControls.h"
#include "ui/Fonts.h"
#include "ui/WrappedText.h"

namespace {
// Text smaller than this (at 96 dpi) is no longer read without effort: a dialog scrolls instead.
constexpr float kLegiblePixels = 10.0f;

// Dialog units follow the dialog's own font, as the classic dialog manager measures them: a
// horizontal unit is a quarter of the font's average letter width, a vertical one an eighth of
// its height. (An 8-point MS Sans Serif gives 1.5 and 1.625 pixels; wider faces get room.)
ImVec2 DialogUnits(ImFont* font)
{
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    const float average = font->CalcTextSizeA(font->FontSize, FLT_MAX, 0.0f, kAlphabet).x / 52.0f;
    return ImVec2(average / 4.0f, font->FontSize / 8.0f);
}

ImU32 Mix(ImU32 a, ImU32 b, float t)
{
    const ImVec4 x = ImGui::ColorConvertU32ToFloat4(a), y = ImGui::ColorConvertU32ToFloat4(b);
    return ImGui::ColorConvertFloat4ToU32(ImVec4(x.x + (y.x - x.x) * t, x.y + (y.y - x.y) * t,
                                                 x.z + (y.z - x.z) * t, 1.0f));
}

// Tabs as a static control shows them: to the next stop of eight characters.
std::string ExpandTabs(const std::string& s)
{
    std::string out;
    size_t column = 0;
    for (char c : s) {
        if (c == '\t') {
            do out += ' ';
            while (++column % 8);
        } else {
            out += c;
            column = c == '\n' ? 0 : column + 1;
        }
    }
    return out;
}

SColors ColorsOf(const SDialogLook& look)
{
    SColors c;
    c.text = look.text;
    c.face = look.face;
    if (look.dark) {
        c.field = IM_COL32(14, 14, 14, 255);
        c.button = IM_COL32(24, 24, 24, 255);
        c.hover = Mix(IM_COL32(24, 24, 24, 255), look.text, 0.22f);
        c.pressed = Mix(IM_COL32(24, 24, 24, 255), look.text, 0.40f);
        c.border = Mix(look.face, look.text, 0.55f);
        c.disabled = Mix(look.face, look.text, 0.35f);
        c.accent = look.text;
    } else {
        c.field = IM_COL32(255, 255, 255, 255);
        c.button = IM_COL32(225, 225, 225, 255);
        c.hover = IM_COL32(229, 241, 251, 255);
        c.pressed = IM_COL32(204, 228, 247, 255);
        c.border = IM_COL32(122, 122, 122, 255);
        c.disabled = IM_COL32(150, 150, 150, 255);
        c.accent = IM_COL32(0, 120, 215, 255);
    }
    return c;
}

void PushColors(const SColors& c)
{
    ImGui::PushStyleColor(ImGuiCol_Text, c.text);
    ImGui::PushStyleColor(ImGuiCol_TextDisabled, c.disabled);
    ImGui::PushStyleColor(ImGuiCol_WindowBg, c.face);
    ImGui::PushStyleColor(ImGuiCol_ChildBg, c.field);
    ImGui::PushStyleColor(ImGuiCol_PopupBg, c.field);
    ImGui::PushStyleColor(ImGuiCol_Border, c.border);
    ImGui::PushStyleColor(ImGuiCol_FrameBg, c.field);
    ImGui::PushStyleColor(ImGuiCol_FrameBgHovered, c.field);
    ImGui::PushStyleColor(ImGuiCol_FrameBgActive, c.field);
    ImGui::PushStyleColor(ImGuiCol_TitleBg, c.pressed);
    ImGui::PushStyleColor(ImGuiCol_TitleBgActive, c.pressed);
    ImGui::PushStyleColor(ImGuiCol_TitleBgCollapsed, c.pressed);
    ImGui::PushStyleColor(ImGuiCol_Button, c.button);
    ImGui::PushStyleColor(ImGuiCol_ButtonHovered, c.hover);
    ImGui::PushStyleColor(ImGuiCol_ButtonActive, c.pressed);
    ImGui::PushStyleColor(ImGuiCol_Header, c.pressed);
    ImGui::PushStyleColor(ImGuiCol_HeaderHovered, c.hover);
    ImGui::PushStyleColor(ImGuiCol_HeaderActive, c.pressed);
    ImGui::PushStyleColor(ImGuiCol_CheckMark, c.accent);
    ImGui::PushStyleColor(ImGuiCol_SliderGrab, c.accent);
    ImGui::PushStyleColor(ImGuiCol_SliderGrabActive, c.accent);
    ImGui::PushStyleColor(ImGuiCol_TextSelectedBg, Mix(c.field, c.accent, 0.45f));
    ImGui::PushStyleColor(ImGuiCol_ScrollbarBg, c.field);
    ImGui::PushStyleColor(ImGuiCol_ScrollbarGrab, c.border);
}
constexpr int kPushedColors = 24;

// A segment display has no small letters: its face shows labels in capitals.
std::string Label(const SDialogLook& look, const std::string& text)
{
    if (look.font != EFontFace::Digital) return text;
    std::string out = text;
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return out;
}

void DrawStatic(const SContext& k, const SDialogControl& c)
{
    const ImVec2 p = TopLeft(k, c), s = Size(k, c);
    ImFont* font = ImGui::GetFont();
    // A label one line high keeps to one line: our faces run a little wider than the templates'
    // own, and a wrapped second line would hide under the control below.
    const float size = ImGui::GetFontSize();
    const bool oneLine = s.y < size * 1.8f;
    std::string text = ExpandTabs(Label(k.look, c.text));
    if (!oneLine) text = Wrap(font, size, text, s.x).shown;
    ImVec2 at = p;
    if (c.style & kCentered) at.x += std::max(0.0f, (s.x - ImGui::CalcTextSize(text.c_str()).x) * 0.5f);
    ImGui::GetWindowDrawList()->AddText(font, size, at, c.enabled ? k.colors.text : k.colors.disabled,
                                        text.c_str());
}

void DrawGroupBox(const SContext& k, const SDialogControl& c)
{
    const ImVec2 p = TopLeft(k, c), s = Size(k, c);
    ImDrawList* d = ImGui::GetWindowDrawList();
    const float half = ImGui::GetFontSize() * 0.5f;
    d->AddRect(ImVec2(p.x, p.y + half), ImVec2(p.x + s.x, p.y + s.y), k.colors.border, 2.0f);
    const std::string label = Label(k.look, c.text);
    const ImVec2 t = ImGui::CalcTextSize(label.c_str());
    const ImVec2 at(p.x + 8.0f * k.canvas.scale, p.y);
    d->AddRectFilled(ImVec2(at.x - 3, at.y), ImVec2(at.x + t.x + 3, at.y + t.y), k.colors.face);
    d->AddText(at, k.colors.text, label.c_str());
}

void DrawButton(const SContext& k, const SDialogControl& c, bool focused)
{
    const ImVec2 p = TopLeft(k, c), s = Size(k, c);
    ImGui::SetCursorScreenPos(p);
    const std::string label = Label(k.look, c.text) + "##" + std::to_string(c.id);
    ImGui::PushStyleVar(ImGuiStyleVar_FrameBorderSize, c.kind == EControl::DefPushButton ? 2.0f : 1.0f);
    if (ImGui::Button(label.c_str(), s)) k.dlg.PostCommand(EDialogCommand::Click, c.id);
    ImGui::PopStyleVar();
    Tooltip(k, c);
    if (focused) FocusRing(k, p, ImVec2(p.x + s.x, p.y + s.y));
}

void DrawCheck(const SContext& k, const SDialogControl& c, bool focused)
{
    const ImVec2 p = TopLeft(k, c);
    ImGui::SetCursorScreenPos(p);
    bool on = c.value != 0;
    const std::string label = Label(k.look, c.text) + "##" + std::to_string(c.id);
    if (ImGui::Checkbox(label.c_str(), &on)) k.dlg.PostCommand(EDialogCommand::Click, c.id);
    Tooltip(k, c);
    if (focused) FocusRing(k, ImGui::GetItemRectMin(), ImGui::GetItemRectMax());
}

void DrawSlider(const SContext& k, SDialogControl& c, bool focused)
{
    const ImVec2 p = TopLeft(k, c), s = Size(k, c);
    // The position stands beside the track, where the thumb never covers it.
    const float valueWidth = ImGui::CalcTextSize("000").x + ImGui::GetStyle().ItemInnerSpacing.x * 2;
    ImGui::SetCursorScreenPos(p);
    ImGui::SetNextItemWidth(std::max(10.0f, s.x - valueWidth));
    int v = c.value;
    const std::string label = "##slider" + std::to_string(c.id);
    if (ImGui::SliderInt(label.c_str(), &v, c.rangeMin, c.rangeMax, "", ImGuiSliderFlags_AlwaysClamp)) {
        c.value = v;
        k.dlg.Invalidate();
    }
    if (ImGui::IsItemActivated()) k.dlg.PostCommand(EDialogCommand::Focus, c.id);
    Tooltip(k, c);
    const ImVec2 a = ImGui::GetItemRectMin(), b = ImGui::GetItemRectMax();
    if (focused) FocusRing(k, a, b);
    const std::string value = std::to_string(c.value);
    const ImVec2 t = ImGui::CalcTextSize(value.c_str());
    ImGui::GetWindowDrawList()->AddText(ImVec2(p.x + s.x - t.x, a.y + (b.y - a.y - t.y) * 0.5f),
                                        c.enabled ? k.colors.text : k.colors.disabled, value.c_str());
}

void DrawCombo(const SContext& k, SDialogControl& c, bool focused)
{
    const ImVec2 p = TopLeft(k, c), s = Size(k, c);
    ImGui::SetCursorScreenPos(p);
    ImGui::SetNextItemWidth(s.x);
    const std::string label = "##combo" + std::to_string(c.id);
    const char* shown = c.selection >= 0 && c.selection < int(c.items.size()) ? c.items[size_t(c.selection)].c_str() : "";
    // The list drops down to the template's full height, as a classic drop-down list does.
    ImGui::SetNextWindowSizeConstraints(ImVec2(s.x, 0), ImVec2(s.x, std::max(s.y, ImGui::GetFontSize() * 4.0f)));
    // File names keep their letters as they are: the plain face, whatever the dialog's own.
    const bool plain = (c.style & kPlainItems) != 0;
    if (plain) ImGui::PushFont(TextAreaFont());
    // The dropped-down list has padding of its own: without it its last entry sits under the
    // border, cut off even when scrolled to the end.
    ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImGui::GetStyle().FramePadding);
    const bool open = ImGui::BeginCombo(label.c_str(), shown);
    ImGui::PopStyleVar();
    if (plain) ImGui::PopFont();
    if (open) {
        if (plain) ImGui::PushFont(TextAreaFont());
        // Opening it gives it the focus (and so its refill) first.
        if (k.dlg.FocusControl() != &c) k.dlg.PostCommand(EDialogCommand::Focus, c.id);
        int chosen = -1;
        for (int i = 0; i < int(c.items.size()); ++i) {
            const std::string item = c.items[size_t(i)] + "##" + std::to_string(i);
            if (ImGui::Selectable(item.c_str(), i == c.selection)) chosen = i;
            if (i == c.selection && ImGui::IsWindowAppearing()) ImGui::SetScrollHereY();
        }
        if (plain) ImGui::PopFont();
        ImGui::EndCombo();
        if (chosen >= 0) k.dlg.PostCommand(EDialogCommand::Select, c.id, chosen);
    }
    Tooltip(k, c);
    if (focused) FocusRing(k, ImGui::GetItemRectMin(), ImGui::GetItemRectMax());
}

void DrawList(const SContext& k, SDialogControl& c, bool focused)
{
    const ImVec2 p = TopLeft(k, c), s = Size(k, c);
    ImGui::SetCursorScreenPos(p);
    const std::string label = "##list" + std::to_string(c.id);
    ImGui::PushFont(TextAreaFont());
    if (ImGui::BeginListBox(label.c_str(), s)) {
        // A selection moved by the keyboard is scrolled into view once.
        ImGuiStorage* storage = ImGui::GetStateStorage();
        const ImGuiID key = ImGui::GetID("shown");
        const bool moved = storage->GetInt(key, -2) != c.selection;
        storage->SetInt(key, c.selection);
        int picked = -1;
        bool opened = false;
        for (int i = 0; i < int(c.items.size()); ++i) {
            ImGui::PushID(i);
            if (ImGui::Selectable(c.items[size_t(i)].c_str(), i == c.selection, ImGuiSelectableFlags_AllowDoubleClick)) {
                picked = i;
                opened = ImGui::IsMouseDoubleClicked(0);
            }
            if (i == c.selection && moved) ImGui::SetScrollHereY();
            ImGui::PopID();
        }
        ImGui::EndListBox();
        if (picked >= 0) {
            k.dlg.PostCommand(opened ? EDialogCommand::Activate : EDialogCommand::Select, c.id, picked);
        }
    }
    ImGui::PopFont();
    Tooltip(k, c);
    if (focused) FocusRing(k, p, ImVec2(p.x + s.x, p.y + s.y));
}

void DrawFrame(const SContext& k, const SDialogControl& c)
{
    const ImVec2 p = TopLeft(k, c), s = Size(k, c);
    const ImVec2 q(p.x + s.x, p.y + s.y);
    ImDrawList* d = ImGui::GetWindowDrawList();
    d->AddRectFilled(p, q, IM_COL32(0, 0, 0, 255));
    if (k.look.paintFrame) k.look.paintFrame(k.dlg, c, d, p, q);
    d->AddRect(p, q, k.colors.border);
    ImGui::SetCursorScreenPos(p);
    const std::string label = "##frame" + std::to_string(c.id);
    if (ImGui::InvisibleButton(label.c_str(), s) && c.id != -1) k.dlg.PostCommand(EDialogCommand::Click, c.id);
    Tooltip(k, c);
}

void DrawIcon(const SContext& k, const SDialogControl& c)
{
    const ImVec2 p = TopLeft(k, c), s = Size(k, c);
    const float side = std::min(s.x, s.y);
    if (!k.canvas.iconTexture) return;
    ImGui::GetWindowDrawList()->AddImage(ImTextureID(intptr_t(k.canvas.iconTexture)), p, ImVec2(p.x + side, p.y + side));
}

const char* KindName(EControl kind)
{
    switch (kind) {
    case EControl::PushButton: return "button";
    case EControl::DefPushButton: return "defbutton";
    case EControl::Static: return "label";
    case EControl::GroupBox: return "group";
    case EControl::Edit: return "edit";
    case EControl::CheckBox: return "check";
    case EControl::Slider: return "slider";
    case EControl::ComboBox: return "combo";
    case EControl::ListBox: return "list";
    case EControl::Icon: return "icon";
    case EControl::Frame: return "frame";
    }
    return "";
}

void RecordLayout(const SContext& k)
{
    if (!k.canvas.drawn) return;
    SDrawnDialog& d = k.canvas.drawn->emplace_back();
    d.templateId = k.dlg.m_templateId;
    d.caption = k.dlg.m_caption;
    for (const SDialogControl& c : k.dlg.m_controls) {
        const ImVec2 p = TopLeft(k, c), s = Size(k, c);
        d.controls.push_back(SDrawnControl{c.id, KindName(c.kind), c.text, p, ImVec2(p.x + s.x, p.y + s.y)});
    }
}

void DrawControls(const SContext& k)
{
    CDialog& dlg = k.dlg;
    RecordLayout(k);
    const int focus = dlg.FocusIndex();
    // In a dialog that scrolls, the focus moved by the keyboard comes into view.
    ImGuiStorage* storage = ImGui::GetStateStorage();
    const ImGuiID shownFocus = ImGui::GetID("##shownFocus");
    if (focus >= 0 && storage->GetInt(shownFocus, -1) != focus) {
        const SDialogControl& c = dlg.m_controls[size_t(focus)];
        const ImVec2 a = TopLeft(k, c), s = Size(k, c);
        ImGui::ScrollToBringRectIntoView(ImGui::GetCurrentWindow(), ImRect(a, ImVec2(a.x + s.x, a.y + s.y)));
    }
    storage->SetInt(shownFocus, focus);
    for (size_t i = 0; i < dlg.m_controls.size(); ++i) {
        SDialogControl& c = dlg.m_controls[i];
        const bool focused = k.canvas.active && int(i) == focus;
        ImGui::PushID(int(i));
        ImGui::BeginDisabled(!c.enabled);
        switch (c.kind) {
        case EControl::Static: DrawStatic(k, c); break;
        case EControl::GroupBox: DrawGroupBox(k, c); break;
        case EControl::PushButton:
        case EControl::DefPushButton: DrawButton(k, c, focused); break;
        case EControl::CheckBox: DrawCheck(k, c, focused); break;
        case EControl::Slider: DrawSlider(k, c, focused); break;
        case EControl::ComboBox: DrawCombo(k, c, focused); break;
        case EControl::ListBox: DrawList(k, c, focused); break;
        case EControl::Edit: DrawEdit(k, c, focused); break;
        case EControl::Frame: DrawFrame(k, c); break;
        case EControl::Icon: DrawIcon(k, c); break;
        }
        ImGui::EndDisabled();
        ImGui::PopID();
    }
}
}

ImVec2 TopLeft(const SContext& k, const SDialogControl& c)
{
    return ImVec2(k.origin.x + float(c.x) * k.sx, k.origin.y + float(c.y) * k.sy);
}
ImVec2 Size(const SContext& k, const SDialogControl& c) { return ImVec2(float(c.cx) * k.sx, float(c.cy) * k.sy); }

void Tooltip(const SContext& k, const SDialogControl& c)
{
    // A dialog that has lost the input to a box over it shows no tips.
    if (!k.canvas.active || !k.dlg.m_toolTips || !ImGui::IsItemHovered(ImGuiHoveredFlags_AllowWhenDisabled)) return;
    const std::string tip = ControlTip(k.dlg.m_templateId, c.id);
    if (tip.empty()) return;
    // Nor over a control being worked (text being selected).
    if (ImGui::IsItemActive()) return;
    ImGui::PushFont(TextAreaFont());
    ImGui::PushStyleColor(ImGuiCol_Text, IM_COL32(0, 0, 0, 255));
    ImGui::PushStyleColor(ImGuiCol_PopupBg, IM_COL32(255, 255, 225, 255));
    ImGui::PushStyleColor(ImGuiCol_Border, IM_COL32(118, 118, 118, 255));
    // Below the control (above it near the bottom of the window), never over what it describes:
    // a tip at the pointer would hide a slider's value.
    const ImVec2 a = ImGui::GetItemRectMin(), b = ImGui::GetItemRectMax();
    const float gap = 4.0f * k.canvas.scale;
    if (b.y < ImGui::GetIO().DisplaySize.y * 0.75f) ImGui::SetNextWindowPos(ImVec2(a.x, b.y + gap));
    else ImGui::SetNextWindowPos(ImVec2(a.x, a.y - gap), ImGuiCond_Always, ImVec2(0.0f, 1.0f));
    ImGui::BeginTooltip();
    ImGui::PushTextWrapPos(ImGui::GetFontSize() * 28.0f);
    ImGui::TextUnformatted(tip.c_str());
    ImGui::PopTextWrapPos();
    ImGui::EndTooltip();
    ImGui::PopStyleColor(3);
    ImGui::PopFont();
}

void FocusRing(const SContext& k, ImVec2 a, ImVec2 b)
{
    ImGui::GetWindowDrawList()->AddRect(ImVec2(a.x - 2, a.y - 2), ImVec2(b.x + 2, b.y + 2), k.colors.accent, 2.0f, 0,
                                        1.5f * k.canvas.scale);
}

SDialogLook LookOf(int templateId)
{
    switch (templateId) {
    case 100: return AboutDlgLook();
    case 103: return OptionsDlgLook();
    case 104: return HelpDlgLook();
    case 105: return ShareDlgLook();
    case 134: return OrbGroupDlgLook();
    case 150: return ColorDlgLook();
    default: return PlainDlgLook();
    }
}

SDialogLook LookFromScheme(const SDialogScheme& scheme)
{
    auto color = [](uint32_t c) { return IM_COL32(c & 255, (c >> 8) & 255, (c >> 16) & 255, 255); };
    SDialogLook look;
    look.text = color(scheme.text);
    look.face = color(scheme.face);
    look.dark = scheme.dark;
    look.font = scheme.font;
    return look;
}

SDialogLook PlainDlgLook() { return LookFromScheme(DialogSchemeOf(0)); }

const SDialogPainter& DialogPainter()
{
    static const SDialogPainter painter{
        LoadDialogFonts,
        FontsNeedRebuild,
        DialogPixelSize,
        [](const CDialog& dlg) { return LookOf(dlg.m_templateId).face; },
        DrawDialog,
    };
    return painter;
}

ImVec2 DialogPixelSize(const CDialog& dlg)
{
    ImFont* font = DialogFont(LookOf(dlg.m_templateId).font);
    const ImVec2 unit = DialogUnits(font);
    const float title = dlg.m_frame == EDialogFrame::Caption ? font->FontSize + ImGui::GetStyle().FramePadding.y * 2 : 0.0f;
    return ImVec2(float(dlg.m_cx) * unit.x, float(dlg.m_cy) * unit.y + title);
}

void DrawDialog(CDialog& dlg, const SDialogCanvas& canvas)
{
    const SDialogLook look = LookOf(dlg.m_templateId);
    const SColors colors = ColorsOf(look);
    // Every letter of a file name shows: those the fonts lack are loaded for the next frame.
    RequestGlyphs(dlg.m_caption);
    for (const SDialogControl& c : dlg.m_controls) {
        RequestGlyphs(c.text);
        for (const std::string& item : c.items) RequestGlyphs(item);
    }
    ImFont* font = DialogFont(look.font);
    ImGui::PushFont(font);
    PushColors(colors);
    ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(0, 0));
    ImGui::PushStyleVar(ImGuiStyleVar_WindowBorderSize, 1.0f);
    ImGui::PushStyleVar(ImGuiStyleVar_FrameBorderSize, 1.0f);
    ImGui::PushStyleVar(ImGuiStyleVar_WindowRounding, 0.0f);

    // A window of its own carries the caption in its title bar already.
    const bool titled = dlg.m_frame == EDialogFrame::Caption && !canvas.ownWindow;
    const float title = titled ? font->FontSize + ImGui::GetStyle().FramePadding.y * 2 : 0.0f;
    // The dialog fits the window it opens over, scaled down (its text legible) or scrolling.
    const ImVec2 unit = DialogUnits(font);
    const ImVec2 client(float(dlg.m_cx) * unit.x, float(dlg.m_cy) * unit.y);
    const float minZoom = kLegiblePixels * canvas.scale / font->FontSize;
    const SDialogFit fit = FitDialog(client.x, client.y, canvas.area.x, canvas.area.y - title, minZoom);
    const ImVec2 size = canvas.ownWindow ? canvas.area : ImVec2(fit.width, fit.height + title);
    ImGui::SetNextWindowSize(size);
    // Every dialog opens in the middle, also where one that was moved stood before.
    ImGui::SetNextWindowPos(ImVec2((canvas.area.x - size.x) * 0.5f, (canvas.area.y - size.y) * 0.5f),
                            canvas.ownWindow || canvas.opening ? ImGuiCond_Always : ImGuiCond_Appearing);
    ImGuiWindowFlags flags = ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoSavedSettings;
    if (fit.scroll) {
        ImGui::SetNextWindowContentSize(ImVec2(client.x * fit.zoom, client.y * fit.zoom));
        flags |= ImGuiWindowFlags_HorizontalScrollbar;
    } else {
        flags |= ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoScrollWithMouse;
    }
    // A dialog moves by its caption alone (the host lets nothing else drag it); one without a
    // caption stays where it opened.
    if (!titled) flags |= ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoMove;
    if (canvas.ownWindow) flags |= ImGuiWindowFlags_NoMove;
    // The topmost dialog keeps the input, but never over the list it has dropped down.
    if (canvas.active && !ImGui::IsPopupOpen("", ImGuiPopupFlags_AnyPopupId)) ImGui::SetNextWindowFocus();
    const std::string caption = Label(look, dlg.m_caption) + "###dialog" + std::to_string(reinterpret_cast<uintptr_t>(&dlg));
    ImGui::Begin(caption.c_str(), nullptr, flags);
    // Moved by its caption, the dialog stays whole inside the window, its buttons within reach.
    const ImVec2 at = ImGui::GetWindowPos();
    const ImVec2 inside(std::clamp(at.x, 0.0f, std::max(0.0f, canvas.area.x - size.x)),
                        std::clamp(at.y, 0.0f, std::max(0.0f, canvas.area.y - size.y)));
    if (inside.x != at.x || inside.y != at.y) ImGui::SetWindowPos(inside);
    // A dialog that opens (where another one was, perhaps at the same address) starts with no
    // field taken: a box still active from before would show that dialog's text.
    if (canvas.opening || ImGui::IsWindowAppearing()) ImGui::ClearActiveID();
    ImGui::SetWindowFontScale(fit.zoom);
    ImGui::BeginDisabled(!canvas.active);
    const float titleHeight = titled ? ImGui::GetCurrentWindow()->TitleBarHeight() : 0.0f;
    const ImVec2 pos = ImGui::GetWindowPos();
    const ImVec2 origin(pos.x - ImGui::GetScrollX(), pos.y + titleHeight - ImGui::GetScrollY());
    const SContext k{dlg, look, colors, canvas, origin, unit.x * fit.zoom, unit.y * fit.zoom};
    DrawControls(k);
    ImGui::EndDisabled();
    ImGui::End();

    ImGui::PopStyleVar(4);
    ImGui::PopStyleColor(kPushedColors);
    ImGui::PopFont();
}
