// SPDX-License-Identifier: MIT
// Device contexts: the process-wide screen surface and memory contexts.
#include "platform/gdi_objects.h"
#include "platform/gdi_pixels.h"

#include <new>

using namespace velmoro::gdi;

namespace {

constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768;

Bitmap* ScreenSurface()
{
    static std::atomic<Bitmap*> screen{nullptr};
    return StockObject(screen, [] { return NewBitmap(kScreenWidth, kScreenHeight, 32, true); });
}

// What a new memory context draws on until a bitmap is selected.
Bitmap* StockMonoBitmap()
{
    static std::atomic<Bitmap*> stock{nullptr};
    return StockObject(stock, [] {
        Bitmap* bitmap = NewBitmap(1, 1, 1, true);
        return RegisterObject(bitmap) ? bitmap : nullptr;
    });
}

HDC NewContext(bool screen, Bitmap* surface)
{
    Palette* palette = DefaultPalette();
    if (!surface || !palette)
        return nullptr;
    auto* context = new (std::nothrow) VelmoroDeviceContext;
    if (!context)
        return nullptr;
    context->screen = screen;
    context->surface = surface;
    context->palette = palette;
    const HDC handle = RegisterContext(context);
    if (!handle)
        return nullptr;
    ++surface->selections;
    ++palette->selections;
    return handle;
}

void DestroyContext(VelmoroDeviceContext* context)
{
    --context->surface->selections;
    --context->palette->selections;
    UnregisterContext(context);
    delete context;
}

}  // namespace

HDC GetDC(HWND window)
{
    return window ? nullptr : NewContext(true, ScreenSurface());
}

HDC GetWindowDC(HWND window)
{
    return GetDC(window);
}

int ReleaseDC(HWND window, HDC hdc)
{
    VelmoroDeviceContext* context = FindContext(hdc);
    if (window || !context || !context->screen)
        return 0;
    DestroyContext(context);
    return 1;
}

HDC CreateCompatibleDC(HDC hdc)
{
    if (hdc && !FindContext(hdc))
        return nullptr;
    return NewContext(false, StockMonoBitmap());
}

BOOL DeleteDC(HDC hdc)
{
    VelmoroDeviceContext* context = FindContext(hdc);
    if (!context || context->screen)
        return FALSE;
    DestroyContext(context);
    return TRUE;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ object)
{
    VelmoroDeviceContext* context = FindContext(hdc);
    Bitmap* bitmap = Find<Bitmap>(object);
    if (!context || context->screen || !bitmap)
        return nullptr;
    Bitmap* previous = context->surface;
    if (bitmap == previous)
        return previous->handle;
    // A bitmap is the surface of one context at a time.
    if (!bitmap->stock && bitmap->selections > 0)
        return nullptr;
    --previous->selections;
    ++bitmap->selections;
    context->surface = bitmap;
    return previous->handle;
}

COLORREF GetPixel(HDC hdc, int x, int y)
{
    const VelmoroDeviceContext* context = FindContext(hdc);
    if (!context)
        return CLR_INVALID;
    const Bitmap& surface = *context->surface;
    if (x < 0 || y < 0 || x >= surface.width || y >= surface.height)
        return CLR_INVALID;
    Xrgb pixel = 0;
    std::lock_guard<std::mutex> reading(surface.pixelsLock);
    DecodeRow(surface.Row(y), x, 1, SurfaceFormat(surface, context->palette), &pixel);
    return SwapRedBlue(pixel);
}
