// SPDX-License-Identifier: MIT
// Runs the velmoro program as a user runs it, in a fresh work folder, and
// captures what it prints.
#ifndef VELMORO_TESTS_SUPPORT_CLI_FIXTURE_H
#define VELMORO_TESTS_SUPPORT_CLI_FIXTURE_H

#include <velmoro/velmoro.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace velmoro_test {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

std::string ReadText(const std::string& path);
void WriteText(const std::string& path, const std::string& text);
// The lines of a text, without their line ends.
std::vector<std::string> Lines(const std::string& text);
// Every entry of a folder but "." and "..", hidden ones included.
std::set<std::string> FilesIn(const std::string& dir);

class VelmoroCli : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    std::string Path(const std::string& name) const { return m_dir + "/" + name; }

    // Runs the program in the work folder with the arguments as given and
    // `input` on its standard input.
    Outcome Run(const std::vector<std::string>& args, const std::string& input = std::string()) const;
    // Runs a shell command line in the work folder, the program's path in $VELMORO.
    Outcome RunShell(const std::string& command) const;
    // Runs the program with a terminal for all three standard streams; what it
    // showed there.
    std::string RunInTerminal(const std::vector<std::string>& args, int& status) const;

    void ExpectSuccess(const std::vector<std::string>& args) const;
    // A failure leaves the folder as it was and says so in one line that holds `message`.
    void ExpectFailure(const std::vector<std::string>& args, int status, const std::string& message) const;
    static std::string Joined(const std::vector<std::string>& args);

    // A one-colour BMP made by the library, so the program's reading is checked
    // against a writer it does not share.
    void MakeBmp(const std::string& name, int width, int height, int bits, DWORD color,
                 DWORD format = DIB_FORMAT_555) const;
    std::string Pick(const std::string& name, const std::string& point) const;
    // "W x H, B bits" as info prints it.
    std::string Shape(const std::string& name) const;

    std::string m_dir;
    std::string m_captureDir;
};

}  // namespace velmoro_test

#endif
