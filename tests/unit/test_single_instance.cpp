// The single-instance lock without a runtime folder: a folder of the user's own, one holder, and
// nothing done through a folder or link that someone else planted.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/SingleInstance.h"
#include "platform/posix/LockPath.h"
#include "support/ScopedEnv.h"

namespace fs = std::filesystem;

TEST(SingleInstance, WithoutARuntimeFolderTheLockLivesInAFolderOfTheUsersOwn)
{
    CTempFolder temp("nimbula_lock_");
    const CScopedEnv run("XDG_RUNTIME_DIR", nullptr);
    const CScopedEnv tmp("TMPDIR", temp.Path().c_str());
    const fs::path path = LockPath("NimbulaTest");
    const fs::path folder = path.parent_path();
    EXPECT_EQ(folder.parent_path(), temp.Path());
    EXPECT_EQ(folder.filename().string().rfind("nimbula-", 0), 0u) << folder;
    {
        CSingleInstanceLock first("NimbulaTest");
        EXPECT_TRUE(first.Held());
        EXPECT_EQ(fs::status(folder).permissions(), fs::perms::owner_all);
        CSingleInstanceLock second("NimbulaTest");
        EXPECT_TRUE(second.AlreadyExists());
        EXPECT_FALSE(second.Held());
    }

    // A link planted under the lock's name is not followed: no file appears where it points.
    fs::remove(path);
    fs::create_symlink(temp.Path() / "victim", path);
    {
        CSingleInstanceLock lock("NimbulaTest");
        EXPECT_FALSE(lock.Held());
        EXPECT_FALSE(lock.AlreadyExists());
        EXPECT_FALSE(fs::exists(temp.Path() / "victim"));
    }

    // A folder that others may write to is not ours to trust: the lock goes to the cache folder.
    fs::remove(path);
    fs::permissions(folder, fs::perms::all);
    const CScopedEnv cache("XDG_CACHE_HOME", (temp.Path() / "cache").c_str());
    const fs::path fallback = FallbackLockPath("NimbulaTest");
    EXPECT_EQ(temp.Path() / "cache" / "nimbula" / "NimbulaTest.lock", fallback);
    CSingleInstanceLock lock("NimbulaTest");
    EXPECT_TRUE(lock.Held());
    EXPECT_FALSE(fs::exists(path));
    EXPECT_TRUE(fs::is_regular_file(fallback));
    EXPECT_EQ(fs::status(fallback.parent_path()).permissions(), fs::perms::owner_all);
    CSingleInstanceLock second("NimbulaTest");
    EXPECT_TRUE(second.AlreadyExists());
}

// Another user who makes /tmp/nimbula-<uid> first cannot switch the lock off: it goes to the
// user's cache folder, and two copies still see each other. Needs root to be two users.
TEST(SingleInstance, AnotherUsersFolderUnderTheLocksNameDoesNotSwitchItOff)
{
    if (::geteuid() != 0) GTEST_SKIP() << "two users need root to drop to them (run the tests as root)";
    CTempFolder temp("nimbula_lock_");
    fs::permissions(temp.Path(), fs::perms::all);
    const uid_t user = 64803, other = 64804;
    const CScopedEnv run("XDG_RUNTIME_DIR", nullptr);
    const CScopedEnv tmp("TMPDIR", temp.Path().c_str());
    const CScopedEnv cache("XDG_CACHE_HOME", (temp.Path() / "home" / ".cache").c_str());
    fs::create_directories(temp.Path() / "home");
    ASSERT_EQ(0, ::chown((temp.Path() / "home").c_str(), user, user));
    const fs::path taken = temp.Path() / ("nimbula-" + std::to_string(user));
    fs::create_directory(taken);
    ASSERT_EQ(0, ::chown(taken.c_str(), other, other));
    int fds[2];
    ASSERT_EQ(0, ::pipe(fds));
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(fds[0]);
        char answer = 'x';
        if (::setgroups(0, nullptr) == 0 && ::setresgid(user, user, user) == 0 && ::setresuid(user, user, user) == 0) {
            CSingleInstanceLock first("NimbulaTest");
            CSingleInstanceLock second("NimbulaTest");
            answer = first.Held() && second.AlreadyExists() ? 'y' : 'n';
        }
        (void)!::write(fds[1], &answer, 1);
        ::_exit(0);
    }
    ::close(fds[1]);
    char answer = 0;
    (void)!::read(fds[0], &answer, 1);
    ::close(fds[0]);
    ::waitpid(pid, nullptr, 0);
    EXPECT_EQ('y', answer);
    EXPECT_TRUE(fs::is_regular_file(temp.Path() / "home" / ".cache" / "nimbula" / "NimbulaTest.lock"));
    EXPECT_TRUE(fs::is_empty(taken));
}
