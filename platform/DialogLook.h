// The look of each dialog as plain data, the one definition that every system's drawing follows:
// its colours and the face of its letters, by the dialog's template id.
#pragma once

#include <cstdint>

enum class EDialogFace : uint8_t {
    Plain,    // the plain sans of text areas, tooltips and ordinary dialogs
    Digital,  // the segment-display face of the options and share dialogs
    Heavy,    // the heavy condensed face of the about and help boxes
};

// Colours as the system's COLORREF holds them: 0x00BBGGRR.
constexpr uint32_t DialogRgb(int r, int g, int b) { return uint32_t(r & 255) | uint32_t(g & 255) << 8 | uint32_t(b & 255) << 16; }

struct SDialogScheme {
    uint32_t text = DialogRgb(0, 0, 0);
    uint32_t face = DialogRgb(240, 240, 240);  // the dialog's background
    bool dark = false;                          // coloured letters on black; else the system's colours
    EDialogFace font = EDialogFace::Plain;
};

// Options red, share green, help golden on black; about in the heavy face on the ordinary colours;
// every other dialog (setup, orb group, colour, message boxes) plain.
SDialogScheme DialogSchemeOf(int templateId);
