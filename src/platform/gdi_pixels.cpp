// SPDX-License-Identifier: MIT
// Row decoders and encoders of the graphics layer, one per depth.
#include "platform/gdi_pixels.h"

#include "base/dib_layout.h"
#include "base/pixel_layouts.h"

#include <algorithm>

#include <cstring>

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "32-bit surfaces store working pixels as they are");

namespace velmoro {
namespace gdi {
namespace {

// Indices are packed from the most significant bit of each byte.
template <int Bits>
unsigned IndexAt(const BYTE* row, int64_t x)
{
    if (Bits == 8)
        return row[x];
    const int64_t bit = x * Bits;
    return (row[bit >> 3] >> (8 - Bits - (bit & 7))) & ((1u << Bits) - 1);
}

template <int Bits>
void StoreIndex(BYTE* row, int64_t x, unsigned index)
{
    if (Bits == 8) {
        row[x] = static_cast<BYTE>(index);
        return;
    }
    const int64_t bit = x * Bits;
    const int shift = static_cast<int>(8 - Bits - (bit & 7));
    const unsigned mask = ((1u << Bits) - 1) << shift;
    BYTE& byte = row[bit >> 3];
    byte = static_cast<BYTE>((byte & ~mask) | ((index << shift) & mask));
}

int Distance(Xrgb a, Xrgb b)
{
    const int dr = static_cast<int>((a >> 16) & 0xFF) - static_cast<int>((b >> 16) & 0xFF);
    const int dg = static_cast<int>((a >> 8) & 0xFF) - static_cast<int>((b >> 8) & 0xFF);
    const int db = static_cast<int>(a & 0xFF) - static_cast<int>(b & 0xFF);
    return dr * dr + dg * dg + db * db;
}

// Nearest-colour search with a one-entry memory: pictures repeat colours in runs.
class NearestIndex {
public:
    NearestIndex(const PixelFormat& format, int indexCount)
        : m_format(format), m_count(format.colorCount < indexCount ? format.colorCount : indexCount)
    {
    }

