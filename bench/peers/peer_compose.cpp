// SPDX-License-Identifier: MIT
// Colour-key compositing and constant blends: Velmoro's CombineDib and AlphaBlend
// members beside SDL2 colour-key blits (plain and run-length accelerated) and alpha
// blits, libyuv's InterpolatePlane and pixman's OVER with a constant mask, all over
// the same pixels.
#include "peer_bench.h"

#include <SDL2/SDL.h>
#include <libyuv/planar_functions.h>
#include <pixman.h>

namespace peer_bench {
namespace {

// Entry 7 of the test images' colour table: red 49, green 248, blue 7.
constexpr DWORD kKeyColor = 0x0007F831;
// About a third of a sprite is background, lying in runs along the rows.
constexpr double kKeyFraction = 0.3;
constexpr double kMeanKeyRun = 12;
// The receiving image's weight in 256ths; 128 would hit SDL's averaging path.
constexpr unsigned char kAlpha = 100;

using SurfacePtr = std::shared_ptr<SDL_Surface>;

Uint32 SdlFormat(int bitCount)
{
    return bitCount == 8 ? SDL_PIXELFORMAT_INDEX8 : bitCount == 16 ? SDL_PIXELFORMAT_RGB565 : SDL_PIXELFORMAT_BGR24;
}

SurfacePtr SurfaceOver(Image& image)
{
    SurfacePtr surface(SDL_CreateRGBSurfaceWithFormatFrom(image.GetBmpBitsAddress(), image.GetWidth(),
                                                          image.GetHeight(), image.GetBitCount(),
                                                          static_cast<int>(image.Stride()),
                                                          SdlFormat(image.GetBitCount())),
                       SDL_FreeSurface);
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

DWORD CompressionFor(int bitCount)
{
    return bitCount == 16 ? BI_BITFIELDS : BI_RGB;
}

// A receiving image for each contender, all starting from the same pixels.
struct Targets {
    std::shared_ptr<Image> images[4];
    Bytes start;

    Targets(int width, int height, int bitCount)
    {
        for (auto& image : images)
            image = std::make_shared<Image>(width, height, bitCount, CompressionFor(bitCount), 21);
        start = images[0]->Pixels();
    }

    Contender With(Contender contender, int index) const
    {
        std::shared_ptr<Image> image = images[index];
        const Bytes* pixels = &start;
        contender.reset = [image, pixels] { image->SetPixels(*pixels); };
        contender.result = [image] { return image->Pixels(); };
        return contender;
    }
};

void AddColorKey(std::vector<Case>& cases, int width, int height, int bitCount)
{
    auto targets = std::make_shared<Targets>(width, height, bitCount);
    auto overlay = std::make_shared<Image>(width, height, bitCount, CompressionFor(bitCount), 22);
    overlay->PaintKeyRuns(kKeyColor, kKeyFraction, kMeanKeyRun, 23);

    Case c{"colour key " + std::to_string(bitCount) + " in place", width, height, {}};
    std::shared_ptr<Image> velmoroTarget = targets->images[0];
    c.contenders.push_back(targets->With(Contender{"Velmoro", [targets, velmoroTarget, overlay] {
        velmoroTarget->CombineDib(*overlay, kKeyColor, nullptr, nullptr, 1);
    }}, 0));

    const auto keyedSurface = [&overlay](bool runLengths) {
        SurfacePtr from = SurfaceOver(*overlay);
        SDL_SetColorKey(from.get(), SDL_TRUE,
                        SDL_MapRGB(from->format, GetRValue(kKeyColor), GetGValue(kKeyColor), GetBValue(kKeyColor)));
        SDL_SetSurfaceRLE(from.get(), runLengths ? 1 : 0);
        return from;
    };
    SurfacePtr from = keyedSurface(false);
    SurfacePtr to = SurfaceOver(*targets->images[1]);
    c.contenders.push_back(targets->With(Contender{"SDL2 colour-key blit", [targets, overlay, from, to] {
        SDL_BlitSurface(from.get(), nullptr, to.get(), nullptr);
    }}, 1));

    // As a game draws a sprite again and again: the first blit encodes the runs,
    // before anything is checked or timed.
    SurfacePtr encoded = keyedSurface(true);
    SurfacePtr encodedTo = SurfaceOver(*targets->images[2]);
    SDL_BlitSurface(encoded.get(), nullptr, encodedTo.get(), nullptr);
    c.contenders.push_back(targets->With(Contender{"SDL2 RLE colour-key blit", [targets, overlay, encoded, encodedTo] {
        SDL_BlitSurface(encoded.get(), nullptr, encodedTo.get(), nullptr);
    }}, 2));
    cases.push_back(std::move(c));
}

using PixmanPtr = std::shared_ptr<pixman_image_t>;

PixmanPtr PixmanOver(Image& image, pixman_format_code_t format)
{
    return PixmanPtr(pixman_image_create_bits(format, image.GetWidth(), image.GetHeight(),
                                              reinterpret_cast<uint32_t*>(image.GetBmpBitsAddress()),
                                              static_cast<int>(image.Stride())),
                     pixman_image_unref);
}

void AddBlend565InPlace(std::vector<Case>& cases, int width, int height)
{
    auto targets = std::make_shared<Targets>(width, height, 16);
    auto other = std::make_shared<Image>(width, height, 16, BI_BITFIELDS, 24);
    const std::string roundedFive = "blends 5-bit alpha; Velmoro blends 8-bit and truncates";

    Case c{"blend 5-6-5 in place", width, height, {}};
    std::shared_ptr<Image> velmoroTarget = targets->images[0];
    c.contenders.push_back(targets->With(Contender{"Velmoro", [targets, velmoroTarget, other] {
        velmoroTarget->AlphaBlend(*other, kAlpha);
    }}, 0));

    SurfacePtr from = SurfaceOver(*other);
    SurfacePtr to = SurfaceOver(*targets->images[1]);
    SDL_SetSurfaceBlendMode(from.get(), SDL_BLENDMODE_BLEND);
    SDL_SetSurfaceAlphaMod(from.get(), 256 - kAlpha);
    c.contenders.push_back(targets->With(Contender{"SDL2 alpha blit", [targets, other, from, to] {
        SDL_BlitSurface(from.get(), nullptr, to.get(), nullptr);
    }, roundedFive}, 1));

    PixmanPtr source = PixmanOver(*other, PIXMAN_r5g6b5);
    PixmanPtr target = PixmanOver(*targets->images[2], PIXMAN_r5g6b5);
    const pixman_color_t weight = {0, 0, 0, static_cast<uint16_t>((256 - kAlpha) * 257)};
    PixmanPtr mask(pixman_image_create_solid_fill(&weight), pixman_image_unref);
    c.contenders.push_back(targets->With(Contender{"pixman OVER", [targets, other, source, target, mask, width, height] {
        pixman_image_composite32(PIXMAN_OP_OVER, source.get(), mask.get(), target.get(), 0, 0, 0, 0, 0, 0,
                                 width, height);
    }, "widens by bit replication and rounds"}, 2));
    cases.push_back(std::move(c));
}

// libyuv blends a plane of bytes; a 24-bit block without row padding is one plane.
void AddBlend24(std::vector<Case>& cases, int width, int height, bool inPlace)
{
    auto targets = std::make_shared<Targets>(width, height, 24);
    auto first = std::make_shared<Image>(width, height, 24, BI_RGB, 25);
    auto second = std::make_shared<Image>(width, height, 24, BI_RGB, 26);
    const int rowBytes = static_cast<int>(first->Stride());
    // Velmoro rounds the change toward zero in place and the whole mix down into a third image.
    const std::string rounded =
        std::string("rounds to nearest; Velmoro rounds ") + (inPlace ? "the change toward zero" : "the mix down");

    Case c{inPlace ? "blend 24 in place" : "blend 24 into a third image", width, height, {}};
    std::shared_ptr<Image> velmoroTarget = targets->images[0];
    std::shared_ptr<Image> yuvTarget = targets->images[1];
    if (inPlace) {
        c.contenders.push_back(targets->With(Contender{"Velmoro", [targets, velmoroTarget, second] {
            velmoroTarget->AlphaBlend(*second, kAlpha);
        }}, 0));
        c.contenders.push_back(targets->With(Contender{"libyuv InterpolatePlane", [targets, yuvTarget, second, rowBytes, height] {
            libyuv::InterpolatePlane(yuvTarget->GetBmpBitsAddress(), rowBytes, second->GetBmpBitsAddress(), rowBytes,
                                     yuvTarget->GetBmpBitsAddress(), rowBytes, rowBytes, height, 256 - kAlpha);
        }, rounded}, 1));
    } else {
        c.contenders.push_back(targets->With(Contender{"Velmoro", [targets, velmoroTarget, first, second] {
            velmoroTarget->AlphaBlendDirect(*first, *second, kAlpha);
        }}, 0));
        c.contenders.push_back(targets->With(Contender{"libyuv InterpolatePlane", [targets, yuvTarget, first, second, rowBytes, height] {
            libyuv::InterpolatePlane(first->GetBmpBitsAddress(), rowBytes, second->GetBmpBitsAddress(), rowBytes,
                                     yuvTarget->GetBmpBitsAddress(), rowBytes, rowBytes, height, 256 - kAlpha);
        }, rounded}, 1));
    }
    cases.push_back(std::move(c));
}

void MakeComposeCases(std::vector<Case>& cases, int width, int height)
{
    for (int bitCount : {8, 16, 24})
        AddColorKey(cases, width, height, bitCount);
    AddBlend565InPlace(cases, width, height);
    AddBlend24(cases, width, height, true);
    AddBlend24(cases, width, height, false);
}

const bool kRegistered = RegisterCases(MakeComposeCases);

}  // namespace
}  // namespace peer_bench
