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

    // In $XDG_RUNTIME_DIR when set and usable, else in a folder of this user's own (POSIX: the
    // temp folder's nimbula-<uid>, made 0700; Windows, where the mutex needs no file: the user's
    // temp folder).
    static std::filesystem::path LockPath(const std::string& name);
    // Where the lock goes when LockPath's folder belongs to someone else (POSIX: a folder made
    // in the shared temp folder by another user first): the user's cache folder, nimbula/.
    static std::filesystem::path FallbackLockPath(const std::string& name);

private:
    // The system's handle of the lock: a file descriptor on POSIX, the mutex on Windows.
    intptr_t m_handle = -1;
    bool m_alreadyExists = false;
};
