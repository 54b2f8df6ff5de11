// The framebuffer object that headless pictures (nimbula-tool render, thumbnails) are drawn into.
#include "engine/gl/GlOffscreen.h"

#include "engine/gl/Gl.h"

#include "engine/core/Dib.h"

struct CGlOffscreen::SState {
    GLuint framebuffer = 0;
    GLuint colour = 0;
    GLuint depth = 0;
    int width = 0;
    int height = 0;
};

CGlOffscreen::CGlOffscreen() : m_state(new SState) {}

CGlOffscreen::~CGlOffscreen()
{
    SState& s = *m_state;
    if (s.framebuffer) glDeleteFramebuffers(1, &s.framebuffer);
    if (s.colour) glDeleteRenderbuffers(1, &s.colour);
    if (s.depth) glDeleteRenderbuffers(1, &s.depth);
}

bool CGlOffscreen::Create(int width, int height)
{
    SState& s = *m_state;
    GLint largest = 0;
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &largest);
    if (width < 1 || height < 1 || width > largest || height > largest) return false;
    s.width = width;
    s.height = height;
    // The same buffers a window of ours has: 8 bits a channel and a 24-bit depth buffer.
    glGenRenderbuffers(1, &s.colour);
    glBindRenderbuffer(GL_RENDERBUFFER, s.colour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glGenRenderbuffers(1, &s.depth);
    glBindRenderbuffer(GL_RENDERBUFFER, s.depth);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    glGenFramebuffers(1, &s.framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, s.framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, s.colour);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, s.depth);
    return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE && glGetError() == GL_NO_ERROR;
}

CDIB CGlOffscreen::Read() const
{
    const SState& s = *m_state;
    CDIB picture(s.width, s.height);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, s.framebuffer);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, s.width, s.height, GL_RGBA, GL_UNSIGNED_BYTE, picture.Pixels());
    // GL's rows run bottom up.
    picture.VerticalFlip();
    uint8_t* p = picture.Pixels();
    for (size_t i = 3, n = size_t(s.width) * size_t(s.height) * 4; i < n; i += 4) p[i] = 255;
    return picture;
}
