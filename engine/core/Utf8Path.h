// File names are UTF-8 strings inside the program; std::filesystem::path built from a plain
// std::string reads it in the system's narrow character set (on Windows the ANSI code page, so
// "José" or "宇宙" would name another file). These two go through char8_t, which is UTF-8 on
// every system, and are a plain byte copy where paths are bytes.
#pragma once

#include <filesystem>
#include <string>

std::filesystem::path PathFromUtf8(const std::string& utf8);
std::string Utf8FromPath(const std::filesystem::path& path);
