// The single-instance lock on Windows: a file opened for this process alone, which the system
// closes (and so frees) when the holder dies, as flock does on POSIX.
#include "platform/SingleInstance.h"

#include <cstdlib>

#include <windows.h>

// The temp folder is the user's own on Windows.
std::filesystem::path CSingleInstanceLock::LockPath(const std::string& name)
{
    std::error_code ec;
    std::filesystem::path dir;
    if (const char* run = std::getenv("XDG_RUNTIME_DIR"); run && *run && std::filesystem::is_directory(run, ec))
        dir = run;
    else
        dir = std::filesystem::temp_directory_path(ec);
    return dir / (name + ".lock");
}

CSingleInstanceLock::CSingleInstanceLock(const std::string& name)
{
    const std::filesystem::path path = LockPath(name);
    // No sharing: a second open fails while the first handle lives.
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        m_handle = reinterpret_cast<intptr_t>(h);
        return;
    }
    // A lock we cannot make does not keep the user from running the program.
    m_alreadyExists = GetLastError() == ERROR_SHARING_VIOLATION;
}

CSingleInstanceLock::~CSingleInstanceLock()
{
    if (m_handle != -1) CloseHandle(reinterpret_cast<HANDLE>(m_handle));
}
