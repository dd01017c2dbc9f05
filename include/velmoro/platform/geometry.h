// Points and rectangles with the Windows semantics: right and bottom exclusive.
#ifndef VELMORO_PLATFORM_GEOMETRY_H
#define VELMORO_PLATFORM_GEOMETRY_H

#include <velmoro/types.h>

struct POINT {
    LONG x;
    LONG y;
};

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};

typedef RECT* LPRECT;
typedef const RECT* LPCRECT;

VELMORO_API BOOL SetRect(RECT* rect, int left, int top, int right, int bottom);
VELMORO_API BOOL SetRectEmpty(RECT* rect);
VELMORO_API BOOL CopyRect(RECT* dst, const RECT* src);
VELMORO_API BOOL OffsetRect(RECT* rect, int dx, int dy);
VELMORO_API BOOL PtInRect(const RECT* rect, POINT point);
VELMORO_API BOOL IsRectEmpty(const RECT* rect);

struct CPoint : POINT {
    CPoint() : POINT{0, 0} {}
    CPoint(LONG x0, LONG y0) : POINT{x0, y0} {}
    bool operator==(const CPoint& o) const { return x == o.x && y == o.y; }
    bool operator!=(const CPoint& o) const { return !(*this == o); }
};

struct CRect : RECT {
    CRect() : RECT{0, 0, 0, 0} {}
    CRect(LONG l, LONG t, LONG r, LONG b) : RECT{l, t, r, b} {}
    // 32-bit wrapping differences, as the originals give for extreme sides.
    LONG Width() const { return static_cast<LONG>(static_cast<uint32_t>(right) - static_cast<uint32_t>(left)); }
    LONG Height() const { return static_cast<LONG>(static_cast<uint32_t>(bottom) - static_cast<uint32_t>(top)); }
    BOOL IsRectEmpty() const { return ::IsRectEmpty(this); }
    void OffsetRect(int dx, int dy) { ::OffsetRect(this, dx, dy); }
    BOOL PtInRect(CPoint point) const { return ::PtInRect(this, point); }
    bool operator==(const CRect& o) const
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    bool operator!=(const CRect& o) const { return !(*this == o); }
};

#endif
