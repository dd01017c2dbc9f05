// SPDX-License-Identifier: MIT
// Operation sequences: the input is a short program over two images A and B of
// small random sizes and depths. Each step applies one operation (conversion,
// compositing, blending, crop, join, flip, interlace, effects, regions, drawing,
// import, round trips) with random arguments (rectangles, points, keys, alphas,
// kernels, phases, selectors, the SIMD flag) to one image, often with the other or itself as its partner. After
// every step both images must satisfy the record's rules (checked byte for byte
// under AddressSanitizer), and an operation that reports a failure must have left
// both images exactly as they were.
#include <velmoro/dib_edit.h>
#include <velmoro/dib_palette.h>
#include <velmoro/platform/file.h>

#include "image_checks.h"

#include <velmoro/internal/test_switches.h>

#include <fuzzer/FuzzedDataProvider.h>

#include <climits>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// Reaches the class-wide SIMD flag, as a caller of TryEnableMMXSupport could set it.
class FuzzImage : public CDibEdit {
public:
    static void SetSimd(bool enabled) { SetMMXEnabled(enabled ? 1 : 0); }
};

constexpr int kMaxSide = 96;  // larger images are made small again
constexpr int kMaxSteps = 24;

// Both blocks of an image, to tell whether a failed operation changed it.
struct Blocks {
    explicit Blocks(const CDib& image) : info(image.GetBmpInfoAddress()), bits(image.GetBmpBitsAddress())
    {
        if (!info)
            return;
        const BYTE* infoBytes = reinterpret_cast<const BYTE*>(info);
        infoCopy.assign(infoBytes, infoBytes + velmoro::InfoBlockBytes(info));
        bitsCopy.assign(bits, bits + velmoro::PixelBlockBytes(info->bmiHeader));
    }
    bool Same(const CDib& image) const
    {
        const Blocks now(image);
        return now.info == info && now.bits == bits && now.infoCopy == infoCopy && now.bitsCopy == bitsCopy;
    }

    const BITMAPINFO* info;
    const BYTE* bits;
    std::vector<BYTE> infoCopy;
    std::vector<BYTE> bitsCopy;
};

class Program {
public:
    Program(const uint8_t* data, size_t size) : m_input(data, size) {}

    void Run()
    {
        MakeImage(m_a);
        MakeImage(m_b);
        for (int step = 0; step < kMaxSteps && m_input.remaining_bytes() > 0; ++step) {
            FuzzImage& target = m_input.ConsumeBool() ? m_a : m_b;
            FuzzImage& other = m_input.ConsumeBool() ? m_a : m_b;
            const Blocks targetBefore(target), otherBefore(other);
            const DWORD code = Step(target, other);
            if (code != DIB_OK && (!targetBefore.Same(target) || !otherBefore.Same(other)))
                __builtin_trap();
            fuzz::CheckImage(m_a);
            fuzz::CheckImage(m_b);
            KeepSmall(m_a);
            KeepSmall(m_b);
        }
    }

private:
    int Side() { return m_input.ConsumeIntegralInRange<int>(0, 40); }
    // Mostly near the images, sometimes anywhere in the 32-bit range.
    LONG Coordinate()
    {
        if (m_input.ConsumeIntegralInRange<int>(0, 15) == 0)
            return m_input.ConsumeIntegral<LONG>();
        return m_input.ConsumeIntegralInRange<LONG>(-50, 140);
    }
    CRect Rect()
    {
        const LONG left = Coordinate(), top = Coordinate(), right = Coordinate(), bottom = Coordinate();
        return CRect(left, top, right, bottom);
    }
    CPoint Point()
    {
        const LONG x = Coordinate(), y = Coordinate();
        return CPoint(x, y);
    }
    DWORD Color() { return m_input.ConsumeIntegral<DWORD>(); }
    DWORD Format() { return m_input.ConsumeBool() ? DIB_FORMAT_565 : m_input.ConsumeIntegral<DWORD>(); }
    int BitCount()
    {
        static const int kBitCounts[] = {1, 4, 8, 16, 24, 8, 16, 24, 0, 32};
        return kBitCounts[m_input.ConsumeIntegralInRange<int>(0, 9)];
    }

