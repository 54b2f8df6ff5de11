// The universe window: creation of its scene, one frame per paint, size changes and the end.
#include "view/UniverseView.h"

#include "engine/core/PersistantObject.h"
#include "platform/MessageBox.h"
#include "universe/Collisions.h"
#include "universe/Motion.h"
#include "universe/OrbScene.h"
#include "universe/UniversalConstants.h"
#include "universe/UniverseContext.h"
#include "view/AppServices.h"

RECT g_windowRect;
void* g_openDialog = nullptr;

namespace {
CAppServices g_defaultApp;
CAppServices* g_pAppServices = nullptr;

const SFVec4f kSceneColor{0.0, 0.0, 0.1, 1.0};
const SFVec3f kLightAmbient{0.5, 0.5, 0.5};
const SFVec3f kLightDiffuse{1.0, 1.0, 1.0};
const SFVec3f kLightSpecular{1.0, 1.0, 1.0};

void ForgetOrbsOfView(void* ctx) { static_cast<CUniverseView*>(ctx)->ForgetOrbs(); }
}

CAppServices* GetAppServices() { return g_pAppServices ? g_pAppServices : &g_defaultApp; }
void SetAppServices(CAppServices* app) { g_pAppServices = app; }

CUniverseView::CUniverseView(int windowMode) : m_windowMode(windowMode)
{
    if (g_pConstants) m_followCentre = g_pConstants->m_cameraPosition;
    GetAppServices()->m_pUniverseView = this;
}

CUniverseView::~CUniverseView()
{
    // A view deleted while its window still exists frees the scene and orbs first.
    if (IsWindow()) DestroyWindow();
    if (GetAppServices()->m_pUniverseView == this) GetAppServices()->m_pUniverseView = nullptr;
}

bool CUniverseView::Create(uint32_t exStyle, uint32_t style, const RECT& rect, CWnd* parent, long nativeParent)
{
    const CAppServices* app = GetAppServices();
    m_autoRedraw = !app->m_previewMode;
    if (m_windowMode == kFrameWindow) {
        const RECT child{0, 0, m_clientSize.cx, m_clientSize.cy};
        return CreateEx(exStyle, style, child, parent, nativeParent);
    }
    // Full-screen saver and background are tool-window popups; only the preview keeps its styles.
    if (!(m_windowMode == kBackgroundWindow || (m_windowMode == kSaverWindow && app->m_previewMode))) {
        exStyle = WS_EX_TOOLWINDOW;
        style = WS_POPUP | WS_VISIBLE;
    }
    if (m_windowMode == kBackgroundWindow) exStyle |= WS_EX_DESKTOP;
    // The saver and the background cover every monitor, each showing the whole universe.
    if (m_windowMode == kBackgroundWindow || !app->m_previewMode) exStyle |= WS_EX_ALLMONITORS;
    // The window class's cursor (resource 132) is our own picture in the data folder.
    m_cursorImage = app->m_installDir.empty() ? std::string() : app->m_installDir + "/cursor132.png";
    return CreateEx(exStyle, style, rect, parent, nativeParent);
}

bool CUniverseView::CreateFullScreen(CWnd* parent)
{
    return Create(WS_EX_TOOLWINDOW, WS_POPUP | WS_VISIBLE, GetAppServices()->m_mainWindowRect, parent);
}

LRESULT CUniverseView::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        if (DefWindowProc(message, wParam, lParam) == -1) return -1;
        return OnCreate();
    case WM_PAINT:
        OnPaint();
        return 0;
    case WM_SIZE:
        OnSize(LoWord(lParam), HiWord(lParam));
        return 0;
    case WM_ERASEBKGND:
        // Every pixel is drawn by the frame.
        return TRUE;
    default:
        return DefWindowProc(message, wParam, lParam);
    }
}

