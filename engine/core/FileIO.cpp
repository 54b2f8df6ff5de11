// Bounded whole-file reads and replace-by-rename writes.
#include "engine/core/FileIO.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "engine/core/QLException.h"

namespace fs = std::filesystem;

std::vector<uint8_t> ReadWholeFile(const std::string& path, uintmax_t maxSize)
{
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) throw CQLException("file not found: " + path);
    const uintmax_t size = fs::file_size(path, ec);
    if (ec) throw CQLException("file cannot be read: " + path);
    if (size > maxSize) throw CQLException("file too large: " + path);
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    std::ifstream in(path, std::ios::binary);
    if (!in || !in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size())))
        throw CQLException("file cannot be read: " + path);
    return bytes;
}

void WriteFileReplacing(const std::string& path, const void* data, size_t size)
{
    const fs::path target(path);
    // A name no concurrent writer of the same file picks.
    std::random_device rd;
    fs::path tmp = target;
    tmp += ".tmp" + std::to_string(rd() % 1000000u);
    std::error_code ec;
    {
        errno = 0;
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out.write(static_cast<const char*>(data), std::streamsize(size));
        out.flush();
        if (!out) {
            // The stream keeps no reason of its own: errno holds the failed call's.
            const std::error_code why(errno ? errno : EIO, std::generic_category());
            out.close();
            fs::remove(tmp, ec);
            throw CQLException("file cannot be written: " + path, why);
        }
    }
    fs::rename(tmp, target, ec);
    if (ec) {
        const std::error_code why = ec;
        fs::remove(tmp, ec);
        throw CQLException("file cannot be replaced: " + path, why);
    }
}

std::string FileFailureLine(const std::string& path, const std::string& failure)
{
    std::string reason = failure;
    const std::string suffix = ": " + path, prefix = path + ": ";
    if (!path.empty() && reason.size() > suffix.size() && reason.compare(reason.size() - suffix.size(), suffix.size(), suffix) == 0)
        reason.resize(reason.size() - suffix.size());
    else if (!path.empty() && reason.size() > prefix.size() && reason.compare(0, prefix.size(), prefix) == 0)
        reason.erase(0, prefix.size());
    return path + ": " + (reason.empty() ? "cannot be read" : reason);
}

fs::path XdgBaseFolder(const char* variable, const char* belowHome)
{
    // Relative values are to be ignored, as the XDG base-directory rules say.
    const char* xdg = std::getenv(variable);
    const char* home = std::getenv("HOME");
    if (xdg && *xdg && fs::path(xdg).is_absolute()) return xdg;
    if (home && *home) return fs::path(home) / belowHome;
    std::error_code ec;
    return fs::current_path(ec) / belowHome;
}
