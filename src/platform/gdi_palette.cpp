// SPDX-License-Identifier: MIT
// Logical palettes: made from entries, the halftone palette, the stock default
// palette, and their selection into contexts.
#include "platform/gdi_objects.h"

#include "base/halftone_table.h"

#include <algorithm>
#include <cstring>
#include <new>

using namespace velmoro;
using namespace velmoro::gdi;

namespace {

constexpr WORD kPaletteVersion = 0x300;
constexpr UINT kHalftoneEntries = 256;
// The static colours sit at both ends of the halftone table.
constexpr UINT kStaticColorsPerEnd = 10;

Palette* NewPalette(UINT count, bool isStock)
{
    if (count == 0)
        return nullptr;
    BlockPtr<PALETTEENTRY> entries = MakeBlock<PALETTEENTRY>(uint64_t{count} * sizeof(PALETTEENTRY));
    auto* palette = new (std::nothrow) Palette(isStock);
    if (!entries || !palette) {
        delete palette;
        return nullptr;
    }
    palette->count = count;
    palette->entries = std::move(entries);
    return palette;
}

PALETTEENTRY EntryFromQuad(const RGBQUAD& quad)
{
    return PALETTEENTRY{quad.rgbRed, quad.rgbGreen, quad.rgbBlue, 0};
}

}  // namespace

namespace velmoro {
namespace gdi {

Palette* DefaultPalette()
{
    static std::atomic<Palette*> stock{nullptr};
    return StockObject(stock, [] {
        Palette* palette = NewPalette(2 * kStaticColorsPerEnd, true);
        if (!palette)
            return palette;
        for (UINT i = 0; i < kStaticColorsPerEnd; ++i) {
            palette->entries.get()[i] = EntryFromQuad(kHalftoneTable[i]);
            palette->entries.get()[kStaticColorsPerEnd + i] =
                EntryFromQuad(kHalftoneTable[kHalftoneEntries - kStaticColorsPerEnd + i]);
        }
        return RegisterObject(palette) ? palette : nullptr;
    });
}

}  // namespace gdi
}  // namespace velmoro

HPALETTE CreatePalette(const LOGPALETTE* logical)
{
    if (!logical || logical->palVersion != kPaletteVersion)
        return nullptr;
    Palette* palette = NewPalette(logical->palNumEntries, false);
    if (palette)
        std::memcpy(palette->entries.get(), logical->palPalEntry, sizeof(PALETTEENTRY) * palette->count);
    return RegisterObject(palette);
}

HPALETTE CreateHalftonePalette(HDC hdc)
{
    if (hdc && !FindContext(hdc))
        return nullptr;
    Palette* palette = NewPalette(kHalftoneEntries, false);
    if (palette) {
        for (UINT i = 0; i < kHalftoneEntries; ++i)
            palette->entries.get()[i] = EntryFromQuad(kHalftoneTable[i]);
    }
    return RegisterObject(palette);
}

HGDIOBJ GetStockObject(int object)
{
    Palette* palette = object == DEFAULT_PALETTE ? DefaultPalette() : nullptr;
    return palette ? palette->handle : nullptr;
}

// Foreground and background make no difference on true-colour surfaces.
HPALETTE SelectPalette(HDC hdc, HPALETTE handle, BOOL /*forceBackground*/)
{
    VelmoroDeviceContext* context = FindContext(hdc);
    Palette* palette = Find<Palette>(handle);
    if (!context || !palette)
        return nullptr;
    Palette* previous = context->palette;
    --previous->selections;
    ++palette->selections;
    context->palette = palette;
    return previous->handle;
}

UINT RealizePalette(HDC hdc)
{
    const VelmoroDeviceContext* context = FindContext(hdc);
    return context ? context->palette->count : GDI_ERROR;
}

UINT GetPaletteEntries(HPALETTE handle, UINT start, UINT count, PALETTEENTRY* entries)
{
    const Palette* palette = Find<Palette>(handle);
    if (!palette)
        return 0;
    if (!entries)
        return palette->count;
    if (start >= palette->count)
        return 0;
    const UINT copied = std::min(count, palette->count - start);
    std::memcpy(entries, palette->entries.get() + start, sizeof(PALETTEENTRY) * copied);
    return copied;
}
