// SPDX-License-Identifier: MIT
// NEON twins of the compositing rows. A compare against the key selects base or
// overlay bytes (bsl); 24-bit pixels are split into their three byte planes by
// the structure loads, so a pixel is keyed when all three planes match. Rows
// shorter than one step go through the plain rule; a last partial step is redone
// as a full step ending at the row's end, which gives the pixels it covers twice
// the same value (also when out is base).
#include "edit/combine_simd.h"

#include <arm_neon.h>

namespace velmoro {
namespace {

inline void KeyedStep8(BYTE* out, const BYTE* base, const BYTE* overlay, uint8x16_t keys)
{
    const uint8x16_t o = vld1q_u8(overlay);
    vst1q_u8(out, vbslq_u8(vceqq_u8(o, keys), vld1q_u8(base), o));
}

inline void KeyedStep16(BYTE* out, const BYTE* base, const BYTE* overlay, uint16x8_t keys)
{
    const uint16x8_t o = vreinterpretq_u16_u8(vld1q_u8(overlay));
    const uint16x8_t b = vreinterpretq_u16_u8(vld1q_u8(base));
    vst1q_u8(out, vreinterpretq_u8_u16(vbslq_u16(vceqq_u16(o, keys), b, o)));
}

// Sixteen pixels: blue, green and red planes of both images.
inline void KeyedStep24(BYTE* out, const BYTE* base, const BYTE* overlay, const uint8x16x3_t& keys)
{
    const uint8x16x3_t o = vld3q_u8(overlay);
    const uint8x16x3_t b = vld3q_u8(base);
    const uint8x16_t keyed =
        vandq_u8(vandq_u8(vceqq_u8(o.val[0], keys.val[0]), vceqq_u8(o.val[1], keys.val[1])), vceqq_u8(o.val[2], keys.val[2]));
    uint8x16x3_t result;
    for (int plane = 0; plane < 3; ++plane)
        result.val[plane] = vbslq_u8(keyed, b.val[plane], o.val[plane]);
    vst3q_u8(out, result);
}

// The row loop the three depths share: whole steps, then one redone step ending
// at the row's end.
template <int Bytes, size_t Step, class Keys, class StepFn>
void KeyedRow(BYTE* out, const BYTE* base, const BYTE* overlay, size_t count, uint32_t key, const Keys& keys,
              StepFn step)
{
    if (count < Step) {
        CombineKeyedRowPlain<Bytes>(out, base, overlay, count, key);
        return;
    }
    size_t i = 0;
    for (; i + Step <= count; i += Step)
        step(out + Bytes * i, base + Bytes * i, overlay + Bytes * i, keys);
    if (i < count) {
        const size_t last = Bytes * (count - Step);
        step(out + last, base + last, overlay + last, keys);
    }
}

}  // namespace

void CombineKeyedRow8Neon(BYTE* out, const BYTE* base, const BYTE* overlay, size_t count, uint32_t key)
{
    KeyedRow<1, 16>(out, base, overlay, count, key, vdupq_n_u8(static_cast<uint8_t>(key)), KeyedStep8);
}

void CombineKeyedRow16Neon(BYTE* out, const BYTE* base, const BYTE* overlay, size_t count, uint32_t key)
{
    KeyedRow<2, 8>(out, base, overlay, count, key, vdupq_n_u16(static_cast<uint16_t>(key)), KeyedStep16);
}

void CombineKeyedRow24Neon(BYTE* out, const BYTE* base, const BYTE* overlay, size_t count, uint32_t key)
{
    uint8x16x3_t keys;
    for (int plane = 0; plane < 3; ++plane)
        keys.val[plane] = vdupq_n_u8(static_cast<uint8_t>(key >> (8 * plane)));
    KeyedRow<3, 16>(out, base, overlay, count, key, keys, KeyedStep24);
}

}  // namespace velmoro
