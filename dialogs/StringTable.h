// The program's string table: tooltips of dialog controls and the toolbar, keyed by id.
#pragma once

#include <string>

// The text of string id; empty when the table has no such entry.
std::string LoadResourceString(int id);
// The tooltip of a dialog control: the entry whose id is the control's. Controls without an id
// of their own (-1) have none; an id without an entry has an empty one.
bool HasTooltip(int controlId);
