// One end of a socket that carries text lines between two programs of ours (the browser window
// speaks through it): sends never block for long or raise SIGPIPE, receives never block.
#pragma once

#include <string>
#include <vector>

// The longest line either side takes (an address of a help page is far shorter); a longer one is
// dropped whole, and what the channel holds stays bounded however much the other side sends.
constexpr size_t kMaxChannelLine = 64 * 1024;

class CLineChannel {
public:
    explicit CLineChannel(int fd = -1) : m_fd(fd) {}
    CLineChannel(const CLineChannel&) = delete;
    CLineChannel& operator=(const CLineChannel&) = delete;
    ~CLineChannel() { Close(); }

    int Fd() const { return m_fd; }
    void Close();
    // Takes over another descriptor, closing the one it had.
    void Adopt(int fd);
    // One line (a newline inside is sent as a space); false when the other end is gone.
    bool Send(const std::string& line);
    // Appends the lines that have arrived, each at most kMaxChannelLine bytes (longer ones are
    // left out); false once the other end has closed and nothing is left.
    bool Receive(std::vector<std::string>* lines);

private:
    // Splits what arrived into lines, dropping any line that grows beyond the cap.
    void Take(const char* data, size_t size, std::vector<std::string>* lines);

    int m_fd;
    std::string m_pending;
    bool m_closed = false;
    bool m_dropping = false;  // within a line that grew too long, up to its newline
};

// The first count - 1 space-separated words of a line, then the rest of it (which may hold spaces
// or be empty); fewer fields when the line has fewer words.
std::vector<std::string> SplitLine(const std::string& line, size_t count);
