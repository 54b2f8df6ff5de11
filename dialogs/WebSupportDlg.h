// The web support window: a resizable window whose browser shows the help pages, with "app:"
// links handed to the program. It runs in a window of the system's own, not drawn by us.
#pragma once

#include <memory>
#include <string>

#include "dialogs/BrowserControl.h"
#include "platform/Dialog.h"

constexpr int kBrowserPlaceholderId = 1010;

class CWebSupportDlg : public CDialog {
public:
    static constexpr int kTemplate = 131;

    // browser: the control that handles "app:" links; null for the plain one, which ignores them.
    explicit CWebSupportDlg(std::unique_ptr<CBrowserControl> browser = nullptr);

    EDialogHost HostKind() const override { return EDialogHost::System; }
    BOOL OnInitDialog() override;
    BOOL OnCommand(int id, int code) override;
    // A browser that could not show the page is said once its window is gone, and the page goes
    // to the desktop's browser instead; the same reason is said once per run.
    void PostNcDestroy() override;
    // The reason last said with the page handed to the desktop's browser.
    static std::string s_saidFailure;

    std::unique_ptr<CBrowserControl> m_browser;
    // The address shown when the window opens; empty shows an empty page.
    std::string m_url;
    // The file: address of the folder whose pages the window may show too, ending in '/'.
    std::string m_helpFolder;
    // Why the browser could not show the page; empty while it can.
    std::string m_failure;
};

// The address of a local file as a file: URL, with every byte outside the plain ones escaped.
std::string FileUrl(const std::string& path);
// The file: address of the shipped help pages' folder, ending in '/'.
std::string HelpFolderAddress(const std::string& installDir);
// The page V shows: the settings' "HelpPage" entry of "Nimbula", else the help shipped in the
// data folder.
std::string HelpPageAddress(const std::string& installDir);
