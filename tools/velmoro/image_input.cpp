#include "image_input.h"

#include "command.h"
#include "standard_streams.h"

#include "bmp_compat/bmp_normalize.h"

#include <velmoro/platform/file.h>

namespace velmoro_tool {
namespace {

bool StartsAsJpeg(CFile& file)
{
    BYTE start[3] = {};
    return file.Read(start, sizeof start) == sizeof start && start[0] == 0xFF && start[1] == 0xD8 &&
           start[2] == 0xFF;
}

// What CDib::Load refuses by design but the tolerant reader may take: other
// header sizes, run-length compression, top-down rows (refused as a negative
// block size).
bool MayBeTolerated(DWORD code)
{
    return code == DIB_ERR_BAD_HEADER || code == DIB_ERR_COMPRESSED || code == DIB_ERR_NO_MEMORY;
}

// The library's own reader first, so that every file it takes loads exactly as
// an application would load it; only the files it refuses go through the
// tolerant reader. When both refuse, the tolerant reader's code says more
// about what is wrong with the file.
DWORD LoadBmpFile(const std::string& path, CFile& file, CDib& image)
{
    const DWORD code = image.Load(file, 1);
    return MayBeTolerated(code) ? LoadBmpTolerant(path, image) : code;
}

}  // namespace

CJPeg* SharedJpegCodec()
{
    // One per thread: a codec holds the state of the picture it works on.
    static thread_local CJPeg codec;
    static thread_local const bool loaded = codec.InitJPEGLibrary(NULL) != 0;
    return loaded ? &codec : nullptr;
}

DWORD LoadImageData(const std::vector<BYTE>& data, CDib& image)
{
    if (data.empty())
        return DIB_ERR_FILE_IO;
    CMemFile file(const_cast<BYTE*>(data.data()), static_cast<UINT>(data.size()));
    try {
        if (StartsAsJpeg(file)) {
            CJPeg* codec = SharedJpegCodec();
            return codec ? image.LoadJPEG(*codec, file, 0) : DIB_ERR_JPEG;
        }
        const DWORD code = image.Load(file, 0);
        if (!MayBeTolerated(code))
            return code;
        std::vector<BYTE> plain;
        if (const DWORD normalized = NormalizeBmp(data, plain))
            return normalized;
        CMemFile plainFile(plain.data(), static_cast<UINT>(plain.size()));
        return image.Load(plainFile, 0);
    } catch (CFileException* error) {
        error->Delete();
        return DIB_ERR_FILE_IO;
    }
}

DWORD LoadImageFile(const std::string& path, CDib& image)
{
    if (IsStandardStream(path)) {
        std::vector<BYTE> data;
        return ReadStandardInput(data) ? LoadImageData(data, image) : DIB_ERR_FILE_IO;
    }
    CFile file;
    if (!file.Open(path.c_str(), CFile::modeRead))
        return DIB_ERR_OPEN;
    try {
        // Both loaders read from the first byte, wherever the sniffing left the file.
        if (!StartsAsJpeg(file))
            return LoadBmpFile(path, file, image);
        CJPeg* codec = SharedJpegCodec();
        if (!codec)
            return DIB_ERR_JPEG;
        return image.LoadJPEG(*codec, file, 1);
    } catch (CFileException* error) {
        error->Delete();
        return DIB_ERR_FILE_IO;
    }
}

void LoadInput(const std::string& path, CDib& image)
{
    if (const DWORD code = LoadImageFile(path, image))
        throw ReadFailure(path, code);
}

}  // namespace velmoro_tool
