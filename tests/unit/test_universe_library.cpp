// The universe library: where it lives, its list, and the samples copied in on the first start.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "../support/ScopedEnv.h"
#include "storage/UniverseLibrary.h"

namespace fs = std::filesystem;

namespace {
void Touch(const fs::path& p, const std::string& text = "x")
{
    fs::create_directories(p.parent_path());
    std::ofstream(p) << text;
}

std::string Read(const fs::path& p)
{
    std::ifstream in(p);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
}

TEST(UniverseLibrary, FolderFollowsTheDataHome)
{
    CScopedEnv home("HOME", "/home/someone");
    {
        CScopedEnv data("XDG_DATA_HOME", "/data/here");
        EXPECT_EQ(UniverseLibraryFolder(), fs::path("/data/here/nimbula/universes"));
    }
    for (const char* ignored : {"relative/data", "", static_cast<const char*>(nullptr)}) {
        CScopedEnv data("XDG_DATA_HOME", ignored);
        EXPECT_EQ(UniverseLibraryFolder(), fs::path("/home/someone/.local/share/nimbula/universes"));
    }
}

TEST(UniverseLibrary, ListsUniverseFilesThenFoldersThenOther)
{
    CTempFolder temp("nimbula_library_");
    const fs::path dir = temp.Path() / "lib";
    fs::create_directories(dir);
    EXPECT_EQ(ListUniverseFolder(dir), std::vector<std::string>{"Other..."});

    for (const char* f : {"rain.nmd", "Galaxy.nmd", "alpha.NMD", "notes.txt", "nmd", "b.nmd.bak"}) Touch(dir / f);
    for (const char* d : {"Zeta", "beta", ".hidden", "old.nmd"}) fs::create_directories(dir / d);
    EXPECT_EQ(ListUniverseFolder(dir), (std::vector<std::string>{"alpha.NMD", "Galaxy.nmd", "rain.nmd", "[beta]",
                                                                  "[old.nmd]", "[Zeta]", "Other..."}));
    // A folder that cannot be read lists nothing but the way out.
    EXPECT_EQ(ListUniverseFolder(temp.Path() / "gone"), std::vector<std::string>{"Other..."});
}

TEST(UniverseLibrary, TheListShowsTheLibraryAndLeavesTheCurrentDirectory)
{
    CTempFolder temp("nimbula_library_");
    CScopedEnv data("XDG_DATA_HOME", temp.Path().c_str());
    const fs::path elsewhere = temp.Path() / "elsewhere";
    Touch(elsewhere / "here.nmd");
    fs::current_path(elsewhere);

    // No library yet: the current directory stays and is what the list shows.
    std::vector<std::string> list{"stale"};
    FillUniverseList(list);
    EXPECT_EQ(fs::current_path(), elsewhere);
    EXPECT_EQ(list, (std::vector<std::string>{"here.nmd", "Other..."}));

    Touch(UniverseLibraryFolder() / "mine.nmd");
    FillUniverseList(list);
    EXPECT_EQ(fs::current_path(), elsewhere);
    EXPECT_EQ(UniverseListFolder(), UniverseLibraryFolder());
    EXPECT_EQ(list, (std::vector<std::string>{"mine.nmd", "Other..."}));
}

TEST(UniverseLibrary, TheFirstStartCopiesTheSamplesOnceAndNeverOverAUsersFile)
{
    CTempFolder temp("nimbula_library_");
    const fs::path samples = temp.Path() / "install" / "universes";
    const fs::path library = temp.Path() / "data" / "nimbula" / "universes";
    Touch(samples / "Galaxy.nmd", "sample galaxy");
    Touch(samples / "Rain.nmd", "sample rain");
    Touch(samples / "README", "not a universe");
    Touch(library / "Galaxy.nmd", "the user's own galaxy");

    EXPECT_EQ(SeedUniverseLibrary(library, samples), 1);
    EXPECT_EQ(Read(library / "Galaxy.nmd"), "the user's own galaxy");
    EXPECT_EQ(Read(library / "Rain.nmd"), "sample rain");
    EXPECT_FALSE(fs::exists(library / "README"));

    // A sample the user deleted stays deleted.
    fs::remove(library / "Rain.nmd");
    EXPECT_EQ(SeedUniverseLibrary(library, samples), 0);
    EXPECT_FALSE(fs::exists(library / "Rain.nmd"));

    // A library that does not exist yet is made; without samples it is only made.
    const fs::path fresh = temp.Path() / "fresh" / "universes";
    EXPECT_EQ(SeedUniverseLibrary(fresh, temp.Path() / "no samples"), 0);
    EXPECT_TRUE(fs::is_directory(fresh));
    EXPECT_EQ(SeedUniverseLibrary(fresh, samples), 2);
}
