// Window-space integer types shared by the engine and the host layer.
#pragma once

struct RECT {
    long left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const RECT& o) const = default;
};

struct CPoint {
    int x = 0, y = 0;
    constexpr CPoint() = default;
    constexpr CPoint(int ax, int ay) : x(ax), y(ay) {}
    bool operator==(const CPoint& o) const { return x == o.x && y == o.y; }
};

inline long RectWidth(const RECT& r) { return r.right - r.left; }
inline long RectHeight(const RECT& r) { return r.bottom - r.top; }
