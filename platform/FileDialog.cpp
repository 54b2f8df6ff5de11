// The one file question and its replaceable handler.
#include "platform/FileDialog.h"

namespace {
FileDialogHandler& Handler()
{
    static FileDialogHandler handler;
    return handler;
}
}

bool AfxFileDialog(const SFileDialogOptions& options, std::string* path)
{
    // Nobody to ask: the same as a cancelled dialog.
    if (!Handler()) return false;
    return Handler()(options, path);
}

FileDialogHandler SetFileDialogHandler(FileDialogHandler handler)
{
    FileDialogHandler old = std::move(Handler());
    Handler() = std::move(handler);
    return old;
}
