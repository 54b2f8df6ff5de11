// The about box: the program's icon, version, maker's notice and the about text with its credits.
#pragma once

#include "platform/Dialog.h"

constexpr int kAboutTextId = 1012;

class CAboutDlg : public CDialog {
public:
    static constexpr int kTemplate = 100;
    static const char* const kAboutText;

    CAboutDlg();
    // Puts the about text into the text member; data exchange shows it when the box opens.
    void SetAboutText();
    void DoDataExchange(CDataExchange* pDX) override;

    std::string m_text;
};
