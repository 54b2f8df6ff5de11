// Plays Windows' Display Properties for the preview test: makes a window, starts the screen saver
// with /p and that window's handle (decimal), and reports what became of it:
//   child W H        the saver's child window inside ours and its size
//   pixels LIT TOTAL  how many pixels of our client area the child's picture lit (read back with GDI)
//   resized W H      the child's size after our window grew (then it is asked to repaint)
//   exit CODE        the saver's exit status after our window went
// Usage: nimbula-preview-host.exe SAVER.scr OUT.bmp
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {
HWND g_child = nullptr;

BOOL CALLBACK FindChild(HWND hwnd, LPARAM)
{
    g_child = hwnd;
    return FALSE;
}

void Pump(DWORD ms)
{
    const ULONGLONG end = GetTickCount64() + ms;
    while (GetTickCount64() < end) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    }
}

// Waits until the saver's child shows up in our window; false after the time-out.
bool WaitForChild(HWND host, DWORD ms)
{
    const ULONGLONG end = GetTickCount64() + ms;
    while (GetTickCount64() < end) {
        g_child = nullptr;
        EnumChildWindows(host, FindChild, 0);
        if (g_child) return true;
        Pump(50);
    }
    return false;
}

SIZE ClientSize(HWND hwnd)
{
    RECT r{};
    GetClientRect(hwnd, &r);
    return {r.right, r.bottom};
}

// The client area as GDI reads it (the child's picture included), into a bottom-up 24-bit BMP;
// returns the count of pixels that are not black.
long Capture(HWND hwnd, const char* path, long* total)
{
    const SIZE s = ClientSize(hwnd);
    HDC dc = GetDC(hwnd);
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bmp = CreateCompatibleBitmap(dc, s.cx, s.cy);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, s.cx, s.cy, dc, 0, 0, SRCCOPY | CAPTUREBLT);
    SelectObject(mem, old);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = s.cx;
    bi.bmiHeader.biHeight = s.cy;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    bi.bmiHeader.biCompression = BI_RGB;
    const long stride = (s.cx * 3 + 3) & ~3L;
    std::vector<unsigned char> pixels(size_t(stride * s.cy));
    GetDIBits(mem, bmp, 0, UINT(s.cy), pixels.data(), &bi, DIB_RGB_COLORS);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(hwnd, dc);
    long lit = 0;
    for (long y = 0; y < s.cy; ++y)
        for (long x = 0; x < s.cx; ++x) {
            const unsigned char* p = &pixels[size_t(y * stride + x * 3)];
            if (p[0] > 40 || p[1] > 40 || p[2] > 40) ++lit;
        }
    *total = s.cx * s.cy;
    BITMAPFILEHEADER fh{};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(fh) + sizeof(bi.bmiHeader);
    fh.bfSize = DWORD(fh.bfOffBits + pixels.size());
    if (FILE* f = std::fopen(path, "wb")) {
        std::fwrite(&fh, sizeof(fh), 1, f);
        std::fwrite(&bi.bmiHeader, sizeof(bi.bmiHeader), 1, f);
        std::fwrite(pixels.data(), 1, pixels.size(), f);
        std::fclose(f);
    }
    return lit;
}
}

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: nimbula-preview-host SAVER.scr OUT.bmp\n");
        return 2;
    }
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    wc.lpszClassName = L"NimbulaPreviewHost";
    RegisterClassW(&wc);
    HWND host = CreateWindowExW(0, wc.lpszClassName, L"nimbula preview host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                320, 240, nullptr, nullptr, wc.hInstance, nullptr);
    Pump(200);

    std::wstring command = L"\"" + std::wstring(argv[1]) + L"\" /p " + std::to_wstring(uintptr_t(host));
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        std::printf("cannot start the saver (error %lu)\n", GetLastError());
        return 1;
    }
    if (!WaitForChild(host, 60000)) {
        std::printf("no child window\n");
        TerminateProcess(pi.hProcess, 1);
        return 1;
    }
    const SIZE cs = ClientSize(g_child);
    std::printf("child %ld %ld\n", cs.cx, cs.cy);
    std::fflush(stdout);
    // The first frame is drawn at once; give a loaded machine its time, then read it.
    Pump(3000);
    char path[MAX_PATH];
    WideCharToMultiByte(CP_UTF8, 0, argv[2], -1, path, MAX_PATH, nullptr, nullptr);
    long total = 0;
    const long lit = Capture(host, path, &total);
    std::printf("pixels %ld %ld\n", lit, total);
    std::fflush(stdout);

    SetWindowPos(host, nullptr, 0, 0, 480, 360, SWP_NOMOVE | SWP_NOZORDER);
    const SIZE want = ClientSize(host);
    SIZE now{0, 0};
    for (int i = 0; i < 200; ++i) {
        Pump(50);
        now = ClientSize(g_child);
        if (now.cx == want.cx && now.cy == want.cy) break;
    }
    std::printf("resized %ld %ld of %ld %ld\n", now.cx, now.cy, want.cx, want.cy);
    std::fflush(stdout);
    // Display Properties repaints its preview once it has settled: the saver draws again at the
    // size its window has now, a still picture that must show the orbs.
    InvalidateRect(g_child, nullptr, FALSE);
    Pump(1500);

    DestroyWindow(host);
    DWORD code = 259;
    if (WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
    else TerminateProcess(pi.hProcess, 1);
    std::printf("exit %lu\n", code);
    return 0;
}
