// SPDX-License-Identifier: MIT
/// @file
/// CDibPal: a logical palette built for an image.
#ifndef VELMORO_DIB_PALETTE_H
#define VELMORO_DIB_PALETTE_H

#include <velmoro/dib.h>
#include <velmoro/platform/gdi.h>

/// A logical palette built for an image, owned by the object, to select into
/// a device context before drawing an image with a colour table.
class VELMORO_API CDibPal {
public:
    /// No palette.
    CDibPal();
    /// Deletes the palette held.
    ~CDibPal();
    /// Copies duplicate the palette (a new handle, the same entries), so each
    /// palette has one owner. A copy that cannot be made holds no palette.
    CDibPal(const CDibPal& other);
    /// Duplicates the other's palette; a copy that cannot be made leaves the target as it was.
    CDibPal& operator=(const CDibPal& other);

    /// The image's colour table as a palette (at most 65535 entries), or the
    /// halftone palette for an image without one. 1 on success, 0 for an empty
    /// image or when the palette cannot be made, which keeps the old palette.
    int Create(const CDib& image);
    /// Entries of the palette held; 0 when there is none.
    int GetNumColor() const;
    /// The palette held, NULL when there is none; it stays the object's.
    HPALETTE GetHPalette() const { return m_hPalette; }

protected:
    HPALETTE m_hPalette;  ///< The palette held, NULL when there is none.
};

#endif
