// Replacing writes: names and links planted where the temporary file goes, the old file's
// permissions, and writes through symbolic and hard links (universe files and settings alike).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "engine/core/FileIO.h"
#include "engine/core/QLException.h"
#include "engine/core/RegistryKey.h"
#include "support/ScopedEnv.h"

namespace fs = std::filesystem;

namespace {
class FileReplace : public ::testing::Test {
protected:
    CTempFolder m_temp{"nimbula_replace_"};
    const fs::path m_dir = m_temp.Path();
    TempSuffixSource m_saved = SetTempSuffixSource(NextPlanted);
    static inline int s_next = 0;

    void SetUp() override { s_next = 0; }
    void TearDown() override { SetTempSuffixSource(m_saved); }

    // The names a write is handed, in turn: a, b, c, ...
    static std::string NextPlanted() { return std::string(1, char('a' + s_next++)); }
    static std::string Text(const fs::path& p)
    {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static void Put(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }
    static void Write(const fs::path& p, const std::string& text)
    {
        WriteFileReplacing(p.string(), text.data(), text.size());
    }
};
}

TEST_F(FileReplace, PlantedNamesAndLinksAreNeverWrittenThrough)
{
    const fs::path target = m_dir / "universe.nmd", victim = m_dir / "victim";
    Put(target, "old");
    Put(victim, "victim");
    // Another user's links and file under the first names: each is passed over, none followed.
    fs::create_symlink(m_dir / "made-through-a-link", m_dir / "universe.nmd.tmpa");
    fs::create_symlink(victim, m_dir / "universe.nmd.tmpb");
    Put(m_dir / "universe.nmd.tmpc", "planted");
    Write(target, "new");
    EXPECT_EQ(Text(target), "new");
    EXPECT_EQ(Text(victim), "victim");
    EXPECT_EQ(Text(m_dir / "universe.nmd.tmpc"), "planted");
    EXPECT_FALSE(fs::exists(m_dir / "made-through-a-link"));
    EXPECT_TRUE(fs::is_symlink(m_dir / "universe.nmd.tmpb"));
    EXPECT_FALSE(fs::exists(m_dir / "universe.nmd.tmpd"));  // the name used went with the rename
    EXPECT_EQ(s_next, 4);

    // Every name taken: the write gives up and the old file stays as it was.
    SetTempSuffixSource([] { return std::string("b"); });
    EXPECT_THROW(Write(target, "newer"), CQLException);
    EXPECT_EQ(Text(target), "new");
    EXPECT_EQ(Text(victim), "victim");
}

TEST_F(FileReplace, PermissionsAndLinksAreKept)
{
    const fs::path fresh = m_dir / "fresh", reference = m_dir / "reference";
    Put(reference, "x");
    Write(fresh, "new");
    // A new file gets what any new file gets; the temporary file's owner-only mode is gone.
    EXPECT_EQ(fs::status(fresh).permissions(), fs::status(reference).permissions());

    const fs::path secret = m_dir / "secret.nmd";
    Put(secret, "old");
    fs::permissions(secret, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    Write(secret, "new");
    EXPECT_EQ(fs::status(secret).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    // Through a symbolic link (two hops, one relative): the file it names changes, the links stay.
    fs::create_directory(m_dir / "real");
    Put(m_dir / "real" / "u.nmd", "old");
    fs::create_symlink("real/u.nmd", m_dir / "hop.nmd");
    fs::create_symlink(m_dir / "hop.nmd", m_dir / "link.nmd");
    Write(m_dir / "link.nmd", "through");
    EXPECT_TRUE(fs::is_symlink(m_dir / "link.nmd"));
    EXPECT_TRUE(fs::is_symlink(m_dir / "hop.nmd"));
    EXPECT_EQ(Text(m_dir / "real" / "u.nmd"), "through");

    // A hard link sees the new contents too.
    Put(m_dir / "one.nmd", "old contents");
    fs::create_hard_link(m_dir / "one.nmd", m_dir / "two.nmd");
    Write(m_dir / "one.nmd", "new");
    EXPECT_EQ(Text(m_dir / "two.nmd"), "new");
    EXPECT_EQ(fs::hard_link_count(m_dir / "one.nmd"), 2u);

    // A loop of links is refused, nothing written.
    fs::create_symlink(m_dir / "loop2", m_dir / "loop1");
    fs::create_symlink(m_dir / "loop1", m_dir / "loop2");
    EXPECT_THROW(Write(m_dir / "loop1", "x"), CQLException);
}

TEST_F(FileReplace, TheSettingsFileKeepsItsPermissionsAndLink)
{
    const CScopedEnv xdg("XDG_CONFIG_HOME", m_dir.c_str());
    fs::create_directories(m_dir / "nimbula");
    Put(m_dir / "kept-settings", "{}");
    fs::permissions(m_dir / "kept-settings", fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink(m_dir / "kept-settings", m_dir / "nimbula" / "settings");
    CRegistryKey key;
    key.PutCookieString("APP", "UnivFile", "a.nmd");
    EXPECT_TRUE(fs::is_symlink(m_dir / "nimbula" / "settings"));
    EXPECT_EQ(fs::status(m_dir / "kept-settings").permissions(), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(key.GetConfigurationString("APP", "UnivFile"), "a.nmd");
}
