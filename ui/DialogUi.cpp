// The generic dialog drawing: a window at the centre of its owner, every control at its template
// place (dialog units to pixels), the look of the dialog, tooltips and the focus ring.
#include "ui/DialogUi.h"

#include <imgui_internal.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "dialogs/StringTable.h"
#include "platform/Dialog.h"
#include "ui/Fonts.h"

namespace {
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

// Breaks text into lines that fit width, at spaces where possible and inside long words when not.
std::string WrapText(ImFont* font, const std::string& text, float width)
{
    std::string out;
    float line = 0.0f;
    size_t lastSpace = std::string::npos;
    float atSpace = 0.0f;
    for (char c : text) {
        if (c == '\n') {
            out += c;
            line = 0.0f;
            lastSpace = std::string::npos;
            continue;
        }
        const char s[2] = {c, 0};
        const float w = font->CalcTextSizeA(font->FontSize, FLT_MAX, 0.0f, s).x;
        if (line + w > width && line > 0.0f) {
            if (lastSpace != std::string::npos) {
                out[lastSpace] = '\n';
                line -= atSpace;
            } else {
                out += '\n';
                line = 0.0f;
            }
            lastSpace = std::string::npos;
        }
        if (c == ' ') {
            lastSpace = out.size();
            atSpace = line + w;
        }
        out += c;
        line += w;
    }
    return out;
}

struct SColors {
    ImU32 text, face, field, button, hover, pressed, border, disabled, accent;
};

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

struct SContext {
    CDialog& dlg;
    const SDialogLook& look;
    const SColors& colors;
    const SDialogCanvas& canvas;
    ImVec2 origin;  // screen position of the client area's top left corner
    float sx, sy;   // pixels per dialog unit
};

// A segment display has no small letters: its face shows labels in capitals.
std::string Label(const SDialogLook& look, const std::string& text)
{
    if (look.font != EFontFace::Digital) return text;
    std::string out = text;
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return out;
}

ImVec2 TopLeft(const SContext& k, const SDialogControl& c)
{
    return ImVec2(k.origin.x + float(c.x) * k.sx, k.origin.y + float(c.y) * k.sy);
}
ImVec2 Size(const SContext& k, const SDialogControl& c) { return ImVec2(float(c.cx) * k.sx, float(c.cy) * k.sy); }

void Tooltip(const SContext& k, const SDialogControl& c)
{
    if (!k.dlg.m_toolTips || !HasTooltip(c.id) || !ImGui::IsItemHovered(ImGuiHoveredFlags_AllowWhenDisabled)) return;
    ImGui::PushFont(TextAreaFont());
    ImGui::PushStyleColor(ImGuiCol_Text, IM_COL32(0, 0, 0, 255));
    ImGui::PushStyleColor(ImGuiCol_PopupBg, IM_COL32(255, 255, 225, 255));
    ImGui::PushStyleColor(ImGuiCol_Border, IM_COL32(118, 118, 118, 255));
    ImGui::BeginTooltip();
    ImGui::PushTextWrapPos(ImGui::GetFontSize() * 28.0f);
    ImGui::TextUnformatted(LoadResourceString(c.id).c_str());
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

void DrawStatic(const SContext& k, const SDialogControl& c)
{
    const ImVec2 p = TopLeft(k, c), s = Size(k, c);
    ImFont* font = ImGui::GetFont();
    // A label one line high keeps to one line: our faces run a little wider than the templates'
    // own, and a wrapped second line would hide under the control below.
    const bool oneLine = s.y < font->FontSize * 1.8f;
    std::string text = ExpandTabs(Label(k.look, c.text));
    if (!oneLine) text = WrapText(font, text, s.x);
    ImVec2 at = p;
    if (c.style & kCentered) at.x += std::max(0.0f, (s.x - ImGui::CalcTextSize(text.c_str()).x) * 0.5f);
    ImGui::GetWindowDrawList()->AddText(font, font->FontSize, at, c.enabled ? k.colors.text : k.colors.disabled,
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
    if (ImGui::BeginCombo(label.c_str(), shown)) {
        // Opening it gives it the focus (and so its refill) first.
        if (k.dlg.FocusControl() != &c) k.dlg.PostCommand(EDialogCommand::Focus, c.id);
        int chosen = -1;
        for (int i = 0; i < int(c.items.size()); ++i) {
            const std::string item = c.items[size_t(i)] + "##" + std::to_string(i);
            if (ImGui::Selectable(item.c_str(), i == c.selection)) chosen = i;
            if (i == c.selection && ImGui::IsWindowAppearing()) ImGui::SetScrollHereY();
        }
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

// An edit box. Read-only boxes, and boxes without the focus, show their text wrapped to their
// width; the box with the focus edits it (up to its text limit, as the classic box does).
void DrawEdit(const SContext& k, SDialogControl& c, bool focused)
{
    const ImVec2 p = TopLeft(k, c), s = Size(k, c);
    const bool multiline = (c.style & kMultiline) != 0;
    const std::string label = "##edit" + std::to_string(c.id);
    ImGui::PushFont(TextAreaFont());
    ImGui::SetCursorScreenPos(p);
    if (focused && !(c.style & kReadOnly) && c.enabled) {
        std::string& t = c.text;
        const size_t used = std::min(t.size(), c.textLimit);
        t.resize(c.textLimit + 1, '\0');
        t[used] = '\0';
        // The box takes the keys when it gains the dialog's focus (Tab from another box, whose
        // field ImGui still holds active), and whenever nothing else is being worked (a drag).
        ImGuiStorage* storage = ImGui::GetStateStorage();
        const ImGuiID typingKey = ImHashStr("##typingIn");
        const bool gained = storage->GetInt(typingKey, -1) != c.id;
        if (ImGui::IsWindowAppearing() || gained || !ImGui::IsAnyItemActive()) ImGui::SetKeyboardFocusHere();
        storage->SetInt(typingKey, c.id);
        const ImGuiInputTextFlags flags = (c.style & kNumber) ? ImGuiInputTextFlags_CharsDecimal : 0;
        bool changed;
        if (multiline)
            changed = ImGui::InputTextMultiline(label.c_str(), t.data(), t.size(), s, flags);
        else {
            ImGui::SetNextItemWidth(s.x);
            changed = ImGui::InputText(label.c_str(), t.data(), t.size(), flags);
        }
        t.resize(std::strlen(t.c_str()));
        if (changed) k.dlg.Invalidate();
    } else {
        ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(4, 3));
        ImGui::BeginChild(label.c_str(), s, true, multiline && (c.style & kVScroll) ? 0 : ImGuiWindowFlags_NoScrollbar);
        const float width = ImGui::GetContentRegionAvail().x;
        const std::string wrapped = multiline ? WrapText(ImGui::GetFont(), c.text, width) : c.text;
        ImGui::TextUnformatted(wrapped.c_str());
        ImGui::EndChild();
        ImGui::PopStyleVar();
        if (ImGui::IsItemClicked() && c.TakesFocus()) k.dlg.PostCommand(EDialogCommand::Focus, c.id);
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

void DrawControls(const SContext& k)
{
    CDialog& dlg = k.dlg;
    const int focus = dlg.FocusIndex();
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

SDialogLook PlainDlgLook() { return SDialogLook{}; }

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
    ImGui::PushFont(DialogFont(look.font));
    PushColors(colors);
    ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImVec2(0, 0));
    ImGui::PushStyleVar(ImGuiStyleVar_WindowBorderSize, 1.0f);
    ImGui::PushStyleVar(ImGuiStyleVar_FrameBorderSize, 1.0f);
    ImGui::PushStyleVar(ImGuiStyleVar_WindowRounding, 0.0f);

    const ImVec2 size = canvas.ownWindow ? canvas.area : DialogPixelSize(dlg);
    ImGui::SetNextWindowSize(size);
    ImGui::SetNextWindowPos(ImVec2((canvas.area.x - size.x) * 0.5f, (canvas.area.y - size.y) * 0.5f),
                            canvas.ownWindow ? ImGuiCond_Always : ImGuiCond_Appearing);
    ImGuiWindowFlags flags = ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoScrollbar |
                             ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoScrollWithMouse;
    // A window of its own carries the caption in its title bar already.
    if (dlg.m_frame != EDialogFrame::Caption || canvas.ownWindow) flags |= ImGuiWindowFlags_NoTitleBar;
    if (canvas.ownWindow) flags |= ImGuiWindowFlags_NoMove;
    if (canvas.active) ImGui::SetNextWindowFocus();
    const std::string title = Label(look, dlg.m_caption) + "###dialog" + std::to_string(reinterpret_cast<uintptr_t>(&dlg));
    ImGui::Begin(title.c_str(), nullptr, flags);
    ImGui::BeginDisabled(!canvas.active);
    const float titleHeight = (flags & ImGuiWindowFlags_NoTitleBar) ? 0.0f : ImGui::GetFrameHeight();
    const ImVec2 pos = ImGui::GetWindowPos();
    const ImVec2 unit = DialogUnits(ImGui::GetFont());
    const SContext k{dlg, look, colors, canvas, ImVec2(pos.x, pos.y + titleHeight), unit.x, unit.y};
    DrawControls(k);
    ImGui::EndDisabled();
    ImGui::End();

    ImGui::PopStyleVar(4);
    ImGui::PopStyleColor(kPushedColors);
    ImGui::PopFont();
}
