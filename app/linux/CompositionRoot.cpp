// Linux's composition root: the SDL window host (or, for the background of a Wayland session,
// the layer-shell host), SDL's message boxes, the end asked by a signal,
// the dialogs drawn with Dear ImGui by ui/, the toolbar's painter and the web support window's
// host. The root is the one place that reaches both platform/sdl/ and ui/: the host layer itself
// knows nothing of the drawing it is handed.
#include "app/CompositionRoot.h"

#include "frame/ToolBar.h"
#include "platform/Dialog.h"
#include "platform/MessageBox.h"
#include "platform/Wnd.h"
#include "platform/sdl/SdlBrowserHost.h"
#include "platform/sdl/SdlDialogHost.h"
#include "platform/sdl/SdlDialogPainter.h"
#include "platform/sdl/SdlHost.h"
#include "platform/sdl/SdlMessageBox.h"
#include "platform/sdl/SdlSignals.h"
#include "platform/sdl/SdlX11Windows.h"
#ifdef NIMBULA_WAYLAND
#include "platform/wayland/WaylandHost.h"
#endif
#include "ui/DialogUi.h"
#include "ui/MainFrameUi.h"

struct CCompositionRoot::SParts {
    std::unique_ptr<IWindowHost> host;
    std::unique_ptr<IDialogHost> dialogs;
    std::unique_ptr<CToolBarPainterInstaller> toolBar;
    std::unique_ptr<IDialogHost> browser;
};

CCompositionRoot::CCompositionRoot(const SHostOptions& options) : m_parts(std::make_unique<SParts>())
{
#ifdef NIMBULA_WAYLAND
    // The background of a Wayland session in the compositor's background layer, where it has one.
    m_parts->host = CreateLayerShellHost(options);
#endif
    if (!m_parts->host) m_parts->host = CreateSdlHost(options);
    SetWindowHost(m_parts->host.get());
    // The toolbar takes the display's scale once the host has a display (natively on Wayland its
    // output's, which only the display can tell).
    SetDisplayScaleListener(SetToolBarScale);
    if (options.messageBoxes) InstallSdlMessageBoxes();
    InstallTermSignals();
    // ui/ draws the dialogs the host shows.
    SetDialogPainter(&DialogPainter());
    m_parts->dialogs = CreateSdlDialogHost(options.messageBoxes);
    SetDialogHost(m_parts->dialogs.get());
    m_parts->toolBar = std::make_unique<CToolBarPainterInstaller>();
    m_parts->browser = CreateSdlBrowserHost();
    SetDialogHost(m_parts->browser.get(), EDialogHost::System);
}

CCompositionRoot::~CCompositionRoot()
{
    SetDialogHost(nullptr, EDialogHost::System);
    m_parts->browser.reset();
    m_parts->toolBar.reset();
    SetDialogHost(nullptr);
    // The dialog host puts back the message boxes it found.
    m_parts->dialogs.reset();
    SetDialogPainter(nullptr);
    SetMessageBoxHandler(nullptr);
    SetDisplayScaleListener(nullptr);
    SetWindowHost(nullptr);
    m_parts->host.reset();
}
