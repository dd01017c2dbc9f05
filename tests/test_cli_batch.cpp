// SPDX-License-Identifier: MIT
// The velmoro program on many pictures at once: --out-dir, --format, --jobs,
// the progress bar, and carrying on past the pictures that fail.
#ifdef VELMORO_TOOL_PATH

#include "support/cli_fixture.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

using velmoro_test::FilesIn;
using velmoro_test::Outcome;
using velmoro_test::ReadText;
using velmoro_test::VelmoroCli;
using velmoro_test::WriteText;

std::set<std::string> LinesOf(const std::string& text)
{
    const std::vector<std::string> lines = velmoro_test::Lines(text);
    return std::set<std::string>(lines.begin(), lines.end());
}

// Good pictures of several depths and sizes, and bad ones of every kind, on
// two workers: every good one is written and right, every bad one reported
// once, nothing else appears, and the status says that some failed.
TEST_F(VelmoroCli, BatchWritesEveryGoodPictureAndReportsEveryBadOne)
{
    std::vector<std::string> args{"fade"};
    std::set<std::string> expected;
    for (int i = 0; i < 12; ++i) {
        const std::string name = "good" + std::to_string(i) + ".bmp";
        MakeBmp(name, 3 + i, 2 + i % 3, 24, RGB(10 * i, 20, 30));
        args.push_back(name);
        expected.insert(name);
    }
    MakeBmp("mono.bmp", 4, 4, 1, 0);
    WriteText(Path("notes.bmp"), "not a picture, but long enough for a header\n");
    ASSERT_EQ(mkdir(Path("folder.bmp").c_str(), 0755), 0);
    args.insert(args.begin() + 4, {"mono.bmp", "notes.bmp", "missing.bmp", "folder.bmp"});
    for (const char* option : {"--level", "5", "--out-dir", "out", "--jobs", "2"})
        args.push_back(option);

    const Outcome outcome = Run(args);
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(FilesIn(Path("out")), expected);
    for (int i = 0; i < 12; ++i) {
        const std::string name = "out/good" + std::to_string(i) + ".bmp";
        EXPECT_EQ(Shape(name), std::to_string(3 + i) + " x " + std::to_string(2 + i % 3) + ", 24 bits");
        char color[8];
        std::snprintf(color, sizeof color, "%02X1923\n", 10 * i + 5);
        EXPECT_EQ(Pick(name, "1,1"), color) << name;
    }
    std::set<std::string> failures = LinesOf(outcome.err);
    const std::string notReadable = "velmoro fade: notes.bmp: cannot be loaded: ";
    const auto notes = failures.lower_bound(notReadable);
    ASSERT_TRUE(notes != failures.end() && notes->compare(0, notReadable.size(), notReadable) == 0) << outcome.err;
    failures.erase(notes);
    EXPECT_EQ(failures, (std::set<std::string>{
                            "velmoro fade: mono.bmp: 8 bits is not a depth this command takes (DIB_ERR_BAD_DEPTH)",
                            "velmoro fade: missing.bmp: cannot be opened: no such file or directory",
                            "velmoro fade: folder.bmp: cannot be opened: is a directory"}));
    EXPECT_EQ(outcome.out, "out: 12 of 16 pictures written, 4 failed\n");
}

