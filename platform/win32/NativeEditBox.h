// The native dialogs' edit boxes: Ctrl+A, Ctrl+P and a paste too long refused as the drawn
// dialogs do (NativeEditBox.cpp).
#pragma once

#include "platform/win32/Win32.h"

// Gives an edit box of a native dialog that behaviour; the hook leaves with the box.
void HookEditBox(HWND edit);
