// Our own connection to a Wayland compositor, for what SDL2 cannot ask of it: surfaces in the
// compositor's layers (wlr-layer-shell). The outputs, the seat's pointer (the background never
// has the keyboard), and one OpenGL 3.3 core context over EGL that every surface draws with.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/math/Rect.h"

struct wl_display;
struct wl_registry;
struct wl_compositor;
struct wl_output;
struct wl_seat;
struct wl_pointer;
struct wl_surface;
struct zwlr_layer_shell_v1;

struct SWaylandOutput {
    wl_output* output = nullptr;
    uint32_t name = 0;  // the registry's
    int x = 0, y = 0;   // in the compositor's layout
    int pixelWidth = 0, pixelHeight = 0;
    int scale = 1;
    bool done = false;  // every property has come at least once
    RECT Rect() const;  // in the layout's units (pixels over the scale)
};

// What the seat reports, in the connection's terms; the host turns them into messages.
struct SWaylandInput {
    enum EKind { kPointerEnter, kPointerLeave, kPointerMotion, kPointerButton };
    EKind kind = kPointerMotion;
    wl_surface* surface = nullptr;  // the surface the pointer is on
    bool pressed = false;           // kPointerButton
    uint32_t button = 0;            // kPointerButton: BTN_LEFT, ...
    double x = 0.0, y = 0.0;        // the pointer's place on its surface
};

class CWaylandDisplay {
public:
    CWaylandDisplay() = default;
    CWaylandDisplay(const CWaylandDisplay&) = delete;
    CWaylandDisplay& operator=(const CWaylandDisplay&) = delete;
    ~CWaylandDisplay();

    // Connects and learns the globals and the outputs; false when there is no compositor.
    bool Connect();
    bool HasLayerShell() const { return m_layerShell != nullptr; }
    wl_display* Display() const { return m_display; }
    wl_compositor* Compositor() const { return m_compositor; }
    zwlr_layer_shell_v1* LayerShell() const { return m_layerShell; }
    const std::vector<SWaylandOutput>& Outputs() const { return m_outputs; }

    // Sends what is queued, reads what has come (waiting up to timeoutMs, 0 for not at all) and
    // hands it to the listeners; false once the connection is broken.
    bool Dispatch(int timeoutMs);
    bool Roundtrip();

    // The seat's input, delivered as it is dispatched.
    std::function<void(const SWaylandInput&)> m_onInput;
    uint32_t ButtonsDown() const { return m_buttons; }  // bit per button: 1 left, 2 right, 4 middle

    // EGL: one context, made on first use, current with no surface until one is made current.
    bool EnsureContext();
    void* EglDisplay() const { return m_eglDisplay; }
    void* EglConfig() const { return m_eglConfig; }
    void* EglContext() const { return m_eglContext; }
    void DestroyContext();

    // Listener entry points (C callbacks reach the object through these).
    void OnGlobal(wl_registry* registry, uint32_t name, const char* interface, uint32_t version);
    void OnGlobalRemove(uint32_t name);
    SWaylandOutput* OutputOf(wl_output* output);
    void OnSeatCapabilities(uint32_t caps);
    void OnPointer(const SWaylandInput& input);
    void Deliver(const SWaylandInput& input)
    {
        if (m_onInput) m_onInput(input);
    }
    wl_surface* m_pointerSurface = nullptr;
    uint32_t m_buttons = 0;

private:
    wl_display* m_display = nullptr;
    wl_registry* m_registry = nullptr;
    wl_compositor* m_compositor = nullptr;
    zwlr_layer_shell_v1* m_layerShell = nullptr;
    wl_seat* m_seat = nullptr;
    wl_pointer* m_pointer = nullptr;
    std::vector<SWaylandOutput> m_outputs;
    void* m_eglDisplay = nullptr;
    void* m_eglConfig = nullptr;
    void* m_eglContext = nullptr;
    bool m_eglFailed = false;
};
