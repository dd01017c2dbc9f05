// SPDX-License-Identifier: MIT
// Every family of the library on many threads at once. Each thread works on
// objects of its own and reads sources that all threads share, while another
// thread keeps switching the SIMD flag and the resource module; every result
// must be the one a single thread gets. scripts/test also runs this program
// under ThreadSanitizer, where any data race fails it.
// VELMORO_STRESS_ROUNDS sets the rounds per thread (default 10).
#include <velmoro/velmoro.h>

#include "support/jpeg_samples.h"
#include "support/test_files.h"
#include "support/test_images.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

using velmoro_test::ImageSpec;
using velmoro_test::TestImage;

// Read by ThreadSanitizer builds only. The dynamic loader frees in dlclose what
// a dlopen on another thread allocated, both under the loader's own lock, which
// ThreadSanitizer cannot see: codec objects loading and releasing the codec
// module on several threads would report a race that is not there.
extern "C" const char* __tsan_default_suppressions()
{
    return "race:ld-linux-x86-64.so.2\n";
}

namespace {

constexpr int kThreads = 8;
constexpr int kVariants = 3;
constexpr DWORD kCollectionTag = 0x53525453;  // "STRS"
constexpr DWORD kKey = RGB(0x40, 0x80, 0xC0);

// Everything observable of one step, compared byte for byte.
using Result = std::vector<BYTE>;

void Append(Result& result, const void* bytes, size_t count)
{
    const BYTE* begin = static_cast<const BYTE*>(bytes);
    result.insert(result.end(), begin, begin + count);
}

void AppendValue(Result& result, DWORD value)
{
    Append(result, &value, sizeof value);
}

// The result code, then both blocks of the image.
Result Outcome(DWORD code, const TestImage& image)
{
    Result result;
    AppendValue(result, code);
    if (!image.IsEmpty()) {
        Append(result, image.GetBmpInfoAddress(), image.InfoBytes());
        Append(result, image.GetBmpBitsAddress(), image.PixelBytes());
    }
    return result;
}

Result Outcome(DWORD code, const CDib& image)
{
    TestImage copy;
    copy.CopyDib(image);
    return Outcome(code, copy);
}

// The sources every thread reads and none changes: for each depth (8, 16, 24)
// a picture, a smaller overlay holding the key colour, and a second picture of
// the picture's size; and a JPEG stream of the 24-bit picture.
struct Sources {
    Sources()
    {
        const int depths[3] = {8, 16, 24};
        for (int i = 0; i < 3; ++i) {
            pictures[i] = TestImage(ImageSpec{37, 23, depths[i]}, 100 + i);
            seconds[i] = TestImage(ImageSpec{37, 23, depths[i]}, 200 + i);
            overlays[i] = TestImage(ImageSpec{13, 9, depths[i]}, 300 + i);
        }
        // 8-bit pictures share one table; key-coloured pixels in every overlay.
        std::memcpy(seconds[0].Entries(), pictures[0].Entries(), 256 * sizeof(RGBQUAD));
        std::memcpy(overlays[0].Entries(), pictures[0].Entries(), 256 * sizeof(RGBQUAD));
        overlays[0].Entries()[5] = RGBQUAD{0xC0, 0x80, 0x40, 0};
        for (int i = 0; i < 3; ++i) {
            for (int row = 0; row < 9; row += 2)
                PaintKey(overlays[i], row, depths[i]);
        }
        CJPeg codec;
        if (codec.InitJPEGLibrary(NULL))
            jpeg = velmoro_test::EncodeThroughCodec(codec, pictures[2]);
    }

    static void PaintKey(TestImage& image, int row, int depth)
    {
        BYTE* pixel = image.Row(row);
        if (depth == 8) {
            std::memset(pixel, 5, 6);
        } else if (depth == 16) {
            for (int x = 0; x < 6; ++x) {
                pixel[2 * x] = 0x18;  // 0x2218: kKey in 5-5-5
                pixel[2 * x + 1] = 0x22;
            }
        } else {
            for (int x = 0; x < 6; ++x) {
                pixel[3 * x] = 0xC0;
                pixel[3 * x + 1] = 0x80;
                pixel[3 * x + 2] = 0x40;
            }
        }
    }

