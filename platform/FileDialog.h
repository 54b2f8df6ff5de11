// Open and save questions for a file: one function with a replaceable handler, and the program's
// own file dialog that answers it wherever dialogs can be shown (over the full-screen saver too).
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/Dialog.h"

struct SFileDialogOptions {
    bool save = false;
    // Classic filter text: "Name (*.ext)|*.ext|" pairs.
    std::string filter;
    // Added to a typed name without an extension.
    std::string defaultExt;
    // Where the dialog opens; empty is the current directory.
    std::string initialDir;
    std::string initialName;
    // Saving over an existing file asks first.
    bool confirmOverwrite = false;
};

using FileDialogHandler = std::function<bool(const SFileDialogOptions& options, std::string* path)>;

// Asks for a file; true with its full path, false when the user cancelled (or nobody can be asked).
bool AfxFileDialog(const SFileDialogOptions& options, std::string* path);
// Installs a handler (tests); returns the previous one. Without one the program's dialog asks.
FileDialogHandler SetFileDialogHandler(FileDialogHandler handler);

// One "Name (*.a;*.b)" entry of a filter and its patterns.
struct SFileFilter {
    std::string name;
    std::vector<std::string> patterns;  // "*.nmd", "*.*"
};
std::vector<SFileFilter> ParseFileFilter(const std::string& filter);
// Whether a file name matches a pattern of the "*.ext" kind (letter case ignored, as on the
// system the format comes from).
bool MatchesPattern(const std::string& name, const std::string& pattern);

constexpr int kFileFolderId = 1088;   // the folder being shown
constexpr int kFileListId = 1120;
constexpr int kFileNameId = 1152;
constexpr int kFileTypeId = 1136;
constexpr int kFileUpId = 1089;

class CFileDialog : public CDialog {
public:
    explicit CFileDialog(const SFileDialogOptions& options);

    BOOL OnInitDialog() override;
    BOOL OnCommand(int id, int code) override;
    void OnOK() override;

    // Shows a folder: folders first, then the files of the chosen type, each sorted by name.
    bool ShowFolder(const std::filesystem::path& folder);
    const std::filesystem::path& Folder() const { return m_folder; }
    // The chosen file, after OK.
    const std::string& PathName() const { return m_pathName; }

private:
    // What the name box holds, made a full path; empty when it names nothing.
    std::filesystem::path TypedPath() const;
    // The entry at index is a folder.
    bool IsFolderEntry(int index) const;
    void OpenEntry(int index);

    SFileDialogOptions m_options;
    std::vector<SFileFilter> m_filters;
    std::filesystem::path m_folder;
    int m_folderCount = 0;  // the list's first entries are folders
    std::string m_pathName;
};
