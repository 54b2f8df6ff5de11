// The screen saver's setup dialog: the default universe, and a reminder of the two keys that matter.
#pragma once

#include "platform/Dialog.h"

constexpr int kSetupUniversesId = 1003;

class CSetupDlg : public CDialog {
public:
    static constexpr int kTemplate = 138;

    CSetupDlg();
    BOOL OnInitDialog() override;
    BOOL OnCommand(int id, int code) override;

    // The universe file chosen so far, at first the default universe in force (the list shows
    // it); stored as the default universe on OK.
    std::string m_chosenUniverse;
};
