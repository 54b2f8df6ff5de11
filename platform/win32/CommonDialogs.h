// The questions for the system's common dialogs, made from the program's own: the file dialogs'
// OPENFILENAMEW and the colour dialog's CHOOSECOLORW. Plain filling, no dialog shown, so the unit
// tests read them; platform/win32/Win32CommonDialogs.cpp asks the system with them.
#pragma once

#include <string>
#include <vector>

#include "platform/FileDialog.h"
#include "platform/win32/Win32Controls.h"

// The longest path the file dialogs hand back, in UTF-16 letters (long paths included).
constexpr DWORD kLongestPath = 32768;

// "Name|*.a;*.b|" pairs as the system takes them: "Name\0*.a;*.b\0", ended by a second NUL.
std::wstring SystemFileFilter(const std::string& filter);

// A file question and the buffers it points into: keep it in place while the dialog is shown.
struct SOpenFileName {
    OPENFILENAMEW ofn{};
    std::wstring filter, defaultExt, initialDir;
    std::vector<wchar_t> file;  // the offered name in, the chosen path out

    SOpenFileName(const SFileDialogOptions& options, HWND owner);
    SOpenFileName(const SOpenFileName&) = delete;
    SOpenFileName& operator=(const SOpenFileName&) = delete;
    // The chosen path as UTF-8, after the dialog's OK.
    std::string ChosenPath() const;
};

// The colour question: opens at initial (a COLORREF) with the custom colours given, fully open.
CHOOSECOLORW ColorQuestion(COLORREF initial, HWND owner, COLORREF* customColors);
