// The system's web browser as a child control of a dialog, in the classic shape: Navigate, and a
// look at every address before the browser follows it. The portable part; a System dialog host
// supplies the real browser.
#pragma once

#include <string>

#include "engine/math/Rect.h"

class CDialog;
class CHtmlView;

// Notification code a browser control sends its dialog (OnCommand) when it cannot show pages.
constexpr int HVN_FAILED = 0x0300;
// OnBeforeNavigate2's flag: the user asked for this address (a click, back or forward), rather
// than the page by itself (a refresh, a redirect) or the program (its first page).
constexpr unsigned kNavigateByUser = 1;

// The real browser behind a CHtmlView.
class IHtmlViewBackend {
public:
    virtual ~IHtmlViewBackend() = default;
    // Shows the page at the address; an empty address shows an empty page.
    virtual void Navigate(const std::string& url) = 0;
    // Only these places may be loaded from, by any page (see IsAllowedRequest); a backend whose
    // browser cannot hold requests back keeps to the navigations it is asked about.
    virtual void AllowRequests(const std::string& page, const std::string& folder) {}
};

// The window a System host made for a dialog: it places the controls only the system draws.
class IDialogWindow {
public:
    virtual ~IDialogWindow() = default;
    // A browser over rect (dialog units, the dialog's client coordinates) that reports to view;
    // null when none can be made (LastError says why). The window owns it and destroys the view
    // (CHtmlView::DestroyWindow) when it closes.
    virtual IHtmlViewBackend* CreateHtmlView(CHtmlView* view, const RECT& rect) = 0;
    virtual std::string LastError() const = 0;
};

class CHtmlView {
public:
    CHtmlView() = default;
    CHtmlView(const CHtmlView&) = delete;
    CHtmlView& operator=(const CHtmlView&) = delete;
    virtual ~CHtmlView() = default;

    // Creates the browser in the dialog's system window; false (with m_error) when the dialog has
    // none or the browser cannot be made.
    bool Create(const RECT& rect, CDialog* parent, int id);
    void Navigate(const std::string& url);
    // The window that holds the browser closed: WM_DESTROY, then PostNcDestroy.
    void DestroyWindow();
    bool IsWindow() const { return m_pBrowserApp != nullptr; }

    // Every address the browser is about to load, the first page's as well (flags: kNavigateByUser);
    // setting *cancel keeps the browser where it is.
    virtual void OnBeforeNavigate2(const std::string& url, unsigned flags, bool* cancel) {}
    // A page finished loading.
    virtual void OnDocumentComplete(const std::string& url) {}
    // The browser cannot show pages any more (it could not start, or it ended): the dialog is told.
    virtual void OnBrowserError(const std::string& why);
    virtual void OnDestroy() { m_pBrowserApp = nullptr; }
    virtual void PostNcDestroy() {}

    CDialog* GetParent() const { return m_pParent; }
    int GetDlgCtrlID() const { return m_id; }

    IHtmlViewBackend* m_pBrowserApp = nullptr;
    // Why the browser is not there, for the message the dialog shows.
    std::string m_error;

private:
    CDialog* m_pParent = nullptr;
    int m_id = 0;
};

// The test hook: with NIMBULA_WEB_TRACE naming a file, every browser event is a line in it.
void TraceHtmlView(const std::string& line);
