// Drawing of every dialog with Dear ImGui: the controls of its template in its own look.
#pragma once

#include <imgui.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/DialogLook.h"
#include "platform/sdl/SdlDialogPainter.h"

class CDialog;
struct SDialogControl;

using EFontFace = EDialogFace;

// Draws what a frame control shows (previews, swatches); min and max in screen pixels.
using FramePainter = void (*)(CDialog& dlg, const SDialogControl& control, ImDrawList* draw, ImVec2 min, ImVec2 max);

struct SDialogLook {
    ImU32 text = IM_COL32(0, 0, 0, 255);
    ImU32 face = IM_COL32(240, 240, 240, 255);  // the dialog's background
    bool dark = false;                           // coloured text on black
    EFontFace font = EFontFace::Plain;
    FramePainter paintFrame = nullptr;
};

// The colours and face of a dialog's scheme (platform/DialogLook.cpp: one definition for every
// system), in ImGui's terms.
SDialogLook LookFromScheme(const SDialogScheme& scheme);
// The look of each dialog, by template id (one function per dialog, in its own file).
SDialogLook LookOf(int templateId);
SDialogLook ShareDlgLook();
SDialogLook AboutDlgLook();
SDialogLook HelpDlgLook();
SDialogLook OptionsDlgLook();
SDialogLook PlainDlgLook();
SDialogLook OrbGroupDlgLook();
SDialogLook ColorDlgLook();

// Draws one dialog; what the mouse does to its controls waits in the dialog's command queue.
void DrawDialog(CDialog& dlg, const SDialogCanvas& canvas);
// Size of a dialog in pixels (client area plus its title bar), once the fonts are loaded.
ImVec2 DialogPixelSize(const CDialog& dlg);
// The drawing of every dialog, as the SDL dialog host asks for it.
const SDialogPainter& DialogPainter();
