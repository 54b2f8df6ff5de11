// One copy at a time: a lock the system releases when the holder dies (a locked file on POSIX,
// the program's named mutex on Windows).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

class CSingleInstanceLock {
public:
    // Takes the lock named name; never throws.
    explicit CSingleInstanceLock(const std::string& name);
    ~CSingleInstanceLock();
    CSingleInstanceLock(const CSingleInstanceLock&) = delete;
    CSingleInstanceLock& operator=(const CSingleInstanceLock&) = delete;

    // Another process holds the lock (the classic "already exists" answer).
    bool AlreadyExists() const { return m_alreadyExists; }
    // This process holds the lock.
    bool Held() const { return m_handle != -1 && !m_alreadyExists; }

private:
    // The system's handle of the lock: a file descriptor on POSIX, the mutex on Windows.
    intptr_t m_handle = -1;
    bool m_alreadyExists = false;
};
