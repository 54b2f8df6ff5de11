// Our own X connection, for what SDL does not watch: windows of other programs (their size, their
// exposures, their end), the visibility of our windows, the pointer, the screen's power.
#pragma once

#include <vector>

#include <X11/Xlib.h>

#include "engine/math/Rect.h"

// A foreign window may vanish at any time; its X errors must not end the process. Put in before
// any connection opens and again after anyone (SDL's start) put in another.
void IgnoreX11Errors();

// What the connection heard about a window it watches.
struct SX11Notice {
    enum EKind { kVisibility, kMapped, kUnmapped, kDestroyed, kExposed };
    EKind kind = kExposed;
    unsigned long window = 0;
    bool fullyObscured = false;  // for kVisibility
};

// Whether a window of ours can be seen, kept from the notices about it.
struct SX11Visibility {
    bool obscured = false;  // fully covered by other windows
    bool unmapped = false;  // not on the screen (minimised, withdrawn)
    bool Hidden() const { return obscured || unmapped; }
    // True when the notice was about this window (and taken in).
    bool Take(const SX11Notice& notice, unsigned long window);
};

class CX11Connection {
public:
    CX11Connection() = default;
    CX11Connection(const CX11Connection&) = delete;
    CX11Connection& operator=(const CX11Connection&) = delete;
    ~CX11Connection();

    // Opens it on first use; a failure is said once, and every later call fails quietly.
    bool Open();
    // Closes it for good.
    void Close();
    bool IsOpen() const { return m_display != nullptr; }
    Display* Get() const { return m_display; }
    // The calls below need it open, and do nothing (or fail) otherwise.
    unsigned long Root() const;
    // The window's rectangle on the screen; false when it is gone.
    bool ReadWindowRect(unsigned long window, RECT* screenRect) const;
    // Exposures of a foreign window (SDL passes none on for a window it did not make).
    void WatchExposures(unsigned long window) const;
    // Visibility, mapping and the end of a window of ours (SDL keeps its event mask to itself).
    void WatchVisibility(unsigned long window) const;
    bool PointerPosition(CPoint* point) const;
    // Everything heard since the last call, in order (only the last of a run of exposures).
    std::vector<SX11Notice> TakeNotices() const;
    void Sync() const;

private:
    Display* m_display = nullptr;
    bool m_failed = false;
};
