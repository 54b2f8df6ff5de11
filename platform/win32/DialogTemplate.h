// A dialog's controls (plain data in dialog units) as the system's in-memory dialog template: a
// DLGTEMPLATEEX header with the caption and font, then one DLGITEMTEMPLATEEX per control in the
// dialog's order, each on a DWORD boundary, as DialogBoxIndirectParamW reads it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Dialog.h"
#include "platform/DialogLook.h"

// The face a dialog template names, with its size and weight.
struct SDialogFont {
    std::wstring face;
    uint16_t points = 8;
    uint16_t weight = 400;
};

// The window class of a control (a predefined class's atom, or a class name when atom is 0) and
// the styles it is made with.
struct SControlClass {
    uint16_t atom = 0;
    std::wstring name;
    uint32_t style = 0;
    uint32_t exStyle = 0;
};

// ownerDrawButtons: push buttons the host paints itself (the system's ignore a dark scheme).
SControlClass ControlClassOf(const SDialogControl& c, bool ownerDrawButtons);
// The window styles of the dialog for its frame.
uint32_t DialogStyleOf(EDialogFrame frame);
// A caption or label as the face shows it: the segment face has no small letters.
std::wstring ShownLabel(const std::string& text, EDialogFace face);
std::vector<uint8_t> BuildDialogTemplate(const CDialog& dlg, const SDialogFont& font, EDialogFace face,
                                         bool ownerDrawButtons);
