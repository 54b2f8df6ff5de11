// The desktop's browser on Windows: not wired up yet, so the caller shows the address instead.
#include "platform/DesktopBrowser.h"

namespace {
DesktopBrowserHandler& Handler()
{
    static DesktopBrowserHandler handler;
    return handler;
}
}

bool OpenInDesktopBrowser(const std::string& url)
{
    if (Handler()) return Handler()(url);
    return false;
}

DesktopBrowserHandler SetDesktopBrowserHandler(DesktopBrowserHandler handler)
{
    DesktopBrowserHandler old = std::move(Handler());
    Handler() = std::move(handler);
    return old;
}
