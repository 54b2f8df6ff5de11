// The browser control's portable part: creation in the dialog's system window, and its reports.
#include "platform/HtmlView.h"

#include <fstream>

#include "platform/Diagnostics.h"
#include "platform/Dialog.h"

bool CHtmlView::Create(const RECT& rect, CDialog* parent, int id)
{
    m_pParent = parent;
    m_id = id;
    m_error.clear();
    if (!parent || !parent->m_pWindow) {
        m_error = "there is no window to show a web page in";
        return false;
    }
    m_pBrowserApp = parent->m_pWindow->CreateHtmlView(this, rect);
    if (!m_pBrowserApp) m_error = parent->m_pWindow->LastError();
    return m_pBrowserApp != nullptr;
}

void CHtmlView::Navigate(const std::string& url)
{
    if (m_pBrowserApp) m_pBrowserApp->Navigate(url);
}

void CHtmlView::DestroyWindow()
{
    if (!m_pBrowserApp) return;
    OnDestroy();
    m_pBrowserApp = nullptr;
    PostNcDestroy();
}

void CHtmlView::OnBrowserError(const std::string& why)
{
    m_error = why;
    TraceHtmlView("failed " + why);
    if (m_pParent) m_pParent->OnCommand(m_id, HVN_FAILED);
}

void TraceHtmlView(const std::string& line)
{
    const std::string& path = Diagnostics().webTrace;
    if (path.empty()) return;
    std::ofstream out(path, std::ios::app);
    out << line << '\n';
}
