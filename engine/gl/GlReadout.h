// A short line of text (digits and the letters of "FPS") in the bottom-left corner, drawn with GL.
#pragma once

#include <memory>
#include <string>

class CGlReadout {
public:
    CGlReadout();
    ~CGlReadout();

    // Draws text over whatever the frame holds, into a width x height drawable; characters
    // without a glyph are left blank. Leaves depth untouched.
    void Draw(const std::string& text, int width, int height);
    // The GL context is gone: forget every GPU name without deleting it.
    void AbandonContext();

private:
    struct SState;
    std::unique_ptr<SState> m_state;
};
