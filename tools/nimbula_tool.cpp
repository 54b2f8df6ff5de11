// nimbula-tool: the headless companion for universal strings, simulations and pictures.
#include <iostream>

#include "tools/ToolCommands.h"
#ifdef NIMBULA_TOOL_PICTURES
#include "tools/pictures/ToolPictures.h"
#endif

int main(int argc, char** argv)
{
#ifdef NIMBULA_TOOL_PICTURES
    return ToolMain(argc, argv, std::cin, std::cout, std::cerr, PictureCommands());
#else
    return ToolMain(argc, argv, std::cin, std::cout, std::cerr);
#endif
}
