// SPDX-License-Identifier: MIT
// The pictures tests/data/picture/make_pictures.sh makes with ImageMagick,
// cjpeg and a PNG writer of its own, with the decodes of other programs to
// compare against. They are made once in the build folder and kept there for
// every later test process, under a name that changes with the scripts.
#ifndef VELMORO_TESTS_SUPPORT_MADE_PICTURES_H
#define VELMORO_TESTS_SUPPORT_MADE_PICTURES_H

#include <velmoro/dib.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velmoro_test {

class MadePictures {
public:
    // Makes the pictures unless they are there; Ready() is false when the script failed.
    static const MadePictures& Get();

    bool Ready() const { return m_ready; }
    const std::string& Problem() const { return m_problem; }
    std::string Path(const std::string& name) const { return m_folder + "/" + name; }

    // ImageMagick's decode of a made picture as red, green, blue, alpha bytes,
    // top row first, 16-bit samples reduced with rounding as ImageMagick writes
    // 8-bit files; `over` gives the one composited over kBackground (no alpha).
    std::vector<BYTE> Rgba(const std::string& name) const;
    std::vector<BYTE> RgbOverBackground(const std::string& name) const;

    static constexpr COLORREF kBackground = RGB(0x33, 0x66, 0xCC);

    MadePictures(const MadePictures&) = delete;
    MadePictures& operator=(const MadePictures&) = delete;

private:
    MadePictures();

    bool m_ready = false;
    std::string m_folder;
    std::string m_problem;
};

// ImageMagick's decode of any picture file as red, green, blue bytes, alpha
// dropped, 16-bit samples reduced with rounding; `scratch` is a file it may
// write. Empty when ImageMagick fails.
std::vector<BYTE> ImageMagickRgb(const std::string& path, const std::string& scratch);

// Red, green, blue bytes of red, green, blue, alpha ones: the alpha dropped,
// or with `key`, pixels below half alpha turned into that colour.
std::vector<BYTE> WithoutAlpha(const std::vector<BYTE>& rgba);
std::vector<BYTE> Keyed(const std::vector<BYTE>& rgba, COLORREF key);
// The largest difference of two byte strings of one length (256 when they differ in length).
int WorstDifference(const std::vector<BYTE>& a, const std::vector<BYTE>& b);

// Tests that read the made pictures fail at once when they could not be made.
class MadePicturesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!pictures.Ready())
            FAIL() << pictures.Problem();
    }
    const MadePictures& pictures = MadePictures::Get();
};

// A binary PPM (P6, maxval 255) as red, green, blue bytes; empty when unreadable.
std::vector<BYTE> ReadPpm(const std::string& path, int* width = nullptr, int* height = nullptr);

// An 8, 16 or 24-bit image as red, green, blue bytes, top row first: entries of
// the colour table (black past its end), 16-bit words widened by the library's
// rule (low bits 0).
std::vector<BYTE> ImageRgb(const CDib& image);

}  // namespace velmoro_test

#endif
