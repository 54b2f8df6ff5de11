// Our own X connection, for what SDL does not watch.
#include "platform/x11/X11Connection.h"

#include <cstdio>

#include "platform/x11/X11Windows.h"

namespace {
int OnXError(Display*, XErrorEvent*) { return 0; }
}

void IgnoreX11Errors() { XSetErrorHandler(OnXError); }

bool SX11Visibility::Take(const SX11Notice& notice, unsigned long window)
{
    if (!window || notice.window != window) return false;
    if (notice.kind == SX11Notice::kVisibility) obscured = notice.fullyObscured;
    else if (notice.kind == SX11Notice::kUnmapped) unmapped = true;
    else if (notice.kind == SX11Notice::kMapped) unmapped = false;
    return true;
}

CX11Connection::~CX11Connection() { Close(); }

void CX11Connection::Close()
{
    if (m_display) XCloseDisplay(m_display);
    m_display = nullptr;
    m_failed = true;
}

bool CX11Connection::Open()
{
    if (m_display) return true;
    if (m_failed) return false;
    // This connection may come before SDL's (a foreign window looked at first).
    IgnoreX11Errors();
    m_display = XOpenDisplay(nullptr);
    if (!m_display) {
        // Said once: every later look at a window would only fail the same way.
        std::fprintf(stderr, "nimbula: cannot open the display %s\n", DisplayName().c_str());
        m_failed = true;
    }
    return m_display != nullptr;
}

unsigned long CX11Connection::Root() const { return m_display ? DefaultRootWindow(m_display) : 0; }

bool CX11Connection::ReadWindowRect(unsigned long window, RECT* screenRect) const
{
    if (!m_display) return false;
    XWindowAttributes a;
    if (!XGetWindowAttributes(m_display, Window(window), &a)) return false;
    int x = 0, y = 0;
    Window child;
    XTranslateCoordinates(m_display, Window(window), a.root, 0, 0, &x, &y, &child);
    *screenRect = {x, y, x + a.width, y + a.height};
    return true;
}

void CX11Connection::WatchExposures(unsigned long window) const
{
    if (!m_display) return;
    XSelectInput(m_display, Window(window), ExposureMask);
    XFlush(m_display);
}

void CX11Connection::WatchVisibility(unsigned long window) const
{
    if (!m_display) return;
    // StructureNotifyMask brings the window's end too (DestroyNotify).
    XSelectInput(m_display, Window(window), VisibilityChangeMask | StructureNotifyMask);
    XFlush(m_display);
}

bool CX11Connection::PointerPosition(CPoint* point) const
{
    if (!m_display) return false;
    Window root = 0, child = 0;
    int rx = 0, ry = 0, wx = 0, wy = 0;
    unsigned int mask = 0;
    if (!XQueryPointer(m_display, DefaultRootWindow(m_display), &root, &child, &rx, &ry, &wx, &wy, &mask)) return false;
    *point = CPoint(rx, ry);
    return true;
}

std::vector<SX11Notice> CX11Connection::TakeNotices() const
{
    std::vector<SX11Notice> out;
    while (m_display && XPending(m_display)) {
        XEvent ev;
        XNextEvent(m_display, &ev);
        SX11Notice n;
        n.window = ev.xany.window;
        switch (ev.type) {
        case VisibilityNotify:
            n.kind = SX11Notice::kVisibility;
            n.fullyObscured = ev.xvisibility.state == VisibilityFullyObscured;
            break;
        case MapNotify: n.kind = SX11Notice::kMapped; break;
        case UnmapNotify: n.kind = SX11Notice::kUnmapped; break;
        case DestroyNotify:
            n.kind = SX11Notice::kDestroyed;
            n.window = ev.xdestroywindow.window;
            break;
        case Expose:
            if (ev.xexpose.count != 0) continue;
            n.kind = SX11Notice::kExposed;
            n.window = ev.xexpose.window;
            break;
        default: continue;
        }
        out.push_back(n);
    }
    return out;
}

void CX11Connection::Sync() const
{
    if (m_display) XSync(m_display, False);
}
