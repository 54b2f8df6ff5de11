// The window tree both hosts keep: parents and children, focus, capture, mouse-over, panes.
#include "platform/WindowTree.h"

#include <algorithm>

#include "platform/MessageQueue.h"
#include "platform/Wnd.h"

namespace {
bool IsButtonDown(UINT message) { return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN; }
bool IsButtonUp(UINT message) { return message == WM_LBUTTONUP || message == WM_RBUTTONUP || message == WM_MBUTTONUP; }
bool Inside(const RECT& r, CPoint p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

template <class T>
void Erase(std::vector<T*>& v, const T* item)
{
    v.erase(std::remove(v.begin(), v.end(), item), v.end());
}
}

CTreeWindow* CTreeWindow::Top()
{
    CTreeWindow* t = this;
    while (t->m_parent) t = t->m_parent;
    return t;
}

const CTreeWindow* CTreeWindow::Top() const
{
    const CTreeWindow* t = this;
    while (t->m_parent) t = t->m_parent;
    return t;
}

CPoint CTreeWindow::OffsetInTop() const
{
    CPoint p;
    for (const CTreeWindow* w = this; w->m_parent; w = w->m_parent) {
        p.x += int(w->m_childRect.left);
        p.y += int(w->m_childRect.top);
    }
    return p;
}

void CTreeWindow::SetFocus()
{
    if (m_parent) {
        m_parent->m_focusChild = this;
        m_parent->SetFocus();
        return;
    }
    FocusSystemWindow();
}

void CTreeWindow::BeginPane(int pane)
{
    if (m_paneDrawn >= 0 && m_paneDrawn != pane) ShowPane(m_paneDrawn);
    MakePaneCurrent(pane);
    m_paneDrawn = pane;
}

void CTreeWindow::Present()
{
    if (!CanShow()) return;
    if (m_parent) {
        CTreeWindow* top = Top();
        if (!top->CanShow()) return;
        CTreeWindow* surface = HasOwnSurface() ? this : top;
        surface->MakePaneCurrent(0);
        top->m_owner->PaintOverChildren();
        surface->ShowPane(0);
        return;
    }
    if (!m_children.empty()) return;
    // A paint that named no pane drew the window itself.
    ShowPane(m_paneDrawn >= 0 ? m_paneDrawn : 0);
    m_paneDrawn = -1;
}

void CWindowTree::Add(CTreeWindow* w)
{
    m_windows.push_back(w);
    if (w->m_parent) w->m_parent->m_children.push_back(w);
}

std::vector<CTreeWindow*> CWindowTree::Remove(CTreeWindow* w)
{
    std::vector<CTreeWindow*> orphans;
    if (!Contains(w)) return orphans;
    Erase(m_windows, w);
    if (w->m_parent) Erase(w->m_parent->m_children, w);
    for (CTreeWindow* other : m_windows) {
        if (other->m_focusChild == w) other->m_focusChild = nullptr;
        if (other->m_capture == w) other->m_capture = nullptr;
        if (other->m_mouseOver == w) other->m_mouseOver = nullptr;
    }
    for (CTreeWindow* child : std::vector<CTreeWindow*>(w->m_children)) {
        // Measured while the parent still places it.
        RECT screen;
        child->GetWindowRect(&screen);
        child->m_parent = nullptr;
        child->m_childRect = screen;
        orphans.push_back(child);
    }
    w->m_children.clear();
    w->m_focusChild = w->m_capture = w->m_mouseOver = nullptr;
    return orphans;
}

bool CWindowTree::Contains(const CTreeWindow* w) const
{
    return std::find(m_windows.begin(), m_windows.end(), w) != m_windows.end();
}

CTreeWindow* CWindowTree::ChildAt(CTreeWindow* root, CPoint point) const
{
    for (CTreeWindow* c : root->m_children) {
        const RECT& r = c->m_childRect;
        if (Inside(r, point)) return ChildAt(c, CPoint(int(point.x - r.left), int(point.y - r.top)));
    }
    return root;
}

CTreeWindow* CWindowTree::KeyTarget(CTreeWindow* root) const { return root->m_focusChild ? root->m_focusChild : root; }

void CWindowTree::PostKey(CTreeWindow* root, UINT message, WPARAM wParam, LPARAM lParam)
{
    KeyTarget(root)->m_owner->PostMessage(message, wParam, lParam);
}

SMouseRoute CWindowTree::PostMouse(CTreeWindow* root, UINT message, WPARAM wParam, CPoint point, bool buttonsDown)
{
    SMouseRoute route;
    // A drag that started in a pane stays with it until the last button is let go.
    route.target = root->m_capture ? root->m_capture : ChildAt(root, point);
    if (IsButtonDown(message)) {
        route.captureBegins = root->m_capture == nullptr;
        root->m_capture = route.target;
    }
    if (IsButtonUp(message) && !buttonsDown && root->m_capture) {
        root->m_capture = nullptr;
        route.captureEnds = true;
    }
    // The window the mouse left hears of it (a toolbar lets go of its lit button).
    if (root->m_mouseOver && root->m_mouseOver != route.target) root->m_mouseOver->m_owner->PostMessage(WM_MOUSELEAVE);
    root->m_mouseOver = route.target;
    // Client coordinates of the window that takes it; the root's children are measured from it.
    const CPoint rootOffset = root->OffsetInTop(), targetOffset = route.target->OffsetInTop();
    route.point = CPoint(point.x - (targetOffset.x - rootOffset.x), point.y - (targetOffset.y - rootOffset.y));
    route.target->m_owner->PostMessage(message, wParam, MakeLParam(route.point.x, route.point.y));
    return route;
}

void CWindowTree::MouseLeft(CTreeWindow* root)
{
    if (root->m_mouseOver) root->m_mouseOver->m_owner->PostMessage(WM_MOUSELEAVE);
    root->m_mouseOver = nullptr;
}

void CWindowTree::InvalidateSubtree(CTreeWindow* w, bool erase)
{
    w->m_owner->InvalidateRect(nullptr, erase);
    for (CTreeWindow* c : w->m_children) InvalidateSubtree(c, erase);
}

RECT CWindowTreeHost::GetScreenRect()
{
    const std::vector<RECT> monitors = Monitors();
    if (monitors.empty()) return RECT{0, 0, 640, 480};
    CPoint mouse;
    if (GetCursorPos(&mouse))
        for (const RECT& r : monitors)
            if (Inside(r, mouse)) return r;
    return monitors.front();
}

void CWindowTreeHost::DestroyGoneWindows()
{
    std::vector<CWnd*> gone;
    for (CTreeWindow* w : m_tree.Windows())
        if (w->m_gone && !w->IsForeign() && !w->m_parent && w->m_owner) gone.push_back(w->m_owner);
    for (CWnd* wnd : gone) {
        // One window's destruction may take another with it (a pane with its frame).
        const std::vector<CWnd*>& live = LiveWindows();
        if (std::find(live.begin(), live.end(), wnd) != live.end() && wnd->IsWindow()) wnd->DestroyWindow();
    }
}
