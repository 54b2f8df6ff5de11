// Replace-by-rename writes on POSIX: an exclusive temporary file beside the target, the old
// file's permissions and owner, then a rename (or, for a file with other hard links, a rewrite).
#include "engine/core/FileIO.h"

#include <cerrno>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "engine/core/QLException.h"

namespace fs = std::filesystem;

namespace {
// How many taken names a save tries before it gives up.
constexpr int kTempNameAttempts = 100;

bool WriteAll(int fd, const void* data, size_t size)
{
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= size_t(n);
    }
    return true;
}

// A new file that nobody else made: O_EXCL refuses any name that exists (a link planted there
// included, which O_NOFOLLOW refuses as well), so another name is drawn. Owner-only until done.
int CreateTempFile(const fs::path& target, std::string& name)
{
    for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
        name = target.string() + ".tmp" + NextTempSuffix();
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
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
bool RewriteInPlace(const fs::path& target, const void* data, size_t size)
{
    const int fd = ::open(target.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = WriteAll(fd, data, size) && ::ftruncate(fd, off_t(size)) == 0 && ::fsync(fd) == 0;
    return ::close(fd) == 0 && ok;
}
}

void WriteFileReplacing(const std::string& path, const void* data, size_t size)
{
    const fs::path target = FollowLinks(path);
    struct stat old = {};
    const bool existed = ::lstat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    std::string tmp;
    const int fd = CreateTempFile(target, tmp);
    if (fd < 0) throw CQLException("file cannot be written: " + path, SystemReason(errno));
    bool ok = WriteAll(fd, data, size) && TakeOldPermissions(fd, existed ? &old : nullptr) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok) {
        const std::error_code why = SystemReason(errno);
        ::unlink(tmp.c_str());
        throw CQLException("file cannot be written: " + path, why);
    }
    // Other names for the same file see the new contents; should the rewrite fail half way, the
    // complete copy still takes the file's place below.
    if (existed && old.st_nlink > 1 && RewriteInPlace(target, data, size)) {
        ::unlink(tmp.c_str());
        return;
    }
    if (::rename(tmp.c_str(), target.c_str()) != 0) {
        const std::error_code why = SystemReason(errno);
        ::unlink(tmp.c_str());
        throw CQLException("file cannot be replaced: " + path, why);
    }
}
