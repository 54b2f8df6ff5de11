// The monitors as RandR lays them out.
#include "platform/x11/X11Monitors.h"

#include <X11/extensions/Xrandr.h>

std::vector<RECT> X11Monitors(Display* d)
{
    std::vector<RECT> out;
    int major = 0, minor = 0;
    if (!d || !XRRQueryVersion(d, &major, &minor) || !(major > 1 || (major == 1 && minor >= 5))) return out;
    int n = 0;
    XRRMonitorInfo* monitors = XRRGetMonitors(d, DefaultRootWindow(d), True, &n);
    for (int pass = 0; pass < 2 && monitors; ++pass)
        for (int i = 0; i < n; ++i)
            if (bool(monitors[i].primary) == (pass == 0) && monitors[i].width > 0 && monitors[i].height > 0)
                out.push_back({monitors[i].x, monitors[i].y, monitors[i].x + monitors[i].width,
                               monitors[i].y + monitors[i].height});
    if (monitors) XRRFreeMonitors(monitors);
    return out;
}
