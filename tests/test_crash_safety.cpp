// SPDX-License-Identifier: MIT
// The velmoro program killed (SIGKILL) at random moments while it writes a large
// picture or collection: the output path must hold the old file, or nothing
// when there was none, or the whole new file; never a part of one.
#ifdef VELMORO_TOOL_PATH

#include <velmoro/velmoro.h>

#include <gtest/gtest.h>

#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::microseconds kPoll{100};

int64_t FileBytes(const std::string& path)
{
    struct stat info;
    return ::stat(path.c_str(), &info) == 0 ? info.st_size : -1;
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream stream(path, std::ios::binary);
    std::string bytes(static_cast<size_t>(std::max<int64_t>(FileBytes(path), 0)), '\0');
    stream.read(&bytes[0], static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(stream.gcount()));
    return bytes;
}


int RemoveEntry(const char* path, const struct stat*, int, struct FTW*)
{
    return ::remove(path);
}

class KilledOutputs : public ::testing::Test {
protected:
    void SetUp() override
    {
        char work[] = "/tmp/velmoro_kill_XXXXXX";
        ASSERT_NE(::mkdtemp(work), nullptr);
        m_dir = work;
    }

    void TearDown() override { ::nftw(m_dir.c_str(), RemoveEntry, 8, FTW_DEPTH | FTW_PHYS); }

    std::string Path(const std::string& name) const { return m_dir + "/" + name; }

    // Starts the program in the work folder, its output thrown away.
    pid_t Start(const std::vector<std::string>& args) const
    {
        const pid_t child = ::fork();
        if (child == 0) {
            const int null = ::open("/dev/null", O_WRONLY);
            if (null < 0 || ::dup2(null, 1) < 0 || ::dup2(null, 2) < 0 || ::chdir(m_dir.c_str()) != 0)
                ::_exit(127);
            std::vector<char*> argv{const_cast<char*>(VELMORO_TOOL_PATH)};
            for (const std::string& arg : args)
                argv.push_back(const_cast<char*>(arg.c_str()));
            argv.push_back(nullptr);
            ::execv(VELMORO_TOOL_PATH, argv.data());
            ::_exit(127);
        }
        return child;
    }

    std::set<std::string> Names() const
    {
        std::set<std::string> names;
        if (DIR* listing = ::opendir(m_dir.c_str())) {
            while (const dirent* entry = ::readdir(listing)) {
                const std::string name = entry->d_name;
                if (name != "." && name != "..")
                    names.insert(name);
            }
            ::closedir(listing);
        }
        return names;
    }

    // The bytes in the folder's file that is neither an input nor the output (the
    // program's temporary file); -1 when there is none.
    int64_t TemporaryBytes(const std::set<std::string>& inputs, const std::string& output) const
    {
        for (const std::string& name : Names()) {
            if (!inputs.count(name) && name != output)
                return FileBytes(Path(name));
        }
        return -1;
    }

    struct Timing {
        Clock::duration whole;    // start to exit
        Clock::duration writing;  // from the first byte in the temporary file to its rename
    };

    // Runs to the end, watching the folder.
    Timing RunWhole(const std::vector<std::string>& args, const std::set<std::string>& inputs,
                    const std::string& output) const
    {
        const Clock::time_point start = Clock::now();
        Clock::time_point firstByte = start, renamed = start;
        bool writing = false, done = false;
        const pid_t child = Start(args);
        int status = -1;
        while (::waitpid(child, &status, WNOHANG) == 0) {
            const int64_t bytes = TemporaryBytes(inputs, output);
            if (!writing && bytes > 0) {
                writing = true;
                firstByte = Clock::now();
            } else if (writing && !done && bytes < 0) {
                done = true;
                renamed = Clock::now();
            }
            std::this_thread::sleep_for(kPoll);
        }
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        const Clock::time_point end = Clock::now();
        return Timing{end - start, (done ? renamed : end) - firstByte};
    }

