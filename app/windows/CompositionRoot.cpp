// Windows' composition root: the Win32 window host, the system's dialogs, common dialogs, toolbar
// and message boxes, the end asked by a console or the session, and the web support window's host.
#include "app/CompositionRoot.h"

#include "platform/Dialog.h"
#include "platform/NativeToolBar.h"
#include "platform/Wnd.h"
#include "platform/win32/NativeDialogHost.h"
#include "platform/win32/Win32BrowserHost.h"
#include "platform/win32/Win32.h"
#include "platform/win32/Win32CommonDialogs.h"
#include "platform/win32/Win32Host.h"
#include "platform/win32/Win32MessageBox.h"
#include "platform/win32/Win32ToolBar.h"

namespace {
BOOL WINAPI OnConsoleControl(DWORD event)
{
    // Ctrl+C, Ctrl+Break, the console closing, log-off, shut-down: end as the close box does.
    RequestWin32Close();
    // The system ends the process when the handler returns from these: give the loop its time.
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) Sleep(5000);
    return TRUE;
}
}

struct CCompositionRoot::SParts {
    std::unique_ptr<IWindowHost> host;
    std::unique_ptr<IDialogHost> dialogs;
    std::unique_ptr<IDialogHost> browser;
};

CCompositionRoot::CCompositionRoot(const SHostOptions& options) : m_parts(std::make_unique<SParts>())
{
    // Monitor rectangles and window sizes in the screen's own pixels.
    SetProcessDPIAware();
    m_parts->host = CreateWin32Host(options);
    SetWindowHost(m_parts->host.get());
    SNativeDialogOptions dialogs;
    dialogs.toolTipText = options.toolTipText;
    dialogs.endRequested = Win32CloseRequested;
    m_parts->dialogs = CreateNativeDialogHost(dialogs);
    SetDialogHost(m_parts->dialogs.get());
    m_parts->browser = CreateWin32BrowserHost();
    SetDialogHost(m_parts->browser.get(), EDialogHost::System);
    if (options.messageBoxes) InstallWin32MessageBoxes();
    InstallWin32CommonDialogs();
    InstallWin32ToolBar();
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

CCompositionRoot::~CCompositionRoot()
{
    SetConsoleCtrlHandler(OnConsoleControl, FALSE);
    SetNativeToolBarMaker(nullptr);
    RemoveWin32CommonDialogs();
    SetMessageBoxHandler(nullptr);
    SetDialogHost(nullptr, EDialogHost::System);
    SetDialogHost(nullptr);
    m_parts->dialogs.reset();
    SetWindowHost(nullptr);
    m_parts->host.reset();
}
