// A cursor made from a picture (the sight over the universe).
#include "platform/win32/Win32Cursor.h"

#include <cstdint>

#include "engine/core/Dib.h"

namespace {
HCURSOR CursorFromDib(const CDIB& dib)
{
    const int w = dib.GetWidth(), h = dib.GetHeight();
    BITMAPV5HEADER bi{};
    bi.bV5Size = sizeof(bi);
    bi.bV5Width = w;
    bi.bV5Height = -h;  // top-down rows, as the picture holds them
    bi.bV5Planes = 1;
    bi.bV5BitCount = 32;
    bi.bV5Compression = BI_BITFIELDS;
    bi.bV5RedMask = 0x00FF0000;
    bi.bV5GreenMask = 0x0000FF00;
    bi.bV5BlueMask = 0x000000FF;
    bi.bV5AlphaMask = 0xFF000000;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HBITMAP color = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    if (!color) return nullptr;
    const uint8_t* src = dib.Pixels();
    auto* dst = static_cast<uint8_t*>(bits);
    for (int i = 0; i < w * h; ++i) {
        dst[4 * i + 0] = src[4 * i + 2];
        dst[4 * i + 1] = src[4 * i + 1];
        dst[4 * i + 2] = src[4 * i + 0];
        dst[4 * i + 3] = src[4 * i + 3];
    }
    HBITMAP mask = CreateBitmap(w, h, 1, 1, nullptr);
    ICONINFO info{FALSE, DWORD(w / 2), DWORD(h / 2), mask, color};
    HCURSOR cursor = CreateIconIndirect(&info);
    DeleteObject(mask);
    DeleteObject(color);
    return cursor;
}
}

HCURSOR CreateCursorFromPicture(const std::string& image)
{
    try {
        return CursorFromDib(CDIB(image));
    } catch (...) {
        // A missing cursor picture leaves the system's arrow.
        return nullptr;
    }
}
