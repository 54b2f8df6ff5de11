// nimbula-tool: the headless companion for universal strings and simulations.
#include <cstdio>
#include <cstring>
#include <iostream>
#include <iterator>
#include <string>

#include "tools/ToolCommands.h"

namespace {
int Usage()
{
    std::fprintf(stderr,
                 "usage: nimbula-tool COMMAND\n"
                 "  defaults   print the universal string of the default constants\n"
                 "  encode     read a 352-byte constants block on stdin, print its universal string\n"
                 "  decode     read a universal string on stdin, write the 352-byte block to stdout\n"
                 "  show       read a universal string on stdin, print every constant by name\n"
                 "  simulate [--frames N] [--orbs N] [--constants STRING] [--universe FILE.nmd] [--dump FILE]\n"
                 "             run the standard universe (or a saved one) headless and print every orb\n"
                 "  info FILE.nmd\n"
                 "             print what a universe file holds; on a damaged file the loader's messages\n");
    return 64;
}
}

int main(int argc, char** argv)
{
    if (argc < 2) return Usage();
    const std::string cmd = argv[1];
    if (cmd == "defaults") return ToolDefaults(std::cout);
    if (cmd == "encode") return ToolEncode(std::cin, std::cout, std::cerr);
    if (cmd == "decode") return ToolDecode(std::cin, std::cout, std::cerr);
    if (cmd == "show") return ToolShow(std::cin, std::cout, std::cerr);
    if (cmd == "simulate") return ToolSimulate(argc - 2, argv + 2, std::cout, std::cerr);
    if (cmd == "info") return ToolInfo(argc - 2, argv + 2, std::cout, std::cerr);
    return Usage();
}
