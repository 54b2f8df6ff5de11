// The web support window without a display: its browser over the placeholder, "app:" links caught
// in any letter case and handed to the program, everything else followed, a browser that cannot
// run handing the page to the desktop's browser with a message, and the line channel to the
// browser window's program.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <poll.h>
#include <sys/socket.h>

#include "dialogs/AppBrowserControl.h"
#include "dialogs/HelpDlg.h"
#include "dialogs/WebSupportDlg.h"
#include "platform/BrowserProcess.h"
#include "platform/DesktopBrowser.h"
#include "platform/HelpPlaces.h"
#include "platform/LineChannel.h"
#include "platform/MessageBox.h"
#include "view/AppServices.h"
#include "view/UniverseView.h"

namespace {
// The system browser's stand-in: records what it is asked to show, and clicks links as a user would.
class CFakeBrowserWindow : public IDialogWindow, public IHtmlViewBackend {
public:
    IHtmlViewBackend* CreateHtmlView(CHtmlView* view, const RECT& rect) override
    {
        m_view = view;
        m_rect = rect;
        return this;
    }
    std::string LastError() const override { return "no browser"; }
    void Navigate(const std::string& url) override { m_loads.push_back(url); }
    void AllowRequests(const std::string& page, const std::string& folder) override { m_places = {page, folder}; }
    // A click on a link: true when the browser may follow it.
    bool Click(const std::string& url) { return Go(url, kNavigateByUser); }
    // The page moving by itself (a refresh or redirect): true when the browser may follow it.
    bool PageMoves(const std::string& url) { return Go(url, 0); }
    bool Go(const std::string& url, unsigned flags)
    {
        bool cancel = false;
        m_view->OnBeforeNavigate2(url, flags, &cancel);
        return !cancel;
    }

    CHtmlView* m_view = nullptr;
    RECT m_rect;
    std::vector<std::string> m_loads;
    std::vector<std::string> m_places;  // what the browser may load from
    bool m_closed = false;
};

// Runs System dialogs in the fake window: the user acts, the window closes as a real one does
// (the browser goes with it), then the dialog is told its window is gone.
class CFakeSystemHost : public IDialogHost {
public:
    CFakeSystemHost() { SetDialogHost(this, EDialogHost::System); }
    ~CFakeSystemHost() override { SetDialogHost(nullptr, EDialogHost::System); }
    int RunModal(CDialog& dlg) override
    {
        CFakeBrowserWindow window;
        m_window = &window;
        dlg.m_pWindow = &window;
        dlg.OnInitDialog();
        if (m_user && !dlg.IsEnded()) m_user(dlg, window);
        m_stillOpen = !dlg.IsEnded();
        if (!dlg.IsEnded()) dlg.OnCommand(IDCANCEL, BN_CLICKED);
        window.m_closed = true;
        if (window.m_view) window.m_view->DestroyWindow();
        dlg.m_pWindow = nullptr;
        m_window = nullptr;
        return dlg.Result();
    }
    std::function<void(CDialog&, CFakeBrowserWindow&)> m_user;
    CFakeBrowserWindow* m_window = nullptr;
    bool m_stillOpen = false;
};

class CRecordingBrowser : public CBrowserControl {
public:
    void OnAppCmd(const std::string& command) override { m_commands.push_back(command); }
    std::vector<std::string> m_commands;
};

// Messages and the desktop's browser, caught.
class WebSupport : public ::testing::Test {
protected:
    void SetUp() override
    {
        CWebSupportDlg::s_saidFailure.clear();
        m_oldBoxes = SetMessageBoxHandler([this](const std::string& text, unsigned) {
            m_messages.push_back(text);
            return IDOK;
        });
        m_oldOpener = SetDesktopBrowserHandler([this](const std::string& url) {
            m_opened.push_back(url);
            return m_desktopHasBrowser;
        });
    }
    void TearDown() override
    {
        SetMessageBoxHandler(m_oldBoxes);
        SetDesktopBrowserHandler(m_oldOpener);
    }

