// Where the single-instance lock lives; the lock itself is the system's (platform/posix, platform/win32).
#include "platform/SingleInstance.h"

#include <cstdlib>

std::filesystem::path CSingleInstanceLock::LockPath(const std::string& name)
{
    std::error_code ec;
    std::filesystem::path dir;
    if (const char* run = std::getenv("XDG_RUNTIME_DIR"); run && *run && std::filesystem::is_directory(run, ec))
        dir = run;
    else
        dir = std::filesystem::temp_directory_path(ec);
    if (dir.empty()) dir = "/tmp";
    return dir / (name + ".lock");
}
