// SPDX-License-Identifier: MIT
// What a read does with a picture's alpha: drop it and keep the colours, turn
// pixels below half alpha into the key colour, or composite over a background.
#ifndef VELMORO_SRC_PICTURE_PICTURE_ALPHA_H
#define VELMORO_SRC_PICTURE_PICTURE_ALPHA_H

#include <velmoro/picture_io.h>

#include <cstdint>

namespace velmoro {

class AlphaRule {
public:
    explicit AlphaRule(const PictureReadOptions& options);

    bool KeepsColors() const { return m_mode == PICTURE_ALPHA_DROP; }
    // The colour (blue, green, red, in place) a pixel of this alpha (0 to 255) shows.
    void Settle(BYTE* bgr, unsigned alpha) const
    {
        if (m_mode == PICTURE_ALPHA_KEY) {
            if (alpha < 128) {
                bgr[0] = m_key[0];
                bgr[1] = m_key[1];
                bgr[2] = m_key[2];
            }
        } else if (m_mode == PICTURE_ALPHA_BACKGROUND) {
            for (int i = 0; i < 3; ++i)
                bgr[i] = static_cast<BYTE>((bgr[i] * alpha + m_background[i] * (255 - alpha) + 127) / 255);
        }
    }

private:
    int m_mode;
    BYTE m_key[3];
    BYTE m_background[3];
};

// Blue, green, red, alpha pixels to settled blue, green, red ones. `bgr` may be
// `bgra` itself: each pixel is read before its bytes are overwritten.
void BgraRowToBgr(const BYTE* bgra, BYTE* bgr, uint64_t count, const AlphaRule& rule);

}  // namespace velmoro

#endif
