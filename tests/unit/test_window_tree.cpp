// The window tree both hosts keep, without a display: mouse and key routing, capture, leaves,
// orphans, panes and their present.
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/MessageQueue.h"
#include "platform/WindowTree.h"
#include "platform/Wnd.h"

namespace {
// A window as a host keeps it, its system calls written to a log.
class CFakeWindow : public CTreeWindow {
public:
    RECT m_screen{0, 0, 0, 0};  // a top-level window's place
    bool m_surface = true;
    bool m_ownSurface = false;
    std::string m_name;
    std::vector<std::string>* m_log = nullptr;

    void GetWindowRect(RECT* rect) const override
    {
        if (m_parent) {
            RECT p;
            m_parent->GetWindowRect(&p);
            *rect = {p.left + m_childRect.left, p.top + m_childRect.top, p.left + m_childRect.right, p.top + m_childRect.bottom};
        } else {
            *rect = m_surface ? m_screen : m_childRect;
        }
    }
    void GetClientRect(RECT* rect) const override
    {
        RECT r;
        GetWindowRect(&r);
        *rect = {0, 0, RectWidth(r), RectHeight(r)};
    }
    void Destroy() override {}
    void* NativeWindow() const override { return m_surface ? const_cast<CFakeWindow*>(this) : nullptr; }

protected:
    void MakePaneCurrent(int pane) override { m_log->push_back(m_name + " current " + std::to_string(pane)); }
    void ShowPane(int pane) override { m_log->push_back(m_name + " show " + std::to_string(pane)); }
    void FocusSystemWindow() override { m_log->push_back(m_name + " focus"); }
    bool HasOwnSurface() const override { return m_ownSurface; }
};

// A window that says when it draws over its children.
class CPaintingWnd : public CWnd {
public:
    std::vector<std::string>* m_log = nullptr;
    void PaintOverChildren() override { m_log->push_back("paint over children"); }
};

struct SPosted {
    CWnd* wnd;
    UINT message;
    int x, y;
    bool operator==(const SPosted& o) const { return wnd == o.wnd && message == o.message && x == o.x && y == o.y; }
};

std::ostream& operator<<(std::ostream& os, const SPosted& p)
{
    return os << "{" << p.wnd << " 0x" << std::hex << p.message << std::dec << " " << p.x << "," << p.y << "}";
}

// A top-level window at (100, 50) with a pane at (10, 20) and, inside the pane, a small child at
// (50, 50): the editing frame's shape, one level deeper.
class WindowTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearMessageQueue();
        ASSERT_EQ(GetWindowHost(), nullptr);
        m_top = Make(nullptr, RECT{100, 50, 500, 350}, "top");
        m_pane = Make(m_top, RECT{10, 20, 210, 220}, "pane");
        m_inner = Make(m_pane, RECT{50, 50, 100, 100}, "inner");
    }
    void TearDown() override { ClearMessageQueue(); }

    CFakeWindow* Make(CFakeWindow* parent, const RECT& rect, const std::string& name)
    {
        auto owner = std::make_unique<CPaintingWnd>();
        owner->m_log = &m_log;
        EXPECT_TRUE(owner->CreateEx(0, parent ? WS_CHILD : WS_POPUP, rect, nullptr));
        m_owners.push_back(std::move(owner));
        m_windows.push_back(std::make_unique<CFakeWindow>());
        CFakeWindow* w = m_windows.back().get();
        w->m_owner = m_owners.back().get();
        w->m_name = name;
        w->m_log = &m_log;
        w->m_parent = parent;
        if (parent) w->m_childRect = rect;
        else w->m_screen = rect;
        m_tree.Add(w);
        return w;
    }

    std::vector<SPosted> Posted()
    {
        std::vector<SPosted> out;
        SQueuedMessage m;
        while (PopQueuedMessage(&m)) {
            const bool mouse = m.message >= WM_MOUSEMOVE && m.message <= WM_MBUTTONUP;
            out.push_back({m.wnd, m.message, mouse ? int(int16_t(LoWord(m.lParam))) : 0, mouse ? int(int16_t(HiWord(m.lParam))) : 0});
        }
        return out;
    }

    CWindowTree m_tree;
    std::vector<std::string> m_log;
    std::vector<std::unique_ptr<CWnd>> m_owners;
    std::vector<std::unique_ptr<CFakeWindow>> m_windows;
    CFakeWindow* m_top = nullptr;
    CFakeWindow* m_pane = nullptr;
    CFakeWindow* m_inner = nullptr;
};

