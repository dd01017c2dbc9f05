// SPDX-License-Identifier: MIT
// The manual page says what --help says: every command's usage lines and
// examples appear in it as the program prints them.
#ifdef VELMORO_TOOL_PATH

#include "support/cli_fixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using velmoro_test::Lines;
using velmoro_test::ReadText;
using velmoro_test::VelmoroCli;

// The page's source as a reader sees its words: font changes and escapes gone.
std::string PlainManual(const std::string& source)
{
    std::string text;
    for (size_t i = 0; i < source.size(); ++i) {
        if (source[i] != '\\' || i + 1 == source.size()) {
            text += source[i];
            continue;
        }
        const char escape = source[++i];
        if (escape == 'f')
            ++i;  // \fB, \fI, \fR
        else if (escape == '-')
            text += '-';
        else if (escape == 'e')
            text += '\\';
        // \& only guards a line start
    }
    return text;
}

// The usage lines and examples of a command's --help, without their labels:
// lines that start "usage:", "example:" or "examples:", or continue one with
// spaces before "velmoro".
std::vector<std::string> UsageAndExamples(const std::string& help)
{
    std::vector<std::string> wanted;
    for (const std::string& line : Lines(help)) {
        const size_t command = line.find("velmoro ");
        if (command == std::string::npos)
            continue;
        const std::string label = line.substr(0, command);
        if (label == "usage: " || label == "example: " || label == "examples: " ||
            label.find_first_not_of(' ') == std::string::npos)
            wanted.push_back(line.substr(command));
    }
    return wanted;
}

TEST_F(VelmoroCli, ManualHoldsEveryCommandsUsageAndExamples)
{
    const std::string manual = PlainManual(ReadText(VELMORO_MANUAL_PATH));
    ASSERT_FALSE(manual.empty());
    const std::string list = Run({"--help"}).out;
    const size_t commandsAt = list.find("\ncommands:\n");
    ASSERT_NE(commandsAt, std::string::npos);
    int commands = 0;
    for (const std::string& line : Lines(list.substr(commandsAt + 11))) {
        const std::string name = line.substr(2, line.find(' ', 2) - 2);
        ++commands;
        EXPECT_NE(manual.find(".SS " + name + "\n"), std::string::npos) << name;
        const std::string help = Run({name, "--help"}).out;
        const std::vector<std::string> wanted = UsageAndExamples(help);
        EXPECT_GE(wanted.size(), 2u) << help;
        for (const std::string& text : wanted)
            EXPECT_NE(manual.find(text + "\n"), std::string::npos) << name << ": the manual lacks\n" << text;
    }
    EXPECT_EQ(commands, 20);
    for (const char* option : {"--help", "--version", "--out-dir", "--format", "--jobs"})
        EXPECT_NE(manual.find(option), std::string::npos) << option;
}

// The program's general help and its page both name every picture format it
// reads and writes, so neither falls behind the readers again.
TEST_F(VelmoroCli, HelpAndManualNameEveryPictureFormat)
{
    const std::string manual = PlainManual(ReadText(VELMORO_MANUAL_PATH));
    const std::string help = Run({"--help"}).out;
    for (const char* format : {"BMP", "PNG", "JPEG", ".bmp", ".png", ".jpg", ".jpeg"}) {
        EXPECT_NE(help.find(format), std::string::npos) << "velmoro --help lacks " << format;
        EXPECT_NE(manual.find(format), std::string::npos) << "the manual lacks " << format;
    }
}

}  // namespace

#endif
