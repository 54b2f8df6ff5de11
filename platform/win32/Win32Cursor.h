// A cursor made from a picture (the sight over the universe).
#pragma once

#include <string>

#include "platform/win32/Win32.h"

// A colour cursor from a picture, its hot spot in the middle (the sight); null when the picture
// cannot be read. The caller destroys it (DestroyCursor).
HCURSOR CreateCursorFromPicture(const std::string& image);
