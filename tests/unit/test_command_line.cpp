// The run mode from the command line, the .exe rule, window ids and our own options.
#include <gtest/gtest.h>

#include "app/CommandLine.h"

namespace {
SRunMode Mode(std::vector<std::string> args, const char* xsWindow = nullptr) { return ParseRunMode(args, xsWindow); }
}

TEST(CommandLine, PreviewNeedsAWindow)
{
    EXPECT_EQ(Mode({"nimbula.scr", "/p"}).mode, ERunMode::PreviewWithoutHandle);
    const SRunMode r = Mode({"nimbula.scr", "/p", "1234"});
    EXPECT_EQ(r.mode, ERunMode::Preview);
    EXPECT_EQ(r.window, 1234u);
    // X11 tools print window ids in hexadecimal.
    EXPECT_EQ(Mode({"nimbula.scr", "/p", "0x1e00003"}).window, 0x1e00003u);
    // The preview row comes first even when run as an .exe.
    EXPECT_EQ(Mode({"nimbula.exe", "-p", "77"}).mode, ERunMode::Preview);
}

TEST(CommandLine, ScreenSaverTakesDivisionsOnlyAsTheThirdOfThree)
{
    SRunMode r = Mode({"nimbula.scr", "/s", "40"});
    EXPECT_EQ(r.mode, ERunMode::ScreenSaver);
    EXPECT_TRUE(r.hasDivisions);
    EXPECT_EQ(r.divisions, 40);
    r = Mode({"nimbula.scr", "/s"});
    EXPECT_EQ(r.mode, ERunMode::ScreenSaver);
    EXPECT_FALSE(r.hasDivisions);
    r = Mode({"nimbula.scr", "/s", "40", "more"});
    EXPECT_EQ(r.mode, ERunMode::ScreenSaver);
    EXPECT_FALSE(r.hasDivisions);
    // atoi's reading: digits up to the first other character, nothing at all is 0.
    EXPECT_EQ(Mode({"n.scr", "/b", "12abc"}).divisions, 12);
    EXPECT_EQ(Mode({"n.scr", "/b", "abc"}).divisions, 0);
    EXPECT_EQ(Mode({"n.scr", "/b", "7"}).mode, ERunMode::Background);
}

TEST(CommandLine, OnlyTheLetterAfterOnePrefixCounts)
{
    EXPECT_EQ(Mode({"n.scr", "-s"}).mode, ERunMode::ScreenSaver);
    EXPECT_EQ(Mode({"n.scr", "/s"}).mode, ERunMode::ScreenSaver);
    EXPECT_EQ(Mode({"n.scr", "/screen"}).mode, ERunMode::ScreenSaver);
    EXPECT_EQ(Mode({"n.scr", "s"}).mode, ERunMode::ScreenSaver);
    // Two prefixes: the second one is the letter, which matches nothing.
    EXPECT_EQ(Mode({"n.scr", "//s"}).mode, ERunMode::Refused);
    EXPECT_EQ(Mode({"n.scr", ""}).mode, ERunMode::Refused);
    EXPECT_EQ(Mode({"n.scr", "/"}).mode, ERunMode::Refused);
}

TEST(CommandLine, CapitalSwitchesAreNotRecognised)
{
    EXPECT_EQ(Mode({"nimbula.scr", "/S"}).mode, ERunMode::Refused);
    EXPECT_EQ(Mode({"nimbula.scr", "/P", "12"}).mode, ERunMode::Refused);
    EXPECT_EQ(Mode({"nimbula.exe", "/S"}).mode, ERunMode::Editing);
    EXPECT_EQ(Mode({"nimbula.exe", "/P"}).mode, ERunMode::Editing);
}

TEST(CommandLine, ExeNamesOpenTheEditingFrame)
{
    EXPECT_EQ(Mode({"C:\\x\\NIMBULA.EXE"}).mode, ERunMode::Editing);
    EXPECT_EQ(Mode({"nimbula.Exe"}).mode, ERunMode::Editing);
    EXPECT_EQ(Mode({"/usr/bin/nimbula"}).mode, ERunMode::Editing);
    EXPECT_EQ(Mode({"nimbula.exe", "/c"}).mode, ERunMode::Editing);
    EXPECT_EQ(Mode({"/usr/bin/nimbula", "-c"}).mode, ERunMode::Configure);
    EXPECT_EQ(Mode({"nimbula.scr"}).mode, ERunMode::Configure);
    EXPECT_EQ(Mode({"nimbula.scr", "/c"}).mode, ERunMode::Configure);
    EXPECT_EQ(Mode({"nimbula.scr", "/c", "123"}).mode, ERunMode::Configure);
    EXPECT_EQ(Mode({"nimbula.scr", "/x"}).mode, ERunMode::Refused);
}

