// A message box as a dialog of our own, so that it shows over a full-screen window.
#pragma once

#include "platform/Dialog.h"

constexpr int kMessageBoxTemplate = 0;
constexpr int kMessageTextId = 0xFFFF;

class CMessageBoxDlg : public CDialog {
public:
    // type: the MB_ buttons and icon of the message.
    CMessageBoxDlg(const std::string& text, unsigned type);
    BOOL OnCommand(int id, int code) override;

    unsigned m_type;
};
