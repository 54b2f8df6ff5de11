// The host layer on Linux: the SDL window host, the dialogs drawn with ImGui, the toolbar's
// painter and the web support window's host, in the order they depend on each other. It lives
// beside the drawing it hands to the host, since the host itself reaches nothing above it.
#include "platform/Host.h"

#include "frame/ToolBar.h"
#include "platform/sdl/SdlBrowserHost.h"
#include "platform/sdl/SdlDialogHost.h"
#include "platform/sdl/SdlHost.h"
#include "platform/sdl/X11Windows.h"
#include "ui/DialogUi.h"
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

struct CHostInstaller::SParts {
    explicit SParts(const SHostOptions& options)
        : host(SdlOptions(options)), painter(&DialogPainter()), dialogs(options.messageBoxes)
    {
        SetToolBarScale(DisplayScale(nullptr));
    }
    CSdlHostInstaller host;
    // ui/ draws the dialogs the host shows.
    struct SPainter {
        explicit SPainter(const SDialogPainter* p) { SetDialogPainter(p); }
        ~SPainter() { SetDialogPainter(nullptr); }
    } painter;
    CSdlDialogHostInstaller dialogs;
    CToolBarPainterInstaller toolBar;
    CSdlBrowserHostInstaller browser;
};

CHostInstaller::CHostInstaller(const SHostOptions& options) : m_parts(std::make_unique<SParts>(options)) {}

CHostInstaller::~CHostInstaller() = default;
