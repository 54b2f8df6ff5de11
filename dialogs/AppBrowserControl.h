// The program's own browser control: the help pages' "app:" links close the web support window
// and then run the command they name, as its key would.
#pragma once

#include "dialogs/BrowserControl.h"

class CAppBrowserControl : public CBrowserControl {
public:
    // "options", "share", "help" and "about" (any letter case); anything else does nothing.
    void OnAppCmd(const std::string& command) override;
    // The window is gone: the command runs now, over the universe.
    void PostNcDestroy() override;

private:
    int m_pendingKey = 0;
};
