// SPDX-License-Identifier: MIT
// BMP loading from memory: any bytes must give a result code, never a crash,
// an over-read or a large allocation; a loaded image must satisfy the record's rules.
#include <velmoro/dib.h>
#include <velmoro/platform/file.h>

#include "image_checks.h"

#include <cstdint>
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
    fuzz::CheckImage(image);
    CMemFile out;
    if (image.WriteBmp(out, 0) != DIB_OK)
        __builtin_trap();
    return 0;
}
