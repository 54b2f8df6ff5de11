// Saves into a folder that users share (/tmp and its kind), with a victim and an attacker as two
// users and the system's own protection of links in such folders switched off, as containers
// have it. Run as root: each side is a child process that drops to an unprivileged id, as
// setpriv would. Skipped where the tests do not run as root.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

#include "engine/core/FileIO.h"
#include "engine/core/QLException.h"
#include "platform/FileDialog.h"
#include "platform/MessageBox.h"
#include "support/ScopedEnv.h"
#include "platform/FileReplace.h"

namespace fs = std::filesystem;

namespace {
// Ids no account uses: the messages name them by number.
constexpr uid_t kVictim = 64802, kAttacker = 64801;

std::string Text(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs what as uid (its group the same number, no others) in a child process; what it returns
// comes back, or the text of what it threw.
std::string As(uid_t uid, const std::function<std::string()>& what)
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return "no pipe";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFds[0]);
        std::string result;
        if (::setgroups(0, nullptr) != 0 || ::setresgid(uid, uid, uid) != 0 || ::setresuid(uid, uid, uid) != 0) {
            result = "cannot become uid " + std::to_string(uid);
        } else {
            try {
                result = what();
            } catch (const CQLException& e) {
                result = "refused: " + e.What();
            }
        }
        (void)!::write(pipeFds[1], result.data(), result.size());
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    std::string result;
    char buffer[4096];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) result.append(buffer, size_t(n));
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return result;
}

std::string Write(const fs::path& path, const std::string& text)
{
    WriteFileReplacing(path.string(), text.data(), text.size());
    return "written";
}

std::string Link(const fs::path& to, const fs::path& at)
{
    return ::symlink(to.c_str(), at.c_str()) == 0 ? "linked" : "cannot link " + at.string();
}

// Runs nimbula-tool with args; its standard error and exit status, "74: render: ...".
std::string Tool(const std::string& args)
{
    const std::string command = std::string("\"") + std::getenv("NIMBULA_TOOL") + "\" " + args + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return "cannot run the tool";
    std::string said;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) said.append(buffer, n);
    const int status = ::pclose(pipe);
    return std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) + ": " + said;
}

class SharedFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (::geteuid() != 0) GTEST_SKIP() << "two users need root to drop to them (run the tests as root)";
        // The shared folder as /tmp is: everyone writes, the sticky bit keeps each user's names.
        fs::permissions(m_dir, fs::perms::all);
        fs::create_directory(m_shared);
        ::chmod(m_shared.c_str(), 01777);
        fs::create_directory(m_home);
        ASSERT_EQ(0, ::chown(m_home.c_str(), kVictim, kVictim));
        ASSERT_EQ("written", As(kVictim, [&] { return Write(m_thesis, "thesis"); }));
        ::chmod(m_thesis.c_str(), 0600);
    }

    CTempFolder m_temp{"nimbula_shared_"};
    const fs::path m_dir = m_temp.Path();
    const fs::path m_shared = m_dir / "shared", m_home = m_dir / "victim", m_thesis = m_home / "thesis.txt";
};
}

