// SDL's top-level windows of each kind and their pictures.
#include "platform/sdl/SdlWindows.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

#include "engine/core/Dib.h"
#include "platform/Wnd.h"
#include "platform/sdl/SdlX11Windows.h"

namespace {
SDL_Surface* SurfaceOf(CDIB& dib)
{
    return SDL_CreateRGBSurfaceWithFormatFrom(dib.Pixels(), dib.GetWidth(), dib.GetHeight(), 32, dib.GetWidth() * 4,
                                              SDL_PIXELFORMAT_RGBA32);
}
}

SDL_Window* CreateDesktopWindow(const RECT& rect, bool shown)
{
    SDL_SetHint(SDL_HINT_X11_WINDOW_TYPE, "_NET_WM_WINDOW_TYPE_DESKTOP");
    SDL_Window* window = SDL_CreateWindow("Nimbula", int(rect.left), int(rect.top), int(std::max<long>(1, RectWidth(rect))),
                                          int(std::max<long>(1, RectHeight(rect))),
                                          SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_SKIP_TASKBAR | SDL_WINDOW_HIDDEN);
    SDL_SetHint(SDL_HINT_X11_WINDOW_TYPE, "_NET_WM_WINDOW_TYPE_NORMAL");
    if (!window) return nullptr;
    MarkDesktopWindow(window);
    if (shown) SDL_ShowWindow(window);
    return window;
}

SDL_Window* CreateFullScreenWindow(const RECT& rect, bool skipTaskbar, bool shown)
{
    // SDL's own full-screen switch waits for a window manager that may not exist.
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN;
    if (skipTaskbar) flags |= SDL_WINDOW_SKIP_TASKBAR;
    // A Wayland compositor places and sizes its windows itself: only full screen on the output
    // under rect covers it (SDL picks the output from the window's place).
    if (!SdlOnX11()) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    SDL_Window* window = SDL_CreateWindow("Nimbula", int(rect.left), int(rect.top), int(std::max<long>(1, RectWidth(rect))),
                                          int(std::max<long>(1, RectHeight(rect))), flags);
    if (!window) return nullptr;
    MarkFullScreenWindow(window);
    if (shown) SDL_ShowWindow(window);
    return window;
}

bool FitInWorkArea(SDL_Window* window)
{
    SDL_Rect area;
    const int display = SDL_GetWindowDisplayIndex(window);
    if (display < 0 || SDL_GetDisplayUsableBounds(display, &area) != 0) return false;
    int top = 0, left = 0, bottom = 0, right = 0;
    if (SDL_GetWindowBordersSize(window, &top, &left, &bottom, &right) != 0) top = left = bottom = right = 0;
    const bool framed = top || left || bottom || right;
    int x = 0, y = 0, w = 0, h = 0, minW = 0, minH = 0;
    SDL_GetWindowPosition(window, &x, &y);
    SDL_GetWindowSize(window, &w, &h);
    SDL_GetWindowMinimumSize(window, &minW, &minH);
    const int fitW = std::max(1, std::min(w, area.w - left - right));
    const int fitH = std::max(1, std::min(h, area.h - top - bottom));
    // A minimum larger than the screen's room gives way: the whole frame in view comes first.
    if (minW > fitW || minH > fitH) SDL_SetWindowMinimumSize(window, std::min(minW, fitW), std::min(minH, fitH));
    if (fitW != w || fitH != h) SDL_SetWindowSize(window, fitW, fitH);
    const int fx = std::clamp(x, area.x + left, std::max(area.x + left, area.x + area.w - right - fitW));
    const int fy = std::clamp(y, area.y + top, std::max(area.y + top, area.y + area.h - bottom - fitH));
    if (fx != x || fy != y) SDL_SetWindowPosition(window, fx, fy);
    return framed;
}

void ApplyWindowIcon(SDL_Window* window)
{
    if (WindowIconImage().empty()) return;
    try {
        CDIB dib(WindowIconImage());
        if (SDL_Surface* s = SurfaceOf(dib)) {
            SDL_SetWindowIcon(window, s);
            SDL_FreeSurface(s);
        }
    } catch (...) {
        // A missing icon leaves the desktop's default one.
    }
}

SDL_Cursor* CreateCursorFromPicture(const std::string& image)
{
    SDL_Cursor* cursor = nullptr;
    try {
        CDIB dib(image);
        // The sight keeps its size on the screen of a scaled desktop. A Wayland compositor scales
        // SDL's cursor pictures itself (SDL hands them over at scale 1).
        const float scale = OnWayland() ? 1.0f : DisplayScale(nullptr);
        if (scale > 1.0f) dib.FPRescale(int(dib.GetWidth() * scale + 0.5f), int(dib.GetHeight() * scale + 0.5f));
        if (SDL_Surface* s = SurfaceOf(dib)) {
            cursor = SDL_CreateColorCursor(s, dib.GetWidth() / 2, dib.GetHeight() / 2);
            SDL_FreeSurface(s);
        }
    } catch (...) {
        // A missing cursor picture leaves the system's arrow.
    }
    return cursor;
}

bool OnWayland()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver && std::strcmp(driver, "wayland") == 0;
}

SPixelRatio PixelRatioOf(SDL_Window* window)
{
    if (!window) return SPixelRatio{};
    int w = 0, h = 0, dw = 0, dh = 0;
    SDL_GetWindowSize(window, &w, &h);
    SDL_GL_GetDrawableSize(window, &dw, &dh);
    return PixelRatioOf(w, h, dw, dh);
}

namespace {
// SDL lists a Wayland output's modes largest first, its own size in pixels among them, and gives
// its bounds in the compositor's units.
double DisplayRatio(int display)
{
    SDL_Rect bounds;
    SDL_DisplayMode mode;
    if (!OnWayland() || SDL_GetDisplayBounds(display, &bounds) != 0 || SDL_GetDisplayMode(display, 0, &mode) != 0)
        return 1.0;
    return std::max(1.0, PixelRatioOf(bounds.w, bounds.h, mode.w, mode.h).x);
}
}

double DisplaysPixelRatio()
{
    double ratio = 1.0;
    for (int i = 0; i < SDL_GetNumVideoDisplays(); ++i) ratio = std::max(ratio, DisplayRatio(i));
    return ratio;
}

RECT DisplayPixelRect(int display)
{
    SDL_Rect b{};
    if (SDL_GetDisplayBounds(display, &b) != 0) return RECT{};
    const double r = DisplayRatio(display);
    return PixelsOf(RECT{b.x, b.y, b.x + b.w, b.y + b.h}, SPixelRatio{r, r});
}

float CompositorScale(SDL_Window* window)
{
    return float(window ? PixelRatioOf(window).x : DisplaysPixelRatio());
}

RECT WindowUnitsOf(const RECT& pixels)
{
    if (!OnWayland()) return pixels;
    double r = DisplaysPixelRatio();
    for (int i = 0; i < SDL_GetNumVideoDisplays(); ++i) {
        const RECT d = DisplayPixelRect(i);
        if (pixels.left >= d.left && pixels.left < d.right && pixels.top >= d.top && pixels.top < d.bottom) {
            r = DisplayRatio(i);
            break;
        }
    }
    return UnitsOf(pixels, SPixelRatio{r, r});
}
