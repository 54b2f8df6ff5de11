// Drawing of every dialog with Dear ImGui: the controls of its template in its own look.
#pragma once

#include <imgui.h>

#include <cstdint>

class CDialog;
struct SDialogControl;

enum class EFontFace : uint8_t {
    Plain,    // the plain sans of text areas, tooltips and ordinary dialogs
    Digital,  // the segment-display face of the options and share dialogs
    Heavy,    // the heavy condensed face of the about and help boxes
};

// Draws what a frame control shows (previews, swatches); min and max in screen pixels.
using FramePainter = void (*)(CDialog& dlg, const SDialogControl& control, ImDrawList* draw, ImVec2 min, ImVec2 max);

struct SDialogLook {
    ImU32 text = IM_COL32(0, 0, 0, 255);
    ImU32 face = IM_COL32(240, 240, 240, 255);  // the dialog's background
    bool dark = false;                           // coloured text on black
    EFontFace font = EFontFace::Plain;
    FramePainter paintFrame = nullptr;
};

// The look of each dialog, by template id (one function per dialog, in its own file).
SDialogLook LookOf(int templateId);
SDialogLook ShareDlgLook();
SDialogLook AboutDlgLook();
SDialogLook HelpDlgLook();
SDialogLook OptionsDlgLook();
SDialogLook PlainDlgLook();
SDialogLook OrbGroupDlgLook();
SDialogLook ColorDlgLook();

struct SDialogCanvas {
    float scale = 1.0f;       // display scale
    ImVec2 area{640, 480};    // the owner window's size in points
    bool active = true;       // the topmost dialog: the only one that takes input
    bool ownWindow = false;   // the dialog has a window of its own and fills it
    unsigned iconTexture = 0; // the program's icon, 0 when it could not be loaded
};

// Draws one dialog; what the mouse does to its controls waits in the dialog's command queue.
void DrawDialog(CDialog& dlg, const SDialogCanvas& canvas);
// Size of a dialog in pixels (client area plus its title bar), once the fonts are loaded.
ImVec2 DialogPixelSize(const CDialog& dlg);
