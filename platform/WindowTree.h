// The windows of ours that a host keeps, and what they know of each other: which window sits in
// which, which child takes a top-level window's keys, which holds the mouse while a button is
// down, which the mouse was last over, and the panes a window draws and shows. Both systems'
// hosts keep their windows here and add only what their system has (surfaces, GL, the system's
// capture and focus calls), so the routing of input is one piece of code that tests can drive.
//
// Where the two systems still differ, the host decides and the tree is told:
// - The event's root window. SDL names the top-level window (a pane on another monitor counts as
//   its window); Windows names the system window that got the message, which in the editing frame
//   is the universe pane itself (a system child window). Routing starts at that root either way:
//   a root with no children of ours takes the event itself.
// - The client origin. Points reach the tree in the root's client coordinates (SDL's and the
//   system's lParam are so already), and children are placed and measured in client coordinates
//   (m_childRect, OffsetInTop), never from window rectangles: on Windows a captioned frame's
//   window rectangle starts above its client area, by its caption and border.
// - How capture ends. The tree ends it with the last button let go; the host says whether any
//   button is still down (SDL: its mouse state; Windows: the MK_ bits of wParam) and makes the
//   system call when PostMouse says capture begins or ends (Windows: SetCapture and
//   ReleaseCapture; X11 grabs the pointer by itself while a button is down).
// - The order of WM_MOUSELEAVE against clicks. Moving between our windows, the window left hears
//   of it just before the message that moved the mouse (a click included). Leaving the root
//   (MouseLeft) comes when the system says so: SDL says it as the pointer leaves the X window,
//   which may be in the middle of a drag; Windows, while it holds the capture, only once the
//   button is let go, so there the leave follows the button-up.
// - Orphans. A child whose parent goes first keeps its place on the screen and becomes a
//   top-level window without a surface (it draws nowhere); both hosts drop the surface they
//   shared with the parent (Windows also loses the system child window with its parent).
#pragma once

#include <vector>

#include "engine/math/Rect.h"
#include "platform/Messages.h"
#include "platform/Wnd.h"

// One window of ours: a top-level window with a surface of its own, or a child that draws into a
// rectangle of its parent's (or, on Windows, into a system child window of the frame).
class CTreeWindow : public IWindowBackend {
public:
    CWnd* m_owner = nullptr;
    CTreeWindow* m_parent = nullptr;
    std::vector<CTreeWindow*> m_children;  // in the order they were made
    // A child: its place in the parent's client coordinates. An orphan: its place on the screen.
    RECT m_childRect{0, 0, 0, 0};
    CTreeWindow* m_focusChild = nullptr;  // the child that takes the keys of a top-level window
    CTreeWindow* m_capture = nullptr;     // the window that holds the mouse while a button is down
    CTreeWindow* m_mouseOver = nullptr;   // the window of ours the mouse was last over
    int m_paneDrawn = -1;                 // the pane drawn and not yet shown, -1 for none
    bool m_gone = false;  // the system's window was destroyed by someone else (another program)

    CTreeWindow* Top();
    const CTreeWindow* Top() const;
    // Where the window's client area starts in its top-level window's client area.
    CPoint OffsetInTop() const;

    // Focus moves to a child within its top-level window, then the system focuses that window.
    void SetFocus() override;
    void BeginPaint() override { MakePaneCurrent(0); }
    // A pane is shown before the next one is drawn: software drawables keep no unshown picture
    // of a window while another is drawn.
    void BeginPane(int pane) override;
    // A child has painted: its top-level window draws over it and the picture they share (or the
    // child's own, with a surface of its own) is shown. A window with children is shown only so,
    // with everything over it; any other window shows the pane drawn last.
    void Present() override;
    void MoveWindow(const RECT& rectInParent) override { m_childRect = rectInParent; }

protected:
    // The system's part of the calls above.
    virtual void MakePaneCurrent(int pane) = 0;
    virtual void ShowPane(int pane) = 0;  // with the frame-rate readout over it
    virtual void FocusSystemWindow() = 0;
    // A child that draws into a system window of its own (Windows' editing frame).
    virtual bool HasOwnSurface() const { return false; }

private:
    bool CanShow() const { return !m_gone && NativeWindow(); }
};

// Where a mouse message went.
struct SMouseRoute {
    CTreeWindow* target = nullptr;
    CPoint point;                // in the target's client coordinates
    bool captureBegins = false;  // a button went down: the root holds the mouse for the target
    bool captureEnds = false;    // the last button came up
};

class CWindowTree {
public:
    // w->m_parent names its parent (null for a top-level window); the tree links the rest.
    void Add(CTreeWindow* w);
    // Takes w out: no window keeps it as focus, capture or mouse-over, and its children become
    // orphans in place (returned, for the host to drop their shared surfaces). w keeps m_parent.
    std::vector<CTreeWindow*> Remove(CTreeWindow* w);
    const std::vector<CTreeWindow*>& Windows() const { return m_windows; }
    // A copy in the host's own type, safe to walk while windows come and go.
    template <class T>
    std::vector<T*> All() const
    {
        std::vector<T*> out;
        out.reserve(m_windows.size());
        for (CTreeWindow* w : m_windows) out.push_back(static_cast<T*>(w));
        return out;
    }
    bool Contains(const CTreeWindow* w) const;

    // The window of ours under a point of root (in its client coordinates): the deepest child
    // there, else root itself.
    CTreeWindow* ChildAt(CTreeWindow* root, CPoint point) const;
    // The window that takes the keys that reach root.
    CTreeWindow* KeyTarget(CTreeWindow* root) const;
    // Posts a key message to the window that takes it.
    void PostKey(CTreeWindow* root, UINT message, WPARAM wParam, LPARAM lParam);
    // Posts a mouse message (moves, presses and releases) at point (in root's client coordinates)
    // to the window under it, or to the one holding the capture; the window the mouse left hears
    // WM_MOUSELEAVE first. buttonsDown: a button is still down after this message.
    SMouseRoute PostMouse(CTreeWindow* root, UINT message, WPARAM wParam, CPoint point, bool buttonsDown);
    // The mouse left root: the window it was over hears WM_MOUSELEAVE.
    void MouseLeft(CTreeWindow* root);
    // Marks w and every window inside it for a paint.
    void InvalidateSubtree(CTreeWindow* w, bool erase);

private:
    std::vector<CTreeWindow*> m_windows;
};

// A window host that keeps its windows in the tree: what both systems' hosts build on.
class CWindowTreeHost : public IWindowHost {
public:
    // The monitor under the mouse (where the user is), else the primary one; 640 x 480 when no
    // monitor is known.
    RECT GetScreenRect() override;

protected:
    // Every monitor's rectangle in screen coordinates, the primary one first.
    virtual std::vector<RECT> Monitors() = 0;
    // Destroys our own top-level windows whose system window someone else destroyed (m_gone), as
    // if the program had: the last one ends it.
    void DestroyGoneWindows();

    CWindowTree m_tree;
};

