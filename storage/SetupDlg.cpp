// The setup dialog's template and its universe list.
#include "storage/SetupDlg.h"

#include <filesystem>

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

BOOL CSetupDlg::OnCommand(int id, int code)
{
    if (id != kSetupUniversesId) return CDialog::OnCommand(id, code);
    SDialogControl& list = *GetDlgItem(kSetupUniversesId);
    if (code == CBN_SETFOCUS) {
        const int shown = list.selection;
        const std::string entry = shown >= 0 && shown < int(list.items.size()) ? list.items[size_t(shown)] : "";
        FillUniverseList(list.items);
        // The refilled list keeps showing what was chosen, where it is still there.
        list.selection = -1;
        for (size_t i = 0; i < list.items.size(); ++i)
            if (list.items[i] == entry) list.selection = int(i);
        return TRUE;
    }
    if (code != CBN_SELCHANGE || list.selection < 0) return TRUE;
    if (list.selection != int(list.items.size()) - 1) {
        // A sub-folder of the library is no universe: the earlier choice stands.
        if (list.items[size_t(list.selection)].front() == '[') return TRUE;
        m_chosenUniverse = (UniverseListFolder() / list.items[size_t(list.selection)]).string();
        return TRUE;
    }
    SFileDialogOptions ask;
    ask.filter = "Nimbula Data (*.nmd)|*.nmd|";
    ask.defaultExt = "nmd";
    std::string path;
    if (AfxFileDialog(ask, &path)) m_chosenUniverse = path;
    return TRUE;
}
