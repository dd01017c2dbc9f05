// SPDX-License-Identifier: MIT
/// @file
/// Points and rectangles with the Windows semantics: right and bottom exclusive.
#ifndef VELMORO_PLATFORM_GEOMETRY_H
#define VELMORO_PLATFORM_GEOMETRY_H

#include <velmoro/types.h>

/// A point.
struct POINT {
    LONG x;  ///< Column, growing to the right.
    LONG y;  ///< Row, growing downwards.
};

/// A rectangle: the pixels from (left, top) up to, not including, (right, bottom).
struct RECT {
    LONG left;    ///< First column.
    LONG top;     ///< First row.
    LONG right;   ///< The column after the last.
    LONG bottom;  ///< The row after the last.
};

typedef RECT* LPRECT;         ///< A rectangle to write.
typedef const RECT* LPCRECT;  ///< A rectangle to read.

/// Sets the four sides; FALSE for a NULL rect.
VELMORO_API BOOL SetRect(RECT* rect, int left, int top, int right, int bottom);
/// Sets every side to 0; FALSE for a NULL rect.
VELMORO_API BOOL SetRectEmpty(RECT* rect);
/// Copies src into dst; FALSE when either is NULL.
VELMORO_API BOOL CopyRect(RECT* dst, const RECT* src);
/// Moves the rectangle, wrapping in 32 bits; FALSE for a NULL rect.
VELMORO_API BOOL OffsetRect(RECT* rect, int dx, int dy);
/// TRUE when the point lies inside (right and bottom exclusive); FALSE for a NULL rect.
VELMORO_API BOOL PtInRect(const RECT* rect, POINT point);
/// TRUE when the rectangle holds no pixel (right <= left or bottom <= top) or is NULL.
VELMORO_API BOOL IsRectEmpty(const RECT* rect);

/// A POINT with constructors and comparison.
struct CPoint : POINT {
    /// (0, 0).
    CPoint() : POINT{0, 0} {}
    /// (x0, y0).
    CPoint(LONG x0, LONG y0) : POINT{x0, y0} {}
    /// Equal coordinates.
    bool operator==(const CPoint& o) const { return x == o.x && y == o.y; }
    /// Different coordinates.
    bool operator!=(const CPoint& o) const { return !(*this == o); }
};

/// A RECT with constructors, sizes and the rectangle functions as members.
struct CRect : RECT {
    /// (0, 0, 0, 0).
    CRect() : RECT{0, 0, 0, 0} {}
    /// (l, t, r, b).
    CRect(LONG l, LONG t, LONG r, LONG b) : RECT{l, t, r, b} {}
    /// right - left as a 32-bit wrapping difference, as the originals give for extreme sides.
    LONG Width() const { return static_cast<LONG>(static_cast<uint32_t>(right) - static_cast<uint32_t>(left)); }
    /// bottom - top as a 32-bit wrapping difference.
    LONG Height() const { return static_cast<LONG>(static_cast<uint32_t>(bottom) - static_cast<uint32_t>(top)); }
    /// TRUE when the rectangle holds no pixel.
    BOOL IsRectEmpty() const { return ::IsRectEmpty(this); }
    /// Moves the rectangle, wrapping in 32 bits.
    void OffsetRect(int dx, int dy) { ::OffsetRect(this, dx, dy); }
    /// TRUE when the point lies inside.
    BOOL PtInRect(CPoint point) const { return ::PtInRect(this, point); }
    /// Equal sides.
    bool operator==(const CRect& o) const
    {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
    /// Different sides.
    bool operator!=(const CRect& o) const { return !(*this == o); }
};

#endif
