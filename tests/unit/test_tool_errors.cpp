// nimbula-tool's failures: output that cannot be written, and command lines that name a wrong word.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#ifdef _WIN32
// The Windows C runtime's system() returns the command's own exit status.
#define WIFEXITED(status) true
#define WEXITSTATUS(status) (status)
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "app/CommandLine.h"
#include "tools/ToolCommands.h"
#include "universe/UniversalConstants.h"

namespace {
// A disk that is always full: every write fails.
class CFullBuffer : public std::streambuf {
protected:
    int_type overflow(int_type) override { return traits_type::eof(); }
    std::streamsize xsputn(const char*, std::streamsize) override { return 0; }
};

struct SRun {
    int code = 0;
    std::string out, err;
};

// Standard input that never ends, as < /dev/zero.
class CEndlessBuffer : public std::streambuf {
public:
    CEndlessBuffer() { setg(m_zeros, m_zeros, m_zeros + sizeof m_zeros); }
    size_t m_served = 0;

protected:
    int_type underflow() override
    {
        m_served += sizeof m_zeros;
        setg(m_zeros, m_zeros, m_zeros + sizeof m_zeros);
        return traits_type::to_int_type(m_zeros[0]);
    }

private:
    char m_zeros[4096] = {};
};

SRun RunTool(std::vector<std::string> args, const std::string& input = "", bool fullOutput = false,
             std::streambuf* endless = nullptr)
{
    args.insert(args.begin(), "nimbula-tool");
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    std::istringstream text(input);
    std::istream endlessIn(endless);
    std::istream& in = endless ? endlessIn : text;
    std::ostringstream out, err;
    CFullBuffer full;
    std::ostream fullOut(&full);
    SRun r;
    r.code = ToolMain(int(argv.size()), argv.data(), in, fullOutput ? fullOut : static_cast<std::ostream&>(out), err);
    r.out = out.str();
    r.err = err.str();
    return r;
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }
}

TEST(ToolErrors, EveryCommandReportsOutputItCannotWrite)
{
    const CUniversalConstants defaults;
    const std::string block(reinterpret_cast<const char*>(defaults.Bytes()), CUniversalConstants::kSize);
    const std::string text = defaults.EncodeUniversalString();
    struct SCase { std::vector<std::string> args; std::string input; };
    for (const SCase& c : std::vector<SCase>{{{"defaults"}, ""},
                                             {{"encode"}, block},
                                             {{"decode"}, text},
                                             {{"show"}, text},
                                             {{"simulate", "--frames", "2", "--orbs", "3"}, ""},
                                             {{"--help"}, ""}}) {
        const SRun ok = RunTool(c.args, c.input);
        EXPECT_EQ(ok.code, 0) << c.args[0] << ": " << ok.err;
        const SRun full = RunTool(c.args, c.input, true);
        EXPECT_EQ(full.code, kToolOutputError) << c.args[0];
        EXPECT_TRUE(Has(full.err, "cannot write standard output")) << full.err;
    }
}

TEST(ToolErrors, StandardInputIsReadOnlyAsFarAsAStringCanBe)
{
    for (const char* command : {"encode", "decode", "show"}) {
        CEndlessBuffer zeros;
        const SRun r = RunTool({command}, "", false, &zeros);
        EXPECT_EQ(r.code, 1) << command;
        EXPECT_LE(zeros.m_served, 8192u) << command;
        EXPECT_TRUE(Has(r.err, std::string(command) == "encode" ? "expected 352 bytes on standard input, got more"
                                                                 : "right number of bytes"))
            << r.err;
    }
}

TEST(ToolErrors, ADumpThatCannotBeWrittenEndsTheRun)
{
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    const SRun r = RunTool({"simulate", "--frames", "50", "--orbs", "3", "--dump", "/dev/full"});
    EXPECT_EQ(r.code, kToolOutputError);
    EXPECT_TRUE(Has(r.err, "cannot write /dev/full: No space left on device")) << r.err;
    // Nothing on standard output claims a finished run.
    EXPECT_EQ(r.out, "");
}

TEST(ToolErrors, TheProgramsStandardOutputIsChecked)
{
    const char* tool = std::getenv("NIMBULA_TOOL");
    if (!tool || !*tool || !std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no NIMBULA_TOOL or /dev/full";
    const std::string cmd = std::string("\"") + tool + "\" defaults > /dev/full 2>/dev/null";
    const int status = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), kToolOutputError);
}

