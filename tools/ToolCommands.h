// The commands of nimbula-tool, as functions over streams so tests can drive them directly.
#pragma once

#include <iosfwd>

int ToolDefaults(std::ostream& out);
int ToolEncode(std::istream& in, std::ostream& out, std::ostream& err);
int ToolDecode(std::istream& in, std::ostream& out, std::ostream& err);
int ToolShow(std::istream& in, std::ostream& out, std::ostream& err);
int ToolSimulate(int argc, char** argv, std::ostream& out, std::ostream& err);
