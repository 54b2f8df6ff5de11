// The about box's look: the ordinary light dialog colours, in the heavy condensed face.
#include "ui/DialogUi.h"

SDialogLook AboutDlgLook()
{
    SDialogLook look;
    look.font = EFontFace::Heavy;
    return look;
}
