// Input translation: SDL keys to virtual-key codes with the classic lParam bits, mouse to messages.
#include "platform/sdl/SdlKeys.h"

#include <SDL.h>

namespace {
constexpr WPARAM MK_LBUTTON = 0x0001, MK_RBUTTON = 0x0002, MK_SHIFT = 0x0004, MK_CONTROL = 0x0008,
                 MK_MBUTTON = 0x0010;

WPARAM MouseKeyState(uint32_t buttons)
{
    WPARAM w = 0;
    if (buttons & SDL_BUTTON_LMASK) w |= MK_LBUTTON;
    if (buttons & SDL_BUTTON_RMASK) w |= MK_RBUTTON;
    if (buttons & SDL_BUTTON_MMASK) w |= MK_MBUTTON;
    const SDL_Keymod mod = SDL_GetModState();
    if (mod & KMOD_SHIFT) w |= MK_SHIFT;
    if (mod & KMOD_CTRL) w |= MK_CONTROL;
    return w;
}
}

WPARAM VirtualKeyFromSdl(int keycode)
{
    if (keycode >= SDLK_a && keycode <= SDLK_z) return WPARAM('A' + (keycode - SDLK_a));
    if (keycode >= SDLK_0 && keycode <= SDLK_9) return WPARAM('0' + (keycode - SDLK_0));
    if (keycode >= SDLK_F1 && keycode <= SDLK_F12) return WPARAM(0x70 + (keycode - SDLK_F1));
    switch (keycode) {
    case SDLK_RETURN: case SDLK_KP_ENTER: return VK_RETURN;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_TAB: return VK_TAB;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL: case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT: case SDLK_RALT: return VK_MENU;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_UP: return VK_UP;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_HOME: return VK_HOME;
    case SDLK_END: return 0x23;
    case SDLK_PAGEUP: return 0x21;
    case SDLK_PAGEDOWN: return 0x22;
    case SDLK_INSERT: return 0x2D;
    case SDLK_DELETE: return 0x2E;
    default: return 0;
    }
}

bool TranslateInputEvent(const SDL_Event& e, STranslatedMessage* out)
{
    switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        const WPARAM vk = VirtualKeyFromSdl(e.key.keysym.sym);
        if (vk == 0) return false;
        const bool down = e.type == SDL_KEYDOWN;
        const bool alt = (e.key.keysym.mod & KMOD_ALT) != 0;
        // Keys while Alt is held, and Alt itself, are system keys.
        const bool sys = alt || vk == VK_MENU;
        out->message = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
        out->wParam = vk;
        LPARAM lp = 1 | (LPARAM(e.key.keysym.scancode & 0xFF) << 16);
        if (alt) lp |= kAltContextBit;
        if (!down || e.key.repeat) lp |= kPreviousStateBit;
        if (!down) lp |= LPARAM(1) << 31;
        out->lParam = lp;
        return true;
    }
    case SDL_MOUSEMOTION:
        out->message = WM_MOUSEMOVE;
        out->wParam = MouseKeyState(e.motion.state);
        out->lParam = MakeLParam(e.motion.x, e.motion.y);
        return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
        const bool down = e.type == SDL_MOUSEBUTTONDOWN;
        switch (e.button.button) {
        case SDL_BUTTON_LEFT: out->message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP; break;
        case SDL_BUTTON_RIGHT: out->message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP; break;
        case SDL_BUTTON_MIDDLE: out->message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
        default: return false;
        }
        out->wParam = MouseKeyState(SDL_GetMouseState(nullptr, nullptr));
        out->lParam = MakeLParam(e.button.x, e.button.y);
        return true;
    }
    default:
        return false;
    }
}
