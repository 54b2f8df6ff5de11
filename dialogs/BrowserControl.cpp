// The browser control's placement over its placeholder and its "app:" interception.
#include "dialogs/BrowserControl.h"

#include <algorithm>

#include "platform/Dialog.h"

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

void CBrowserControl::OnBeforeNavigate2(const std::string& url, bool* cancel)
{
    const std::optional<std::string> command = AppCommandOf(url);
    if (!command) {
        TraceHtmlView("follow " + url);
        return;
    }
    *cancel = true;
    TraceHtmlView("app " + *command);
    OnAppCmd(*command);
}
