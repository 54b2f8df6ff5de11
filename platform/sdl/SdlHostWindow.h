// The SDL host's windows and the host itself, shared by the files that build them: SdlHost.cpp
// (windows, contexts, events) and SdlHostX11.cpp (what our own X connection watches and reads).
// Only platform/sdl includes it; everyone else reaches the host through platform/Host.h.
#pragma once

#include <SDL.h>

#include <map>
#include <string>
#include <vector>

#include "platform/FrameRateMeter.h"
#include "platform/Host.h"
#include "platform/WindowTree.h"
#include "platform/Wnd.h"
#include "platform/x11/X11Connection.h"

class CGlReadout;
class CGlRenderer;

class CSdlHost;

// The window on a further monitor of a view that covers every monitor.
struct SSdlPane {
    SDL_Window* window = nullptr;
    // A context of its own, sharing the first one's objects: one context drawing into several
    // windows in turn makes Mesa's software drawables reallocate their buffers at every switch.
    SDL_GLContext context = nullptr;
    unsigned long xid = 0;  // its X id, for its visibility
    SX11Visibility visibility;
};

class CSdlWindow : public CTreeWindow {
public:
    CSdlHost* m_host = nullptr;
    // Its own window, or the one of the top-level window it draws a rectangle of.
    SDL_Window* m_window = nullptr;
    unsigned long m_foreign = 0;  // the X window of another program, 0 for our own
    RECT m_foreignRect;           // screen rectangle of the foreign window
    bool m_noFocus = false;       // the desktop background: never takes the keyboard focus
    unsigned long m_xid = 0;      // our own window's X id, for its visibility
    SX11Visibility m_visibility;
    // A desktop window not yet fitted into the work area: its frame's size comes from the window
    // manager once it has taken the window.
    bool m_fitPending = false;
    CFrameRateMeter m_rate;       // for the frame-rate readout
    float m_scale = 0.0f;         // the display scale last told for it (Wayland: its output's)
    std::vector<SSdlPane> m_extra;   // the windows on the other monitors, when it covers them all

    void GetWindowRect(RECT* rect) const override;
    void GetClientRect(RECT* rect) const override;
    void Destroy() override;
    void* NativeWindow() const override { return m_window; }
    bool IsForeign() const override { return m_foreign != 0; }
    bool IsHidden() const override;
    int PaneCount() const override { return 1 + int(m_extra.size()); }
    void GetPaneRect(int pane, RECT* rect) const override;

    SDL_Window* PaneWindow(int pane) const
    {
        return pane > 0 && pane <= int(m_extra.size()) ? m_extra[size_t(pane - 1)].window : m_window;
    }
    SDL_GLContext PaneContext(int pane, SDL_GLContext first) const
    {
        return pane > 0 && pane <= int(m_extra.size()) ? m_extra[size_t(pane - 1)].context : first;
    }
    bool OwnsWindow(const SDL_Window* window) const
    {
        if (window == m_window) return true;
        for (const SSdlPane& p : m_extra)
            if (p.window == window) return true;
        return false;
    }
    CSdlWindow* TopWindow() { return static_cast<CSdlWindow*>(Top()); }

protected:
    void MakePaneCurrent(int pane) override;
    void ShowPane(int pane) override;
    void FocusSystemWindow() override;
};

class CSdlHost : public CWindowTreeHost {
public:
    explicit CSdlHost(const SHostOptions& options);
    ~CSdlHost() override;

    IWindowBackend* CreateWindow(CWnd* owner, CWnd* parent, uint32_t exStyle, uint32_t style, const RECT& rect,
                                 long nativeParent) override;
    bool GetCursorPos(CPoint* point) override;
    void PumpEvents() override;
    void WaitEvents(double seconds) override;
    bool GetForeignClientRect(unsigned long window, RECT* rect) override;

    void MakeCurrent(CSdlWindow* w, int pane = 0);
    void DestroyWindow(CSdlWindow* w);
    bool ReadForeignRect(unsigned long xid, RECT* screenRect);
    void DrawReadout(CSdlWindow* w, int pane);
    void DrawableSize(const CSdlWindow* w, int pane, int* width, int* height) const;
    // Tells the listener the scale of w's output when it differs from the one last told.
    void TellScale(CSdlWindow* w);
    bool ScreenOff() const { return m_screenOff; }
    // Reads what the X server said about the windows (exposures, visibility, their end) and
    // whether the window drawn into for w, or for its top-level parent, is gone.
    bool WindowGone(CSdlWindow* w);

private:
    bool EnsureVideo();
    // Our own X connection, only where SDL's windows are X11 windows: a Wayland session's
    // windows have none, and DISPLAY's XWayland knows nothing of them.
    bool OpenX();
    // Said once where there is no X11 display: windows of other programs cannot be drawn into.
    bool ForeignWindowsReachable();
    bool EnsureContext(SDL_Window* window);
    void ApplyCursor(const std::string& image);
    // RandR's monitors, else SDL's displays.
    std::vector<RECT> Monitors() override;
    void AddMonitorPanes(CSdlWindow* w, const RECT& first, uint32_t exStyle, uint32_t style);
    unsigned long WatchVisibility(SDL_Window* window);
    void TrackVisibility(const SX11Notice& notice);
    void TrackScreenPower();
    CSdlWindow* Find(uint32_t windowId) const;
    void TrackXWindows();
    // Our own window destroyed from outside (xdotool windowclose, a window manager): the window
    // object goes as if it had been destroyed, so the last one ends the program.
    void MarkDestroyed(unsigned long xid);
    void Translate(const SDL_Event& e);

    SHostOptions m_options;
    bool m_video = false;
    bool m_videoFailed = false;
    bool m_saidNoForeign = false;
    CX11Connection m_x;  // our own connection, for windows SDL does not watch
    SDL_GLContext m_context = nullptr;
    CGlRenderer* m_pRenderer = nullptr;
    CGlReadout* m_pReadout = nullptr;
    std::map<std::string, SDL_Cursor*> m_cursors;
    int m_inhibitors = 0;
    bool m_screenOff = false;
    uint64_t m_nextPowerCheck = 0;
};
