// The share dialog's template and its three buttons.
#include "dialogs/ShareDlg.h"

#include "platform/MessageBox.h"
#include "storage/SettingsStore.h"
#include "storage/ShareMessages.h"
#include "universe/UniversalConstants.h"

namespace {
const char* const kShareNote =
    "Share your worlds with friends by email -\n\tCopy the Universe strings (Control C)\n"
    "               and send them to your friends\n\tPaste (control P) your friends Universes \n"
    "               IN HERE AND SEE THEM RUN";

// A string pasted from a mail arrives broken into lines (and at times indented): white space
// anywhere in it is no letter of the string.
std::string WithoutWhiteSpace(const std::string& s)
{
    std::string out;
    out.reserve(s.size());
    for (char c : s)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '\v' && c != '\f') out += c;
    return out;
}
}

CShareDlg::CShareDlg(CUniversalConstants* block, CSettingsStore* store)
    : CDialog(kTemplate, "Sharing Universal Constants", 218, 184), m_pBlock(block), m_pStore(store)
{
    m_toolTips = true;
    // Getting the running universe's string is what one comes here for first.
    m_initialFocusId = kGetDataId;
    AddControl(EControl::Static, -1, kShareNote, 7, 7, 202, 43);
    AddControl(EControl::Edit, kShareTextId, "", 7, 50, 203, 115, kMultiline | kVScroll);
    AddControl(EControl::PushButton, kMakeDefaultId, "Make Default", 7, 165, 50, 14);
    AddControl(EControl::PushButton, kGetDataId, "Get Data", 58, 165, 50, 14);
    AddControl(EControl::PushButton, kSetDataId, "Set Data", 109, 165, 50, 14);
    AddControl(EControl::DefPushButton, IDOK, "All Done", 159, 165, 50, 14);
}

void CShareDlg::DoDataExchange(CDataExchange* pDX) { DDX_Text(pDX, kShareTextId, m_text); }

BOOL CShareDlg::OnCommand(int id, int code)
{
    if (code == BN_CLICKED) {
        switch (id) {
        case kGetDataId: OnGetData(); return TRUE;
        case kSetDataId: OnSetData(); return TRUE;
        case kMakeDefaultId: OnMakeDefault(); return TRUE;
        default: break;
        }
    }
    return CDialog::OnCommand(id, code);
}

void CShareDlg::OnGetData()
{
    // The whole text is replaced, so a second Get Data leaves one string, not two.
    GetDlgItem(kShareTextId)->text = m_pBlock->EncodeUniversalString();
    Invalidate();
}

void CShareDlg::OnSetData()
{
    try {
        m_pBlock->DecodeUniversalString(WithoutWhiteSpace(GetDlgItem(kShareTextId)->text));
    } catch (int code) {
        AfxMessageBox(UniversalStringFailureText(code), MB_OK | MB_ICONEXCLAMATION);
    } catch (...) {
        AfxMessageBox(UniversalStringFailureText(0), MB_OK | MB_ICONEXCLAMATION);
    }
}

void CShareDlg::OnMakeDefault()
{
    if (m_pStore) m_pStore->SaveDefaultConstants(*m_pBlock);
}