int CUniverseView::OnCreate()
{
    CAppServices* app = GetAppServices();
    m_scene = new CUniverseScene;
    m_scene->KillContext();

    // Floating-point traps stay masked: a signal handler cannot throw here, so a bad value
    // shows up as a non-finite number that the simulation checks and the frame's catch-all covers.

    m_pipelineStatus = kInitialPipelineStatus;
    m_scene->m_status = kInitialPipelineStatus;

    m_scene->m_camera.SetFarPlaneDistance(2000.0);
    m_scene->m_camera.SetNearPlaneDistance(0.1);

    m_scene->m_light.SetColors(kLightAmbient, kLightDiffuse, kLightSpecular);
    m_scene->m_light.m_flags |= CLight::kLightOn;

    if (g_pConstants) {
        m_scene->m_camera.SetAbsolutePosition(g_pConstants->m_cameraPosition);
        m_scene->m_camera.SetAbsoluteViewpoint(g_pConstants->m_cameraView);
        m_scene->m_camera.SetAbsoluteUp(g_pConstants->m_cameraUp);
        m_scene->m_light.SetAbsoluteViewpoint(g_pConstants->m_lightView);
        m_scene->m_light.SetAbsoluteUp(g_pConstants->m_lightUp);
    }

    g_universeContext.scene = m_scene;
    g_universeContext.spatialMapDivisions = app->m_spatialMapDivisions;
    g_universeContext.onOrbsDestroyed = ForgetOrbsOfView;
    g_universeContext.ctx = this;

    // The loader places the camera of the file it reads.
    m_camera = &m_scene->m_camera;
    CShape* root = nullptr;
    // What the load has to say shows over the universe that stands in, not over an empty window.
    CMessageHold hold;
    if (!app->m_defaultUniverse.empty()) {
        root = BuildEmptyUniverse();
        // The loader has said what went wrong, if anything; the standard universe stands in then.
        if (root && !app->LoadUniverse(&app->m_defaultUniverse).Loaded()) root = nullptr;
    }
    if (!root) root = BuildUniverse({app->m_standardOrbCount, -1}, {0, -1});
    if (root) m_scene->AddObject(root);

    m_scene->m_color = kSceneColor;
    hold.Release();
    return 0;
}

void CUniverseView::OnPaint()
{
    SetFocus();
    GetWindowRect(&g_windowRect);
    try {
        DrawFrame();
    } catch (...) {
        // A failing frame is dropped whole; the next one comes when something asks for a paint.
    }
}

void CUniverseView::DrawFrame()
{
    if (!m_scene) return;
    MoveOrbs();
    CollideOrbs();
    FollowHookedOrb();
    if (m_keyFlags != 0) ApplyCameraKeys(m_camera);
    PlaceCamera();
    if (m_dragOrb) PlaceDraggedOrb();
    DrawPanes();
    if (m_scene->m_hitCount > 0) ProcessHits();
    if (m_autoRedraw && !GetAppServices()->m_editingMode) InvalidateRect(nullptr, false);
}

int CUniverseView::PaneUnderCursor() const
{
    CPoint cursor;
    if (!GetCursorPos(&cursor)) return 0;
    for (int pane = 0; pane < PaneCount(); ++pane) {
        RECT r;
        GetPaneRect(pane, &r);
        if (cursor.x >= r.left && cursor.x < r.right && cursor.y >= r.top && cursor.y < r.bottom) return pane;
    }
    return 0;
}

void CUniverseView::DrawPanes()
{
    // The pane under the mouse goes last: its RawDraw casts the hit ray of a click at its own
    // size, ends the frame, and leaves g_windowRect on it for the mouse points of the next one.
    const int active = PaneUnderCursor();
    for (int pane = 0; pane < PaneCount(); ++pane) {
        if (pane == active) continue;
        RECT r;
        GetPaneRect(pane, &r);
        BeginPane(pane);
        m_scene->DrawPane(r, m_pipelineStatus);
    }
    GetPaneRect(active, &g_windowRect);
    BeginPane(active);
    m_scene->RawDraw(this, nullptr, g_windowRect, m_pipelineStatus);
}

void CUniverseView::PaintStill()
{
    if (!m_scene) return;
    GetWindowRect(&g_windowRect);
    try {
        m_scene->RawDraw(this, nullptr, g_windowRect, m_pipelineStatus);
    } catch (...) {
        // The dialog still shows over whatever the window holds.
    }
}

void CUniverseView::OnSize(int cx, int cy)
{
    m_clientSize.cx = cx;
    m_clientSize.cy = cy;
    DefWindowProc(WM_SIZE, 0, MakeLParam(cx, cy));
    if (m_scene) m_scene->KillContext();
}

void CUniverseView::PostNcDestroy()
{
    DestroyAllOrbs();
    CPersistantObjectCatalog* catalog = CPersistantObject::DefaultCatalog();
    catalog->PurgeObjectMaps(false);
    delete catalog;
    CPersistantObject::BindDefaultCatalog(nullptr);

    // The scene goes with its window; nothing else holds it.
    if (g_universeContext.scene == m_scene) g_universeContext.scene = nullptr;
    if (g_universeContext.ctx == this) {
        g_universeContext.onOrbsDestroyed = nullptr;
        g_universeContext.ctx = nullptr;
    }
    delete m_scene;
    m_scene = nullptr;
    m_camera = nullptr;
}
