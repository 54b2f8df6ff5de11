// The user's data folder on Windows: the roaming application data, as programs keep them there.
#include "platform/UserFolders.h"

#include <string>

#include "platform/win32/Win32.h"

namespace {
std::filesystem::path EnvironmentFolder(const wchar_t* name)
{
    std::wstring value(MAX_PATH, L'\0');
    DWORD n = GetEnvironmentVariableW(name, value.data(), DWORD(value.size()));
    if (n >= value.size()) {
        value.resize(n);
        n = GetEnvironmentVariableW(name, value.data(), DWORD(value.size()));
    }
    if (n == 0 || n >= value.size()) return {};
    value.resize(n);
    const std::filesystem::path p(value);
    return p.is_absolute() ? p : std::filesystem::path();
}
}

std::filesystem::path UserDataFolder()
{
    std::filesystem::path base = EnvironmentFolder(L"APPDATA");
    if (base.empty()) base = EnvironmentFolder(L"USERPROFILE");
    if (base.empty()) {
        std::error_code ec;
        base = std::filesystem::current_path(ec);
    }
    return base / "Nimbula";
}
