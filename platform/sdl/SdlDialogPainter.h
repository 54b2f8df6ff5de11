// What the SDL dialog host asks of the layer that draws the dialogs (ui/ hands it over at start):
// the fonts, a dialog's size and face, and the dialog itself over the window it opens on.
#pragma once

#include <imgui.h>

#include <string>
#include <vector>

class CDialog;

// Where a frame put each control, for the layout file of the end-to-end tests.
struct SDrawnControl {
    int id = -1;
    const char* kind = "";
    std::string text;
    ImVec2 min, max;  // in the window's pixels
};
struct SDrawnDialog {
    int templateId = 0;
    std::string caption;
    std::vector<SDrawnControl> controls;
};

struct SDialogCanvas {
    float scale = 1.0f;       // display scale
    ImVec2 area{640, 480};    // the owner window's size in points
    bool active = true;       // the topmost dialog: the only one that takes input
    bool ownWindow = false;   // the dialog has a window of its own and fills it
    bool opening = false;     // the dialog's first frame: nothing of a dialog before it stays taken
    unsigned iconTexture = 0; // the program's icon, 0 when it could not be loaded
    std::vector<SDrawnDialog>* drawn = nullptr;  // when set, each dialog drawn adds its layout
};

struct SDialogPainter {
    // Builds the fonts for a display scale (again only when the scale changed or letters are missing).
    void (*loadFonts)(float scale);
    // Texts asked for letters the fonts lack: build them again before the next frame.
    bool (*fontsNeedRebuild)();
    // A dialog's size in pixels (client area plus title bar), once the fonts are loaded.
    ImVec2 (*pixelSize)(const CDialog& dlg);
    // The colour of the dialog's face, which a window of its own is cleared to.
    ImU32 (*faceColor)(const CDialog& dlg);
    // Draws one dialog; what the mouse does to it is queued on it as commands.
    void (*draw)(CDialog& dlg, const SDialogCanvas& canvas);
};

// Null: nothing draws dialogs, and every dialog ends as cancelled, as with no display.
void SetDialogPainter(const SDialogPainter* painter);
const SDialogPainter* GetDialogPainter();
