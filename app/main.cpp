// Nimbula's entry point: our own options out, the host layer in, then the application object.
#include <cstdio>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/SaverApp.h"
#include "platform/SingleInstance.h"
#include "platform/sdl/SdlDialogHost.h"
#include "platform/sdl/SdlHost.h"

// Taken before the application object exists; the system releases it when the process ends.
static CSingleInstanceLock g_instanceLock(kMutexName);

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv, argv + argc);
    SOwnOptions options;
    std::string error;
    if (!StripOwnOptions(args, options, error)) {
        std::fprintf(stderr, "nimbula: %s\n", error.c_str());
        return 2;
    }

    CSdlHostInstaller host(SSdlHostOptions{options.fps});
    CSdlDialogHostInstaller dialogs;
    int code = 0;
    {
        CSaverApp app(args, options, g_instanceLock.AlreadyExists());
        // Without vsync the universe runs at 60 frames a second unless asked otherwise.
        app.m_pacer.SetRate(options.fps < 0 ? 60.0 : double(options.fps));
        code = app.InitInstance() ? app.Run() : app.ExitInstance();
    }
    return code;
}
