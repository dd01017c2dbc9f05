// SPDX-License-Identifier: MIT
#include "picture/picture_alpha.h"

namespace velmoro {
namespace {

void ToBgr(COLORREF color, BYTE* bgr)
{
    bgr[0] = GetBValue(color);
    bgr[1] = GetGValue(color);
    bgr[2] = GetRValue(color);
}

}  // namespace

AlphaRule::AlphaRule(const PictureReadOptions& options) : m_mode(options.alpha)
{
    ToBgr(options.keyColor, m_key);
    ToBgr(options.background, m_background);
}

void BgraRowToBgr(const BYTE* bgra, BYTE* bgr, uint64_t count, const AlphaRule& rule)
{
    for (uint64_t i = 0; i < count; ++i, bgra += 4, bgr += 3) {
        const BYTE alpha = bgra[3];
        bgr[0] = bgra[0];
        bgr[1] = bgra[1];
        bgr[2] = bgra[2];
        rule.Settle(bgr, alpha);
    }
}

}  // namespace velmoro
