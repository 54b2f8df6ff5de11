// Lines over a stream socket, with POSIX calls.
#include "platform/LineChannel.h"

#include <algorithm>
#include <cerrno>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// A peer that takes nothing for this long is treated as gone.
constexpr int kSendTimeoutMs = 2000;
}

void CLineChannel::Close()
{
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

void CLineChannel::Adopt(int fd)
{
    Close();
    m_fd = fd;
    m_pending.clear();
    m_closed = false;
}

bool CLineChannel::Send(const std::string& line)
{
    if (m_fd < 0) return false;
    std::string data = line;
    for (char& c : data)
        if (c == '\n' || c == '\r') c = ' ';
    data += '\n';
    size_t sent = 0;
    while (sent < data.size()) {
        const ssize_t n = ::send(m_fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            sent += size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            pollfd p{m_fd, POLLOUT, 0};
            if (::poll(&p, 1, kSendTimeoutMs) > 0) continue;
        }
        return false;
    }
    return true;
}

bool CLineChannel::Receive(std::vector<std::string>* lines)
{
    while (m_fd >= 0 && !m_closed) {
        char buffer[4096];
        const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n > 0) {
            Take(buffer, size_t(n), lines);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
        m_closed = true;
    }
    return m_fd >= 0 && !m_closed;
}

void CLineChannel::Take(const char* data, size_t size, std::vector<std::string>* lines)
{
    const char* end = data + size;
    while (data < end) {
        const char* newline = std::find(data, end, '\n');
        if (!m_dropping) m_pending.append(data, newline);
        if (m_pending.size() > kMaxChannelLine) {
            m_pending.clear();
            m_dropping = true;
        }
        if (newline == end) return;
        if (!m_dropping) lines->push_back(m_pending);
        m_pending.clear();
        m_dropping = false;
        data = newline + 1;
    }
}

std::vector<std::string> SplitLine(const std::string& line, size_t count)
{
    std::vector<std::string> fields;
    if (line.empty()) return fields;
    size_t start = 0;
    while (fields.size() + 1 < count) {
        const size_t space = line.find(' ', start);
        if (space == std::string::npos) break;
        fields.push_back(line.substr(start, space - start));
        start = space + 1;
    }
    fields.push_back(line.substr(start));
    return fields;
}
