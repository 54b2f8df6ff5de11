// The colour schemes and faces of the dialogs, by template id.
#include "platform/DialogLook.h"

namespace {
SDialogScheme Dark(uint32_t text, EDialogFace font)
{
    SDialogScheme s;
    s.text = text;
    s.face = DialogRgb(0, 0, 0);
    s.dark = true;
    s.font = font;
    return s;
}
}

SDialogScheme DialogSchemeOf(int templateId)
{
    switch (templateId) {
    case 100: {  // about
        SDialogScheme s;
        s.font = EDialogFace::Heavy;
        return s;
    }
    case 103: return Dark(DialogRgb(255, 0, 0), EDialogFace::Digital);     // options
    case 104: return Dark(DialogRgb(246, 203, 28), EDialogFace::Heavy);    // keyboard help
    case 105: return Dark(DialogRgb(0, 255, 0), EDialogFace::Digital);     // share
    default: return SDialogScheme{};
    }
}
