// The system's common dialogs answer the file and colour questions: GetOpenFileNameW and
// GetSaveFileNameW, ChooseColorW, owned by the program's window in front.
#include "platform/win32/Win32CommonDialogs.h"

#include <cstdio>

#include "platform/ColorDialog.h"
#include "platform/win32/CommonDialogs.h"
#include "platform/win32/ModalFocus.h"

namespace {
// The user's custom colours, kept while the program runs, as the dialog expects of its caller.
COLORREF g_customColors[16] = {};

HWND WindowInFront()
{
    if (HWND active = GetActiveWindow()) return active;
    HWND front = GetForegroundWindow();
    DWORD pid = 0;
    GetWindowThreadProcessId(front, &pid);
    return pid == GetCurrentProcessId() ? front : nullptr;
}

bool AskForFile(const SFileDialogOptions& options, std::string* path)
{
    SOpenFileName question(options, WindowInFront());
    const BOOL chosen = options.save ? GetSaveFileNameW(&question.ofn) : GetOpenFileNameW(&question.ofn);
    ReturnFocusTo(question.ofn.hwndOwner);
    if (!chosen) {
        // Cancel gives no error; anything else is said where the user can read it.
        if (const DWORD error = CommDlgExtendedError())
            std::fprintf(stderr, "nimbula: the file dialog failed (error %lu)\n", static_cast<unsigned long>(error));
        return false;
    }
    *path = question.ChosenPath();
    return !path->empty();
}

bool AskForColor(uint32_t initial, uint32_t* chosen)
{
    CHOOSECOLORW question = ColorQuestion(COLORREF(initial), WindowInFront(), g_customColors);
    const BOOL picked = ChooseColorW(&question);
    ReturnFocusTo(question.hwndOwner);
    if (!picked) return false;
    *chosen = uint32_t(question.rgbResult & 0xFFFFFF);
    return true;
}
}

void InstallWin32CommonDialogs()
{
    SetFileDialogHandler(AskForFile);
    SetColorDialogHandler(AskForColor);
}

void RemoveWin32CommonDialogs()
{
    SetFileDialogHandler(nullptr);
    SetColorDialogHandler(nullptr);
}
