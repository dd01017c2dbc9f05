// SPDX-License-Identifier: MIT
/// @file
/// Result codes of the image operations and the 16-bit layout selectors.
///
/// Every image operation returns one of these codes, DIB_OK (0) on success.
/// An operation that fails leaves its image exactly as it was: blocks, size,
/// depth and pixels. DibResultName() and DibResultText() describe a code.
#ifndef VELMORO_RESULT_H
#define VELMORO_RESULT_H

#include <velmoro/types.h>

#define DIB_OK 0x000u  ///< Success.
#define DIB_ERR_OPEN 0x001u  ///< The file cannot be opened (missing, a folder, no permission).
#define DIB_ERR_FILE_IO 0x002u  ///< The file is shorter than its headers say, or the JPEG codec cannot read it.
#define DIB_ERR_NOT_BMP 0x003u  ///< The file does not start with "BM".
#define DIB_ERR_BAD_HEADER 0x004u  ///< The bitmap header is of a kind that is not read (neither 40 nor 12 bytes, or a negative width).
#define DIB_ERR_WRITE 0x005u  ///< A write failed, or the image is too large for the file format.
#define DIB_ERR_NO_MEMORY 0x100u  ///< Not enough memory, or a size that cannot be allocated (negative, top-down or beyond 4 GiB).
#define DIB_ERR_RES_NOT_FOUND 0x200u  ///< No bitmap resource with this ID in the module.
#define DIB_ERR_RES_LOAD 0x201u  ///< The bitmap resource cannot be loaded.
#define DIB_ERR_RES_LOCK 0x202u  ///< The bitmap resource cannot be locked.
#define DIB_ERR_BAD_BITCOUNT 0x300u  ///< A bit count other than 1, 4, 8, 16 or 24.
#define DIB_ERR_NOT_8BIT 0x402u  ///< The image is not 8-bit (from an 8-bit worker).
#define DIB_ERR_NOT_16BIT 0x403u  ///< The image is not 16-bit (from a 16-bit worker).
#define DIB_ERR_NOT_24BIT 0x404u  ///< The image is not 24-bit (from a 24-bit worker, and from CDibEdit::Dither24To16BitPerPixel).
#define DIB_ERR_BAD_DEPTH 0x405u  ///< The bit depth is not supported by the operation, or the images differ in depth.
#define DIB_ERR_BAD_ARGUMENT 0x406u  ///< An argument is outside the values the operation accepts (an inverted rectangle, images of different sizes, no kernel).
#define DIB_ERR_EMPTY 0x500u  ///< The image, or an image the operation reads, is empty.
#define DIB_ERR_COMPRESSED 0x501u  ///< Compressed (RLE) pixels, or two images of different biCompression (5-5-5 against 5-6-5).
#define DIB_ERR_BAD_POSITION 0x700u  ///< The point lies beyond the receiving image (CDibEdit::CombineDib).
#define DIB_ERR_OUT_OF_IMAGE 0x800u  ///< The point or rectangle lies outside the image.
#define DIB_ERR_BITMAP 0x900u  ///< The device-dependent bitmap is missing or its bits cannot be read.
#define DIB_ERR_NO_COLOR_TABLE 0xA00u  ///< The source image has no colour table.
#define DIB_ERR_COLOR_TABLE_SIZE 0xA01u  ///< The two colour tables differ in size.
#define DIB_ERR_REGION 0xB00u  ///< No region was made: no key-coloured pixel, no place for the handle, or top-down rows.
#define DIB_ERR_JPEG 0xC00u  ///< The JPEG codec is not loaded or did not start.
#define DIB_ERR_FORMAT 0xD00u  ///< Not a picture format this library reads or writes.

/// @name 16-bit pixel layouts
/// The format argument of the operations that make 16-bit pixels: only
/// DIB_FORMAT_565 selects 5-6-5 (written as BI_BITFIELDS with its masks), every
/// other value 5-5-5 (written as BI_RGB).
//@{
#define DIB_FORMAT_555 0x10000000u  ///< 5-5-5: five bits each of red, green and blue, the top bit unused.
#define DIB_FORMAT_565 0x10000001u  ///< 5-6-5: five bits of red, six of green, five of blue.
//@}

/// The code's symbolic name ("DIB_ERR_OPEN"), or NULL for a value that is no result code.
VELMORO_API const char* DibResultName(DWORD code);
/// One line saying what the code means, or "unknown result code" for a value that is none.
/// The text is static: it stays valid and needs no release.
VELMORO_API const char* DibResultText(DWORD code);

#endif
