// The SDL2 host: native and foreign X11 windows sharing one OpenGL context, child windows of our
// own inside them, events, signals (the X connection of its own: SdlHostX11.cpp). Everything it
// hands upwards is in pixels; SDL's window units (the compositor's on Wayland) stay here.
#include "platform/sdl/SdlHost.h"

#include <SDL.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "engine/gl/GlReadout.h"
#include "engine/gl/GlRenderer.h"
#include "platform/App.h"
#include "platform/Host.h"
#include "platform/MessageQueue.h"
#include "platform/WindowTree.h"
#include "platform/Wnd.h"
#include "platform/sdl/SdlHostWindow.h"
#include "platform/sdl/SdlKeys.h"
#include "platform/sdl/SdlSignals.h"
#include "platform/sdl/SdlWindows.h"
#include "platform/sdl/SdlX11Windows.h"
#include "platform/x11/X11Windows.h"

void CSdlWindow::GetWindowRect(RECT* rect) const
{
    if (m_parent) {
        RECT p;
        m_parent->GetWindowRect(&p);
        *rect = {p.left + m_childRect.left, p.top + m_childRect.top, p.left + m_childRect.right,
                 p.top + m_childRect.bottom};
        return;
    }
    if (!m_window) {
        *rect = m_childRect;
        return;
    }
    if (m_foreign) {
        *rect = m_foreignRect;
        return;
    }
    int x = 0, y = 0, w = 0, h = 0;
    SDL_GetWindowPosition(m_window, &x, &y);
    SDL_GetWindowSize(m_window, &w, &h);
    *rect = PixelsOf(RECT{x, y, x + w, y + h}, PixelRatioOf(m_window));
}

void CSdlWindow::GetClientRect(RECT* rect) const
{
    RECT r;
    GetWindowRect(&r);
    *rect = {0, 0, RectWidth(r), RectHeight(r)};
}

void CSdlWindow::FocusSystemWindow()
{
    // Like the classic call, focus moves only within a program that has it already.
    if (m_foreign || m_noFocus || !m_window) return;
    SDL_Window* focused = SDL_GetKeyboardFocus();
    if (focused && !OwnsWindow(focused)) SDL_SetWindowInputFocus(m_window);
}

void CSdlWindow::MakePaneCurrent(int pane) { m_host->MakeCurrent(this, pane); }


void CSdlWindow::GetPaneRect(int pane, RECT* rect) const
{
    if (pane <= 0 || pane > int(m_extra.size())) {
        GetWindowRect(rect);
        return;
    }
    SDL_Window* window = m_extra[size_t(pane - 1)].window;
    int x = 0, y = 0, w = 0, h = 0;
    SDL_GetWindowPosition(window, &x, &y);
    SDL_GetWindowSize(window, &w, &h);
    *rect = PixelsOf(RECT{x, y, x + w, y + h}, PixelRatioOf(window));
}

void CSdlWindow::ShowPane(int pane)
{
    // The pane's window is the current one: SDL swaps no other.
    m_host->DrawReadout(this, pane);
    SDL_GL_SwapWindow(PaneWindow(pane));
}

void CSdlWindow::Destroy() { m_host->DestroyWindow(this); }

bool CSdlWindow::IsHidden() const
{
    if (m_parent) return m_parent->IsHidden();
    if (!m_foreign && m_host->ScreenOff()) return true;
    // On every monitor it is hidden only when every monitor's window is.
    if (!m_visibility.Hidden()) return false;
    for (const SSdlPane& p : m_extra)
        if (!p.visibility.Hidden()) return false;
    return true;
}

namespace {
std::vector<void (*)()> g_contextLossHandlers;
void (*g_scaleListener)(float scale) = nullptr;

void ContextLost()
{
    for (void (*handler)() : std::vector<void (*)()>(g_contextLossHandlers)) handler();
}
}  // namespace

CSdlHost::CSdlHost(const SHostOptions& options) : m_options(options)
{
    // The saver of a Wayland session runs natively, where SDL2 would take XWayland whenever
    // DISPLAY is set: only there does it cover every output full screen. Asked before anything
    // looks at the display; SDL_VIDEODRIVER set by the user still decides.
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (options.run == SHostOptions::ERun::ScreenSaver && wayland && *wayland)
        SDL_SetHint(SDL_HINT_VIDEODRIVER, "wayland,x11");
}

