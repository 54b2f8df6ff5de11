// nimbula-tool simulate: output format, replay, constants and dump.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tools/ToolCommands.h"
#include "support/ScopedEnv.h"
#include "universe/UniversalConstants.h"

namespace fs = std::filesystem;

namespace {
int Simulate(std::vector<std::string> args, std::string& out, std::string& err)
{
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    std::ostringstream o, e;
    const int rc = ToolSimulate(int(argv.size()), argv.data(), o, e);
    out = o.str();
    err = e.str();
    return rc;
}

std::string ReadFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}
}

TEST(SimulateTool, PrintsEveryOrbWithSeventeenDigits)
{
    std::string out, err;
    ASSERT_EQ(Simulate({"--frames", "3", "--orbs", "7"}, out, err), 0) << err;
    const auto lines = Lines(out);
    ASSERT_EQ(lines.size(), 8u);
    for (int i = 0; i < 7; ++i) {
        std::istringstream row(lines[size_t(i)]);
        int index = -1;
        double v[6];
        row >> index;
        EXPECT_EQ(index, i);
        for (double& x : v) EXPECT_TRUE(bool(row >> x)) << lines[size_t(i)];
    }
    EXPECT_EQ(lines[7].rfind("top_speed ", 0), 0u);
}

TEST(SimulateTool, RunsReplayInProcess)
{
    std::string a, b, err;
    ASSERT_EQ(Simulate({"--frames", "120"}, a, err), 0);
    ASSERT_EQ(Simulate({"--frames", "120"}, b, err), 0);
    EXPECT_EQ(a, b);
    EXPECT_EQ(Lines(a).size(), 101u);
}

TEST(SimulateTool, ConstantsReplaceTheBlockBeforeTheBuild)
{
    CUniversalConstants k;
    k.m_gravity = 100;
    k.m_boundaryMin = {1, 1, 1};  // the build writes the box anyway
    std::string plain, pulled, err;
    ASSERT_EQ(Simulate({"--frames", "30"}, plain, err), 0);
    ASSERT_EQ(Simulate({"--frames", "30", "--constants", k.EncodeUniversalString()}, pulled, err), 0) << err;
    EXPECT_NE(plain, pulled);
    EXPECT_EQ(Simulate({"--constants", "ABC"}, plain, err), 1);
    EXPECT_NE(err.find("708"), std::string::npos);
    EXPECT_EQ(Simulate({"--frames", "-1"}, plain, err), 64);
    EXPECT_EQ(Simulate({"--frames"}, plain, err), 64);
    EXPECT_EQ(Simulate({"--orbs", "many"}, plain, err), 64);
    EXPECT_EQ(Simulate({"--bogus", "1"}, plain, err), 64);
}

TEST(SimulateTool, DumpWritesEveryFrame)
{
    const CTempFolder temp("nimbula-simulate-");
    const fs::path dump = temp.Path() / "dump.txt";
    std::string out, err;
    ASSERT_EQ(Simulate({"--frames", "4", "--orbs", "5", "--dump", dump.string()}, out, err), 0) << err;
    const auto lines = Lines(ReadFile(dump));
    ASSERT_EQ(lines.size(), 4u * 6u);
    // The last frame of the dump is what the command prints.
    EXPECT_EQ(std::vector<std::string>(lines.end() - 6, lines.end()), Lines(out));
    EXPECT_EQ(Simulate({"--dump", "/nonexistent-folder/x.txt"}, out, err), 1);
}

namespace {
// Runs a command line in the system's shell. Windows' cmd.exe drops the outer pair of quotes of a
// line that starts with one, so the whole line gets a pair of its own there.
int RunShell(const std::string& command)
{
#ifdef _WIN32
    return std::system(("\"" + command + "\"").c_str());
#else
    return std::system(command.c_str());
#endif
}
}

TEST(SimulateTool, TwoRunsOfTheProgramPrintTheSameUniverse)
{
    const char* tool = std::getenv("NIMBULA_TOOL");
    if (!tool || !*tool) GTEST_SKIP() << "NIMBULA_TOOL is not set";
    const CTempFolder temp("nimbula-replay-");
    const fs::path first = temp.Path() / "1.txt", second = temp.Path() / "2.txt";
    const std::string cmd = std::string("\"") + tool + "\" simulate --frames 500 > ";
    ASSERT_EQ(RunShell(cmd + "\"" + first.string() + "\""), 0);
    ASSERT_EQ(RunShell(cmd + "\"" + second.string() + "\""), 0);
    const std::string a = ReadFile(first);
    EXPECT_EQ(Lines(a).size(), 101u);
    EXPECT_EQ(a, ReadFile(second));
}
