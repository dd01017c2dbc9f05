// SPDX-License-Identifier: MIT
// The objects behind the graphics handles and the registry that tells live
// handles from stale ones. Handles are serial numbers, never addresses, so a
// stale handle cannot name an object made later at the same address.
#ifndef VELMORO_SRC_PLATFORM_GDI_OBJECTS_H
#define VELMORO_SRC_PLATFORM_GDI_OBJECTS_H

#include <velmoro/platform/gdi.h>

#include "base/blocks.h"
#include "platform/gdi_pixels.h"

#include <pixman.h>

#include <atomic>
#include <cstdint>
#include <mutex>

struct VelmoroGdiObject {
    enum class Kind { Bitmap, Palette, Region };

    VelmoroGdiObject(Kind k, bool isStock) : kind(k), stock(isStock) {}
    virtual ~VelmoroGdiObject() = default;
    VelmoroGdiObject(const VelmoroGdiObject&) = delete;
    VelmoroGdiObject& operator=(const VelmoroGdiObject&) = delete;

    const Kind kind;
    const bool stock;  // never deleted
    HGDIOBJ handle = nullptr;  // set when registered
    // Contexts holding it; it cannot be deleted meanwhile. Atomic: every context of
    // every thread holds the stock palette.
    std::atomic<int> selections{0};
};

namespace velmoro {
namespace gdi {

struct Bitmap : VelmoroGdiObject {
    Bitmap(bool isStock) : VelmoroGdiObject(Kind::Bitmap, isStock) {}
    static constexpr Kind kKind = Kind::Bitmap;

    BYTE* Row(int y) const { return bits.get() + rowBytes * y; }

    // Held while the pixels are read or written: the screen is one surface that
    // the contexts of every thread draw on.
    mutable std::mutex pixelsLock;
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    int64_t rowBytes = 0;
    BlockPtr<BYTE> bits;
};

struct Palette : VelmoroGdiObject {
    Palette(bool isStock) : VelmoroGdiObject(Kind::Palette, isStock) {}
    static constexpr Kind kKind = Kind::Palette;

    UINT count = 0;
    BlockPtr<PALETTEENTRY> entries;
};

struct Region : VelmoroGdiObject {
    Region() : VelmoroGdiObject(Kind::Region, false) { pixman_region32_init(&pixels); }
    ~Region() override { pixman_region32_fini(&pixels); }
    static constexpr Kind kKind = Kind::Region;

    pixman_region32_t pixels;
};

// Creating functions hand their objects to the registry, which gives each a new
// handle; NULL when it cannot hold them (the object is destroyed then).
HGDIOBJ RegisterObject(VelmoroGdiObject* object);
HDC RegisterContext(VelmoroDeviceContext* context);
// The live object behind a handle, or NULL when the handle is unknown.
VelmoroGdiObject* FindObject(HGDIOBJ handle);
VelmoroDeviceContext* FindContext(HDC handle);
// Retires an object's handle; the caller destroys the object.
void UnregisterObject(VelmoroGdiObject* object);
void UnregisterContext(VelmoroDeviceContext* context);

template <typename T>
T* Find(HGDIOBJ handle)
{
    VelmoroGdiObject* object = FindObject(handle);
    return object && object->kind == T::kKind ? static_cast<T*>(object) : nullptr;
}

// A process-wide stock object, made on first use. An attempt that fails (memory
// short) is repeated on the next use, so one failure does not leave the process
// without the object for good.
template <typename T, typename Make>
T* StockObject(std::atomic<T*>& slot, Make make)
{
    if (T* made = slot.load(std::memory_order_acquire))
        return made;
    static std::mutex making;
    std::lock_guard<std::mutex> lock(making);
    if (!slot.load(std::memory_order_relaxed))
        slot.store(make(), std::memory_order_release);
    return slot.load(std::memory_order_relaxed);
}

// A bitmap of zeros (rows top-down, even-padded); NULL for sizes or depths it refuses.
Bitmap* NewBitmap(int width, int height, int bitsPerPixel, bool isStock);

// How a surface's pixels read: indexed bitmaps take their colours from the palette.
PixelFormat SurfaceFormat(const Bitmap& bitmap, const Palette* palette);

// The stock default palette: the twenty static colours.
Palette* DefaultPalette();

// A region made from y-x banded rectangles, registered; NULL when memory is short.
HRGN NewRegionFromBoxes(const pixman_box32_t* boxes, int count);

}  // namespace gdi
}  // namespace velmoro

struct VelmoroDeviceContext {
    HDC handle = nullptr;
    bool screen = false;
    velmoro::gdi::Bitmap* surface = nullptr;  // the screen, or the selected bitmap
    velmoro::gdi::Palette* palette = nullptr;
};

#endif
