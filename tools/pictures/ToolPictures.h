// nimbula-tool's pictures: render and thumbnail draw a universe with the program's OpenGL renderer
// into a PNG, through a context that needs no display. Only the Linux build links OpenGL.
#pragma once

#include <span>

#include "tools/ToolCommands.h"

// Sides of a rendered picture, and of a thumbnail (the largest size the thumbnail rules name).
constexpr int kMaxPictureSide = 8192;
constexpr int kMaxThumbnailSize = 1024;
// File managers run thumbnailers on whatever lies in a folder: larger files are not looked at,
// and a run that still takes longer than this is ended (no picture is written before the end).
constexpr unsigned long long kMaxThumbnailFileSize = 64ull << 20;
constexpr unsigned kThumbnailSeconds = 10;

// render and thumbnail, for ToolMain.
std::span<const SToolCommand> PictureCommands();
