// Settings file: a JSON object of groups, each an object of named string entries.
#include "platform/RegistryKey.h"

#include <filesystem>

#include <nlohmann/json.hpp>

#include "engine/core/FileIO.h"
#include "engine/core/QLException.h"
#include "engine/core/Utf8Path.h"
#include "platform/UserFolders.h"
#include "platform/FileReplace.h"

namespace fs = std::filesystem;
using nlohmann::json;

namespace {
// Settings are a handful of short strings; a larger file is not ours.
constexpr uintmax_t kMaxSettingsSize = 1u << 20;
// Our entries lie three levels deep (file, group, {"bytes": hex}); anything much deeper is not
// ours, and nesting without end would overflow the stack of whatever walks it.
constexpr int kMaxSettingsDepth = 8;
// Strings that are not UTF-8 (Linux paths may be any bytes) are kept as {"bytes": hex}.
constexpr const char* kBytesKey = "bytes";

std::string ToHex(const uint8_t* data, size_t size)
{
    static const char kDigits[] = "0123456789abcdef";
    std::string s;
    s.reserve(size * 2);
    for (size_t i = 0; i < size; ++i) {
        s += kDigits[data[i] >> 4];
        s += kDigits[data[i] & 15];
    }
    return s;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool FromHex(const std::string& s, std::vector<uint8_t>& out)
{
    if (s.size() % 2) return false;
    std::vector<uint8_t> bytes(s.size() / 2);
    for (size_t i = 0; i < bytes.size(); ++i) {
        const int hi = HexDigit(s[2 * i]), lo = HexDigit(s[2 * i + 1]);
        if (hi < 0 || lo < 0) return false;
        bytes[i] = uint8_t(hi << 4 | lo);
    }
    out.swap(bytes);
    return true;
}

bool IsUtf8(const std::string& s)
{
    try {
        (void)json(s).dump();
        return true;
    } catch (const json::exception&) {
        return false;
    }
}

json EncodeString(const std::string& value)
{
    if (IsUtf8(value)) return value;
    return json{{kBytesKey, ToHex(reinterpret_cast<const uint8_t*>(value.data()), value.size())}};
}

bool DecodeString(const json& v, std::string& out)
{
    if (v.is_string()) {
        out = v.get<std::string>();
        return true;
    }
    std::vector<uint8_t> bytes;
    if (v.is_object() && v.size() == 1 && v.contains(kBytesKey) && v[kBytesKey].is_string() &&
        FromHex(v[kBytesKey].get<std::string>(), bytes)) {
        out.assign(bytes.begin(), bytes.end());
        return true;
    }
    return false;
}

struct SSettings {
    json doc = json::object();
    bool damaged = false;  // the file exists but is not a settings object
};

SSettings ReadSettings()
{
    SSettings s;
    const std::string path = CRegistryKey::SettingsPath();
    std::error_code ec;
    if (!fs::exists(PathFromUtf8(path), ec)) return s;
    std::vector<uint8_t> bytes;
    try {
        bytes = ReadWholeFile(path, kMaxSettingsSize);
    } catch (const CQLException&) {
        s.damaged = true;
        return s;
    }
    struct STooDeep {};
    const auto depthCheck = [](int depth, json::parse_event_t, json&) {
        if (depth > kMaxSettingsDepth) throw STooDeep();
        return true;
    };
    json doc;
    try {
        doc = json::parse(bytes.begin(), bytes.end(), depthCheck, false);
    } catch (const STooDeep&) {
        s.damaged = true;
        return s;
    }
    if (doc.is_object())
        s.doc = std::move(doc);
    else
        s.damaged = true;
    return s;
}

const json* FindEntry(const json& doc, const std::string& group, const std::string& name)
{
    auto g = doc.find(group);
    if (g == doc.end() || !g->is_object()) return nullptr;
    auto e = g->find(name);
    return e == g->end() ? nullptr : &*e;
}

// Groups and entries one to a line; each value in its compact form, so that a write never
// makes an unknown entry larger by indenting it.
std::string SettingsText(const json& doc)
{
    std::string text = "{";
    const char* groupSep = "\n  ";
    for (auto g = doc.begin(); g != doc.end(); ++g) {
        text += groupSep + json(g.key()).dump() + ": ";
        groupSep = ",\n  ";
        if (!g->is_object() || g->empty()) {
            text += g->dump();
            continue;
        }
        const char* entrySep = "{\n    ";
        for (auto e = g->begin(); e != g->end(); ++e) {
            text += entrySep + json(e.key()).dump() + ": " + e->dump();
            entrySep = ",\n    ";
        }
        text += "\n  }";
    }
    return text + (doc.empty() ? "}\n" : "\n}\n");
}

// A damaged file goes to settings.damaged (the one kept before, when a file, gives way); where
// something else stands there, under the first free settings.damaged.N. It is never lost: a file
// that cannot be kept aside is not written over.
void SetAside(const fs::path& path)
{
    fs::path aside = path;
    aside += ".damaged";
    std::error_code ec;
    for (int n = 2; n <= 100; ++n) {
        const fs::file_status status = fs::symlink_status(aside, ec);
        if (!fs::exists(status) || fs::is_regular_file(status) || fs::is_symlink(status)) break;
        aside = path;
        aside += ".damaged." + std::to_string(n);
    }
    std::error_code why;
    fs::rename(path, aside, why);
    if (why && fs::exists(fs::symlink_status(path, ec)))
        throw CQLException("the damaged settings file cannot be kept aside as " + Utf8FromPath(aside), why);
}

// Read, change one entry, write back whole; a damaged file is kept aside rather than lost, and a
// read-only one is left as it is.
void PutEntry(const std::string& group, const std::string& name, json value)
{
    SSettings s = ReadSettings();
    const fs::path path = PathFromUtf8(CRegistryKey::SettingsPath());
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    if (ec) throw CQLException("cannot create the settings folder " + Utf8FromPath(path.parent_path()));
    bool readOnly = false;
    try {
        readOnly = FindReplaceTarget(Utf8FromPath(path)).readOnly;
    } catch (const CQLException&) {
        // A folder or the like in the settings file's place is damage, set aside below.
        if (!s.damaged) throw;
    }
    if (readOnly) throw CQLException("file is read-only: " + Utf8FromPath(path));
    if (s.damaged) SetAside(path);
    std::string text;
    try {
        json& g = s.doc[group];
        if (!g.is_object()) g = json::object();
        g[name] = value;
        text = SettingsText(s.doc);
        // Unknown entries that no longer fit with ours: the file goes aside, ours is written alone.
        if (text.size() > kMaxSettingsSize && !s.damaged) {
            SetAside(path);
            text = SettingsText(json{{group, json{{name, std::move(value)}}}});
        }
    } catch (const json::exception&) {
        throw CQLException("settings group or entry name is not valid text");
    }
    WriteFileReplacing(Utf8FromPath(path), text.data(), text.size());
}
}

CRegistryKey::CRegistryKey(int root) : m_root(root)
{
    if (root != 1) throw CQLException("unknown settings key " + std::to_string(root));
}

std::string CRegistryKey::SettingsPath()
{
    return Utf8FromPath(XdgBaseFolder("XDG_CONFIG_HOME", ".config") / "nimbula" / "settings");
}

std::string CRegistryKey::GetConfigurationString(const std::string& group, const std::string& name) const
{
    std::string value;
    if (!GetCookieString(group, name, value))
        throw CQLException("setting " + group + "/" + name + " not found in " + SettingsPath());
    return value;
}

void CRegistryKey::PutConfigurationString(const std::string& group, const std::string& name,
                                          const std::string& value)
{
    PutCookieString(group, name, value);
}

bool CRegistryKey::GetCookieString(const std::string& group, const std::string& name, std::string& out) const
{
    const SSettings s = ReadSettings();
    const json* v = FindEntry(s.doc, group, name);
    return v && DecodeString(*v, out);
}

void CRegistryKey::PutCookieString(const std::string& group, const std::string& name, const std::string& value)
{
    PutEntry(group, name, EncodeString(value));
}

bool CRegistryKey::GetCookieRaw(const std::string& group, const std::string& name, std::vector<uint8_t>& out) const
{
    const SSettings s = ReadSettings();
    const json* v = FindEntry(s.doc, group, name);
    return v && v->is_string() && FromHex(v->get<std::string>(), out);
}

void CRegistryKey::PutCookieRaw(const std::string& group, const std::string& name, const std::vector<uint8_t>& value)
{
    PutEntry(group, name, ToHex(value.data(), value.size()));
}