TEST_F(WindowTree, MouseGoesToTheDeepestWindowUnderItAndStaysWithACaptureUntilTheLastButton)
{
    CWnd* top = m_top->m_owner;
    CWnd* pane = m_pane->m_owner;
    CWnd* inner = m_inner->m_owner;
    m_tree.PostMouse(m_top, WM_MOUSEMOVE, 0, CPoint(5, 5), false);
    m_tree.PostMouse(m_top, WM_MOUSEMOVE, 0, CPoint(15, 25), false);
    m_tree.PostMouse(m_top, WM_MOUSEMOVE, 0, CPoint(65, 75), false);
    EXPECT_EQ(Posted(), (std::vector<SPosted>{{top, WM_MOUSEMOVE, 5, 5},
                                               {top, WM_MOUSELEAVE, 0, 0},
                                               {pane, WM_MOUSEMOVE, 5, 5},
                                               {pane, WM_MOUSELEAVE, 0, 0},
                                               {inner, WM_MOUSEMOVE, 5, 5}}));

    // A press in the pane: the window left hears of it before the click.
    SMouseRoute r = m_tree.PostMouse(m_top, WM_LBUTTONDOWN, 0, CPoint(15, 25), true);
    EXPECT_TRUE(r.captureBegins);
    EXPECT_EQ(Posted(), (std::vector<SPosted>{{inner, WM_MOUSELEAVE, 0, 0}, {pane, WM_LBUTTONDOWN, 5, 5}}));
    // Dragged out of the pane and over the top window: still the pane's, in its coordinates.
    r = m_tree.PostMouse(m_top, WM_MOUSEMOVE, 0, CPoint(300, 5), true);
    EXPECT_EQ(r.target, m_pane);
    r = m_tree.PostMouse(m_top, WM_RBUTTONDOWN, 0, CPoint(300, 5), true);
    EXPECT_FALSE(r.captureBegins);
    r = m_tree.PostMouse(m_top, WM_LBUTTONUP, 0, CPoint(300, 5), true);
    EXPECT_FALSE(r.captureEnds);
    r = m_tree.PostMouse(m_top, WM_RBUTTONUP, 0, CPoint(300, 5), false);
    EXPECT_TRUE(r.captureEnds);
    EXPECT_EQ(r.target, m_pane);
    m_tree.PostMouse(m_top, WM_MOUSEMOVE, 0, CPoint(300, 5), false);
    EXPECT_EQ(Posted(), (std::vector<SPosted>{{pane, WM_MOUSEMOVE, 290, -15},
                                               {pane, WM_RBUTTONDOWN, 290, -15},
                                               {pane, WM_LBUTTONUP, 290, -15},
                                               {pane, WM_RBUTTONUP, 290, -15},
                                               {pane, WM_MOUSELEAVE, 0, 0},
                                               {top, WM_MOUSEMOVE, 300, 5}}));

    // Leaving the root tells the window the mouse was over, once.
    m_tree.MouseLeft(m_top);
    m_tree.MouseLeft(m_top);
    EXPECT_EQ(Posted(), (std::vector<SPosted>{{top, WM_MOUSELEAVE, 0, 0}}));

    // A child that gets its own events (a system child window on Windows) measures from itself.
    r = m_tree.PostMouse(m_pane, WM_LBUTTONDOWN, 0, CPoint(60, 60), true);
    EXPECT_EQ(r.target, m_inner);
    EXPECT_EQ(r.point, CPoint(10, 10));
}

