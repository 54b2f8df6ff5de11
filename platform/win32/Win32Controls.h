// The common controls and the common dialogs beside Win32.h: their structures hold the system's
// rectangle, so they are read while RECT still names it. Include it instead of Win32.h.
#pragma once

#include "platform/win32/Win32.h"

#define RECT SYSTEM_RECT
#include <commctrl.h>
#include <commdlg.h>
#undef RECT
