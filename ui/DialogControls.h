// What the drawing of each kind of control shares: the dialog's colours, where a control stands
// in pixels, its tip and the focus ring. Internal to ui/.
#pragma once

#include <imgui.h>

#include "ui/DialogUi.h"

struct SDialogControl;

struct SColors {
    ImU32 text, face, field, button, hover, pressed, border, disabled, accent;
};

// One dialog being drawn.
struct SContext {
    CDialog& dlg;
    const SDialogLook& look;
    const SColors& colors;
    const SDialogCanvas& canvas;
    ImVec2 origin;  // screen position of the client area's top left corner
    float sx, sy;   // pixels per dialog unit
};

ImVec2 TopLeft(const SContext& k, const SDialogControl& c);
ImVec2 Size(const SContext& k, const SDialogControl& c);
// The control's tip, for the item just drawn, while the mouse rests on it.
void Tooltip(const SContext& k, const SDialogControl& c);
void FocusRing(const SContext& k, ImVec2 a, ImVec2 b);

// An edit box, one line or many (ui/EditBoxUi.cpp).
void DrawEdit(const SContext& k, SDialogControl& c, bool focused);
