// The small graphics seam: device contexts, device-dependent bitmaps, palettes
// and regions.
#ifndef VELMORO_PLATFORM_GDI_H
#define VELMORO_PLATFORM_GDI_H

#include <velmoro/platform/geometry.h>
#include <velmoro/types.h>

struct VelmoroGdiObject;
struct VelmoroDeviceContext;
typedef VelmoroGdiObject* HGDIOBJ;
typedef VelmoroGdiObject* HBITMAP;
typedef VelmoroGdiObject* HPALETTE;
typedef VelmoroGdiObject* HRGN;
typedef VelmoroDeviceContext* HDC;
struct VelmoroWindow;
typedef VelmoroWindow* HWND;

class VELMORO_API CDC {
public:
    CDC() : m_hDC(NULL) {}
    explicit CDC(HDC hdc) : m_hDC(hdc) {}
    BOOL Attach(HDC hdc)
    {
        m_hDC = hdc;
        return hdc != NULL;
    }
    HDC Detach()
    {
        HDC hdc = m_hDC;
        m_hDC = NULL;
        return hdc;
    }
    HDC GetSafeHdc() const { return m_hDC; }

    HDC m_hDC;
};

#endif
