// The keyboard help box's look: golden letters on black, in the heavy condensed face.
#include "dialogs/HelpDlg.h"
#include "ui/DialogUi.h"

SDialogLook HelpDlgLook() { return LookFromScheme(DialogSchemeOf(CHelpDlg::kTemplate)); }
