// The run mode from the command line, and the program's own measuring options; pure functions.
#pragma once

#include <string>
#include <vector>

#include "universe/OrbScene.h"

enum class ERunMode {
    PreviewWithoutHandle,  // p alone: the internal-use message
    Preview,               // p with a window id
    ScreenSaver,           // s
    Background,            // b
    Editing,               // run as an .exe without p, s or b, or with a universe file
    Configure,             // c, or no argument when not run as an .exe
    Refused,               // any other switch when not run as an .exe
    HackRoot,              // XScreenSaver: -root (into $XSCREENSAVER_WINDOW, the root window when unset)
    HackWindow,            // XScreenSaver: -window-id ID
};

struct SRunMode {
    ERunMode mode = ERunMode::Refused;
    // The window to draw into (Preview, HackWindow, HackRoot from $XSCREENSAVER_WINDOW); 0 = none given.
    unsigned long window = 0;
    // The window id as the user or host wrote it, for messages (hexadecimal stays hexadecimal).
    std::string windowText;
    // A window was named (-window-id's argument, $XSCREENSAVER_WINDOW set), even if not as an id.
    bool windowNamed = false;
    // The spatial-map divisions asked for with s or b; valid only when hasDivisions.
    bool hasDivisions = false;
    short divisions = 0;
    // Editing: the universe file to open in the frame (nimbula FILE.nmd, as a desktop hands it over).
    std::string universeFile;
};

// The program counts as run as an .exe when its name ends in ".exe" in any case, or has no
// extension at all (Linux programs carry none).
bool RunAsExe(const std::string& programPath);

// A window id as hosts write it: decimal (as atol reads it) or 0x hexadecimal; 0 when the text
// names no window (nothing, not positive, or beyond 32 bits).
unsigned long ParseWindowId(const std::string& text);

// Whether an argument names a file rather than a switch: it ends in ".nmd" (any letter case) or
// holds a '/' after its first character. Desktops hand over absolute paths, whose first letter
// would otherwise read as a switch (/srv/..., /proj/...).
bool IsUniverseFileArgument(const std::string& arg);

// Decides the mode from the argument vector (program path first). xscreensaverWindow is the
// value of $XSCREENSAVER_WINDOW, or null.
SRunMode ParseRunMode(const std::vector<std::string>& args, const char* xscreensaverWindow);

// XScreenSaver's hack modes: hosts run several copies at once and cannot answer a message box.
bool IsHackMode(ERunMode mode);

// The ranges of the orb and frame counts, shared with nimbula-tool.
constexpr long kMinOrbCount = 1;
constexpr long kMaxOrbCount = kMaxOrbs;
constexpr long kMaxFrameCount = 1000000000;

// Options of our own for measuring and testing, taken out before the mode is decided.
struct SOwnOptions {
    int pace = -1;          // frames per second; -1: vsync where offered, else 60; 0: no pacing
    int orbs = -1;          // -1: the standard 100
    long frames = 0;        // 0: run until closed
    bool showFps = false;   // XScreenSaver's -fps: a frames-per-second readout in a corner
    bool help = false;      // --help: print the usage and end
    bool version = false;   // --version: print the version and end
};

// Removes --pace N, --orbs N and --frames N (also written --name=N), the bare switches --fps and
// -fps (XScreenSaver's frame-rate readout), --help and --version from args. Returns false with a
// message naming the wrong word in error when a value is missing, not a number or out of range.
bool StripOwnOptions(std::vector<std::string>& args, SOwnOptions& options, std::string& error);

// The usage text of nimbula, for --help.
const char* NimbulaUsage();
