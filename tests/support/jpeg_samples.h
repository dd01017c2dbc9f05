// SPDX-License-Identifier: MIT
// JPEG streams for tests: made through the codec's encode mode, or with libjpeg
// directly for the 4-channel kinds the codec does not write.
#ifndef VELMORO_TESTS_SUPPORT_JPEG_SAMPLES_H
#define VELMORO_TESTS_SUPPORT_JPEG_SAMPLES_H

#include "support/test_images.h"

#include <velmoro/jpeg.h>

#include <functional>
#include <vector>

namespace velmoro_test {

struct Bgr {
    BYTE b, g, r;
};

// A 24-bit image whose pixel (x, y), y = 0 being the top row, is colour(x, y).
TestImage BgrPicture(int width, int height, const std::function<Bgr(int x, int y)>& colour);
// Pixel (x, y) of a 24-bit image, y = 0 being the top row.
Bgr PixelAt(const CDib& image, int x, int y);
// Each channel within `tolerance` of the other's.
bool NearColour(const Bgr& a, const Bgr& b, int tolerance);

// Points the record's DIB fields at a 24-bit image, as the source of a write.
void SetDibSource(JPEG_CORE_PROPERTIES& record, const CDib& image);

// A 24-bit image as a JPEG, through the codec's buffer write mode of a loaded codec.
std::vector<BYTE> EncodeThroughCodec(CJPeg& codec, const CDib& image, DWORD quality = IJL_DEFAULT_QUALITY,
                                     IJL_COLOR jpegColor = IJL_YCBCR);

enum class FourChannelKind { PlainCmyk, AdobeCmyk, AdobeYcck };

// A 4-channel JPEG at quality 100 without subsampling. `inks` holds C, M, Y, K per
// pixel (0 = no ink), top row first; Adobe files store every channel inverted.
std::vector<BYTE> EncodeFourChannelJpeg(int width, int height, const std::vector<BYTE>& inks,
                                        FourChannelKind kind);

}  // namespace velmoro_test

#endif
