// The keyboard back with our window when a modal window over it closes (a dialog, a message box,
// a system dialog, a control's menu): the system should hand it back itself, but under a window
// manager on X (Wine) it may go to the manager instead, and a closed menu may leave the mouse held.
#pragma once

#include "platform/win32/Win32.h"

// Lets go of a mouse capture our thread holds and of any cursor clip, so that no window left over
// (Wine's clip window) keeps the clicks.
void ReleaseMouseHolds();

// After a modal window over OWNER (one of ours) closed: no mouse hold left, OWNER in front and
// active, the keyboard within it (a child of it that has the focus keeps it).
void ReturnFocusTo(HWND owner);
