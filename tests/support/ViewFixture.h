// A universe view without a display: a bare scene, the start camera and a few hand-placed orbs.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "ExpectNear.h"
#include "engine/core/Geometry.h"
#include "platform/MessageQueue.h"
#include "platform/Wnd.h"
#include "universe/Orb.h"
#include "universe/UniversalConstants.h"
#include "universe/UniverseContext.h"
#include "view/UniverseView.h"

// The view under test. Creation makes a bare scene instead of loading a universe, and a paint runs
// the real frame with the simulation held (time stopped, as the editing frame stops it), so a test
// sees exactly what its input did.
class CTestUniverseView : public CUniverseView {
public:
    explicit CTestUniverseView(int mode) : CUniverseView(mode) {}

    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message) {
        case WM_CREATE:
            m_scene = new CUniverseScene;
            m_pipelineStatus = kInitialPipelineStatus;
            m_scene->m_status = m_pipelineStatus;
            m_camera = &m_scene->m_camera;
            m_camera->SetAbsolutePosition(g_pConstants->m_cameraPosition);
            m_camera->SetAbsoluteViewpoint(g_pConstants->m_cameraView);
            m_camera->SetAbsoluteUp(g_pConstants->m_cameraUp);
            return 0;
        case WM_PAINT:
            ++m_paints;
            Frame();
            return 0;
        default:
            return DefWindowProc(message, wParam, lParam);
        }
    }
    void PostNcDestroy() override {}

    void Frame()
    {
        GetWindowRect(&g_windowRect);
        const bool held = g_universeContext.timeStopped;
        g_universeContext.timeStopped = true;
        DrawFrame();
        g_universeContext.timeStopped = held;
    }

    int m_paints = 0;
};

class ViewFixture : public ::testing::Test {
protected:
    static constexpr RECT kRect{100, 50, 740, 530};  // 640 x 480 on the screen
    static constexpr int kCentreX = 320, kCentreY = 240;

    void SetUp() override
    {
        m_savedConstants = g_pConstants;
        g_pConstants = &m_constants;
        ClearMessageQueue();
        MakeView(0);
    }

    void TearDown() override
    {
        DestroyView();
        for (COrb* orb : g_orbs) delete orb;
        g_orbs.clear();
        ClearMessageQueue();
        g_openDialog = nullptr;
        g_pConstants = m_savedConstants;
    }

    void MakeView(int mode)
    {
        DestroyView();
        m_view = new CTestUniverseView(mode);
        m_view->m_windowMode = mode;
        ASSERT_TRUE(m_view->CreateEx(0, WS_POPUP, kRect, nullptr));
        m_view->GetWindowRect(&g_windowRect);
        ClearMessageQueue();
    }

    void DestroyView()
    {
        if (!m_view) return;
        CUniverseScene* scene = m_view->m_scene;
        m_view->DestroyWindow();
        delete m_view;
        delete scene;
        m_view = nullptr;
    }

    // An orb of diameter 30 at p, drawn by the scene and listed in g_orbs.
    COrb* AddOrb(const SFVec3f& p, const SFVec3f& velocity = SFVec3f::kZero)
    {
        auto* orb = new COrb(nullptr);
        auto* geometry = new CGeometry;
        geometry->m_localRegion = C3RRegion({-15, -15, -15}, {15, 15, 15});
        geometry->m_pOwner = orb->m_pShape;
        orb->m_pShape->m_pGeometry = geometry;
        orb->m_position = p;
        orb->m_pShape->m_position = p;
        orb->m_velocity = velocity;
        g_orbs.push_back(orb);
        m_view->m_scene->AddObject(orb->m_pShape);
        return orb;
    }

    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return m_view->WindowProc(message, wParam, lParam);
    }
    void KeyDown(WPARAM key, LPARAM lParam = 0) { Send(WM_KEYDOWN, key, lParam); }
    void KeyUp(WPARAM key, LPARAM lParam = 0) { Send(WM_KEYUP, key, lParam | kPreviousStateBit); }
    void Press(WPARAM key) { KeyDown(key); KeyUp(key); }

    // Puts the cursor over the window point (x from the left, y from the bottom).
    void CursorAt(int x, int y) { SetHeadlessCursorPos(CPoint(int(kRect.left) + x, int(kRect.bottom) - y)); }
    LRESULT Click(UINT message, int x = kCentreX, int y = kCentreY) { CursorAt(x, y); return Send(message); }

    void Paint() { m_view->SendMessage(WM_PAINT); }

    // Takes every queued message of the view out of the queue.
    std::vector<UINT> TakePosted()
    {
        std::vector<UINT> out;
        SQueuedMessage m;
        while (PopQueuedMessage(&m))
            if (m.wnd == m_view) out.push_back(m.message);
        return out;
    }
    int CountPosted(const std::vector<UINT>& posted, UINT message)
    {
        int n = 0;
        for (UINT m : posted) n += (m == message);
        return n;
    }
    // Hands queued messages to the view as the application loop would, paints included.
    void Pump()
    {
        SQueuedMessage m;
        while (PopQueuedMessage(&m))
            if (m.wnd == m_view) m_view->SendMessage(m.message, m.wParam, m.lParam);
    }

    CUniversalConstants m_constants;
    CUniversalConstants* m_savedConstants = nullptr;
    CTestUniverseView* m_view = nullptr;
};

