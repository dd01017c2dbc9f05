// SPDX-License-Identifier: MIT
// Internal, not a stable API, and not installed: the table of bitmap resources
// that velmoro_add_bitmap_resources compiles into a program or shared object,
// found at run time under one exported name. The library reads it; the tests
// and the fuzz targets write tables of their own by hand.
#ifndef VELMORO_INTERNAL_RESOURCE_TABLE_H
#define VELMORO_INTERNAL_RESOURCE_TABLE_H

#include <cstddef>
#include <cstdint>

extern "C" {

struct VelmoroResourceInfo {
    uint32_t id;
    uint32_t size;
    const unsigned char* data;  // a packed DIB: header, masks, colour table, rows
};

struct VelmoroResourceTable {
    uint32_t count;
    const VelmoroResourceInfo* entries;
};
}

#define VELMORO_RESOURCE_TABLE_SYMBOL "velmoro_bitmap_resources"

// cmake/VelmoroBitmapResourceGen.cmake writes these records into programs and
// libraries that never see this header: change both together.
static_assert(offsetof(VelmoroResourceInfo, id) == 0 && offsetof(VelmoroResourceInfo, size) == 4 &&
                  offsetof(VelmoroResourceInfo, data) == 8 && sizeof(VelmoroResourceInfo) == 8 + sizeof(void*),
              "resource entry layout is shared with generated sources");
static_assert(offsetof(VelmoroResourceTable, count) == 0 &&
                  offsetof(VelmoroResourceTable, entries) == sizeof(void*) &&
                  sizeof(VelmoroResourceTable) == 2 * sizeof(void*),
              "resource table layout is shared with generated sources");

#endif
