// The browser control's placement over its placeholder and its "app:" interception.
#include "dialogs/BrowserControl.h"

#include <algorithm>

#include "platform/DesktopBrowser.h"
#include "platform/Dialog.h"
#include "platform/HelpPlaces.h"

namespace {
const char kAppPrefix[] = "app:";
constexpr size_t kAppPrefixLength = sizeof kAppPrefix - 1;

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }
}

std::optional<std::string> AppCommandOf(const std::string& url)
{
    // Bytes, not letters: only ASCII letters fold, so a multibyte character never matches a part
    // of the prefix.
    if (url.size() < kAppPrefixLength) return std::nullopt;
    for (size_t i = 0; i < kAppPrefixLength; ++i)
        if (LowerAscii(url[i]) != kAppPrefix[i]) return std::nullopt;
    return url.substr(kAppPrefixLength);
}

bool CBrowserControl::CreateFromStatic(int id, CDialog* parent)
{
    const SDialogControl* placeholder = parent ? parent->GetDlgItem(id) : nullptr;
    if (!placeholder || placeholder->kind != EControl::Static) {
        m_error = "the dialog has no place for the browser";
        return false;
    }
    const RECT rect{placeholder->x, placeholder->y, placeholder->x + placeholder->cx, placeholder->y + placeholder->cy};
    // The label only marked the place: the browser stands there instead.
    auto& controls = parent->m_controls;
    controls.erase(std::find_if(controls.begin(), controls.end(), [id](const SDialogControl& c) { return c.id == id; }));
    return Create(rect, parent, id);
}

void CBrowserControl::AllowPages(const std::string& page, const std::string& folder)
{
    m_page = page;
    m_folder = folder;
    // The browser itself cancels whatever a page asks for from elsewhere.
    if (m_pBrowserApp) m_pBrowserApp->AllowRequests(page, folder);
}

bool CBrowserControl::IsAllowedPage(const std::string& url) const
{
    return url == "about:blank" || IsHelpPage(url, m_page) || IsInHelpFolder(url, m_folder);
}

void CBrowserControl::OnBeforeNavigate2(const std::string& url, unsigned flags, bool* cancel)
{
    const bool byUser = (flags & kNavigateByUser) != 0;
    if (const std::optional<std::string> command = AppCommandOf(url)) {
        *cancel = true;
        if (!byUser) {
            TraceHtmlView("refused app " + *command + " (not clicked)");
            return;
        }
        TraceHtmlView("app " + *command);
        OnAppCmd(*command);
        return;
    }
    if (IsAllowedPage(url)) {
        TraceHtmlView("follow " + url);
        return;
    }
    *cancel = true;
    std::string scheme = url.substr(0, url.find(':'));
    std::transform(scheme.begin(), scheme.end(), scheme.begin(), LowerAscii);
    if (byUser && (scheme == "http" || scheme == "https") && OpenInDesktopBrowser(url)) {
        TraceHtmlView("desktop " + url);
        return;
    }
    TraceHtmlView("refused " + url);
}
