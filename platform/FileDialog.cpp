// The file question: a handler when one is installed, else the program's own dialog.
#include "platform/FileDialog.h"

#include <algorithm>
#include <cctype>

#include "engine/core/FileIO.h"
#include "engine/core/QLException.h"
#include "engine/core/Utf8Path.h"
#include "platform/MessageBox.h"
#include "platform/FileReplace.h"

namespace fs = std::filesystem;

namespace {
FileDialogHandler& Handler()
{
    static FileDialogHandler handler;
    return handler;
}

std::string Lower(std::string s)
{
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool LessByName(const std::string& a, const std::string& b)
{
    const std::string la = Lower(a), lb = Lower(b);
    return la != lb ? la < lb : a < b;
}

std::string Trim(const std::string& s)
{
    const size_t a = s.find_first_not_of(" \t");
    if (a == std::string::npos) return {};
    return s.substr(a, s.find_last_not_of(" \t") - a + 1);
}
}

bool AfxFileDialog(const SFileDialogOptions& options, std::string* path)
{
    if (Handler()) return Handler()(options, path);
    // Nobody to ask without a place to show dialogs: the same as a cancelled dialog.
    if (!GetDialogHost()) return false;
    CFileDialog dlg(options);
    if (dlg.DoModal() != IDOK) return false;
    *path = dlg.PathName();
    return true;
}

FileDialogHandler SetFileDialogHandler(FileDialogHandler handler)
{
    FileDialogHandler old = std::move(Handler());
    Handler() = std::move(handler);
    return old;
}

std::vector<SFileFilter> ParseFileFilter(const std::string& filter)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start < filter.size()) {
        const size_t bar = filter.find('|', start);
        parts.push_back(filter.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    std::vector<SFileFilter> out;
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        SFileFilter f;
        f.name = parts[i];
        size_t p = 0;
        const std::string& list = parts[i + 1];
        while (p <= list.size()) {
            const size_t semi = list.find(';', p);
            const std::string one = Trim(list.substr(p, semi == std::string::npos ? std::string::npos : semi - p));
            if (!one.empty()) f.patterns.push_back(one);
            if (semi == std::string::npos) break;
            p = semi + 1;
        }
        if (!f.name.empty() && !f.patterns.empty()) out.push_back(std::move(f));
    }
    // Every dialog can show every file.
    if (out.empty()) out.push_back({"All Files (*.*)", {"*.*"}});
    return out;
}

bool MatchesPattern(const std::string& name, const std::string& pattern)
{
    if (pattern == "*" || pattern == "*.*") return true;
    if (pattern.rfind("*.", 0) != 0) return Lower(name) == Lower(pattern);
    const std::string ext = Lower(pattern.substr(1));
    return name.size() > ext.size() && Lower(name.substr(name.size() - ext.size())) == ext;
}

CFileDialog::CFileDialog(const SFileDialogOptions& options)
    : CDialog(0x600, options.save ? "Save As" : "Open", 280, 186), m_options(options),
      m_filters(ParseFileFilter(options.filter))
{
    AddControl(EControl::Static, -1, "Look in:", 7, 9, 36, 9);
    AddControl(EControl::Static, kFileFolderId, "", 44, 9, 190, 9);
    AddControl(EControl::PushButton, kFileUpId, "Up", 240, 6, 33, 14);
    AddControl(EControl::ListBox, kFileListId, "", 7, 24, 266, 112);
    AddControl(EControl::Static, -1, "File name:", 7, 145, 44, 9);
    AddControl(EControl::Edit, kFileNameId, options.initialName, 54, 143, 166, 12);
    AddControl(EControl::Static, -1, options.save ? "Save as type:" : "Files of type:", 7, 163, 46, 9);
    SDialogControl& types = AddControl(EControl::ComboBox, kFileTypeId, "", 54, 161, 166, 60);
    for (const SFileFilter& f : m_filters) types.items.push_back(f.name);
    types.selection = 0;
    AddControl(EControl::DefPushButton, IDOK, options.save ? "Save" : "Open", 226, 142, 47, 14);
    AddControl(EControl::PushButton, IDCANCEL, "Cancel", 226, 160, 47, 14);
}

BOOL CFileDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    std::error_code ec;
    fs::path start = m_options.initialDir.empty() ? fs::current_path(ec) : PathFromUtf8(m_options.initialDir);
    if (!ShowFolder(start)) ShowFolder(fs::current_path(ec));
    SetFocusById(kFileNameId);
    return TRUE;
}

