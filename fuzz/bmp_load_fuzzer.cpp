// BMP loading from memory: any bytes must give a result code, never a crash,
// an over-read or a large allocation; a loaded image must satisfy the record's rules.
#include <velmoro/dib.h>
#include <velmoro/platform/file.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 20))
        return 0;
    std::vector<BYTE> copy(data, data + size);
    CMemFile file(copy.data(), static_cast<UINT>(copy.size()));
    CDib image;
    if (image.Load(file, 0) != DIB_OK)
        return 0;
    const BITMAPINFOHEADER& header = image.GetBmpInfoAddress()->bmiHeader;
    const int64_t stride = ((int64_t{header.biWidth} * header.biBitCount + 31) >> 3) & ~int64_t{3};
    if (header.biSize != 40 || header.biHeight < 0 || stride * header.biHeight > int64_t{1} << 32)
        std::abort();
    // Touch every byte of both blocks so that a short block shows under ASan.
    unsigned sum = 0;
    const BYTE* info = reinterpret_cast<const BYTE*>(image.GetBmpInfoAddress());
    for (int i = 0; i < 40 + image.GetColorEntrySize(); ++i)
        sum += info[i];
    for (int64_t i = 0; i < stride * header.biHeight; ++i)
        sum += image.GetBmpBitsAddress()[i];
    CMemFile out;
    if (image.WriteBmp(out, 0) != DIB_OK || sum == 0xFFFFFFFF)
        std::abort();
    return 0;
}
