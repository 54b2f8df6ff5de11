// WGL: a pixel format with depth, a legacy context just long enough to reach
// wglCreateContextAttribsARB, then the 3.3 core context and GL through the glad loader.
#include "platform/win32/Win32Gl.h"

#include <glad/gl.h>
#include <glad/wgl.h>

#include <cstdio>

namespace {
int ChooseFormat(HDC dc)
{
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof(pfd);
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 32;
    pfd.cAlphaBits = 8;
    pfd.cDepthBits = 24;
    pfd.cStencilBits = 8;
    pfd.iLayerType = PFD_MAIN_PLANE;
    return ChoosePixelFormat(dc, &pfd);
}

bool SetFormat(HDC dc, int format)
{
    PIXELFORMATDESCRIPTOR pfd{};
    DescribePixelFormat(dc, format, sizeof(pfd), &pfd);
    return SetPixelFormat(dc, format, &pfd) != FALSE;
}
}

CWglContext::~CWglContext() { Destroy(); }

bool CWglContext::Attach(HDC dc, bool vsync)
{
    if (m_context) {
        // A window's pixel format is set once for its life; every window takes the same one.
        if (GetPixelFormat(dc) != m_format && !SetFormat(dc, m_format)) {
            std::fprintf(stderr, "nimbula: cannot give a window the OpenGL pixel format (error %lu)\n", GetLastError());
            return false;
        }
        return true;
    }
    m_format = ChooseFormat(dc);
    if (m_format == 0 || !SetFormat(dc, m_format)) {
        std::fprintf(stderr, "nimbula: no OpenGL pixel format with a depth buffer (error %lu)\n", GetLastError());
        return false;
    }
    HGLRC legacy = wglCreateContext(dc);
    if (!legacy || !wglMakeCurrent(dc, legacy)) {
        std::fprintf(stderr, "nimbula: no OpenGL context (error %lu)\n", GetLastError());
        if (legacy) wglDeleteContext(legacy);
        return false;
    }
    if (!gladLoaderLoadWGL(dc) || !GLAD_WGL_ARB_create_context || !GLAD_WGL_ARB_create_context_profile) {
        std::fprintf(stderr, "nimbula: the OpenGL driver cannot make a 3.3 core context (no WGL_ARB_create_context)\n");
        wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(legacy);
        return false;
    }
    const int attributes[] = {WGL_CONTEXT_MAJOR_VERSION_ARB, 3, WGL_CONTEXT_MINOR_VERSION_ARB, 3,
                              WGL_CONTEXT_PROFILE_MASK_ARB, WGL_CONTEXT_CORE_PROFILE_BIT_ARB, 0};
    m_context = wglCreateContextAttribsARB(dc, nullptr, attributes);
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(legacy);
    if (!m_context || !wglMakeCurrent(dc, m_context)) {
        std::fprintf(stderr, "nimbula: no OpenGL 3.3 core context (error %lu)\n", GetLastError());
        Destroy();
        return false;
    }
    if (!gladLoaderLoadGL()) {
        std::fprintf(stderr, "nimbula: cannot load the OpenGL 3.3 functions\n");
        Destroy();
        return false;
    }
    // Without the extension the program's own pacer keeps the rate.
    if (GLAD_WGL_EXT_swap_control) wglSwapIntervalEXT(vsync ? 1 : 0);
    return true;
}

void CWglContext::MakeCurrent(HDC dc) const
{
    // Every paint asks; under Wine each switch is a round trip to the X server.
    if (m_context && (wglGetCurrentContext() != m_context || wglGetCurrentDC() != dc)) wglMakeCurrent(dc, m_context);
}

void CWglContext::Destroy()
{
    if (!m_context) return;
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(m_context);
    m_context = nullptr;
}
