// The switch table of the command line and our own options.
#include "app/CommandLine.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>

namespace {
bool EndsWithExe(const std::string& path)
{
    if (path.size() < 4) return false;
    const std::string tail = path.substr(path.size() - 4);
    return tail[0] == '.' && std::tolower((unsigned char)tail[1]) == 'e' &&
           std::tolower((unsigned char)tail[2]) == 'x' && std::tolower((unsigned char)tail[3]) == 'e';
}

// The classic atoi: leading blanks, a sign, digits; anything else ends the number.
long AtoL(const std::string& s)
{
    size_t i = 0;
    while (i < s.size() && std::isspace((unsigned char)s[i])) ++i;
    bool neg = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) neg = s[i++] == '-';
    long v = 0;
    for (; i < s.size() && std::isdigit((unsigned char)s[i]); ++i) {
        const int digit = s[i] - '0';
        // Absurdly long numbers saturate instead of overflowing.
        v = v > (LONG_MAX - digit) / 10 ? LONG_MAX : v * 10 + digit;
    }
    return neg ? -v : v;
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
    const std::filesystem::path p(programPath);
    return !p.filename().empty() && p.filename().extension().empty();
}

unsigned long ParseWindowId(const std::string& text)
{
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        char* end = nullptr;
        errno = 0;
        const unsigned long v = std::strtoul(text.c_str() + 2, &end, 16);
        return errno == 0 ? v : 0;
    }
    const long v = AtoL(text);
    return v > 0 ? (unsigned long)v : 0;
}

SRunMode ParseRunMode(const std::vector<std::string>& args, const char* xscreensaverWindow)
{
    SRunMode r;
    const size_t n = args.size();
    const bool exe = n > 0 && RunAsExe(args[0]);

    // XScreenSaver's conventions come first: they would otherwise read as unknown switches.
    if (n >= 2 && IsOneOf(args[1], "-root", "--root")) {
        r.mode = ERunMode::HackRoot;
        if (xscreensaverWindow) r.window = ParseWindowId(xscreensaverWindow);
        return r;
    }
    if (n >= 2 && IsOneOf(args[1], "-window-id", "--window-id")) {
        r.mode = ERunMode::HackWindow;
        if (n >= 3) r.window = ParseWindowId(args[2]);
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
    if (exe) {
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

bool StripOwnOptions(std::vector<std::string>& args, SOwnOptions& options, std::string& error)
{
    struct SOption { const char* name; long lo, hi; } const table[] = {
        {"--fps", 0, 1000}, {"--orbs", 1, 100000}, {"--frames", 1, 100000000},
    };
    std::vector<std::string> kept;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const SOption* hit = nullptr;
        std::string value;
        bool hasValue = false;
        for (const SOption& o : table) {
            const std::string name = o.name;
            if (i > 0 && a == name) {
                hit = &o;
                if (i + 1 < args.size()) {
                    value = args[++i];
                    hasValue = true;
                }
            } else if (i > 0 && a.rfind(name + "=", 0) == 0) {
                hit = &o;
                value = a.substr(name.size() + 1);
                hasValue = true;
            }
            if (hit) break;
        }
        if (!hit) {
            kept.push_back(a);
            continue;
        }
        long v = 0;
        if (!hasValue || !ParseCount(value, hit->lo, hit->hi, v)) {
            error = std::string(hit->name) + " needs a whole number from " + std::to_string(hit->lo) + " to " +
                    std::to_string(hit->hi);
            return false;
        }
        if (hit == &table[0]) options.fps = int(v);
        else if (hit == &table[1]) options.orbs = int(v);
        else options.frames = v;
    }
    args = std::move(kept);
    return true;
}
