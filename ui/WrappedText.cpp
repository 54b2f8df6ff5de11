// Text wrapped by soft line breaks: where the lines start, and the way back to the text.
#include "ui/WrappedText.h"

#include <imgui_internal.h>

#include <algorithm>

std::vector<size_t> WrapPoints(ImFont* font, float size, const std::string& text, float width)
{
    const float scale = size / font->FontSize;
    std::vector<size_t> points;
    float line = 0.0f, atSpace = 0.0f;
    size_t afterSpace = std::string::npos;
    const char* begin = text.c_str();
    const char* end = begin + text.size();
    for (size_t i = 0; i < text.size();) {
        unsigned int cp = 0;
        const int n = std::max(1, ImTextCharFromUtf8(&cp, begin + i, end));
        if (cp == '\n') {
            line = 0.0f;
            afterSpace = std::string::npos;
            i += size_t(n);
            continue;
        }
        const float w = font->GetCharAdvance(ImWchar(cp)) * scale;
        if (line + w > width && line > 0.0f) {
            if (afterSpace != std::string::npos) {
                points.push_back(afterSpace);
                line -= atSpace;
            } else {
                points.push_back(i);
                line = 0.0f;
            }
            afterSpace = std::string::npos;
        }
        line += w;
        if (cp == ' ') {
            afterSpace = i + size_t(n);
            atSpace = line;
        }
        i += size_t(n);
    }
    return points;
}

SWrapped Wrap(ImFont* font, float size, const std::string& text, float width)
{
    SWrapped w;
    const std::vector<size_t> points = WrapPoints(font, size, text, width);
    w.shown.reserve(text.size() + points.size());
    size_t from = 0;
    for (size_t p : points) {
        w.shown.append(text, from, p - from);
        w.breaks.push_back(w.shown.size());
        w.shown += '\n';
        from = p;
    }
    w.shown.append(text, from, std::string::npos);
    return w;
}

std::string Unwrap(const std::string& shown, const std::vector<size_t>& breaks)
{
    std::string text;
    text.reserve(shown.size());
    size_t from = 0;
    for (size_t b : breaks) {
        text.append(shown, from, b - from);
        from = b + 1;
    }
    text.append(shown, std::min(from, shown.size()), std::string::npos);
    return text;
}
size_t TextPosition(const std::vector<size_t>& breaks, size_t shownPos)
{
    return shownPos - size_t(std::lower_bound(breaks.begin(), breaks.end(), shownPos) - breaks.begin());
}
size_t ShownPosition(const std::vector<size_t>& breaks, size_t textPos)
{
    // A position where a soft line starts stands at the start of that line.
    size_t pos = textPos;
    for (size_t b : breaks) {
        if (b <= pos) ++pos;
        else break;
    }
    return pos;
}
