// The one host record and the default way to end the process.
#include "universe/UniverseContext.h"

#include <cstdlib>

SUniverseContext g_universeContext;

void DefaultFatalExit(int code) { std::exit(code); }
