// Where the program finds its data: environment, settings, beside the executable, in that order.
#include <gtest/gtest.h>

#include <fstream>

#include "app/InstallDir.h"
#include "support/ScopedEnv.h"

namespace fs = std::filesystem;

namespace {
class InstallDir : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* d : {"env", "settings", "build/res", "share/nimbula", "bin"}) fs::create_directories(m_root / d);
    }
    void Install(const fs::path& dir) { std::ofstream(dir / "sphere.umf") << "x"; }

    CTempFolder m_temp{"nimbula-installdir-"};
    const fs::path m_root = m_temp.Path();
};
}

TEST_F(InstallDir, CandidatesInOrder)
{
    const auto c = InstallDirCandidates("/e", std::string("/s"), "/opt/nimbula/bin/nimbula");
    ASSERT_EQ(c.size(), 4u);
    EXPECT_EQ(c[0], fs::path("/e"));
    EXPECT_EQ(c[1], fs::path("/s"));
    EXPECT_EQ(c[2], fs::path("/opt/nimbula/bin/res"));
    EXPECT_EQ(c[3], fs::path("/opt/nimbula/share/nimbula"));
    // Unset or empty places are skipped.
    EXPECT_EQ(InstallDirCandidates("", std::nullopt, "").size(), 0u);
    EXPECT_EQ(InstallDirCandidates(nullptr, std::string(), "/x/nimbula").size(), 2u);
}

TEST_F(InstallDir, FirstPlaceHoldingTheModelWins)
{
    Install(m_root / "settings");
    Install(m_root / "build/res");
    auto found = FindInstallDir(InstallDirCandidates((m_root / "env").c_str(), (m_root / "settings").string(),
                                                     m_root / "build/nimbula"));
    ASSERT_TRUE(found);
    EXPECT_EQ(*found, m_root / "settings");

    Install(m_root / "env");
    found = FindInstallDir(InstallDirCandidates((m_root / "env").c_str(), (m_root / "settings").string(),
                                                m_root / "build/nimbula"));
    EXPECT_EQ(*found, m_root / "env");
}

TEST_F(InstallDir, ARelativeFolderIsMadeAbsoluteWhenFound)
{
    Install(m_root / "env");
    fs::current_path(m_root);
    const auto found = FindInstallDir(InstallDirCandidates("env", std::nullopt, ""));
    ASSERT_TRUE(found);
    // Still the same folder once the current directory has moved on.
    fs::current_path(m_root / "bin");
    EXPECT_EQ(*found, m_root / "env");
}

TEST_F(InstallDir, BesideTheExecutableInTheBuildTreeOrInstalled)
{
    Install(m_root / "share/nimbula");
    auto found = FindInstallDir(InstallDirCandidates(nullptr, std::nullopt, m_root / "bin/nimbula"));
    ASSERT_TRUE(found);
    EXPECT_EQ(*found, m_root / "share/nimbula");
}

TEST_F(InstallDir, NoneHoldsTheModel)
{
    // A folder named sphere.umf is not the model.
    fs::create_directories(m_root / "env/sphere.umf");
    EXPECT_FALSE(FindInstallDir(InstallDirCandidates((m_root / "env").c_str(), (m_root / "missing").string(),
                                                     m_root / "bin/nimbula")));
}

TEST_F(InstallDir, AnExplicitFolderWithoutTheModelSaysWhatItLacks)
{
    const fs::path env = m_root / "env";
    EXPECT_EQ(MissingDataNote("NIMBULA_DIR", env), "NIMBULA_DIR names " + env.string() + ", which lacks sphere.umf and orb.bmp");
    std::ofstream(env / "orb.bmp") << "x";
    EXPECT_EQ(MissingDataNote("NIMBULA_DIR", env), "NIMBULA_DIR names " + env.string() + ", which lacks sphere.umf");
    Install(env);
    EXPECT_EQ(MissingDataNote("NIMBULA_DIR", env), "");
    EXPECT_NE(MissingDataNote("NIMBULA_DIR", m_root / "nowhere").find("does not exist"), std::string::npos);
    EXPECT_NE(MissingDataNote("NIMBULA_DIR", env / "orb.bmp").find("not a folder"), std::string::npos);
}