CSdlHost::~CSdlHost()
{
    for (auto& [path, cursor] : m_cursors) SDL_FreeCursor(cursor);
    if (m_context) {
        ContextLost();
        if (m_pRenderer) m_pRenderer->AbandonContext();
        if (m_pReadout) m_pReadout->AbandonContext();
        SDL_GL_DeleteContext(m_context);
    }
    if (GetSceneRenderer() == m_pRenderer) SetSceneRenderer(nullptr);
    delete m_pRenderer;
    delete m_pReadout;
    m_x.Close();
    if (m_video) {
        SDL_EnableScreenSaver();
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }
}

bool CSdlHost::EnsureVideo()
{
    if (m_video) return true;
    if (m_videoFailed) return false;
    // Said once: a second try would only say it again.
    m_videoFailed = true;
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // A full-screen saver must not vanish when a notification takes the focus.
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
    // SDL puts back at its quit the handler it found at its start, and only then closes its
    // connections, which reads errors still pending on them (a wake-up sent to a window that has
    // just gone): the handler it finds must be ours, or Xlib's default ends a clean exit with 1.
    IgnoreX11Errors();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "nimbula: cannot open the display %s: %s\n", DisplayName().c_str(), SDL_GetError());
        return false;
    }
    // Without a display SDL falls back to drawing off screen, where nobody would see the universe.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || std::string(driver) == "offscreen" || std::string(driver) == "dummy") {
        std::fprintf(stderr, "nimbula: no display to show the universe on\n");
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    m_video = true;
    m_videoFailed = false;
    // SDL's start put in a handler of its own (it resets screen modes on any error, then calls
    // ours). Nothing later replaces ours: GL contexts, windows made from foreign ones and SDL's
    // quit each put back the handler they found.
    IgnoreX11Errors();
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    if (g_scaleListener) g_scaleListener(DisplayScale(nullptr));
    return true;
}

void CSdlHost::TellScale(CSdlWindow* w)
{
    if (w->m_foreign || !OnWayland()) return;
    const float scale = DisplayScale(w->m_window);
    if (scale == w->m_scale) return;
    w->m_scale = scale;
    if (g_scaleListener) g_scaleListener(scale);
}

bool CSdlHost::EnsureContext(SDL_Window* window)
{
    if (m_context) return true;
    m_context = SDL_GL_CreateContext(window);
    if (!m_context) {
        std::fprintf(stderr, "nimbula: no OpenGL 3.3 context: %s\n", SDL_GetError());
        return false;
    }
    SDL_GL_MakeCurrent(window, m_context);
    // Vsync only when the pace is left to us; measuring asks for every frame the machine can make.
    SDL_GL_SetSwapInterval(m_options.pace < 0 ? 1 : 0);
    if (!m_pRenderer) m_pRenderer = new CGlRenderer;
    SetSceneRenderer(m_pRenderer);
    return true;
}

void CSdlHost::AddMonitorPanes(CSdlWindow* w, const RECT& first, uint32_t exStyle, uint32_t style)
{
    const bool shown = (style & WS_VISIBLE) != 0;
    for (const RECT& monitor : Monitors()) {
        if (monitor == first) continue;
        const RECT units = WindowUnitsOf(monitor);
        SDL_Window* window = (exStyle & WS_EX_DESKTOP) ? CreateDesktopWindow(units, shown)
                                                       : CreateFullScreenWindow(units, (exStyle & WS_EX_TOOLWINDOW) != 0, shown);
        if (!window) {
            std::fprintf(stderr, "nimbula: no window for the monitor at %ld,%ld: %s\n", long(monitor.left),
                         long(monitor.top), SDL_GetError());
            continue;
        }
        SDL_GL_MakeCurrent(w->m_window, m_context);
        SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 1);
        SSdlPane pane;
        pane.window = window;
        pane.context = SDL_GL_CreateContext(window);
        SDL_GL_SetAttribute(SDL_GL_SHARE_WITH_CURRENT_CONTEXT, 0);
        if (!pane.context) {
            std::fprintf(stderr, "nimbula: no OpenGL context for the monitor at %ld,%ld: %s\n", long(monitor.left),
                         long(monitor.top), SDL_GetError());
            SDL_DestroyWindow(window);
            continue;
        }
        // One wait for the display's refresh per frame: the first monitor's window keeps it.
        SDL_GL_SetSwapInterval(0);
        ApplyWindowIcon(window);
        pane.xid = WatchVisibility(window);
        w->m_extra.push_back(pane);
    }
    SDL_GL_MakeCurrent(w->m_window, m_context);
    // A window manager may have given the focus to the last window mapped: the saver's keys go
    // to its first window, as they do on one monitor.
    if (!w->m_extra.empty() && shown && !(exStyle & WS_EX_DESKTOP)) ActivateWindow(w->m_window);
}

