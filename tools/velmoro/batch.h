// SPDX-License-Identifier: MIT
// Commands that turn one picture into another, run on one picture (IN OUT) or
// on many (IN... --out-dir DIR), the many on several threads with a progress bar.
#ifndef VELMORO_TOOLS_BATCH_H
#define VELMORO_TOOLS_BATCH_H

#include "command.h"

#include <string>

namespace velmoro_tool {

// The usage line Arguments reads for a picture command whose own arguments
// are `own`: both forms in one.
std::string PictureUsage(const std::string& own);

// The two forms as --help shows them, one line each, after "usage: ".
std::string PictureUsageForms(const std::string& name, const std::string& own);

// The type of the picture written to `out`: --format when given, else the one
// its name asks for. Standard output ("-") needs --format.
int OutputFormat(const Arguments& args, const std::string& out);

// Writes the picture to the file `out`, or to standard output for "-".
void WriteOutput(CDib& image, const std::string& out, const JpegSettings& jpeg, int format);

// Loads, changes and writes each picture; for many, goes on past a failing one,
// prints a summary and returns 1 when any failed.
int RunPictures(const Command& command, const Arguments& args);

}  // namespace velmoro_tool

#endif
