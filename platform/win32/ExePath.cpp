// The running executable's path, from the Windows module table.
#include "platform/ExePath.h"

#include <string>

#include <windows.h>

std::filesystem::path ExecutablePath()
{
    // Long paths may exceed MAX_PATH: grow until the name fits.
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            return std::filesystem::path(buffer);
        }
        if (buffer.size() >= 32768) return {};
        buffer.resize(buffer.size() * 2);
    }
}
