// The universe window without a display: creation in order, one frame per paint, the catch-all.
#include <gtest/gtest.h>

#include "../support/UniverseFixture.h"
#include "app/SaverApp.h"
#include "engine/core/Services.h"
#include "platform/MessageQueue.h"
#include "view/AppServices.h"
#include "view/UniverseView.h"

namespace {
class CCountingRenderer : public IRenderer {
public:
    int m_draws = 0;
    int m_kills = 0;
    bool m_throw = false;
    SFVec4f m_clear;

    void DrawScene(const CScene& scene, const std::vector<SDrawItem>& items, int width, int height) override
    {
        ++m_draws;
        m_clear = scene.m_color;
        m_items = items.size();
        m_sizes.emplace_back(width, height);
        int hidden = 0;
        for (const SDrawItem& item : items) hidden += item.shape->m_status.isTransientDisable();
        m_hidden.push_back(hidden);
        if (m_throw) throw 0;
    }
    std::vector<std::pair<int, int>> m_sizes;
    std::vector<int> m_hidden;
    void KillContext() override { ++m_kills; }
    size_t m_items = 0;
};

class UniverseFrame : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearMessageQueue();
        SetSceneRenderer(&m_renderer);
        SetAppServices(&m_app);
        m_app.m_standardOrbCount = 12;
        m_app.m_mainWindowRect = RECT{0, 0, 320, 200};
    }
    void TearDown() override
    {
        delete m_view;
        SetAppServices(nullptr);
        SetSceneRenderer(nullptr);
        ClearMessageQueue();
    }
    CUniverseView* MakeView(int mode)
    {
        m_view = new CUniverseView(mode);
        return m_view;
    }

    CUniverseSandbox m_sandbox;
    CCountingRenderer m_renderer;
    CAppServices m_app;
    CUniverseView* m_view = nullptr;
};
}

TEST_F(UniverseFrame, CreationSetsUpSceneCameraLightAndUniverse)
{
    CUniverseView* view = MakeView(0);
    EXPECT_EQ(m_app.m_pUniverseView, view);
    ASSERT_TRUE(view->CreateFullScreen(nullptr));
    ASSERT_NE(view->m_scene, nullptr);
    const CScene& s = *view->m_scene;
    EXPECT_GE(m_renderer.m_kills, 1);
    EXPECT_EQ(uint32_t(view->m_pipelineStatus), 942u);
    EXPECT_EQ(uint32_t(s.m_status), 942u);
    EXPECT_EQ(s.m_camera.m_near, 0.1);
    EXPECT_EQ(s.m_camera.m_far, 2000.0);
    EXPECT_EQ(s.m_light.m_flags, CLight::kHasAmbient | CLight::kHasDiffuse | CLight::kHasSpecular | CLight::kLightOn);
    EXPECT_EQ(s.m_light.m_ambient, SFVec3f(0.5, 0.5, 0.5));
    EXPECT_EQ(s.m_camera.GetAbsolutePosition(), g_pConstants->m_cameraPosition);
    EXPECT_EQ(s.m_color, SFVec4f(0, 0, 0.1, 1));
    EXPECT_EQ(view->m_camera, &view->m_scene->m_camera);
    EXPECT_EQ(g_universeContext.scene, view->m_scene);
    EXPECT_EQ(g_orbs.size(), 12u);
    // The saver's window is a tool-window popup whatever it was asked for.
    EXPECT_EQ(view->m_style, WS_POPUP | WS_VISIBLE);
    EXPECT_EQ(view->m_exStyle, WS_EX_TOOLWINDOW | WS_EX_ALLMONITORS);
    EXPECT_TRUE(view->m_autoRedraw);
}

TEST_F(UniverseFrame, APaintDrawsOneFrameAndAsksForTheNext)
{
    CUniverseView* view = MakeView(0);
    ASSERT_TRUE(view->CreateFullScreen(nullptr));
    const SFVec3f before = g_orbs[0]->m_position;
    g_orbs[0]->m_velocity = {1.0, 0.0, 0.0};
    view->SendMessage(WM_PAINT);
    EXPECT_EQ(m_renderer.m_draws, 1);
    EXPECT_EQ(m_renderer.m_items, 12u);
    EXPECT_EQ(m_renderer.m_clear, SFVec4f(0, 0, 0.1, 1));
    EXPECT_NE(g_orbs[0]->m_position, before);  // the simulation stepped
    EXPECT_EQ(RectWidth(g_windowRect), 320);
    EXPECT_TRUE(view->IsInvalidated());
}

