// The commands of nimbula-tool, as functions over streams so tests can drive them directly.
#pragma once

#include <iosfwd>
#include <span>
#include <string>

// Exit codes beside each command's own: a wrong command line, and output that could not be written.
constexpr int kToolUsageError = 64;
constexpr int kToolOutputError = 74;

class CUniversalConstants;

int ToolDefaults(std::ostream& out, std::ostream& err);
int ToolEncode(std::istream& in, std::ostream& out, std::ostream& err);
int ToolDecode(std::istream& in, std::ostream& out, std::ostream& err);
int ToolShow(std::istream& in, std::ostream& out, std::ostream& err);
int ToolSimulate(int argc, char** argv, std::ostream& out, std::ostream& err);
// A command that only some builds have (pictures need OpenGL): the program's main hands them in.
struct SToolCommand {
    const char* name;
    // Its lines of the usage text.
    const char* usage;
    // argv holds what follows the command's name.
    int (*run)(int argc, char** argv, std::ostream& out, std::ostream& err);
};

// The whole program: argv[0] is the program, argv[1] the command; --help and --version may stand
// anywhere and print to out. extra: the build's further commands.
int ToolMain(int argc, char** argv, std::istream& in, std::ostream& out, std::ostream& err,
             std::span<const SToolCommand> extra = {});
// Flushes out; when anything written to it failed, says so on err and returns kToolOutputError.
int FinishOutput(std::ostream& out, std::ostream& err, const char* command, const char* what = "standard output");
// info FILE.nmd: a universe file in words; on a damaged file the loader's messages and 1.
int ToolInfo(int argc, char** argv, std::ostream& out, std::ostream& err);

// The data folder (sphere.umf, orb.bmp): NIMBULA_DIR, else the one beside this program (the build's
// res/, or ../share/nimbula when installed), else the res/ of the tree the build lies in, else the
// source tree's res/.
std::string FindToolDataDir();

// Every constant of a block by name, one a line (the output of show).
void PrintConstants(std::ostream& out, const CUniversalConstants& c);
