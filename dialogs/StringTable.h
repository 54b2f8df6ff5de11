// The program's string table: tooltips of dialog controls and the toolbar, keyed by id.
#pragma once

#include <string>

// The text of string id; empty when the table has no such entry.
std::string LoadResourceString(int id);
// The tip of control controlId in the dialog of template templateId; empty when none is meant
// for that control (ids shared by controls of different dialogs, or a string of another kind,
// give no tip where the text would describe something else).
std::string ControlTip(int templateId, int controlId);