TEST_F(SharedFolder, AnotherUsersLinkIsNotFollowedNorAnyLinkToNothing)
{
    ASSERT_EQ("linked", As(kAttacker, [&] { return Link(m_thesis, m_shared / "out.png"); }));
    ASSERT_EQ("linked", As(kAttacker, [&] { return Link(m_home, m_shared / "folder"); }));
    ASSERT_EQ("linked", As(kAttacker, [&] { return Link(m_home / "made.txt", m_shared / "dangling.png"); }));

    // The victim's save through each is refused with the link and its maker named; nothing changes.
    const std::string refused = "refused: " + (m_shared / "out.png").string() + " is a link that uid " +
                                std::to_string(kAttacker) + " made in a folder everyone may write to (" +
                                m_shared.string() + "): it is not followed, and nothing was written";
    EXPECT_EQ(refused, As(kVictim, [&] { return Write(m_shared / "out.png", "picture"); }));
    EXPECT_EQ(refused, As(kVictim, [&] { return FindReplaceTarget((m_shared / "out.png").string()).path; }));
    EXPECT_NE(std::string::npos,
              As(kVictim, [&] { return Write(m_shared / "folder" / "thesis.txt", "picture"); }).find("folder is a link that uid"));
    EXPECT_NE(std::string::npos,
              As(kVictim, [&] { return Write(m_shared / "dangling.png", "picture"); }).find("dangling.png is a link that uid"));
    EXPECT_EQ("thesis", Text(m_thesis));
    EXPECT_EQ(fs::perms::owner_read | fs::perms::owner_write, fs::status(m_thesis).permissions());
    EXPECT_FALSE(fs::exists(m_home / "made.txt"));

    // The save question refuses it before anything is asked, and the dialog stays open.
    EXPECT_EQ("open, told: " + refused.substr(9), As(kVictim, [&] {
                  std::string told;
                  SetMessageBoxHandler([&](const std::string& text, unsigned) {
                      told += text;
                      return IDYES;
                  });
                  SFileDialogOptions ask;
                  ask.save = true;
                  ask.confirmOverwrite = true;
                  ask.initialDir = m_shared.string();
                  CFileDialog dlg(ask);
                  dlg.OnInitDialog();
                  dlg.GetDlgItem(kFileNameId)->text = "out.png";
                  dlg.OnOK();
                  return std::string(dlg.IsEnded() ? "ended" : "open") + ", told: " + told;
              }));

    // The victim's own link, and one of the folder's owner, are followed as the system would;
    // the victim's own link to nothing still makes no file.
    ASSERT_EQ("linked", As(kVictim, [&] { return Link(m_thesis, m_shared / "mine.png"); }));
    EXPECT_EQ("written", As(kVictim, [&] { return Write(m_shared / "mine.png", "mine"); }));
    EXPECT_EQ("mine", Text(m_thesis));
    ASSERT_EQ("linked", Link(m_thesis, m_shared / "owners.png"));
    EXPECT_EQ("written", As(kVictim, [&] { return Write(m_shared / "owners.png", "owner's"); }));
    EXPECT_EQ("owner's", Text(m_thesis));
    ASSERT_EQ("linked", As(kVictim, [&] { return Link(m_home / "mine.txt", m_shared / "mine-dangling.png"); }));
    EXPECT_NE(std::string::npos, As(kVictim, [&] { return Write(m_shared / "mine-dangling.png", "x"); })
                                     .find("which does not exist: no file is made through a link"));
    EXPECT_FALSE(fs::exists(m_home / "mine.txt"));
}

TEST_F(SharedFolder, OnlyOurOwnLeftoversAreCleanedAway)
{
    // A folder every user may change names in, without the sticky bit: only the owner check
    // keeps the victim's save from removing the attacker's files.
    const fs::path open = m_dir / "open";
    fs::create_directory(open);
    fs::permissions(open, fs::perms::all);
    const auto leftover = [&](const std::string& name) {
        return [&, name] {
            const std::string written = Write(open / name, "leftover");
            const struct utimbuf old = {time(nullptr) - 120, time(nullptr) - 120};
            return written + (::utime((open / name).c_str(), &old) == 0 ? "" : " but not aged");
        };
    };
    ASSERT_EQ("written", As(kVictim, leftover("a.png.tmp0123456789abcdef")));
    ASSERT_EQ("written", As(kAttacker, leftover("b.png.tmp0123456789abcdef")));
    ASSERT_EQ("written", As(kVictim, [&] { return Write(open / "c.png", "picture"); }));
    EXPECT_FALSE(fs::exists(open / "a.png.tmp0123456789abcdef"));
    EXPECT_EQ("leftover", Text(open / "b.png.tmp0123456789abcdef"));
}

// The tool's picture into the shared folder: refused with the reason, as is a read-only file.
TEST_F(SharedFolder, TheToolRefusesWithTheReason)
{
    const char* tool = std::getenv("NIMBULA_TOOL");
    if (!tool || !*tool) GTEST_SKIP() << "NIMBULA_TOOL is not set";
    if (Tool("--help").find("  render ") == std::string::npos) GTEST_SKIP() << "a tool built without pictures";
    if (As(kVictim, [&] { return std::string(::access(tool, X_OK) == 0 ? "runs" : "out of reach"); }) != "runs")
        GTEST_SKIP() << tool << " is out of other users' reach";
    ASSERT_EQ("linked", As(kAttacker, [&] { return Link(m_thesis, m_shared / "out.png"); }));
    const std::string out = (m_shared / "out.png").string();
    EXPECT_EQ("74: render: cannot write " + out + ": " + out + " is a link that uid " + std::to_string(kAttacker) +
                  " made in a folder everyone may write to (" + m_shared.string() +
                  "): it is not followed, and nothing was written\n",
              As(kVictim, [&] { return Tool("render --orbs 3 --size 8x8 --output " + out); }));
    EXPECT_EQ("thesis", Text(m_thesis));

    const std::string kept = (m_shared / "kept.png").string();
    ASSERT_EQ("written", As(kVictim, [&] { return Write(kept, "kept"); }));
    ::chmod(kept.c_str(), 0444);
    EXPECT_EQ("74: render: cannot write " + kept + ": file is read-only\n",
              As(kVictim, [&] { return Tool("render --orbs 3 --size 8x8 --output " + kept); }));
    EXPECT_EQ("kept", Text(kept));
}
