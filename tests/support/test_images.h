// SPDX-License-Identifier: MIT
// Images for tests: any size, depth and layout, filled with seeded random bytes,
// and the hooks a test needs into protected state.
#ifndef VELMORO_TESTS_SUPPORT_TEST_IMAGES_H
#define VELMORO_TESTS_SUPPORT_TEST_IMAGES_H

#include <velmoro/dib_edit.h>
#include <velmoro/internal/test_switches.h>

#include <cstdint>
#include <ostream>
#include <vector>

namespace velmoro_test {

// Row widths that take a twin's vector rows through every tail: 1 to 67 pixels
// (past four AVX2 steps of bytes), and a long odd one.
std::vector<int> TwinTestWidths();

// Switches the SIMD twins on or off for the lifetime of the object.
class SimdScope {
public:
    explicit SimdScope(bool enabled);
    ~SimdScope();
    SimdScope(const SimdScope&) = delete;
    SimdScope& operator=(const SimdScope&) = delete;

private:
    int m_previous;
};

// The vector rows a test may ask the library for. Without the test switches
// only the widest rows the processor has can be asked for.
enum class VectorRows { kWidest, kBelowAvx2, kBelowSsse3, kPlain };

// Every choice this build can make, widest first.
std::vector<VectorRows> VectorRowsChoices();
const char* Name(VectorRows rows);

// Narrows the library's row tables for the lifetime of the object, and restores
// the switches it found (nothing to do without the test switches).
class VectorRowsScope {
public:
    explicit VectorRowsScope(VectorRows rows);
    ~VectorRowsScope();
    VectorRowsScope(const VectorRowsScope&) = delete;
    VectorRowsScope& operator=(const VectorRowsScope&) = delete;

private:
#if defined(VELMORO_TEST_SWITCHES)
    velmoro::test::ScopedSwitches m_switches;
#endif
};

// Results of at least `bytes` are written by streaming stores for the lifetime of
// the object, whatever caches this machine has (nothing to do without the test
// switches).
class StreamingScope {
public:
    explicit StreamingScope(uint64_t bytes);
    ~StreamingScope();
    StreamingScope(const StreamingScope&) = delete;
    StreamingScope& operator=(const StreamingScope&) = delete;

private:
#if defined(VELMORO_TEST_SWITCHES)
    velmoro::test::ScopedSwitches m_switches;
#endif
};

struct ImageSpec {
    int width = 1;
    int height = 1;
    int bitCount = 24;
    DWORD compression = BI_RGB;  // BI_BITFIELDS adds three masks: 5-6-5, or 8-8-8 at 32 bits
    int colorEntries = -1;       // -1: the default for the depth (biClrUsed 0)
};

// How GoogleTest shows a parameter: "16 bits, BI_BITFIELDS, 20 entries".
void PrintTo(const ImageSpec& spec, std::ostream* out);

// Builds the image record directly, without going through Create.
class TestImage : public CDibEdit {
public:
    TestImage() = default;
    explicit TestImage(const ImageSpec& spec, uint32_t seed = 1);

    // Reallocates the pixel block to exactly stride x height bytes (the constructor
    // leaves a spare byte), so that a sanitizer sees a read past the last row.
    void FitPixelBlock();

    // Fills info-block colour entries and pixel bytes (padding included) from the seed.
    void Randomize(uint32_t seed);
    int Stride() const;
    BYTE* Row(int storedRow) const { return GetBmpBitsAddress() + static_cast<size_t>(Stride()) * storedRow; }
    size_t PixelBytes() const;  // in 64 bits: pictures of 2^31 - 1 columns have no int stride
    size_t InfoBytes() const;
    // The colour entries, behind the three masks of a BI_BITFIELDS header.
    RGBQUAD* Entries() const
    {
        const size_t maskBytes = GetCompression() == BI_BITFIELDS ? 12 : 0;
        return reinterpret_cast<RGBQUAD*>(reinterpret_cast<BYTE*>(GetBmpInfoAddress()) + 40 + maskBytes);
    }

    std::vector<BYTE> InfoCopy() const;
    std::vector<BYTE> PixelCopy() const;

    static void SetSimdFlag(int enabled) { SetMMXEnabled(enabled); }
    static int SimdFlag() { return IsMMXEnabled(); }
};

// Both blocks of an image, byte for byte, to check "unchanged on failure".
struct ImageSnapshot {
    explicit ImageSnapshot(const CDib& image);
    bool Matches(const CDib& image) const;

    const void* infoAddress;
    const void* bitsAddress;
    std::vector<BYTE> info;
    std::vector<BYTE> bits;
};

// The pixel block a 24-bit image's dither gives for one clock seed: the C
// runtime's classic generator (x = x * 214013 + 2531011, output bits 16..30)
// draws red, green, blue noise per pixel, rows in stored order.
std::vector<BYTE> DitheredPixels(const TestImage& image, uint32_t seed, DWORD format);

}  // namespace velmoro_test

#endif
