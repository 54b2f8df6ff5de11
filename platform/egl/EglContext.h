// An OpenGL 3.3 core context with no window and no display (EGL on Mesa's surfaceless platform).
#pragma once

#include <string>

class CEglContext {
public:
    CEglContext() = default;
    ~CEglContext();
    CEglContext(const CEglContext&) = delete;
    CEglContext& operator=(const CEglContext&) = delete;

    // Makes the context current on this thread; false with the reason in error when EGL, the
    // surfaceless platform or a 3.3 core context is not to be had.
    bool Create(std::string& error);
    // The renderer's name (GL_RENDERER), once current.
    std::string Renderer() const;

private:
    void* m_display = nullptr;
    void* m_context = nullptr;
};
