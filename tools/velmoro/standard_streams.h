// SPDX-License-Identifier: MIT
// "-" as a picture file: standard input read whole, standard output written
// whole or not at all.
#ifndef VELMORO_TOOLS_STANDARD_STREAMS_H
#define VELMORO_TOOLS_STANDARD_STREAMS_H

#include "image_output.h"

#include <velmoro/dib.h>

#include <string>
#include <vector>

namespace velmoro_tool {

constexpr const char* kStandardStream = "-";

inline bool IsStandardStream(const std::string& path)
{
    return path == kStandardStream;
}

// What a failure line calls a file: "standard input" or "standard output" for "-".
std::string InputName(const std::string& path);
std::string OutputName(const std::string& path);

// All of standard input, up to the 4 GiB a picture in memory may take; false
// with errno set when it cannot be read.
bool ReadStandardInput(std::vector<BYTE>& data);

// Writes the image to standard output in `format` (PICTURE_FORMAT_BMP, _JPEG or
// _PNG): encoded whole into a temporary file first, so that a picture that
// fails to encode sends nothing down the pipe. Throws a Failure.
void WriteStandardOutput(CDib& image, const JpegSettings& jpeg, int format);

}  // namespace velmoro_tool

#endif
