// The common dialogs' questions: UTF-8 inside, UTF-16 in what the system reads.
#include "platform/win32/CommonDialogs.h"

#include <algorithm>

#include "platform/win32/Utf8.h"

std::wstring SystemFileFilter(const std::string& filter)
{
    std::wstring out;
    for (const SFileFilter& f : ParseFileFilter(filter)) {
        std::string patterns;
        for (const std::string& p : f.patterns) patterns += (patterns.empty() ? "" : ";") + p;
        out += Widen(f.name);
        out += L'\0';
        out += Widen(patterns);
        out += L'\0';
    }
    out += L'\0';
    return out;
}

SOpenFileName::SOpenFileName(const SFileDialogOptions& options, HWND owner)
    : filter(SystemFileFilter(options.filter)), defaultExt(Widen(options.defaultExt)),
      initialDir(Widen(options.initialDir)), file(kLongestPath, L'\0')
{
    // The offered name, cut to the buffer (a name that long names no file anyway).
    const std::wstring name = Widen(options.initialName);
    std::copy_n(name.begin(), std::min<size_t>(name.size(), file.size() - 1), file.begin());
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filter.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = DWORD(file.size());
    ofn.lpstrInitialDir = initialDir.empty() ? nullptr : initialDir.c_str();
    // The extension is the one of the type chosen in the dialog where it names one, else this.
    ofn.lpstrDefExt = defaultExt.empty() ? nullptr : defaultExt.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_LONGNAMES;
    if (!options.save) ofn.Flags |= OFN_FILEMUSTEXIST;
    if (options.save && options.confirmOverwrite) ofn.Flags |= OFN_OVERWRITEPROMPT;
}

std::string SOpenFileName::ChosenPath() const
{
    const auto end = std::find(file.begin(), file.end(), L'\0');
    return Narrow(std::wstring(file.begin(), end));
}

CHOOSECOLORW ColorQuestion(COLORREF initial, HWND owner, COLORREF* customColors)
{
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof(cc);
    cc.hwndOwner = owner;
    cc.rgbResult = initial & 0xFFFFFF;
    cc.lpCustColors = customColors;
    cc.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR;
    return cc;
}
