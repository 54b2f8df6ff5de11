// The about box's look: the ordinary light dialog colours, in the heavy condensed face.
#include "dialogs/AboutDlg.h"
#include "ui/DialogUi.h"

SDialogLook AboutDlgLook() { return LookFromScheme(DialogSchemeOf(CAboutDlg::kTemplate)); }
