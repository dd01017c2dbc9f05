// SPDX-License-Identifier: MIT
// CDibPal: the palette of an image's colour table, or the halftone palette.
#include <velmoro/dib_palette.h>

#include "base/blocks.h"
#include "base/dib_layout.h"

using namespace velmoro;

namespace {

constexpr WORD kPaletteVersion = 0x300;
// Room for the version, the count and at least one entry, as the structure declares.
constexpr size_t kLogPaletteHeaderBytes = sizeof(LOGPALETTE);

// A palette buffer with its version and count set; NULL when memory is short.
BlockPtr<LOGPALETTE> NewLogPalette(WORD count)
{
    const uint64_t bytes = kLogPaletteHeaderBytes + sizeof(PALETTEENTRY) * uint64_t{count};
    BlockPtr<LOGPALETTE> logical = MakeBlock<LOGPALETTE>(bytes);
    if (logical) {
        logical->palVersion = kPaletteVersion;
        logical->palNumEntries = count;
    }
    return logical;
}

// A palette with the same entries as the given one; NULL when there is none or it cannot be made.
HPALETTE DuplicatePalette(HPALETTE palette)
{
    const UINT count = palette ? GetPaletteEntries(palette, 0, 0, NULL) : 0;
    if (count == 0)
        return NULL;
    BlockPtr<LOGPALETTE> logical = NewLogPalette(static_cast<WORD>(count));
    if (!logical)
        return NULL;
    GetPaletteEntries(palette, 0, count, logical->palPalEntry);
    return CreatePalette(logical.get());
}

// The old palette goes only once the new one exists, so a failed Create keeps it.
int TakePalette(HPALETTE& held, HPALETTE made)
{
    if (!made)
        return 0;
    if (held)
        DeleteObject(held);
    held = made;
    return 1;
}

}  // namespace

CDibPal::CDibPal() : m_hPalette(NULL) {}

CDibPal::~CDibPal()
{
    if (m_hPalette)
        DeleteObject(m_hPalette);
    m_hPalette = NULL;
}

CDibPal::CDibPal(const CDibPal& other) : m_hPalette(DuplicatePalette(other.m_hPalette)) {}

CDibPal& CDibPal::operator=(const CDibPal& other)
{
    if (this == &other)
        return *this;
    HPALETTE copy = DuplicatePalette(other.m_hPalette);
    if (other.m_hPalette && !copy)
        return *this;
    if (m_hPalette)
        DeleteObject(m_hPalette);
    m_hPalette = copy;
    return *this;
}

int CDibPal::Create(const CDib& image)
{
    if (image.IsEmpty())
        return 0;
    const int entries = image.GetNumColorEntry();
    if (entries == 0) {
        HDC hdc = GetWindowDC(NULL);
        if (!hdc)
            return 0;
        HPALETTE halftone = CreateHalftonePalette(hdc);
        ReleaseDC(NULL, hdc);
        return TakePalette(m_hPalette, halftone);
    }
    // The entry count is a 16-bit field of the palette; larger tables are cut to it.
    const WORD count = static_cast<WORD>(entries);
    BlockPtr<LOGPALETTE> logical = NewLogPalette(count);
    if (!logical)
        return 0;
    const RGBQUAD* table = ColorEntries(image.GetBmpInfoAddress());
    PALETTEENTRY* out = logical->palPalEntry;
    for (WORD i = 0; i < count; ++i)
        out[i] = PALETTEENTRY{table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue, 0};
    return TakePalette(m_hPalette, CreatePalette(logical.get()));
}

int CDibPal::GetNumColor() const
{
    WORD count = 0;
    if (!m_hPalette || GetObjectA(m_hPalette, sizeof count, &count) == 0)
        return 0;
    return count;
}