void CSdlHost::DrawReadout(CSdlWindow* w, int pane)
{
    if (!m_options.showFps || !m_context) return;
    // Every frame shows the first monitor's window once: it counts the frames.
    if (pane == 0) w->m_rate.FramePresented(double(SDL_GetPerformanceCounter()) / double(SDL_GetPerformanceFrequency()));
    MakeCurrent(w, pane);
    int dw = 0, dh = 0;
    DrawableSize(w, pane, &dw, &dh);
    if (!m_pReadout) m_pReadout = new CGlReadout;
    m_pReadout->Draw(w->m_rate.Text(), dw, dh);
}

void CSdlHost::ApplyCursor(const std::string& image)
{
    if (image.empty()) return;
    auto it = m_cursors.find(image);
    if (it == m_cursors.end()) it = m_cursors.emplace(image, CreateCursorFromPicture(image)).first;
    if (it->second) SDL_SetCursor(it->second);
}

IWindowBackend* CSdlHost::CreateWindow(CWnd* owner, CWnd* parent, uint32_t exStyle, uint32_t style,
                                       const RECT& rect, long nativeParent)
{
    if (!EnsureVideo()) return nullptr;
    auto* w = new CSdlWindow;
    w->m_host = this;
    w->m_owner = owner;
    if (parent && parent->Backend() && !parent->Backend()->IsForeign()) {
        // A pane of one of our windows: no window of its own, a rectangle of the parent's.
        auto* p = static_cast<CSdlWindow*>(parent->Backend());
        w->m_parent = p;
        w->m_window = p->m_window;
        w->m_childRect = rect;
        m_tree.Add(w);
        return w;
    }
    // SDL places and sizes in window units; the size in pixels is set again below once the window
    // knows its output's scale.
    const RECT units = WindowUnitsOf(rect);
    const int width = int(std::max<long>(1, RectWidth(units)));
    const int height = int(std::max<long>(1, RectHeight(units)));
    const Uint32 shown = (style & WS_VISIBLE) ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN;

    if (nativeParent != 0) {
        if (!ForeignWindowsReachable()) {
            delete w;
            return nullptr;
        }
        w->m_foreign = nativeParent == -1 ? m_x.Root() : (unsigned long)nativeParent;
        if (!ReadForeignRect(w->m_foreign, &w->m_foreignRect)) {
            delete w;
            return nullptr;
        }
        // SDL passes on no exposure of a window it did not make: watch for them on our connection.
        m_x.WatchExposures(w->m_foreign);
        SDL_SetHint(SDL_HINT_VIDEO_FOREIGN_WINDOW_OPENGL, "1");
        w->m_window = SDL_CreateWindowFrom(reinterpret_cast<void*>(uintptr_t(w->m_foreign)));
    } else if (exStyle & WS_EX_DESKTOP) {
        w->m_window = CreateDesktopWindow(units, shown == SDL_WINDOW_SHOWN);
        w->m_noFocus = true;
    } else if (style & WS_POPUP) {
        w->m_window = CreateFullScreenWindow(units, (exStyle & WS_EX_TOOLWINDOW) != 0, shown == SDL_WINDOW_SHOWN);
        if (w->m_window && shown == SDL_WINDOW_SHOWN) ActivateWindow(w->m_window);
    } else {
        w->m_window = SDL_CreateWindow("Nimbula", int(units.left), int(units.top), width, height,
                                       SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI | shown);
        const SPixelRatio ratio = PixelRatioOf(w->m_window);
        if (w->m_window && RectWidth(PixelsOf(units, ratio)) != RectWidth(rect))
            SDL_SetWindowSize(w->m_window, UnitsOf(RectWidth(rect), ratio.x), UnitsOf(RectHeight(rect), ratio.y));
        if (w->m_window && owner->m_minTrackWidth > 0 && owner->m_minTrackHeight > 0)
            SDL_SetWindowMinimumSize(w->m_window, UnitsOf(owner->m_minTrackWidth, ratio.x), UnitsOf(owner->m_minTrackHeight, ratio.y));
        w->m_fitPending = w->m_window && shown == SDL_WINDOW_SHOWN && !FitInWorkArea(w->m_window);
        // An ordinary window (the editing frame) takes the focus when it opens, as a program the
        // user just started should.
        if (w->m_window && shown == SDL_WINDOW_SHOWN) ActivateWindow(w->m_window);
    }
    if (!w->m_window) {
        std::fprintf(stderr, "nimbula: cannot make a window: %s\n", SDL_GetError());
        delete w;
        return nullptr;
    }
    if (!EnsureContext(w->m_window)) {
        SDL_DestroyWindow(w->m_window);
        delete w;
        return nullptr;
    }
    SDL_GL_MakeCurrent(w->m_window, m_context);
    m_tree.Add(w);
    if (!w->m_foreign && (exStyle & WS_EX_ALLMONITORS) && ((exStyle & WS_EX_DESKTOP) || (style & WS_POPUP)))
        AddMonitorPanes(w, rect, exStyle, style);
    if (!w->m_foreign) {
        ApplyWindowIcon(w->m_window);
        w->m_xid = WatchVisibility(w->m_window);
        ApplyCursor(owner->m_cursorImage);
        // Our own window keeps the system's screen saver and blanking away while it exists.
        if (m_inhibitors++ == 0) SDL_DisableScreenSaver();
    }
    return w;
}

