// nimbula-tool: the headless companion for universal strings, simulations and pictures.
#include <iostream>
#include <string>
#include <vector>

#include "platform/ProgramArguments.h"
#include "tools/ToolCommands.h"
#ifdef NIMBULA_TOOL_PICTURES
#include "tools/pictures/ToolPictures.h"
#endif

int main(int argc, char** argv)
{
    // File names on the command line reach the commands as UTF-8 on every system.
    std::vector<std::string> args = ProgramArguments(argc, argv);
    std::vector<char*> utf8;
    for (std::string& a : args) utf8.push_back(a.data());
    utf8.push_back(nullptr);
#ifdef NIMBULA_TOOL_PICTURES
    return ToolMain(int(args.size()), utf8.data(), std::cin, std::cout, std::cerr, PictureCommands());
#else
    return ToolMain(int(args.size()), utf8.data(), std::cin, std::cout, std::cerr);
#endif
}
