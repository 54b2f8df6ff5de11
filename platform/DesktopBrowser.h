// Hands an address to the desktop's own web browser (xdg-open), for when ours cannot show it.
#pragma once

#include <functional>
#include <string>

using DesktopBrowserHandler = std::function<bool(const std::string& url)>;

// Starts the desktop's browser on the address without waiting for it; false when this desktop
// has no way to open one.
bool OpenInDesktopBrowser(const std::string& url);
// Replaces the opener (tests); returns the previous one. Null restores the desktop's.
DesktopBrowserHandler SetDesktopBrowserHandler(DesktopBrowserHandler handler);
