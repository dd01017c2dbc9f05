# SPDX-License-Identifier: MIT
# Turns BMP files into a C++ source that embeds them as packed DIBs and exports
# the table the run-time resource look-up finds by name. Run at build time:
#
#   cmake -DOUTPUT=<file.cpp> [-DTARGET_NAME=<name>] -P VelmoroBitmapResourceGen.cmake -- <id> <file.bmp> ...
#
# A packed DIB is the file without its 14-byte file header: the 40-byte info
# header, the masks and colour table from directly behind it, then the pixel
# rows from bfOffBits. A file the loader would refuse, or read wrongly, fails
# the build here with the reason. The emitted records must keep the layout of
# VelmoroResourceInfo and VelmoroResourceTable in include/velmoro/internal/resource_table.h.
cmake_minimum_required(VERSION 3.17)

if(NOT OUTPUT)
  message(FATAL_ERROR "VelmoroBitmapResourceGen: OUTPUT is not set")
endif()

# Unsigned little-endian integer of `bytes` bytes at byte `offset` of a hex string.
function(_velmoro_read_le out hex offset bytes)
  set(value "")
  math(EXPR last "${bytes} - 1")
  foreach(i RANGE ${last})
    math(EXPR at "(${offset} + ${i}) * 2")
    string(SUBSTRING "${hex}" ${at} 2 byte)
    set(value "${byte}${value}")
  endforeach()
  math(EXPR value "0x${value}")
  set(${out} ${value} PARENT_SCOPE)
endfunction()

function(_velmoro_read_signed32 out hex offset)
  _velmoro_read_le(value "${hex}" ${offset} 4)
  if(value GREATER_EQUAL 2147483648)
    math(EXPR value "${value} - 4294967296")
  endif()
  set(${out} ${value} PARENT_SCOPE)
endfunction()

# Little-endian hex of a 32-bit unsigned value.
function(_velmoro_le32_hex out value)
  math(EXPR hex "${value}" OUTPUT_FORMAT HEXADECIMAL)
  string(SUBSTRING "${hex}" 2 -1 hex)
  string(LENGTH "${hex}" length)
  while(length LESS 8)
    set(hex "0${hex}")
    math(EXPR length "${length} + 1")
  endwhile()
  string(TOLOWER "${hex}" hex)
  set(result "")
  foreach(at 6 4 2 0)
    string(SUBSTRING "${hex}" ${at} 2 byte)
    string(APPEND result "${byte}")
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# The packed DIB of one BMP file, as a hex string; fails with the reason when
# the file is not one the resource loader can take.
function(_velmoro_packed_dib out path)
  set(what "bitmap resource '${path}'")
  if(NOT EXISTS "${path}" OR IS_DIRECTORY "${path}")
    message(FATAL_ERROR "${what}: no such file")
  endif()
  file(SIZE "${path}" fileBytes)
  if(fileBytes LESS 54)
    message(FATAL_ERROR "${what}: ${fileBytes} bytes is too short for a BMP file (at least 54)")
  endif()
  file(READ "${path}" head LIMIT 54 HEX)
  string(SUBSTRING "${head}" 0 4 signature)
  if(NOT signature STREQUAL "424d")
    message(FATAL_ERROR "${what}: not a BMP file (it does not start with \"BM\")")
  endif()
  _velmoro_read_le(offBits "${head}" 10 4)
  _velmoro_read_le(headerBytes "${head}" 14 4)
  if(headerBytes EQUAL 12)
    message(FATAL_ERROR "${what}: has a 12-byte core header; bitmap resources need the "
                        "40-byte BITMAPINFOHEADER (save it as a Windows BMP without colour-space data)")
  elseif(NOT headerBytes EQUAL 40)
    message(FATAL_ERROR "${what}: has a ${headerBytes}-byte info header; bitmap resources need the "
                        "40-byte BITMAPINFOHEADER (save it as a Windows BMP without colour-space data)")
  endif()
  _velmoro_read_signed32(width "${head}" 18)
  _velmoro_read_signed32(height "${head}" 22)
  _velmoro_read_le(bitCount "${head}" 28 2)
  _velmoro_read_le(compression "${head}" 30 4)
  _velmoro_read_le(sizeImage "${head}" 34 4)
  _velmoro_read_le(clrUsed "${head}" 46 4)

  if(NOT compression EQUAL 0 AND NOT compression EQUAL 3)
    message(FATAL_ERROR "${what}: compressed (compression ${compression}); only uncompressed "
                        "and bit-field BMP files can be embedded")
  endif()
  if(NOT bitCount MATCHES "^(1|4|8|16|24|32)$")
    message(FATAL_ERROR "${what}: ${bitCount} bits per pixel is not a BMP depth (1, 4, 8, 16, 24 or 32)")
  endif()
  if(width LESS 0)
    message(FATAL_ERROR "${what}: negative width ${width}")
  endif()
  if(height LESS 0)
    message(FATAL_ERROR "${what}: stored top-down (negative height); save it bottom-up")
  endif()

  if(clrUsed GREATER 0)
    set(entries ${clrUsed})
  elseif(bitCount LESS_EQUAL 8)
    math(EXPR entries "1 << ${bitCount}")
  else()
    set(entries 0)
  endif()
  math(EXPR tableBytes "4 * ${entries}")
  if(compression EQUAL 3)
    math(EXPR tableBytes "${tableBytes} + 12")
  endif()
  math(EXPR tableEnd "54 + ${tableBytes}")
  if(tableEnd GREATER fileBytes)
    message(FATAL_ERROR "${what}: the colour table (${tableBytes} bytes) runs past the end of the file")
  endif()

  # Rows are padded to four bytes. The height check comes first so that the
  # product cannot overflow: it must fit in the file.
  math(EXPR stride "((${width} * ${bitCount} + 31) >> 3) & ~3")
  set(pixelBytes 0)
  if(stride GREATER 0)
    math(EXPR maxRows "${fileBytes} / ${stride}")
    if(height GREATER maxRows)
      message(FATAL_ERROR "${what}: truncated: ${height} rows of ${stride} bytes do not fit in the file")
    endif()
    math(EXPR pixelBytes "${stride} * ${height}")
  endif()
  math(EXPR pixelEnd "${offBits} + ${pixelBytes}")
  if(pixelEnd GREATER fileBytes)
    message(FATAL_ERROR "${what}: truncated: the ${pixelBytes} bytes of pixels from offset ${offBits} "
                        "run past the end of the file (${fileBytes} bytes)")
  endif()

  # The resource loader sizes the pixel block by biSizeImage when it is set, but
  # file loaders ignore it and many writers get it wrong; make it agree with
  # the rows actually embedded.
  string(SUBSTRING "${head}" 28 80 header)
  if(NOT sizeImage EQUAL 0 AND NOT sizeImage EQUAL pixelBytes)
    _velmoro_le32_hex(fixed ${pixelBytes})
    string(SUBSTRING "${header}" 0 40 before)
    string(SUBSTRING "${header}" 48 -1 after)
    set(header "${before}${fixed}${after}")
  endif()

  set(dib "${header}")
  # file(READ) with LIMIT 0 would read to the end, so empty parts are skipped.
  if(tableBytes GREATER 0)
    file(READ "${path}" table OFFSET 54 LIMIT ${tableBytes} HEX)
    string(APPEND dib "${table}")
  endif()
  if(pixelBytes GREATER 0)
    file(READ "${path}" pixels OFFSET ${offBits} LIMIT ${pixelBytes} HEX)
    string(APPEND dib "${pixels}")
  endif()
  set(${out} "${dib}" PARENT_SCOPE)
