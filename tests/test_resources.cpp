// SPDX-License-Identifier: MIT
// Bitmap resources embedded in the test program and in loaded libraries, and
// the module functions underneath them.
#include <velmoro/dib.h>

#include "support/test_images.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using velmoro_test::ImageSnapshot;
using velmoro_test::ImageSpec;
using velmoro_test::TestImage;

namespace {

// The program's own bitmaps, by ID (see tests/CMakeLists.txt).
constexpr UINT kPal8Gap = 1;
constexpr UINT kRgb565 = 2;
constexpr UINT kRgb24WrongSizeImage = 3;

class LoadedModule {
public:
    explicit LoadedModule(const char* path) : m_module(LoadLibraryA(path)) {}
    ~LoadedModule()
    {
        if (m_module)
            FreeLibrary(m_module);
    }
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;
    HMODULE get() const { return m_module; }

private:
    HMODULE m_module;
};

class ResourceModuleScope {
public:
    explicit ResourceModuleScope(HINSTANCE module) : m_previous(AfxGetResourceHandle())
    {
        AfxSetResourceHandle(module);
    }
    ~ResourceModuleScope() { AfxSetResourceHandle(m_previous); }
    ResourceModuleScope(const ResourceModuleScope&) = delete;
    ResourceModuleScope& operator=(const ResourceModuleScope&) = delete;

private:
    HINSTANCE m_previous;
};

// Both blocks, with biSizeImage cleared: the embedding may correct that field.
std::vector<std::vector<BYTE>> Content(const CDib& image)
{
    ImageSnapshot snapshot(image);
    if (snapshot.info.size() >= sizeof(BITMAPINFOHEADER))
        reinterpret_cast<BITMAPINFOHEADER*>(snapshot.info.data())->biSizeImage = 0;
    return {snapshot.info, snapshot.bits};
}

void ExpectSameAsFile(const CDib& image, const char* name)
{
    CDib expected;
    ASSERT_EQ(expected.Load((std::string(VELMORO_TEST_DATA_DIR) + "/" + name).c_str()), DIB_OK) << name;
    ASSERT_FALSE(image.IsEmpty()) << name;
    EXPECT_EQ(Content(image), Content(expected)) << name;
}

TEST(BitmapResources, ProgramBitmapsLoadAsTheirFilesDo)
{
    const struct {
        UINT id;
        const char* file;
    } cases[] = {{kPal8Gap, "res_pal8_gap.bmp"}, {kRgb565, "res_565.bmp"},
                 {kRgb24WrongSizeImage, "res_rgb24_size.bmp"}};
    for (const auto& c : cases) {
        CDib byProgram, byCurrentModule, byNullModule;
        EXPECT_EQ(byProgram.Load(GetModuleHandleA(NULL), c.id), DIB_OK) << c.file;
        EXPECT_EQ(byCurrentModule.Load(c.id), DIB_OK) << c.file;
        EXPECT_EQ(byNullModule.Load(static_cast<HINSTANCE>(NULL), c.id), DIB_OK) << c.file;
        ExpectSameAsFile(byProgram, c.file);
        ExpectSameAsFile(byCurrentModule, c.file);
        ExpectSameAsFile(byNullModule, c.file);
    }

    // The file claims 38 bytes of pixels; the embedded header claims the 36 it carries.
    CDib image;
    ASSERT_EQ(image.Load(kRgb24WrongSizeImage), DIB_OK);
    EXPECT_EQ(image.GetBmpInfoAddress()->bmiHeader.biSizeImage, 36u);
}

TEST(BitmapResources, LoadedLibraryServesItsOwnBitmaps)
{
    LoadedModule library(VELMORO_TEST_RESOURCE_MODULE);
    ASSERT_NE(library.get(), nullptr);

    CDib image;
    EXPECT_EQ(image.Load(library.get(), 1), DIB_OK);  // the program's ID 1 is another bitmap
    ExpectSameAsFile(image, "res_pal4.bmp");
    EXPECT_EQ(image.Load(library.get(), 300), DIB_OK);  // from a second call of the CMake function
    ExpectSameAsFile(image, "res_mono.bmp");
    EXPECT_EQ(image.Load(library.get(), kRgb565), DIB_ERR_RES_NOT_FOUND);

    EXPECT_EQ(AfxGetResourceHandle(), GetModuleHandleA(NULL));
    {
        ResourceModuleScope scope(library.get());
        EXPECT_EQ(image.Load(1), DIB_OK);
        EXPECT_EQ(image.GetBitCount(), 4);
        EXPECT_EQ(image.Load(kRgb565), DIB_ERR_RES_NOT_FOUND);
    }
    EXPECT_EQ(image.Load(1), DIB_OK);
    EXPECT_EQ(image.GetBitCount(), 8);
}

TEST(BitmapResources, RefusalsLeaveTheImageAsItWas)
{
    LoadedModule bad(VELMORO_TEST_BAD_RESOURCE_MODULE);
    LoadedModule dependent(VELMORO_TEST_DEPENDENT_MODULE);
    ASSERT_NE(bad.get(), nullptr);
    ASSERT_NE(dependent.get(), nullptr);
    const struct {
        HMODULE module;
        UINT id;
        DWORD result;
        const char* what;
    } cases[] = {
        {GetModuleHandleA(NULL), 99, DIB_ERR_RES_NOT_FOUND, "no such ID"},
        {GetModuleHandleA(NULL), 0, DIB_ERR_RES_NOT_FOUND, "ID 0"},
        {dependent.get(), 1, DIB_ERR_RES_NOT_FOUND, "a dependency's bitmap"},
        {bad.get(), 1, DIB_ERR_BAD_HEADER, "108-byte header"},
        {bad.get(), 2, DIB_ERR_BAD_HEADER, "resource shorter than a header"},
        {bad.get(), 3, DIB_ERR_FILE_IO, "one byte of pixels missing"},
        {bad.get(), 4, DIB_ERR_FILE_IO, "biSizeImage below stride x height"},
    };
    TestImage image(ImageSpec{3, 2, 8}, 7);
    const ImageSnapshot before(image);
    for (const auto& c : cases) {
        EXPECT_EQ(image.Load(c.module, c.id), c.result) << c.what;
        EXPECT_TRUE(before.Matches(image)) << c.what;
    }

    ASSERT_EQ(image.Load(bad.get(), 5), DIB_OK);  // a hand-written table of the same layout
    const BYTE* pixel = image.GetBmpBitsAddress();
    EXPECT_EQ(image.GetWidth(), 1);
    EXPECT_EQ(pixel[0], 0x11);
    EXPECT_EQ(pixel[2], 0x33);
}

// As for files: 5-5-5 masks give the BI_RGB record, the table moved up behind
// the header; 5-6-5 masks stay.
TEST(BitmapResources, SpelledOut555MasksBecomeThePlain16BitRecord)
{
    LoadedModule bad(VELMORO_TEST_BAD_RESOURCE_MODULE);
    auto serve = reinterpret_cast<void (*)(const unsigned char*, uint32_t)>(
        GetProcAddress(bad.get(), "velmoro_test_set_file_resource"));
    ASSERT_NE(serve, nullptr);
    struct PackedDib {
        BITMAPINFOHEADER header;
        DWORD masks[3];
        RGBQUAD entry;
        BYTE rows[8];
    };
    PackedDib dib{{40, 2, 2, 1, 16, BI_BITFIELDS, 0, 0, 0, 1, 0},
                  {0x7C00, 0x03E0, 0x001F},
                  {1, 2, 3, 0},
                  {0x11, 0x22, 0x33, 0x44, 0, 0, 0x55, 0x66}};
    for (const DWORD red : {0x7C00u, 0xF800u}) {
        dib.masks[0] = red;
        dib.masks[1] = red == 0x7C00 ? 0x03E0 : 0x07E0;
        serve(reinterpret_cast<const unsigned char*>(&dib), sizeof dib);
        CDib image;
        ASSERT_EQ(image.Load(bad.get(), 100), DIB_OK);
        const bool plain = red == 0x7C00;
        EXPECT_EQ(image.GetCompression(), plain ? BI_RGB : BI_BITFIELDS);
        EXPECT_EQ(image.GetColorEntrySize(), plain ? 4 : 16);
        const RGBQUAD* entry = reinterpret_cast<const RGBQUAD*>(
            reinterpret_cast<const BYTE*>(image.GetBmpInfoAddress()) + (plain ? 40 : 52));
        EXPECT_EQ(entry->rgbRed, 3);
        EXPECT_EQ(std::vector<BYTE>(image.GetBmpBitsAddress(), image.GetBmpBitsAddress() + 8),
                  std::vector<BYTE>(dib.rows, dib.rows + 8));
    }
    serve(nullptr, 0);
}

TEST(Modules, LoadResolveAndFree)
{
    EXPECT_EQ(LoadLibraryA("/nonexistent/libvelmoro_nothing.so"), nullptr);
    EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
    EXPECT_EQ(GetModuleHandleA(VELMORO_TEST_DEPENDENT_MODULE), nullptr);
    EXPECT_NE(GetModuleHandleA(NULL), nullptr);

    HMODULE module = LoadLibraryA(VELMORO_TEST_DEPENDENT_MODULE);
    ASSERT_NE(module, nullptr);
    auto answer = reinterpret_cast<int (*)()>(GetProcAddress(module, "velmoro_test_module_answer"));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_EQ(GetProcAddress(module, "velmoro_test_no_such_function"), nullptr);
    EXPECT_EQ(GetModuleHandleA(VELMORO_TEST_DEPENDENT_MODULE), module);

    // Looking a module up takes no reference: one FreeLibrary unloads it.
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_EQ(GetModuleHandleA(VELMORO_TEST_DEPENDENT_MODULE), nullptr);
    EXPECT_FALSE(FreeLibrary(nullptr));
}

}  // namespace
