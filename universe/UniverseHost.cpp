// The one host record and the default way to end the process.
#include "universe/UniverseHost.h"

#include <cstdlib>

SUniverseHost g_universeHost;

void DefaultFatalExit(int code) { std::exit(code); }
