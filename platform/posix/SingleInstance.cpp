// The single-instance lock on POSIX: flock on a file, released by the kernel when the process ends.
#include "platform/SingleInstance.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

CSingleInstanceLock::CSingleInstanceLock(const std::string& name)
{
    const std::string path = LockPath(name).string();
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    // A lock we cannot make does not keep the user from running the program.
    if (fd < 0) return;
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
