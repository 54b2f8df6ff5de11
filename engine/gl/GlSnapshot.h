// The picture a frame drew, read back from the drawable before it is shown.
#pragma once

#include "engine/core/Dib.h"

// The width x height pixels of the current drawable's back buffer, top row first.
CDIB ReadBackBuffer(int width, int height);
