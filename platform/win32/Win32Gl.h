// One WGL 3.3 core context for every window of the program (they share one pixel format).
#pragma once

#include "platform/win32/Win32.h"

class CWglContext {
public:
    CWglContext() = default;
    ~CWglContext();
    CWglContext(const CWglContext&) = delete;
    CWglContext& operator=(const CWglContext&) = delete;

    // Gives the window's device context the program's pixel format; the first call also makes the
    // context and loads GL. vsync: wait for the display's refresh where the driver offers it.
    // False, with the reason on standard error, when there is no OpenGL 3.3.
    bool Attach(HDC dc, bool vsync);
    bool Exists() const { return m_context != nullptr; }
    void MakeCurrent(HDC dc) const;
    // The context goes: nothing is current afterwards.
    void Destroy();

private:
    HGLRC m_context = nullptr;
    int m_format = 0;
};
