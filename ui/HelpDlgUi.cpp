// The keyboard help box's look: golden letters on black, in the heavy condensed face.
#include "ui/DialogUi.h"

SDialogLook HelpDlgLook()
{
    SDialogLook look;
    look.text = IM_COL32(246, 203, 28, 255);
    look.face = IM_COL32(0, 0, 0, 255);
    look.dark = true;
    look.font = EFontFace::Heavy;
    return look;
}
