// SPDX-License-Identifier: MIT
#ifdef VELMORO_TOOL_PATH

#include "support/cli_fixture.h"

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>

namespace velmoro_test {
namespace {

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*)
{
    return remove(path);
}

[[noreturn]] void ExecProgram(const std::vector<std::string>& args)
{
    std::vector<char*> argv{const_cast<char*>(VELMORO_TOOL_PATH)};
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    execv(VELMORO_TOOL_PATH, argv.data());
    _exit(127);
}

int ExitStatus(pid_t child)
{
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status))
        return WEXITSTATUS(status);
    return -1;
}

}  // namespace

std::string ReadText(const std::string& path)
{
    std::ifstream stream(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

void WriteText(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

std::set<std::string> FilesIn(const std::string& dir)
{
    std::set<std::string> names;
    if (DIR* listing = opendir(dir.c_str())) {
        while (const dirent* entry = readdir(listing)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.insert(name);
        }
        closedir(listing);
    }
    return names;
}

void VelmoroCli::SetUp()
{
    char work[] = "/tmp/velmoro_cli_XXXXXX";
    char capture[] = "/tmp/velmoro_cli_out_XXXXXX";
    ASSERT_NE(mkdtemp(work), nullptr);
    ASSERT_NE(mkdtemp(capture), nullptr);
    m_dir = work;
    m_captureDir = capture;
}

void VelmoroCli::TearDown()
{
    nftw(m_dir.c_str(), RemoveEntry, 8, FTW_DEPTH | FTW_PHYS);
    nftw(m_captureDir.c_str(), RemoveEntry, 8, FTW_DEPTH | FTW_PHYS);
}

Outcome VelmoroCli::Run(const std::vector<std::string>& args, const std::string& input) const
{
    const std::string inPath = m_captureDir + "/stdin";
    const std::string outPath = m_captureDir + "/stdout", errPath = m_captureDir + "/stderr";
    WriteText(inPath, input);
    const pid_t child = fork();
    if (child == 0) {
        const int in = open(inPath.c_str(), O_RDONLY);
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 ||
            chdir(m_dir.c_str()) != 0)
            _exit(127);
        ExecProgram(args);
    }
    Outcome outcome;
    outcome.status = ExitStatus(child);
    outcome.out = ReadText(outPath);
    outcome.err = ReadText(errPath);
    return outcome;
}

Outcome VelmoroCli::RunShell(const std::string& command) const
{
    const std::string outPath = m_captureDir + "/stdout", errPath = m_captureDir + "/stderr";
    const pid_t child = fork();
    if (child == 0) {
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0 || chdir(m_dir.c_str()) != 0 ||
            setenv("VELMORO", VELMORO_TOOL_PATH, 1) != 0)
            _exit(127);
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    Outcome outcome;
    outcome.status = ExitStatus(child);
    outcome.out = ReadText(outPath);
    outcome.err = ReadText(errPath);
    return outcome;
}

std::string VelmoroCli::RunInTerminal(const std::vector<std::string>& args, int& status) const
{
    int terminal = -1;
    const pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
    if (child == 0) {
        if (chdir(m_dir.c_str()) != 0)
            _exit(127);
        ExecProgram(args);
    }
    std::string shown;
    if (child > 0) {
        char buffer[4096];
        // The terminal reports an error once the program has closed its side.
        for (ssize_t got; (got = read(terminal, buffer, sizeof buffer)) > 0;)
            shown.append(buffer, static_cast<size_t>(got));
        close(terminal);
    }
    status = ExitStatus(child);
    return shown;
}

void VelmoroCli::ExpectSuccess(const std::vector<std::string>& args) const
{
    const Outcome outcome = Run(args);
    EXPECT_EQ(outcome.status, 0) << Joined(args) << "\n" << outcome.err;
    EXPECT_EQ(outcome.err, "");
}

void VelmoroCli::ExpectFailure(const std::vector<std::string>& args, int status, const std::string& message) const
{
    const std::set<std::string> before = FilesIn(m_dir);
    const Outcome outcome = Run(args);
    EXPECT_EQ(outcome.status, status) << Joined(args);
    EXPECT_NE(outcome.err.find(message), std::string::npos) << Joined(args) << "\n" << outcome.err;
    EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
    EXPECT_EQ(outcome.err.compare(0, 7, "velmoro"), 0) << outcome.err;
    EXPECT_EQ(FilesIn(m_dir), before) << Joined(args);
}

std::string VelmoroCli::Joined(const std::vector<std::string>& args)
{
    std::string text = "velmoro";
    for (const std::string& arg : args)
        text += " " + arg;
    return text;
}

void VelmoroCli::MakeBmp(const std::string& name, int width, int height, int bits, DWORD color, DWORD format) const
{
    CDib image;
    ASSERT_EQ(image.Create(width, height, bits, color, format), DIB_OK);
    ASSERT_EQ(image.WriteBmp(Path(name).c_str()), static_cast<int>(DIB_OK));
}

std::string VelmoroCli::Pick(const std::string& name, const std::string& point) const
{
    const Outcome outcome = Run({"pick", name, point});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    return outcome.out;
}

std::string VelmoroCli::Shape(const std::string& name) const
{
    const std::string out = Run({"info", name}).out;
    const size_t start = out.find(": ") + 2;
    return out.substr(start, out.find(", compression") - start);
}

}  // namespace velmoro_test

#endif
