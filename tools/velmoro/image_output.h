// SPDX-License-Identifier: MIT
// Image output for every subcommand: BMP, PNG or JPEG as the name asks, whole
// or not at all.
#ifndef VELMORO_TOOLS_IMAGE_OUTPUT_H
#define VELMORO_TOOLS_IMAGE_OUTPUT_H

#include "args.h"

#include <velmoro/dib.h>
#include <velmoro/picture_io.h>

#include <string>

namespace velmoro_tool {

constexpr int kDefaultJpegQuality = 90;

// How a JPEG output is encoded: quality 1 to 100; chroma sampling 444, 422 or
// 420, or 0 for 4:4:4 at quality 90 and above and 4:2:0 below.
struct JpegSettings {
    int quality = kDefaultJpegQuality;
    int subsampling = 0;
};

// The options that give them, for a command's usage line.
constexpr const char* kJpegSettingsUsage = "[--quality N] [--subsampling 444|422|420]";

// PICTURE_FORMAT_BMP, _JPEG or _PNG as an output's name asks; a UsageError
// that names the formats for any other name.
int FormatForName(const std::string& path);

// --quality and --subsampling as given; a UsageError when either is given for
// an output of another format than JPEG (`format` PICTURE_FORMAT_AUTO: each
// output's name decides, so both are taken).
JpegSettings JpegSettingsFrom(const Arguments& args, int format);

// Writes the image in `format` (PICTURE_FORMAT_AUTO: the one its name asks
// for), whole or not at all, throwing a UsageError for a name of no format and
// a Failure that names the file when writing fails.
void SaveOutput(CDib& image, const std::string& path, const JpegSettings& jpeg = JpegSettings(),
                int format = PICTURE_FORMAT_AUTO);

}  // namespace velmoro_tool

#endif
