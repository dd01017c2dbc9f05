// Result codes of the image operations and the 16-bit layout selectors.
#ifndef VELMORO_RESULT_H
#define VELMORO_RESULT_H

#include <velmoro/types.h>

#define DIB_OK 0x000u
#define DIB_ERR_OPEN 0x001u
#define DIB_ERR_FILE_IO 0x002u
#define DIB_ERR_NOT_BMP 0x003u
#define DIB_ERR_BAD_HEADER 0x004u
#define DIB_ERR_WRITE 0x005u
#define DIB_ERR_NO_MEMORY 0x100u
#define DIB_ERR_RES_NOT_FOUND 0x200u
#define DIB_ERR_RES_LOAD 0x201u
#define DIB_ERR_RES_LOCK 0x202u
#define DIB_ERR_BAD_BITCOUNT 0x300u
#define DIB_ERR_NOT_8BIT 0x402u
#define DIB_ERR_NOT_16BIT 0x403u
#define DIB_ERR_NOT_24BIT 0x404u
#define DIB_ERR_BAD_DEPTH 0x405u
#define DIB_ERR_BAD_ARGUMENT 0x406u
#define DIB_ERR_EMPTY 0x500u
#define DIB_ERR_COMPRESSED 0x501u
#define DIB_ERR_BAD_POSITION 0x700u
#define DIB_ERR_OUT_OF_IMAGE 0x800u
#define DIB_ERR_BITMAP 0x900u
#define DIB_ERR_NO_COLOR_TABLE 0xA00u
#define DIB_ERR_COLOR_TABLE_SIZE 0xA01u
#define DIB_ERR_REGION 0xB00u
#define DIB_ERR_JPEG 0xC00u
#define DIB_ERR_FORMAT 0xD00u

// 16-bit pixel layouts: only DIB_FORMAT_565 selects 5-6-5, every other value 5-5-5.
#define DIB_FORMAT_555 0x10000000u
#define DIB_FORMAT_565 0x10000001u

// The code's symbolic name ("DIB_ERR_OPEN"), or NULL for a value that is no result code.
VELMORO_API const char* DibResultName(DWORD code);
// One line saying what the code means, or "unknown result code".
VELMORO_API const char* DibResultText(DWORD code);

#endif
