// The universe window: owns the scene, draws one frame per paint, steers the camera and picks orbs.
#pragma once

#include <cstdint>

#include "engine/core/Scene.h"
#include "platform/Wnd.h"

class CShape;
class CLocalCoordinateSystem;

// The scene of one view; adds nothing but its own destructor.
class CUniverseScene : public CScene {
public:
    ~CUniverseScene() override = default;
};

constexpr uint32_t kInitialPipelineStatus = 942;

class CUniverseView : public CWnd {
public:
    // Camera step constants.
    static constexpr double kCameraStepAngle = 0.05;
    static constexpr double kCameraStepLength = 10.0;
    static constexpr double kCameraLimitSquared = 990000.0;
    static constexpr double kNearCentreSquared = 290000.0;

    // Held-key flags.
    enum : uint32_t {
        kKeyLeft = 0x01, kKeyRight = 0x02, kKeyUp = 0x04, kKeyDown = 0x08,
        kKeyShift = 0x10, kKeyCtrl = 0x20, kKeyAlt = 0x40,
    };

    // The values of m_windowMode: where the view's window sits.
    static constexpr int kSaverWindow = 0;       // the saver on every monitor, or its preview
    static constexpr int kBackgroundWindow = 1;  // the desktop background (b)
    static constexpr int kFrameWindow = 2;       // the pane of the editing frame

    explicit CUniverseView(int windowMode);
    ~CUniverseView() override;

    bool Create(uint32_t exStyle, uint32_t style, const RECT& rect, CWnd* parent, long nativeParent = 0);
    bool CreateFullScreen(CWnd* parent);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // The window's own messages (create, paint, size, erase, move).
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void PostNcDestroy() override;
    // The universe as it stands, for a dialog drawn over it.
    void PaintStill() override;

    // Window messages of the frame loop.
    int OnCreate();
    void OnPaint();
    // The steps of one frame; throws whatever the simulation or the engine throws.
    void DrawFrame();
    // Draws the frame into every pane (one per monitor), each at its own aspect.
    void DrawPanes();
    // The pane the mouse is over; 0 when it is over none.
    int PaneUnderCursor() const;
    void OnSize(int cx, int cy);

    // Keys (input).
    LRESULT OnKey(UINT message, WPARAM key, LPARAM lParam);
    // A, H, O and S: runs the dialog the application makes for the key, with the view frozen.
    void RunViewDialog(UINT message, WPARAM key);
    void BigBang();
    // Multiplies every orb's velocity (cool and warm).
    void ScaleVelocities(double factor);
    // The window point of the cursor: x from the left edge, y from the bottom edge.
    CPoint ComputeMousePoint() const;
    void PostPaint();

    // Camera.
    void ApplyCameraKeys(CLocalCoordinateSystem* cs);
    void TurnCamera(CLocalCoordinateSystem* cs, uint8_t axis, double angle);
    bool MoveCamera(CLocalCoordinateSystem* cs, const SFVec3f& direction);
    void FollowHookedOrb();
    void ResetCamera();
    void PlaceCamera();

    // Mouse and picking.
    LRESULT OnMouse(UINT message, WPARAM wParam, LPARAM lParam);
    void ProcessHits();
    void DragStep(CPoint point);
    void PlaceDraggedOrb();
    void ReleaseAndThrow();
    void Unhook();
    // With tracking off, a mouse move of more than a few pixels ends the saver.
    void CloseOnMove();
    // Forgets the grabbed and hooked orbs; called whenever orbs are destroyed.
    void ForgetOrbs();

    // Members of the window.
    CUniverseScene* m_scene = nullptr;
    int m_windowMode = 0;
    bool m_autoRedraw = true;
    struct { int cx = 0, cy = 0; } m_clientSize;
    CPipelineStatusWord m_pipelineStatus{0};

    // Members of the camera.
    uint32_t m_keyFlags = 0;
    CLocalCoordinateSystem* m_camera = nullptr;
    CShape* m_hookedOrb = nullptr;
    SFVec3f m_followCentre;
    SFVec3f m_cameraOffset;
    SFVec3f m_followView;
    bool m_firstFollowFrame = false;

    // Members of the mouse.
    bool m_mouseTracking = true;
    bool m_pickPending = false;
    CShape* m_dragOrb = nullptr;
    CPoint m_dragStart;
    SFVec3f m_dragPoint;
    SFVec3f m_throwVector;
    bool m_hookRequest = false;
    CPoint m_moveOrigin;
    bool m_moveOriginRecorded = false;
    CPoint m_mousePoint;  // window point of the message being handled (y from the bottom)
    // Counts the user's moves of orbs while time stands still (a drag let go, a big bang): the
    // editing frame's unsaved work, since a save then keeps the places shown.
    unsigned m_arrangements = 0;
    // The key whose press opened the last dialog: its release belongs to that dialog.
    WPARAM m_dialogKey = 0;
};

// The view's window rectangle in screen coordinates, written by every paint: with a pane per
// monitor, the rectangle of the pane under the mouse.
extern RECT g_windowRect;
// The modal dialog the view has open, null when none; while set the view ignores input.
extern void* g_openDialog;
