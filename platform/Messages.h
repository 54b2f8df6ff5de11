// The window-message vocabulary: Win32 numbers, so views read like the classic API they follow.
#pragma once

#include <cstdint>

using UINT = uint32_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using BOOL = int;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_MOVE = 0x0003;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_NCDESTROY = 0x0082;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_DEADCHAR = 0x0103;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
// The mouse went from the window to another one (or out of the program's windows).
constexpr UINT WM_MOUSELEAVE = 0x02A3;

constexpr WPARAM SC_CLOSE = 0xF060;
constexpr WPARAM SC_SCREENSAVE = 0xF140;

// Bit 29 of a key message's lParam: Alt was held.
constexpr LPARAM kAltContextBit = LPARAM(1) << 29;
// Bit 30 of a key message's lParam: the key was already down (auto-repeat).
constexpr LPARAM kPreviousStateBit = LPARAM(1) << 30;

constexpr WPARAM VK_BACK = 0x08;
constexpr WPARAM VK_TAB = 0x09;
constexpr WPARAM VK_RETURN = 0x0D;
constexpr WPARAM VK_SHIFT = 0x10;
constexpr WPARAM VK_CONTROL = 0x11;
constexpr WPARAM VK_MENU = 0x12;
constexpr WPARAM VK_ESCAPE = 0x1B;
constexpr WPARAM VK_SPACE = 0x20;
constexpr WPARAM VK_HOME = 0x24;
constexpr WPARAM VK_LEFT = 0x25;
constexpr WPARAM VK_UP = 0x26;
constexpr WPARAM VK_RIGHT = 0x27;
constexpr WPARAM VK_DOWN = 0x28;
constexpr WPARAM VK_F4 = 0x73;

// Window styles that the run modes choose between.
constexpr uint32_t WS_CHILD = 0x40000000;
constexpr uint32_t WS_POPUP = 0x80000000;
constexpr uint32_t WS_VISIBLE = 0x10000000;
constexpr uint32_t WS_OVERLAPPEDWINDOW = 0x00CF0000;
constexpr uint32_t WS_EX_TOOLWINDOW = 0x00000080;
// Our own: a desktop-background window, below all others and on every workspace.
constexpr uint32_t WS_EX_DESKTOP = 0x80000000;
// Our own: a full-screen or desktop window on every monitor, one pane each (CWnd::PaneCount).
constexpr uint32_t WS_EX_ALLMONITORS = 0x40000000;

inline LPARAM MakeLParam(int lo, int hi) { return LPARAM((uint32_t(uint16_t(lo))) | (uint32_t(uint16_t(hi)) << 16)); }
inline int LoWord(LPARAM l) { return int(uint16_t(l & 0xFFFF)); }
inline int HiWord(LPARAM l) { return int(uint16_t((l >> 16) & 0xFFFF)); }
