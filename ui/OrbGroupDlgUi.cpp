// The orb group dialog's look: the texture preview and the colour swatch in their frames.
#include "dialogs/OrbGroupDlg.h"
#include "engine/gl/GlCanvas.h"
#include "platform/sdl/SdlHost.h"
#include "ui/DialogUi.h"

namespace {
// The preview's texture, made again whenever the dialog makes a new preview.
struct SPreviewTexture {
    unsigned texture = 0;
    const void* dialog = nullptr;
    unsigned revision = 0;
};
SPreviewTexture g_preview;

void ForgetPreview()
{
    GlDeleteTexture(g_preview.texture);
    g_preview = SPreviewTexture();
}

unsigned PreviewTexture(const COrbGroupDlg& dlg)
{
    static bool registered = false;
    if (!registered) {
        AddGlContextLossHandler(ForgetPreview);
        registered = true;
    }
    if (g_preview.dialog != &dlg || g_preview.revision != dlg.m_previewRevision) {
        ForgetPreview();
        g_preview.dialog = &dlg;
        g_preview.revision = dlg.m_previewRevision;
        if (dlg.m_preview) g_preview.texture = GlCreateTexture(*dlg.m_preview);
    }
    return g_preview.texture;
}

void PaintGroupFrame(CDialog& dlg, const SDialogControl& control, ImDrawList* draw, ImVec2 min, ImVec2 max)
{
    auto& group = static_cast<COrbGroupDlg&>(dlg);
    if (control.id == COrbGroupDlg::kSwatchId) {
        const COLORREF c = group.SwatchColor();
        draw->AddRectFilled(min, max, IM_COL32(c & 255, (c >> 8) & 255, (c >> 16) & 255, 255));
    } else if (control.id == COrbGroupDlg::kPreviewId) {
        if (const unsigned texture = PreviewTexture(group))
            draw->AddImage(ImTextureID(intptr_t(texture)), min, max);
    }
}
}

SDialogLook OrbGroupDlgLook()
{
    SDialogLook look;
    look.paintFrame = PaintGroupFrame;
    return look;
}