TEST_F(UniverseFrame, AFailingFrameIsDroppedWithoutAskingForTheNext)
{
    CUniverseView* view = MakeView(0);
    ASSERT_TRUE(view->CreateFullScreen(nullptr));
    m_renderer.m_throw = true;
    EXPECT_NO_THROW(view->SendMessage(WM_PAINT));
    EXPECT_EQ(m_renderer.m_draws, 1);
    EXPECT_FALSE(view->IsInvalidated());
    // The next paint that someone asks for draws again.
    m_renderer.m_throw = false;
    view->SendMessage(WM_PAINT);
    EXPECT_TRUE(view->IsInvalidated());
}

TEST_F(UniverseFrame, PreviewAndEditingDoNotAnimateThemselves)
{
    m_app.m_previewMode = true;
    CUniverseView* view = MakeView(0);
    ASSERT_TRUE(view->Create(0, WS_CHILD | WS_VISIBLE, RECT{0, 0, 150, 100}, nullptr));
    EXPECT_EQ(view->m_style, WS_CHILD | WS_VISIBLE);
    EXPECT_EQ(view->m_exStyle & WS_EX_ALLMONITORS, 0u);
    EXPECT_FALSE(view->m_autoRedraw);
    view->SendMessage(WM_PAINT);
    EXPECT_FALSE(view->IsInvalidated());
    delete m_view;
    m_view = nullptr;

    m_app.m_previewMode = false;
    m_app.m_editingMode = true;
    view = MakeView(2);
    view->m_clientSize.cx = 200;
    view->m_clientSize.cy = 100;
    ASSERT_TRUE(view->Create(0, WS_CHILD | WS_VISIBLE, RECT{}, nullptr));
    view->SendMessage(WM_PAINT);
    EXPECT_EQ(m_renderer.m_draws, 2);
    EXPECT_FALSE(view->IsInvalidated());
}

TEST_F(UniverseFrame, BackgroundIsADesktopWindow)
{
    CUniverseView* view = MakeView(1);
    ASSERT_TRUE(view->CreateFullScreen(nullptr));
    EXPECT_EQ(view->m_exStyle, WS_EX_TOOLWINDOW | WS_EX_DESKTOP | WS_EX_ALLMONITORS);
}

TEST_F(UniverseFrame, EveryMonitorShowsTheSameFrameAtItsOwnAspect)
{
    CUniverseView* view = MakeView(0);
    ASSERT_TRUE(view->CreateFullScreen(nullptr));
    // A portrait monitor right of the first, with the mouse over it.
    const RECT second{320, 0, 420, 400};
    view->SetHeadlessPanes({RECT{0, 0, 320, 200}, second});
    SetHeadlessCursorPos(CPoint(350, 100));
    g_orbs[3]->m_pShape->m_status.setTransientDisable(true);
    m_renderer.m_sizes.clear();
    view->SendMessage(WM_PAINT);
    // One simulation step, drawn into each pane at its size; the pane under the mouse last.
    ASSERT_EQ(m_renderer.m_sizes.size(), 2u);
    EXPECT_EQ(m_renderer.m_sizes[0], (std::pair<int, int>(320, 200)));
    EXPECT_EQ(m_renderer.m_sizes[1], (std::pair<int, int>(100, 400)));
    // An orb hidden for the frame is hidden on every monitor, and shows again after it.
    ASSERT_EQ(m_renderer.m_hidden.size(), 2u);
    EXPECT_GE(m_renderer.m_hidden[0], 1);
    EXPECT_EQ(m_renderer.m_hidden[0], m_renderer.m_hidden[1]);
    EXPECT_FALSE(g_orbs[3]->m_pShape->m_status.isTransientDisable());
    // Mouse points are measured in the pane under the mouse.
    EXPECT_EQ(g_windowRect.left, second.left);
    EXPECT_EQ(g_windowRect.bottom, second.bottom);
    SetHeadlessCursorPos(CPoint());
}

