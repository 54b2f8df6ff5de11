// Bounded whole-file reads, the links and temporary names of replace-by-rename writes.
#include "engine/core/FileIO.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

#include "engine/core/QLException.h"
#include "engine/core/Utf8Path.h"

namespace fs = std::filesystem;

namespace {
// What stands at path instead of a file, in a user's words.
const char* KindOfNonFile(fs::file_type type)
{
    switch (type) {
    case fs::file_type::not_found: return nullptr;
    case fs::file_type::directory: return "a folder";
    case fs::file_type::fifo: return "a named pipe (FIFO)";
    case fs::file_type::socket: return "a socket";
    case fs::file_type::block:
    case fs::file_type::character: return "a device";
    default: return "something else";
    }
}
}

std::vector<uint8_t> ReadWholeFile(const std::string& path, uintmax_t maxSize)
{
    const fs::path file = PathFromUtf8(path);
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    if (!fs::is_regular_file(status)) {
        const char* kind = KindOfNonFile(status.type());
        if (!kind) throw CQLException("file not found: " + path);
        throw CQLException(std::string("not a file but ") + kind + ": " + path);
    }
    const uintmax_t size = fs::file_size(file, ec);
    if (ec) throw CQLException("file cannot be read: " + path);
    if (size > maxSize) throw CQLException("file too large: " + path);
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    std::ifstream in(file, std::ios::binary);
    if (!in || !in.read(reinterpret_cast<char*>(bytes.data()), std::streamsize(bytes.size())))
        throw CQLException("file cannot be read: " + path);
    return bytes;
}

namespace {
std::string RandomSuffix()
{
    // 64 random bits: nobody guesses the next name, and a collision only costs another draw.
    std::random_device rd;
    const uint64_t n = (uint64_t(rd()) << 32) ^ rd();
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(n));
    return text;
}

TempSuffixSource g_tempSuffixSource = RandomSuffix;
}

TempSuffixSource SetTempSuffixSource(TempSuffixSource source)
{
    const TempSuffixSource previous = g_tempSuffixSource;
    g_tempSuffixSource = source ? source : RandomSuffix;
    return previous;
}

std::string NextTempSuffix() { return g_tempSuffixSource(); }

bool IsTempFileName(const std::string& fileName)
{
    constexpr size_t kDigits = 16;
    const size_t dot = fileName.size() - std::min(fileName.size(), kDigits + 4);
    // A name of its own before the suffix: ".tmp..." alone was never one of ours.
    if (dot == 0 || fileName.compare(dot, 4, ".tmp") != 0) return false;
    for (size_t i = dot + 4; i < fileName.size(); ++i)
        if (!std::isxdigit(static_cast<unsigned char>(fileName[i])) || std::isupper(static_cast<unsigned char>(fileName[i])))
            return false;
    return true;
}

fs::path FollowLinks(const fs::path& path)
{
    fs::path p = path;
    // As many hops as the system itself follows before it calls it a loop.
    for (int hops = 0; hops < 40; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(p, ec)) return p;
        const fs::path to = fs::read_symlink(p, ec);
        if (ec) return p;
        p = to.is_absolute() ? to : p.parent_path() / to;
    }
    throw CQLException("too many symbolic links: " + Utf8FromPath(path));
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

std::string WriteFailureReason(const std::string& path, const CQLException& failure)
{
    const std::string reason = FileFailureLine(path, failure.What()).substr(path.size() + 2);
    if (!failure.Code()) return reason;
    // "file cannot be written" says no more than the line it stands in.
    if (reason.rfind("file cannot be ", 0) == 0) return failure.Code().message();
    return reason + ": " + failure.Code().message();
}