endfunction()

# Arguments after "--": id/file pairs.
set(pairs "")
set(collecting FALSE)
math(EXPR lastArg "${CMAKE_ARGC} - 1")
foreach(i RANGE ${lastArg})
  if(collecting)
    list(APPEND pairs "${CMAKE_ARGV${i}}")
  elseif(CMAKE_ARGV${i} STREQUAL "--")
    set(collecting TRUE)
  endif()
endforeach()
list(LENGTH pairs pairCount)
math(EXPR oddCount "${pairCount} % 2")
if(pairCount EQUAL 0 OR oddCount)
  message(FATAL_ERROR "VelmoroBitmapResourceGen: expected <id> <file.bmp> pairs after --")
endif()

if(NOT TARGET_NAME)
  set(TARGET_NAME "this module")
endif()
# CMake regular expressions have no {n}: spell out the 16 bytes of one line.
string(REPEAT "0x..," 16 sixteenBytes)
set(arrays "")
set(rows "")
set(count 0)
math(EXPR lastPair "${pairCount} - 2")
foreach(i RANGE 0 ${lastPair} 2)
  math(EXPR j "${i} + 1")
  list(GET pairs ${i} id)
  list(GET pairs ${j} path)
  _velmoro_packed_dib(dib "${path}")
  string(LENGTH "${dib}" hexLength)
  math(EXPR byteCount "${hexLength} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${dib}")
  string(REGEX REPLACE "(${sixteenBytes})" "\\1\n    " bytes "${bytes}")
  string(STRIP "${bytes}" bytes)
  get_filename_component(name "${path}" NAME)
  string(APPEND arrays
    "// ${name}: ${byteCount} bytes\n"
    "alignas(4) const unsigned char kBitmap${count}[] = {\n    ${bytes}\n};\n\n")
  string(APPEND rows "    {${id}u, ${byteCount}u, kBitmap${count}},\n")
  math(EXPR count "${count} + 1")
endforeach()

set(source "// Bitmap resources of ${TARGET_NAME}, generated by velmoro_add_bitmap_resources.
// Each array is a packed DIB: info header, masks and colour table, pixel rows.
#include <cstdint>

extern \"C\" {
struct VelmoroResourceInfo {
    uint32_t id;
    uint32_t size;
    const unsigned char* data;
};

struct VelmoroResourceTable {
    uint32_t count;
    const VelmoroResourceInfo* entries;
};
}

namespace {

${arrays}const VelmoroResourceInfo kBitmaps[] = {
${rows}};

}  // namespace

// Found by name in this module's dynamic symbol table.
extern \"C\" {
__attribute__((visibility(\"default\"))) extern const VelmoroResourceTable velmoro_bitmap_resources;
__attribute__((used)) const VelmoroResourceTable velmoro_bitmap_resources = {${count}u, kBitmaps};
}
")
file(WRITE "${OUTPUT}" "${source}")
