// A context that needs no X server: pictures drawn into a framebuffer object and read back.
#include "platform/egl/EglContext.h"

#include <dlfcn.h>

#include <cstdio>

#include <epoxy/egl.h>
#include <epoxy/gl.h>

namespace {
// EGL's own words for its errors, for a message a person can look up.
std::string EglError(const char* what)
{
    char code[16];
    std::snprintf(code, sizeof code, "0x%04X", unsigned(eglGetError()));
    return std::string(what) + " failed (EGL error " + code + ")";
}
}

CEglContext::~CEglContext()
{
    const auto display = EGLDisplay(m_display);
    if (!display) return;
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (m_context) eglDestroyContext(display, EGLContext(m_context));
    eglTerminate(display);
}

bool CEglContext::Create(std::string& error)
{
    // libepoxy ends the process when it cannot open libEGL: look for it first. The handle stays
    // open, as libepoxy's own does.
    if (!dlopen("libEGL.so.1", RTLD_LAZY | RTLD_LOCAL)) {
        error = "libEGL.so.1 cannot be opened (Debian's libegl1 and libegl-mesa0 are needed)";
        return false;
    }
    // The surfaceless platform draws without any display server, whatever $DISPLAY says.
    if (!epoxy_has_egl_extension(EGL_NO_DISPLAY, "EGL_MESA_platform_surfaceless")) {
        error = "EGL has no surfaceless platform (Mesa's libegl-mesa0 is needed)";
        return false;
    }
    EGLDisplay display = eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY) {
        error = EglError("eglGetPlatformDisplayEXT");
        return false;
    }
    EGLint major = 0, minor = 0;
    if (!eglInitialize(display, &major, &minor)) {
        error = EglError("eglInitialize");
        return false;
    }
    m_display = display;
    if (!eglBindAPI(EGL_OPENGL_API)) {
        error = EglError("eglBindAPI(OpenGL)");
        return false;
    }
    // No surface: the picture goes into a framebuffer object of the caller's.
    const EGLint configAttribs[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT,
                                    EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8, EGL_BLUE_SIZE, 8, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint count = 0;
    if (!eglChooseConfig(display, configAttribs, &config, 1, &count) || count < 1) {
        error = count < 1 ? "EGL offers no OpenGL configuration" : EglError("eglChooseConfig");
        return false;
    }
    const EGLint contextAttribs[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 3,
                                     EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT, EGL_NONE};
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttribs);
    if (context == EGL_NO_CONTEXT) {
        error = EglError("eglCreateContext (OpenGL 3.3 core)");
        return false;
    }
    m_context = context;
    if (!eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context)) {
        error = EglError("eglMakeCurrent");
        return false;
    }
    return true;
}

std::string CEglContext::Renderer() const
{
    const auto* text = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    return text ? text : "";
}
