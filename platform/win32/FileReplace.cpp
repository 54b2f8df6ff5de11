// Replace-by-rename writes on Windows: an exclusive temporary file beside the target, then
// ReplaceFileW, which keeps the old file's security and attributes (MoveFileExW for a new file).
#include "platform/FileReplace.h"

#include <string>

#include <windows.h>

#include "engine/core/FileIO.h"
#include "engine/core/QLException.h"
#include "engine/core/Utf8Path.h"

namespace fs = std::filesystem;

namespace {
constexpr int kTempNameAttempts = 100;

// CREATE_NEW refuses any name that exists, so another name is drawn.
HANDLE CreateTempFile(const fs::path& target, fs::path& name)
{
    for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
        name = target;
        name += ".tmp" + NextTempSuffix();
        HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return h;
    }
    return INVALID_HANDLE_VALUE;
}

bool WriteAll(HANDLE h, const void* data, size_t size)
{
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD chunk = size > 0x40000000 ? 0x40000000 : DWORD(size);
        DWORD written = 0;
        if (!WriteFile(h, p, chunk, &written, nullptr) || written == 0) return false;
        p += written;
        size -= written;
    }
    return true;
}
}

namespace {
// The failed call's reason for the message.
std::error_code SystemReason() { return std::error_code(int(GetLastError()), std::system_category()); }
}

SReplaceTarget FindReplaceTarget(const std::string& path)
{
    const fs::path given = PathFromUtf8(path);
    SReplaceTarget t;
    const fs::path target = FollowLinks(given);
    std::error_code ec;
    t.throughLink = fs::is_symlink(given, ec);
    const fs::file_status status = fs::status(target, ec);
    if (fs::is_directory(status)) throw CQLException("not a file but a folder: " + Utf8FromPath(target));
    t.exists = fs::exists(status);
    if (t.throughLink && !t.exists)
        throw CQLException(path + " is a link to " + Utf8FromPath(target) + ", which does not exist: no file is made through a link");
    const DWORD attributes = GetFileAttributesW(target.c_str());
    t.readOnly = t.exists && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
    // The file's full name, as the save question shows it ("..\\" and the like resolved).
    const fs::path full = fs::weakly_canonical(target, ec);
    t.path = Utf8FromPath(ec || full.empty() ? target : full);
    return t;
}

void WriteFileReplacing(const std::string& path, const void* data, size_t size, EReadOnlyFiles readOnly)
{
    const SReplaceTarget found = FindReplaceTarget(path);
    const fs::path target = PathFromUtf8(found.path);
    if (found.readOnly && readOnly == EReadOnlyFiles::kRefuse) throw CQLException("file is read-only: " + found.path);
    fs::path tmp;
    HANDLE h = CreateTempFile(target, tmp);
    if (h == INVALID_HANDLE_VALUE) throw CQLException("file cannot be written: " + path, SystemReason());
    bool ok = WriteAll(h, data, size) && FlushFileBuffers(h);
    ok = CloseHandle(h) && ok;
    if (!ok) {
        const std::error_code why = SystemReason();
        DeleteFileW(tmp.c_str());
        throw CQLException("file cannot be written: " + path, why);
    }
    std::error_code ec;
    const bool existed = fs::is_regular_file(target, ec);
    // ReplaceFileW will not remove a read-only file: the mark comes off for the swap and goes
    // back on the new file, which takes the old one's attributes.
    const DWORD attributes = existed ? GetFileAttributesW(target.c_str()) : INVALID_FILE_ATTRIBUTES;
    if (found.readOnly) SetFileAttributesW(target.c_str(), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
    const bool replaced = existed ? ReplaceFileW(target.c_str(), tmp.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                                                 nullptr, nullptr)
                                  : MoveFileExW(tmp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING);
    const std::error_code why = SystemReason();
    if (found.readOnly) SetFileAttributesW(target.c_str(), attributes);
    if (!replaced) {
        DeleteFileW(tmp.c_str());
        throw CQLException("file cannot be replaced: " + path, why);
    }
}
