// SPDX-License-Identifier: MIT
// Depth conversion: Velmoro's workers (into a block the caller owns) beside OpenCV's
// cvtColor and SDL2 surface blits between formats, all over the same source pixels.
#include "peer_bench.h"

#include <SDL2/SDL.h>
#include <opencv2/imgproc.hpp>

namespace peer_bench {
namespace {

using SurfacePtr = std::shared_ptr<SDL_Surface>;

// A surface over pixels the caller owns.
SurfacePtr SurfaceOver(uint8_t* pixels, int width, int height, int depth, size_t pitch, Uint32 format)
{
    return SurfacePtr(SDL_CreateRGBSurfaceWithFormatFrom(pixels, width, height, depth, static_cast<int>(pitch), format),
                      SDL_FreeSurface);
}

SurfacePtr SurfaceOver(Image& image, Uint32 format)
{
    SurfacePtr surface = SurfaceOver(image.GetBmpBitsAddress(), image.GetWidth(), image.GetHeight(),
                                     image.GetBitCount(), image.Stride(), format);
    if (image.GetBitCount() == 8) {
        SDL_Color colors[256];
        for (int i = 0; i < 256; ++i) {
            const RGBQUAD& entry = image.GetColorTabAddress()[i];
            colors[i] = SDL_Color{entry.rgbRed, entry.rgbGreen, entry.rgbBlue, 255};
        }
        SDL_SetPaletteColors(surface->format->palette, colors, 0, 256);
    }
    return surface;
}

Uint32 SdlFormat(int bitCount)
{
    return bitCount == 8 ? SDL_PIXELFORMAT_INDEX8 : bitCount == 16 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_BGR24;
}

int OpenCvType(int bitCount)
{
    return bitCount == 16 ? CV_8UC2 : CV_8UC3;
}

size_t StrideOf(int width, int bitCount)
{
    return ((static_cast<size_t>(width) * bitCount + 31) >> 3) & ~size_t{3};
}

// A destination block of the target depth, and what reads it back.
struct Target {
    Bytes block;
    Contender Result(Contender contender)
    {
        contender.result = [this] { return block; };
        return contender;
    }
};

void AddConversion(std::vector<Case>& cases, const char* operation, int width, int height, int fromBits,
                   int toBits, int openCvCode)
{
    const DWORD compression = fromBits == 16 ? BI_BITFIELDS : BI_RGB;
    auto source = std::make_shared<Image>(width, height, fromBits, compression, 11);
    const size_t targetBytes = StrideOf(width, toBits) * height;
    auto velmoro = std::make_shared<Target>(Target{Bytes(targetBytes)});
    auto sdl = std::make_shared<Target>(Target{Bytes(targetBytes)});
    auto opencv = std::make_shared<Target>(Target{Bytes(targetBytes)});

    Case c{operation, width, height, {}};
    c.contenders.push_back(velmoro->Result(Contender{"Velmoro", [source, velmoro, fromBits, toBits] {
        BYTE* out = velmoro->block.data();
        if (fromBits == 8)
            toBits == 24 ? source->Bit8To24BitPerPixelMMX(out) : source->Bit8To16BitPerPixelMMX(out, DIB_FORMAT_565);
        else if (fromBits == 16)
            source->Bit16To24BitPerPixelMMX(out);
        else
            source->Bit24To16BitPerPixelMMX(out, DIB_FORMAT_565);
    }}));

    SurfacePtr from = SurfaceOver(*source, SdlFormat(fromBits));
    SurfacePtr to = SurfaceOver(sdl->block.data(), width, height, toBits, StrideOf(width, toBits), SdlFormat(toBits));
    // SDL widens 5- and 6-bit fields by repeating their top bits; Velmoro fills with zeros.
    const std::string sdlRules = fromBits == 16 ? "widens 5-6-5 fields by bit replication" : "";
    c.contenders.push_back(sdl->Result(Contender{"SDL2 blit", [source, sdl, from, to] { SDL_BlitSurface(from.get(), nullptr, to.get(), nullptr); }, sdlRules}));

    if (openCvCode >= 0) {
        const cv::Mat in(height, width, OpenCvType(fromBits), source->GetBmpBitsAddress(), source->Stride());
        cv::Mat out(height, width, OpenCvType(toBits), opencv->block.data(), StrideOf(width, toBits));
        c.contenders.push_back(opencv->Result(Contender{"OpenCV cvtColor", [source, opencv, in, out, openCvCode]() mutable {
            cv::cvtColor(in, out, openCvCode);
        }}));
    }
    cases.push_back(std::move(c));
}

void MakeConversionCases(std::vector<Case>& cases, int width, int height)
{
    cv::setNumThreads(1);  // only the calling thread's time is counted
    AddConversion(cases, "8 to 24", width, height, 8, 24, -1);
    AddConversion(cases, "8 to 5-6-5", width, height, 8, 16, -1);
    AddConversion(cases, "5-6-5 to 24", width, height, 16, 24, cv::COLOR_BGR5652BGR);
    AddConversion(cases, "24 to 5-6-5", width, height, 24, 16, cv::COLOR_BGR2BGR565);
}

const bool kRegistered = RegisterCases(MakeConversionCases);

}  // namespace
}  // namespace peer_bench
