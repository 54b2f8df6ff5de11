// Settings key: where the file lives, round trips of every kind of entry, missing and damaged files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <cstring>
#include <iterator>

#include "engine/core/QLException.h"
#include "dialogs/WebSupportDlg.h"
#include "platform/RegistryKey.h"
#include "platform/MessageBox.h"
#include "storage/SettingsStore.h"
#include "universe/UniversalConstants.h"
#include "../support/ScopedEnv.h"

namespace fs = std::filesystem;

namespace {
class Settings : public ::testing::Test {
protected:
    CTempFolder m_temp{"nimbula_settings_"};
    const fs::path m_dir = m_temp.Path();
    CScopedEnv m_xdg{"XDG_CONFIG_HOME", m_dir.c_str()};

    fs::path File() const { return m_dir / "nimbula" / "settings"; }
    void WriteSettings(const std::string& text) const
    {
        fs::create_directories(File().parent_path());
        std::ofstream(File(), std::ios::binary) << text;
    }
};
}

TEST_F(Settings, FileLocationFollowsTheEnvironment)
{
    EXPECT_EQ(File().string(), CRegistryKey::SettingsPath());
    CScopedEnv home("HOME", "/home/someone");
    {
        CScopedEnv relative("XDG_CONFIG_HOME", "relative/dir");
        EXPECT_EQ("/home/someone/.config/nimbula/settings", CRegistryKey::SettingsPath());
    }
    {
        CScopedEnv unset("XDG_CONFIG_HOME", nullptr);
        EXPECT_EQ("/home/someone/.config/nimbula/settings", CRegistryKey::SettingsPath());
        CScopedEnv noHome("HOME", nullptr);
        EXPECT_EQ((fs::current_path() / ".config/nimbula/settings").string(), CRegistryKey::SettingsPath());
    }
    EXPECT_THROW(CRegistryKey(7), CQLException);
}

TEST_F(Settings, EntriesRoundTrip)
{
    CRegistryKey key(1);
    key.PutConfigurationString("Nimbula", "directory", "/opt/nimbula");
    key.PutCookieString("APP", "UnivFile", "/home/u/universes/spiral galaxy.nmd");
    std::vector<uint8_t> block(352);
    std::mt19937 rng(5);
    for (auto& b : block) b = uint8_t(rng());
    block[0] = 0;
    key.PutCookieRaw("APP", "Nimbula", block);
    // Linux file names need not be UTF-8, and may hold any byte but NUL.
    const std::string oddPath = std::string("/tmp/\xff\xfe caf\xc3\xa9/") + "x.nmd";
    key.PutCookieString("APP", "Odd", oddPath);

    // A fresh key reads what the file holds, not what the object remembers.
    CRegistryKey again;
    EXPECT_EQ("/opt/nimbula", again.GetConfigurationString("Nimbula", "directory"));
    std::string s;
    ASSERT_TRUE(again.GetCookieString("APP", "UnivFile", s));
    EXPECT_EQ("/home/u/universes/spiral galaxy.nmd", s);
    ASSERT_TRUE(again.GetCookieString("APP", "Odd", s));
    EXPECT_EQ(oddPath, s);
    std::vector<uint8_t> raw;
    ASSERT_TRUE(again.GetCookieRaw("APP", "Nimbula", raw));
    EXPECT_EQ(block, raw);

    // Overwriting one entry keeps the others.
    again.PutCookieString("APP", "UnivFile", "");
    ASSERT_TRUE(key.GetCookieString("APP", "UnivFile", s));
    EXPECT_EQ("", s);
    EXPECT_EQ("/opt/nimbula", key.GetConfigurationString("Nimbula", "directory"));
    ASSERT_TRUE(key.GetCookieRaw("APP", "Nimbula", raw));
    EXPECT_EQ(block, raw);
    key.PutCookieRaw("APP", "Empty", {});
    ASSERT_TRUE(key.GetCookieRaw("APP", "Empty", raw));
    EXPECT_TRUE(raw.empty());

    // Written by rename: nothing but the settings file is left in its folder.
    EXPECT_EQ(1, std::distance(fs::directory_iterator(File().parent_path()), fs::directory_iterator()));
}

