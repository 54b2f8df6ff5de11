// The host of dialogs that run in a window of the system's own (the web support window): the
// window and its browser live in the nimbula-web program, while the universe stands still here.
#pragma once

#include <memory>

class IDialogHost;

// The host for System dialogs.
std::unique_ptr<IDialogHost> CreateSdlBrowserHost();