void CSdlHost::DrawableSize(const CSdlWindow* w, int pane, int* width, int* height) const
{
    // SDL does not track the size of a window it did not make.
    if (w->m_foreign) {
        *width = int(RectWidth(w->m_foreignRect));
        *height = int(RectHeight(w->m_foreignRect));
    } else {
        SDL_GL_GetDrawableSize(w->PaneWindow(pane), width, height);
    }
}

void CSdlHost::MakeCurrent(CSdlWindow* w, int pane)
{
    if (!m_context || w->m_gone || !w->m_window) return;
    SDL_Window* window = w->PaneWindow(pane);
    SDL_GL_MakeCurrent(window, w->PaneContext(pane, m_context));
    if (w->m_parent) {
        // The child's rectangle of the shared drawable (in its pixels, as every rectangle above
        // the host is), from its bottom left corner.
        CSdlWindow* top = w->TopWindow();
        int dw = 0, dh = 0;
        DrawableSize(top, 0, &dw, &dh);
        const CPoint offset = w->OffsetInTop();
        const RECT& r = w->m_childRect;
        const int cw = std::max(1, int(RectWidth(r))), ch = std::max(1, int(RectHeight(r)));
        if (m_pRenderer) m_pRenderer->SetDrawableSize(cw, ch, w->m_window, offset.x, dh - offset.y - ch);
        return;
    }
    int dw = 0, dh = 0;
    DrawableSize(w, pane, &dw, &dh);
    if (m_pRenderer) m_pRenderer->SetDrawableSize(dw, dh, window);
}

void CSdlHost::DestroyWindow(CSdlWindow* w)
{
    const bool child = w->m_parent != nullptr;
    // A child that outlives its parent keeps its place but draws nowhere.
    for (CTreeWindow* orphan : m_tree.Remove(w)) static_cast<CSdlWindow*>(orphan)->m_window = nullptr;
    if (child) {
        w->m_window = nullptr;
        return;
    }
    if (!w->m_foreign && --m_inhibitors == 0) SDL_EnableScreenSaver();
    if (m_tree.Windows().empty() && m_context) {
        // The context goes with the last window; the renderer starts afresh with the next one.
        ContextLost();
        if (m_pRenderer) m_pRenderer->AbandonContext();
        if (m_pReadout) m_pReadout->AbandonContext();
        SDL_GL_MakeCurrent(nullptr, nullptr);
        SDL_GL_DeleteContext(m_context);
        m_context = nullptr;
    }
    if (!w->m_extra.empty()) SDL_GL_MakeCurrent(nullptr, nullptr);
    for (SSdlPane& p : w->m_extra) {
        SDL_GL_DeleteContext(p.context);
        if (w->m_gone) X11ExpectDestroyedWindow(p.window);
        SDL_DestroyWindow(p.window);
    }
    w->m_extra.clear();
    if (w->m_gone && !w->m_foreign) X11ExpectDestroyedWindow(w->m_window);
    if (w->m_window) SDL_DestroyWindow(w->m_window);
    w->m_window = nullptr;
    m_x.Sync();
}

CSdlWindow* CSdlHost::Find(uint32_t windowId) const
{
    for (CSdlWindow* w : m_tree.All<CSdlWindow>())
        if (!w->m_parent && w->m_window && w->OwnsWindow(SDL_GetWindowFromID(windowId))) return w;
    return nullptr;
}

bool CSdlHost::GetCursorPos(CPoint* point)
{
    if (!m_video) return false;
    // SDL refreshes its global mouse state only on raw input events, which pointer moves made
    // with XTEST (and some real ones while a button is held) never send: ask the X server.
    if (OpenX() && m_x.PointerPosition(point)) return true;
    int x = 0, y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    // Without X (Wayland) SDL knows the pointer only within the window it is over, in its units.
    *point = PixelsOf(CPoint(x, y), PixelRatioOf(SDL_GetMouseFocus()));
    return true;
}

