// <windows.h> beside our own window vocabulary: our RECT, message names and dialog answers keep
// their meaning; the system's rectangle is SYSTEM_RECT, its PostQuitMessage is
// SystemPostQuitMessage (ours posts to the program's own queue), and the macros that would rename
// our methods (PostMessage, SendMessage, CreateWindow, MessageBox) are gone. Include it instead of
// <windows.h>, and before any other system header that needs <windows.h>.
#pragma once

#include "engine/math/Rect.h"
#include "platform/Dialog.h"
#include "platform/MessageBox.h"
#include "platform/Messages.h"

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#define RECT SYSTEM_RECT
#define PostQuitMessage SystemPostQuitMessage
#include <windows.h>
#include <windowsx.h>
#include <shellapi.h>
#undef PostQuitMessage
#undef RECT
#undef CreateWindow
#undef PostMessage
#undef SendMessage
#undef MessageBox
#undef DrawText

inline SYSTEM_RECT ToSystemRect(const RECT& r) { return SYSTEM_RECT{r.left, r.top, r.right, r.bottom}; }
inline RECT FromSystemRect(const SYSTEM_RECT& r) { return RECT{r.left, r.top, r.right, r.bottom}; }
