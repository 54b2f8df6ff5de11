// The share dialog's look: green letters on black, in the segment-display face.
#include "ui/DialogUi.h"

SDialogLook ShareDlgLook()
{
    SDialogLook look;
    look.text = IM_COL32(0, 255, 0, 255);
    look.face = IM_COL32(0, 0, 0, 255);
    look.dark = true;
    look.font = EFontFace::Digital;
    return look;
}
