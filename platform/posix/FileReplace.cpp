// Replace-by-rename writes on POSIX: an exclusive temporary file beside the target, the old
// file's permissions and owner, then a rename (or, for a file with other hard links, a rewrite).
// Everything happens relative to the target's folder as CSavePath opened it.
#include "platform/FileReplace.h"

#include <cerrno>
#include <ctime>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/core/FileIO.h"
#include "engine/core/QLException.h"
#include "platform/posix/SavePath.h"

namespace {
// How many taken names a save tries before it gives up.
constexpr int kTempNameAttempts = 100;
// A temporary file untouched for this long belongs to a save that was killed: a running save
// writes to its file all the time.
constexpr time_t kLeftoverAge = 60;

bool WriteAll(int fd, const void* data, size_t size)
{
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            return false;
        }
        p += n;
        size -= size_t(n);
    }
    return true;
}

// A new file that nobody else made: O_EXCL refuses any name that exists (a link planted there
// included, which O_NOFOLLOW refuses as well), so another name is drawn. Owner-only until done.
int CreateTempFile(const CSavePath& target, std::string& name)
{
    for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
        name = target.Name() + ".tmp" + NextTempSuffix();
        const int fd = ::openat(target.Folder(), name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

mode_t DefaultMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// The permissions a complete file takes: the old file's, owner included where the system lets
// us (an ordinary user can only keep the group, if they belong to it), else the usual ones.
bool TakeOldPermissions(int fd, const struct stat* old)
{
    if (!old) return ::fchmod(fd, DefaultMode()) == 0;
    if (::fchown(fd, old->st_uid, old->st_gid) != 0) (void)::fchown(fd, uid_t(-1), old->st_gid);
    // After the owner: a change of owner may clear the set-id bits.
    return ::fchmod(fd, old->st_mode & 07777) == 0;
}

// The failed call's reason for the message; a call that set none still failed.
std::error_code SystemReason(int error) { return std::error_code(error ? error : EIO, std::generic_category()); }

// Writes the file's new contents over the old in place, keeping every hard link to it.
bool RewriteInPlace(const CSavePath& target, const void* data, size_t size)
{
    const int fd = ::openat(target.Folder(), target.Name().c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = WriteAll(fd, data, size) && ::ftruncate(fd, off_t(size)) == 0 && ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

// Temporary files of killed saves: ours by name, owner and kind, and long untouched. Anything
// else in the folder, another user's file above all, is left as it is.
void RemoveLeftovers(const CSavePath& target)
{
    const int fd = ::openat(target.Folder(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    DIR* dir = ::fdopendir(fd);
    if (!dir) {
        ::close(fd);
        return;
    }
    const time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        if (!IsTempFileName(entry->d_name)) continue;
        struct stat st = {};
        if (::fstatat(::dirfd(dir), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (!S_ISREG(st.st_mode) || st.st_uid != ::geteuid() || st.st_nlink != 1 || now - st.st_mtime < kLeftoverAge)
            continue;
        (void)::unlinkat(::dirfd(dir), entry->d_name, 0);
    }
    ::closedir(dir);
}
}

SReplaceTarget FindReplaceTarget(const std::string& path)
{
    const CSavePath target(path);
    return {target.Path(), target.Exists(), target.ReadOnly(), target.ThroughLink()};
}

void WriteFileReplacing(const std::string& path, const void* data, size_t size, EReadOnlyFiles readOnly)
{
    const CSavePath target(path);
    const bool existed = target.Exists() && S_ISREG(target.File().st_mode);
    if (target.Exists() && !existed) throw CQLException("not a regular file: " + target.Path());
    if (readOnly == EReadOnlyFiles::kRefuse && target.ReadOnly())
        throw CQLException("file is read-only: " + target.Path());
    RemoveLeftovers(target);
    std::string tmp;
    const int fd = CreateTempFile(target, tmp);
    if (fd < 0) throw CQLException("file cannot be written: " + path, SystemReason(errno));
    const int folder = target.Folder();
    const struct stat& old = target.File();
    bool ok = WriteAll(fd, data, size) && TakeOldPermissions(fd, existed ? &old : nullptr) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok) {
        const std::error_code why = SystemReason(errno);
        ::unlinkat(folder, tmp.c_str(), 0);
        throw CQLException("file cannot be written: " + path, why);
    }
    // Other names for the same file see the new contents; should the rewrite fail half way, the
    // complete copy still takes the file's place below.
    if (existed && old.st_nlink > 1 && RewriteInPlace(target, data, size)) {
        ::unlinkat(folder, tmp.c_str(), 0);
        return;
    }
    if (::renameat(folder, tmp.c_str(), folder, target.Name().c_str()) != 0) {
        const std::error_code why = SystemReason(errno);
        ::unlinkat(folder, tmp.c_str(), 0);
        throw CQLException("file cannot be replaced: " + path, why);
    }
}
