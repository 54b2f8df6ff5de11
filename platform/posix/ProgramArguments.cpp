// The command line on POSIX systems: argv as it stands, its bytes are the names.
#include "platform/ProgramArguments.h"

std::vector<std::string> ProgramArguments(int argc, char** argv) { return std::vector<std::string>(argv, argv + argc); }
