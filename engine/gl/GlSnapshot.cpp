// Reads the back buffer: what the frame drew, whether or not the system then shows it.
#include "engine/gl/GlSnapshot.h"

#include "engine/gl/Gl.h"

CDIB ReadBackBuffer(int width, int height)
{
    CDIB dib(width, height);
    if (dib.IsEmpty()) return dib;
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, dib.Pixels());
    // GL's rows run from the bottom up.
    dib.VerticalFlip();
    return dib;
}