    std::vector<std::string> m_messages;
    std::vector<std::string> m_opened;
    bool m_desktopHasBrowser = true;

private:
    MessageBoxHandler m_oldBoxes;
    DesktopBrowserHandler m_oldOpener;
};

// The program's side: what the help page's commands open.
class CCommandApp : public CAppServices {
public:
    void RunOptionsDialog() override { m_ran.push_back("options" + std::string(m_window && !m_window->m_closed ? " (window open)" : "")); }
    CDialog* CreateViewDialog(int key) override
    {
        m_ran.push_back(std::string(1, char(key)) + (m_window && !m_window->m_closed ? " (window open)" : ""));
        return key == 'H' ? new CHelpDlg : nullptr;
    }
    std::vector<std::string> m_ran;
    CFakeBrowserWindow* m_window = nullptr;
};
}

TEST(WebSupportLinks, OnlyTheFourBytesAppColonInAnyCaseMakeACommand)
{
    EXPECT_EQ("options", AppCommandOf("app:options"));
    EXPECT_EQ("Options", AppCommandOf("APP:Options"));
    EXPECT_EQ("", AppCommandOf("aPp:"));
    EXPECT_EQ("share?now=1 x", AppCommandOf("App:share?now=1 x"));
    for (const char* followed : {"ap:x", "app", "apps:x", "", " app:x", "app;x", "file:///help/app:x", "\xc3\xa1pp:x",
                                 "\xe1pp:x", "ap\xd0\x90:x"})
        EXPECT_FALSE(AppCommandOf(followed)) << followed;
}

TEST_F(WebSupport, TheBrowserTakesThePlaceholdersPlaceAndOpensOnTheAddress)
{
    CFakeSystemHost host;
    host.m_user = [](CDialog& dlg, CFakeBrowserWindow& w) {
        EXPECT_EQ("Nimbula - Quillon Web Support", dlg.m_caption);
        EXPECT_EQ(EDialogFrame::Sizable, dlg.m_frame);
        EXPECT_EQ(nullptr, dlg.GetDlgItem(kBrowserPlaceholderId));
        EXPECT_EQ((std::vector<long>{0, 7, 498, 449}),
                  (std::vector<long>{w.m_rect.left, w.m_rect.top, w.m_rect.right, w.m_rect.bottom}));
        EXPECT_EQ((std::vector<std::string>{"file:///help/index.html"}), w.m_loads);
    };
    CWebSupportDlg dlg;
    dlg.m_url = "file:///help/index.html";
    // Escape or the close box: the browser went with the window, nothing is said.
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_FALSE(dlg.m_browser->IsWindow());
    EXPECT_TRUE(m_messages.empty());
}

// Clicked "app:" links reach OnAppCmd, clicked web links the desktop's browser; only the help
// folder's pages and the page given are shown, and a page that moves by itself reaches nothing.
TEST_F(WebSupport, AppLinksReachOnAppCmdWebLinksTheDesktopOnlyHelpPagesAreShown)
{
    CFakeSystemHost host;
    auto* browser = new CRecordingBrowser;
    CWebSupportDlg dlg{std::unique_ptr<CBrowserControl>(browser)};
    dlg.m_url = "file:///opt/help/index.html";
    dlg.m_helpFolder = "file:///opt/help/";
    std::vector<bool> followed;
    host.m_user = [&](CDialog&, CFakeBrowserWindow& w) {
        EXPECT_EQ((std::vector<std::string>{"file:///opt/help/index.html", "file:///opt/help/"}), w.m_places);
        for (const char* url : {"app:test-lower", "APP:Upper/Case", "ap:x", "file:///opt/help/keys.html#mouse",
                                "HTTPS://example.org/app:x", "file:///etc/passwd", "file:///opt/help/../../etc/passwd",
                                "file:///opt/help/%2E%2E/x", "data:text/html,hi", "about:blank"})
            followed.push_back(w.Click(url));
        // With no click: a refresh to a command, a web page or a local file goes nowhere.
        for (const char* url : {"app:options", "http://example.org/", "file:///etc/passwd"})
            followed.push_back(w.PageMoves(url));
        followed.push_back(w.PageMoves("file:///opt/help/index.html"));
    };
    dlg.DoModal();
    EXPECT_EQ((std::vector<bool>{false, false, false, true, false, false, false, false, false, true, false, false, false, true}),
              followed);
    EXPECT_EQ((std::vector<std::string>{"test-lower", "Upper/Case"}), browser->m_commands);
    EXPECT_EQ((std::vector<std::string>{"HTTPS://example.org/app:x"}), m_opened);
    m_opened.clear();

    // The plain control swallows "app:" links and does nothing else: the window stays, no message.
    CWebSupportDlg plain;
    host.m_user = [&](CDialog&, CFakeBrowserWindow& w) { EXPECT_FALSE(w.Click("app:options")); };
    plain.DoModal();
    EXPECT_TRUE(host.m_stillOpen);
    EXPECT_TRUE(m_messages.empty());
    EXPECT_TRUE(m_opened.empty());
}

