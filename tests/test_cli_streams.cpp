// SPDX-License-Identifier: MIT
// "-" as a picture file: the velmoro program reads standard input and writes
// standard output, so that it works inside a pipeline.
#ifdef VELMORO_TOOL_PATH

#include "support/cli_fixture.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <string>

namespace {

using velmoro_test::Outcome;
using velmoro_test::ReadText;
using velmoro_test::VelmoroCli;
using velmoro_test::WriteText;

TEST_F(VelmoroCli, PipelineOfJpegToBmpToInfo)
{
    const std::string jpeg = std::string(VELMORO_CORPUS_DIR) + "/jpeg/testorig.jpg";
    const Outcome outcome =
        RunShell("cat '" + jpeg + "' | \"$VELMORO\" convert - - --format bmp | \"$VELMORO\" info -");
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(outcome.out, "standard input: 227 x 149, 24 bits, compression 0, 0 colour entries, stride 684; stored as BMP, 24 bits\n");
}

// Every command that reads or writes a picture takes "-".
TEST_F(VelmoroCli, EveryPictureCommandJoinsAPipeline)
{
    MakeBmp("dot.bmp", 1, 1, 24, RGB(255, 0, 0));
    MakeBmp("cover.bmp", 4, 3, 24, RGB(0, 255, 0));
    const Outcome outcome = RunShell(
        "\"$VELMORO\" create - --size 4x3 --bits 16 --layout 565 --color 0000FF --format bmp"
        " | \"$VELMORO\" compose - dot.bmp - --at 1,1 --format bmp --verbose"
        " | \"$VELMORO\" blend - cover.bmp - --alpha 255 --direct --format bmp"
        " | \"$VELMORO\" join dot.bmp - - --horz --format jpeg"
        " | \"$VELMORO\" convert - - --format bmp"
        " | \"$VELMORO\" pick - 4,0");
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.err, "velmoro compose: standard input: converted from 16 bits (5-6-5) to 24 bits, "
                           "the depth of dot.bmp\n");
    // The blue ground, away from the red dot, after a JPEG: still blue.
    ASSERT_EQ(outcome.out.size(), 7u) << outcome.out;
    EXPECT_LT(std::stoi(outcome.out.substr(0, 2), nullptr, 16), 0x40) << outcome.out;
    EXPECT_GT(std::stoi(outcome.out.substr(4, 2), nullptr, 16), 0xC0) << outcome.out;
}

TEST_F(VelmoroCli, StandardInputAndOutputCarryWholePictures)
{
    MakeBmp("grey.bmp", 5, 3, 24, RGB(100, 100, 100));
    MakeBmp("grey8.bmp", 5, 3, 8, RGB(128, 128, 128));
    // A BMP in, told by its content, and a BMP out, byte for byte what a file would hold.
    Outcome outcome = Run({"fade", "-", "-", "--format", "bmp", "--level", "10"}, ReadText(Path("grey.bmp")));
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.err, "");
    ASSERT_EQ(Run({"fade", "grey.bmp", "faded.bmp", "--level", "10"}).status, 0);
    EXPECT_EQ(outcome.out, ReadText(Path("faded.bmp")));
    // A JPEG out, read back through standard input.
    outcome = Run({"convert", "grey.bmp", "-", "--format", "jpeg", "--quality", "95"});
    EXPECT_EQ(outcome.out.compare(0, 3, "\xFF\xD8\xFF"), 0);
    outcome = Run({"info", "-"}, outcome.out);
    EXPECT_EQ(outcome.out.compare(0, 34, "standard input: 5 x 3, 24 bits, co"), 0) << outcome.out;

    // A picture that fails sends nothing down the pipe.
    outcome = Run({"fade", "-", "-", "--format", "bmp", "--level", "1"}, ReadText(Path("grey8.bmp")));
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err, "velmoro fade: standard input: 8 bits is not a depth this command takes "
                           "(DIB_ERR_BAD_DEPTH)\n");
    outcome = Run({"info", "-"}, "");
    EXPECT_EQ(outcome.status, 1);
    const std::string unreadable = "velmoro info: standard input: cannot be loaded: ";
    EXPECT_EQ(outcome.err.compare(0, unreadable.size(), unreadable), 0) << outcome.err;
    if (access("/dev/full", W_OK) == 0) {
        outcome = RunShell("\"$VELMORO\" flip grey.bmp - --format bmp --vert >/dev/full");
        EXPECT_EQ(outcome.status, 1);
        EXPECT_EQ(outcome.err, "velmoro flip: standard output: cannot be written: no space left on device\n");
    }

    ExpectFailure({"convert", "grey.bmp", "-"}, 2, "standard output (-) needs --format bmp, jpeg or png");
    ExpectFailure({"create", "-", "--size", "2x2", "--bits", "8"}, 2, "standard output (-) needs --format");
    ExpectFailure({"join", "grey.bmp", "grey.bmp", "-", "--horz"}, 2, "standard output (-) needs --format");
    ExpectFailure({"convert", "grey.bmp", "-", "--out-dir", "out"}, 2, "standard input (-) is one picture");
}

}  // namespace

#endif