#ifndef _WIN32
// A picture on a full disk: the system's reason, and no file left behind. The full disk is a
// tiny memory disk mounted where only this test sees it (root, in a mount namespace of its own).
TEST(ToolErrors, APictureOnAFullDiskSaysWhy)
{
    const char* tool = std::getenv("NIMBULA_TOOL");
    const std::filesystem::path disk = std::filesystem::temp_directory_path() / ("nimbula_full_" + std::to_string(::getpid()));
    std::filesystem::create_directory(disk);
    const std::string d = disk.string();
    const std::string program = tool ? tool : "";
    const std::string cmd = "unshare -m sh -c '\"" + program + "\" --help | grep -q \"  render \" || exit 98; " +
                            "mount -t tmpfs -o size=64k tmpfs \"" + d + "\" 2>/dev/null || exit 99; \"" + program +
                            "\" render --size 1024x1024 --output \"" + d + "/out.png\" 2>\"" + d + ".said\"; echo $? >>\"" +
                            d + ".said\"; ls -A \"" + d + "\" >>\"" + d + ".said\"' 2>/dev/null";
    const int status = tool && *tool && ::geteuid() == 0 ? std::system(cmd.c_str()) : -1;
    std::filesystem::remove(disk);
    const std::filesystem::path saidPath = std::filesystem::path(d + ".said");
    std::ifstream in(saidPath);
    const std::string said((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::filesystem::remove(saidPath);
    if (status != 0 || said.empty())
        GTEST_SKIP() << "no NIMBULA_TOOL with pictures, or no memory disk to fill (needs root)";
    EXPECT_EQ("render: cannot write " + d + "/out.png: No space left on device\n74\n", said);
}
#endif

TEST(ToolErrors, ArgumentErrorsNameTheWrongWord)
{
    struct SCase { std::vector<std::string> args; std::string says; };
    for (const SCase& c : std::vector<SCase>{
             {{"simulate", "--bogus"}, "unknown option \"--bogus\""},
             {{"simulate", "--frames", "10", "--bogus", "1"}, "unknown option \"--bogus\""},
             {{"simulate", "--frames"}, "--frames needs a value"},
             {{"simulate", "--orbs", "0"}, "--orbs needs a whole number from 1 to 100000, not \"0\""},
             {{"simulate", "--frames", "ten"}, "not \"ten\""},
             {{"bogus"}, "unknown command \"bogus\""},
             {{"defaults", "extra"}, "unexpected argument \"extra\""},
         }) {
        const SRun r = RunTool(c.args);
        EXPECT_EQ(r.code, kToolUsageError) << c.says;
        EXPECT_TRUE(Has(r.err, c.says)) << r.err;
        EXPECT_FALSE(Has(r.err, "needs a value") && !Has(c.says, "needs a value")) << r.err;
    }
    const SRun help = RunTool({"show", "--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(Has(help.out, "usage: nimbula-tool"));
    EXPECT_EQ(help.err, "");
    const SRun version = RunTool({"--version"});
    EXPECT_EQ(version.out, "nimbula-tool " NIMBULA_VERSION "\n");
}

TEST(ToolErrors, OrbAndFrameRangesAgreeWithTheProgram)
{
    // Each count is tried in both programs; the tool's run is kept short by a wrong word after it,
    // so acceptance shows as an error about the other option.
    auto program = [](const std::string& option, long value) {
        std::vector<std::string> args{"nimbula", option, std::to_string(value)};
        SOwnOptions o;
        std::string error;
        return StripOwnOptions(args, o, error);
    };
    auto tool = [](const std::string& option, long value) {
        const std::string other = option == "--orbs" ? "--frames" : "--orbs";
        const SRun r = RunTool({"simulate", option, std::to_string(value), other, "x"});
        return !Has(r.err, option + " needs");
    };
    for (long orbs : {-1L, 0L, 1L, kMaxOrbCount, kMaxOrbCount + 1})
        EXPECT_EQ(program("--orbs", orbs), tool("--orbs", orbs)) << orbs;
    for (long frames : {-1L, 0L, 1L, kMaxFrameCount, kMaxFrameCount + 1})
        EXPECT_EQ(program("--frames", frames), tool("--frames", frames)) << frames;
}
