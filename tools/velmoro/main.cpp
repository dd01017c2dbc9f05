#include "command.h"

#include <cstdio>
#include <cstring>
#include <map>

namespace velmoro_tool {
namespace {

std::map<std::string, Command>& Commands()
{
    static std::map<std::string, Command> commands;
    return commands;
}

void PrintHelp()
{
    std::printf("velmoro %s: device-independent bitmaps from the command line\n\n"
                "usage: velmoro COMMAND [ARGS...]\n       velmoro COMMAND --help\n\ncommands:\n",
                VELMORO_VERSION);
    for (const auto& entry : Commands())
        std::printf("  %-10s %s\n", entry.first.c_str(), entry.second.summary);
}

}  // namespace

void RegisterCommand(const Command& command)
{
    Commands()[command.name] = command;
}

int ReportFailure(const std::string& file, DWORD code)
{
    const char* name = DibResultName(code);
    std::fprintf(stderr, "velmoro: %s: %s (%s)\n", file.c_str(), name ? name : "error",
                 DibResultText(code));
    return 1;
}

int ReportError(const std::string& message)
{
    std::fprintf(stderr, "velmoro: %s\n", message.c_str());
    return 1;
}

}  // namespace velmoro_tool

int main(int argc, char** argv)
{
    using namespace velmoro_tool;
    if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
        PrintHelp();
        return argc < 2 ? 2 : 0;
    }
    if (!std::strcmp(argv[1], "--version")) {
        std::printf("velmoro %s\n", VELMORO_VERSION);
        return 0;
    }
    auto found = Commands().find(argv[1]);
    if (found == Commands().end())
        return ReportError(std::string("unknown command '") + argv[1] + "' (see velmoro --help)");
    std::vector<std::string> args(argv + 2, argv + argc);
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") {
            std::printf("%s\n", found->second.usage);
            return 0;
        }
    }
    return found->second.run(args);
}
