// The questions the system's file and colour dialogs are asked (Windows only, run under Wine):
// filters NUL-separated, flags from the options, names and folders in UTF-16, the answer in UTF-8.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/CommonDialogs.h"

using namespace std::string_literals;

TEST(CommonDialogs, FileQuestionsCarryTheFilterNamesFlagsAndLongPaths)
{
    EXPECT_EQ(SystemFileFilter("Nimbula Data (*.nmd)|*.nmd|"), L"Nimbula Data (*.nmd)\0*.nmd\0\0"s);
    // Several patterns of one type, trimmed; no filter at all shows every file.
    EXPECT_EQ(SystemFileFilter("Pictures|*.bmp; *.png|All|*.*"), L"Pictures\0*.bmp;*.png\0All\0*.*\0\0"s);
    EXPECT_EQ(SystemFileFilter(""), L"All Files (*.*)\0*.*\0\0"s);

    SFileDialogOptions save;
    save.save = true;
    save.filter = "Nimbula Data (*.nmd)|*.nmd|";
    save.defaultExt = "nmd";
    save.initialDir = "C:\\Users\\J\xC3\xB6rg\\Nimbula";  // "Jörg" in UTF-8
    save.initialName = "Galaxy.nmd";
    save.confirmOverwrite = true;
    SOpenFileName q(save, nullptr);
    EXPECT_EQ(q.ofn.lStructSize, sizeof(OPENFILENAMEW));
    EXPECT_EQ(std::wstring(q.ofn.lpstrDefExt), L"nmd");
    EXPECT_EQ(std::wstring(q.ofn.lpstrInitialDir), L"C:\\Users\\J\u00F6rg\\Nimbula");
    EXPECT_EQ(std::wstring(q.ofn.lpstrFile), L"Galaxy.nmd");
    EXPECT_EQ(q.ofn.lpstrFilter, q.filter.c_str());
    EXPECT_EQ(q.ofn.nMaxFile, kLongestPath);
    EXPECT_TRUE(q.ofn.Flags & OFN_OVERWRITEPROMPT);
    EXPECT_FALSE(q.ofn.Flags & OFN_FILEMUSTEXIST);
    EXPECT_TRUE(q.ofn.Flags & OFN_NOCHANGEDIR);

    // Open: the file must exist, nothing asks about replacing; no folder or extension given.
    SFileDialogOptions open;
    open.confirmOverwrite = true;  // means nothing when opening
    SOpenFileName o(open, nullptr);
    EXPECT_TRUE(o.ofn.Flags & OFN_FILEMUSTEXIST);
    EXPECT_FALSE(o.ofn.Flags & OFN_OVERWRITEPROMPT);
    EXPECT_EQ(o.ofn.lpstrInitialDir, nullptr);
    EXPECT_EQ(o.ofn.lpstrDefExt, nullptr);
    EXPECT_EQ(o.ChosenPath(), "");

    // The dialog's answer: a long path beyond MAX_PATH with letters outside ASCII comes back whole.
    std::wstring chosen = L"C:\\";
    std::string want = "C:\\";
    while (chosen.size() < 400) {
        chosen += L"\u00E9t\u00E9\\";
        want += "\xC3\xA9t\xC3\xA9\\";
    }
    chosen += L"\u65E5\u672C.nmd";
    want += "\xE6\x97\xA5\xE6\x9C\xAC.nmd";
    std::copy(chosen.begin(), chosen.end(), o.file.begin());
    EXPECT_EQ(o.ChosenPath(), want);
    // An offered name longer than the buffer is cut, never written past it.
    SFileDialogOptions huge;
    huge.initialName.assign(kLongestPath + 10, 'x');
    SOpenFileName h(huge, nullptr);
    EXPECT_EQ(h.ChosenPath().size(), kLongestPath - 1);
}

TEST(CommonDialogs, TheColourQuestionOpensFullyAtTheGivenColourWithTheCustomColours)
{
    COLORREF custom[16] = {};
    HWND owner = reinterpret_cast<HWND>(uintptr_t(0x1234));
    const CHOOSECOLORW cc = ColorQuestion(0xFF804020u, owner, custom);
    EXPECT_EQ(cc.lStructSize, sizeof(CHOOSECOLORW));
    EXPECT_EQ(cc.hwndOwner, owner);
    // Red 0x20, green 0x40, blue 0x80: the high byte is no part of a colour.
    EXPECT_EQ(cc.rgbResult, COLORREF(0x00804020u));
    EXPECT_EQ(GetRValue(cc.rgbResult), 0x20);
    EXPECT_EQ(GetBValue(cc.rgbResult), 0x80);
    EXPECT_EQ(cc.lpCustColors, custom);
    EXPECT_EQ(cc.Flags & (CC_RGBINIT | CC_FULLOPEN), DWORD(CC_RGBINIT | CC_FULLOPEN));
}
