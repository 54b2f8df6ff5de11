// The dialogs' fonts: Debian's font files loaded into ImGui's atlas, ImGui's own font when missing.
#pragma once

#include <imgui.h>

#include <string>

#include "ui/DialogUi.h"

// Builds the atlas for a display scale (again only when the scale changes or texts asked for
// letters it lacks). Never fails: a face whose file is missing falls back to ImGui's built-in font.
void LoadDialogFonts(float scale);
// A text about to be shown: letters beyond Latin-1 (a Cyrillic, Greek or Chinese file name) that
// the atlas lacks are asked for, from the plain face and the system's fonts that have them.
void RequestGlyphs(const std::string& text);
// Letters were asked for since the atlas was built: build it again before the next frame.
bool FontsNeedRebuild();
ImFont* DialogFont(EFontFace face);
// The plain font of text areas and tooltips.
ImFont* TextAreaFont();
