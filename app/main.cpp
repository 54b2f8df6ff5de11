// Nimbula's entry point: our own options out, the system wired in, then the application object.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/CompositionRoot.h"
#include "app/SaverApp.h"
#include "dialogs/StringTable.h"
#include "platform/ProgramArguments.h"
#include "platform/SingleInstance.h"

int main(int argc, char** argv)
{
    std::vector<std::string> args = ProgramArguments(argc, argv);
    SOwnOptions options;
    std::string error;
    if (!StripOwnOptions(args, options, error)) {
        std::fprintf(stderr, "nimbula: %s\n", error.c_str());
        return 2;
    }
    if (options.help || options.version) {
        std::fputs(options.help ? NimbulaUsage() : "nimbula " NIMBULA_VERSION "\n", stdout);
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
    }

    // XScreenSaver runs one copy per monitor and starts the next hack before the last one has
    // gone, and nobody can click a box under a locked screen: no lock, messages on stderr.
    const ERunMode mode = ParseRunMode(args, std::getenv("XSCREENSAVER_WINDOW")).mode;
    const bool hack = IsHackMode(mode);
    // The system releases the lock when the process ends.
    std::unique_ptr<CSingleInstanceLock> lock;
    if (!hack) lock = std::make_unique<CSingleInstanceLock>(kMutexName);
    // The saver holds a lock of its own too. An idle daemon starts /s again at its next timeout
    // while the user is looking at ours: that copy ends at once, since a box behind the saver
    // would help nobody.
    std::unique_ptr<CSingleInstanceLock> saverLock;
    if (mode == ERunMode::ScreenSaver) {
        saverLock = std::make_unique<CSingleInstanceLock>(std::string(kMutexName) + "-saver");
        if (saverLock->AlreadyExists()) {
            std::fprintf(stderr, "nimbula: the screen saver already shows; this copy ends\n");
            return 0;
        }
    }

    SHostOptions hostOptions;
    hostOptions.pace = options.pace;
    hostOptions.showFps = options.showFps;
    hostOptions.messageBoxes = !hack;
    hostOptions.toolTipText = ControlTip;
    if (mode == ERunMode::ScreenSaver) hostOptions.run = SHostOptions::ERun::ScreenSaver;
    if (mode == ERunMode::Background) hostOptions.run = SHostOptions::ERun::Background;
    CCompositionRoot root(hostOptions);
    int code = 0;
    {
        CSaverApp app(args, options, lock && lock->AlreadyExists());
        code = app.InitInstance() ? app.Run() : app.ExitInstance();
    }
    return code;
}