TEST_F(Settings, MissingEntriesAreReported)
{
    CRegistryKey key;
    EXPECT_THROW(key.GetConfigurationString("Nimbula", "directory"), CQLException);  // no file at all
    std::string s = "untouched";
    std::vector<uint8_t> raw{1, 2};
    EXPECT_FALSE(key.GetCookieString("APP", "UnivFile", s));
    EXPECT_FALSE(key.GetCookieRaw("APP", "Nimbula", raw));
    EXPECT_EQ("untouched", s);
    EXPECT_EQ((std::vector<uint8_t>{1, 2}), raw);

    key.PutCookieString("APP", "UnivFile", "u.nmd");
    EXPECT_THROW(key.GetConfigurationString("Nimbula", "directory"), CQLException);  // no group
    EXPECT_THROW(key.GetConfigurationString("APP", "directory"), CQLException);      // no entry
    EXPECT_FALSE(key.GetCookieRaw("APP", "Nimbula", raw));
}

TEST_F(Settings, DamagedFilesAreToleratedAndReplaced)
{
    CRegistryKey key;
    const std::string deep = std::string(200000, '[') + std::string(200000, ']');
    const std::string damaged[] = {
        "", "{", "garbage \x01\x02", "[1, 2, 3]", "\"just a string\"", "{\"APP\": {\"UnivFile\": ",
        deep, deep.substr(0, 200000), std::string(2u << 20, ' ') + "{}",
    };
    std::string s;
    for (const std::string& text : damaged) {
        WriteSettings(text);
        EXPECT_THROW(key.GetConfigurationString("Nimbula", "directory"), CQLException);
        EXPECT_FALSE(key.GetCookieString("APP", "UnivFile", s));
        key.PutCookieString("APP", "UnivFile", "new.nmd");
        ASSERT_TRUE(key.GetCookieString("APP", "UnivFile", s));
        EXPECT_EQ("new.nmd", s);
    }
    // The last damaged file was kept aside, not thrown away.
    fs::path aside = File();
    aside += ".damaged";
    EXPECT_TRUE(fs::exists(aside));

    // Entries of the wrong type read as missing, and are replaced on write.
    WriteSettings(R"({"APP": {"UnivFile": 12, "Nimbula": "zz", "Half": "abc"}, "Nimbula": [1], "X": {"Y": "ok"}})");
    std::vector<uint8_t> raw;
    EXPECT_FALSE(key.GetCookieString("APP", "UnivFile", s));
    EXPECT_FALSE(key.GetCookieRaw("APP", "Nimbula", raw));
    EXPECT_FALSE(key.GetCookieRaw("APP", "Half", raw));
    EXPECT_THROW(key.GetConfigurationString("Nimbula", "directory"), CQLException);
    key.PutConfigurationString("Nimbula", "directory", "/d");
    EXPECT_EQ("/d", key.GetConfigurationString("Nimbula", "directory"));
    EXPECT_EQ("ok", key.GetConfigurationString("X", "Y"));

    // A settings folder that cannot be made is reported on write.
    fs::remove_all(m_dir / "nimbula");
    std::ofstream(m_dir / "nimbula") << "a file where the folder should be";
    EXPECT_THROW(key.PutCookieString("APP", "UnivFile", "x"), CQLException);
}

