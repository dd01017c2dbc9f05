// The table of bitmap resources that velmoro_add_bitmap_resources compiles into
// a program or shared object, found at run time under one exported name.
#ifndef VELMORO_SRC_PLATFORM_RESOURCE_TABLE_H
#define VELMORO_SRC_PLATFORM_RESOURCE_TABLE_H

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

#endif
