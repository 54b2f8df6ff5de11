// The setup dialog's template and its universe list.
#include "dialogs/SetupDlg.h"

#include <filesystem>

#include "engine/core/Utf8Path.h"
#include "platform/FileDialog.h"
#include "storage/UniverseLibrary.h"

CSetupDlg::CSetupDlg() : CDialog(kTemplate, "Nimbula Screensaver Setup", 186, 123)
{
    AddControl(EControl::Static, -1, "Press the 'H' key when running to get online help", 7, 7, 57, 27);
    AddControl(EControl::Static, -1, "Press the 'O' key when running to adjust universal parameters", 7, 40, 56, 34);
    AddControl(EControl::Static, -1, "Select the default Universe", 85, 24, 88, 8);
    AddControl(EControl::ComboBox, kSetupUniversesId, "", 84, 34, 88, 82, kVScroll);
    // The list fills when it first takes the focus: it starts empty, with OK ready.
    m_initialFocusId = IDOK;
    AddControl(EControl::PushButton, IDCANCEL, "Cancel", 88, 102, 44, 14);
    AddControl(EControl::DefPushButton, IDOK, "OK", 135, 102, 44, 14);
}

BOOL CSetupDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    SDialogControl& list = *GetDlgItem(kSetupUniversesId);
    list.selection = ShowUniverseEntry(list.items, m_chosenUniverse);
    return TRUE;
}

BOOL CSetupDlg::OnCommand(int id, int code)
{
    if (id != kSetupUniversesId) return CDialog::OnCommand(id, code);
    SDialogControl& list = *GetDlgItem(kSetupUniversesId);
    if (code == CBN_SETFOCUS) {
        FillUniverseList(list.items);
        // The refilled list keeps showing what was chosen, where it is still there.
        list.selection = FindUniverseEntry(list.items, m_chosenUniverse);
        return TRUE;
    }
    if (code != CBN_SELCHANGE || list.selection < 0) return TRUE;
    const int chosen = list.selection;
    if (chosen != int(list.items.size()) - 1) {
        if (list.items[size_t(chosen)].front() != '[') {
            m_chosenUniverse = Utf8FromPath(UniverseListFolder() / PathFromUtf8(list.items[size_t(chosen)]));
            return TRUE;
        }
        // A sub-folder of the library is no universe: the earlier choice stands, and shows.
    } else {
        SFileDialogOptions ask;
        ask.filter = "Nimbula Data (*.nmd)|*.nmd|";
        ask.defaultExt = "nmd";
        std::string path;
        if (AfxFileDialog(ask, &path)) {
            m_chosenUniverse = path;
            // A file from elsewhere shows as "Other...".
            const int entry = FindUniverseEntry(list.items, path);
            list.selection = entry >= 0 ? entry : chosen;
            return TRUE;
        }
    }
    list.selection = FindUniverseEntry(list.items, m_chosenUniverse);
    Invalidate();
    return TRUE;
}
