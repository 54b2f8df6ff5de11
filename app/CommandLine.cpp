// The switch table of the command line and our own options.
#include "app/CommandLine.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>

#include "engine/core/Utf8Path.h"

namespace {
bool EndsWithExe(const std::string& path)
{
    if (path.size() < 4) return false;
    const std::string tail = path.substr(path.size() - 4);
    return tail[0] == '.' && std::tolower((unsigned char)tail[1]) == 'e' &&
           std::tolower((unsigned char)tail[2]) == 'x' && std::tolower((unsigned char)tail[3]) == 'e';
}

// The classic atoi: leading blanks, a sign, digits; anything else ends the number.
// atol's reading in 64 bits on every system (Windows' long has 32).
long long AtoLL(const std::string& s)
{
    size_t i = 0;
    while (i < s.size() && std::isspace((unsigned char)s[i])) ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
    long long v = 0;
    for (; i < s.size() && std::isdigit((unsigned char)s[i]); ++i) {
        const int digit = s[i] - '0';
        // Absurdly long numbers saturate instead of overflowing.
        v = v > (LLONG_MAX - digit) / 10 ? LLONG_MAX : v * 10 + digit;
    }
    return neg ? -v : v;
}

long AtoL(const std::string& s)
{
    const long long v = AtoLL(s);
    return v > LONG_MAX ? LONG_MAX : v < -LONG_MAX ? -LONG_MAX : long(v);
}

bool IsOneOf(const std::string& a, const char* x, const char* y) { return a == x || a == y; }

bool ParseCount(const std::string& text, long lo, long hi, long& out)
{
    if (text.empty()) return false;
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < lo || v > hi) return false;
    out = v;
    return true;
}
}

bool RunAsExe(const std::string& programPath)
{
    if (EndsWithExe(programPath)) return true;
    const std::filesystem::path p = PathFromUtf8(programPath);
    return !p.filename().empty() && p.filename().extension().empty();
}

unsigned long ParseWindowId(const std::string& text)
{
    // X11 window ids have 32 bits: a larger number names no window, and cut short it would
    // name another one.
    constexpr unsigned long long kMaxWindowId = 0xFFFFFFFFull;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        char* end = nullptr;
        errno = 0;
        const unsigned long long v = std::strtoull(text.c_str() + 2, &end, 16);
        return errno == 0 && v <= kMaxWindowId ? (unsigned long)v : 0;
    }
    const long long v = AtoLL(text);
    return v > 0 && (unsigned long long)v <= kMaxWindowId ? (unsigned long)v : 0;
}

bool IsUniverseFileArgument(const std::string& arg)
{
    const size_t n = arg.size();
    const bool nmd = n >= 4 && arg[n - 4] == '.' && std::tolower((unsigned char)arg[n - 3]) == 'n' &&
                     std::tolower((unsigned char)arg[n - 2]) == 'm' && std::tolower((unsigned char)arg[n - 1]) == 'd';
    return nmd || arg.find('/', 1) != std::string::npos;
}

SRunMode ParseRunMode(const std::vector<std::string>& args, const char* xscreensaverWindow)
{
    SRunMode r;
    const size_t n = args.size();
    const bool exe = n > 0 && RunAsExe(args[0]);

    // XScreenSaver's conventions come first: they would otherwise read as unknown switches.
    if (n >= 2 && IsOneOf(args[1], "-root", "--root")) {
        r.mode = ERunMode::HackRoot;
        if (xscreensaverWindow) {
            r.window = ParseWindowId(xscreensaverWindow);
            r.windowText = xscreensaverWindow;
            r.windowNamed = true;
        }
        return r;
    }
    if (n >= 2 && IsOneOf(args[1], "-window-id", "--window-id")) {
        r.mode = ERunMode::HackWindow;
        if (n >= 3) {
            r.window = ParseWindowId(args[2]);
            r.windowText = args[2];
            r.windowNamed = true;
        }
        return r;
    }

    // A file from the desktop opens in the editing frame, whatever letter its path starts with.
    if (exe && n == 2 && IsUniverseFileArgument(args[1])) {
        r.mode = ERunMode::Editing;
        r.universeFile = args[1];
        return r;
    }

    char letter = 0;
    if (n >= 2) {
        const std::string& a = args[1];
        size_t i = (!a.empty() && (a[0] == '-' || a[0] == '/')) ? 1 : 0;
        letter = i < a.size() ? a[i] : 0;
    }

    if (letter == 'p') {
        if (n < 3) {
            r.mode = ERunMode::PreviewWithoutHandle;
            return r;
        }
        r.mode = ERunMode::Preview;
        r.window = ParseWindowId(args[2]);
        r.windowText = args[2];
        return r;
    }
    if (letter == 's' || letter == 'b') {
        r.mode = letter == 's' ? ERunMode::ScreenSaver : ERunMode::Background;
        if (n == 3) {
            r.hasDivisions = true;
            r.divisions = short(AtoL(args[2]));
        }
        return r;
    }
    // A Linux program carries no extension, so the .exe rule would swallow the configure switch:
    // only a name that really ends in .exe opens the editing frame for it.
    if (exe && !(letter == 'c' && !EndsWithExe(args[0]))) {
        r.mode = ERunMode::Editing;
        return r;
    }
    if (n < 2 || letter == 'c') {
        r.mode = ERunMode::Configure;
        return r;
    }
    r.mode = ERunMode::Refused;
    return r;
}

