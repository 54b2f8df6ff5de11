// UTF-8 strings to paths and back, the same on every system.
#include "engine/core/Utf8Path.h"

#include <system_error>

// Where the system keeps wide names, text that is no valid UTF-8 (or a name with a lone UTF-16
// half) cannot be converted and the library throws: such a name is taken in the narrow character
// set instead, as before, rather than ending the program.
std::filesystem::path PathFromUtf8(const std::string& utf8)
{
    try {
        return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
    } catch (const std::system_error&) {
        return std::filesystem::path(utf8);
    }
}

std::string Utf8FromPath(const std::filesystem::path& path)
{
    try {
        const std::u8string text = path.u8string();
        return std::string(text.begin(), text.end());
    } catch (const std::system_error&) {
        return path.string();
    }
}
