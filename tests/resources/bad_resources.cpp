// SPDX-License-Identifier: MIT
// A module whose resource table is written by hand: packed DIBs that the
// embedding function would refuse to make, for the loader's own checks, and
// one good one that shows a table of this layout is read as intended.
#include <velmoro/types.h>

#include <velmoro/internal/resource_table.h>

#include <cstddef>

namespace {

constexpr BITMAPINFOHEADER Header(DWORD size, LONG width, LONG height, WORD bitCount, DWORD sizeImage = 0,
                        DWORD clrUsed = 0)
{
    return BITMAPINFOHEADER{size, width, height, 1, bitCount, BI_RGB, sizeImage, 0, 0, clrUsed, 0};
}

struct LaterHeader {
    BITMAPINFOHEADER header;
    BYTE rest[68 + 4];  // the remainder of a 108-byte header and one 24-bit row
};

struct Paletted4x4 {
    BITMAPINFOHEADER header;
    RGBQUAD table[2];
    BYTE rows[4 * 4 - 1];  // one byte short of four 4-byte rows
};

struct Rgb2x2 {
    BITMAPINFOHEADER header;
    BYTE rows[2 * 8];
};

struct Rgb1x1 {
    BITMAPINFOHEADER header;
    BYTE row[4];
};

const LaterHeader kLaterHeader{Header(108, 1, 1, 24), {}};
const Rgb1x1 kCutHeader{Header(40, 1, 1, 24), {}};
const Paletted4x4 kShortRows{Header(40, 4, 4, 8, 0, 2), {{0, 0, 0, 0}, {255, 255, 255, 0}}, {}};
const Rgb2x2 kSmallSizeImage{Header(40, 2, 2, 24, 8), {}};
const Rgb1x1 kGood{Header(40, 1, 1, 24), {0x11, 0x22, 0x33, 0}};

const unsigned char* Bytes(const void* record)
{
    return static_cast<const unsigned char*>(record);
}

// The last entry, resource 100, carries whatever bytes a test hands in through
// velmoro_test_set_file_resource: packed DIBs kept as data files.
VelmoroResourceInfo g_entries[] = {
    {1, sizeof kLaterHeader, Bytes(&kLaterHeader)},
    {2, 20, Bytes(&kCutHeader)},  // the header itself cut short
    {3, offsetof(Paletted4x4, rows) + sizeof kShortRows.rows, Bytes(&kShortRows)},  // not the padded sizeof
    {4, sizeof kSmallSizeImage, Bytes(&kSmallSizeImage)},
    {5, sizeof kGood, Bytes(&kGood)},
    {100, 0, nullptr},
};

}  // namespace

extern "C" {
__attribute__((visibility("default"))) extern const VelmoroResourceTable velmoro_bitmap_resources;
const VelmoroResourceTable velmoro_bitmap_resources = {sizeof g_entries / sizeof g_entries[0], g_entries};

__attribute__((visibility("default"))) void velmoro_test_set_file_resource(const unsigned char* data, uint32_t size)
{
    VelmoroResourceInfo& slot = g_entries[sizeof g_entries / sizeof g_entries[0] - 1];
    slot.data = data;
    slot.size = size;
}
}
