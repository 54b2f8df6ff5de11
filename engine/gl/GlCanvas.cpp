// Clearing and picture textures for dialogs, on the shared context.
#include "engine/gl/GlCanvas.h"

#include "engine/gl/Gl.h"

#include "engine/core/Dib.h"

void GlClearDrawable(int width, int height, float r, float g, float b)
{
    glViewport(0, 0, width, height);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(r, g, b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

unsigned GlCreateTexture(const CDIB& picture)
{
    if (picture.IsEmpty()) return 0;
    GLuint texture = 0;
    glGenTextures(1, &texture);
    if (!texture) return 0;
    GLint previous = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, picture.GetWidth(), picture.GetHeight(), 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 picture.Pixels());
    glBindTexture(GL_TEXTURE_2D, GLuint(previous));
    return texture;
}

void GlDeleteTexture(unsigned texture)
{
    if (!texture) return;
    const GLuint t = texture;
    glDeleteTextures(1, &t);
}
