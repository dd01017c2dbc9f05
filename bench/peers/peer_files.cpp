// SPDX-License-Identifier: MIT
// BMP and JPEG from and to memory: Velmoro's Load, WriteBmp and LoadJPEG over a
// memory file beside FreeImage's memory streams and TurboJPEG's tjDecompress2 into
// one bottom-up BGR buffer. Each run makes a new image, as opening a file does.
#include "peer_bench.h"

#include <velmoro/jpeg.h>
#include <velmoro/platform/file.h>

#include "freeimage_calls.h"

#include <turbojpeg.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace peer_bench {
namespace {

// The pixel bytes of a BMP file: from its pixel offset on.
Bytes BmpPixels(const BYTE* file, size_t size)
{
    uint32_t offset = 0;
    if (size >= 14)
        std::memcpy(&offset, file + 10, 4);
    return offset <= size ? Bytes(file + offset, file + size) : Bytes();
}

Bytes BmpFileOf(Image& image)
{
    CMemFile file(1 << 20);
    image.WriteBmp(file, 0);
    const size_t size = file.GetLength();
    BYTE* buffer = file.Detach();
    Bytes bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}

void AddBmpLoad(std::vector<Case>& cases, int width, int height)
{
    Image source(width, height, 24, BI_RGB, 31);
    auto file = std::make_shared<Bytes>(BmpFileOf(source));
    auto velmoroImage = std::make_shared<CDib>();
    auto freeImageResult = std::make_shared<std::vector<uint8_t>>();

    Case c{"BMP load from memory", width, height, {}};
    Contender velmoro{"Velmoro", [file, velmoroImage] {
        CMemFile in(file->data(), static_cast<UINT>(file->size()));
        velmoroImage->Load(in, 0);
    }};
    const size_t blockBytes = source.BlockBytes();
    velmoro.result = [velmoroImage, blockBytes] {
        const BYTE* bits = velmoroImage->GetBmpBitsAddress();
        return bits ? Bytes(bits, bits + blockBytes) : Bytes();
    };
    c.contenders.push_back(velmoro);

    Contender freeImage{"FreeImage", [file, freeImageResult] {
        freeimage::LoadBmp(file->data(), file->size(), freeImageResult->empty() ? freeImageResult.get() : nullptr);
    }};
    freeImage.result = [freeImageResult] { return Bytes(freeImageResult->begin(), freeImageResult->end()); };
    c.contenders.push_back(freeImage);
    cases.push_back(std::move(c));
}

void AddBmpSave(std::vector<Case>& cases, int width, int height)
{
    auto image = std::make_shared<Image>(width, height, 24, BI_RGB, 32);
    auto velmoroFile = std::make_shared<Bytes>();
    auto freeImageFile = std::make_shared<std::vector<uint8_t>>();
    // FreeImage's own image of the same pixels, made once.
    std::shared_ptr<void> bitmap =
        freeimage::MakeBitmap(image->GetBmpBitsAddress(), width, height, static_cast<int>(image->Stride()));

    Case c{"BMP save to memory", width, height, {}};
    Contender velmoro{"Velmoro", [image, velmoroFile] {
        CMemFile out(static_cast<UINT>(image->BlockBytes() + 1024));
        image->WriteBmp(out, 0);
        if (velmoroFile->empty()) {
            const size_t size = out.GetLength();
            BYTE* buffer = out.Detach();
            velmoroFile->assign(buffer, buffer + size);
            std::free(buffer);
        }
    }};
    velmoro.result = [velmoroFile] { return BmpPixels(velmoroFile->data(), velmoroFile->size()); };
    c.contenders.push_back(velmoro);

    Contender freeImage{"FreeImage", [bitmap, freeImageFile] {
        freeimage::SaveBmp(bitmap.get(), freeImageFile->empty() ? freeImageFile.get() : nullptr);
    }};
    freeImage.result = [freeImageFile] { return BmpPixels(freeImageFile->data(), freeImageFile->size()); };
    c.contenders.push_back(freeImage);
    cases.push_back(std::move(c));
}

CJPeg& Codec()
{
    static CJPeg codec;
    static const int loaded = codec.InitJPEGLibrary(NULL);
    if (!loaded) {
        std::fprintf(stderr, "Velmoro's JPEG codec module did not load\n");
        std::exit(1);
    }
    return codec;
}

// Smooth gradients with a little grain, quality 90, 4:2:0, like a photograph.
Bytes MakeJpeg(int width, int height)
{
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    Bytes pixels(stride * height);
    uint32_t seed = 12345;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int grain = static_cast<int>(seed >> 28) - 8;
            uint8_t* p = &pixels[stride * y + 3 * x];
            p[0] = static_cast<uint8_t>(x * 255 / width + grain);
            p[1] = static_cast<uint8_t>(y * 255 / height + grain);
            p[2] = static_cast<uint8_t>((x + y) * 255 / (width + height) + grain);
        }
    tjhandle encoder = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    tjCompress2(encoder, pixels.data(), width, static_cast<int>(stride), height, TJPF_BGR, &jpeg, &size, TJSAMP_420,
                90, 0);
    Bytes stream(jpeg, jpeg + size);
    tjFree(jpeg);
    tjDestroy(encoder);
    return stream;
}

void AddJpegDecode(std::vector<Case>& cases, int width, int height)
{
    auto jpeg = std::make_shared<Bytes>(MakeJpeg(width, height));
    auto velmoroImage = std::make_shared<CDib>();
    const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
    auto turboOut = std::make_shared<Bytes>(stride * height);
    std::shared_ptr<void> decoder(tjInitDecompress(), tjDestroy);
    CJPeg& codec = Codec();

    Case c{"JPEG decode", width, height, {}};
    Contender velmoro{"Velmoro", [jpeg, velmoroImage, &codec] {
        CMemFile in(jpeg->data(), static_cast<UINT>(jpeg->size()));
        velmoroImage->LoadJPEG(codec, in, 0);
    }};
    velmoro.result = [velmoroImage, stride, height] {
        const BYTE* bits = velmoroImage->GetBmpBitsAddress();
        return bits ? Bytes(bits, bits + stride * height) : Bytes();
    };
    c.contenders.push_back(velmoro);

    Contender turbo{"TurboJPEG tjDecompress2", [jpeg, turboOut, decoder, width, height, stride] {
        tjDecompress2(decoder.get(), jpeg->data(), jpeg->size(), turboOut->data(), width, static_cast<int>(stride),
                      height, TJPF_BGR, TJFLAG_BOTTOMUP);
    }};
    turbo.result = [turboOut] { return *turboOut; };
    c.contenders.push_back(turbo);
    cases.push_back(std::move(c));
}

void MakeFileCases(std::vector<Case>& cases, int width, int height)
{
    AddBmpLoad(cases, width, height);
    AddBmpSave(cases, width, height);
    AddJpegDecode(cases, width, height);
}

const bool kRegistered = RegisterCases(MakeFileCases);

}  // namespace
}  // namespace peer_bench
