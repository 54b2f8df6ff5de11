// The system's message box: the same button and icon numbers as AfxMessageBox's, text in UTF-16,
// owned by the window the user looks at, so it shows above a full-screen saver too.
#include "platform/win32/Win32MessageBox.h"

#include <cstdio>

#include "platform/win32/ModalFocus.h"
#include "platform/win32/Utf8.h"
#include "platform/win32/Win32.h"

namespace {
int ShowSystemBox(const std::string& text, unsigned type)
{
    HWND owner = GetActiveWindow();
    const int pressed = MessageBoxW(owner, Widen(text).c_str(), L"Nimbula", type | MB_SETFOREGROUND | MB_TOPMOST);
    ReturnFocusTo(owner);
    if (pressed == 0) {
        // No box could be shown: the text must still reach the user.
        std::fprintf(stderr, "%s\n", text.c_str());
        std::fflush(stderr);
        return (type & 0xF) == MB_YESNO ? IDYES : IDOK;
    }
    return pressed;
}
}

void InstallWin32MessageBoxes() { SetMessageBoxHandler(ShowSystemBox); }
