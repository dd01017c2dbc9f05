// SPDX-License-Identifier: MIT
#include "support/made_pictures.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <ftw.h>
#include <iterator>
#include <unistd.h>

namespace velmoro_test {
namespace {

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*)
{
    return remove(path);
}

std::vector<BYTE> ReduceSixteenBits(const std::vector<BYTE>& wide)
{
    std::vector<BYTE> narrow(wide.size() / 2);
    for (size_t i = 0; i < narrow.size(); ++i) {
        const unsigned sample = wide[2 * i] << 8 | wide[2 * i + 1];
        narrow[i] = static_cast<BYTE>((sample * 255 + 32895) >> 16);
    }
    return narrow;
}

std::vector<BYTE> ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ReadText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

MadePictures::MadePictures()
{
    const std::string scripts = VELMORO_TEST_DATA_DIR "/picture/make_pictures";
    const std::string text = ReadText(scripts + ".sh") + ReadText(scripts + ".py");
    char name[32];
    std::snprintf(name, sizeof name, "/made_pictures_%016zx", std::hash<std::string>()(text));
    m_folder = VELMORO_TEST_WORK_DIR + std::string(name);
    const std::string done = "/complete";
    if (::access((m_folder + done).c_str(), F_OK) == 0) {
        m_ready = true;
        return;
    }
    // Made aside and moved into place whole, so that test processes running
    // side by side never see half a folder.
    std::string temporary = VELMORO_TEST_WORK_DIR "/made_pictures_XXXXXX";
    if (!mkdtemp(&temporary[0])) {
        m_problem = "cannot make a folder in " VELMORO_TEST_WORK_DIR;
        return;
    }
    const std::string command = "'" + scripts + ".sh' '" + temporary + "' >'" + temporary + "/make.log' 2>&1 && touch '" +
                                temporary + done + "'";
    if (std::system(command.c_str()) != 0) {
        m_problem = "make_pictures.sh failed (ImageMagick, Python 3 and cjpeg are needed; scripts/install-deps "
                    "installs them): see " + temporary + "/make.log";
        return;
    }
    if (std::rename(temporary.c_str(), m_folder.c_str()) != 0)
        nftw(temporary.c_str(), RemoveEntry, 8, FTW_DEPTH | FTW_PHYS);  // another process was first
    m_ready = ::access((m_folder + done).c_str(), F_OK) == 0;
    if (!m_ready)
        m_problem = "cannot move the pictures into " + m_folder;
}

const MadePictures& MadePictures::Get()
{
    static const MadePictures pictures;
    return pictures;
}

std::vector<BYTE> MadePictures::Rgba(const std::string& name) const
{
    return ReduceSixteenBits(ReadBytes(Path(name + ".rgba16")));
}

std::vector<BYTE> MadePictures::RgbOverBackground(const std::string& name) const
{
    return ReduceSixteenBits(ReadBytes(Path(name + ".over.rgb16")));
}

std::vector<BYTE> ImageMagickRgb(const std::string& path, const std::string& scratch)
{
    const std::string command = "convert '" + path + "' -depth 16 -endian MSB 'rgb:" + scratch + "'";
    if (std::system(command.c_str()) != 0)
        return {};
    return ReduceSixteenBits(ReadBytes(scratch));
}

std::vector<BYTE> WithoutAlpha(const std::vector<BYTE>& rgba)
{
    return Keyed(rgba, CLR_INVALID);
}

std::vector<BYTE> Keyed(const std::vector<BYTE>& rgba, COLORREF key)
{
    std::vector<BYTE> rgb;
    for (size_t i = 0; i + 3 < rgba.size(); i += 4) {
        if (key != CLR_INVALID && rgba[i + 3] < 128)
            rgb.insert(rgb.end(), {GetRValue(key), GetGValue(key), GetBValue(key)});
        else
            rgb.insert(rgb.end(), {rgba[i], rgba[i + 1], rgba[i + 2]});
    }
    return rgb;
}

int WorstDifference(const std::vector<BYTE>& a, const std::vector<BYTE>& b)
{
    if (a.size() != b.size())
        return 256;
    int worst = 0;
    for (size_t i = 0; i < a.size(); ++i)
        worst = std::max(worst, std::abs(a[i] - b[i]));
    return worst;
}

std::vector<BYTE> ReadPpm(const std::string& path, int* width, int* height)
{
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int w = 0, h = 0, maximum = 0;
    in >> magic >> w >> h >> maximum;
    in.get();
    if (magic != "P6" || maximum != 255 || w <= 0 || h <= 0)
        return {};
    std::vector<BYTE> rgb(static_cast<size_t>(3) * w * h);
    in.read(reinterpret_cast<char*>(rgb.data()), static_cast<std::streamsize>(rgb.size()));
    if (width)
        *width = w;
    if (height)
        *height = h;
    return rgb;
}

std::vector<BYTE> ImageRgb(const CDib& image)
{
    const int width = image.GetWidth(), height = image.GetHeight(), bits = image.GetBitCount();
    const size_t stride = static_cast<size_t>(((width * bits + 31) >> 3) & ~3);
    const bool bitfields = image.GetCompression() == BI_BITFIELDS;
    const RGBQUAD* table = image.GetColorTabAddress() + (bitfields ? 3 : 0);
    std::vector<BYTE> rgb;
    for (int y = height - 1; y >= 0; --y) {
        const BYTE* row = image.GetBmpBitsAddress() + stride * y;
        for (int x = 0; x < width; ++x) {
            if (bits == 8) {
                const RGBQUAD entry = row[x] < image.GetNumColorEntry() ? table[row[x]] : RGBQUAD{};
                rgb.insert(rgb.end(), {entry.rgbRed, entry.rgbGreen, entry.rgbBlue});
            } else if (bits == 16) {
                const unsigned word = row[2 * x] | row[2 * x + 1] << 8;
                if (bitfields)
                    rgb.insert(rgb.end(), {BYTE((word >> 11) << 3), BYTE(((word >> 5) & 0x3F) << 2), BYTE((word & 0x1F) << 3)});
                else
                    rgb.insert(rgb.end(), {BYTE(((word >> 10) & 0x1F) << 3), BYTE(((word >> 5) & 0x1F) << 3),
                                           BYTE((word & 0x1F) << 3)});
            } else {
                rgb.insert(rgb.end(), {row[3 * x + 2], row[3 * x + 1], row[3 * x]});
            }
        }
    }
    return rgb;
}

}  // namespace velmoro_test
