// Text wrapped to a width by line breaks of its own ("soft" breaks) that never reach the text:
// what is kept, copied and read back is the text as it is. Letters are read as UTF-8.
#pragma once

#include <imgui.h>

#include <cstddef>
#include <string>
#include <vector>

struct SWrapped {
    std::string shown;          // the text with the soft breaks
    std::vector<size_t> breaks; // where the soft breaks stand in shown, ascending
};

// Where lines must start so that none is wider than width in font at size: after the last space
// that fits, or inside a word that is longer than the line (a universal string has no spaces).
std::vector<size_t> WrapPoints(ImFont* font, float size, const std::string& text, float width);
SWrapped Wrap(ImFont* font, float size, const std::string& text, float width);
// The text without the soft breaks, and a position of shown as a position of the text (and back).
std::string Unwrap(const std::string& shown, const std::vector<size_t>& breaks);
size_t TextPosition(const std::vector<size_t>& breaks, size_t shownPos);
size_t ShownPosition(const std::vector<size_t>& breaks, size_t textPos);
