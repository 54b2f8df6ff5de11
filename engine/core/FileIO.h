// Whole-file reads with a size bound, and writes that replace a file only once the new one is complete.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// The bytes of a regular file of at most maxSize bytes; throws CQLException otherwise.
std::vector<uint8_t> ReadWholeFile(const std::string& path, uintmax_t maxSize);

// Writes to a temporary file beside path and renames it into place, so a failure never leaves
// a damaged file behind; throws CQLException when it cannot. The temporary file is made anew
// (never opened through a link or a file planted under its name), readable by its owner alone
// until complete, then given the old file's permissions (and owner where the system allows).
// A path that is a symbolic link is written through: the file it names is replaced; a file with
// other hard links is rewritten in place once the complete copy is safe beside it.
// The system's side lives in platform/posix and platform/win32.
void WriteFileReplacing(const std::string& path, const void* data, size_t size);

// "PATH: reason", the line standard error gives about a file, from a failure's text that may
// name the path itself at either end ("file not found: PATH", "PATH: bitmap truncated").
std::string FileFailureLine(const std::string& path, const std::string& failure);

// The file a chain of symbolic links starting at path ends at (path itself when it is no link);
// throws CQLException on a loop.
std::filesystem::path FollowLinks(const std::filesystem::path& path);

// The suffixes of the temporary names (path + ".tmp" + suffix): random by default. Tests plant
// files and links under the names they will hand out. Returns the previous source.
using TempSuffixSource = std::string (*)();
TempSuffixSource SetTempSuffixSource(TempSuffixSource source);
std::string NextTempSuffix();

// A base folder of the XDG rules: $variable when it holds an absolute path, else $HOME/belowHome,
// else belowHome in the current directory.
std::filesystem::path XdgBaseFolder(const char* variable, const char* belowHome);
