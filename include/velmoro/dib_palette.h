// CDibPal: a logical palette built for an image.
#ifndef VELMORO_DIB_PALETTE_H
#define VELMORO_DIB_PALETTE_H

#include <velmoro/dib.h>
#include <velmoro/platform/gdi.h>

class VELMORO_API CDibPal {
public:
    CDibPal();
    // Deletes the palette held.
    ~CDibPal();
    // Copies duplicate the palette (a new handle, the same entries), so each
    // palette has one owner. A copy that cannot be made leaves the target as it was.
    CDibPal(const CDibPal& other);
    CDibPal& operator=(const CDibPal& other);

    // The image's colour table as a palette, or the halftone palette for an image
    // without one. 1 on success, 0 on failure, which keeps the old palette.
    int Create(const CDib& image);
    // Entries of the palette held; 0 when there is none.
    int GetNumColor() const;
    HPALETTE GetHPalette() const { return m_hPalette; }

protected:
    HPALETTE m_hPalette;
};

#endif
