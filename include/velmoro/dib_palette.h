// CDibPal: a logical palette built for an image.
#ifndef VELMORO_DIB_PALETTE_H
#define VELMORO_DIB_PALETTE_H

#include <velmoro/dib.h>
#include <velmoro/platform/gdi.h>

class CDibPal;

#endif
