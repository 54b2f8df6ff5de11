// Whole-file reads with a size bound, the names of temporary files, and the lines that report a file's failure.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class CQLException;

// The bytes of a regular file of at most maxSize bytes; throws CQLException otherwise.
std::vector<uint8_t> ReadWholeFile(const std::string& path, uintmax_t maxSize);

// Where a finished file goes: the engine makes a file's bytes, its caller says how they are
// written (the system's replacing write lives in platform/FileReplace.h). Throws CQLException
// when it cannot write.
using FileWriter = std::function<void(const std::string& path, const std::vector<uint8_t>& bytes)>;

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
