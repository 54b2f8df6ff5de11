// The web browser as a dialog control: it takes the place of a placeholder label, and hands
// "app:" links to the program instead of following them.
#pragma once

#include <optional>
#include <string>

#include "platform/HtmlView.h"

// The text after the prefix when the address is an "app:" link: its first four bytes are "app:"
// in any letter case. Anything else is an address to follow.
std::optional<std::string> AppCommandOf(const std::string& url);

class CBrowserControl : public CHtmlView {
public:
    // Replaces the dialog's label with that id by a browser of the same place and size; false
    // when the dialog has no such label or the browser cannot be made (m_error says why).
    bool CreateFromStatic(int id, CDialog* parent);

    // "app:" links reach OnAppCmd and go nowhere; everything else is followed.
    void OnBeforeNavigate2(const std::string& url, bool* cancel) override;
    // What the page asks of the program; the text after "app:". Does nothing here.
    virtual void OnAppCmd(const std::string& command) {}
    // The control is a member of its dialog: its window's end does not delete it.
    void PostNcDestroy() override {}
};