TEST(CommandLine, ExeRule)
{
    EXPECT_TRUE(RunAsExe("a.exe"));
    EXPECT_TRUE(RunAsExe(".EXE"));
    EXPECT_TRUE(RunAsExe("dir/nimbula.eXe"));
    EXPECT_FALSE(RunAsExe("nimbula.scr"));
    EXPECT_FALSE(RunAsExe("nimbula.exe.scr"));
    EXPECT_FALSE(RunAsExe("nimbula.xe"));
    EXPECT_FALSE(RunAsExe("a.exe/nimbula.bin"));
    // Linux programs have no extension.
    EXPECT_TRUE(RunAsExe("nimbula"));
    EXPECT_TRUE(RunAsExe("/opt/build.d/nimbula"));
    EXPECT_FALSE(RunAsExe("/usr/lib/nimbula.scr"));
    EXPECT_FALSE(RunAsExe(""));
}

TEST(CommandLine, XScreenSaverConventions)
{
    // A program without an extension would otherwise open the editing frame.
    SRunMode r = Mode({"nimbula", "-root"});
    EXPECT_EQ(r.mode, ERunMode::HackRoot);
    EXPECT_EQ(r.window, 0u);
    EXPECT_EQ(Mode({"nimbula", "--root"}, "0x400007").window, 0x400007u);
    r = Mode({"nimbula.scr", "-window-id", "0x2a"});
    EXPECT_EQ(r.mode, ERunMode::HackWindow);
    EXPECT_EQ(r.window, 42u);
    EXPECT_EQ(Mode({"nimbula", "--window-id", "99"}).window, 99u);
    EXPECT_EQ(Mode({"nimbula", "--window-id"}).window, 0u);
    EXPECT_FALSE(Mode({"nimbula", "--window-id"}).windowNamed);
    // The root window only when no window is named: a named one that is no id is refused later.
    EXPECT_FALSE(Mode({"nimbula", "-root"}).windowNamed);
    for (const char* bad : {"garbage", "", "0", "-1"}) {
        r = Mode({"nimbula", "-root"}, bad);
        EXPECT_TRUE(r.windowNamed && r.window == 0 && r.windowText == bad) << bad;
    }
    // Only the exact spellings count; -r is an unknown switch.
    EXPECT_EQ(Mode({"nimbula.scr", "-rooted"}).mode, ERunMode::Refused);
}

