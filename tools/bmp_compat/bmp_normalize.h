// A tolerant BMP reader for the velmoro program. CDib::Load takes only the
// plain form (a 40-byte or 12-byte header, uncompressed, bottom-up rows);
// real files also come with 16-, 52-, 56-, 64-, 108- and 124-byte headers,
// run-length compression and top-down rows. NormalizeBmp rewrites such a
// file as the plain form, so that CDib::Load still makes the image record.
//
// What the plain form gets:
// - a 14-byte file header and a 40-byte header, rows bottom-up, each padded to
//   four bytes, the colour table as 4-byte entries right behind the header;
// - bit fields stay bit fields: the red, green and blue masks go behind the
//   header whether they came from there or from inside a longer header; an
//   alpha mask is dropped (the record has no place for it);
// - RLE8 and RLE4 are expanded into 8- and 4-bit rows. Runs, absolute runs
//   and deltas that reach past the end of a row are clipped at the row end;
//   anything past the last row ends the picture. Pixels the stream never
//   reaches are index 0. A stream that stops early (no end-of-picture mark,
//   or an operation whose bytes are cut off) keeps what it drew;
// - a colour table is never longer than the pixels can index (2^bits entries)
//   and stops where the pixels begin; it must be present in the file.
#ifndef VELMORO_TOOLS_BMP_COMPAT_BMP_NORMALIZE_H
#define VELMORO_TOOLS_BMP_COMPAT_BMP_NORMALIZE_H

#include <velmoro/dib.h>
#include <velmoro/result.h>

#include <string>
#include <vector>

namespace velmoro_tool {

// Writes the plain form of the BMP file `in` to `out`. Returns DIB_OK, or:
// DIB_ERR_FILE_IO    the file is shorter than its headers, table or pixels need;
// DIB_ERR_NOT_BMP    it does not start with "BM";
// DIB_ERR_BAD_HEADER an unknown header size, or fields that contradict each
//                    other (bit count, compression, width);
// DIB_ERR_COMPRESSED JPEG, PNG, Huffman, RLE24 or another unknown compression;
// DIB_ERR_NO_MEMORY  a picture over 4 GiB, or a run-length stream far too short
//                    for the picture it claims.
// `out` is changed only on success.
DWORD NormalizeBmp(const std::vector<BYTE>& in, std::vector<BYTE>& out);

// Reads the BMP file at `path`, normalises it and loads it into `image`.
// DIB_ERR_OPEN when the file cannot be opened; otherwise the result of
// NormalizeBmp or of CDib::Load. `image` is changed only on success.
DWORD LoadBmpTolerant(const std::string& path, CDib& image);

}  // namespace velmoro_tool

#endif
