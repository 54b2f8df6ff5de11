// The user's folders on POSIX systems, by the XDG base-directory rules.
#include "platform/UserFolders.h"

#include <cstdlib>

namespace fs = std::filesystem;

fs::path XdgBaseFolder(const char* variable, const char* belowHome)
{
    // Relative values are to be ignored, as the XDG base-directory rules say.
    const char* xdg = std::getenv(variable);
    const char* home = std::getenv("HOME");
    if (xdg && *xdg && fs::path(xdg).is_absolute()) return xdg;
    if (home && *home) return fs::path(home) / belowHome;
    std::error_code ec;
    return fs::current_path(ec) / belowHome;
}

fs::path UserDataFolder() { return XdgBaseFolder("XDG_DATA_HOME", ".local/share") / "nimbula"; }
