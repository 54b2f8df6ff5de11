// The desktop's browser on Windows: the shell opens the address with the program the user chose
// for it (the default browser for web pages, the one for .html files for a local page).
#include "platform/DesktopBrowser.h"

#include <cstdint>

#include "platform/win32/Utf8.h"
#include "platform/win32/Win32.h"

namespace {
DesktopBrowserHandler& Handler()
{
    static DesktopBrowserHandler handler;
    return handler;
}

bool ShellOpen(const std::string& url)
{
    // The address is the file to open, never a command line: nothing in it is run as an argument.
    const HINSTANCE result = ShellExecuteW(nullptr, L"open", Widen(url).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    // Values above 32 mean success; the rest are the shell's error codes.
    return reinterpret_cast<intptr_t>(result) > 32;
}
}

bool OpenInDesktopBrowser(const std::string& url)
{
    if (Handler()) return Handler()(url);
    return ShellOpen(url);
}

DesktopBrowserHandler SetDesktopBrowserHandler(DesktopBrowserHandler handler)
{
    DesktopBrowserHandler old = std::move(Handler());
    Handler() = std::move(handler);
    return old;
}
