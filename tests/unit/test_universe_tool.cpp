// nimbula-tool info, simulate --universe and the pictures' universe over the shipped samples and damaged files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "../support/ScopedEnv.h"
#include "storage/UniverseFile.h"
#include "tools/ToolCommands.h"
#include "tools/ToolHeadlessUniverse.h"
#include "universe/Orb.h"

namespace fs = std::filesystem;

namespace {
const std::string kSample = (fs::path(NIMBULA_SOURCE_DIR) / "res" / "universes" / "Spectrum.nmd").string();

int RunTool(int (*command)(int, char**, std::ostream&, std::ostream&), std::vector<std::string> args, std::string& out,
        std::string& err)
{
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    std::ostringstream o, e;
    const int rc = command(int(argv.size()), argv.data(), o, e);
    out = o.str();
    err = e.str();
    return rc;
}
}

TEST(UniverseTool, InfoTellsWhatASampleHoldsAndRefusesADamagedFile)
{
    std::string out, err;
    ASSERT_EQ(RunTool(ToolInfo, {kSample}, out, err), 0) << err;
    SUniverseFile file;
    ReadUniverseFile(kSample, file);
    EXPECT_NE(out.find("version 770\n"), std::string::npos);
    EXPECT_NE(out.find("groups 5\n"), std::string::npos);
    EXPECT_NE(out.find("orbs " + std::to_string(file.OrbCount()) + "\n"), std::string::npos);
    EXPECT_NE(out.find("  texture 256x128\n"), std::string::npos);
    EXPECT_NE(out.find("\nm_gravity 3\n"), std::string::npos) << out;
    EXPECT_NE(out.find("\nm_spinning 1\n"), std::string::npos);

    CTempFolder temp("nimbula_tool_");
    const fs::path cut = temp.Path() / "cut.nmd";
    fs::copy_file(kSample, cut);
    fs::resize_file(cut, fs::file_size(cut) - 10);
    EXPECT_EQ(RunTool(ToolInfo, {cut.string()}, out, err), 1);
    EXPECT_EQ(err.rfind("Could not successfully load file.\n", 0), 0u) << err;
    EXPECT_EQ(RunTool(ToolInfo, {(temp.Path() / "none.nmd").string()}, out, err), 1);
    EXPECT_EQ(err.rfind("Selected file is missing or corrupted.\nCould not successfully load file.\n", 0), 0u) << err;
    EXPECT_EQ(RunTool(ToolInfo, {}, out, err), 64);
}

TEST(UniverseTool, SimulateStartsASavedUniverseAtItsStartPlaces)
{
    std::string out, err;
    ASSERT_EQ(RunTool(ToolSimulate, {"--universe", kSample, "--frames", "0"}, out, err), 0) << err;
    SUniverseFile file;
    ReadUniverseFile(kSample, file);
    std::istringstream lines(out);
    size_t i = 0;
    for (const SUniverseGroupRecord& g : file.m_groups) {
        for (const SFVec3f& p : g.m_positions) {
            size_t index;
            SFVec3f at;
            ASSERT_TRUE(bool(lines >> index >> at.x >> at.y >> at.z)) << i;
            EXPECT_EQ(index, i++);
            EXPECT_EQ(at, p) << index;
            std::string rest;
            std::getline(lines, rest);
        }
    }
    std::string a, b;
    ASSERT_EQ(RunTool(ToolSimulate, {"--universe", kSample, "--frames", "60"}, a, err), 0);
    ASSERT_EQ(RunTool(ToolSimulate, {"--universe", kSample, "--frames", "60"}, b, err), 0);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, out);

    EXPECT_EQ(RunTool(ToolSimulate, {"--universe", "/no/such.nmd"}, out, err), 1);
    EXPECT_EQ(err, "Selected file is missing or corrupted.\nCould not successfully load file.\n");
    EXPECT_EQ(RunTool(ToolSimulate, {"--universe", kSample, "--orbs", "3"}, out, err), 64);
}

// The pictures' universe: what a window would build, except that a file that cannot be loaded is
// an error, not the standard universe standing in (a thumbnail of the wrong universe).
TEST(UniverseTool, TheHeadlessUniverseBuildsAFileOrRefusesIt)
{
    SHeadlessUniverseOptions options;
    options.universePath = kSample;
    std::ostringstream err;
    {
        CHeadlessUniverse universe;
        ASSERT_TRUE(universe.Build(options, 64, 64, err, "")) << err.str();
        SUniverseFile file;
        ReadUniverseFile(kSample, file);
        EXPECT_EQ(g_orbs.size(), file.OrbCount());
        universe.Run(3);
        universe.Draw();
    }
    EXPECT_TRUE(g_orbs.empty());
    const std::string cut = (fs::temp_directory_path() / "nimbula_headless_cut.nmd").string();
    {
        std::ifstream in(kSample, std::ios::binary);
        std::string bytes(3000, '\0');
        in.read(bytes.data(), std::streamsize(bytes.size()));
        std::ofstream(cut, std::ios::binary) << bytes;
    }
    options.universePath = cut;
    CHeadlessUniverse damaged;
    EXPECT_FALSE(damaged.Build(options, 64, 64, err, "thumbnail: "));
    EXPECT_NE(err.str().find("thumbnail: Could not successfully load file."), std::string::npos) << err.str();
    fs::remove(cut);
}
