// The share dialog's look: green letters on black, in the segment-display face.
#include "dialogs/ShareDlg.h"
#include "ui/DialogUi.h"

SDialogLook ShareDlgLook() { return LookFromScheme(DialogSchemeOf(CShareDlg::kTemplate)); }