TEST(CommandLine, WindowIds)
{
    EXPECT_EQ(ParseWindowId("1234"), 1234u);
    EXPECT_EQ(ParseWindowId("  56x"), 56u);
    EXPECT_EQ(ParseWindowId("0X1F"), 31u);
    EXPECT_EQ(ParseWindowId("0x"), 0u);
    EXPECT_EQ(ParseWindowId("-5"), 0u);
    EXPECT_EQ(ParseWindowId("zz"), 0u);
    EXPECT_EQ(ParseWindowId("0xzz"), 0u);
    EXPECT_EQ(ParseWindowId("99999999999999999999999"), 0u);
    // 32 bits at most: a longer id is refused, not cut to another window.
    EXPECT_EQ(ParseWindowId("4294967295"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseWindowId("4294968589"), 0u);
    EXPECT_EQ(ParseWindowId("0x100000000"), 0u);
}

TEST(CommandLine, OwnOptionsAreTakenOutBeforeTheSwitch)
{
    std::vector<std::string> args{"nimbula.scr", "--pace", "0", "/s", "--orbs=250", "--frames", "10", "40"};
    SOwnOptions o;
    std::string error;
    ASSERT_TRUE(StripOwnOptions(args, o, error)) << error;
    EXPECT_EQ(o.pace, 0);
    EXPECT_FALSE(o.showFps);
    EXPECT_EQ(o.orbs, 250);
    EXPECT_EQ(o.frames, 10);
    EXPECT_EQ(args, (std::vector<std::string>{"nimbula.scr", "/s", "40"}));
    const SRunMode r = ParseRunMode(args, nullptr);
    EXPECT_TRUE(r.hasDivisions);
    EXPECT_EQ(r.divisions, 40);
}

TEST(CommandLine, BadOwnOptionsAreRefusedWithAReason)
{
    // The message names the option and the word that was wrong.
    struct SCase { std::vector<std::string> args; const char* option; const char* word; };
    for (const SCase& c : std::vector<SCase>{{{"n", "--pace", "x"}, "--pace", "\"x\""},
                                             {{"n", "--orbs", "0"}, "--orbs", "\"0\""},
                                             {{"n", "--frames", "-3"}, "--frames", "\"-3\""},
                                             {{"n", "--pace=1e3"}, "--pace", "\"1e3\""},
                                             {{"n", "--orbs", "100001"}, "--orbs", "\"100001\""},
                                             {{"n", "--frames", "1000000001"}, "--frames", "\"1000000001\""},
                                             {{"n", "/s", "--orbs=many"}, "--orbs", "\"many\""}}) {
        std::vector<std::string> args = c.args;
        SOwnOptions o;
        std::string error;
        EXPECT_FALSE(StripOwnOptions(args, o, error)) << c.word;
        EXPECT_NE(error.find(c.option), std::string::npos) << error;
        EXPECT_NE(error.find(c.word), std::string::npos) << error;
    }
    for (std::vector<std::string> args : std::vector<std::vector<std::string>>{{"n", "--pace"}, {"n", "/s", "--frames"}}) {
        SOwnOptions o;
        std::string error;
        EXPECT_FALSE(StripOwnOptions(args, o, error));
        EXPECT_NE(error.find(args.back()), std::string::npos) << error;
    }
    // The program's own path is never read as an option.
    std::vector<std::string> args{"--pace"};
    SOwnOptions o;
    std::string error;
    EXPECT_TRUE(StripOwnOptions(args, o, error));
    EXPECT_EQ(args.size(), 1u);
}

TEST(CommandLine, BareFpsIsXScreenSaversReadoutSwitch)
{
    // A number after it is not its value: here it stays the screen saver's divisions.
    std::vector<std::string> args{"nimbula.scr", "/s", "--fps", "40"};
    SOwnOptions o;
    std::string error;
    ASSERT_TRUE(StripOwnOptions(args, o, error)) << error;
    EXPECT_TRUE(o.showFps);
    EXPECT_EQ(o.pace, -1);
    EXPECT_EQ(ParseRunMode(args, nullptr).divisions, 40);

    args = {"nimbula", "-fps", "-root", "--orbs", "12"};
    o = SOwnOptions();
    ASSERT_TRUE(StripOwnOptions(args, o, error)) << error;
    EXPECT_TRUE(o.showFps);
    EXPECT_EQ(o.orbs, 12);
    EXPECT_EQ(ParseRunMode(args, nullptr).mode, ERunMode::HackRoot);

    // The old way of pacing is refused with the new one named, not read as a readout.
    args = {"nimbula", "/s", "--fps=30"};
    EXPECT_FALSE(StripOwnOptions(args, o, error));
    EXPECT_NE(error.find("--pace"), std::string::npos) << error;
}

TEST(CommandLine, HelpAndVersionMayStandAnywhere)
{
    std::vector<std::string> args{"nimbula", "/s", "--help", "-version"};
    SOwnOptions o;
    std::string error;
    ASSERT_TRUE(StripOwnOptions(args, o, error));
    EXPECT_TRUE(o.help);
    EXPECT_TRUE(o.version);
    EXPECT_EQ(args, (std::vector<std::string>{"nimbula", "/s"}));
}

TEST(CommandLine, WindowIdsAreReportedAsWritten)
{
    EXPECT_EQ(Mode({"nimbula", "-window-id", "0x2A"}).windowText, "0x2A");
    EXPECT_EQ(Mode({"nimbula.scr", "/p", "077"}).windowText, "077");
    EXPECT_EQ(Mode({"nimbula", "-root"}, "0x400007").windowText, "0x400007");
    EXPECT_EQ(Mode({"nimbula", "-root"}).windowText, "");
    EXPECT_TRUE(IsHackMode(ERunMode::HackRoot));
    EXPECT_TRUE(IsHackMode(ERunMode::HackWindow));
    EXPECT_FALSE(IsHackMode(ERunMode::ScreenSaver));
    EXPECT_FALSE(IsHackMode(ERunMode::Preview));
}

TEST(CommandLine, AUniverseFileOpensTheEditingFrameWhateverLetterItStartsWith)
{
    // Paths a desktop hands over: their first letter would read as s, p, b or c.
    for (const char* path : {"/srv/u/Galaxy.nmd", "/proj/x.nmd", "shell.nmd", "Cluster.NMD", "/boot/a/b", "pic.nmd"}) {
        const SRunMode r = Mode({"nimbula", path});
        EXPECT_EQ(r.mode, ERunMode::Editing) << path;
        EXPECT_EQ(r.universeFile, path);
    }
    // Switches stay switches, and a copy that is not run as a program takes no file.
    EXPECT_EQ(Mode({"nimbula", "/s"}).mode, ERunMode::ScreenSaver);
    EXPECT_EQ(Mode({"nimbula", "/c:1234"}).mode, ERunMode::Configure);
    EXPECT_EQ(Mode({"nimbula", "/p", "12"}).mode, ERunMode::Preview);
    EXPECT_TRUE(Mode({"nimbula", "/s"}).universeFile.empty());
    EXPECT_EQ(Mode({"nimbula.scr", "/srv/u/Galaxy.nmd"}).mode, ERunMode::ScreenSaver);
    EXPECT_TRUE(Mode({"nimbula", "shell.nmd", "extra"}).universeFile.empty());
}
