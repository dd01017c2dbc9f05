// SPDX-License-Identifier: MIT
#include <velmoro/platform/geometry.h>

BOOL SetRect(RECT* rect, int left, int top, int right, int bottom)
{
    if (!rect)
        return FALSE;
    *rect = RECT{left, top, right, bottom};
    return TRUE;
}

BOOL SetRectEmpty(RECT* rect)
{
    return SetRect(rect, 0, 0, 0, 0);
}

BOOL CopyRect(RECT* dst, const RECT* src)
{
    if (!dst || !src)
        return FALSE;
    *dst = *src;
    return TRUE;
}

// Wraps like the 32-bit arithmetic it stands for, without signed overflow.
static LONG AddWrapping(LONG value, int delta)
{
    return static_cast<LONG>(static_cast<uint32_t>(value) + static_cast<uint32_t>(delta));
}

BOOL OffsetRect(RECT* rect, int dx, int dy)
{
    if (!rect)
        return FALSE;
    rect->left = AddWrapping(rect->left, dx);
    rect->right = AddWrapping(rect->right, dx);
    rect->top = AddWrapping(rect->top, dy);
    rect->bottom = AddWrapping(rect->bottom, dy);
    return TRUE;
}

BOOL PtInRect(const RECT* rect, POINT point)
{
    return rect && point.x >= rect->left && point.x < rect->right && point.y >= rect->top &&
           point.y < rect->bottom;
}

BOOL IsRectEmpty(const RECT* rect)
{
    return !rect || rect->right <= rect->left || rect->bottom <= rect->top;
}
