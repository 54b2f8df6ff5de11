// The single-instance lock on POSIX: flock on a file, released by the kernel when the process ends.
// The file lies in a folder of this user's own and is opened without following links, so another
// user can neither hold the lock nor make us create a file elsewhere; where another user took
// the folder's name first, the lock goes to the user's cache folder.
#include "platform/SingleInstance.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/core/FileIO.h"
#include "platform/UserFolders.h"
#include "platform/posix/LockPath.h"

namespace fs = std::filesystem;

namespace {
// A folder, no link, ours and closed to others' writing.
bool IsOwnFolder(const fs::path& dir)
{
    struct stat st = {};
    return ::lstat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
           (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}
}

fs::path LockPath(const std::string& name)
{
    std::error_code ec;
    if (const char* run = std::getenv("XDG_RUNTIME_DIR"); run && *run && fs::is_directory(run, ec))
        return fs::path(run) / (name + ".lock");
    fs::path tmp = fs::temp_directory_path(ec);
    if (tmp.empty()) tmp = "/tmp";
    // One fixed name in the shared temp folder would be every user's lock.
    return tmp / ("nimbula-" + std::to_string(::geteuid())) / (name + ".lock");
}

fs::path FallbackLockPath(const std::string& name)
{
    return XdgBaseFolder("XDG_CACHE_HOME", ".cache") / "nimbula" / (name + ".lock");
}

namespace {
// The lock's folder, made when missing (0700, so another user can neither hold the lock nor
// plant anything in it); false when it is someone else's or open to others.
bool MakeOwnFolder(const fs::path& dir, bool withParents)
{
    std::error_code ec;
    if (withParents) fs::create_directories(dir.parent_path(), ec);
    ::mkdir(dir.c_str(), 0700);
    return IsOwnFolder(dir);
}
}

CSingleInstanceLock::CSingleInstanceLock(const std::string& name)
{
    fs::path path = LockPath(name);
    if (!MakeOwnFolder(path.parent_path(), false)) {
        // Someone else made the folder first: the lock goes where no other user reaches.
        const fs::path taken = path.parent_path();
        path = FallbackLockPath(name);
        if (!MakeOwnFolder(path.parent_path(), true)) return;
        struct stat st = {};
        const bool others = ::lstat(taken.c_str(), &st) == 0 && st.st_uid != ::geteuid();
        const std::string why = others ? "belongs to another user (uid " + std::to_string(st.st_uid) + ")"
                                       : "is not a folder closed to other users";
        std::fprintf(stderr, "nimbula: %s %s; the single-copy lock is kept in %s instead\n", taken.c_str(),
                     why.c_str(), path.parent_path().c_str());
    }
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    // A lock we cannot make does not keep the user from running the program.
    if (fd < 0) return;
    struct stat st = {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        ::close(fd);
        return;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        m_alreadyExists = (errno == EWOULDBLOCK);
        if (!m_alreadyExists) {
            ::close(fd);
            return;
        }
    }
    m_handle = fd;
}

CSingleInstanceLock::~CSingleInstanceLock()
{
    if (m_handle != -1) ::close(int(m_handle));
}
