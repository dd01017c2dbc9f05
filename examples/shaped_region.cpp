// SPDX-License-Identifier: MIT
// A shaped region from a key colour: every pixel of a picture that is not the
// key colour, as a region a window could be clipped to.
//
//   shaped_region     prints the region's box and rectangles
#include <velmoro/velmoro.h>

#include <cstdio>
#include <vector>

int main()
{
    const COLORREF key = RGB(0, 255, 0);
    const int size = 64;

    // A 24-bit picture of the key colour with a filled disc painted into it.
    // Rows are stored bottom-up, each padded to a multiple of four bytes.
    CDibEdit picture;
    if (picture.Create(size, size, 24, key, DIB_FORMAT_565) != DIB_OK)
        return 1;
    const int stride = (size * 3 + 3) & ~3;
    BYTE* bits = picture.GetBmpBitsAddress();
    for (int y = 0; y < size; ++y) {
        BYTE* row = bits + (size - 1 - y) * stride;  // picture row y, counted from the top
        for (int x = 0; x < size; ++x) {
            const int dx = x - 32, dy = y - 32;
            if (dx * dx + dy * dy < 24 * 24) {
                row[3 * x] = 200;  // blue, green, red
                row[3 * x + 1] = 60;
                row[3 * x + 2] = 30;
            }
        }
    }

    HRGN region = NULL;
    const DWORD code = picture.CreateRegionFromScanLine(&region, key);
    if (code != DIB_OK) {
        std::fprintf(stderr, "region: %s (%s)\n", DibResultName(code), DibResultText(code));
        return 1;
    }
    // The caller owns the region from here on.
    RECT box;
    const int kind = GetRgnBox(region, &box);
    const bool inside = PtInRegion(region, 32, 32) && !PtInRegion(region, 2, 2);
    std::vector<char> data(GetRegionData(region, 0, NULL));
    RGNDATA* rects = reinterpret_cast<RGNDATA*>(data.data());
    const bool haveData = !data.empty() && GetRegionData(region, static_cast<DWORD>(data.size()), rects) != 0;
    DeleteObject(region);

    if (kind != COMPLEXREGION || !inside || !haveData || box.left != 9 || box.top != 9 || box.right != 56 ||
        box.bottom != 56)
        return 1;
    std::printf("disc region: box %ld,%ld,%ld,%ld in %lu rectangles\n", long(box.left), long(box.top),
                long(box.right), long(box.bottom), static_cast<unsigned long>(rects->rdh.nCount));
    return 0;
}
