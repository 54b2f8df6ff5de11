// The layer-shell host: a window of ours is one layer surface per output, each with an EGL
// surface of its own, all drawn with one OpenGL context; the window tree routes their input.
#include "platform/wayland/WaylandHost.h"

#include <epoxy/egl.h>
#include <linux/input-event-codes.h>
#include <poll.h>
#include <wayland-client.h>
#include <wayland-egl.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/gl/GlReadout.h"
#include "engine/gl/GlRenderer.h"
#include "platform/App.h"
#include "platform/FrameRateMeter.h"
#include "platform/Host.h"
#include "platform/WindowTree.h"
#include "platform/Wnd.h"
#include "platform/sdl/SdlSignals.h"
#include "platform/wayland/LayerShellProtocol.h"
#include "platform/wayland/WaylandDisplay.h"

namespace {
class CLayerHost;

// One output's surface of a window.
struct SLayerPane {
    wl_surface* surface = nullptr;
    zwlr_layer_surface_v1* layer = nullptr;
    wl_egl_window* eglWindow = nullptr;
    EGLSurface eglSurface = EGL_NO_SURFACE;
    RECT rect{0, 0, 0, 0};  // the output's, in the layout's units
    int scale = 1;
    int width = 0, height = 0;  // as the compositor configured it, in the layout's units
    bool configured = false;
    bool closed = false;
};

class CLayerWindow : public CTreeWindow {
public:
    CLayerHost* m_host = nullptr;
    std::vector<SLayerPane> m_panes;  // the first is the window's own place
    CFrameRateMeter m_rate;

    void GetWindowRect(RECT* rect) const override { GetPaneRect(0, rect); }
    void GetClientRect(RECT* rect) const override
    {
        RECT r;
        GetWindowRect(&r);
        *rect = {0, 0, RectWidth(r), RectHeight(r)};
    }
    void Destroy() override;
    void* NativeWindow() const override { return m_panes.empty() ? nullptr : m_panes[0].surface; }
    int PaneCount() const override { return int(m_panes.size()); }
    void GetPaneRect(int pane, RECT* rect) const override
    {
        if (m_panes.empty()) {
            *rect = m_childRect;
            return;
        }
        const SLayerPane& p = m_panes[size_t(std::clamp(pane, 0, int(m_panes.size()) - 1))];
        *rect = {p.rect.left, p.rect.top, p.rect.left + p.width, p.rect.top + p.height};
    }
    int PaneOf(const wl_surface* surface) const
    {
        for (size_t i = 0; i < m_panes.size(); ++i)
            if (m_panes[i].surface == surface) return int(i);
        return -1;
    }

protected:
    void MakePaneCurrent(int pane) override;
    void ShowPane(int pane) override;
    // The background never has the keyboard.
    void FocusSystemWindow() override {}
};

void Configure(void* data, zwlr_layer_surface_v1* layer, uint32_t serial, uint32_t width, uint32_t height);
void Closed(void* data, zwlr_layer_surface_v1* layer);
const zwlr_layer_surface_v1_listener kLayerSurface = {Configure, Closed};

class CLayerHost : public CWindowTreeHost {
public:
    explicit CLayerHost(const SHostOptions& options) : m_options(options)
    {
        m_wl.m_onInput = [this](const SWaylandInput& in) { Take(in); };
    }
    ~CLayerHost() override;
    bool Connect() { return m_wl.Connect() && m_wl.HasLayerShell() && !m_wl.Outputs().empty(); }

    IWindowBackend* CreateWindow(CWnd* owner, CWnd* parent, uint32_t exStyle, uint32_t style, const RECT& rect,
                                 long nativeParent) override;
    bool GetCursorPos(CPoint* point) override;
    void PumpEvents() override;
    void WaitEvents(double seconds) override;
    bool GetForeignClientRect(unsigned long, RECT*) override { return false; }