    TestImage pictures[3];
    TestImage seconds[3];
    TestImage overlays[3];
    std::vector<BYTE> jpeg;
};

struct Step {
    std::string name;
    std::function<Result(Sources&, int variant)> run;
};

const int kDepthIndex[] = {0, 1, 2};

// Fresh own copies: a thread never changes a source.
TestImage Own(const TestImage& source)
{
    return TestImage(source);
}

void AddImageSteps(std::vector<Step>& steps)
{
    for (int d : kDepthIndex) {
        const std::string depth = std::to_string(d == 0 ? 8 : d == 1 ? 16 : 24);
        if (d != 2) {
            steps.push_back({"convert to 24 from " + depth, [d](Sources& s, int) {
                                 TestImage image = Own(s.pictures[d]);
                                 const DWORD code = image.ConvertTo24BitPerPixel();
                                 return Outcome(code, image);
                             }});
        }
        steps.push_back({"convert to 16 from " + depth, [d](Sources& s, int variant) {
                             TestImage image = Own(s.pictures[d]);
                             const DWORD code = image.ConvertTo16BitPerPixel(variant % 2 ? DIB_FORMAT_565 : DIB_FORMAT_555);
                             return Outcome(code, image);
                         }});
        steps.push_back({"combine into this at " + depth, [d](Sources& s, int variant) {
                             TestImage image = Own(s.pictures[d]);
                             CPoint at(3 * variant, 2 + variant);
                             const DWORD code = image.CombineDib(s.overlays[d], kKey, &at, NULL, variant != 1);
                             return Outcome(code, image);
                         }});
        steps.push_back({"combine base and overlay at " + depth, [d](Sources& s, int variant) {
                             TestImage image;
                             CPoint at(30 - variant, 20);  // the overlay hangs over the edge
                             CRect part(1, 0, 12, 8);
                             const DWORD code = image.CombineDib(s.pictures[d], s.overlays[d], kKey, &at, &part, 1);
                             return Outcome(code, image);
                         }});
        steps.push_back({"crop at " + depth, [d](Sources& s, int variant) {
                             TestImage image;
                             CRect rect(variant, 2, 30 + variant, 21);
                             const DWORD code = image.CropFrom(s.pictures[d], &rect);
                             return Outcome(code, image);
                         }});
        steps.push_back({"join at " + depth, [d](Sources& s, int variant) {
                             TestImage image = Own(s.pictures[d]);
                             const DWORD code = variant % 2 ? image.JoinHorz(s.overlays[d], kKey)
                                                            : image.JoinVert(s.overlays[d], kKey);
                             return Outcome(code, image);
                         }});
        steps.push_back({"flip at " + depth, [d](Sources& s, int variant) {
                             TestImage image = Own(s.pictures[d]);
                             const DWORD code = variant % 2 ? image.InvertDibHorz() : image.InvertDibVert();
                             return Outcome(code, image);
                         }});
        steps.push_back({"interlace at " + depth, [d](Sources& s, int variant) {
                             TestImage image = Own(s.seconds[d]);
                             const DWORD code = variant % 2 ? image.CreateHorzInterlaceFrom(s.pictures[d], variant, kKey)
                                                            : image.CreateVertInterlaceFrom(s.pictures[d], variant, kKey);
                             return Outcome(code, image);
                         }});
        steps.push_back({"mask at " + depth, [d](Sources& s, int variant) {
                             TestImage image = Own(s.pictures[d]);
                             const DWORD code = image.MaskImage50(kKey, variant);
                             return Outcome(code, image);
                         }});
        steps.push_back({"colour at points at " + depth, [d](Sources& s, int variant) {
                             Result result;
                             for (int x = variant; x < 37; x += 5) {
                                 DWORD color = 0;
                                 AppendValue(result, s.pictures[d].GetColorFromPoint(CPoint(x, x % 23), &color));
                                 AppendValue(result, color);
                             }
                             return result;
                         }});
        steps.push_back({"region at " + depth, [d](Sources& s, int) {
                             TestImage image = Own(s.overlays[d]);
                             HRGN region = NULL;
                             Result result;
                             AppendValue(result, image.CreateRegionFromScanLine(&region, kKey));
                             const DWORD bytes = GetRegionData(region, 0, NULL);
                             std::vector<BYTE> data(bytes);
                             if (bytes && GetRegionData(region, bytes, reinterpret_cast<RGNDATA*>(data.data())) == bytes)
                                 Append(result, data.data(), data.size());
                             DeleteObject(region);
                             return result;
                         }});
        steps.push_back({"write and load BMP at " + depth, [d](Sources& s, int) {
                             CMemFile file;
                             Result result;
                             AppendValue(result, s.pictures[d].WriteBmp(file, 0));
                             file.Seek(0, CFile::begin);
                             TestImage loaded;
                             const Result image = Outcome(loaded.Load(file, 0), loaded);
                             result.insert(result.end(), image.begin(), image.end());
                             return result;
                         }});
        if (d != 0) {
            steps.push_back({"blend at " + depth, [d](Sources& s, int variant) {
                                 TestImage image = Own(s.pictures[d]);
                                 const DWORD code = image.AlphaBlend(s.seconds[d], static_cast<unsigned char>(40 + 70 * variant));
                                 return Outcome(code, image);
                             }});
            steps.push_back({"blend direct at " + depth, [d](Sources& s, int variant) {
                                 TestImage image = Own(s.pictures[d]);
                                 const DWORD code = image.AlphaBlendDirect(s.pictures[d], s.seconds[d],
                                                                           static_cast<unsigned char>(33 + 80 * variant));
                                 return Outcome(code, image);
                             }});
        }
    }
    steps.push_back({"fade", [](Sources& s, int variant) {
                         TestImage image = Own(s.pictures[2]);
                         return Outcome(image.FadeDib(variant % 2 ? 40 : -40), image);
                     }});
    steps.push_back({"filter", [](Sources& s, int variant) {
                         int kernel[9] = {0, -1, 0, -1, 5 + variant, -1, 0, -1, 0};
                         TestImage image = Own(s.pictures[2]);
                         return Outcome(image.FilterDib(kernel, 1 + variant, variant), image);
                     }});
    // The noise is seeded from the clock: the result must be the noise of a
    // second the call ran in.
    steps.push_back({"dither", [](Sources& s, int variant) {
                         const DWORD format = variant % 2 ? DIB_FORMAT_565 : DIB_FORMAT_555;
                         TestImage image = Own(s.pictures[2]);
                         const std::time_t before = std::time(NULL);
                         const DWORD code = image.Dither24To16BitPerPixel(format);
                         const std::time_t after = std::time(NULL);
                         bool matches = false;
                         for (std::time_t second = before; second <= after && !matches; ++second) {
                             matches = image.PixelCopy() ==
                                       velmoro_test::DitheredPixels(s.pictures[2], static_cast<uint32_t>(second), format);
                         }
                         return Result{static_cast<BYTE>(code), static_cast<BYTE>(matches)};
                     }});
}

void AddCollectionAndCodecSteps(std::vector<Step>& steps)
{
    steps.push_back({"collection save, load and refresh", [](Sources& s, int variant) {
                         CDibEditList list;
                         for (int d : kDepthIndex) {
                             auto* node = new CDibEditNode;
                             list.AppendNode(node);
                             node->SetID(static_cast<WORD>(d + variant));
                             node->SetIDString(("picture " + std::to_string(d)).c_str());
                             node->CopyDib(s.pictures[d]);
                         }
                         CMemFile file;
                         Result result;
                         AppendValue(result, list.SaveFile(file, kCollectionTag, 0));
                         const std::vector<BYTE> saved = velmoro_test::FileBytes(file);
                         Append(result, saved.data(), saved.size());
                         file.Seek(0, CFile::begin);
                         CDibEditList loaded;
                         AppendValue(result, loaded.CreateNewNodeFromFile(file, kCollectionTag, 0));
                         if (loaded.GetFirstNode())
                             loaded.GetFirstNode()->InvertDibVert();
                         file.Seek(0, CFile::begin);
                         AppendValue(result, loaded.RefreshNodeFromFile(file, kCollectionTag, 0));
                         for (CDibEditNode* node = loaded.GetFirstNode(); node; node = loaded.GetNextNode(node)) {
                             const Result image = Outcome(node->GetID(), *node);
                             result.insert(result.end(), image.begin(), image.end());
                         }
                         return result;
                     }});
    steps.push_back({"JPEG decode and encode", [](Sources& s, int variant) {
                         CJPeg codec;  // each thread loads and releases the codec module
                         Result result;
                         AppendValue(result, static_cast<DWORD>(codec.InitJPEGLibrary(NULL)));
                         std::vector<BYTE> stream = s.jpeg;
                         CMemFile file(stream.data(), static_cast<UINT>(stream.size()));
                         CDib picture;
                         const Result decoded = Outcome(picture.LoadJPEG(codec, file, 0), picture);
                         result.insert(result.end(), decoded.begin(), decoded.end());
                         const std::vector<BYTE> encoded =
                             velmoro_test::EncodeThroughCodec(codec, s.pictures[2], 50 + 20 * static_cast<DWORD>(variant));
                         Append(result, encoded.data(), encoded.size());
                         return result;
                     }});
    steps.push_back({"bitmap resource", [](Sources&, int variant) {
                         CDib image;
                         const DWORD code = variant % 2 ? image.Load(1) : image.Load(GetModuleHandleA(NULL), 1);
                         return Outcome(code, image);
                     }});
}

// The colours of a w x h area of a context's surface.
Result ReadBack(HDC hdc, int left, int top, int width, int height)
{
    Result result;
    for (int y = top; y < top + height; ++y) {
        for (int x = left; x < left + width; ++x)
            AppendValue(result, GetPixel(hdc, x, y));
    }
    return result;
}

void AddDrawingSteps(std::vector<Step>& steps)
{
    for (int d : kDepthIndex) {
        const std::string depth = std::to_string(d == 0 ? 8 : d == 1 ? 16 : 24);
        // Every thread draws the same picture at the same place of the screen and
        // reads it back: the area ends the same in whatever order they draw.
        steps.push_back({"screen, one place for all at " + depth, [d](Sources& s, int) {
                             HDC screen = GetDC(NULL);
                             CDC dc(screen);
                             const CRect place(100 * d, 0, 100 * d + 37, 23);
                             s.pictures[d].Draw(dc, &place, NULL);
                             Result result = ReadBack(screen, place.left, place.top, 37, 23);
                             ReleaseDC(NULL, screen);
                             return result;
                         }});
    }
    // Each thread stretches into an area of the screen of its own.
    steps.push_back({"screen, an area per thread", [](Sources& s, int variant) {
                         static std::atomic<int> nextArea{0};
                         thread_local const int area = nextArea.fetch_add(1) % 64;
                         const int left = 64 * (area % 16);
                         const int top = 100 + 64 * (area / 16);
                         HDC screen = GetDC(NULL);
                         CDC dc(screen);
                         const CRect place(left, top, left + 50, top + 40 + variant);
                         s.pictures[variant].Draw(dc, &place, NULL);
                         Result result = ReadBack(screen, left, top, 50, 40 + variant);
                         ReleaseDC(NULL, screen);
                         return result;
                     }});
    steps.push_back({"memory context and palette", [](Sources& s, int variant) {
                         HDC hdc = CreateCompatibleDC(NULL);
                         HBITMAP bitmap = CreateBitmap(41, 27, 1, variant == 0 ? 8 : 32, NULL);
                         HGDIOBJ previous = SelectObject(hdc, bitmap);
                         CDibPal palette;
                         Result result;
                         AppendValue(result, static_cast<DWORD>(palette.Create(s.pictures[variant])));
                         std::vector<PALETTEENTRY> entries(static_cast<size_t>(palette.GetNumColor()));
                         GetPaletteEntries(palette.GetHPalette(), 0, static_cast<UINT>(entries.size()), entries.data());
                         Append(result, entries.data(), entries.size() * sizeof(PALETTEENTRY));
                         HPALETTE halftone = CreateHalftonePalette(hdc);
                         HPALETTE old = SelectPalette(hdc, variant == 0 ? palette.GetHPalette() : halftone, FALSE);
                         AppendValue(result, RealizePalette(hdc));
                         CDC dc(hdc);
                         s.pictures[variant].Draw(dc, NULL, NULL);
                         CDib drawn;
                         SelectObject(hdc, previous);
                         const Result image = Outcome(drawn.CreateDIBFromBitmap(bitmap, halftone, DIB_FORMAT_565), drawn);
                         result.insert(result.end(), image.begin(), image.end());
                         SelectPalette(hdc, old, FALSE);
                         DeleteObject(halftone);
                         DeleteObject(bitmap);
                         DeleteDC(hdc);
                         return result;
                     }});
}

std::vector<Step> AllSteps()
{
    std::vector<Step> steps;
    AddImageSteps(steps);
    AddCollectionAndCodecSteps(steps);
    AddDrawingSteps(steps);
    return steps;
}

int Rounds()
{
    const char* text = std::getenv("VELMORO_STRESS_ROUNDS");
    const int rounds = text ? std::atoi(text) : 0;
    return rounds > 0 ? rounds : 10;
}

// Expected results of every step and variant with the flag off and on, from one thread.
struct References {
    References(std::vector<Step>& steps, Sources& sources)
    {
        for (int simd = 0; simd < 2; ++simd) {
            TestImage::SetSimdFlag(simd);
            for (Step& step : steps) {
                std::vector<Result> byVariant;
                for (int variant = 0; variant < kVariants; ++variant)
                    byVariant.push_back(step.run(sources, variant));
                (simd ? twins : plain).push_back(byVariant);
            }
        }
        TestImage::SetSimdFlag(0);
    }

