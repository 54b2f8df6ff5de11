// The program's command line as UTF-8, for the screen saver and the tool alike.
#pragma once

#include <string>
#include <vector>

// The program's arguments as UTF-8, the program's path first.
std::vector<std::string> ProgramArguments(int argc, char** argv);
