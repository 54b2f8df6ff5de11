// Replacing writes: names and links planted where the temporary file goes, the old file's
// permissions, writes through symbolic and hard links (universe files and settings alike),
// read-only files, links to nothing, the leftovers of killed saves, and the save question.
#include <gtest/gtest.h>

#include <filesystem>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <utime.h>

#include "engine/core/FileIO.h"
#include "engine/core/QLException.h"
#include "platform/RegistryKey.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "storage/SettingsStore.h"
#include "support/ScopedEnv.h"
#include "platform/FileReplace.h"

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

TEST_F(FileReplace, ReadOnlyFilesLinksToNothingAndWhatIsNoFileAreRefused)
{
    const fs::path kept = m_dir / "kept.png";
    Put(kept, "kept");
    fs::permissions(kept, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    try {
        Write(kept, "new");
        ADD_FAILURE() << "a read-only file was replaced";
    } catch (const CQLException& e) {
        EXPECT_EQ("file is read-only: " + kept.string(), e.What());
        EXPECT_EQ(kept.string() + ": file is read-only", FileFailureLine(kept.string(), e.What()));
    }
    EXPECT_EQ(Text(kept), "kept");
    // Once the user agreed: replaced, and still read-only.
    WriteFileReplacing(kept.string(), "new", 3, EReadOnlyFiles::kReplace);
    EXPECT_EQ(Text(kept), "new");
    EXPECT_EQ(fs::status(kept).permissions(), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

    // A link to nothing, directly or through a second link: no file appears where it points.
    fs::create_symlink(m_dir / "nowhere" , m_dir / "dangling.png");
    fs::create_symlink("dangling.png", m_dir / "twice.png");
    for (const char* name : {"dangling.png", "twice.png"}) {
        EXPECT_THROW(Write(m_dir / name, "x"), CQLException) << name;
        EXPECT_THROW(FindReplaceTarget((m_dir / name).string()), CQLException) << name;
    }
    EXPECT_FALSE(fs::exists(fs::symlink_status(m_dir / "nowhere")));
    // A new file in a folder reached through a link is no link to nothing.
    fs::create_directory(m_dir / "real");
    fs::create_directory_symlink("real", m_dir / "folder-link");
    Write(m_dir / "folder-link" / "fresh.png", "fresh");
    EXPECT_EQ(Text(m_dir / "real" / "fresh.png"), "fresh");

    // A pipe or a folder in the file's place is not replaced by a file.
    ASSERT_EQ(0, ::mkfifo((m_dir / "pipe").c_str(), 0600));
    EXPECT_THROW(Write(m_dir / "pipe", "x"), CQLException);
    EXPECT_TRUE(fs::is_fifo(m_dir / "pipe"));
    EXPECT_THROW(Write(m_dir / "real", "x"), CQLException);
    EXPECT_THROW(Write(m_dir / "real/", "x"), CQLException);
    EXPECT_THROW(Write(m_dir / "real" / ".", "x"), CQLException);
    fs::create_symlink(".", m_dir / "here");
    EXPECT_THROW(Write(m_dir / "here", "x"), CQLException);
    EXPECT_TRUE(fs::is_symlink(m_dir / "here"));
}

TEST_F(FileReplace, LeftoversOfKilledSavesGoOnTheNextSaveAndNothingElse)
{
    const auto putOld = [&](const std::string& name) {
        Put(m_dir / name, "leftover");
        const struct utimbuf twoMinutesAgo = {time(nullptr) - 120, time(nullptr) - 120};
        ASSERT_EQ(0, ::utime((m_dir / name).c_str(), &twoMinutesAgo));
    };
    putOld("other.nmd.tmp0123456789abcdef");   // ours, killed: goes
    putOld("out.png.tmpfedcba9876543210");     // ours, killed: goes
    Put(m_dir / "busy.nmd.tmp0123456789abcdef", "a save running now");
    putOld("caps.tmp0123456789ABCDEF");        // not our pattern
    putOld("short.tmp0123456789abcde");
    putOld(".tmp0123456789abcdef");
    putOld("notes.txt");
    fs::create_directory(m_dir / "dir.tmp0123456789abcdef");
    fs::create_symlink(m_dir / "notes.txt", m_dir / "link.tmp0123456789abcdef");
    putOld("linked.tmp0123456789abcdef");      // a file with another name is someone's data
    fs::create_hard_link(m_dir / "linked.tmp0123456789abcdef", m_dir / "linked-too");

    Write(m_dir / "new.png", "new");
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(m_dir)) left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ((std::vector<std::string>{".tmp0123456789abcdef", "busy.nmd.tmp0123456789abcdef",
                                        "caps.tmp0123456789ABCDEF", "dir.tmp0123456789abcdef",
                                        "link.tmp0123456789abcdef", "linked-too", "linked.tmp0123456789abcdef",
                                        "new.png", "notes.txt", "short.tmp0123456789abcde"}),
              left);
}

// The save question and the write find the same file: a link is named with the file it leads
// to, a read-only file is called so, and a link to nothing is refused before anything is asked.
TEST_F(FileReplace, TheSaveQuestionNamesTheFileThatReallyChanges)
{
    fs::create_directory(m_dir / "real");
    Put(m_dir / "real" / "thesis.txt", "thesis");
    fs::permissions(m_dir / "real" / "thesis.txt", fs::perms::owner_read);
    fs::create_symlink(m_dir / "real" / "thesis.txt", m_dir / "out.nmd");
    fs::create_symlink(m_dir / "real" / "gone.txt", m_dir / "gone.nmd");
    SFileDialogOptions ask;
    ask.save = true;
    ask.defaultExt = "nmd";
    ask.initialDir = m_dir.string();
    ask.confirmOverwrite = true;
    CFileDialog dlg(ask);
    dlg.OnInitDialog();
    std::vector<std::string> asked;
    int answer = IDNO;
    const MessageBoxHandler old = SetMessageBoxHandler([&](const std::string& text, unsigned) {
        asked.push_back(text);
        return answer;
    });
    dlg.GetDlgItem(kFileNameId)->text = "gone";
    dlg.OnOK();
    EXPECT_FALSE(dlg.IsEnded());
    dlg.GetDlgItem(kFileNameId)->text = "out";
    dlg.OnOK();
    EXPECT_FALSE(dlg.IsEnded());
    answer = IDYES;
    dlg.OnOK();
    SetMessageBoxHandler(old);
    ASSERT_EQ(3u, asked.size());
    EXPECT_EQ((m_dir / "gone.nmd").string() + " is a link to " + (m_dir / "real" / "gone.txt").string() +
                  ", which does not exist: no file is made through a link",
              asked[0]);
    EXPECT_EQ("out.nmd is a link to " + (m_dir / "real" / "thesis.txt").string() +
                  ".\nthesis.txt is read-only.\nDo you want to replace it?",
              asked[1]);
    ASSERT_TRUE(dlg.IsEnded());
    EXPECT_EQ((m_dir / "real" / "thesis.txt").string(), dlg.PathName());
    EXPECT_FALSE(fs::exists(m_dir / "real" / "gone.txt"));
}

// A read-only settings file is left as it is, and the message says why; a damaged one is kept
// aside under a free name when a folder stands where the copy goes.
TEST_F(FileReplace, ReadOnlySettingsStayAndDamagedOnesAreNeverLost)
{
    const CScopedEnv xdg("XDG_CONFIG_HOME", m_dir.c_str());
    const fs::path settings = m_dir / "nimbula" / "settings";
    fs::create_directories(settings.parent_path());
    Put(settings, "{\"APP\": {\"UnivFile\": \"kept.nmd\"}}");
    fs::permissions(settings, fs::perms::owner_read | fs::perms::group_read);
    std::vector<std::string> said;
    const MessageBoxHandler old = SetMessageBoxHandler([&](const std::string& text, unsigned) {
        said.push_back(text);
        return IDOK;
    });
    CSettingsStore store;
    EXPECT_FALSE(store.SetDefaultUniverseFile("other.nmd"));
    ASSERT_EQ(1u, said.size());
    EXPECT_EQ("Nimbula could not save its settings in " + settings.string() +
                  ".\nFile is read-only.\nThe settings saved before are unchanged.",
              said[0]);
    EXPECT_EQ("kept.nmd", store.GetDefaultUniverseFile());
    EXPECT_EQ(fs::status(settings).permissions(), fs::perms::owner_read | fs::perms::group_read);

    fs::permissions(settings, fs::perms::owner_read | fs::perms::owner_write);
    Put(settings, "damaged {");
    fs::create_directories(m_dir / "nimbula" / "settings.damaged");
    EXPECT_TRUE(store.SetDefaultUniverseFile("new.nmd"));
    EXPECT_EQ(Text(m_dir / "nimbula" / "settings.damaged.2"), "damaged {");
    EXPECT_TRUE(fs::is_empty(m_dir / "nimbula" / "settings.damaged"));
    EXPECT_EQ("new.nmd", store.GetDefaultUniverseFile());
    SetMessageBoxHandler(old);
    EXPECT_EQ(1u, said.size());
}
