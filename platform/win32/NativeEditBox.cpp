// The native dialogs' edit boxes, made to behave as the drawn dialogs' ones do.
#include "platform/win32/NativeEditBox.h"

#include <cwchar>

#include "platform/Dialog.h"
#include "platform/MessageBox.h"
#include "platform/win32/ModalFocus.h"
#include "platform/win32/Win32.h"

#include <commctrl.h>

// The edit boxes as the drawn dialogs have them: Ctrl+A selects all and Ctrl+P pastes (the
// share dialog's note has always said so; the system's box knows neither), and a paste the box
// cannot hold whole is refused with the message, the box keeping what it had (the system's
// box would take as much of it as fits, over the selection).
namespace {
constexpr UINT_PTR kEditHookId = 0x4E45;

size_t ClipboardTextLength(HWND owner)
{
    size_t n = 0;
    if (!OpenClipboard(owner)) return 0;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* text = static_cast<const wchar_t*>(GlobalLock(data))) {
            n = wcslen(text);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return n;
}

LRESULT CALLBACK EditHook(HWND h, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    if (message == WM_CHAR && wParam == 1) {  // Ctrl+A
        SendMessageW(h, EM_SETSEL, 0, -1);
        return 0;
    }
    if (message == WM_CHAR && wParam == 16) {  // Ctrl+P
        SendMessageW(h, WM_PASTE, 0, 0);
        return 0;
    }
    if (message == WM_PASTE && !(GetWindowLongPtrW(h, GWL_STYLE) & ES_READONLY)) {
        const size_t limit = size_t(SendMessageW(h, EM_GETLIMITTEXT, 0, 0));
        DWORD from = 0, to = 0;
        SendMessageW(h, EM_GETSEL, WPARAM(&from), LPARAM(&to));
        const size_t kept = size_t(GetWindowTextLengthW(h)) - (to > from ? to - from : 0);
        if (kept + ClipboardTextLength(h) > limit) {
            AfxMessageBox(TextTooLongMessage(limit), MB_OK | MB_ICONWARNING);
            return 0;
        }
    }
    if (message == WM_CONTEXTMENU) {
        // The box's own menu runs to its end in here; closed, it may leave the mouse held (Wine).
        const LRESULT result = DefSubclassProc(h, message, wParam, lParam);
        ReleaseMouseHolds();
        return result;
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(h, EditHook, kEditHookId);
    return DefSubclassProc(h, message, wParam, lParam);
}
}  // namespace

void HookEditBox(HWND edit) { SetWindowSubclass(edit, EditHook, kEditHookId, 0); }