    unsigned operator()(Xrgb color)
    {
        if (m_known && color == m_lastColor)
            return m_lastIndex;
        int best = 0;
        int bestDistance = 1 << 30;
        for (int i = 0; i < m_count && bestDistance != 0; ++i) {
            const int distance = Distance(color, m_format.colors[i]);
            if (distance < bestDistance) {
                bestDistance = distance;
                best = i;
            }
        }
        m_known = true;
        m_lastColor = color;
        m_lastIndex = static_cast<unsigned>(best);
        return m_lastIndex;
    }

private:
    const PixelFormat& m_format;
    int m_count;
    bool m_known = false;
    Xrgb m_lastColor = 0;
    unsigned m_lastIndex = 0;
};

template <int Bits>
void DecodeIndexed(const BYTE* row, int64_t x0, int64_t count, const PixelFormat& format, Xrgb* out)
{
    for (int64_t i = 0; i < count; ++i)
        out[i] = format.colors[IndexAt<Bits>(row, x0 + i)];
}

template <int Bits>
void UnpackIndexed(const BYTE* row, int64_t x0, int64_t count, BYTE* out)
{
    for (int64_t i = 0; i < count; ++i)
        out[i] = static_cast<BYTE>(IndexAt<Bits>(row, x0 + i));
}

template <int Bits>
void EncodeIndexed(const Xrgb* pixels, int64_t count, const PixelFormat& format, BYTE* row, int64_t x0)
{
    NearestIndex nearest(format, 1 << Bits);
    for (int64_t i = 0; i < count; ++i)
        StoreIndex<Bits>(row, x0 + i, nearest(pixels[i]));
}

Xrgb FromBgr(Bgr bgr)
{
    return MakeXrgb(bgr.red, bgr.green, bgr.blue);
}

}  // namespace

bool ReadDibFormat(const BITMAPINFO* info, PixelFormat& format)
{
    const BITMAPINFOHEADER& header = info->bmiHeader;
    if (header.biSize != kInfoHeaderBytes || header.biWidth <= 0 || header.biHeight <= 0)
        return false;
    const BYTE* table = reinterpret_cast<const BYTE*>(info) + kInfoHeaderBytes;
    format.bitCount = header.biBitCount;
    switch (header.biBitCount) {
    case 1:
    case 4:
    case 8: {
        if (header.biCompression != BI_RGB)
            return false;
        format.colorCount = static_cast<int>(std::min<uint64_t>(ColorEntryCount(info), 1u << header.biBitCount));
        for (int i = 0; i < format.colorCount; ++i) {
            RGBQUAD quad;
            std::memcpy(&quad, table + 4 * i, sizeof quad);
            format.colors[i] = MakeXrgb(quad.rgbRed, quad.rgbGreen, quad.rgbBlue);
        }
        return true;
    }
    case 16: {
        if (header.biCompression == BI_RGB)
            return true;
        if (header.biCompression != BI_BITFIELDS)
            return false;
        // DIBs come here from any caller, as to Windows, so the masks are read
        // rather than assumed; the library's own BI_BITFIELDS images always carry
        // the 5-6-5 ones, so for them this agrees with IsHeader565.
        format.is565 = MasksEqual(table, kMasks565);
        return format.is565 || MasksEqual(table, kMasks555);
    }
    case 24:
        // Blank 24-bit images may carry BI_BITFIELDS; their pixels are still blue, green, red.
        return header.biCompression == BI_RGB || header.biCompression == BI_BITFIELDS;
    case 32:
        // Blue, green, red and a byte Windows leaves unused; bit fields only in that same order.
        return header.biCompression == BI_RGB ||
               (header.biCompression == BI_BITFIELDS && MasksEqual(table, kMasks888));
    default: return false;
    }
}

void UnpackIndices(const BYTE* row, int bitCount, int64_t x0, int64_t count, BYTE* out)
{
    switch (bitCount) {
    case 1: UnpackIndexed<1>(row, x0, count, out); break;
    case 2: UnpackIndexed<2>(row, x0, count, out); break;
    case 4: UnpackIndexed<4>(row, x0, count, out); break;
    case 8: UnpackIndexed<8>(row, x0, count, out); break;
    default: break;
    }
}

void DecodeRow(const BYTE* row, int64_t x0, int64_t count, const PixelFormat& format, Xrgb* out)
{
    switch (format.bitCount) {
    case 1: DecodeIndexed<1>(row, x0, count, format, out); break;
    case 2: DecodeIndexed<2>(row, x0, count, format, out); break;
    case 4: DecodeIndexed<4>(row, x0, count, format, out); break;
    case 8: DecodeIndexed<8>(row, x0, count, format, out); break;
    case 16:
        row += 2 * x0;
        for (int64_t i = 0; i < count; ++i)
            out[i] = FromBgr(ExpandPixel16(LoadWord(row + 2 * i), format.is565));
        break;
    case 24:
        row += 3 * x0;
        for (int64_t i = 0; i < count; ++i, row += 3)
            out[i] = MakeXrgb(row[2], row[1], row[0]);
        break;
    case 32:
        row += 4 * x0;
        for (int64_t i = 0; i < count; ++i, row += 4)
            out[i] = MakeXrgb(row[2], row[1], row[0]);
        break;
    default: break;
    }
}

void EncodeRow(const Xrgb* pixels, int64_t count, const PixelFormat& format, BYTE* row, int64_t x0)
{
    switch (format.bitCount) {
    case 1: EncodeIndexed<1>(pixels, count, format, row, x0); break;
    case 2: EncodeIndexed<2>(pixels, count, format, row, x0); break;
    case 4: EncodeIndexed<4>(pixels, count, format, row, x0); break;
    case 8: EncodeIndexed<8>(pixels, count, format, row, x0); break;
    case 16:
        row += 2 * x0;
        for (int64_t i = 0; i < count; ++i) {
            const Xrgb p = pixels[i];
            StoreWord(row + 2 * i, PackPixel16((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF, format.is565));
        }
        break;
    case 24:
        row += 3 * x0;
        for (int64_t i = 0; i < count; ++i, row += 3) {
            row[0] = static_cast<BYTE>(pixels[i]);
            row[1] = static_cast<BYTE>(pixels[i] >> 8);
            row[2] = static_cast<BYTE>(pixels[i] >> 16);
        }
        break;
    case 32:
        // A working pixel is the surface pixel itself: blue, green, red, 0 in memory.
        std::memcpy(row + 4 * x0, pixels, static_cast<size_t>(count) * sizeof(Xrgb));
        break;
    default: break;
    }
}

}  // namespace gdi
}  // namespace velmoro
