// SPDX-License-Identifier: MIT
#include "support/test_images.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>

namespace velmoro_test {

std::vector<int> TwinTestWidths()
{
    std::vector<int> widths;
    for (int width = 1; width <= 67; ++width)
        widths.push_back(width);
    widths.push_back(1001);
    return widths;
}

SimdScope::SimdScope(bool enabled) : m_previous(TestImage::SimdFlag())
{
    TestImage::SetSimdFlag(enabled ? 1 : 0);
}

SimdScope::~SimdScope()
{
    TestImage::SetSimdFlag(m_previous);
}

std::vector<VectorRows> VectorRowsChoices()
{
#if defined(VELMORO_TEST_SWITCHES)
    return {VectorRows::kWidest, VectorRows::kBelowAvx2, VectorRows::kBelowSsse3, VectorRows::kPlain};
#else
    return {VectorRows::kWidest};
#endif
}

const char* Name(VectorRows rows)
{
    switch (rows) {
    case VectorRows::kWidest: return "widest";
    case VectorRows::kBelowAvx2: return "below AVX2";
    case VectorRows::kBelowSsse3: return "below SSSE3";
    default: return "plain";
    }
}

#if defined(VELMORO_TEST_SWITCHES)
static velmoro::test::Switches SwitchesFor(VectorRows rows)
{
    velmoro::test::Switches switches;
    switches.vectorRows = rows != VectorRows::kPlain;
    switches.avx2 = rows == VectorRows::kWidest;
    switches.ssse3 = rows == VectorRows::kWidest || rows == VectorRows::kBelowAvx2;
    return switches;
}

VectorRowsScope::VectorRowsScope(VectorRows rows) : m_switches(SwitchesFor(rows)) {}
#else
VectorRowsScope::VectorRowsScope(VectorRows) {}
#endif

VectorRowsScope::~VectorRowsScope() = default;

#if defined(VELMORO_TEST_SWITCHES)
static velmoro::test::Switches StreamingFrom(uint64_t bytes)
{
    velmoro::test::Switches switches = velmoro::test::CurrentSwitches();
    switches.streamResultsFrom = bytes;
    return switches;
}

StreamingScope::StreamingScope(uint64_t bytes) : m_switches(StreamingFrom(bytes)) {}
#else
StreamingScope::StreamingScope(uint64_t) {}
#endif

StreamingScope::~StreamingScope() = default;

void PrintTo(const ImageSpec& spec, std::ostream* out)
{
    *out << spec.width << " x " << spec.height << ", " << spec.bitCount << " bits";
    if (spec.compression == BI_BITFIELDS)
        *out << ", BI_BITFIELDS";
    if (spec.colorEntries >= 0)
        *out << ", " << spec.colorEntries << " entries";
}

static size_t InfoBytesOf(const BITMAPINFO* info)
{
    return 40 + static_cast<size_t>(CDib::GetColorEntrySize(info));
}

static int64_t StrideOf(int width, int bitCount)
{
    return ((int64_t{width} * bitCount + 31) >> 3) & ~int64_t{3};
}

TestImage::TestImage(const ImageSpec& spec, uint32_t seed)
{
    BITMAPINFOHEADER header{};
    header.biSize = 40;
    header.biWidth = spec.width;
    header.biHeight = spec.height;
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(spec.bitCount);
    header.biCompression = spec.compression;
    header.biClrUsed = spec.colorEntries < 0 ? 0 : static_cast<DWORD>(spec.colorEntries);
    const size_t infoBytes = InfoBytesOf(reinterpret_cast<const BITMAPINFO*>(&header));
    const int64_t stride = StrideOf(spec.width, spec.bitCount);
    auto* info = static_cast<BITMAPINFO*>(std::malloc(infoBytes));
    auto* bits = static_cast<BYTE*>(std::malloc(static_cast<size_t>(stride) * spec.height + 1));
    std::memcpy(info, &header, sizeof header);
    if (spec.compression == BI_BITFIELDS) {
        const DWORD masks565[3] = {0xF800, 0x07E0, 0x001F};
        const DWORD masks888[3] = {0xFF0000, 0x00FF00, 0x0000FF};
        std::memcpy(reinterpret_cast<BYTE*>(info) + 40, spec.bitCount == 32 ? masks888 : masks565, sizeof masks565);
    }
    ReplaceBlocks(info, bits);
    Randomize(seed);
}

void TestImage::FitPixelBlock()
{
    const size_t pixelBytes = PixelBytes();
    auto* info = static_cast<BITMAPINFO*>(std::malloc(InfoBytes()));
    auto* bits = static_cast<BYTE*>(std::malloc(pixelBytes == 0 ? 1 : pixelBytes));
    std::memcpy(info, GetBmpInfoAddress(), InfoBytes());
    std::memcpy(bits, GetBmpBitsAddress(), pixelBytes);
    ReplaceBlocks(info, bits);
}

void TestImage::Randomize(uint32_t seed)
{
    std::mt19937 rng(seed);
    const size_t maskBytes = GetCompression() == BI_BITFIELDS ? 12 : 0;
    BYTE* table = reinterpret_cast<BYTE*>(GetBmpInfoAddress()) + 40 + maskBytes;
    for (size_t i = 0; i < InfoBytes() - 40 - maskBytes; ++i)
        table[i] = static_cast<BYTE>(rng());
    for (size_t i = 0; i < PixelBytes(); ++i)
        GetBmpBitsAddress()[i] = static_cast<BYTE>(rng());
}

int TestImage::Stride() const
{
    return static_cast<int>(StrideOf(GetWidth(), GetBitCount()));
}

size_t TestImage::PixelBytes() const
{
    return static_cast<size_t>(StrideOf(GetWidth(), GetBitCount()) * GetHeight());
}

size_t TestImage::InfoBytes() const
{
    return InfoBytesOf(GetBmpInfoAddress());
}

std::vector<BYTE> TestImage::InfoCopy() const
{
    const BYTE* info = reinterpret_cast<const BYTE*>(GetBmpInfoAddress());
    return std::vector<BYTE>(info, info + InfoBytes());
}

std::vector<BYTE> TestImage::PixelCopy() const
{
    return std::vector<BYTE>(GetBmpBitsAddress(), GetBmpBitsAddress() + PixelBytes());
}

ImageSnapshot::ImageSnapshot(const CDib& image)
    : infoAddress(image.GetBmpInfoAddress()), bitsAddress(image.GetBmpBitsAddress())
{
    if (image.IsEmpty())
        return;
    const BYTE* info = reinterpret_cast<const BYTE*>(image.GetBmpInfoAddress());
    this->info.assign(info, info + InfoBytesOf(image.GetBmpInfoAddress()));
    const int64_t stride = ((int64_t{image.GetWidth()} * image.GetBitCount() + 31) >> 3) & ~int64_t{3};
    const size_t pixelBytes = static_cast<size_t>(stride) * static_cast<size_t>(image.GetHeight());
    bits.assign(image.GetBmpBitsAddress(), image.GetBmpBitsAddress() + pixelBytes);
}

// Same blocks at the same addresses with the same bytes.
bool ImageSnapshot::Matches(const CDib& image) const
{
    if (image.GetBmpInfoAddress() != infoAddress || image.GetBmpBitsAddress() != bitsAddress)
        return false;
    return ImageSnapshot(image).info == info && ImageSnapshot(image).bits == bits;
}

std::vector<BYTE> DitheredPixels(const TestImage& image, uint32_t seed, DWORD format)
{
    std::vector<BYTE> pixels = image.PixelCopy();
    uint32_t state = seed;
    auto next = [&state] {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 0x7FFF);
    };
    const int greenRange = format == DIB_FORMAT_565 ? 4 : 8;
    for (int row = 0; row < image.GetHeight(); ++row) {
        BYTE* pixel = pixels.data() + static_cast<size_t>(image.Stride()) * row;
        for (int x = 0; x < image.GetWidth(); ++x, pixel += 3) {
            const int noise[3] = {next() % 8, next() % greenRange, next() % 8};  // red, green, blue
            for (int channel = 0; channel < 3; ++channel) {
                BYTE& value = pixel[2 - channel];
                value = static_cast<BYTE>(std::min(value + noise[channel], 255));
            }
        }
    }
    return pixels;
}

}  // namespace velmoro_test
