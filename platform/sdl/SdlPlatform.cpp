// The host layer on Linux: the SDL window host, the dialogs drawn with ImGui, the toolbar's
// painter and the web support window's host, in the order they depend on each other.
#include "platform/Host.h"

#include "frame/ToolBar.h"
#include "platform/sdl/SdlBrowserHost.h"
#include "platform/sdl/SdlDialogHost.h"
#include "platform/sdl/SdlHost.h"
#include "platform/sdl/X11Windows.h"
#include "ui/MainFrameUi.h"

namespace {
SSdlHostOptions SdlOptions(const SHostOptions& options)
{
    SSdlHostOptions out;
    out.pace = options.pace;
    out.showFps = options.showFps;
    out.messageBoxes = options.messageBoxes;
    return out;
}
}

std::vector<std::string> ProgramArguments(int argc, char** argv) { return std::vector<std::string>(argv, argv + argc); }

struct CHostInstaller::SParts {
    explicit SParts(const SHostOptions& options)
        : host(SdlOptions(options)), dialogs(options.messageBoxes)
    {
        SetToolBarScale(DisplayScale(nullptr));
    }
    CSdlHostInstaller host;
    CSdlDialogHostInstaller dialogs;
    CToolBarPainterInstaller toolBar;
    CSdlBrowserHostInstaller browser;
};

CHostInstaller::CHostInstaller(const SHostOptions& options) : m_parts(std::make_unique<SParts>(options)) {}

CHostInstaller::~CHostInstaller() = default;
