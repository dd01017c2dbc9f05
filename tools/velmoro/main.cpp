// SPDX-License-Identifier: MIT
#include "batch.h"
#include "command.h"

#include <velmoro/version.h>

#include <cstdio>
#include <map>

namespace velmoro_tool {
namespace {

constexpr int kFailureStatus = 1;
constexpr int kUsageStatus = 2;

std::map<std::string, Command>& Commands()
{
    static std::map<std::string, Command> commands;
    return commands;
}

std::string g_commandName;

void PrintHelp()
{
    std::printf("velmoro %s: device-independent bitmaps from the command line\n\n"
                "usage: velmoro COMMAND ARGS...\n"
                "       velmoro COMMAND --help     what COMMAND does, with an example\n"
                "       velmoro --version\n\n"
                "Input files may be BMP (any header, run-length compression, top-down\n"
                "rows), PNG or JPEG, told apart by content. Output files are written as\n"
                "BMP, PNG or JPEG as their names end (.bmp, .png, .jpg or .jpeg; another\n"
                "name needs --format), each whole or not at all. Commands that turn one\n"
                "picture into another (IN OUT) also take many: IN... --out-dir DIR\n"
                "[--jobs N] works on N at a time (default: one per core), goes on past a\n"
                "picture that fails and shows its progress on a terminal. An input\n"
                "picture - is read from standard input, an output picture - written to\n"
                "standard output (--format needed). Colours are RRGGBB in hexadecimal,\n"
                "points X,Y and rectangles L,T,R,B counted from the top-left pixel (R and\n"
                "B exclusive).\n"
                "Exit status: 0 done, 1 an operation failed, 2 the arguments are wrong;\n"
                "a failure prints one line on standard error.\n\ncommands:\n",
                VelmoroVersion());
    for (const auto& entry : Commands())
        std::printf("  %-10s %s\n", entry.first.c_str(), entry.second.summary);
}

int UsageFailure(const std::string& message)
{
    const std::string help = g_commandName.empty() ? "velmoro --help" : "velmoro " + g_commandName + " --help";
    std::fprintf(stderr, "velmoro%s%s: %s (see %s)\n", g_commandName.empty() ? "" : " ", g_commandName.c_str(),
                 message.c_str(), help.c_str());
    return kUsageStatus;
}

int Run(const std::vector<std::string>& args)
{
    if (args.empty())
        return UsageFailure("no command given");
    if (args[0] == "--help" || args[0] == "-h") {
        PrintHelp();
        return 0;
    }
    if (args[0] == "--version") {
        std::printf("velmoro %s\n", VelmoroVersion());
        return 0;
    }
    const auto found = Commands().find(args[0]);
    if (found == Commands().end())
        return UsageFailure("unknown command '" + args[0] + "'");
    const Command& command = found->second;
    g_commandName = command.name;
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    for (const std::string& arg : rest) {
        if (arg == "--help" || arg == "-h") {
            const std::string forms = command.prepare ? PictureUsageForms(command.name, command.usage)
                                                      : "velmoro " + std::string(command.name) + " " + command.usage;
            std::printf("usage: %s\n\n%s\n", forms.c_str(), command.details);
            return 0;
        }
    }
    try {
        if (command.prepare)
            return RunPictures(command, Arguments(PictureUsage(command.usage), rest));
        return command.run(Arguments(command.usage, rest));
    } catch (const UsageError& error) {
        return UsageFailure(error.what());
    } catch (const Failure& failure) {
        return ReportFailure(failure);
    }
}

}  // namespace

void RegisterCommand(const Command& command)
{
    Commands()[command.name] = command;
}

void Note(const std::string& message)
{
    std::fprintf(stderr, "velmoro %s: %s\n", g_commandName.c_str(), message.c_str());
}

int ReportFailure(const Failure& failure)
{
    Note(failure.what());
    return kFailureStatus;
}

}  // namespace velmoro_tool

int main(int argc, char** argv)
{
    const int status = velmoro_tool::Run(std::vector<std::string>(argv + 1, argv + argc));
    // What a command printed is part of its result: output lost on the way
    // (a full disk, a closed pipe) is a failure too.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "velmoro: standard output could not be written\n");
        return status == 0 ? 1 : status;
    }
    return status;
}
