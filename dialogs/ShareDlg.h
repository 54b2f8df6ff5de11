// The share dialog: a universe's constants as a universal string, out to friends and back in.
#pragma once

#include "platform/Dialog.h"

class CSettingsStore;
class CUniversalConstants;

constexpr int kShareTextId = 1014;
constexpr int kGetDataId = 3;
constexpr int kSetDataId = 4;
constexpr int kMakeDefaultId = 5;

class CShareDlg : public CDialog {
public:
    static constexpr int kTemplate = 105;
    static constexpr unsigned kTextColor = 0x00FF00;  // COLORREF of RGB(0, 255, 0)

    // The block the dialog reads and replaces, and the store Make Default writes (may be null).
    CShareDlg(CUniversalConstants* block, CSettingsStore* store);

    BOOL OnCommand(int id, int code) override;
    void DoDataExchange(CDataExchange* pDX) override;

    // Get Data: the box holds exactly the string of the running constants.
    void OnGetData();
    // Set Data: the box's text, white space left out, becomes the constants; a message says why it cannot.
    void OnSetData();
    void OnMakeDefault();

    std::string m_text;

private:
    CUniversalConstants* m_pBlock;
    CSettingsStore* m_pStore;
};
