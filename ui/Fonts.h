// The dialogs' fonts: Debian's font files loaded into ImGui's atlas, ImGui's own font when missing.
#pragma once

#include <imgui.h>

#include "ui/DialogUi.h"

// Builds the atlas for a display scale (again only when the scale changes). Never fails: a face
// whose file is missing falls back to ImGui's built-in font.
void LoadDialogFonts(float scale);
ImFont* DialogFont(EFontFace face);
// The plain font of text areas and tooltips.
ImFont* TextAreaFont();
