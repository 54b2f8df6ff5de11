// The options dialog's look: red on black, in the segment-display face.
#include "dialogs/OptionsDlg.h"
#include "ui/DialogUi.h"

SDialogLook OptionsDlgLook() { return LookFromScheme(DialogSchemeOf(COptionsDlg::kTemplate)); }
