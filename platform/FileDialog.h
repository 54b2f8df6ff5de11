// Open and save questions for a file: one function, a replaceable handler (the program's own
// dialog when there is a display, a scripted answer in tests).
#pragma once

#include <functional>
#include <string>

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
// Installs a handler; returns the previous one.
FileDialogHandler SetFileDialogHandler(FileDialogHandler handler);
