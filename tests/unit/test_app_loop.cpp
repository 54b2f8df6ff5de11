// The message loop without a display: dispatch order, paints after the queue, idle, pacing, the end.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/App.h"
#include "platform/FramePacer.h"
#include "platform/MessageQueue.h"
#include "platform/Wnd.h"

namespace {
constexpr UINT kPostNcDestroyMark = 0xFFFF;
constexpr UINT WM_APP_TEST = 0x8001;

class CRecordingWnd : public CWnd {
public:
    std::vector<UINT> m_log;
    bool m_invalidateOnPaint = false;
    bool m_postOnPaint = false;

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        m_log.push_back(message);
        if (message != WM_PAINT) return DefWindowProc(message, wParam, lParam);
        // A paint handler validates by painting; invalidating then asks for the next frame.
        if (m_invalidateOnPaint) InvalidateRect(nullptr, false);
        if (m_postOnPaint) PostMessage(WM_APP_TEST);
        return 0;
    }
    void PostNcDestroy() override { m_log.push_back(kPostNcDestroyMark); }

    int Count(UINT message) const { return int(std::count(m_log.begin(), m_log.end(), message)); }
};

class CTestApp : public CWinApp {
public:
    std::vector<long> m_idleCounts;
    BOOL m_idleResult = FALSE;
    CWnd* m_invalidateOnIdle = nullptr;

    BOOL OnIdle(long count) override
    {
        m_idleCounts.push_back(count);
        if (m_invalidateOnIdle) m_invalidateOnIdle->InvalidateRect(nullptr, true);
        return m_idleResult;
    }
};

class AppLoop : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearMessageQueue();
        ASSERT_EQ(GetWindowHost(), nullptr);
        ASSERT_TRUE(m_wnd.CreateEx(0, WS_POPUP | WS_VISIBLE, RECT{10, 20, 330, 260}, nullptr));
        m_wnd.m_log.clear();
        m_wnd.ValidateRect();
    }
    void TearDown() override { ClearMessageQueue(); }

    CTestApp m_app;
    CRecordingWnd m_wnd;
};
}

TEST(Window, CreationSendsCreateThenSizeAndAsksForAPaint)
{
    CRecordingWnd w;
    ASSERT_TRUE(w.CreateEx(0, WS_POPUP | WS_VISIBLE, RECT{0, 0, 300, 200}, nullptr));
    EXPECT_EQ(w.m_log, (std::vector<UINT>{WM_CREATE, WM_SIZE}));
    EXPECT_TRUE(w.IsInvalidated());
    RECT r;
    w.GetClientRect(&r);
    EXPECT_EQ(RectWidth(r), 300);
    EXPECT_EQ(RectHeight(r), 200);

    CRecordingWnd hidden;
    ASSERT_TRUE(hidden.CreateEx(0, WS_POPUP, RECT{0, 0, 10, 10}, nullptr));
    EXPECT_FALSE(hidden.IsInvalidated());
}

TEST(Window, RefusedCreationDestroysTheWindow)
{
    struct CRefusing : CRecordingWnd {
        LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
        {
            CRecordingWnd::OnMessage(message, wParam, lParam);
            return message == WM_CREATE ? -1 : 0;
        }
    } w;
    EXPECT_FALSE(w.CreateEx(0, WS_POPUP | WS_VISIBLE, RECT{0, 0, 10, 10}, nullptr));
    EXPECT_FALSE(w.IsWindow());
    EXPECT_EQ(w.m_log, (std::vector<UINT>{WM_CREATE, WM_DESTROY, WM_NCDESTROY, kPostNcDestroyMark}));
}

TEST_F(AppLoop, DestructionOrderAndNoMessagesAfterwards)
{
    m_wnd.PostMessage(WM_APP_TEST);
    m_wnd.DestroyWindow();
    EXPECT_EQ(m_wnd.m_log, (std::vector<UINT>{WM_DESTROY, WM_NCDESTROY, kPostNcDestroyMark}));
    EXPECT_FALSE(m_wnd.IsWindow());
    EXPECT_FALSE(HasQueuedMessages());
    EXPECT_FALSE(m_wnd.PostMessage(WM_APP_TEST));
    m_wnd.DestroyWindow();  // twice is harmless
    EXPECT_EQ(m_wnd.Count(WM_DESTROY), 1);
}

