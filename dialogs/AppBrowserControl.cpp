// Commands of the help pages: the letter key each one stands for, run after the window closes.
#include "dialogs/AppBrowserControl.h"

#include <cctype>
#include <cstring>

#include "platform/Dialog.h"
#include "view/AppServices.h"
#include "view/UniverseView.h"

namespace {
struct SAppCommand {
    const char* name;
    int key;
};
const SAppCommand kCommands[] = {{"options", 'O'}, {"share", 'S'}, {"help", 'H'}, {"about", 'A'}};

bool SameLetters(const std::string& a, const char* b)
{
    if (a.size() != std::strlen(b)) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != b[i]) return false;
    return true;
}
}

void CAppBrowserControl::OnAppCmd(const std::string& command)
{
    for (const SAppCommand& c : kCommands) {
        if (!SameLetters(command, c.name)) continue;
        m_pendingKey = c.key;
        // The command's own dialog shows over the universe, not under the browser's window.
        if (GetParent()) GetParent()->EndDialog(IDOK);
        return;
    }
}

void CAppBrowserControl::PostNcDestroy()
{
    const int key = m_pendingKey;
    m_pendingKey = 0;
    if (!key) return;
    CAppServices* app = GetAppServices();
    if (key == 'O') {
        app->RunOptionsDialog();
        return;
    }
    CDialog* dlg = app->CreateViewDialog(key);
    if (!dlg) return;
    // The universe stays still: the web support window's own entry is back once this one ends.
    void* outer = g_openDialog;
    g_openDialog = dlg;
    dlg->DoModal();
    g_openDialog = outer;
    delete dlg;
}