TEST_F(UniverseFrame, SizeKeepsTheUniverseAndDropsTheContext)
{
    CUniverseView* view = MakeView(0);
    ASSERT_TRUE(view->CreateFullScreen(nullptr));
    const int kills = m_renderer.m_kills;
    view->SendMessage(WM_SIZE, 0, MakeLParam(640, 480));
    EXPECT_EQ(view->m_clientSize.cx, 640);
    EXPECT_EQ(view->m_clientSize.cy, 480);
    EXPECT_EQ(m_renderer.m_kills, kills + 1);
    EXPECT_EQ(g_orbs.size(), 12u);
    EXPECT_EQ(view->SendMessage(WM_ERASEBKGND), TRUE);
}

TEST_F(UniverseFrame, DestructionFreesOrbsAndScene)
{
    CUniverseView* view = MakeView(0);
    ASSERT_TRUE(view->CreateFullScreen(nullptr));
    view->PostMessage(WM_CLOSE);
    SQueuedMessage m;
    while (PopQueuedMessage(&m)) m.wnd->SendMessage(m.message, m.wParam, m.lParam);
    EXPECT_FALSE(view->IsWindow());
    EXPECT_TRUE(g_orbs.empty());
    EXPECT_EQ(view->m_scene, nullptr);
    EXPECT_EQ(g_universeContext.scene, nullptr);
}

TEST_F(UniverseFrame, EditingIdleAsksForEveryFrame)
{
    // The application's idle handler drives the view inside the editing frame.
    SetAppServices(nullptr);
    CSaverApp app({"nimbula.scr"}, SOwnOptions(), false);
    app.m_standardOrbCount = 3;
    app.m_editingMode = true;
    CUniverseView* view = MakeView(2);
    view->m_clientSize = {100, 100};
    ASSERT_TRUE(view->Create(0, WS_CHILD | WS_VISIBLE, RECT{}, nullptr));
    view->ValidateRect();
    EXPECT_TRUE(app.OnIdle(0));
    EXPECT_TRUE(view->IsInvalidated());
    delete m_view;
    m_view = nullptr;
    app.m_editingMode = false;
    EXPECT_FALSE(app.OnIdle(0));
}

TEST(SaverApp, SecondCopyOnlyShowsItsMessage)
{
    CUniverseSandbox sandbox;
    const int bound = BoundServiceCount();
    CUniversalConstants* before = g_pConstants;
    {
        CSaverApp app({"nimbula.scr", "/s"}, SOwnOptions(), true);
        EXPECT_FALSE(app.InitInstance());
        EXPECT_EQ(BoundServiceCount(), bound);
        EXPECT_EQ(app.m_pMainWnd, nullptr);
    }
    EXPECT_EQ(g_pConstants, before);
    ASSERT_FALSE(sandbox.m_messages.empty());
    EXPECT_EQ(sandbox.m_messages.back(), "Please switch to the already running copy of Nimbula");
}

TEST(SaverApp, PreviewWithoutWindowAndUnknownSwitches)
{
    CUniverseSandbox sandbox;
    const int bound = BoundServiceCount();
    {
        CSaverApp app({"nimbula.scr", "/p"}, SOwnOptions(), false);
        EXPECT_FALSE(app.InitInstance());
        EXPECT_EQ(BoundServiceCount(), bound + 5);
        ASSERT_FALSE(sandbox.m_messages.empty());
        EXPECT_EQ(sandbox.m_messages.back(), "This option is only for Windows internal use!");
    }
    // The destructor unbinds in reverse and frees the constants.
    EXPECT_EQ(BoundServiceCount(), bound);
    EXPECT_EQ(g_pConstants, nullptr);
    const size_t shown = sandbox.m_messages.size();
    {
        CSaverApp app({"nimbula.scr", "/S"}, SOwnOptions(), false);
        EXPECT_FALSE(app.InitInstance());
        EXPECT_EQ(app.m_pMainWnd, nullptr);
    }
    // Silent, apart from a possible installation message.
    for (size_t i = shown; i < sandbox.m_messages.size(); ++i)
        EXPECT_EQ(sandbox.m_messages[i].find("Nimbula is not correctly installed"), 0u);
}
