// The message box's layout: the text wrapped to a fixed width, its buttons at the bottom right.
#include "platform/MessageBoxDlg.h"

#include <algorithm>

namespace {
constexpr int kWidth = 240;
constexpr int kCharsPerLine = 52;  // about what kWidth holds of the plain dialog font
constexpr int kLineHeight = 9;

int CountLines(const std::string& text)
{
    int lines = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines += std::max<int>(1, int((end - start + kCharsPerLine - 1) / kCharsPerLine));
        start = end + 1;
    }
    return lines;
}
}

CMessageBoxDlg::CMessageBoxDlg(const std::string& text, unsigned type)
    : CDialog(kMessageBoxTemplate, "Nimbula", kWidth, 0), m_type(type)
{
    const int textHeight = std::min(CountLines(text), 30) * kLineHeight;
    m_cy = textHeight + 42;
    AddControl(EControl::Static, kMessageTextId, text, 10, 10, kWidth - 20, textHeight);
    const int y = m_cy - 22;
    switch (type & 0xF) {
    case MB_OKCANCEL:
        AddControl(EControl::DefPushButton, IDOK, "OK", kWidth - 110, y, 48, 14);
        AddControl(EControl::PushButton, IDCANCEL, "Cancel", kWidth - 58, y, 48, 14);
        break;
    case MB_YESNO:
        AddControl(EControl::DefPushButton, IDYES, "Yes", kWidth - 110, y, 48, 14);
        AddControl(EControl::PushButton, IDNO, "No", kWidth - 58, y, 48, 14);
        break;
    case MB_YESNOCANCEL:
        AddControl(EControl::DefPushButton, IDYES, "Yes", kWidth - 162, y, 48, 14);
        AddControl(EControl::PushButton, IDNO, "No", kWidth - 110, y, 48, 14);
        AddControl(EControl::PushButton, IDCANCEL, "Cancel", kWidth - 58, y, 48, 14);
        break;
    default:
        AddControl(EControl::DefPushButton, IDOK, "OK", kWidth - 58, y, 48, 14);
        break;
    }
}

BOOL CMessageBoxDlg::OnCommand(int id, int code)
{
    if (code != BN_CLICKED) return FALSE;
    // Escape and the close box answer as the box's "no" button does.
    if (id == IDCANCEL && (m_type & 0xF) == MB_YESNO) id = IDNO;
    if (id == IDCANCEL && (m_type & 0xF) == MB_OK) id = IDOK;
    EndDialog(id);
    return TRUE;
}
