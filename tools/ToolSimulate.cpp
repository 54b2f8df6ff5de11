// The simulate command of nimbula-tool (built with the simulation).
#include <ostream>

#include "tools/ToolCommands.h"

int ToolSimulate(int, char**, std::ostream&, std::ostream& err)
{
    err << "simulate: not available in this build\n";
    return 2;
}
