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

CHelpDlg::CHelpDlg() : CDialog(kTemplate, "", 300, 226, EDialogFrame::Border)
{
    AddControl(EControl::GroupBox, -1, "Quillon Nimbula Keyboard Controls", 7, 4, 286, 190);
    int y = 18;
    for (const char* text : kLetterKeys) {
        AddControl(EControl::Static, -1, text, 16, y, 128, 10);
        y += 12;
    }
    y = 18;
    for (const char* text : kCameraKeys) {
        AddControl(EControl::Static, -1, text, 150, y, 136, 10);
        y += 12;
    }
    AddControl(EControl::Static, -1, "NO MODIFIER - The arrow keys are used to move the camera around the Universe", 16,
               128, 270, 10);
    AddControl(EControl::Static, -1,
               "ESC, Space, and Return will always stop Nimbula if you have it running in screen saver mode.", 16, 142,
               270, 18);
    AddControl(EControl::Static, -1,
               "MOUSE - After pressing M, you can \"hit\" balls by clicking on them with the left button. Click with "
               "the right to hook the camera to the ball.",
               16, 162, 270, 26);
    AddControl(EControl::DefPushButton, IDOK, "OK", 243, 202, 50, 16);
    AddControl(EControl::Edit, 1013, "", 7, 202, 228, 16, kMultiline | kReadOnly);
}
