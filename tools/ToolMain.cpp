// nimbula-tool's command line: the command, --help and --version, and words no command takes.
#include <cstring>
#include <ostream>
#include <string>

#include "tools/ToolCommands.h"

namespace {
const char* kUsage =
    "usage: nimbula-tool COMMAND\n"
    "  defaults   print the universal string of the default constants\n"
    "  encode     read a 352-byte constants block on stdin, print its universal string\n"
    "  decode     read a universal string on stdin, write the 352-byte block to stdout\n"
    "  show       read a universal string on stdin, print every constant by name\n"
    "  simulate [--frames N] [--orbs N] [--constants STRING] [--universe FILE.nmd] [--dump FILE]\n"
    "             run the standard universe (or a saved one) headless and print every orb:\n"
    "             N from 0 frames (default 100) and 1 to 100000 orbs (default 100)\n"
    "  info FILE.nmd\n"
    "             print what a universe file holds; on a damaged file the loader's messages\n";
const char* kUsageEnd = "  --help, --version   print this text or the version\n";

void PrintUsage(std::ostream& out, std::span<const SToolCommand> extra)
{
    out << kUsage;
    for (const SToolCommand& c : extra) out << c.usage;
    out << kUsageEnd;
}

bool IsWord(const char* arg, const char* a, const char* b) { return std::strcmp(arg, a) == 0 || std::strcmp(arg, b) == 0; }
}

int ToolMain(int argc, char** argv, std::istream& in, std::ostream& out, std::ostream& err,
             std::span<const SToolCommand> extra)
{
    for (int i = 1; i < argc; ++i) {
        if (IsWord(argv[i], "--help", "-h")) {
            PrintUsage(out, extra);
            return FinishOutput(out, err, "--help");
        }
        if (IsWord(argv[i], "--version", "-version")) {
            out << "nimbula-tool " NIMBULA_VERSION "\n";
            return FinishOutput(out, err, "--version");
        }
    }
    if (argc < 2) {
        PrintUsage(err, extra);
        return kToolUsageError;
    }
    const std::string cmd = argv[1];
    if (cmd == "simulate") return ToolSimulate(argc - 2, argv + 2, out, err);
    if (cmd == "info") return ToolInfo(argc - 2, argv + 2, out, err);
    for (const SToolCommand& c : extra)
        if (cmd == c.name) return c.run(argc - 2, argv + 2, out, err);
    const bool known = cmd == "defaults" || cmd == "encode" || cmd == "decode" || cmd == "show";
    if (!known) {
        err << "nimbula-tool: unknown command \"" << cmd << "\" (nimbula-tool --help lists them)\n";
        return kToolUsageError;
    }
    if (argc > 2) {
        err << "nimbula-tool " << cmd << ": unexpected argument \"" << argv[2] << "\"\n";
        return kToolUsageError;
    }
    if (cmd == "defaults") return ToolDefaults(out, err);
    if (cmd == "encode") return ToolEncode(in, out, err);
    if (cmd == "decode") return ToolDecode(in, out, err);
    return ToolShow(in, out, err);
}
