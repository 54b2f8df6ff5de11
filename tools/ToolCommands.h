// The commands of nimbula-tool, as functions over streams so tests can drive them directly.
#pragma once

#include <iosfwd>

// Exit codes beside each command's own: a wrong command line, and output that could not be written.
constexpr int kToolUsageError = 64;
constexpr int kToolOutputError = 74;

class CUniversalConstants;

int ToolDefaults(std::ostream& out, std::ostream& err);
int ToolEncode(std::istream& in, std::ostream& out, std::ostream& err);
int ToolDecode(std::istream& in, std::ostream& out, std::ostream& err);
int ToolShow(std::istream& in, std::ostream& out, std::ostream& err);
int ToolSimulate(int argc, char** argv, std::ostream& out, std::ostream& err);
// The whole program: argv[0] is the program, argv[1] the command; --help and --version may stand
// anywhere and print to out.
int ToolMain(int argc, char** argv, std::istream& in, std::ostream& out, std::ostream& err);
// Flushes out; when anything written to it failed, says so on err and returns kToolOutputError.
int FinishOutput(std::ostream& out, std::ostream& err, const char* command, const char* what = "standard output");
// info FILE.nmd: a universe file in words; on a damaged file the loader's messages and 1.
int ToolInfo(int argc, char** argv, std::ostream& out, std::ostream& err);

// Every constant of a block by name, one a line (the output of show).
void PrintConstants(std::ostream& out, const CUniversalConstants& c);
