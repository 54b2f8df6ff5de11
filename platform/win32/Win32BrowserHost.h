// Windows' host of the dialogs that run in a window of the system's own (the web support window).
#pragma once

#include <memory>

class IDialogHost;

// The host says why no page can be shown in a window of ours, and the dialog then hands its page
// to the user's default browser (its own fallback, as on Linux without WebKitGTK).
std::unique_ptr<IDialogHost> CreateWin32BrowserHost();
