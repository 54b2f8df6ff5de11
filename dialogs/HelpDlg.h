// The keyboard help box: every key of the running universe, golden text on black.
#pragma once

#include "platform/Dialog.h"

class CHelpDlg : public CDialog {
public:
    static constexpr int kTemplate = 104;
    static constexpr unsigned kTextColor = 0x1CCBF6;  // COLORREF of RGB(246, 203, 28)

    CHelpDlg();
};
