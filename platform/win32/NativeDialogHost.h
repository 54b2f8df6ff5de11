// The dialog host on Windows: every drawn dialog as a real system dialog made from its controls'
// data (an in-memory template run by DialogBoxIndirectParamW), owned by the window in front.
#pragma once

#include <memory>
#include <string>

class IDialogHost;

struct SNativeDialogOptions {
    // The tooltip of a control id (the program's string table); null: no tooltips.
    std::string (*toolTipText)(int templateId, int controlId) = nullptr;
    // True when the program is asked to end from outside: an open dialog ends as cancelled.
    bool (*endRequested)() = nullptr;
};

std::unique_ptr<IDialogHost> CreateNativeDialogHost(const SNativeDialogOptions& options);
