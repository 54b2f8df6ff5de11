// A window object in the classic style: messages arrive through WindowProc, paints follow invalidation.
// The portable part; a backend (platform/sdl/) supplies the real window when there is a display.
#pragma once

#include <string>
#include <vector>

#include "engine/math/Rect.h"
#include "platform/Messages.h"

class IWindowBackend;

class CWnd {
public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd();

    // Creates the window: a backend window when a host is installed, else a headless one
    // (tests). Sends WM_CREATE, then WM_SIZE; returns false when WM_CREATE returns -1.
    bool CreateEx(uint32_t exStyle, uint32_t style, const RECT& rect, CWnd* parent, long nativeParent = 0);
    // Destroys the window: WM_DESTROY, WM_NCDESTROY, then PostNcDestroy.
    void DestroyWindow();
    bool IsWindow() const { return m_created; }

    // Every message enters here; the default hands it to OnMessage.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The message map of a window class; the default is DefWindowProc.
    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The default handling of every message.
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void PostNcDestroy() {}
    // Draws what the window shows without moving anything on (a dialog is drawn over it).
    virtual void PaintStill() {}
    // Draws what the window shows over its child windows (a toolbar beside a pane): called after
    // a child has painted into the picture they share, just before that picture is shown.
    virtual void PaintOverChildren() {}

    // Queued for the application loop.
    bool PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // Handled at once.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // Marks the window for a WM_PAINT once the message queue is empty.
    void InvalidateRect(const RECT* rect, bool erase);
    bool IsInvalidated() const { return m_invalid; }
    // The paint handler validates the window.
    void ValidateRect() { m_invalid = false; }
    // A paint ran since the last present; the loop shows it and clears the mark.
    bool NeedsPresent() const { return m_needsPresent; }
    void Present();
    // Nothing of the window can be seen (fully covered, off the screen, the screen off): the
    // loop does not paint it until it shows again.
    bool IsHidden() const;

    void SetFocus();
    void GetWindowRect(RECT* rect) const;
    void GetClientRect(RECT* rect) const;
    // A child window: places it at rect in its parent's client coordinates and tells it its size.
    void MoveWindow(const RECT& rect);
    // The window a child sits in; null for a top-level window.
    CWnd* GetParent() const { return m_pParent; }
    IWindowBackend* Backend() const { return m_pBackend; }
    // The headless size and screen position; a backend reports the real ones.
    void SetHeadlessRect(const RECT& screenRect);

    // A window on every monitor (WS_EX_ALLMONITORS) has one pane per monitor, each with its own
    // size; every other window has one pane, itself. A paint draws each pane after BeginPane,
    // and Present shows them together.
    int PaneCount() const;
    // The pane's rectangle in screen coordinates; pane 0 is the window's own rectangle.
    void GetPaneRect(int pane, RECT* rect) const;
    void BeginPane(int pane);
    // Headless panes (screen rectangles), for tests; none: the window alone.
    void SetHeadlessPanes(std::vector<RECT> panes) { m_headlessPanes = std::move(panes); }

    uint32_t m_style = 0;
    uint32_t m_exStyle = 0;
    // The window class's cursor: a picture file, empty for the system's arrow.
    std::string m_cursorImage;
    // The smallest size the user can give a top-level window (its client area, in pixels); 0: any.
    long m_minTrackWidth = 0;
    long m_minTrackHeight = 0;

private:
    IWindowBackend* m_pBackend = nullptr;
    CWnd* m_pParent = nullptr;
    RECT m_headlessRect;
    std::vector<RECT> m_headlessPanes;
    bool m_created = false;
    bool m_invalid = false;
    bool m_destroying = false;
    bool m_needsPresent = false;
};

// What a real window must provide; one implementation per platform.
class IWindowBackend {
public:
    virtual ~IWindowBackend() = default;
    virtual void GetWindowRect(RECT* rect) const = 0;  // screen coordinates
    virtual void GetClientRect(RECT* rect) const = 0;  // (0, 0, width, height)
    virtual void SetFocus() = 0;
    // Makes the window the drawing target before its paint handler runs.
    virtual void BeginPaint() = 0;
    virtual void Present() = 0;
    virtual void Destroy() = 0;
    // The backend's own window object (an SDL_Window for the SDL host).
    virtual void* NativeWindow() const { return nullptr; }
    // A window of another program that we only draw into: it takes no input.
    virtual bool IsForeign() const { return false; }
    virtual bool IsHidden() const { return false; }
    // A child window of ours: its new place in the parent's client coordinates.
    virtual void MoveWindow(const RECT& rectInParent) {}
    // The monitors' panes of a window on every monitor; one pane (the window) by default.
    virtual int PaneCount() const { return 1; }
    virtual void GetPaneRect(int pane, RECT* rect) const { GetWindowRect(rect); }
    // Makes the pane the drawing target; Present then shows every pane drawn since the last one.
    virtual void BeginPane(int pane) { BeginPaint(); }
};

// Makes backend windows and feeds their events in; installed by the host layer at start-up,
// null when headless.
class IWindowHost {
public:
    virtual ~IWindowHost() = default;
    // parent: our own window that a child (WS_CHILD) sits in, its rect then in the parent's client
    // coordinates; nativeParent: a window of another program to draw into.
    virtual IWindowBackend* CreateWindow(CWnd* owner, CWnd* parent, uint32_t exStyle, uint32_t style,
                                         const RECT& rect, long nativeParent) = 0;
    virtual bool GetCursorPos(CPoint* point) = 0;
    // Turns pending system events into posted messages.
    virtual void PumpEvents() = 0;
    // Sleeps until an event arrives or the time is up.
    virtual void WaitEvents(double seconds) = 0;
    // The display a full-screen window opens on, in screen coordinates.
    virtual RECT GetScreenRect() = 0;
    // The client rectangle of a window of another program (0: the root window); false when it
    // does not exist.
    virtual bool GetForeignClientRect(unsigned long window, RECT* rect) = 0;
};

IWindowHost* GetWindowHost();
void SetWindowHost(IWindowHost* host);

// The picture every window of the program carries as its icon; empty for none.
void SetWindowIconImage(const std::string& path);
const std::string& WindowIconImage();

// The display's rectangle; headless, the one last set by SetHeadlessScreenRect (640 x 480 at first).
RECT GetScreenRect();
void SetHeadlessScreenRect(const RECT& rect);

// The cursor position in screen coordinates; headless, the position last set by SetHeadlessCursorPos.
bool GetCursorPos(CPoint* point);
void SetHeadlessCursorPos(CPoint point);
