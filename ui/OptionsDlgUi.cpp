// The options dialog's look: red on black, in the segment-display face.
#include "ui/DialogUi.h"

SDialogLook OptionsDlgLook()
{
    SDialogLook look;
    look.text = IM_COL32(255, 0, 0, 255);
    look.face = IM_COL32(0, 0, 0, 255);
    look.dark = true;
    look.font = EFontFace::Digital;
    return look;
}
