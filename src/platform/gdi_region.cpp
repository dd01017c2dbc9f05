// SPDX-License-Identifier: MIT
// Regions over pixman's 32-bit regions, which keep the y-x banded rectangles
// that the region data calls hand out.
#include "platform/gdi_objects.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <utility>

using namespace velmoro::gdi;

namespace {

int RegionType(const pixman_region32_t& pixels)
{
    switch (pixman_region32_n_rects(&pixels)) {
    case 0: return NULLREGION;
    case 1: return SIMPLEREGION;
    default: return COMPLEXREGION;
    }
}

// Each set operation writes into a fresh region so that a failure leaves the
// destination as it was and a destination that is also a source reads correctly.
bool Combine(pixman_region32_t* result, const pixman_region32_t* a, const pixman_region32_t* b, int mode)
{
    switch (mode) {
    case RGN_AND: return pixman_region32_intersect(result, a, b);
    case RGN_OR: return pixman_region32_union(result, a, b);
    case RGN_DIFF: return pixman_region32_subtract(result, a, b);
    case RGN_COPY: return pixman_region32_copy(result, a);
    case RGN_XOR: {
        pixman_region32_t onlyA, onlyB;
        pixman_region32_init(&onlyA);
        pixman_region32_init(&onlyB);
        const bool ok = pixman_region32_subtract(&onlyA, a, b) && pixman_region32_subtract(&onlyB, b, a) &&
                        pixman_region32_union(result, &onlyA, &onlyB);
        pixman_region32_fini(&onlyA);
        pixman_region32_fini(&onlyB);
        return ok;
    }
    default: return false;
    }
}

}  // namespace

namespace velmoro {
namespace gdi {

HRGN NewRegionFromBoxes(const pixman_box32_t* boxes, int count)
{
    auto* region = new (std::nothrow) Region;
    if (!region)
        return nullptr;
    pixman_region32_fini(&region->pixels);
    if (!pixman_region32_init_rects(&region->pixels, boxes, count)) {
        delete region;  // a failed region holds no memory of its own
        return nullptr;
    }
    return RegisterObject(region);
}

}  // namespace gdi
}  // namespace velmoro

HRGN CreateRectRgn(int left, int top, int right, int bottom)
{
    const pixman_box32_t box{std::min(left, right), std::min(top, bottom), std::max(left, right),
                             std::max(top, bottom)};
    const bool empty = box.x1 == box.x2 || box.y1 == box.y2;
    return NewRegionFromBoxes(&box, empty ? 0 : 1);
}

HRGN CreateRectRgnIndirect(const RECT* rect)
{
    return rect ? CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom) : nullptr;
}

int CombineRgn(HRGN dst, HRGN a, HRGN b, int mode)
{
    Region* destination = Find<Region>(dst);
    const Region* first = Find<Region>(a);
    const Region* second = Find<Region>(b);
    if (!destination || !first || (!second && mode != RGN_COPY))
        return ERROR;
    pixman_region32_t result;
    pixman_region32_init(&result);
    if (!Combine(&result, &first->pixels, second ? &second->pixels : nullptr, mode)) {
        pixman_region32_fini(&result);
        return ERROR;
    }
    pixman_region32_fini(&destination->pixels);
    destination->pixels = result;  // the rectangle storage moves with the struct
    return RegionType(destination->pixels);
}

BOOL PtInRegion(HRGN handle, int x, int y)
{
    const Region* region = Find<Region>(handle);
    return region && pixman_region32_contains_point(&region->pixels, x, y, nullptr) ? TRUE : FALSE;
}

int GetRgnBox(HRGN handle, RECT* box)
{
    const Region* region = Find<Region>(handle);
    if (!region || !box)
        return ERROR;
    const pixman_box32_t* extents = pixman_region32_extents(&region->pixels);
    *box = RECT{extents->x1, extents->y1, extents->x2, extents->y2};
    return RegionType(region->pixels);
}

BOOL EqualRgn(HRGN a, HRGN b)
{
    const Region* first = Find<Region>(a);
    const Region* second = Find<Region>(b);
    return first && second && pixman_region32_equal(&first->pixels, &second->pixels) ? TRUE : FALSE;
}

int OffsetRgn(HRGN handle, int dx, int dy)
{
    Region* region = Find<Region>(handle);
    if (!region)
        return ERROR;
    // pixman would clip coordinates that leave the 32-bit range; refuse instead.
    const pixman_box32_t* extents = pixman_region32_extents(&region->pixels);
    const int64_t low = std::min(int64_t{extents->x1} + dx, int64_t{extents->y1} + dy);
    const int64_t high = std::max(int64_t{extents->x2} + dx, int64_t{extents->y2} + dy);
    if (!pixman_region32_not_empty(&region->pixels))
        return NULLREGION;  // an empty region keeps its box at 0: moved, it would no longer equal another
    if (low < INT_MIN || high > INT_MAX)
        return ERROR;
    pixman_region32_translate(&region->pixels, dx, dy);
    return RegionType(region->pixels);
}

DWORD GetRegionData(HRGN handle, DWORD size, RGNDATA* data)
{
    const Region* region = Find<Region>(handle);
    if (!region)
        return 0;
    int count = 0;
    const pixman_box32_t* boxes = pixman_region32_rectangles(&region->pixels, &count);
    const uint64_t rectBytes = uint64_t{sizeof(RECT)} * static_cast<uint64_t>(count);
    const uint64_t needed = sizeof(RGNDATAHEADER) + rectBytes;
    if (needed > 0xFFFFFFFFu)
        return 0;
    if (!data)
        return static_cast<DWORD>(needed);
    if (size < needed)
        return 0;
    const pixman_box32_t* extents = pixman_region32_extents(&region->pixels);
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = static_cast<DWORD>(count);
    data->rdh.nRgnSize = static_cast<DWORD>(rectBytes);
    data->rdh.rcBound = RECT{extents->x1, extents->y1, extents->x2, extents->y2};
    BYTE* out = reinterpret_cast<BYTE*>(data->Buffer);
    for (int i = 0; i < count; ++i) {
        const RECT rect{boxes[i].x1, boxes[i].y1, boxes[i].x2, boxes[i].y2};
        std::memcpy(out + sizeof(RECT) * static_cast<size_t>(i), &rect, sizeof rect);
    }
    return size;
}
