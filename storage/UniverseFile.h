// Universe files in the running program: what is on screen captured into one, a checked one put
// in place of the running universe, and the open and save questions.
#pragma once

#include <string>
#include <vector>

#include "platform/FileDialog.h"
#include "storage/OrbGroup.h"
#include "storage/UniverseStream.h"
#include "view/LoadOutcome.h"

class CLocalCoordinateSystem;

// A path as the loader takes it: one starting with '/' as it stands, any other relative to the
// current directory.
std::string ResolveUniversePath(const std::string& path);
// The open or save question for universe files, opening in the universe library.
SFileDialogOptions UniverseFileDialogOptions(bool save);

// The running universe as a file: the view's camera (else the constants' start camera), the
// editing frame's groups (none: one record of every orb's current position with the built-in
// texture), and the constants. Each group is written with its count: the start positions of its
// own orbs (their places as shown while time stands still), then, for orbs New has not made yet,
// places in the box from a sequence of the save's own. The records point at the live textures.
SUniverseFile CaptureUniverse(const CLocalCoordinateSystem* camera, const std::vector<COrbGroup>& groups);
// Replaces the running universe with a checked file: every orb, the view's camera when there is a
// view, the constants, and the orbs at their start positions. In editing mode the file's group
// definitions replace groups (a file without any leaves none).
void ApplyUniverse(SUniverseFile& file, std::vector<COrbGroup>* groups);

// Loads a universe file for every caller (start-up, Open, the options dialog's list). A null path
// asks with the open question. The whole file is read and checked before the running universe is
// touched: a missing or damaged file shows its messages (with its path and the reason on standard
// error) and leaves the universe as it was. A successful load becomes the default universe in the
// settings store. Never throws: every end is in the outcome.
SLoadOutcome LoadUniverse(const std::string* path, std::vector<COrbGroup>* groups);

// The editing frame's Save: asks with the save question when path is null (saving over a file is
// confirmed there), then writes the running universe. False when cancelled or when the file could
// not be written (a message names the file; a file already there is left as it was).
bool SaveUniverse(const std::vector<COrbGroup>& groups, const std::string* path = nullptr);
