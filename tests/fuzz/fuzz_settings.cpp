// Fuzz target: the settings file. Whatever the file holds, reading never fails, and an entry
// written afterwards reads back as written while the other groups survive.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "engine/core/QLException.h"
#include "platform/RegistryKey.h"
#include "platform/MessageBox.h"
#include "storage/SettingsStore.h"
#include "universe/UniversalConstants.h"

namespace fs = std::filesystem;

namespace {
fs::path g_dir;

void RemoveSettingsFolder()
{
    std::error_code ec;
    fs::remove_all(g_dir, ec);
}

// A private settings folder, in memory where the system has one, removed when the run ends.
fs::path SettingsFile()
{
    static const fs::path file = [] {
        const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
        g_dir = base / ("nimbula_fuzz_settings_" + std::to_string(getpid()));
        std::atexit(RemoveSettingsFolder);
        const fs::path& dir = g_dir;
        setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
        SetMessageBoxHandler([](const std::string&, unsigned) { return IDOK; });
        fs::create_directories(dir / "nimbula");
        return fs::path(CRegistryKey::SettingsPath());
    }();
    return file;
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const fs::path file = SettingsFile();
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    }
    CRegistryKey key(1);
    std::string s;
    std::vector<uint8_t> raw;
    key.GetCookieString("APP", "UnivFile", s);
    key.GetCookieRaw("APP", "Nimbula", raw);
    try {
        key.GetConfigurationString("Nimbula", "directory");
    } catch (const CQLException&) {
    }
    CSettingsStore store;
    CUniversalConstants block;
    store.LoadDefaultConstants(block);

    const std::string written(reinterpret_cast<const char*>(data), size < 64 ? size : 64);
    try {
        key.PutCookieString("APP", "UnivFile", written);
    } catch (const CQLException&) {
        return 0;  // a name that is not valid text, or a folder that cannot be made
    }
    if (!key.GetCookieString("APP", "UnivFile", s) || s != written) __builtin_trap();
    return 0;
}