TEST_F(WindowTree, KeysFollowTheFocusedChildAndNothingPointsAtAWindowThatWent)
{
    EXPECT_EQ(m_tree.KeyTarget(m_top), m_top);
    m_inner->SetFocus();
    // The focus is the pane's child within the pane, and the pane's within the top window; the
    // system is asked once, for the top window.
    EXPECT_EQ(m_log, std::vector<std::string>{"top focus"});
    EXPECT_EQ(m_tree.KeyTarget(m_pane), m_inner);
    m_pane->SetFocus();
    m_tree.PostKey(m_top, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(Posted(), (std::vector<SPosted>{{m_pane->m_owner, WM_KEYDOWN, 0, 0}}));

    m_tree.PostMouse(m_top, WM_LBUTTONDOWN, 0, CPoint(15, 25), true);
    Posted();
    m_tree.Remove(m_pane);
    EXPECT_FALSE(m_tree.Contains(m_pane));
    EXPECT_TRUE(m_top->m_children.empty());
    m_tree.PostKey(m_top, WM_KEYDOWN, VK_SPACE, 0);
    // Neither the capture nor a leave reaches the window that went.
    m_tree.PostMouse(m_top, WM_MOUSEMOVE, 0, CPoint(15, 25), true);
    EXPECT_EQ(Posted(), (std::vector<SPosted>{{m_top->m_owner, WM_KEYDOWN, 0, 0}, {m_top->m_owner, WM_MOUSEMOVE, 15, 25}}));
}

TEST_F(WindowTree, ChildrenOfAWindowThatWentKeepTheirPlaceOnTheScreen)
{
    const std::vector<CTreeWindow*> orphans = m_tree.Remove(m_top);
    ASSERT_EQ(orphans, std::vector<CTreeWindow*>{m_pane});
    m_pane->m_surface = false;
    EXPECT_EQ(m_pane->m_parent, nullptr);
    RECT r;
    m_pane->GetWindowRect(&r);
    EXPECT_EQ(r.left, 110);
    EXPECT_EQ(r.top, 70);
    EXPECT_EQ(r.right, 310);
    EXPECT_EQ(r.bottom, 270);
    // The orphan keeps its own child, measured from it.
    EXPECT_EQ(m_inner->m_parent, m_pane);
    EXPECT_EQ(m_inner->OffsetInTop(), CPoint(50, 50));
    m_inner->GetWindowRect(&r);
    EXPECT_EQ(r.left, 160);
    EXPECT_EQ(r.top, 120);
    // Removing twice changes nothing.
    EXPECT_TRUE(m_tree.Remove(m_top).empty());
}

TEST_F(WindowTree, PanesShowBeforeTheNextIsDrawnAndChildrenPresentThroughTheirTop)
{
    CFakeWindow* saver = Make(nullptr, RECT{0, 0, 640, 480}, "saver");
    saver->BeginPane(0);
    saver->BeginPane(1);
    saver->Present();
    // A paint that named no pane drew the window itself.
    saver->BeginPaint();
    saver->Present();
    EXPECT_EQ(m_log, (std::vector<std::string>{"saver current 0", "saver show 0", "saver current 1", "saver show 1",
                                               "saver current 0", "saver show 0"}));
    m_log.clear();
    // A window with children waits for them; a child shows the picture it shares with its top
    // window, the top window's drawing over it; one with a surface of its own shows that one.
    m_top->Present();
    m_inner->Present();
    m_pane->m_ownSurface = true;
    m_pane->Present();
    EXPECT_EQ(m_log, (std::vector<std::string>{"top current 0", "paint over children", "top show 0", "pane current 0",
                                               "paint over children", "pane show 0"}));
    m_log.clear();
    // Nothing shows without a surface, nor a child whose top window's surface went.
    saver->m_surface = false;
    saver->Present();
    m_top->m_gone = true;
    m_inner->Present();
    EXPECT_TRUE(m_log.empty());
}

TEST_F(WindowTree, InvalidatingAWindowMarksEveryWindowInsideItOnly)
{
    CFakeWindow* other = Make(nullptr, RECT{0, 0, 640, 480}, "other");
    for (auto& w : m_owners) w->ValidateRect();
    m_tree.InvalidateSubtree(m_pane, true);
    EXPECT_FALSE(m_top->m_owner->IsInvalidated());
    EXPECT_TRUE(m_pane->m_owner->IsInvalidated());
    EXPECT_TRUE(m_inner->m_owner->IsInvalidated());
    m_tree.InvalidateSubtree(m_top, true);
    EXPECT_TRUE(m_top->m_owner->IsInvalidated());
    EXPECT_FALSE(other->m_owner->IsInvalidated());
}
// A host with monitors and a mouse of its choosing.
class CFakeHost : public CWindowTreeHost {
public:
    std::vector<RECT> m_monitors;
    bool m_mouseKnown = true;
    CPoint m_mouse;

    IWindowBackend* CreateWindow(CWnd*, CWnd*, uint32_t, uint32_t, const RECT&, long) override { return nullptr; }
    bool GetCursorPos(CPoint* point) override
    {
        *point = m_mouse;
        return m_mouseKnown;
    }
    void PumpEvents() override {}
    void WaitEvents(double) override {}
    bool GetForeignClientRect(unsigned long, RECT*) override { return false; }

protected:
    std::vector<RECT> Monitors() override { return m_monitors; }
};

TEST(WindowTreeHost, AFullScreenWindowOpensOnTheMonitorUnderTheMouseElseThePrimaryOne)
{
    CFakeHost host;
    RECT r = host.GetScreenRect();
    EXPECT_EQ(RectWidth(r), 640);
    EXPECT_EQ(RectHeight(r), 480);
    host.m_monitors = {RECT{0, 0, 1920, 1080}, RECT{1920, 0, 3200, 1024}};
    host.m_mouse = CPoint(1920, 1023);
    EXPECT_EQ(host.GetScreenRect().left, 1920);
    host.m_mouse = CPoint(3200, 10);  // right of every monitor
    EXPECT_EQ(host.GetScreenRect().left, 0);
    host.m_mouse = CPoint(2000, 10);
    host.m_mouseKnown = false;
    EXPECT_EQ(host.GetScreenRect().left, 0);
}
}  // namespace
