// The single-instance lock on Windows: the program's named mutex. The system frees it when the
// last handle goes, so a copy that died never keeps the next one out.
#include "platform/SingleInstance.h"

#include "platform/win32/Utf8.h"
#include "platform/win32/Win32.h"

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

// The mutex needs no folder, so nobody can take one from us.
std::filesystem::path CSingleInstanceLock::FallbackLockPath(const std::string& name) { return LockPath(name); }

CSingleInstanceLock::CSingleInstanceLock(const std::string& name)
{
    HANDLE h = CreateMutexW(nullptr, FALSE, Widen(name).c_str());
    // A lock we cannot make does not keep the user from running the program.
    if (!h) return;
    m_alreadyExists = GetLastError() == ERROR_ALREADY_EXISTS;
    m_handle = reinterpret_cast<intptr_t>(h);
}

CSingleInstanceLock::~CSingleInstanceLock()
{
    if (m_handle != -1) CloseHandle(reinterpret_cast<HANDLE>(m_handle));
}
