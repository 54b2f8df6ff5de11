// The test switches, read from the environment once.
#include "platform/Diagnostics.h"

#include <cstdlib>

namespace {
std::string Variable(const char* name)
{
    const char* v = std::getenv(name);
    return v ? v : "";
}

SDiagnostics Read()
{
    SDiagnostics d;
    d.messagesToStderr = Variable("NIMBULA_MESSAGE_BOXES") == "stderr";
    d.layoutFile = Variable("NIMBULA_LAYOUT_FILE");
    d.previewSnapshot = Variable("NIMBULA_PREVIEW_SNAPSHOT");
    d.webTrace = Variable("NIMBULA_WEB_TRACE");
    return d;
}
}

const SDiagnostics& Diagnostics()
{
    static const SDiagnostics diagnostics = Read();
    return diagnostics;
}
