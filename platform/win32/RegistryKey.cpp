// Settings kept in the Windows registry: the product's configuration under Software\<group> of
// HKEY_LOCAL_MACHINE (written by the installer), then of HKEY_CURRENT_USER; the application's
// cookie groups under HKEY_CURRENT_USER\Software\Nimbula\<group>.
#include "platform/RegistryKey.h"

#include "engine/core/QLException.h"
#include "platform/win32/Utf8.h"
#include "platform/win32/Win32.h"

namespace {
const wchar_t* kProductKey = L"Software\\Nimbula";

std::wstring ProductGroupKey(const std::string& group) { return L"Software\\" + Widen(group); }
std::wstring CookieGroupKey(const std::string& group) { return std::wstring(kProductKey) + L"\\" + Widen(group); }

// The value's bytes and type; false when the key or the value does not exist.
bool ReadValue(HKEY root, const std::wstring& key, const std::string& name, DWORD* type, std::vector<uint8_t>& out)
{
    const std::wstring wname = Widen(name);
    DWORD size = 0;
    if (RegGetValueW(root, key.c_str(), wname.c_str(), RRF_RT_ANY | RRF_NOEXPAND, type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    out.assign(size, 0);
    // The value may grow between the two calls: ask again with the size it then has.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const LSTATUS s = RegGetValueW(root, key.c_str(), wname.c_str(), RRF_RT_ANY | RRF_NOEXPAND, type,
                                       out.empty() ? nullptr : out.data(), &size);
        if (s == ERROR_SUCCESS) {
            out.resize(size);
            return true;
        }
        if (s != ERROR_MORE_DATA) return false;
        out.assign(size, 0);
    }
    return false;
}

bool ReadString(HKEY root, const std::wstring& key, const std::string& name, std::string& out)
{
    DWORD type = 0;
    std::vector<uint8_t> bytes;
    if (!ReadValue(root, key, name, &type, bytes) || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
    std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    // Stored strings end in a NUL, which is not part of the text.
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    out = Narrow(text);
    return true;
}

void WriteValue(const std::wstring& key, const std::string& name, DWORD type, const void* data, size_t size)
{
    HKEY h = nullptr;
    LSTATUS s = RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr);
    if (s == ERROR_SUCCESS) {
        s = RegSetValueExW(h, Widen(name).c_str(), 0, type, static_cast<const BYTE*>(data), DWORD(size));
        RegCloseKey(h);
    }
    if (s != ERROR_SUCCESS)
        throw CQLException("the registry refused to store " + name + " (error " + std::to_string(long(s)) + ")");
}

void WriteString(const std::wstring& key, const std::string& name, const std::string& value)
{
    const std::wstring text = Widen(value);
    WriteValue(key, name, REG_SZ, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}
}

CRegistryKey::CRegistryKey(int root) : m_root(root)
{
    if (root != 1) throw CQLException("unknown settings key " + std::to_string(root));
}

std::string CRegistryKey::SettingsPath() { return "HKEY_CURRENT_USER\\Software\\Nimbula"; }

std::string CRegistryKey::GetConfigurationString(const std::string& group, const std::string& name) const
{
    std::string value;
    // The installer writes for every user; a user's own entry is the fallback.
    if (ReadString(HKEY_LOCAL_MACHINE, ProductGroupKey(group), name, value)) return value;
    if (ReadString(HKEY_CURRENT_USER, ProductGroupKey(group), name, value)) return value;
    throw CQLException("setting " + name + " not found under HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER\\Software\\" + group);
}

void CRegistryKey::PutConfigurationString(const std::string& group, const std::string& name, const std::string& value)
{
    WriteString(ProductGroupKey(group), name, value);
}

bool CRegistryKey::GetCookieString(const std::string& group, const std::string& name, std::string& out) const
{
    return ReadString(HKEY_CURRENT_USER, CookieGroupKey(group), name, out);
}

void CRegistryKey::PutCookieString(const std::string& group, const std::string& name, const std::string& value)
{
    WriteString(CookieGroupKey(group), name, value);
}

bool CRegistryKey::GetCookieRaw(const std::string& group, const std::string& name, std::vector<uint8_t>& out) const
{
    DWORD type = 0;
    std::vector<uint8_t> bytes;
    if (!ReadValue(HKEY_CURRENT_USER, CookieGroupKey(group), name, &type, bytes) || type != REG_BINARY) return false;
    out.swap(bytes);
    return true;
}

void CRegistryKey::PutCookieRaw(const std::string& group, const std::string& name, const std::vector<uint8_t>& value)
{
    WriteValue(CookieGroupKey(group), name, REG_BINARY, value.data(), value.size());
}
