// Subcommands of the velmoro program register themselves at start-up, one file
// per family. main() parses the arguments against the command's usage line,
// runs it, and turns a UsageError (status 2) or a Failure (status 1) into one
// line on standard error.
#ifndef VELMORO_TOOLS_COMMAND_H
#define VELMORO_TOOLS_COMMAND_H

#include "args.h"

#include <velmoro/result.h>

#include <stdexcept>
#include <string>

namespace velmoro_tool {

struct Command {
    const char* name;
    const char* summary;
    const char* usage;    // the arguments after the name, in the form Arguments reads
    const char* details;  // what the command does, ending with an example
    int (*run)(const Arguments& args);
};

void RegisterCommand(const Command& command);

struct CommandRegistration {
    explicit CommandRegistration(const Command& command) { RegisterCommand(command); }
};

// An operation that failed on a file; what() is "FILE: NAME (what it means)" or
// "FILE: message".
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

// "1 image", "2 images": a count and a noun that takes -s in the plural.
std::string Counted(unsigned long long count, const std::string& noun);

// Prints "velmoro COMMAND: message" on standard error, for what a command says
// beside its output (--verbose).
void Note(const std::string& message);

// Prints the failure line for commands that carry on after one; returns 1.
int ReportFailure(const Failure& failure);

}  // namespace velmoro_tool

#endif