    // Kills the program after the delay, counted from its start or from the first
    // byte in its temporary file (or reaps it when it ended first).
    void RunKilled(const std::vector<std::string>& args, const std::set<std::string>& inputs,
                   const std::string& output, bool fromWriting, Clock::duration delay) const
    {
        const pid_t child = Start(args);
        int status = 0;
        while (fromWriting && TemporaryBytes(inputs, output) <= 0) {
            if (::waitpid(child, &status, WNOHANG) == child)
                return;
            std::this_thread::sleep_for(kPoll);
        }
        std::this_thread::sleep_for(delay);
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
    }

    // Kills `args`, which write `output`, at random moments: every other time over
    // the whole run, the others within the writing. Before each run the output
    // holds `old` (absent when empty).
    void KillRepeatedly(const std::vector<std::string>& args, const std::string& output, const std::string& old)
    {
        const std::set<std::string> inputs = Names();
        const Timing timing = RunWhole(args, inputs, output);
        const std::string complete = ReadBytes(Path(output));
        ASSERT_GT(complete.size(), 1000000u);
        ::remove(Path(output).c_str());

        std::random_device entropy;
        const unsigned seed = entropy();
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        std::uniform_int_distribution<Clock::rep> anyMoment(0, timing.whole.count() + timing.whole.count() / 5);
        std::uniform_int_distribution<Clock::rep> writingMoment(0, timing.writing.count());
        int partialTemporaries = 0;
        // 16 kills, more while none has yet left a partial temporary file.
        for (int attempt = 0; attempt < 16 || (partialTemporaries == 0 && attempt < 100); ++attempt) {
            if (!old.empty())
                std::ofstream(Path(output), std::ios::binary) << old;
            const bool fromWriting = attempt % 2 == 1;
            RunKilled(args, inputs, output, fromWriting,
                      Clock::duration(fromWriting ? writingMoment(random) : anyMoment(random)));
            if (old.empty() && FileBytes(Path(output)) < 0) {
                // nothing, as before
            } else {
                const std::string now = ReadBytes(Path(output));
                EXPECT_TRUE(now == complete || (!old.empty() && now == old))
                    << "attempt " << attempt << ": " << output << " holds " << now.size() << " bytes";
            }
            // What a killed run leaves beside the output is its unfinished temporary file.
            for (const std::string& name : Names()) {
                if (inputs.count(name) || name == output)
                    continue;
                const int64_t size = FileBytes(Path(name));
                partialTemporaries += size > 0 && size < static_cast<int64_t>(complete.size());
                ::remove(Path(name).c_str());
            }
            ::remove(Path(output).c_str());
        }
        // Proof that kills fell in the middle of writing, not only before or after it.
        EXPECT_GT(partialTemporaries, 0);
    }

    void MakeBmp(const std::string& name, int width, int height) const
    {
        CDib image;
        ASSERT_EQ(image.Create(width, height, 24, RGB(12, 34, 56), 0), DIB_OK);
        ASSERT_EQ(image.WriteBmp(Path(name).c_str()), static_cast<int>(DIB_OK));
    }

    std::string m_dir;
};

TEST_F(KilledOutputs, APictureIsWholeOrTheOldFileOrNothing)
{
    MakeBmp("old.bmp", 3, 2);
    const std::string old = ReadBytes(Path("old.bmp"));
    const std::vector<std::string> create{"create", "out.bmp", "--size", "2000x1500", "--bits", "24", "--color", "4080C0"};
    KillRepeatedly(create, "out.bmp", "");
    KillRepeatedly(create, "out.bmp", old);
}

TEST_F(KilledOutputs, ACollectionIsWholeOrTheOldFileOrNothing)
{
    MakeBmp("large.bmp", 1000, 1000);
    MakeBmp("small.bmp", 2, 2);
    const std::vector<std::string> pack{"pack", "out.vcl", "1:first:large.bmp", "2:second:large.bmp"};
    const pid_t child = Start({"pack", "old.vcl", "1:old:small.bmp"});
    int status = -1;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    const std::string old = ReadBytes(Path("old.vcl"));
    ASSERT_FALSE(old.empty());
    ::remove(Path("old.vcl").c_str());
    KillRepeatedly(pack, "out.vcl", "");
    KillRepeatedly(pack, "out.vcl", old);
}

}  // namespace

#endif