    // Create with random arguments, then pixels from the input.
    DWORD MakeImage(FuzzImage& image)
    {
        const int width = Side(), height = Side(), bits = BitCount();
        const DWORD code = image.Create(width, height, bits, Color(), Format());
        if (code == DIB_OK)
            FillPixels(image);
        return code;
    }

    void FillPixels(FuzzImage& image)
    {
        const size_t bytes = static_cast<size_t>(velmoro::PixelBlockBytes(image.GetBmpInfoAddress()->bmiHeader));
        const std::vector<uint8_t> fill = m_input.ConsumeBytes<uint8_t>(bytes);
        if (!fill.empty())
            std::memcpy(image.GetBmpBitsAddress(), fill.data(), fill.size());
    }

    void KeepSmall(FuzzImage& image)
    {
        if (!image.IsEmpty() && (image.GetWidth() > kMaxSide || image.GetHeight() > kMaxSide))
            image.Create(8, 8, 24, 0, 0);
    }

    DWORD Step(FuzzImage& target, FuzzImage& other)
    {
        switch (m_input.ConsumeIntegralInRange<int>(0, 26)) {
        case 0: return MakeImage(target);
        case 1: return target.ConvertTo24BitPerPixel();
        case 2: return target.ConvertTo16BitPerPixel(Format());
        case 3: return target.Dither24To16BitPerPixel(Format());
        case 4: {
            // Three-image form: base and overlay may be either image, this one included.
            FuzzImage& base = m_input.ConsumeBool() ? target : other;
            CPoint point = Point();
            CRect rect = Rect();
            return target.CombineDib(base, other, Color(), m_input.ConsumeBool() ? &point : NULL,
                                     m_input.ConsumeBool() ? &rect : NULL, m_input.ConsumeBool());
        }
        case 5: {
            CPoint point = Point();
            CRect rect = Rect();
            return target.CombineDib(other, Color(), m_input.ConsumeBool() ? &point : NULL,
                                     m_input.ConsumeBool() ? &rect : NULL, m_input.ConsumeBool());
        }
        case 6: return target.AlphaBlend(other, m_input.ConsumeIntegral<uint8_t>());
        case 7: {
            FuzzImage& first = m_input.ConsumeBool() ? target : other;
            return target.AlphaBlendDirect(first, other, m_input.ConsumeIntegral<uint8_t>());
        }
        case 8: return target.MaskImage50(Color(), m_input.ConsumeIntegral<int>());
        case 9: {
            const bool wild = m_input.ConsumeBool();
            return target.FadeDib(wild ? m_input.ConsumeIntegral<int>() : m_input.ConsumeIntegralInRange<int>(-300, 300));
        }
        case 10: return Filter(target);
        case 11: {
            DWORD color = 0;
            return target.GetColorFromPoint(Point(), &color);
        }
        case 12: return target.CopyColorTable(other);
        case 13: return target.CopyDib(other);
        case 14: return Region(target);
        case 15: {
            const bool enabled = m_input.ConsumeBool();
            FuzzImage::SetSimd(enabled);
            const bool avx2 = m_input.ConsumeBool();
#if defined(VELMORO_TEST_SWITCHES)
            velmoro::test::Switches switches;
            switches.avx2 = avx2;
            velmoro::test::SetSwitches(switches);  // the input's guard restores them
#else
            (void)avx2;
#endif
            return DIB_OK;
        }
        case 16: return RoundTrip(target);
        case 17: {
            CDibPal palette;
            palette.Create(target);
            return DIB_OK;
        }
        case 18: return DrawAndImport(target, other);
        case 19:
            if (!target.IsEmpty())
                FillPixels(target);
            return DIB_OK;
        case 20: {
            CRect rect = Rect();
            return target.CropFrom(other, m_input.ConsumeBool() ? &rect : NULL);
        }
        case 21: return target.JoinHorz(other, Color());
        case 22: return target.JoinVert(other, Color());
        case 23: return target.InvertDibVert();
        case 24: return target.InvertDibHorz();
        case 25: {
            const int phase = m_input.ConsumeIntegral<int>();
            return m_input.ConsumeBool() ? target.CreateHorzInterlaceFrom(other, phase, Color())
                                         : target.CreateVertInterlaceFrom(other, phase, Color());
        }
        default: {
            // Assignment cannot report; it copies or keeps the picture.
            target = other;
            return DIB_OK;
        }
        }
    }