TEST_F(WebSupport, ABrowserThatCannotRunSaysWhyAndHandsThePageToTheDesktop)
{
    const std::string page = "file:///opt/nimbula/help/index.html";
    // No system window at all (no browser program, no display): said, and the desktop's browser.
    {
        CWebSupportDlg dlg;
        dlg.m_url = page;
        EXPECT_EQ(IDABORT, dlg.DoModal());
    }
    // The browser started, then its web process failed; this desktop has no browser either.
    m_desktopHasBrowser = false;
    {
        CFakeSystemHost host;
        host.m_user = [](CDialog&, CFakeBrowserWindow& w) { w.m_view->OnBrowserError("the browser's web process did not start"); };
        CWebSupportDlg dlg;
        dlg.m_url = page;
        EXPECT_EQ(IDABORT, dlg.DoModal());
        EXPECT_FALSE(host.m_stillOpen);
    }
    // Nothing to hand on without an address.
    {
        CWebSupportDlg dlg;
        dlg.DoModal();
    }
    EXPECT_EQ((std::vector<std::string>{page, page}), m_opened);
    ASSERT_EQ(3u, m_messages.size());
    EXPECT_EQ("Nimbula cannot show the web support page: there is no window to show a web page in.\n\n"
              "The page opens in your web browser instead:\n" + page,
              m_messages[0]);
    EXPECT_EQ("Nimbula cannot show the web support page: the browser's web process did not start.\n\n"
              "There is no web browser on this desktop to open it in. The page is at:\n" + page,
              m_messages[1]);
    EXPECT_EQ("Nimbula cannot show the web support page: there is no window to show a web page in.", m_messages[2]);
}

TEST_F(WebSupport, TheProgramsLinksCloseTheWindowThenRunTheirCommand)
{
    CCommandApp app;
    SetAppServices(&app);
    CFakeSystemHost host;
    const auto run = [&](const char* link) {
        CWebSupportDlg dlg{std::make_unique<CAppBrowserControl>()};
        g_openDialog = &dlg;
        host.m_user = [&](CDialog&, CFakeBrowserWindow& w) {
            app.m_window = &w;
            EXPECT_FALSE(w.Click(link));
        };
        const int result = dlg.DoModal();
        EXPECT_EQ(&dlg, g_openDialog);
        g_openDialog = nullptr;
        return result;
    };
    EXPECT_EQ(IDOK, run("app:Options"));
    EXPECT_EQ(IDOK, run("APP:share"));
    EXPECT_EQ(IDOK, run("app:help"));
    EXPECT_EQ(IDOK, run("app:about"));
    // Each ran once the window was gone, and the view's dialog is registered again afterwards.
    EXPECT_EQ((std::vector<std::string>{"options", "S", "H", "A"}), app.m_ran);
    // Unknown commands leave the window open and run nothing.
    EXPECT_EQ(IDCANCEL, run("app:format-disk"));
    EXPECT_TRUE(host.m_stillOpen);
    EXPECT_EQ(4u, app.m_ran.size());
    SetAppServices(nullptr);
}

