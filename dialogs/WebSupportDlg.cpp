// The web support window's template, its browser's start, and what happens when it cannot run.
#include "dialogs/WebSupportDlg.h"

#include <cctype>
#include <filesystem>

#include "platform/RegistryKey.h"
#include "engine/core/Utf8Path.h"
#include "platform/DesktopBrowser.h"
#include "platform/MessageBox.h"

namespace {
const char* const kCaption = "Nimbula - Quillon Web Support";
const char* const kHelpPageFile = "help/index.html";
}

CWebSupportDlg::CWebSupportDlg(std::unique_ptr<CBrowserControl> browser)
    : CDialog(kTemplate, kCaption, 498, 449, EDialogFrame::Sizable),
      m_browser(browser ? std::move(browser) : std::make_unique<CBrowserControl>())
{
    // Only marks the browser's place and size.
    AddControl(EControl::Static, kBrowserPlaceholderId, "", 0, 7, 498, 442);
}

BOOL CWebSupportDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (!m_browser->CreateFromStatic(kBrowserPlaceholderId, this)) {
        m_failure = m_browser->m_error;
        EndDialog(IDABORT);
        return TRUE;
    }
    m_browser->AllowPages(m_url, m_helpFolder);
    m_browser->Navigate(m_url);
    return TRUE;
}

BOOL CWebSupportDlg::OnCommand(int id, int code)
{
    if (id == kBrowserPlaceholderId && code == HVN_FAILED) {
        m_failure = m_browser->m_error;
        EndDialog(IDABORT);
        return TRUE;
    }
    return CDialog::OnCommand(id, code);
}

std::string CWebSupportDlg::s_saidFailure;

void CWebSupportDlg::PostNcDestroy()
{
    if (m_failure.empty()) return;
    std::string text = "Nimbula cannot show the web support page: " + m_failure + ".";
    if (m_url.empty()) {
        // Nothing to hand on: the window had no page to show.
    } else if (OpenInDesktopBrowser(m_url)) {
        // Once the user knows why pages open in their browser, the next V just opens it.
        if (m_failure == s_saidFailure) return;
        s_saidFailure = m_failure;
        text += "\n\nThe page opens in your web browser instead:\n" + m_url;
    } else {
        text += "\n\nThere is no web browser on this desktop to open it in. The page is at:\n" + m_url;
    }
    AfxMessageBox(text, MB_OK | MB_ICONWARNING);
}

std::string FileUrl(const std::string& path)
{
    static const char kDigits[] = "0123456789ABCDEF";
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(PathFromUtf8(path), ec);
    if (ec) absolute = PathFromUtf8(path);
    std::string url = "file://";
    // UTF-8 on every system, so the address escapes the same bytes everywhere.
    const std::u8string generic = absolute.generic_u8string();
    std::string rest(generic.begin(), generic.end());
    // A Windows drive is the address's first segment as written: file:///C:/..., its colon kept.
    if (rest.size() >= 2 && rest[1] == ':' && std::isalpha(static_cast<unsigned char>(rest[0]))) {
        url += '/';
        url.append(rest, 0, 2);
        rest.erase(0, 2);
    }
    for (const unsigned char c : rest) {
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '/' ||
                           c == '-' || c == '_' || c == '.' || c == '~';
        if (plain) {
            url += char(c);
        } else {
            url += '%';
            url += kDigits[c >> 4];
            url += kDigits[c & 15];
        }
    }
    return url;
}

std::string HelpFolderAddress(const std::string& installDir)
{
    return FileUrl(Utf8FromPath((PathFromUtf8(installDir) / kHelpPageFile).parent_path())) + "/";
}

std::string HelpPageAddress(const std::string& installDir)
{
    std::string page;
    try {
        if (CRegistryKey().GetCookieString("Nimbula", "HelpPage", page) && !page.empty()) return page;
    } catch (...) {
        // Settings that cannot be read leave the shipped page.
    }
    return FileUrl(Utf8FromPath(PathFromUtf8(installDir) / kHelpPageFile));
}