    bool Matches(size_t step, int variant, const Result& result) const
    {
        return result == plain[step][variant] || result == twins[step][variant];
    }

    std::vector<std::vector<Result>> plain;
    std::vector<std::vector<Result>> twins;
};

class ThreadStress : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_sources = new Sources;
        s_steps = new std::vector<Step>(AllSteps());
        s_references = new References(*s_steps, *s_sources);
    }
    static void TearDownTestSuite()
    {
        delete s_references;
        delete s_steps;
        delete s_sources;
    }

    static Sources* s_sources;
    static std::vector<Step>* s_steps;
    static References* s_references;
};

Sources* ThreadStress::s_sources = nullptr;
std::vector<Step>* ThreadStress::s_steps = nullptr;
References* ThreadStress::s_references = nullptr;

// What the README says the SIMD flag changes: the pixels of the 24-bit direct
// blend (its twin rounds the whole mix down), and the padding word of odd-width
// rows in the in-place switch between 16-bit layouts (the twin converts it too;
// the sources' padding is random, so it shows).
TEST_F(ThreadStress, OnlyTheDirectBlendAtTwentyFourBitsAndTheSixteenBitPaddingDependOnTheSimdFlag)
{
    ASSERT_FALSE(s_sources->jpeg.empty());
    std::vector<std::string> differing;
    for (size_t i = 0; i < s_steps->size(); ++i) {
        if (s_references->plain[i] != s_references->twins[i])
            differing.push_back((*s_steps)[i].name);
    }
    EXPECT_EQ(differing, (std::vector<std::string>{"convert to 16 from 16", "blend direct at 24"}));
}

