// The commands of nimbula-tool, as functions over streams so tests can drive them directly.
#pragma once

#include <iosfwd>

class CUniversalConstants;

int ToolDefaults(std::ostream& out);
int ToolEncode(std::istream& in, std::ostream& out, std::ostream& err);
int ToolDecode(std::istream& in, std::ostream& out, std::ostream& err);
int ToolShow(std::istream& in, std::ostream& out, std::ostream& err);
int ToolSimulate(int argc, char** argv, std::ostream& out, std::ostream& err);
// info FILE.nmd: a universe file in words; on a damaged file the loader's messages and 1.
int ToolInfo(int argc, char** argv, std::ostream& out, std::ostream& err);

// Every constant of a block by name, one a line (the output of show).
void PrintConstants(std::ostream& out, const CUniversalConstants& c);