// Nesting is bounded: a deep unknown entry makes the file damaged (kept aside), and unknown
// entries within the bound are written back as compact as they came, never indented level by level.
TEST_F(Settings, DeepNestingIsDamageAndUnknownEntriesNeverGrow)
{
    CRegistryKey key;
    std::string s;
    const std::string deep = "{\"X\": " + std::string(100000, '[') + std::string(100000, ']') + "}";
    WriteSettings(deep);
    EXPECT_FALSE(key.GetCookieString("APP", "UnivFile", s));
    key.PutCookieString("APP", "UnivFile", "new.nmd");
    ASSERT_TRUE(key.GetCookieString("APP", "UnivFile", s));
    fs::path aside = File();
    aside += ".damaged";
    EXPECT_EQ(fs::file_size(aside), deep.size());
    EXPECT_LT(fs::file_size(File()), 100u);

    std::string wide = "{\"X\": {\"Y\": [[[[[";
    for (int i = 0; i < 20000; ++i) wide += "[1,2],";
    wide += "0]]]]]}}";
    WriteSettings(wide);
    for (int i = 0; i < 3; ++i) key.PutCookieString("APP", "UnivFile", "again.nmd");
    EXPECT_LT(fs::file_size(File()), wide.size() + 100);
    EXPECT_EQ(key.GetConfigurationString("APP", "UnivFile"), "again.nmd");
    EXPECT_FALSE(key.GetCookieString("X", "Y", s));  // still there, still not a string
    std::ifstream in(File());
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("[[[[[[1,2],[1,2]"), std::string::npos);
}

TEST_F(Settings, StoreKeepsDefaultConstantsAndUniverseAcrossRestarts)
{
    CUniversalConstants made;
    made.m_gravity = 42.0;
    made.m_padding236[1] = 7;
    {
        CSettingsStore store;
        ASSERT_TRUE(store.SaveDefaultConstants(made));
        ASSERT_TRUE(store.SetDefaultUniverseFile("/home/u/universes/rain.nmd"));
    }
    CSettingsStore restarted;
    CUniversalConstants loaded;
    restarted.Load(loaded);
    EXPECT_EQ(0, std::memcmp(made.Bytes(), loaded.Bytes(), CUniversalConstants::kSize));
    EXPECT_EQ("/home/u/universes/rain.nmd", restarted.GetDefaultUniverseFile());

    // A missing, damaged or wrong-sized entry leaves the built-in defaults.
    const CUniversalConstants defaults;
    for (const char* entry : {"", "\"Nimbula\": \"zz\"", "\"Nimbula\": \"0011\"", "\"Nimbula\": 5"}) {
        WriteSettings(std::string("{\"APP\": {") + entry + "}}");
        CUniversalConstants block;
        EXPECT_FALSE(restarted.LoadDefaultConstants(block)) << entry;
        EXPECT_EQ(0, std::memcmp(defaults.Bytes(), block.Bytes(), CUniversalConstants::kSize)) << entry;
        EXPECT_EQ("", restarted.GetDefaultUniverseFile());
    }
}

TEST_F(Settings, StoreThatCannotWriteSaysWhere)
{
    std::vector<std::string> shown;
    MessageBoxHandler old = SetMessageBoxHandler([&](const std::string& text, unsigned) {
        shown.push_back(text);
        return IDOK;
    });
    // A file where the settings folder should be: even root cannot write there.
    std::ofstream(m_dir / "nimbula") << "in the way";
    CSettingsStore store;
    EXPECT_FALSE(store.SaveDefaultConstants(CUniversalConstants()));
    EXPECT_FALSE(store.SetDefaultUniverseFile("x.nmd"));
    SetMessageBoxHandler(old);
    ASSERT_EQ(2u, shown.size());
    EXPECT_NE(std::string::npos, shown[0].find(CRegistryKey::SettingsPath()));
    EXPECT_EQ("in the way", std::string(std::istreambuf_iterator<char>(std::ifstream(m_dir / "nimbula").rdbuf()), {}));
}

TEST_F(Settings, TheHelpPageIsTheShippedOneUnlessTheSettingsNameAnother)
{
    EXPECT_EQ("file:///opt/nimbula%20data/help/index.html", HelpPageAddress("/opt/nimbula data"));
    WriteSettings(R"({"Nimbula": {"HelpPage": ""}})");
    EXPECT_EQ("file:///opt/nimbula/help/index.html", HelpPageAddress("/opt/nimbula"));
    WriteSettings(R"({"Nimbula": {"HelpPage": "https://example.org/nimbula/help"}})");
    EXPECT_EQ("https://example.org/nimbula/help", HelpPageAddress("/opt/nimbula"));
}