bool CFileDialog::ShowFolder(const fs::path& folder)
{
    std::error_code ec;
    const fs::path abs = fs::weakly_canonical(fs::absolute(folder, ec), ec);
    if (abs.empty() || !fs::is_directory(abs, ec)) return false;
    std::vector<std::string> folders, files;
    const std::vector<std::string>& patterns = m_filters[size_t(std::max(0, GetDlgItem(kFileTypeId)->selection))].patterns;
    fs::directory_iterator it(abs, fs::directory_options::skip_permission_denied, ec);
    if (ec) {
        AfxMessageBox(Utf8FromPath(abs) + "\nThis folder cannot be read.", MB_OK | MB_ICONWARNING);
        return false;
    }
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) break;
        const std::string name = Utf8FromPath(it->path().filename());
        // Hidden entries stay hidden, as in a desktop's own dialogs.
        if (name.empty() || name[0] == '.') continue;
        std::error_code e2;
        if (it->is_directory(e2)) folders.push_back(name);
        else if (std::any_of(patterns.begin(), patterns.end(), [&](const std::string& p) { return MatchesPattern(name, p); }))
            files.push_back(name);
    }
    std::sort(folders.begin(), folders.end(), LessByName);
    std::sort(files.begin(), files.end(), LessByName);
    SDialogControl& list = *GetDlgItem(kFileListId);
    list.items.clear();
    for (const std::string& f : folders) list.items.push_back("[" + f + "]");
    list.items.insert(list.items.end(), files.begin(), files.end());
    list.selection = -1;
    m_folderCount = int(folders.size());
    m_folder = abs;
    GetDlgItem(kFileFolderId)->text = Utf8FromPath(abs);
    Invalidate();
    return true;
}

bool CFileDialog::IsFolderEntry(int index) const { return index >= 0 && index < m_folderCount; }

void CFileDialog::OpenEntry(int index)
{
    const SDialogControl& list = *GetDlgItem(kFileListId);
    if (index < 0 || index >= int(list.items.size())) return;
    if (IsFolderEntry(index)) {
        const std::string& entry = list.items[size_t(index)];
        ShowFolder(m_folder / PathFromUtf8(entry.substr(1, entry.size() - 2)));
        return;
    }
    GetDlgItem(kFileNameId)->text = list.items[size_t(index)];
    OnOK();
}

BOOL CFileDialog::OnCommand(int id, int code)
{
    if (id == kFileUpId && code == BN_CLICKED) {
        ShowFolder(m_folder.parent_path());
        return TRUE;
    }
    if (id == kFileListId) {
        const int index = GetDlgItem(kFileListId)->selection;
        if (code == LBN_SELCHANGE && index >= m_folderCount) GetDlgItem(kFileNameId)->text = GetDlgItem(kFileListId)->items[size_t(index)];
        if (code == LBN_DBLCLK) OpenEntry(index);
        return TRUE;
    }
    if (id == kFileTypeId && code == CBN_SELCHANGE) {
        ShowFolder(m_folder);
        return TRUE;
    }
    return CDialog::OnCommand(id, code);
}

fs::path CFileDialog::TypedPath() const
{
    const std::string typed = Trim(GetDlgItem(kFileNameId)->text);
    if (typed.empty()) return {};
    fs::path p = PathFromUtf8(typed);
    if (typed[0] == '~' && (typed.size() == 1 || typed[1] == '/')) {
        if (const char* home = std::getenv("HOME")) p = fs::path(home) / PathFromUtf8(typed.substr(typed.size() > 1 ? 2 : 1));
    }
    return p.is_absolute() ? p : m_folder / p;
}

namespace {
// "b.nmd already exists."; a read-only file says so, and a link names the file it leads to.
std::string ReplaceQuestion(const fs::path& typed, const SReplaceTarget& target)
{
    const fs::path real = PathFromUtf8(target.path);
    std::string text;
    if (target.throughLink) text = Utf8FromPath(typed.filename()) + " is a link to " + target.path + ".\n";
    text += Utf8FromPath(real.filename()) + (target.readOnly ? " is read-only." : " already exists.");
    return text + "\nDo you want to replace it?";
}
}

void CFileDialog::OnOK()
{
    const SDialogControl* focus = FocusControl();
    const SDialogControl& list = *GetDlgItem(kFileListId);
    // Return on a folder in the list opens it.
    if (focus && focus->id == kFileListId && IsFolderEntry(list.selection)) {
        OpenEntry(list.selection);
        return;
    }
    fs::path path = TypedPath();
    if (path.empty()) return;
    std::error_code ec;
    // A typed folder is shown, not chosen.
    if (fs::is_directory(path, ec)) {
        if (ShowFolder(path)) GetDlgItem(kFileNameId)->text.clear();
        return;
    }
    if (!path.has_extension() && !m_options.defaultExt.empty()) path += "." + m_options.defaultExt;
    if (m_options.save) {
        if (!fs::is_directory(path.parent_path(), ec)) {
            AfxMessageBox(Utf8FromPath(path.parent_path()) + "\nThis folder does not exist.", MB_OK | MB_ICONWARNING);
            return;
        }
        // The file that will really change, found as the save will find it: a link the save
        // refuses is refused here, and the question names the file a link leads to.
        SReplaceTarget target;
        try {
            target = FindReplaceTarget(Utf8FromPath(path));
        } catch (const CQLException& e) {
            AfxMessageBox(e.What(), MB_OK | MB_ICONWARNING);
            return;
        }
        if (m_options.confirmOverwrite && target.exists &&
            AfxMessageBox(ReplaceQuestion(path, target), MB_YESNO | MB_ICONWARNING) != IDYES)
            return;
        m_pathName = target.path;
        EndDialog(IDOK);
        return;
    }
    m_pathName = Utf8FromPath(fs::weakly_canonical(path, ec));
    if (m_pathName.empty()) m_pathName = Utf8FromPath(path);
    EndDialog(IDOK);
}
