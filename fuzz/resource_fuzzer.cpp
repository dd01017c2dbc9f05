// SPDX-License-Identifier: MIT
// Packed-DIB bitmap resources: the program's own resource table holds the fuzz
// input as resource 1, loaded through both resource forms. Any bytes must give
// a result code; an image that loads must satisfy the record's rules, and a
// failed load must leave the image as it was.
#include <velmoro/dib.h>
#include <velmoro/internal/resource_table.h>
#include <velmoro/platform/file.h>

#include "image_checks.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t kResourceId = 1;
VelmoroResourceInfo g_entry = {kResourceId, 0, nullptr};

}  // namespace

// The program's table, found by name like the one the build embeds in programs;
// the link exports it (see fuzz/CMakeLists.txt).
extern "C" {
__attribute__((visibility("default"))) VelmoroResourceTable velmoro_bitmap_resources = {1, &g_entry};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 20))
        return 0;
    // A copy of exactly the input's size, so reading past the resource shows.
    std::vector<BYTE> resource(data, data + size);
    g_entry.data = resource.data();
    g_entry.size = static_cast<uint32_t>(size);

    CDib image;
    if (image.Create(3, 2, 8, 0, 0) != DIB_OK)
        __builtin_trap();
    const BITMAPINFO* oldInfo = image.GetBmpInfoAddress();
    const DWORD code = image.Load(GetModuleHandleA(NULL), kResourceId);
    if (code != DIB_OK && image.GetBmpInfoAddress() != oldInfo)
        __builtin_trap();
    fuzz::CheckImage(image);

    // The current resource module is the program: the short form reads the same.
    CDib again;
    if (again.Load(kResourceId) != code)
        __builtin_trap();
    fuzz::CheckImage(again);
    if (code == DIB_OK) {
        CMemFile file;
        if (again.WriteBmp(file, 0) != DIB_OK)
            __builtin_trap();
    }
    g_entry.data = nullptr;
    g_entry.size = 0;
    return 0;
}