void CSdlHost::Translate(const SDL_Event& e)
{
    if (e.type == SDL_WINDOWEVENT) {
        CSdlWindow* w = Find(e.window.windowID);
        if (!w) return;
        // The window's own size and place are its first monitor's; the others' only ask for a paint.
        const bool first = SDL_GetWindowID(w->m_window) == e.window.windowID;
        switch (e.window.event) {
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            if (!w->m_foreign && first) {
                // In pixels: on Wayland a move to an output of another scale changes them alone.
                TellScale(w);
                int pw = 0, ph = 0;
                DrawableSize(w, 0, &pw, &ph);
                w->m_owner->PostMessage(WM_SIZE, 0, MakeLParam(pw, ph));
            }
            w->m_owner->InvalidateRect(nullptr, false);
            break;
        case SDL_WINDOWEVENT_EXPOSED:
            // The panes drawn into it lost their picture too.
            m_tree.InvalidateSubtree(w, true);
            break;
        case SDL_WINDOWEVENT_LEAVE:
            m_tree.MouseLeft(w);
            break;
        case SDL_WINDOWEVENT_MOVED:
            // The window manager placing a new window in its frame: now the frame's size is known.
            if (first && w->m_fitPending) w->m_fitPending = !FitInWorkArea(w->m_window);
            if (first) {
                const CPoint at = PixelsOf(CPoint(e.window.data1, e.window.data2), PixelRatioOf(w->m_window));
                w->m_owner->PostMessage(WM_MOVE, 0, MakeLParam(at.x, at.y));
            }
            break;
        case SDL_WINDOWEVENT_CLOSE:
            // The window manager's close goes the way of the system menu's Close.
            w->m_owner->PostMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        default:
            break;
        }
        return;
    }
    STranslatedMessage m;
    if (!TranslateInputEvent(e, &m)) return;
    uint32_t id = 0;
    if (e.type == SDL_KEYDOWN || e.type == SDL_KEYUP) id = e.key.windowID;
    else if (e.type == SDL_MOUSEMOTION) id = e.motion.windowID;
    else id = e.button.windowID;
    CSdlWindow* w = Find(id);
    // Windows of other programs (previews, XScreenSaver) take no input.
    if (!w || w->m_foreign) return;
    if (e.type == SDL_KEYDOWN || e.type == SDL_KEYUP) {
        m_tree.PostKey(w, m.message, m.wParam, m.lParam);
        return;
    }
    const CPoint units = e.type == SDL_MOUSEMOTION ? CPoint(e.motion.x, e.motion.y) : CPoint(e.button.x, e.button.y);
    const CPoint point = PixelsOf(units, PixelRatioOf(SDL_GetWindowFromID(id)));
    // X11 holds the pointer for the window while a button is down: no capture call of ours.
    m_tree.PostMouse(w, m.message, m.wParam, point, SDL_GetMouseState(nullptr, nullptr) != 0);
}

void CSdlHost::PumpEvents()
{
    // Asked again on every turn until it has ended: a close refused on the way (a save question
    // the signal cancelled) is tried once more, and the question then answers No at once.
    if (TermRequested()) AfxCloseMainWindow();
    if (!m_video) return;
    SDL_Event e;
    while (SDL_PollEvent(&e)) Translate(e);
    TrackXWindows();
    DestroyGoneWindows();
    if (!m_tree.Windows().empty()) TrackScreenPower();
}

void CSdlHost::WaitEvents(double seconds)
{
    const int ms = std::max(1, int(std::ceil(seconds * 1000.0)));
    if (TermRequested()) return;
    if (m_video) SDL_WaitEventTimeout(nullptr, ms);
    else SDL_Delay(Uint32(ms));
}
bool SdlHostActive() { return dynamic_cast<CSdlHost*>(GetWindowHost()) != nullptr; }

bool SdlWindowGone(CWnd* wnd)
{
    auto* host = dynamic_cast<CSdlHost*>(GetWindowHost());
    if (!host || !wnd || !wnd->IsWindow() || !wnd->Backend()) return false;
    return host->WindowGone(static_cast<CSdlWindow*>(wnd->Backend()));
}

void AddGlContextLossHandler(void (*handler)()) { g_contextLossHandlers.push_back(handler); }

void SetDisplayScaleListener(void (*listener)(float scale)) { g_scaleListener = listener; }

void RemoveGlContextLossHandler(void (*handler)())
{
    auto& v = g_contextLossHandlers;
    v.erase(std::remove(v.begin(), v.end(), handler), v.end());
}

std::unique_ptr<IWindowHost> CreateSdlHost(const SHostOptions& options) { return std::make_unique<CSdlHost>(options); }