TEST_F(VelmoroCli, BatchChoosesTheOutputFormatAndKeepsPositionalsAfterTheInputs)
{
    MakeBmp("a.bmp", 6, 4, 24, RGB(200, 100, 50));
    MakeBmp("b.bmp", 5, 5, 16, RGB(0, 0, 255), DIB_FORMAT_565);
    ASSERT_EQ(mkdir(Path("sub").c_str(), 0755), 0);
    MakeBmp("sub/c.bmp", 3, 3, 8, RGB(255, 255, 255));

    Outcome outcome = Run({"convert", "a.bmp", "b.bmp", "sub/c.bmp", "--out-dir", "jpegs", "--format", "jpeg"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.out, "jpegs: 3 pictures written\n");
    EXPECT_EQ(FilesIn(Path("jpegs")), (std::set<std::string>{"a.jpg", "b.jpg", "c.jpg"}));
    for (const char* name : {"jpegs/a.jpg", "jpegs/b.jpg", "jpegs/c.jpg"})
        EXPECT_EQ(ReadText(Path(name)).compare(0, 3, "\xFF\xD8\xFF"), 0) << name;

    // The rectangle follows the inputs; one worker is as good as two.
    outcome = Run({"crop", "a.bmp", "b.bmp", "1,1,3,3", "--out-dir", "cut", "--jobs", "1"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "cut: 2 pictures written\n");
    EXPECT_EQ(Shape("cut/a.bmp"), "2 x 2, 24 bits");
    EXPECT_EQ(Shape("cut/b.bmp"), "2 x 2, 16 bits");

    // One input is a batch too, counted in the singular.
    outcome = Run({"flip", "a.bmp", "--horz", "--out-dir", "cut"});
    EXPECT_EQ(outcome.out, "cut: 1 picture written\n");

    ExpectFailure({"convert", "a.bmp", "b.bmp", "c.bmp"}, 2, "several inputs need --out-dir DIR");
    ExpectFailure({"convert", "a.bmp"}, 2, "OUT is missing");
    ExpectFailure({"convert", "a.bmp", "x.bmp", "--jobs", "2"}, 2, "--jobs goes with --out-dir");
    ExpectFailure({"convert", "a.bmp", "--out-dir", "o", "--jobs", "0"}, 2, "--jobs takes a whole number from 1");
    ExpectFailure({"convert", "a.bmp", "--out-dir", "o", "--format", "gif"}, 2, "--format takes bmp, jpeg or png");
    ExpectFailure({"convert", "a.bmp", "notes.txt", "--out-dir", "o"}, 2, "o/notes.txt: velmoro writes .bmp, .png");
    ExpectFailure({"convert", "a.bmp", "sub/a.bmp", "--out-dir", "o"}, 2,
                  "'a.bmp' and 'sub/a.bmp' would both be written to o/a.bmp");
    ExpectFailure({"convert", "a.bmp", "--out-dir", "o", "--format", "bmp", "--quality", "50"}, 2,
                  "--quality goes with JPEG output");
    ExpectFailure({"crop", "a.bmp", "--out-dir", "a.bmp", "0,0,1,1"}, 1,
                  "velmoro crop: a.bmp: cannot make the folder: not a directory");
}

// On a terminal the batch shows its progress on standard error, on one line
// that the summary replaces.
TEST_F(VelmoroCli, BatchShowsProgressOnlyOnATerminal)
{
    std::vector<std::string> args{"flip"};
    for (int i = 0; i < 5; ++i) {
        MakeBmp("p" + std::to_string(i) + ".bmp", 8, 8, 24, RGB(i, i, i));
        args.push_back("p" + std::to_string(i) + ".bmp");
    }
    for (const char* option : {"--vert", "--out-dir", "out", "--jobs", "2"})
        args.push_back(option);
    int status = -1;
    const std::string shown = RunInTerminal(args, status);
    EXPECT_EQ(status, 0) << shown;
    EXPECT_NE(shown.find("5/5 files"), std::string::npos) << shown;
    EXPECT_NE(shown.find("pictures/s"), std::string::npos) << shown;
    EXPECT_NE(shown.find("0:00 left"), std::string::npos) << shown;
    EXPECT_NE(shown.find("\r\033[Kout: 5 pictures written"), std::string::npos) << shown;

    const Outcome plain = Run(args);
    EXPECT_EQ(plain.status, 0);
    EXPECT_EQ(plain.err, "");
}

TEST_F(VelmoroCli, HelpShowsBothFormsOfAPictureCommand)
{
    const Outcome outcome = Run({"crop", "--help"});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out.compare(0, outcome.out.find("\n\n"),
                                  "usage: velmoro crop IN OUT L,T,R,B [--format bmp|jpeg|png]\n"
                                  "       velmoro crop IN... L,T,R,B --out-dir DIR [--format bmp|jpeg|png] [--jobs N]"),
              0)
        << outcome.out;
}

}  // namespace

#endif