TEST_F(AppLoop, QueuedMessagesFirstThenOnePaint)
{
    m_wnd.InvalidateRect(nullptr, false);
    m_wnd.PostMessage(WM_APP_TEST, 1);
    m_wnd.PostMessage(WM_MOVE, 2);
    m_wnd.InvalidateRect(nullptr, false);
    ASSERT_TRUE(m_app.RunOnce());
    EXPECT_EQ(m_wnd.m_log, (std::vector<UINT>{WM_APP_TEST, WM_MOVE, WM_PAINT}));
    EXPECT_FALSE(m_wnd.IsInvalidated());
    EXPECT_TRUE(m_wnd.NeedsPresent() == false);  // the loop presented it
    // Nothing invalid: no paint.
    ASSERT_TRUE(m_app.RunOnce());
    EXPECT_EQ(m_wnd.Count(WM_PAINT), 1);
}

TEST_F(AppLoop, APaintThatInvalidatesAsksForTheNextFrame)
{
    m_wnd.m_invalidateOnPaint = true;
    m_wnd.InvalidateRect(nullptr, false);
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(m_app.RunOnce());
    EXPECT_EQ(m_wnd.Count(WM_PAINT), 5);
}

TEST_F(AppLoop, MessagesPostedByAPaintComeBeforeTheNextPaint)
{
    m_wnd.m_invalidateOnPaint = true;
    m_wnd.m_postOnPaint = true;
    m_wnd.InvalidateRect(nullptr, false);
    ASSERT_TRUE(m_app.RunOnce());
    ASSERT_TRUE(m_app.RunOnce());
    EXPECT_EQ(m_wnd.m_log, (std::vector<UINT>{WM_PAINT, WM_APP_TEST, WM_PAINT}));
}

TEST_F(AppLoop, IdleRunsWhenNothingIsPendingAndCountsUp)
{
    m_app.m_idleResult = TRUE;
    m_app.RunOnce();
    m_app.RunOnce();
    m_app.RunOnce();
    EXPECT_EQ(m_app.m_idleCounts, (std::vector<long>{0, 1, 2}));
    // A real message starts the count again; paints and mouse moves do not.
    m_wnd.PostMessage(WM_MOUSEMOVE);
    m_app.RunOnce();
    m_wnd.PostMessage(WM_APP_TEST);
    m_app.RunOnce();
    EXPECT_EQ(m_app.m_idleCounts, (std::vector<long>{0, 1, 2, 3, 0}));
}

TEST_F(AppLoop, IdleThatIsDoneWaitsForTheNextMessage)
{
    m_app.m_idleResult = FALSE;
    m_app.RunOnce();
    m_app.RunOnce();
    EXPECT_EQ(m_app.m_idleCounts.size(), 1u);
    m_wnd.PostMessage(WM_APP_TEST);
    m_app.RunOnce();
    EXPECT_EQ(m_app.m_idleCounts.size(), 2u);
}

TEST_F(AppLoop, AnIdleHandlerThatInvalidatesDrivesOneFramePerTurn)
{
    // The editing frame's way of animating: the view never invalidates itself.
    m_app.m_idleResult = TRUE;
    m_app.m_invalidateOnIdle = &m_wnd;
    for (int i = 0; i < 4; ++i) m_app.RunOnce();
    EXPECT_EQ(m_wnd.Count(WM_PAINT), 3);
}

TEST_F(AppLoop, QuitEndsTheLoopWithItsCode)
{
    PostQuitMessage(7);
    EXPECT_FALSE(m_app.RunOnce());
    EXPECT_EQ(m_app.m_exitCode, 7);
}

TEST_F(AppLoop, TheMainWindowsEndEndsTheLoop)
{
    m_app.m_pMainWnd = &m_wnd;
    m_wnd.PostMessage(WM_CLOSE);
    EXPECT_EQ(m_app.Run(), 0);
    EXPECT_EQ(m_app.m_pMainWnd, nullptr);
    EXPECT_FALSE(m_wnd.IsWindow());
    EXPECT_EQ(m_wnd.Count(WM_DESTROY), 1);
}

