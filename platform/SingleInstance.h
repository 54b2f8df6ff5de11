// One copy at a time: a lock file that the system releases when the holder dies.
#pragma once

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
    bool Held() const { return m_fd >= 0 && !m_alreadyExists; }

    // $XDG_RUNTIME_DIR when set and usable, else the temp folder.
    static std::filesystem::path LockPath(const std::string& name);

private:
    int m_fd = -1;
    bool m_alreadyExists = false;
};