bool IsHackMode(ERunMode mode) { return mode == ERunMode::HackRoot || mode == ERunMode::HackWindow; }

bool StripOwnOptions(std::vector<std::string>& args, SOwnOptions& options, std::string& error)
{
    struct SCount { const char* name; long lo, hi; } const counts[] = {
        {"--pace", 0, 1000}, {"--orbs", kMinOrbCount, kMaxOrbCount}, {"--frames", 0, kMaxFrameCount},
    };
    std::vector<std::string> kept;
    if (!args.empty()) kept.push_back(args[0]);
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        // XScreenSaver's frame-rate switch takes no value; a number after it stays an argument.
        if (IsOneOf(a, "--fps", "-fps")) {
            options.showFps = true;
            continue;
        }
        if (a.rfind("--fps=", 0) == 0 || a.rfind("-fps=", 0) == 0) {
            error = a + ": --fps takes no value (it shows the frame rate); --pace N sets the pace";
            return false;
        }
        if (IsOneOf(a, "--help", "-help")) {
            options.help = true;
            continue;
        }
        if (IsOneOf(a, "--version", "-version")) {
            options.version = true;
            continue;
        }
        const SCount* hit = nullptr;
        std::string value;
        bool hasValue = false;
        for (const SCount& c : counts) {
            const std::string name = c.name;
            if (a == name) {
                hit = &c;
                if (i + 1 < args.size()) {
                    value = args[++i];
                    hasValue = true;
                }
            } else if (a.rfind(name + "=", 0) == 0) {
                hit = &c;
                value = a.substr(name.size() + 1);
                hasValue = true;
            }
            if (hit) break;
        }
        if (!hit) {
            kept.push_back(a);
            continue;
        }
        const std::string range = "a whole number from " + std::to_string(hit->lo) + " to " + std::to_string(hit->hi);
        long v = 0;
        if (!hasValue) {
            error = std::string(hit->name) + " needs a value: " + range;
            return false;
        }
        if (!ParseCount(value, hit->lo, hit->hi, v)) {
            error = std::string(hit->name) + " needs " + range + ", not \"" + value + "\"";
            return false;
        }
        if (hit == &counts[0]) options.pace = int(v);
        else if (hit == &counts[1]) options.orbs = int(v);
        else options.frames = v;
    }
    args = std::move(kept);
    return true;
}

// The usage text below names the orb range.
static_assert(kMinOrbCount == 1 && kMaxOrbCount == 100000);

const char* NimbulaUsage()
{
    return "usage: nimbula [SWITCH | FILE.nmd] [OPTIONS]\n"
           "  (none)               the editing frame\n"
           "  FILE.nmd             the editing frame with that universe\n"
           "  /s [DIVISIONS]       the screen saver, full screen on every monitor\n"
           "  /b [DIVISIONS]       the universe as the desktop background\n"
           "  /p WINDOW            one still frame inside another program's X11 window\n"
           "  /c                   the setup dialog\n"
           "  -root                XScreenSaver: draw into $XSCREENSAVER_WINDOW, or the root window when unset\n"
           "  -window-id WINDOW    XScreenSaver: draw into the given window (decimal or 0x id)\n"
           "options, anywhere on the line:\n"
           "  --fps, -fps          show a frames-per-second readout in a corner\n"
           "  --pace N             paint at most N frames per second (0: as fast as possible;\n"
           "                       default: vsync where the display has it, else 60)\n"
           "  --orbs N             the standard universe with N orbs (1 to 100000) instead of 100,\n"
           "                       also when a default universe is set\n"
           "  --frames N           end after N painted frames and print the frame rate (0: never)\n"
           "  --help, --version    print this text or the version, and end\n"
           "environment: NIMBULA_DIR (the data folder), NIMBULA_MESSAGE_BOXES=stderr (no boxes)\n";
}
