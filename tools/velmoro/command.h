// Subcommands of the velmoro program register themselves at start-up, one file per family.
#ifndef VELMORO_TOOLS_COMMAND_H
#define VELMORO_TOOLS_COMMAND_H

#include <velmoro/result.h>

#include <string>
#include <vector>

namespace velmoro_tool {

struct Command {
    const char* name;
    const char* summary;
    const char* usage;  // shown by "velmoro NAME --help", with an example
    int (*run)(const std::vector<std::string>& args);
};

void RegisterCommand(const Command& command);

struct CommandRegistration {
    explicit CommandRegistration(const Command& command) { RegisterCommand(command); }
};

// One line on standard error: "velmoro: FILE: NAME (what it means)"; returns the exit status 1.
int ReportFailure(const std::string& file, DWORD code);
int ReportError(const std::string& message);

}  // namespace velmoro_tool

#endif