TEST_F(AppLoop, WithoutAMainWindowRunEndsAtOnce)
{
    m_app.m_pMainWnd = nullptr;
    m_wnd.InvalidateRect(nullptr, false);
    EXPECT_EQ(m_app.Run(), 0);
    EXPECT_EQ(m_wnd.Count(WM_PAINT), 0);
}

TEST_F(AppLoop, AltF4GoesThroughTheSystemCommand)
{
    m_wnd.PostMessage(WM_SYSKEYDOWN, VK_F4, kAltContextBit | 1);
    m_app.RunOnce();
    m_app.RunOnce();
    m_app.RunOnce();
    EXPECT_EQ(m_wnd.m_log[0], WM_SYSKEYDOWN);
    EXPECT_EQ(m_wnd.m_log[1], WM_SYSCOMMAND);
    EXPECT_EQ(m_wnd.m_log[2], WM_CLOSE);
    EXPECT_FALSE(m_wnd.IsWindow());
}

TEST_F(AppLoop, PacingHoldsPaintsUntilDue)
{
    double now = 100.0;
    m_app.m_clock = nullptr;
    static double* s_now = nullptr;
    s_now = &now;
    m_app.m_clock = [] { return *s_now; };
    m_app.m_pacer.SetRate(10.0);
    m_wnd.m_invalidateOnPaint = true;
    m_wnd.InvalidateRect(nullptr, false);
    m_app.RunOnce();
    EXPECT_EQ(m_wnd.Count(WM_PAINT), 1);
    now += 0.05;  // half an interval: not yet
    m_app.RunOnce();
    EXPECT_EQ(m_wnd.Count(WM_PAINT), 1);
    // Messages are still handled while a paint waits.
    m_wnd.PostMessage(WM_APP_TEST);
    m_app.RunOnce();
    EXPECT_EQ(m_wnd.Count(WM_APP_TEST), 1);
    now += 0.05;
    m_app.RunOnce();
    EXPECT_EQ(m_wnd.Count(WM_PAINT), 2);
}

TEST(FramePacer, KeepsTheAverageRateAndNeverRushes)
{
    CFramePacer p;
    p.SetRate(0.0);
    EXPECT_TRUE(p.Ready(0.0));
    p.FramePresented(0.0);
    EXPECT_TRUE(p.Ready(0.0));

    p.SetRate(50.0);  // 20 ms
    EXPECT_TRUE(p.Ready(1.0));
    p.FramePresented(1.0);
    EXPECT_FALSE(p.Ready(1.010));
    EXPECT_NEAR(p.TimeUntilReady(1.010), 0.0075, 1e-9);  // due at 1.020, a little early counts
    EXPECT_TRUE(p.Ready(1.0175));
    // A frame presented late keeps the next due time on the grid.
    p.FramePresented(1.025);
    EXPECT_FALSE(p.Ready(1.030));
    EXPECT_TRUE(p.Ready(1.040));
    // Far behind (a stall): start afresh instead of a burst of frames.
    p.FramePresented(2.0);
    EXPECT_FALSE(p.Ready(2.001));
    EXPECT_NEAR(p.TimeUntilReady(2.0), 0.0175, 1e-9);
    EXPECT_DOUBLE_EQ(p.Rate(), 50.0);
}

TEST(FramePacer, FramesPaintedOutOfTurnDoNotPushTheScheduleAhead)
{
    // A key that asks for a paint at once, pressed 80 times between two paced frames.
    CFramePacer p;
    p.SetRate(10.0);
    p.FramePresented(1.0);
    for (int i = 1; i <= 80; ++i) p.FramePresented(1.0 + i * 0.001);
    EXPECT_FALSE(p.Ready(1.05));
    EXPECT_TRUE(p.Ready(1.1));
    p.FramePresented(1.1);
    EXPECT_TRUE(p.Ready(1.2));
}
