// SPDX-License-Identifier: MIT
// The region of every pixel that is not the key colour. One pass over the rows
// collects the runs of other pixels as rectangles, rows with the same runs as the
// row above extend its band, and one region is made from the banded list.
#include <velmoro/dib.h>

#include "base/blocks.h"
#include "base/dib_layout.h"
#include "base/pixel_layouts.h"
#include "platform/gdi_objects.h"

#include <climits>
#include <cstring>

using namespace velmoro;

namespace {

// Rectangles for one region, grown through the library's allocator.
class BoxList {
public:
    bool Push(int32_t x1, int32_t y1, int32_t x2, int32_t y2)
    {
        if (m_size == m_capacity && !Grow())
            return false;
        m_boxes.get()[m_size++] = pixman_box32_t{x1, y1, x2, y2};
        return true;
    }
    pixman_box32_t* Data() const { return m_boxes.get(); }
    size_t Size() const { return m_size; }
    void Truncate(size_t size) { m_size = size; }

private:
    bool Grow()
    {
        const size_t capacity = m_capacity ? 2 * m_capacity : 256;
        BlockPtr<pixman_box32_t> boxes = MakeBlock<pixman_box32_t>(uint64_t{capacity} * sizeof(pixman_box32_t));
        if (!boxes)
            return false;
        if (m_size)
            std::memcpy(boxes.get(), m_boxes.get(), m_size * sizeof(pixman_box32_t));
        m_boxes = std::move(boxes);
        m_capacity = capacity;
        return true;
    }

    BlockPtr<pixman_box32_t> m_boxes;
    size_t m_size = 0;
    size_t m_capacity = 0;
};

struct Key24Bit {
    bool operator()(const BYTE* row, int x) const
    {
        const BYTE* pixel = row + 3 * x;
        return pixel[0] == blue && pixel[1] == green && pixel[2] == red;
    }
    BYTE blue, green, red;
};

struct Key16Bit {
    bool operator()(const BYTE* row, int x) const { return LoadWord(row + 2 * x) == word; }
    uint16_t word;
};

struct Key8Bit {
    bool operator()(const BYTE* row, int x) const { return row[x] == index; }
    int index;  // past 255 when the key sits beyond the first 256 entries: nothing matches
};

// Appends the row's runs of non-key pixels as rectangles one pixel high.
template <typename IsKey>
bool AppendRowRuns(const BYTE* row, int width, int32_t y, IsKey isKey, BoxList& boxes, bool& sawKey)
{
    int x = 0;
    while (x < width) {
        const int keyStart = x;
        while (x < width && isKey(row, x))
            ++x;
        sawKey = sawKey || x > keyStart;
        if (x == width)
            break;
        const int runStart = x;
        while (x < width && !isKey(row, x))
            ++x;
        if (!boxes.Push(runStart, y, x, y + 1))
            return false;
    }
    return true;
}

bool SameColumns(const pixman_box32_t* band, const pixman_box32_t* row, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        if (band[i].x1 != row[i].x1 || band[i].x2 != row[i].x2)
            return false;
    }
    return true;
}

// Checks shared by the public operation and its per-depth workers.
DWORD CheckRegionSource(const CDib& image, HRGN* region, int bitCount, DWORD wrongDepth)
{
    if (image.IsEmpty())
        return DIB_ERR_EMPTY;
    if (image.GetBitCount() != bitCount)
        return wrongDepth;
    // Nothing to store the handle in, or rows in an order the scan does not read:
    // no region is made.
    if (!region || image.GetHeight() < 0)
        return DIB_ERR_REGION;
    return DIB_OK;
}

template <typename IsKey>
DWORD BuildKeyRegion(const CDib& image, IsKey isKey, HRGN* region)
{
    const int width = image.GetWidth();
    const int height = image.GetHeight();
    const int64_t stride = RowStride(image.GetBmpInfoAddress()->bmiHeader);
    BoxList boxes;
    bool sawKey = false;
    size_t bandStart = 0;
    size_t bandCount = 0;
    // Picture rows top to bottom: stored rows run bottom-up.
    for (int y = 0; y < height && width > 0; ++y) {
        const size_t rowStart = boxes.Size();
        const BYTE* row = PictureRow(image.GetBmpBitsAddress(), stride, height, y);
        if (!AppendRowRuns(row, width, y, isKey, boxes, sawKey))
            return DIB_ERR_NO_MEMORY;
        const size_t rowCount = boxes.Size() - rowStart;
        if (rowCount != 0 && rowCount == bandCount &&
            SameColumns(boxes.Data() + bandStart, boxes.Data() + rowStart, rowCount)) {
            for (size_t i = 0; i < bandCount; ++i)
                boxes.Data()[bandStart + i].y2 = y + 1;
            boxes.Truncate(rowStart);
        } else {
            bandStart = rowStart;
            bandCount = rowCount;
        }
    }
    if (!sawKey)
        return DIB_ERR_REGION;
    HRGN made = gdi::NewRegionFromBoxes(boxes.Data(), static_cast<int>(boxes.Size()));
    if (!made)
        return DIB_ERR_NO_MEMORY;
    *region = made;
    return DIB_OK;
}

}  // namespace

DWORD CDib::CreateRegionFromScanLine(HRGN* region, DWORD keyColor)
{
    if (IsEmpty())
        return DIB_ERR_EMPTY;
    switch (GetBitCount()) {
    case 8: return CreateRegionFrom8BitScanLine(region, keyColor);
    case 16:
        return CreateRegionFrom16BitScanLine(region, keyColor,
                                             IsHeader565(m_pBmpInfo->bmiHeader) ? DIB_FORMAT_565 : DIB_FORMAT_555);
    case 24: return CreateRegionFrom24BitScanLine(region, keyColor);
    default: return DIB_ERR_BAD_DEPTH;
    }
}

DWORD CDib::CreateRegionFrom8BitScanLine(HRGN* region, DWORD keyColor)
{
    if (const DWORD code = CheckRegionSource(*this, region, 8, DIB_ERR_NOT_8BIT))
        return code;
    // A key missing from the table gives index 0: those pixels count as key-coloured.
    const uint64_t entries = ColorEntryCount(m_pBmpInfo);
    const int count = static_cast<int>(entries < INT_MAX ? entries : INT_MAX);
    const int index = GetColorTableIndex(ColorEntries(m_pBmpInfo), keyColor, count);
    return BuildKeyRegion(*this, Key8Bit{index}, region);
}

DWORD CDib::CreateRegionFrom16BitScanLine(HRGN* region, DWORD keyColor, DWORD format)
{
    if (const DWORD code = CheckRegionSource(*this, region, 16, DIB_ERR_NOT_16BIT))
        return code;
    return BuildKeyRegion(*this, Key16Bit{PackColor16(keyColor, IsFormat565(format))}, region);
}

DWORD CDib::CreateRegionFrom24BitScanLine(HRGN* region, DWORD keyColor)
{
    if (const DWORD code = CheckRegionSource(*this, region, 24, DIB_ERR_NOT_24BIT))
        return code;
    const Key24Bit key{static_cast<BYTE>(keyColor >> 16), static_cast<BYTE>(keyColor >> 8),
                       static_cast<BYTE>(keyColor)};
    return BuildKeyRegion(*this, key, region);
}