    void MakeCurrent(CLayerWindow* w, int pane);
    void Show(CLayerWindow* w, int pane);
    void DestroyWindow(CLayerWindow* w);
    void Configured(zwlr_layer_surface_v1* layer, uint32_t serial, int width, int height);
    void Closed(zwlr_layer_surface_v1* layer);

protected:
    std::vector<RECT> Monitors() override;

private:
    bool AddPane(CLayerWindow* w, const struct SWaylandOutput& output);
    bool EnsureRenderer();
    void Take(const SWaylandInput& in);
    CLayerWindow* WindowOf(const wl_surface* surface, int* pane) const;
    void LoseContext();
    void Broke();

    SHostOptions m_options;
    CWaylandDisplay m_wl;
    CGlRenderer* m_pRenderer = nullptr;
    CGlReadout* m_pReadout = nullptr;
    CLayerWindow* m_making = nullptr;  // a window whose surfaces are being configured
    CPoint m_pointer;
    bool m_pointerKnown = false;
    bool m_broken = false;
};

CLayerHost* g_layerHost = nullptr;

void Configure(void*, zwlr_layer_surface_v1* layer, uint32_t serial, uint32_t width, uint32_t height)
{
    if (g_layerHost) g_layerHost->Configured(layer, serial, int(width), int(height));
}

void Closed(void*, zwlr_layer_surface_v1* layer)
{
    if (g_layerHost) g_layerHost->Closed(layer);
}

void CLayerWindow::Destroy() { m_host->DestroyWindow(this); }
void CLayerWindow::MakePaneCurrent(int pane) { m_host->MakeCurrent(this, pane); }
void CLayerWindow::ShowPane(int pane) { m_host->Show(this, pane); }

CLayerHost::~CLayerHost()
{
    for (CLayerWindow* w : m_tree.All<CLayerWindow>()) DestroyWindow(w);
    LoseContext();
    if (GetSceneRenderer() == m_pRenderer) SetSceneRenderer(nullptr);
    delete m_pRenderer;
    delete m_pReadout;
    if (g_layerHost == this) g_layerHost = nullptr;
}

void CLayerHost::LoseContext()
{
    if (!m_wl.EglContext()) return;
    if (m_pRenderer) m_pRenderer->AbandonContext();
    if (m_pReadout) m_pReadout->AbandonContext();
    m_wl.DestroyContext();
}

std::vector<RECT> CLayerHost::Monitors()
{
    std::vector<RECT> out;
    for (const SWaylandOutput& o : m_wl.Outputs()) {
        const RECT r = o.Rect();
        // Mirrored outputs show one picture, as on X11.
        if (std::find(out.begin(), out.end(), r) == out.end() && RectWidth(r) > 0 && RectHeight(r) > 0)
            out.push_back(r);
    }
    return out;
}

bool CLayerHost::EnsureRenderer()
{
    if (!m_wl.EnsureContext()) {
        std::fprintf(stderr, "nimbula: no OpenGL 3.3 context on the Wayland display (EGL error 0x%x)\n", unsigned(eglGetError()));
        return false;
    }
    if (!m_pRenderer) m_pRenderer = new CGlRenderer;
    SetSceneRenderer(m_pRenderer);
    return true;
}

bool CLayerHost::AddPane(CLayerWindow* w, const SWaylandOutput& output)
{
    SLayerPane p;
    p.rect = output.Rect();
    p.scale = std::max(1, output.scale);
    p.surface = wl_compositor_create_surface(m_wl.Compositor());
    if (!p.surface) return false;
    p.layer = zwlr_layer_shell_v1_get_layer_surface(m_wl.LayerShell(), p.surface, output.output,
                                                    ZWLR_LAYER_SHELL_V1_LAYER_BACKGROUND, "nimbula");
    zwlr_layer_surface_v1_add_listener(p.layer, &kLayerSurface, this);
    zwlr_layer_surface_v1_set_anchor(p.layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                                                  ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    // The whole output, panels included: -1 is "move for nobody's exclusive zone".
    zwlr_layer_surface_v1_set_exclusive_zone(p.layer, -1);
    // Below every window and never focused: no keyboard at all.
    zwlr_layer_surface_v1_set_keyboard_interactivity(p.layer, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
    wl_surface_set_buffer_scale(p.surface, p.scale);
    wl_surface_commit(p.surface);
    w->m_panes.push_back(p);
    return true;
}

IWindowBackend* CLayerHost::CreateWindow(CWnd* owner, CWnd* parent, uint32_t exStyle, uint32_t style, const RECT& rect,
                                         long nativeParent)
{
    // Only what this host is for: the background over whole outputs.
    if (nativeParent != 0 || parent || !(exStyle & WS_EX_DESKTOP)) {
        std::fprintf(stderr, "nimbula: the layer-shell host makes only the desktop background's surfaces\n");
        return nullptr;
    }
    if (!EnsureRenderer()) return nullptr;
    g_layerHost = this;
    auto* w = new CLayerWindow;
    w->m_host = this;
    w->m_owner = owner;
    // The output under rect first: the window's own place.
    std::vector<const SWaylandOutput*> outputs;
    for (const SWaylandOutput& o : m_wl.Outputs()) {
        const RECT r = o.Rect();
        const bool first = r.left == rect.left && r.top == rect.top;
        outputs.insert(first ? outputs.begin() : outputs.end(), &o);
    }
    if (!(exStyle & WS_EX_ALLMONITORS) && outputs.size() > 1) outputs.resize(1);
    for (const SWaylandOutput* o : outputs) AddPane(w, *o);
    m_making = w;
    // Every surface configured before the first picture: a buffer before that is an error.
    for (int i = 0; i < 100; ++i) {
        if (std::all_of(w->m_panes.begin(), w->m_panes.end(), [](const SLayerPane& p) { return p.configured || p.closed; }))
            break;
        if (!m_wl.Roundtrip()) break;
    }
    std::vector<SLayerPane> kept;
    for (SLayerPane& p : w->m_panes) {
        if (p.configured && !p.closed) {
            kept.push_back(p);
            continue;
        }
        std::fprintf(stderr, "nimbula: the compositor gave no place on the output at %ld,%ld\n", long(p.rect.left), long(p.rect.top));
        if (p.layer) zwlr_layer_surface_v1_destroy(p.layer);
        if (p.surface) wl_surface_destroy(p.surface);
    }
    w->m_panes = kept;
    m_making = nullptr;
    for (SLayerPane& p : w->m_panes) {
        p.eglWindow = wl_egl_window_create(p.surface, p.width * p.scale, p.height * p.scale);
        p.eglSurface = eglCreateWindowSurface(m_wl.EglDisplay(), m_wl.EglConfig(), reinterpret_cast<EGLNativeWindowType>(p.eglWindow), nullptr);
        if (p.eglSurface == EGL_NO_SURFACE) p.closed = true;
        else if (eglMakeCurrent(m_wl.EglDisplay(), p.eglSurface, p.eglSurface, m_wl.EglContext()))
            // A surface the compositor does not show (below a full-screen window, an output off)
            // gets no frame callbacks: a swap that waited for one would stop every output. The
            // program's own pace keeps the rate.
            eglSwapInterval(m_wl.EglDisplay(), 0);
    }
    if (w->m_panes.empty() || w->m_panes[0].closed) {
        std::fprintf(stderr, "nimbula: cannot make a surface on the Wayland display\n");
        m_tree.Add(w);
        DestroyWindow(w);
        delete w;
        return nullptr;
    }
    m_tree.Add(w);
    MakeCurrent(w, 0);
    return w;
}

void CLayerHost::Configured(zwlr_layer_surface_v1* layer, uint32_t serial, int width, int height)
{
    zwlr_layer_surface_v1_ack_configure(layer, serial);
    auto resize = [&](CLayerWindow* w, SLayerPane& p, int pane) {
        const bool changed = p.configured && ((width && p.width != width) || (height && p.height != height));
        // Zero leaves the size to us: the output's.
        p.width = width > 0 ? width : int(RectWidth(p.rect));
        p.height = height > 0 ? height : int(RectHeight(p.rect));
        p.configured = true;
        if (!changed) return;
        if (p.eglWindow) wl_egl_window_resize(p.eglWindow, width * p.scale, height * p.scale, 0, 0);
        if (pane == 0 && w->m_owner) w->m_owner->PostMessage(WM_SIZE, 0, MakeLParam(width, height));
        if (w->m_owner) w->m_owner->InvalidateRect(nullptr, false);
    };
    for (CLayerWindow* w : m_tree.All<CLayerWindow>())
        for (size_t i = 0; i < w->m_panes.size(); ++i)
            if (w->m_panes[i].layer == layer) return resize(w, w->m_panes[i], int(i));
    // A window being made is not in the tree yet.
    if (m_making)
        for (size_t i = 0; i < m_making->m_panes.size(); ++i)
            if (m_making->m_panes[i].layer == layer) return resize(m_making, m_making->m_panes[i], int(i));
}

void CLayerHost::Closed(zwlr_layer_surface_v1* layer)
{
    // The output went, or the compositor took the surface away: the view goes with any of its
    // surfaces, as the X11 windows of a saver do.
    for (CLayerWindow* w : m_tree.All<CLayerWindow>())
        for (SLayerPane& p : w->m_panes)
            if (p.layer == layer && !p.closed) {
                p.closed = true;
                w->m_gone = true;
            }
    if (m_making)
        for (SLayerPane& p : m_making->m_panes)
            if (p.layer == layer) p.closed = true;
}

void CLayerHost::MakeCurrent(CLayerWindow* w, int pane)
{
    if (w->m_panes.empty() || !m_wl.EglContext() || w->m_gone) return;
    SLayerPane& p = w->m_panes[size_t(std::clamp(pane, 0, int(w->m_panes.size()) - 1))];
    if (p.closed) return;
    eglMakeCurrent(m_wl.EglDisplay(), p.eglSurface, p.eglSurface, m_wl.EglContext());
    if (m_pRenderer) m_pRenderer->SetDrawableSize(p.width * p.scale, p.height * p.scale, p.surface);
}

void CLayerHost::Show(CLayerWindow* w, int pane)
{
    if (pane < 0 || pane >= int(w->m_panes.size())) return;
    SLayerPane& p = w->m_panes[size_t(pane)];
    if (p.closed || w->m_gone) return;
    if (m_options.showFps && m_wl.EglContext()) {
        using namespace std::chrono;
        if (pane == 0) w->m_rate.FramePresented(duration<double>(steady_clock::now().time_since_epoch()).count());
        MakeCurrent(w, pane);
        if (!m_pReadout) m_pReadout = new CGlReadout;
        m_pReadout->Draw(w->m_rate.Text(), p.width * p.scale, p.height * p.scale);
    }
    eglSwapBuffers(m_wl.EglDisplay(), p.eglSurface);
}

void CLayerHost::DestroyWindow(CLayerWindow* w)
{
    m_tree.Remove(w);
    if (m_tree.Windows().empty()) LoseContext();
    else eglMakeCurrent(m_wl.EglDisplay(), EGL_NO_SURFACE, EGL_NO_SURFACE, m_wl.EglContext());
    for (SLayerPane& p : w->m_panes) {
        if (p.eglSurface != EGL_NO_SURFACE && m_wl.EglDisplay()) eglDestroySurface(m_wl.EglDisplay(), p.eglSurface);
        if (p.eglWindow) wl_egl_window_destroy(p.eglWindow);
        if (p.layer) zwlr_layer_surface_v1_destroy(p.layer);
        if (p.surface) wl_surface_destroy(p.surface);
    }
    w->m_panes.clear();
    m_wl.Roundtrip();
}

CLayerWindow* CLayerHost::WindowOf(const wl_surface* surface, int* pane) const
{
    for (CLayerWindow* w : m_tree.All<CLayerWindow>()) {
        const int i = w->PaneOf(surface);
        if (i >= 0) {
            *pane = i;
            return w;
        }
    }
    return nullptr;
}

void CLayerHost::Take(const SWaylandInput& in)
{
    int pane = 0;
    CLayerWindow* w = WindowOf(in.surface, &pane);
    if (!w) return;
    if (in.kind == SWaylandInput::kPointerLeave) {
        m_tree.MouseLeft(w);
        return;
    }
    // Points reach the tree in the window's client coordinates: its first output's surface.
    const RECT& own = w->m_panes[0].rect;
    const RECT& on = w->m_panes[size_t(pane)].rect;
    if (in.kind != SWaylandInput::kPointerButton) {
        m_pointer = CPoint(on.left + long(std::lround(in.x)), on.top + long(std::lround(in.y)));
        m_pointerKnown = true;
    }
    const CPoint point(m_pointer.x - own.left, m_pointer.y - own.top);
    const uint32_t buttons = m_wl.ButtonsDown();
    WPARAM keys = 0;
    if (buttons & 1) keys |= 0x0001;
    if (buttons & 2) keys |= 0x0002;
    if (buttons & 4) keys |= 0x0010;
    UINT message = WM_MOUSEMOVE;
    if (in.kind == SWaylandInput::kPointerButton) {
        switch (in.button) {
        case BTN_LEFT: message = in.pressed ? WM_LBUTTONDOWN : WM_LBUTTONUP; break;
        case BTN_RIGHT: message = in.pressed ? WM_RBUTTONDOWN : WM_RBUTTONUP; break;
        case BTN_MIDDLE: message = in.pressed ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
        default: return;
        }
    }
    // The compositor holds the pointer for the surface while a button is down.
    m_tree.PostMouse(w, message, keys, point, buttons != 0);
}

bool CLayerHost::GetCursorPos(CPoint* point)
{
    if (!m_pointerKnown) return false;
    *point = m_pointer;
    return true;
}

void CLayerHost::Broke()
{
    // The compositor is gone: so is every surface, and the program with them.
    m_broken = true;
    std::fprintf(stderr, "nimbula: the connection to the Wayland compositor broke\n");
    for (CLayerWindow* w : m_tree.All<CLayerWindow>()) w->m_gone = true;
}

void CLayerHost::PumpEvents()
{
    // Asked again on every turn until it has ended, as SDL's host does.
    if (TermRequested()) AfxCloseMainWindow();
    if (!m_broken && !m_wl.Dispatch(0)) Broke();
    // A window whose surface went is destroyed as a window destroyed from outside.
    DestroyGoneWindows();
}

void CLayerHost::WaitEvents(double seconds)
{
    const int ms = std::max(1, int(std::ceil(seconds * 1000.0)));
    if (TermRequested()) return;
    if (m_broken) {
        // Nothing more will come: only the pace's wait.
        ::poll(nullptr, 0, ms);
        return;
    }
    if (!m_wl.Dispatch(ms)) Broke();
}

// A session whose windows SDL would make on Wayland, unless X11 is asked for by name.
bool WaylandSession()
{
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    return wayland && *wayland && !(driver && std::strncmp(driver, "x11", 3) == 0);
}
}  // namespace

std::unique_ptr<IWindowHost> CreateLayerShellHost(const SHostOptions& options)
{
    if (options.run != SHostOptions::ERun::Background || !WaylandSession()) return nullptr;
    auto host = std::make_unique<CLayerHost>(options);
    if (host->Connect()) return host;
    std::fprintf(stderr, "nimbula: this Wayland compositor offers no layer shell (zwlr_layer_shell_v1): the background is "
                             "an ordinary window over the others, and takes the focus when clicked\n");
    return nullptr;
}
