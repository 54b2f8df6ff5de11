// The web browser as a dialog control: it takes the place of a placeholder label, shows only the
// pages it is given, hands other web links to the desktop's browser and "app:" links to the
// program instead of following them.
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

    // Only these are shown: the page (and places within it) and whatever lies in the folder
    // (a file: address ending in '/'); either may be empty.
    void AllowPages(const std::string& page, const std::string& folder);
    // A clicked "app:" link reaches OnAppCmd, a clicked http(s) link the desktop's browser; the
    // allowed pages are followed; nothing else loads, and a page's own moves reach nothing.
    void OnBeforeNavigate2(const std::string& url, unsigned flags, bool* cancel) override;
    // What the page asks of the program; the text after "app:". Does nothing here.
    virtual void OnAppCmd(const std::string& command) {}
    // The control is a member of its dialog: its window's end does not delete it.
    void PostNcDestroy() override {}

private:
    bool IsAllowedPage(const std::string& url) const;

    std::string m_page;
    std::string m_folder;
};