// What a page may load, pictures and style sheets as much as pages: the help folder, the page,
// and a page on the web's own origin, never another local file or another site.
TEST(WebSupportRequests, OnlyTheHelpPlacesAndAWebPagesOwnOriginLoad)
{
    const std::string folder = "file:///opt/help/";
    for (const char* url : {"file:///opt/help/help.css", "file:///opt/help/pics/orb.png", "file:///home/u/page.html",
                            "file:///home/u/page.html#top"})
        EXPECT_TRUE(IsAllowedRequest(url, "file:///home/u/page.html", folder)) << url;
    for (const char* url : {"file:///home/u/secret.png", "file:///opt/help/../secret.png", "file:///opt/help/%2e%2e/x",
                            "http://127.0.0.1:9/image.png", "https://example.org/", "data:text/css,x", "file:///opt/helpx/a",
                            "file:///home/u/page.html.png"})
        EXPECT_FALSE(IsAllowedRequest(url, "file:///home/u/page.html", folder)) << url;
    const std::string web = "https://help.example.org/nimbula/index.html";
    EXPECT_TRUE(IsAllowedRequest("HTTPS://Help.Example.org/style.css", web, folder));
    EXPECT_TRUE(IsAllowedRequest("file:///opt/help/help.css", web, folder));
    for (const char* url : {"http://help.example.org/style.css", "https://help.example.org:8443/x",
                            "https://help.example.org.evil.net/x", "https://help.example.org@evil.net/x",
                            "file:///home/u/secret.png"})
        EXPECT_FALSE(IsAllowedRequest(url, web, folder)) << url;
    EXPECT_EQ("", WebOrigin("https://user@help.example.org/"));
    EXPECT_EQ("http://h:80/", WebOrigin("http://h:80?q"));
}

TEST(WebSupportAddress, FileAddressesEscapeEverythingButThePlainBytes)
{
    EXPECT_EQ("file:///opt/nimbula/help/index.html", FileUrl("/opt/nimbula/help/index.html"));
    EXPECT_EQ("file:///home/J%C3%BCrgen/my%20saver/100%25%23%3F/help.html",
              FileUrl("/home/J\xc3\xbcrgen/my saver/100%#?/help.html"));
}

TEST(WebSupportChannel, LinesCrossWholeAndAHelperThatCannotRunIsSaidAndReaped)
{
    int sv[2];
    ASSERT_EQ(0, socketpair(AF_UNIX, SOCK_STREAM, 0, sv));
    CLineChannel saver(sv[0]), window(sv[1]);
    EXPECT_TRUE(saver.Send("navigate 7 app:x y"));
    EXPECT_TRUE(saver.Send("load bad\naddress"));
    std::vector<std::string> lines;
    EXPECT_TRUE(window.Receive(&lines));
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ((std::vector<std::string>{"navigate", "7", "app:x y"}), SplitLine(lines[0], 3));
    EXPECT_EQ((std::vector<std::string>{"load", "bad address"}), SplitLine(lines[1], 2));
    EXPECT_EQ((std::vector<std::string>{"load", ""}), SplitLine("load ", 2));
    // A line beyond the cap is dropped whole; the next one still arrives.
    lines.clear();
    EXPECT_TRUE(saver.Send("navigate 8 user app:" + std::string(kMaxChannelLine, 'x')));
    EXPECT_TRUE(saver.Send("navigate 9 user app:ok"));
    EXPECT_TRUE(window.Receive(&lines));
    EXPECT_EQ((std::vector<std::string>{"navigate 9 user app:ok"}), lines);
    saver.Close();
    lines.clear();
    EXPECT_FALSE(window.Receive(&lines));
    EXPECT_FALSE(window.Send("decide 7 ignore"));

    CBrowserProcess missing;
    EXPECT_FALSE(missing.Start("/nonexistent/nimbula-web"));
    EXPECT_EQ("its program /nonexistent/nimbula-web is missing", missing.LastError());
    // A program that ends at once closes the channel, is reaped, and how it ended is said.
    CBrowserProcess failing;
    ASSERT_TRUE(failing.Start("/bin/false"));
    while (failing.Channel().Receive(&lines)) poll(nullptr, 0, 10);
    EXPECT_EQ("it ended with status 1", failing.Ended());
    EXPECT_EQ(1, failing.ExitStatus());
    EXPECT_FALSE(failing.Running());
}
