// A picture drawn with no window: a framebuffer object of colour and depth, read back as an image.
#pragma once

#include <memory>

class CDIB;

class CGlOffscreen {
public:
    CGlOffscreen();
    ~CGlOffscreen();
    CGlOffscreen(const CGlOffscreen&) = delete;
    CGlOffscreen& operator=(const CGlOffscreen&) = delete;

    // Makes the framebuffer in the current context and draws into it from then on; false when
    // the context cannot make one of that size.
    bool Create(int width, int height);
    // What was drawn, top row first, fully opaque (a window shows no transparency either).
    CDIB Read() const;

private:
    struct SState;
    std::unique_ptr<SState> m_state;
};
