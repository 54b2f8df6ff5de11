// The colour dialog of our own: a colour picker with red, green and blue entries, OK and Cancel,
// and the colour question that it answers where the system has no dialog of its own.
#pragma once

#include <cstdint>

#include "platform/Dialog.h"

using COLORREF = uint32_t;
// The classic packing: red in the low byte, then green, then blue.
constexpr COLORREF RGB(int r, int g, int b)
{
    return COLORREF(r & 255) | (COLORREF(g & 255) << 8) | (COLORREF(b & 255) << 16);
}

// Asks for a colour, opening at initial: the installed handler (the system's dialog on Windows)
// when there is one, else CColorDlg. True with the colour, false when the user cancelled.
bool AfxColorDialog(COLORREF initial, COLORREF* color);

class CColorDlg : public CDialog {
public:
    static constexpr int kTemplate = 150;
    enum : int { kPickerId = 1101, kRedId = 1102, kGreenId = 1103, kBlueId = 1104 };

    explicit CColorDlg(COLORREF initial = 0);

    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;

    // The colour chosen with OK.
    COLORREF GetColor() const { return m_color; }
    // What the entries hold now, each channel 0..255 (an entry that is no number counts as 0);
    // the picker shows it and writes back into the entries when dragged.
    COLORREF EnteredColor() const;
    void EnterColor(COLORREF color);

    COLORREF m_color;

private:
    int m_red = 0, m_green = 0, m_blue = 0;
};
