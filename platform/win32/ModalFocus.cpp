// The keyboard back with our window after a modal window over it closed.
#include "platform/win32/ModalFocus.h"

#include <algorithm>

void ReleaseMouseHolds()
{
    if (GetCapture()) ReleaseCapture();
    // Wine clips the cursor to a full-screen window in front by itself, with a window over the
    // screen, and lets go of a clip as large as the screen only after a smaller one: first one
    // pixel smaller, then none (on Windows the same two calls end any clip as well).
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const SYSTEM_RECT smaller{left, top, left + std::max(1, GetSystemMetrics(SM_CXVIRTUALSCREEN) - 1),
                              top + std::max(1, GetSystemMetrics(SM_CYVIRTUALSCREEN) - 1)};
    ClipCursor(&smaller);
    ClipCursor(nullptr);
}

void ReturnFocusTo(HWND owner)
{
    ReleaseMouseHolds();
    if (!owner || !IsWindow(owner) || !IsWindowVisible(owner)) return;
    DWORD pid = 0;
    if (GetWindowThreadProcessId(owner, &pid) != GetCurrentThreadId() || pid != GetCurrentProcessId()) return;
    SetForegroundWindow(owner);
    SetActiveWindow(owner);
    HWND focus = GetFocus();
    if (!focus || (focus != owner && !IsChild(owner, focus))) SetFocus(owner);
}