    DWORD Filter(FuzzImage& target)
    {
        int kernel[9];
        const bool wild = m_input.ConsumeBool();
        for (int& weight : kernel)
            weight = wild ? m_input.ConsumeIntegral<int>() : m_input.ConsumeIntegralInRange<int>(-16, 16);
        const int divisor = wild ? m_input.ConsumeIntegral<int>() : m_input.ConsumeIntegralInRange<int>(-4, 32);
        const int offset = wild ? m_input.ConsumeIntegral<int>() : m_input.ConsumeIntegralInRange<int>(-255, 255);
        return target.FilterDib(kernel, divisor, offset);
    }

    DWORD Region(FuzzImage& target)
    {
        HRGN region = NULL;
        const DWORD code = target.CreateRegionFromScanLine(&region, Color());
        if ((code == DIB_OK) != (region != NULL))
            __builtin_trap();
        if (region)
            DeleteObject(region);
        return code;
    }

    // Written and read back, an image must come back byte for byte.
    DWORD RoundTrip(FuzzImage& target)
    {
        if (target.IsEmpty())
            return DIB_OK;
        CMemFile file;
        if (target.WriteBmp(file, 0) != DIB_OK)
            __builtin_trap();
        CDibEdit reread;
        if (reread.Load(file, 0) != DIB_OK)
            __builtin_trap();
        const Blocks written(target), read(reread);
        if (read.infoCopy != written.infoCopy || read.bitsCopy != written.bitsCopy)
            __builtin_trap();
        return DIB_OK;
    }

    // Draws the target into a memory surface with random rectangles, then
    // imports that surface as the other image.
    DWORD DrawAndImport(FuzzImage& target, FuzzImage& other)
    {
        const int width = 1 + Side(), height = 1 + Side();
        static const UINT kSurfaceBits[] = {1, 4, 8, 16, 24, 32};
        HBITMAP bitmap = CreateBitmap(width, height, 1, kSurfaceBits[m_input.ConsumeIntegralInRange<int>(0, 5)], NULL);
        HDC hdc = CreateCompatibleDC(NULL);
        if (!bitmap || !hdc)
            __builtin_trap();
        HGDIOBJ previous = SelectObject(hdc, bitmap);
        {
            CDC dc(hdc);
            CRect dst = Rect(), src = Rect();
            target.Draw(dc, m_input.ConsumeBool() ? &dst : NULL, m_input.ConsumeBool() ? &src : NULL);
        }
        SelectObject(hdc, previous);
        DeleteDC(hdc);
        const DWORD code = other.CreateDIBFromBitmap(bitmap, NULL, Format());
        DeleteObject(bitmap);
        return code;
    }

    FuzzedDataProvider m_input;
    FuzzImage m_a;
    FuzzImage m_b;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 8192)
        return 0;
    FuzzImage::SetSimd(false);
#if defined(VELMORO_TEST_SWITCHES)
    const velmoro::test::ScopedSwitches switches{velmoro::test::Switches{}};
#endif
    Program(data, size).Run();
    return 0;
}
