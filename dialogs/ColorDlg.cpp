// The colour dialog: the entries are the truth; the picker reads and writes them.
#include "dialogs/ColorDlg.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/ColorDialog.h"

namespace {
constexpr const char* kChannelRangeText = "Please enter an integer between 0 and 255.";

int ChannelOf(const SDialogControl* c)
{
    if (!c) return 0;
    return std::clamp(std::atoi(c->text.c_str()), 0, 255);
}
}

bool AfxColorDialog(COLORREF initial, COLORREF* color)
{
    if (const ColorDialogHandler& handler = GetColorDialogHandler()) {
        uint32_t chosen = initial;
        if (!handler(initial, &chosen)) return false;
        *color = COLORREF(chosen & 0xFFFFFF);
        return true;
    }
    CColorDlg dlg(initial);
    if (dlg.DoModal() != IDOK) return false;
    *color = dlg.GetColor();
    return true;
}

CColorDlg::CColorDlg(COLORREF initial) : CDialog(kTemplate, "Color", 236, 152), m_color(initial)
{
    AddControl(EControl::Frame, kPickerId, "", 7, 7, 150, 118);
    AddControl(EControl::Static, -1, "Red:", 166, 10, 28, 9);
    AddControl(EControl::Edit, kRedId, "", 196, 8, 32, 12, kNumber);
    AddControl(EControl::Static, -1, "Green:", 166, 28, 28, 9);
    AddControl(EControl::Edit, kGreenId, "", 196, 26, 32, 12, kNumber);
    AddControl(EControl::Static, -1, "Blue:", 166, 46, 28, 9);
    AddControl(EControl::Edit, kBlueId, "", 196, 44, 32, 12, kNumber);
    AddControl(EControl::DefPushButton, IDOK, "OK", 122, 131, 50, 14);
    AddControl(EControl::PushButton, IDCANCEL, "Cancel", 178, 131, 50, 14);
    for (SDialogControl& c : m_controls)
        if (c.kind == EControl::Edit) c.textLimit = 3;
    m_initialFocusId = kRedId;
}

BOOL CColorDlg::OnInitDialog()
{
    m_red = int(m_color & 255);
    m_green = int((m_color >> 8) & 255);
    m_blue = int((m_color >> 16) & 255);
    return CDialog::OnInitDialog();
}

void CColorDlg::DoDataExchange(CDataExchange* pDX)
{
    DDX_Text(pDX, kRedId, m_red);
    DDX_Text(pDX, kGreenId, m_green);
    DDX_Text(pDX, kBlueId, m_blue);
    if (!pDX->m_bSaveAndValidate || pDX->m_failed) return;
    // A channel holds one byte.
    const int ids[] = {kRedId, kGreenId, kBlueId};
    const int values[] = {m_red, m_green, m_blue};
    for (int i = 0; i < 3; ++i) {
        if (values[i] >= 0 && values[i] <= 255) continue;
        AfxMessageBox(kChannelRangeText, MB_OK | MB_ICONWARNING);
        SetFocusById(ids[i]);
        pDX->m_failed = true;
        return;
    }
}

void CColorDlg::OnOK()
{
    if (!UpdateData(TRUE)) return;
    m_color = RGB(m_red, m_green, m_blue);
    EndDialog(IDOK);
}

COLORREF CColorDlg::EnteredColor() const
{
    return RGB(ChannelOf(GetDlgItem(kRedId)), ChannelOf(GetDlgItem(kGreenId)), ChannelOf(GetDlgItem(kBlueId)));
}

void CColorDlg::EnterColor(COLORREF color)
{
    const int ids[] = {kRedId, kGreenId, kBlueId};
    for (int i = 0; i < 3; ++i)
        if (SDialogControl* c = GetDlgItem(ids[i])) c->text = std::to_string(int((color >> (8 * i)) & 255));
    Invalidate();
}
