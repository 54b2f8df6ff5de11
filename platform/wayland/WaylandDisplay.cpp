// Our own connection to a Wayland compositor: globals, outputs, the seat, EGL.
#include "platform/wayland/WaylandDisplay.h"

#include <epoxy/egl.h>
#include <linux/input-event-codes.h>
#include <poll.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/wayland/LayerShellProtocol.h"

namespace {
CWaylandDisplay* Self(void* data) { return static_cast<CWaylandDisplay*>(data); }

// --- registry ---
void Global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version)
{
    Self(data)->OnGlobal(registry, name, interface, version);
}
void GlobalRemove(void* data, wl_registry*, uint32_t name) { Self(data)->OnGlobalRemove(name); }
const wl_registry_listener kRegistry = {Global, GlobalRemove};

// --- outputs ---
void OutputGeometry(void* data, wl_output* output, int32_t x, int32_t y, int32_t, int32_t, int32_t, const char*,
                    const char*, int32_t)
{
    if (SWaylandOutput* o = Self(data)->OutputOf(output)) {
        o->x = x;
        o->y = y;
    }
}
void OutputMode(void* data, wl_output* output, uint32_t flags, int32_t width, int32_t height, int32_t)
{
    SWaylandOutput* o = Self(data)->OutputOf(output);
    if (o && (flags & WL_OUTPUT_MODE_CURRENT)) {
        o->pixelWidth = width;
        o->pixelHeight = height;
    }
}
void OutputDone(void* data, wl_output* output)
{
    if (SWaylandOutput* o = Self(data)->OutputOf(output)) o->done = true;
}
void OutputScale(void* data, wl_output* output, int32_t factor)
{
    if (SWaylandOutput* o = Self(data)->OutputOf(output)) o->scale = std::max(1, factor);
}
const wl_output_listener kOutput = {OutputGeometry, OutputMode, OutputDone, OutputScale, nullptr, nullptr};

// --- pointer ---
void PointerEnter(void* data, wl_pointer*, uint32_t, wl_surface* surface, wl_fixed_t x, wl_fixed_t y)
{
    SWaylandInput in;
    in.kind = SWaylandInput::kPointerEnter;
    in.surface = surface;
    in.x = wl_fixed_to_double(x);
    in.y = wl_fixed_to_double(y);
    Self(data)->OnPointer(in);
}
void PointerLeave(void* data, wl_pointer*, uint32_t, wl_surface* surface)
{
    SWaylandInput in;
    in.kind = SWaylandInput::kPointerLeave;
    in.surface = surface;
    Self(data)->OnPointer(in);
}
void PointerMotion(void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y)
{
    SWaylandInput in;
    in.kind = SWaylandInput::kPointerMotion;
    in.x = wl_fixed_to_double(x);
    in.y = wl_fixed_to_double(y);
    Self(data)->OnPointer(in);
}
void PointerButton(void* data, wl_pointer*, uint32_t, uint32_t, uint32_t button, uint32_t state)
{
    SWaylandInput in;
    in.kind = SWaylandInput::kPointerButton;
    in.button = button;
    in.pressed = state == WL_POINTER_BUTTON_STATE_PRESSED;
    Self(data)->OnPointer(in);
}
// The wheel and the grouping of events mean nothing to the saver or the background; libwayland
// aborts on an event without a listener, so each has one.
void PointerAxis(void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {}
void PointerFrame(void*, wl_pointer*) {}
void PointerAxisSource(void*, wl_pointer*, uint32_t) {}
void PointerAxisStop(void*, wl_pointer*, uint32_t, uint32_t) {}
void PointerAxisDiscrete(void*, wl_pointer*, uint32_t, int32_t) {}
void PointerAxisValue120(void*, wl_pointer*, uint32_t, int32_t) {}
const wl_pointer_listener kPointer = {PointerEnter,     PointerLeave,      PointerMotion,
                                      PointerButton,    PointerAxis,       PointerFrame,
                                      PointerAxisSource, PointerAxisStop, PointerAxisDiscrete,
                                      PointerAxisValue120};

// --- seat ---
void SeatCapabilities(void* data, wl_seat*, uint32_t caps) { Self(data)->OnSeatCapabilities(caps); }
void SeatName(void*, wl_seat*, const char*) {}
const wl_seat_listener kSeat = {SeatCapabilities, SeatName};

uint32_t ButtonBit(uint32_t button)
{
    switch (button) {
    case BTN_LEFT: return 1;
    case BTN_RIGHT: return 2;
    case BTN_MIDDLE: return 4;
    default: return 0;
    }
}
}  // namespace

RECT SWaylandOutput::Rect() const
{
    const int s = std::max(1, scale);
    return {x, y, x + pixelWidth / s, y + pixelHeight / s};
}

CWaylandDisplay::~CWaylandDisplay()
{
    DestroyContext();
    if (m_eglDisplay) eglTerminate(m_eglDisplay);
    if (m_pointer) wl_pointer_destroy(m_pointer);
    if (m_seat) wl_seat_destroy(m_seat);
    for (SWaylandOutput& o : m_outputs) wl_output_destroy(o.output);
    if (m_layerShell) zwlr_layer_shell_v1_destroy(m_layerShell);
    if (m_compositor) wl_compositor_destroy(m_compositor);
    if (m_registry) wl_registry_destroy(m_registry);
    if (m_display) wl_display_disconnect(m_display);
}

