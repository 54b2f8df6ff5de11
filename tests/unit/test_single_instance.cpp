// The single-instance lock without a runtime folder: a folder of the user's own, one holder, and
// nothing done through a folder or link that someone else planted.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/SingleInstance.h"
#include "support/ScopedEnv.h"

namespace fs = std::filesystem;

TEST(SingleInstance, WithoutARuntimeFolderTheLockLivesInAFolderOfTheUsersOwn)
{
    CTempFolder temp("nimbula_lock_");
    const CScopedEnv run("XDG_RUNTIME_DIR", nullptr);
    const CScopedEnv tmp("TMPDIR", temp.Path().c_str());
    const fs::path path = CSingleInstanceLock::LockPath("NimbulaTest");
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

    // A folder that others may write to is not ours to trust.
    fs::remove(path);
    fs::permissions(folder, fs::perms::all);
    CSingleInstanceLock lock("NimbulaTest");
    EXPECT_FALSE(lock.Held());
    EXPECT_FALSE(fs::exists(path));
}
