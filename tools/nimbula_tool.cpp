// nimbula-tool: the headless companion for universal strings and simulations.
#include <iostream>

#include "tools/ToolCommands.h"

int main(int argc, char** argv) { return ToolMain(argc, argv, std::cin, std::cout, std::cerr); }
