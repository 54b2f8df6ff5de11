// The keyboard help box's template: the commands in two columns, the long notes below them.
#include "dialogs/HelpDlg.h"

namespace {
const char* const kLetterKeys[] = {
    "A  -  About box, as in display it",
    "B  -  Le Big Bang, try it!",
    "C -  Cool down the Universe",
    "H - Help, you're looking at it",
    "M - Mouse tracking on",
    "O - Open the options controls dialog",
    "S - Share your Universe",
    "V - Go to the Quillon Website",
    "W - Warm up the Universe",
};
const char* const kCameraKeys[] = {
    "Left Arrow - Move and turn to left",
    "Right Arrow - Move and turn to right",
    "Up Arrow - Move and turn up",
    "Down Arrow - Move and turn down",
    "Home Key - Reset the view to starting location",
};
}

CHelpDlg::CHelpDlg() : CDialog(kTemplate, "", 330, 204, EDialogFrame::Border)
{
    AddControl(EControl::GroupBox, -1, "Quillon Nimbula Keyboard Controls", 7, 4, 316, 170);
    int y = 16;
    for (const char* text : kLetterKeys) {
        AddControl(EControl::Static, -1, text, 16, y, 150, 9);
        y += 10;
    }
    y = 16;
    for (const char* text : kCameraKeys) {
        // Two lines' room: the longest of them wraps.
        AddControl(EControl::Static, -1, text, 172, y, 146, 18);
        y += 10;
    }
    AddControl(EControl::Static, -1, "NO MODIFIER - The arrow keys are used to move the camera around the Universe", 16,
               110, 300, 9);
    AddControl(EControl::Static, -1,
               "ESC, Space, and Return will always stop Nimbula if you have it running in screen saver mode.", 16, 121,
               300, 18);
    AddControl(EControl::Static, -1,
               "MOUSE - After pressing M, you can \"hit\" balls by clicking on them with the left button. Click with "
               "the right to hook the camera to the ball.",
               16, 142, 300, 20);
    AddControl(EControl::DefPushButton, IDOK, "OK", 273, 182, 50, 14);
    AddControl(EControl::Edit, 1013, "", 7, 182, 258, 14, kMultiline | kReadOnly);
}
