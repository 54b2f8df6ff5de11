// What the system's controls do not show by themselves and the drawn dialogs do: each slider's
// position beside its track, signs a dialog face lacks drawn from the plain face, a label's whole
// text, and the frames of the coloured dialogs in their colour instead of the system's grey and white.
#pragma once

#include <string>
#include <vector>

#include "platform/DialogLook.h"
#include "platform/win32/Win32.h"

#include <commctrl.h>

// a, with percentB of b mixed in (a dark scheme's border and greyed letters from its face and text).
COLORREF MixColors(COLORREF a, COLORREF b, int percentB);

// A stretch of a label in one face: the dialog's own, or the plain face for signs it lacks.
struct SLabelRun {
    std::wstring text;
    bool fallback = false;
};

// The label in runs by the face that has each letter; a font that has every letter gives one run.
std::vector<SLabelRun> LabelRuns(HDC dc, const std::wstring& text);

// Once the dialog manager has made the controls (in the template's order): a slider gets its
// position's label, a label whose text needs more lines than it has grows into the free room
// below it, labels are drawn in runs by face, and a dark scheme's group boxes and field borders
// take its colours.
void DecorateControls(HWND dialog, const std::vector<HWND>& controls, const CDialog& dlg, const SDialogScheme& scheme);

// The slider's label shows its position (and is greyed with it).
void ShowSliderValue(HWND slider);

// A slider of a dark scheme drawn by parts (its custom draw notification): the track a field as
// high as the thumb, the thumb in the scheme's colour. Gives the notification's answer.
LRESULT DrawSliderPart(const NMCUSTOMDRAW& cd, const SDialogScheme& scheme);
