// The SDL host's own X connection: what it watches for the windows SDL does not (visibility, a
// window destroyed from outside, windows of other programs and their size), RandR's monitors and
// the screen's power. Only where SDL's windows are X11 windows; a Wayland session opens none.
#include "platform/sdl/SdlHostWindow.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/sdl/SdlWindows.h"
#include "platform/sdl/SdlX11Windows.h"
#include "platform/x11/X11Monitors.h"
#include "platform/x11/X11Windows.h"

bool CSdlHost::OpenX() { return EnsureVideo() && SdlOnX11() && m_x.Open(); }

bool CSdlHost::ForeignWindowsReachable()
{
    if (!EnsureVideo()) return false;
    if (SdlOnX11()) return m_x.Open();
    if (!m_saidNoForeign)
        std::fprintf(stderr, "nimbula: windows of other programs can be drawn into only on an X11 display, not with SDL's %s video driver\n",
                     SDL_GetCurrentVideoDriver());
    m_saidNoForeign = true;
    return false;
}

bool CSdlHost::ReadForeignRect(unsigned long xid, RECT* screenRect)
{
    return OpenX() && m_x.ReadWindowRect(xid, screenRect);
}

bool CSdlHost::GetForeignClientRect(unsigned long window, RECT* rect)
{
    if (!ForeignWindowsReachable()) return false;
    const unsigned long xid = window ? window : m_x.Root();
    RECT r;
    if (!ReadForeignRect(xid, &r)) return false;
    *rect = {0, 0, RectWidth(r), RectHeight(r)};
    return true;
}

std::vector<RECT> CSdlHost::Monitors()
{
    std::vector<RECT> out;
    if (!EnsureVideo()) return out;
    auto add = [&out](const RECT& r) {
        // Mirrored outputs show one picture: one rectangle, one window.
        for (const RECT& o : out)
            if (o == r) return;
        out.push_back(r);
    };
    // RandR's monitors are what desktops lay out, which SDL's displays (one per output) are not;
    // off X11 SDL's displays are the compositor's outputs.
    if (OpenX())
        for (const RECT& r : X11Monitors(m_x.Get())) add(r);
    if (out.empty() && EnsureVideo()) {
        for (int i = 0; i < SDL_GetNumVideoDisplays(); ++i)
            if (const RECT r = DisplayPixelRect(i); RectWidth(r) > 0) add(r);
    }
    return out;
}

unsigned long CSdlHost::WatchVisibility(SDL_Window* window)
{
    if (!OpenX()) return 0;
    const unsigned long xid = X11WindowId(window);
    // On our own connection: SDL keeps its event mask to itself and passes no visibility on.
    if (xid) m_x.WatchVisibility(xid);
    return xid;
}

void CSdlHost::TrackVisibility(const SX11Notice& notice)
{
    for (CSdlWindow* w : m_tree.All<CSdlWindow>()) {
        if (w->m_foreign) continue;
        const bool wasHidden = w->IsHidden();
        w->m_visibility.Take(notice, w->m_xid);
        for (SSdlPane& p : w->m_extra) p.visibility.Take(notice, p.xid);
        // Shown again: the picture it had is stale.
        if (wasHidden && !w->IsHidden()) w->m_owner->InvalidateRect(nullptr, false);
    }
}

void CSdlHost::TrackScreenPower()
{
    // Asked once a second: a round trip to the server is cheap, a screen that is off is not.
    const uint64_t now = SDL_GetTicks64();
    if (!m_x.IsOpen() || now < m_nextPowerCheck) return;
    m_nextPowerCheck = now + 1000;
    const bool wasOff = m_screenOff;
    m_screenOff = X11ScreenOff(m_x.Get());
    if (wasOff && !m_screenOff)
        for (CSdlWindow* w : m_tree.All<CSdlWindow>()) w->m_owner->InvalidateRect(nullptr, false);
}

void CSdlHost::TrackXWindows()
{
    for (const SX11Notice& n : m_x.TakeNotices()) {
        if (n.kind == SX11Notice::kDestroyed) MarkDestroyed(n.window);
        else if (n.kind != SX11Notice::kExposed) TrackVisibility(n);
        else
            for (CSdlWindow* w : m_tree.All<CSdlWindow>())
                if (w->m_foreign == n.window) w->m_owner->InvalidateRect(nullptr, true);
    }
    // SDL reports neither the resizes nor the end of a window it did not make.
    for (CSdlWindow* w : m_tree.All<CSdlWindow>()) {
        if (!w->m_foreign || w->m_gone) continue;
        RECT r;
        if (!ReadForeignRect(w->m_foreign, &r)) {
            w->m_gone = true;
            w->m_owner->PostMessage(WM_CLOSE);
            continue;
        }
        const bool resized = RectWidth(r) != RectWidth(w->m_foreignRect) || RectHeight(r) != RectHeight(w->m_foreignRect);
        w->m_foreignRect = r;
        if (resized) {
            w->m_owner->PostMessage(WM_SIZE, 0, MakeLParam(int(RectWidth(r)), int(RectHeight(r))));
            w->m_owner->InvalidateRect(nullptr, false);
        }
    }
}

void CSdlHost::MarkDestroyed(unsigned long xid)
{
    // SDL says nothing of it; the StructureNotifyMask chosen for visibility brings DestroyNotify.
    // The window of any one monitor gone ends the view on all of them.
    for (CSdlWindow* w : m_tree.All<CSdlWindow>()) {
        if (w->m_foreign || w->m_parent) continue;
        bool ours = w->m_xid == xid;
        for (const SSdlPane& p : w->m_extra) ours = ours || p.xid == xid;
        if (ours) w->m_gone = true;
    }
}

bool CSdlHost::WindowGone(CSdlWindow* w)
{
    TrackXWindows();
    return w->TopWindow()->m_gone;
}
