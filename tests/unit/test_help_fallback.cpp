// The help pages where no window of ours can show them, on every system: the page goes to the
// desktop's browser with the reason said once per run, and a page's address is one the
// system's browser opens (a Windows drive as file:///C:/...).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "dialogs/WebSupportDlg.h"
#include "platform/DesktopBrowser.h"
#include "platform/MessageBox.h"

TEST(HelpFallback, TheReasonIsSaidOncePerRunWhileEveryPressOpensThePage)
{
    std::vector<std::string> messages, opened;
    bool hasBrowser = true;
    const MessageBoxHandler oldBoxes = SetMessageBoxHandler([&](const std::string& text, unsigned) {
        messages.push_back(text);
        return IDOK;
    });
    const DesktopBrowserHandler oldOpener = SetDesktopBrowserHandler([&](const std::string& url) {
        opened.push_back(url);
        return hasBrowser;
    });
    CWebSupportDlg::s_saidFailure.clear();
    const std::string page = "file:///C:/Program%20Files/Nimbula/res/help/index.html";
    const auto press = [&] {
        // No System host: the dialog's browser has no window, as where none can be made.
        CWebSupportDlg dlg;
        dlg.m_url = page;
        EXPECT_EQ(IDABORT, dlg.DoModal());
    };
    press();
    press();
    press();
    EXPECT_EQ(3u, opened.size());
    ASSERT_EQ(1u, messages.size());
    EXPECT_NE(std::string::npos, messages[0].find("The page opens in your web browser instead:\n" + page));
    // Without a browser to hand it to, every press says where the page is.
    hasBrowser = false;
    press();
    press();
    ASSERT_EQ(3u, messages.size());
    EXPECT_NE(std::string::npos, messages[2].find("There is no web browser on this desktop to open it in."));
    SetDesktopBrowserHandler(oldOpener);
    SetMessageBoxHandler(oldBoxes);
    CWebSupportDlg::s_saidFailure.clear();
}

TEST(HelpFallback, ALocalPageIsAFileAddressWithTheDriveAsWritten)
{
    // This system's own absolute path: a drive on Windows, the root elsewhere.
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "Nimbula 1%" / "help";
    const std::string url = FileUrl((dir / "index.html").string());
    ASSERT_EQ(0u, url.rfind("file:///", 0)) << url;
    EXPECT_NE(std::string::npos, url.find("/Nimbula%201%25/help/index.html")) << url;
    EXPECT_EQ(std::string::npos, url.find('\\')) << url;
    if (dir.has_root_name()) {
        const std::string drive = dir.root_name().string();
        EXPECT_EQ("file:///" + drive + "/", url.substr(0, 8 + drive.size() + 1)) << url;
        EXPECT_EQ("file:///" + drive + "/", HelpFolderAddress(drive + "\\").substr(0, 8 + drive.size() + 1));
    }
}
