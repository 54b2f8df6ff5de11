// System dialogs on Windows. The system's browser control is not embedded: under Wine (where this
// build is tested) it is created but draws nothing without Wine's Gecko engine, so no window of
// ours could show a page. The host looks whether the system's HTML engine, which the browser
// control draws with, can be made at all, so that the message says the true reason.
#include "platform/win32/Win32BrowserHost.h"

#include <cstdio>

#include "platform/Dialog.h"
#include "platform/HtmlView.h"
#include "platform/win32/Win32.h"

#include <objbase.h>

namespace {
std::string BrowserUnavailableReason()
{
    // "htmlfile" is MSHTML's document, what Internet Explorer's control shows pages with.
    CLSID engine{};
    HRESULT hr = CLSIDFromProgID(L"htmlfile", &engine);
    IUnknown* document = nullptr;
    if (SUCCEEDED(hr)) hr = CoCreateInstance(engine, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&document));
    if (document) document->Release();
    if (SUCCEEDED(hr)) return "the Windows version of Nimbula has no web browser window of its own";
    char text[96];
    std::snprintf(text, sizeof text, "the system's web browser engine (MSHTML) cannot be created (error 0x%08lX)",
                  static_cast<unsigned long>(hr));
    return text;
}

// The dialog's window as far as its browser asks: it holds none.
class CNoBrowserWindow : public IDialogWindow {
public:
    IHtmlViewBackend* CreateHtmlView(CHtmlView*, const RECT&) override
    {
        m_error = BrowserUnavailableReason();
        return nullptr;
    }
    std::string LastError() const override { return m_error; }

private:
    std::string m_error;
};

class CWin32BrowserHost : public IDialogHost {
public:
    // The shell's calls (the default browser) and the engine's creation need COM on this thread.
    CWin32BrowserHost() : m_com(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
    ~CWin32BrowserHost() override
    {
        if (m_com) CoUninitialize();
    }

    int RunModal(CDialog& dlg) override
    {
        CNoBrowserWindow window;
        dlg.m_pWindow = &window;
        dlg.OnInitDialog();
        if (!dlg.IsEnded()) dlg.EndDialog(IDCANCEL);
        dlg.m_pWindow = nullptr;
        return dlg.Result();
    }

private:
    bool m_com;
};
}

std::unique_ptr<IDialogHost> CreateWin32BrowserHost() { return std::make_unique<CWin32BrowserHost>(); }
