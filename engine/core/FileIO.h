// Whole-file reads with a size bound, and writes that replace a file only once the new one is complete.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// The bytes of a regular file of at most maxSize bytes; throws CQLException otherwise.
std::vector<uint8_t> ReadWholeFile(const std::string& path, uintmax_t maxSize);

// Writes to a temporary file beside path and renames it into place, so a failure never leaves
// a damaged file behind; throws CQLException when it cannot.
void WriteFileReplacing(const std::string& path, const void* data, size_t size);

// "PATH: reason", the line standard error gives about a file, from a failure's text that may
// name the path itself at either end ("file not found: PATH", "PATH: bitmap truncated").
std::string FileFailureLine(const std::string& path, const std::string& failure);

// A base folder of the XDG rules: $variable when it holds an absolute path, else $HOME/belowHome,
// else belowHome in the current directory.
std::filesystem::path XdgBaseFolder(const char* variable, const char* belowHome);
