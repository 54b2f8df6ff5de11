// The colour question's replaceable handler, as the file question has one: the system's colour
// dialog answers it on Windows (and tests do); without one the program's own dialog asks.
#pragma once

#include <cstdint>
#include <functional>

// Colours packed as COLORREF packs them: red in the low byte, then green, then blue. True with
// the chosen colour, false when the user cancelled.
using ColorDialogHandler = std::function<bool(uint32_t initial, uint32_t* chosen)>;

// Installs a handler; returns the previous one.
ColorDialogHandler SetColorDialogHandler(ColorDialogHandler handler);
const ColorDialogHandler& GetColorDialogHandler();
