// SDL key and mouse events in the classic message vocabulary.
#pragma once

#include "platform/Messages.h"

union SDL_Event;

struct STranslatedMessage {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// The virtual-key code of an SDL key (SDL_Keycode); 0 when it has none.
WPARAM VirtualKeyFromSdl(int keycode);
// A key, button or motion event as a message; false for events that are not input.
bool TranslateInputEvent(const SDL_Event& e, STranslatedMessage* out);
