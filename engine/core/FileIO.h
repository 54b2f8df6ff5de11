// Whole-file reads with a size bound, and writes that replace a file only once the new one is complete.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class CQLException;

// The bytes of a regular file of at most maxSize bytes; throws CQLException otherwise.
std::vector<uint8_t> ReadWholeFile(const std::string& path, uintmax_t maxSize);

// Whether a replacing write may replace a file that its user may not write to (a read-only
// file): only after the user was asked, as editors do.
enum class EReadOnlyFiles { kRefuse, kReplace };

// Writes to a temporary file beside path and renames it into place, so a failure never leaves
// a damaged file behind; throws CQLException when it cannot. The temporary file is made anew
// (never opened through a link or a file planted under its name), readable by its owner alone
// until complete, then given the old file's permissions (and owner where the system allows).
// A path that is a symbolic link is written through: the file it names is replaced; a file with
// other hard links is rewritten in place once the complete copy is safe beside it. Refused with
// a message: a read-only file (unless readOnly allows it), and every path FindReplaceTarget
// refuses. Leftover temporary files of this user's own in the folder, older than a minute, go.
// The system's side lives in platform/posix and platform/win32.
void WriteFileReplacing(const std::string& path, const void* data, size_t size,
                        EReadOnlyFiles readOnly = EReadOnlyFiles::kRefuse);

// The file a replacing write to path would change, found as the write finds it.
struct SReplaceTarget {
    std::string path;          // path itself, or the file its links lead to
    bool exists = false;
    bool readOnly = false;     // it exists and this user may not write to it
    bool throughLink = false;  // path is a link, or a chain of them, to that file
};
// Throws CQLException where a write would refuse: a link in a folder that everyone may write to
// and that has the sticky bit (/tmp), made by someone other than this user or the folder's owner
// (the system's own protection of such links, which containers often lack); a link that leads
// to nothing (no file is ever made through one); a folder in the way; a loop of links.
SReplaceTarget FindReplaceTarget(const std::string& path);

// A name our writes give their temporary files: NAME.tmp and 16 hexadecimal digits.
bool IsTempFileName(const std::string& fileName);

// "PATH: reason", the line standard error gives about a file, from a failure's text that may
// name the path itself at either end ("file not found: PATH", "PATH: bitmap truncated").
std::string FileFailureLine(const std::string& path, const std::string& failure);

// Why a write to path failed, without the path: the system's reason where it gave one (a full
// disk), else the failure's own words (a read-only file, a link that is not followed).
std::string WriteFailureReason(const std::string& path, const CQLException& failure);

// The file a chain of symbolic links starting at path ends at (path itself when it is no link);
// throws CQLException on a loop.
std::filesystem::path FollowLinks(const std::filesystem::path& path);

// The suffixes of the temporary names (path + ".tmp" + suffix): random by default. Tests plant
// files and links under the names they will hand out. Returns the previous source.
using TempSuffixSource = std::string (*)();
TempSuffixSource SetTempSuffixSource(TempSuffixSource source);
std::string NextTempSuffix();
