// SPDX-License-Identifier: MIT
// Subcommands of the velmoro program register themselves at start-up, one file
// per family. main() parses the arguments against the command's usage line,
// runs it, and turns a UsageError (status 2) or a Failure (status 1) into one
// line on standard error.
#ifndef VELMORO_TOOLS_COMMAND_H
#define VELMORO_TOOLS_COMMAND_H

#include "args.h"
#include "image_output.h"

#include <velmoro/dib_edit.h>
#include <velmoro/result.h>

#include <functional>
#include <stdexcept>
#include <string>

namespace velmoro_tool {

// What a command that turns one picture into another does to each picture,
// once its options are read.
struct PictureStep {
    // Changes the picture read from `in` into the one to write; throws a Failure.
    std::function<void(CDibEdit& image, const std::string& in)> apply;
    JpegSettings jpeg;
};

struct Command {
    const char* name;
    const char* summary;
    const char* usage;    // the arguments after the name, in the form Arguments reads
    const char* details;  // what the command does, ending with an example
    int (*run)(const Arguments& args);
    // Set instead of run by a command that turns one picture into another:
    // usage then holds only its own arguments, and the program adds IN OUT for
    // one picture or IN... --out-dir DIR for many (see batch.h). Reads the
    // options once, before any picture; `outputFormat` is PICTURE_FORMAT_BMP,
    // _JPEG or _PNG when every output has that format, _AUTO when each
    // output's name decides.
    PictureStep (*prepare)(const Arguments& args, int outputFormat) = nullptr;
};

void RegisterCommand(const Command& command);

struct CommandRegistration {
    explicit CommandRegistration(const Command& command) { RegisterCommand(command); }
};

// An operation that failed on a file; what() is "FILE: what went wrong", in words
// a person reads, with the library's result code name last in brackets.
class Failure : public std::runtime_error {
public:
    Failure(const std::string& file, DWORD code);
    Failure(const std::string& file, const std::string& message);
};

inline void Check(DWORD code, const std::string& file)
{
    if (code != DIB_OK)
        throw Failure(file, code);
}

// The operating system's words for an error number: "no such file or directory".
std::string SystemReason(int error);

// A picture that could not be read: the operating system's reason when the file
// cannot be opened (missing, a folder, not permitted), else what `code` says of it.
Failure ReadFailure(const std::string& path, DWORD code);

// An output that could not be written; `error` is the errno of the step that
// failed (0 when none is known: then the path is examined for a reason).
Failure WriteFailure(const std::string& path, DWORD code, int error);

// An operation that refused the picture in `path`: for a depth refusal, the
// picture's depth; else what `code` means.
Failure OperationFailure(const std::string& path, DWORD code, const CDib& image);

inline void CheckOperation(DWORD code, const std::string& path, const CDib& image)
{
    if (code != DIB_OK)
        throw OperationFailure(path, code, image);
}

// "1 image", "2 images": a count and a noun that takes -s in the plural.
std::string Counted(unsigned long long count, const std::string& noun);

// Prints "velmoro COMMAND: message" on standard error, for what a command says
// beside its output (--verbose).
void Note(const std::string& message);

// Prints the failure line for commands that carry on after one; returns 1.
int ReportFailure(const Failure& failure);

}  // namespace velmoro_tool

#endif