bool CWaylandDisplay::Connect()
{
    m_display = wl_display_connect(nullptr);
    if (!m_display) return false;
    m_registry = wl_display_get_registry(m_display);
    wl_registry_add_listener(m_registry, &kRegistry, this);
    // The globals, then what the outputs and the seat say about themselves.
    return Roundtrip() && Roundtrip() && m_compositor != nullptr;
}

void CWaylandDisplay::OnGlobal(wl_registry* registry, uint32_t name, const char* interface, uint32_t version)
{
    if (std::strcmp(interface, wl_compositor_interface.name) == 0) {
        m_compositor = static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, std::min(version, 4u)));
    } else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0) {
        m_layerShell = static_cast<zwlr_layer_shell_v1*>(
            wl_registry_bind(registry, name, &zwlr_layer_shell_v1_interface, std::min(version, 3u)));
    } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
        SWaylandOutput o;
        o.name = name;
        o.output = static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, std::min(version, 2u)));
        m_outputs.push_back(o);
        wl_output_add_listener(o.output, &kOutput, this);
    } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !m_seat) {
        m_seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, std::min(version, 5u)));
        wl_seat_add_listener(m_seat, &kSeat, this);
    }
}

void CWaylandDisplay::OnGlobalRemove(uint32_t name)
{
    // An output unplugged: its surfaces hear of it themselves (closed); only the list forgets it.
    for (auto it = m_outputs.begin(); it != m_outputs.end(); ++it)
        if (it->name == name) {
            wl_output_destroy(it->output);
            m_outputs.erase(it);
            return;
        }
}

SWaylandOutput* CWaylandDisplay::OutputOf(wl_output* output)
{
    for (SWaylandOutput& o : m_outputs)
        if (o.output == output) return &o;
    return nullptr;
}

void CWaylandDisplay::OnSeatCapabilities(uint32_t caps)
{
    if ((caps & WL_SEAT_CAPABILITY_POINTER) && !m_pointer) {
        m_pointer = wl_seat_get_pointer(m_seat);
        wl_pointer_add_listener(m_pointer, &kPointer, this);
    }
}

void CWaylandDisplay::OnPointer(const SWaylandInput& input)
{
    SWaylandInput in = input;
    if (in.kind == SWaylandInput::kPointerEnter) {
        m_pointerSurface = in.surface;
    } else if (in.kind == SWaylandInput::kPointerLeave) {
        m_pointerSurface = nullptr;
        m_buttons = 0;
    } else {
        in.surface = m_pointerSurface;
    }
    if (in.kind == SWaylandInput::kPointerButton) {
        if (in.pressed) m_buttons |= ButtonBit(in.button);
        else m_buttons &= ~ButtonBit(in.button);
    }
    if (in.surface) Deliver(in);
}

bool CWaylandDisplay::Roundtrip() { return m_display && wl_display_roundtrip(m_display) >= 0; }

bool CWaylandDisplay::Dispatch(int timeoutMs)
{
    // A connection broken on EGL's side (a swap) is as broken as on ours.
    if (!m_display || wl_display_get_error(m_display) != 0) return false;
    while (wl_display_prepare_read(m_display) != 0)
        if (wl_display_dispatch_pending(m_display) < 0) return false;
    if (wl_display_flush(m_display) < 0 && errno != EAGAIN) {
        wl_display_cancel_read(m_display);
        return false;
    }
    pollfd p{wl_display_get_fd(m_display), POLLIN, 0};
    const int ready = poll(&p, 1, timeoutMs);
    if (ready > 0 && (p.revents & POLLIN)) {
        // At the compositor's end this fails: nothing more can be read.
        if (wl_display_read_events(m_display) < 0) return false;
    } else {
        wl_display_cancel_read(m_display);
        if (ready > 0 && (p.revents & (POLLHUP | POLLERR))) return false;
    }
    return wl_display_dispatch_pending(m_display) >= 0;
}

bool CWaylandDisplay::EnsureContext()
{
    if (m_eglContext) return true;
    if (m_eglFailed) return false;
    m_eglFailed = true;
    m_eglDisplay = eglGetDisplay(reinterpret_cast<EGLNativeDisplayType>(m_display));
    if (!m_eglDisplay || !eglInitialize(m_eglDisplay, nullptr, nullptr) || !eglBindAPI(EGL_OPENGL_API)) return false;
    const EGLint config[] = {EGL_SURFACE_TYPE, EGL_WINDOW_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_RED_SIZE, 8,
                             EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_DEPTH_SIZE, 24, EGL_NONE};
    EGLConfig chosen = nullptr;
    EGLint count = 0;
    if (!eglChooseConfig(m_eglDisplay, config, &chosen, 1, &count) || count < 1) return false;
    const EGLint attributes[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 3,
                                 EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT, EGL_NONE};
    m_eglContext = eglCreateContext(m_eglDisplay, chosen, EGL_NO_CONTEXT, attributes);
    if (!m_eglContext) return false;
    m_eglConfig = chosen;
    m_eglFailed = false;
    return true;
}

void CWaylandDisplay::DestroyContext()
{
    if (!m_eglContext) return;
    eglMakeCurrent(m_eglDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(m_eglDisplay, m_eglContext);
    m_eglContext = nullptr;
}
