// The colour dialog's look: ImGui's colour picker inside the dialog's picker frame.
#include "dialogs/ColorDlg.h"
#include "ui/DialogUi.h"

namespace {
void PaintPicker(CDialog& dlg, const SDialogControl& control, ImDrawList*, ImVec2 min, ImVec2 max)
{
    if (control.id != CColorDlg::kPickerId) return;
    auto& colorDlg = static_cast<CColorDlg&>(dlg);
    const COLORREF c = colorDlg.EnteredColor();
    float rgb[3] = {float(c & 255) / 255.0f, float((c >> 8) & 255) / 255.0f, float((c >> 16) & 255) / 255.0f};
    const float pad = 6.0f;
    // The square fills the frame's height; the hue bar stands beside it.
    const float side = max.y - min.y - 2 * pad;
    const float bar = ImGui::GetFrameHeight();
    ImGui::SetCursorScreenPos(ImVec2(min.x + pad, min.y + pad));
    ImGui::SetNextItemWidth(std::min(max.x - min.x - 2 * pad, side + ImGui::GetStyle().ItemInnerSpacing.x + bar));
    const ImGuiColorEditFlags flags = ImGuiColorEditFlags_NoInputs | ImGuiColorEditFlags_NoSidePreview |
                                      ImGuiColorEditFlags_NoLabel | ImGuiColorEditFlags_PickerHueBar |
                                      ImGuiColorEditFlags_NoAlpha;
    if (ImGui::ColorPicker3("##picker", rgb, flags)) {
        auto channel = [](float v) { return int(v * 255.0f + 0.5f); };
        colorDlg.EnterColor(RGB(channel(rgb[0]), channel(rgb[1]), channel(rgb[2])));
    }
}
}

SDialogLook ColorDlgLook()
{
    SDialogLook look;
    look.paintFrame = PaintPicker;
    return look;
}