TEST_F(ThreadStress, EveryFamilyOnEightThreadsGivesTheSingleThreadResults)
{
    const int rounds = Rounds();
    std::atomic<bool> stop{false};
    // Switches the process-wide state the workers depend on, as fast as it can.
    std::thread switcher([&stop] {
        HMODULE program = GetModuleHandleA(NULL);
        for (unsigned i = 0; !stop.load(std::memory_order_relaxed); ++i) {
            if (i % 3 == 0)
                CDibEdit::TryEnableMMXSupport();
            else
                TestImage::SetSimdFlag(static_cast<int>(i & 1));
            AfxSetResourceHandle(i & 2 ? program : NULL);  // both mean the program
            std::this_thread::yield();
        }
    });
    std::mutex failuresLock;
    std::vector<std::string> failures;
    std::atomic<long> checked{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t) {
        workers.emplace_back([&, t] {
            const size_t count = s_steps->size();
            for (int round = 0; round < rounds; ++round) {
                for (size_t n = 0; n < count; ++n) {
                    const size_t step = (n + static_cast<size_t>(t) * 5) % count;  // threads meet in every family
                    const int variant = (round + t) % kVariants;
                    const Result result = (*s_steps)[step].run(*s_sources, variant);
                    checked.fetch_add(1);
                    if (!s_references->Matches(step, variant, result)) {
                        std::lock_guard<std::mutex> lock(failuresLock);
                        failures.push_back((*s_steps)[step].name + ", variant " + std::to_string(variant));
                    }
                }
            }
        });
    }
    for (std::thread& worker : workers)
        worker.join();
    stop = true;
    switcher.join();
    TestImage::SetSimdFlag(0);
    AfxSetResourceHandle(NULL);
    EXPECT_EQ(checked.load(), static_cast<long>(kThreads) * rounds * static_cast<long>(s_steps->size()));
    EXPECT_TRUE(failures.empty()) << failures.size() << " results differ, the first: " << failures.front();
}

}  // namespace
