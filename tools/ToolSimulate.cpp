// The simulate command of nimbula-tool: the standard universe run headless, every orb printed.
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <system_error>
#include <vector>

#include "app/CommandLine.h"
#include "app/InstallDir.h"
#include "engine/core/Scene.h"
#include "engine/core/Utf8Path.h"
#include "platform/MessageBox.h"
#include "storage/UniverseFile.h"
#include "platform/ExePath.h"
#include "tools/ToolCommands.h"
#include "universe/Collisions.h"
#include "universe/Motion.h"
#include "universe/Orb.h"
#include "universe/OrbScene.h"
#include "universe/Random.h"
#include "universe/UniversalConstants.h"
#include "universe/UniverseContext.h"

namespace fs = std::filesystem;

namespace {
struct SSimulateArgs {
    long frames = 100;
    int orbs = 100;
    bool haveOrbs = false;
    bool haveConstants = false;
    std::string constants;
    std::string universePath;
    std::string dumpPath;
};

bool ParseCount(const char* text, long lo, long hi, long& out)
{
    const char* end = text + std::char_traits<char>::length(text);
    long v = 0;
    const auto [ptr, ec] = std::from_chars(text, end, v);
    if (ec != std::errc() || ptr != end || v < lo || v > hi) return false;
    out = v;
    return true;
}

// The same ranges as the program's own --orbs and --frames.
bool ParseCountOption(const std::string& opt, const char* value, long lo, long hi, long& out, std::ostream& err)
{
    if (ParseCount(value, lo, hi, out)) return true;
    err << "simulate: " << opt << " needs a whole number from " << lo << " to " << hi << ", not \"" << value << "\"\n";
    return false;
}

bool ParseArgs(int argc, char** argv, SSimulateArgs& a, std::ostream& err)
{
    for (int i = 0; i < argc; ++i) {
        const std::string opt = argv[i];
        const bool known =
            opt == "--frames" || opt == "--orbs" || opt == "--constants" || opt == "--universe" || opt == "--dump";
        if (!known) {
            err << "simulate: unknown option \"" << opt << "\"\n";
            return false;
        }
        if (i + 1 >= argc) {
            err << "simulate: " << opt << " needs a value\n";
            return false;
        }
        const char* value = argv[++i];
        long n = 0;
        if (opt == "--frames") {
            if (!ParseCountOption(opt, value, 0, kMaxFrameCount, n, err)) return false;
            a.frames = n;
        } else if (opt == "--orbs") {
            if (!ParseCountOption(opt, value, kMinOrbCount, kMaxOrbCount, n, err)) return false;
            a.orbs = int(n);
            a.haveOrbs = true;
        } else if (opt == "--constants") {
            a.haveConstants = true;
            a.constants = value;
        } else if (opt == "--universe") {
            a.universePath = value;
        } else {
            a.dumpPath = value;
        }
    }
    if (!a.universePath.empty() && (a.haveOrbs || a.haveConstants)) {
        err << "simulate: a saved universe brings its own orbs and constants (no --orbs or --constants with --universe)\n";
        return false;
    }
    return true;
}

void PrintOrbs(std::ostream& out)
{
    char line[512];
    for (size_t i = 0; i < g_orbs.size(); ++i) {
        const COrb& o = *g_orbs[i];
        std::snprintf(line, sizeof line, "%zu %.17g %.17g %.17g %.17g %.17g %.17g\n", i, o.m_position.x,
                      o.m_position.y, o.m_position.z, o.m_velocity.x, o.m_velocity.y, o.m_velocity.z);
        out << line;
    }
    std::snprintf(line, sizeof line, "top_speed %.17g\n", g_pConstants->m_topSpeed);
    out << line;
}

// Installs a fresh constants block and host for one run and puts the caller's back afterwards.
class CSimulationRun {
public:
    CSimulationRun() : m_savedConstants(g_pConstants), m_savedHost(g_universeContext)
    {
        g_pConstants = &m_constants;
        g_universeContext = SUniverseContext();
        g_universeContext.scene = &m_scene;
        g_universeContext.installDir = FindToolDataDir();
        ResetRand();
    }
    ~CSimulationRun()
    {
        DestroyAllOrbs();
        g_universeContext = m_savedHost;
        g_pConstants = m_savedConstants;
    }
    CUniversalConstants& Constants() { return m_constants; }
    CScene& Scene() { return m_scene; }

private:
    CUniversalConstants m_constants;
    CScene m_scene;
    CUniversalConstants* m_savedConstants;
    SUniverseContext m_savedHost;
};
}

std::string FindToolDataDir()
{
    // The environment is in the system's narrow character set, the result UTF-8.
    if (const char* env = std::getenv("NIMBULA_DIR"); env && *env) return Utf8FromPath(fs::path(env));
    const fs::path exe = ExecutablePath();
    std::vector<fs::path> candidates = InstallDirCandidates(nullptr, std::nullopt, exe);
    if (!exe.empty()) candidates.push_back(exe.parent_path().parent_path() / "res");
    if (const auto found = FindInstallDir(candidates)) return Utf8FromPath(*found);
    return Utf8FromPath(PathFromUtf8(NIMBULA_SOURCE_DIR) / "res");
}

int ToolSimulate(int argc, char** argv, std::ostream& out, std::ostream& err)
{
    SSimulateArgs args;
    if (!ParseArgs(argc, argv, args, err)) return kToolUsageError;

    CSimulationRun run;
    if (args.haveConstants) {
        try {
            run.Constants().DecodeUniversalString(args.constants);
        } catch (int code) {
            err << (code == 1 ? "simulate: the universal string does not have 708 letters\n"
                              : "simulate: the universal string is damaged (its check failed)\n");
            return 1;
        }
    }
    std::ofstream dump;
    if (!args.dumpPath.empty()) {
        errno = 0;
        dump.open(PathFromUtf8(args.dumpPath), std::ios::binary | std::ios::trunc);
        if (!dump) {
            err << "simulate: cannot write " << args.dumpPath << ": " << std::strerror(errno ? errno : EIO) << "\n";
            return 1;
        }
    }

    CShape* root = nullptr;
    if (args.universePath.empty()) {
        root = BuildUniverse({args.orbs, -1}, {0, -1});
    } else if ((root = BuildEmptyUniverse())) {
        // Loaded as the window loads it: the file's orbs at their start places, its constants.
        // The loader's messages are this command's errors.
        MessageBoxHandler shown = SetMessageBoxHandler([&err](const std::string& text, unsigned) {
            err << text << "\n";
            return IDOK;
        });
        const bool loaded = LoadUniverse(&args.universePath, nullptr).Loaded();
        SetMessageBoxHandler(shown);
        if (!loaded) return 1;
    }
    if (!root) return 1;
    run.Scene().AddObject(root);
    errno = 0;
    for (long f = 0; f < args.frames; ++f) {
        MoveOrbs();
        CollideOrbs();
        // A full disk ends the run at once rather than after every frame was computed.
        if (dump.is_open() && (PrintOrbs(dump), !dump)) break;
    }
    if (dump.is_open()) {
        if (int code = FinishOutput(dump, err, "simulate", args.dumpPath.c_str())) return code;
        dump.close();
        if (int code = FinishOutput(dump, err, "simulate", args.dumpPath.c_str())) return code;
    }
    PrintOrbs(out);
    return FinishOutput(out, err, "simulate");
}
