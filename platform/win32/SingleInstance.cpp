// The single-instance lock on Windows: the program's named mutex. The system frees it when the
// last handle goes, so a copy that died never keeps the next one out.
#include "platform/SingleInstance.h"

#include "platform/win32/Utf8.h"
#include "platform/win32/Win32.h"

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
