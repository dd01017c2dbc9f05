// SPDX-License-Identifier: MIT
// Every allocation an operation makes may fail: the operation then reports it
// (DIB_ERR_NO_MEMORY, or the count or 0 its interface gives) and leaves every
// image it touches exactly as it was. The sanitizer build adds that none of
// these paths leaks.
#include <velmoro/dib_collection.h>
#include <velmoro/dib_palette.h>
#include <velmoro/jpeg.h>
#include <velmoro/picture_io.h>
#include <velmoro/platform/file.h>

#include "collection_helpers.h"
#include "support/fault_injection.h"
#include "support/jpeg_samples.h"
#include "support/test_files.h"
#include "support/test_images.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

using namespace velmoro_test;

namespace {

// Both blocks of every image an operation involves.
class Snapshots {
public:
    explicit Snapshots(const std::vector<const CDib*>& images)
    {
        for (const CDib* image : images)
            m_snapshots.emplace_back(*image);
    }
    bool Match(const std::vector<const CDib*>& images) const
    {
        for (size_t i = 0; i < images.size(); ++i) {
            if (!m_snapshots[i].Matches(*images[i]))
                return false;
        }
        return true;
    }

private:
    std::vector<ImageSnapshot> m_snapshots;
};

DWORD NoMemory(int)
{
    return DIB_ERR_NO_MEMORY;
}

// Fails the 1st, 2nd, ... allocation of the operation until it gives DIB_OK;
// each failed run must give the expected code and leave the images as they
// were. Returns the number of allocations the operation makes.
int FailEachAllocation(const std::vector<const CDib*>& images, const std::function<DWORD()>& operation,
                       const std::function<DWORD(int failAt)>& expected = NoMemory)
{
    return ForEachAllocationFailure([&](int failAt) {
        const Snapshots before(images);
        const DWORD code = operation();
        if (code == DIB_OK)
            return true;
        EXPECT_EQ(code, expected(failAt)) << "allocation " << failAt;
        EXPECT_TRUE(before.Match(images)) << "allocation " << failAt;
        return false;
    });
}

std::vector<BYTE> BmpBytes(const ImageSpec& spec)
{
    TestImage image(spec, 21);
    CMemFile file;
    image.WriteBmp(file, 0);
    return FileBytes(file);
}

std::string TempPath(const char* name)
{
    return ::testing::TempDir() + "velmoro_faults_" + std::to_string(::getpid()) + "_" + name;
}

void WriteFile(const std::string& path, const std::vector<BYTE>& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

TEST(AllocationFailure, FileLoadsKeepTheOldImage)
{
    TestImage image(ImageSpec{3, 3, 24}, 2);
    for (const ImageSpec& spec : {ImageSpec{9, 5, 8, BI_RGB, 40}, ImageSpec{6, 2, 16, BI_BITFIELDS},
                                  ImageSpec{7, 3, 24}, ImageSpec{17, 2, 1}}) {
        const std::vector<BYTE> bytes = BmpBytes(spec);
        EXPECT_EQ(FailEachAllocation({&image},
                                     [&] {
                                         BytesFile file(bytes);
                                         return image.Load(file, 0);
                                     }),
                  2)  // info block, pixel block
            << spec.bitCount;
        EXPECT_EQ(image.GetWidth(), spec.width);
    }

    const std::string path = TempPath("load.bmp");
    WriteFile(path, BmpBytes(ImageSpec{5, 4, 8}));
    EXPECT_EQ(FailEachAllocation({&image}, [&] { return image.Load(path.c_str()); }), 2);
    std::remove(path.c_str());
}

TEST(AllocationFailure, ResourceLoadsKeepTheOldImage)
{
    TestImage image(ImageSpec{3, 3, 24}, 2);
    EXPECT_EQ(FailEachAllocation({&image}, [&] { return image.Load(GetModuleHandleA(NULL), 1); }), 2);
    TestImage other(ImageSpec{3, 3, 8}, 4);
    EXPECT_EQ(FailEachAllocation({&other}, [&] { return other.Load(2); }), 2);
}

// The properties record is the first allocation: without it there is no
// conversion, which reads as a codec failure.
TEST(AllocationFailure, JpegLoadsKeepTheOldImageAndReleaseTheRecord)
{
    CJPeg codec;
    ASSERT_EQ(codec.InitJPEGLibrary(NULL), 1);
    const std::vector<BYTE> jpeg = EncodeThroughCodec(codec, TestImage(ImageSpec{13, 7, 24}, 8));
    TestImage image(ImageSpec{3, 3, 8}, 2);
    const auto expected = [](int failAt) { return failAt == 1 ? DIB_ERR_JPEG : DIB_ERR_NO_MEMORY; };

    EXPECT_EQ(FailEachAllocation({&image},
                                 [&] {
                                     BytesFile file(jpeg);
                                     const DWORD code = image.LoadJPEG(codec, file, 0);
                                     EXPECT_EQ(codec.JpgGetProperties(), nullptr);
                                     return code;
                                 },
                                 expected),
              4);  // record, stream, info block, pixel block
    EXPECT_EQ(image.GetWidth(), 13);

    const std::string path = TempPath("load.jpg");
    WriteFile(path, jpeg);
    TestImage fromPath(ImageSpec{3, 3, 8}, 2);
    EXPECT_EQ(FailEachAllocation({&fromPath}, [&] { return fromPath.LoadJPEG(codec, path.c_str()); }, expected), 3);
    std::remove(path.c_str());

    {
        AllocationFailure failure(1);
        EXPECT_EQ(codec.JpgInitConversion(), IJL_MEMORY_ERROR);
    }
    EXPECT_EQ(codec.JpgGetProperties(), nullptr);
}

// Pictures read from memory and written into memory: a failed allocation gives
// DIB_ERR_NO_MEMORY (DIB_ERR_JPEG when the codec's record is the one that
// fails), keeps the image, and writes nothing.
TEST(AllocationFailure, PictureReadsAndWritesKeepTheImageAndWriteNothing)
{
    TestImage source(ImageSpec{13, 7, 16}, 3);
    TestImage image(ImageSpec{3, 3, 8}, 2);
    const auto jpegRecordFirst = [](int failAt) { return failAt == 1 ? DIB_ERR_JPEG : DIB_ERR_NO_MEMORY; };
    for (int format : {PICTURE_FORMAT_BMP, PICTURE_FORMAT_PNG, PICTURE_FORMAT_JPEG}) {
        SCOPED_TRACE(format);
        const PictureWriteOptions options = DefaultPictureWriteOptions(format);
        const int writeAllocations = FailEachAllocation({&source}, [&] {
            CMemFile file;
            const DWORD code = WritePicture(source, file, options);
            EXPECT_TRUE(code == DIB_OK || file.GetLength() == 0);
            return code;
        });
        EXPECT_GE(writeAllocations, format == PICTURE_FORMAT_BMP ? 0 : 2);

        CMemFile file;
        ASSERT_EQ(WritePicture(source, file, options), DIB_OK);
        const std::vector<BYTE> bytes = FileBytes(file);
        EXPECT_GE(FailEachAllocation({&image},
                                     [&] { return LoadPicture(image, bytes.data(), bytes.size(), DefaultPictureReadOptions()); },
                                     format == PICTURE_FORMAT_JPEG ? std::function<DWORD(int)>(jpegRecordFirst) : NoMemory),
                  2);
        EXPECT_EQ(image.GetWidth(), 13);
    }
}

// An editing operation on image A with B as the other image, and the number of
// allocations it makes (0: it cannot fail for memory).
struct EditCase {
    const char* name;
    ImageSpec a;
    ImageSpec b;
    std::function<DWORD(CDibEdit& a, CDibEdit& b)> run;
    int allocations;
};

void RunEditCases(const std::vector<EditCase>& cases)
{
    for (const bool simd : {false, true}) {
        SimdScope scope(simd);
        for (const EditCase& c : cases) {
            TestImage a(c.a, 5), b(c.b, 6);
            EXPECT_EQ(FailEachAllocation({&a, &b}, [&] { return c.run(a, b); }), c.allocations)
                << c.name << (simd ? ", SIMD" : "");
        }
    }
}

TEST(AllocationFailure, CreateAndConversionsKeepTheImage)
{
    const ImageSpec any{4, 3, 24};
    std::vector<EditCase> cases;
    for (int bits : {1, 4, 8, 16, 24}) {
        cases.push_back({"Create", any, any,
                         [bits](CDibEdit& a, CDibEdit&) { return a.Create(9, 5, bits, 0x00336699, DIB_FORMAT_565); },
                         2});
    }
    cases.push_back({"Create 5-5-5", any, any,
                     [](CDibEdit& a, CDibEdit&) { return a.Create(9, 5, 16, 0x00336699, DIB_FORMAT_555); }, 2});
    const auto to24 = [](CDibEdit& a, CDibEdit&) { return a.ConvertTo24BitPerPixel(); };
    const auto to555 = [](CDibEdit& a, CDibEdit&) { return a.ConvertTo16BitPerPixel(DIB_FORMAT_555); };
    const auto to565 = [](CDibEdit& a, CDibEdit&) { return a.ConvertTo16BitPerPixel(DIB_FORMAT_565); };
    const std::vector<EditCase> conversions = {
        {"8 to 24", {37, 3, 8}, any, to24, 2},
        {"555 to 24", {37, 3, 16}, any, to24, 2},
        {"565 to 24", {37, 3, 16, BI_BITFIELDS}, any, to24, 2},
        {"8 to 565", {37, 3, 8, BI_RGB, 100}, any, to565, 2},
        {"24 to 555", {37, 3, 24}, any, to555, 2},
        {"24 to 565", {37, 3, 24}, any, to565, 2},
        {"555 to 565 in place", {37, 3, 16}, any, to565, 1},
        {"565 to 555 in place", {37, 3, 16, BI_BITFIELDS}, any, to555, 1},
        {"24 to 24", {37, 3, 24}, any, to24, 0},
        {"dither", {37, 3, 24}, any, [](CDibEdit& a, CDibEdit&) { return a.Dither24To16BitPerPixel(0); }, 0},
    };
    cases.insert(cases.end(), conversions.begin(), conversions.end());
    RunEditCases(cases);
}

TEST(AllocationFailure, CompositingBlendingAndEffectsKeepEveryImage)
{
    std::vector<EditCase> cases;
    for (int bits : {8, 16, 24}) {
        const ImageSpec base{41, 9, bits}, overlay{17, 5, bits};
        cases.push_back({"combine with itself as base", base, overlay,
                         [](CDibEdit& a, CDibEdit& b) {
                             CPoint at(30, 6);
                             return a.CombineDib(a, b, 0, &at, NULL, 0);
                         },
                         2});
        cases.push_back({"combine in place", base, overlay,
                         [](CDibEdit& a, CDibEdit& b) {
                             CPoint at(1, 1);
                             return a.CombineDib(b, 0x00FF00FF, &at, NULL, 1);
                         },
                         0});
        cases.push_back({"mask", base, overlay, [](CDibEdit& a, CDibEdit&) { return a.MaskImage50(0x123456, 1); }, 0});
        cases.push_back({"colour at point", base, overlay,
                         [](CDibEdit& a, CDibEdit&) {
                             DWORD color = 0;
                             return a.GetColorFromPoint(CPoint(4, 4), &color);
                         },
                         0});
    }
    for (int bits : {16, 24}) {
        const ImageSpec image{33, 6, bits};
        cases.push_back({"blend", image, image, [](CDibEdit& a, CDibEdit& b) { return a.AlphaBlend(b, 77); }, 0});
        cases.push_back({"blend direct", image, image,
                         [](CDibEdit& a, CDibEdit& b) { return a.AlphaBlendDirect(a, b, 200); }, 0});
    }
    const ImageSpec rgb{35, 7, 24};
    int kernel[9] = {1, 2, 1, 2, 4, 2, 1, 2, 1};
    cases.push_back({"filter", rgb, rgb, [&kernel](CDibEdit& a, CDibEdit&) { return a.FilterDib(kernel, 16, 0); }, 1});
    cases.push_back({"fade", rgb, rgb, [](CDibEdit& a, CDibEdit&) { return a.FadeDib(-40); }, 0});
    cases.push_back({"copy colour table", ImageSpec{5, 5, 8}, ImageSpec{3, 3, 8},
                     [](CDibEdit& a, CDibEdit& b) { return a.CopyColorTable(b); }, 0});
    cases.push_back({"copy", rgb, ImageSpec{5, 5, 8}, [](CDibEdit& a, CDibEdit& b) { return a.CopyDib(b); }, 2});
    cases.push_back({"write", rgb, rgb,
                     [](CDibEdit& a, CDibEdit&) {
                         CMemFile file;
                         return a.WriteBmp(file, 0);
                     },
                     0});
    RunEditCases(cases);
}

TEST(AllocationFailure, CropJoinFlipAndInterlaceKeepEveryImage)
{
    std::vector<EditCase> cases;
    for (int bits : {8, 16, 24}) {
        const ImageSpec a{23, 7, bits}, b{9, 12, bits};
        cases.push_back({"crop", a, b,
                         [](CDibEdit& a, CDibEdit& b) {
                             CRect rect(1, 2, 7, 9);
                             return a.CropFrom(b, &rect);
                         },
                         2});
        cases.push_back({"crop of the whole", a, b, [](CDibEdit& a, CDibEdit& b) { return a.CropFrom(b, NULL); }, 2});
        cases.push_back({"join side by side", a, b, [](CDibEdit& a, CDibEdit& b) { return a.JoinHorz(b, 0x00445566); },
                         1});
        cases.push_back({"join with itself", a, b, [](CDibEdit& a, CDibEdit&) { return a.JoinVert(a, 0x00445566); },
                         1});
        cases.push_back({"join stacked", a, b, [](CDibEdit& a, CDibEdit& b) { return a.JoinVert(b, 0); }, 1});
        cases.push_back({"flip", a, b,
                         [](CDibEdit& a, CDibEdit&) {
                             const DWORD code = a.InvertDibVert();
                             return code != DIB_OK ? code : a.InvertDibHorz();
                         },
                         0});
        cases.push_back({"interlace rows", a, b,
                         [](CDibEdit& a, CDibEdit& b) { return a.CreateHorzInterlaceFrom(b, 1, 0x00FFFFFF); }, 2});
        cases.push_back({"interlace columns", a, b,
                         [](CDibEdit& a, CDibEdit& b) { return a.CreateVertInterlaceFrom(b, 0, 0); }, 2});
    }
    RunEditCases(cases);
}

// The receiving image of the three-image form is neither source: its own blocks
// must survive the failure too.
TEST(AllocationFailure, CombineKeepsADistinctReceiver)
{
    for (int bits : {8, 16, 24}) {
        SimdScope simd(bits != 16);
        TestImage receiver(ImageSpec{6, 6, 16}, 1), base(ImageSpec{20, 8, bits}, 2), overlay(ImageSpec{9, 3, bits}, 3);
        CPoint at(2, 2);
        EXPECT_EQ(FailEachAllocation({&receiver, &base, &overlay},
                                     [&] { return receiver.CombineDib(base, overlay, 0, &at, NULL, 1); }),
                  2)
            << bits;
        EXPECT_EQ(receiver.GetWidth(), 20);
    }
}

TEST(AllocationFailure, ImageAssignmentKeepsTheTarget)
{
    TestImage source(ImageSpec{7, 4, 16, BI_BITFIELDS}, 5);
    TestImage assigned(ImageSpec{2, 2, 8}, 6);
    const int failures = ForEachAllocationFailure([&](int failAt) {
        const ImageSnapshot before(assigned);
        assigned = source;  // cannot report: keeps its picture
        if (assigned.GetWidth() == 7)
            return true;
        EXPECT_TRUE(before.Matches(assigned)) << failAt;
        return false;
    });
    EXPECT_EQ(failures, 2);
}

TEST(AllocationFailure, ChunkReadsKeepTheNodeImage)
{
    auto written = collection_test::MakeNode(ImageSpec{11, 4, 8, BI_RGB, 30}, 7, 42, "sprite");
    const std::vector<BYTE> chunk = collection_test::ChunkOf(*written);
    const std::vector<BYTE> afterId(chunk.begin() + 2, chunk.end());
    auto node = collection_test::MakeNode(ImageSpec{3, 3, 24}, 9, 5, "old");

    const int readFailures = ForEachAllocationFailure([&](int failAt) {
        const ImageSnapshot before(*node);
        BytesFile file(chunk);
        if (node->ReadChunk(file) == 1)
            return true;
        EXPECT_TRUE(before.Matches(*node)) << failAt;
        return false;
    });
    EXPECT_EQ(readFailures, 2);
    EXPECT_TRUE(collection_test::SameImage(*node, *written));

    auto refreshed = collection_test::MakeNode(ImageSpec{3, 3, 24}, 9, 5, "old");
    const int refreshFailures = ForEachAllocationFailure([&](int failAt) {
        const ImageSnapshot before(*refreshed);
        BytesFile file(afterId);
        if (refreshed->RefreshChunk(file) == 1)
            return true;
        EXPECT_TRUE(before.Matches(*refreshed)) << failAt;
        return false;
    });
    EXPECT_EQ(refreshFailures, 2);
    EXPECT_EQ(refreshed->GetID(), 5);
    EXPECT_STREQ(refreshed->GetIDString(), "old");
}

std::vector<BYTE> CollectionOf(const std::vector<ImageSpec>& specs, uint32_t seed)
{
    CDibEditList list;
    WORD id = 0;
    for (const ImageSpec& spec : specs) {
        ++id;
        list.AppendNode(collection_test::MakeNode(spec, seed + id, id, "n").release());
    }
    CMemFile file;
    list.SaveFile(file, 0x4C4F4356, 0);
    return FileBytes(file);
}

// Each chunk costs the node and its two blocks; a failure ends the load with the
// nodes read so far appended whole, and the nodes already there untouched.
TEST(AllocationFailure, CollectionLoadAppendsOnlyWholeNodes)
{
    const std::vector<ImageSpec> specs = {{5, 3, 8}, {4, 4, 16}, {6, 2, 24}};
    const std::vector<BYTE> bytes = CollectionOf(specs, 10);
    CDibEditList list;
    list.AppendNode(collection_test::MakeNode(ImageSpec{2, 2, 24}, 1, 99, "kept").release());
    CDibEditNode* kept = list.GetFirstNode();

    const int failures = ForEachAllocationFailure([&](int failAt) {
        const ImageSnapshot before(*kept);
        BytesFile file(bytes);
        const DWORD appended = list.CreateNewNodeFromFile(file, 0x4C4F4356, 0);
        if (appended == specs.size())
            return true;
        EXPECT_EQ(appended, static_cast<DWORD>((failAt - 1) / 3)) << failAt;
        EXPECT_EQ(list.GetCount(), 1 + appended) << failAt;
        EXPECT_TRUE(before.Matches(*kept)) << failAt;
        DWORD index = 0;
        for (CDibEditNode* node = list.GetNextNode(kept); node; node = list.GetNextNode(node), ++index)
            EXPECT_EQ(node->GetWidth(), specs[index].width) << failAt;
        while (list.GetCount() > 1)
            list.DeleteNodeUsingPtr(list.GetNextNode(kept));
        return false;
    });
    EXPECT_EQ(failures, 9);
}

// A failed refresh reports the chunks passed before it; those nodes hold the
// new images, the rest keep theirs, and the file is back at its start.
TEST(AllocationFailure, CollectionRefreshStopsAtTheFailedNode)
{
    const std::vector<ImageSpec> specs = {{5, 3, 8}, {4, 4, 16}, {6, 2, 24}};
    const std::vector<BYTE> bytes = CollectionOf(specs, 30);
    CDibEditList fresh;
    BytesFile source(bytes);
    ASSERT_EQ(fresh.CreateNewNodeFromFile(source, 0x4C4F4356, 0), 3u);

    CDibEditList list;
    for (WORD id = 1; id <= 3; ++id)
        list.AppendNode(collection_test::MakeNode(ImageSpec{3, 3, 24}, id, id, "old").release());
    const int failures = ForEachAllocationFailure([&](int failAt) {
        std::vector<ImageSnapshot> before;
        for (CDibEditNode* node = list.GetFirstNode(); node; node = list.GetNextNode(node))
            before.emplace_back(*node);
        BytesFile file(bytes);
        const DWORD passed = list.RefreshNodeFromFile(file, 0x4C4F4356, 0);
        if (passed == 3)
            return true;
        EXPECT_EQ(passed, static_cast<DWORD>((failAt - 1) / 2)) << failAt;
        EXPECT_EQ(file.GetPosition(), 0u) << failAt;
        DWORD index = 0;
        for (CDibEditNode* node = list.GetFirstNode(); node; node = list.GetNextNode(node), ++index) {
            if (index < passed) {
                EXPECT_TRUE(collection_test::SameImage(*node, *fresh.FindNode(node->GetID()))) << failAt;
            } else {
                EXPECT_TRUE(before[index].Matches(*node)) << failAt;
            }
        }
        return false;
    });
    EXPECT_EQ(failures, 6);
}

TEST(AllocationFailure, CollectionCopiesKeepTheTarget)
{
    const std::vector<BYTE> bytes = CollectionOf({{5, 3, 8}, {4, 4, 16}, {6, 2, 24}}, 50);
    CDibEditList source;
    BytesFile file(bytes);
    ASSERT_EQ(source.CreateNewNodeFromFile(file, 0x4C4F4356, 0), 3u);
    CDibEditList target;
    target.AppendNode(collection_test::MakeNode(ImageSpec{2, 2, 24}, 1, 99, "kept").release());
    CDibEditNode* kept = target.GetFirstNode();

    const int failures = ForEachAllocationFailure([&](int failAt) {
        const ImageSnapshot before(*kept);
        target = source;
        if (target.GetCount() == 3)
            return true;
        EXPECT_EQ(target.GetFirstNode(), kept) << failAt;
        EXPECT_EQ(target.GetCount(), 1u) << failAt;
        EXPECT_TRUE(before.Matches(*kept)) << failAt;
        return false;
    });
    EXPECT_EQ(failures, 9);  // per node: the node, its two blocks

    const int constructed = ForEachAllocationFailure([&](int failAt) {
        const CDibEditList copy(source);
        if (copy.GetCount() == 3)
            return true;
        EXPECT_EQ(copy.GetCount(), 0u) << failAt;
        return false;
    });
    EXPECT_EQ(constructed, 9);

    // Writing needs no memory.
    EXPECT_EQ(ForEachAllocationFailure([&](int) {
                  CMemFile out;
                  return source.SaveFile(out, 0x4C4F4356, 0) == bytes.size();
              }),
              0);
}

// The process-wide stock objects (screen surface, default palette) are made on
// the first use of the graphics layer; made here, they stay out of the counts.
void MakeStockGraphicsObjects()
{
    ReleaseDC(NULL, GetDC(NULL));
}

TEST(AllocationFailure, RegionLeavesTheHandleAndTheImage)
{
    // Alternating rows of key and other pixels: no two rows share a band, so the
    // rectangle list grows through several blocks.
    TestImage image(ImageSpec{64, 20, 24}, 3);
    for (int row = 0; row < 20; ++row) {
        for (int x = row % 2; x < 64; x += 2)
            std::memset(image.Row(row) + 3 * x, 0, 3);
    }
    HRGN untouched = reinterpret_cast<HRGN>(0x1);
    HRGN region = untouched;
    EXPECT_EQ(FailEachAllocation({&image},
                                 [&] {
                                     const DWORD code = image.CreateRegionFromScanLine(&region, 0);
                                     if (code != DIB_OK) {
                                         EXPECT_EQ(region, untouched);
                                     }
                                     return code;
                                 }),
              3);
    ASSERT_NE(region, untouched);
    DeleteObject(region);
}

TEST(AllocationFailure, PaletteCreateAndCopyKeepTheOldPalette)
{
    MakeStockGraphicsObjects();
    CDibPal palette;
    ASSERT_EQ(palette.Create(TestImage(ImageSpec{2, 2, 8, BI_RGB, 7})), 1);
    const TestImage twenty(ImageSpec{2, 2, 8, BI_RGB, 20}), direct(ImageSpec{2, 2, 24});
    for (const CDib* image : {static_cast<const CDib*>(&twenty), static_cast<const CDib*>(&direct)}) {
        const int failures = ForEachAllocationFailure([&](int failAt) {
            const HPALETTE before = palette.GetHPalette();
            if (palette.Create(*image) == 1)
                return true;
            EXPECT_EQ(palette.GetHPalette(), before) << failAt;
            EXPECT_EQ(palette.GetNumColor(), 7) << failAt;
            return false;
        });
        // Colour table: the palette buffer and the palette's entries; halftone: its entries.
        EXPECT_EQ(failures, image == &twenty ? 2 : 1);
        ASSERT_EQ(palette.Create(TestImage(ImageSpec{2, 2, 8, BI_RGB, 7})), 1);
    }

    CDibPal copy;
    ASSERT_EQ(copy.Create(twenty), 1);
    const int failures = ForEachAllocationFailure([&](int failAt) {
        const HPALETTE before = copy.GetHPalette();
        copy = palette;
        if (copy.GetNumColor() == 7)
            return true;
        EXPECT_EQ(copy.GetHPalette(), before) << failAt;
        EXPECT_EQ(copy.GetNumColor(), 20) << failAt;
        return false;
    });
    EXPECT_EQ(failures, 2);
}

TEST(AllocationFailure, BitmapImportKeepsTheImage)
{
    MakeStockGraphicsObjects();
    std::vector<BYTE> bytes(64 * 7 * 4);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<BYTE>(i * 37);
    for (UINT bits : {1u, 8u, 16u, 24u}) {
        HBITMAP bitmap = CreateBitmap(33, 7, 1, bits, bytes.data());
        ASSERT_NE(bitmap, nullptr);
        TestImage image(ImageSpec{3, 3, 8}, 4);
        EXPECT_EQ(FailEachAllocation({&image}, [&] { return image.CreateDIBFromBitmap(bitmap, NULL, DIB_FORMAT_565); }),
                  2)
            << bits;
        EXPECT_EQ(image.GetWidth(), 33);
        DeleteObject(bitmap);
    }
}

// The stock graphics objects are made on first use. A first use that meets a
// memory shortage must fail only itself, not every later use in the process.
// Runs in a fresh process, where no stock object exists yet.
TEST(AllocationFailureDeathTest, StockGraphicsObjectsSurviveAFailedFirstUse)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            bool failedOnce = false;
            for (int failAt = 1; failAt < 10; ++failAt) {
                HDC attempt = NULL;
                {
                    AllocationFailure failure(static_cast<uint64_t>(failAt));
                    attempt = GetDC(NULL);
                }
                if (attempt) {
                    ReleaseDC(NULL, attempt);
                    break;
                }
                failedOnce = true;
            }
            HDC hdc = GetDC(NULL);
            std::exit(failedOnce && hdc && ReleaseDC(NULL, hdc) ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
