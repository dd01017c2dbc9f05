// The tolerant BMP reader: any bytes give a result code, never a crash, an
// over-read or a huge allocation; what it writes must be a file Load takes
// whole, and the loaded image must satisfy the record's rules.
#include "bmp_compat/bmp_normalize.h"

#include <velmoro/platform/file.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 20))
        return 0;
    const std::vector<BYTE> in(data, data + size);
    std::vector<BYTE> plain;
    if (velmoro_tool::NormalizeBmp(in, plain) != DIB_OK)
        return 0;
    // Touch every output byte so that an uninitialised or short block shows.
    unsigned sum = 0;
    for (BYTE byte : plain)
        sum += byte;
    CMemFile file(plain.data(), static_cast<UINT>(plain.size()));
    CDib image;
    if (image.Load(file, 0) != DIB_OK)
        std::abort();  // the plain form is exactly what Load takes
    const BITMAPINFOHEADER& header = image.GetBmpInfoAddress()->bmiHeader;
    const int64_t stride = ((int64_t{header.biWidth} * header.biBitCount + 31) >> 3) & ~int64_t{3};
    const uint64_t pixelBytes = static_cast<uint64_t>(stride) * static_cast<uint64_t>(header.biHeight);
    if (header.biSize != 40 || header.biHeight < 0 || header.biWidth < 0 ||
        (header.biCompression != BI_RGB && header.biCompression != BI_BITFIELDS) ||
        54 + static_cast<uint64_t>(image.GetColorEntrySize()) + pixelBytes != plain.size())
        std::abort();
    if (header.biBitCount <= 8 && image.GetNumColorEntry() > (1 << header.biBitCount))
        std::abort();
    for (uint64_t i = 0; i < pixelBytes; ++i)
        sum += image.GetBmpBitsAddress()[i];
    return sum == 0xFFFFFFFF ? 1 : 0;
}
