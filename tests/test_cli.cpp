// SPDX-License-Identifier: MIT
// The velmoro program as a user runs it: every subcommand once on small inputs
// that work and once on inputs that fail. A failure must exit nonzero with one
// line on standard error and leave no output file, not even a partial one.
#ifdef VELMORO_TOOL_PATH

#include "support/cli_fixture.h"

#include <velmoro/velmoro.h>

#include "support/made_pictures.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

using velmoro_test::FilesIn;
using velmoro_test::Outcome;
using velmoro_test::ReadText;
using velmoro_test::VelmoroCli;
using velmoro_test::WriteText;

TEST_F(VelmoroCli, HelpVersionAndUnknownCommands)
{
    Outcome outcome = Run({"--help"});
    EXPECT_EQ(outcome.status, 0);
    for (const char* command : {"info", "convert", "create", "compose", "blend", "crop", "join", "flip", "interlace",
                                "mask", "fade", "filter", "pick", "region", "draw", "pack", "list", "unpack",
                                "refresh", "demo"})
        EXPECT_NE(outcome.out.find(std::string("\n  ") + command + " "), std::string::npos) << command;
    outcome = Run({"compose", "--help"});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out.compare(0, 22, "usage: velmoro compose"), 0);
    EXPECT_NE(outcome.out.find("example: velmoro compose "), std::string::npos);
    // The version of the library the program runs with, as the library tells it.
    outcome = Run({"--version"});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, std::string("velmoro ") + VelmoroVersion() + "\n");
    EXPECT_EQ(std::string(VelmoroVersion()), std::to_string(VELMORO_VERSION_MAJOR) + "." +
                                                 std::to_string(VELMORO_VERSION_MINOR) + "." +
                                                 std::to_string(VELMORO_VERSION_PATCH));

    ExpectFailure({}, 2, "no command given");
    ExpectFailure({"paint"}, 2, "unknown command 'paint'");
}

// The argument reader that every subcommand shares.
TEST_F(VelmoroCli, MalformedArgumentsAreRefusedBeforeAnyFileIsRead)
{
    const struct {
        std::vector<std::string> args;
        const char* message;
    } cases[] = {
        {{"create", "out.bmp", "--size", "2x2", "--bits", "24", "--shade", "1"}, "unknown option --shade"},
        {{"create", "out.bmp", "--size", "2x2", "--bits"}, "--bits needs a value (N)"},
        {{"create", "out.bmp", "--size", "2x2", "--size", "3x3", "--bits", "8"}, "--size given twice"},
        {{"create", "out.bmp", "extra.bmp", "--size", "2x2", "--bits", "8"}, "unexpected argument 'extra.bmp'"},
        {{"create", "--size", "2x2", "--bits", "8"}, "OUT is missing"},
        {{"create", "out.bmp", "--size", "2x2"}, "--bits N is missing"},
        {{"create", "out.bmp", "--size", "0x2", "--bits", "8"}, "--size takes WxH with both sides positive, not '0x2'"},
        {{"create", "out.bmp", "--size", "2x2", "--bits", "8", "--color", "12345"}, "--color takes a colour RRGGBB"},
        {{"create", "out.bmp", "--size", "2x2", "--bits", "8", "--color", "12345G"}, "not '12345G'"},
        {{"create", "out.bmp", "--size", "2x2", "--bits", "99999999999"}, "--bits takes a whole number"},
        {{"create", "out.bmp", "--size", "2x2", "--bits", "16", "--layout", "556"}, "--layout takes 555 or 565"},
        {{"compose", "a.bmp", "b.bmp", "o.bmp", "--at", "1,2,3"}, "--at takes X,Y, not '1,2,3'"},
        {{"compose", "a.bmp", "b.bmp", "o.bmp", "--rect", "0,0,4,"}, "--rect takes L,T,R,B"},
        {{"compose", "a.bmp", "b.bmp", "o.bmp", "--rect", "4,0,0,4"}, "L <= R"},
        {{"blend", "a.bmp", "b.bmp", "o.bmp", "--alpha", "256"}, "--alpha takes a whole number from 0 to 255"},
        {{"filter", "a.bmp", "o.bmp", "--kernel", "1,1,1,1,1,1,1,1"}, "--kernel takes 9 integers"},
        {{"filter", "a.bmp", "o.bmp", "--kernel", "0,0,0,0,1,0,0,0,0", "--divisor", "0"}, "--divisor must not be 0"},
        {{"convert", "a.bmp", "o.bmp", "--bits", "20"}, "--bits takes 16 or 24"},
        {{"convert", "a.bmp", "o.bmp", "--dither"}, "--layout and --dither go with --bits 16"},
        {{"convert", "a.bmp", "o.jpg", "--bits", "16"}, "a JPEG file holds 24 bits"},
        {{"convert", "a.bmp", "o.bmp", "--quality", "80"}, "--quality goes with JPEG output"},
        {{"convert", "a.bmp", "o.jpg", "--quality", "0"}, "--quality takes a whole number from 1 to 100"},
        {{"pick", "a.bmp", "1;2"}, "X,Y takes X,Y"},
        {{"list", "c.vcl", "--tag", "ABC"}, "--tag takes 4 characters or 0xHEX"},
        {{"list", "c.vcl", "--tag", "0x1G"}, "--tag takes 4 characters or 0xHEX"},
        {{"pack", "c.vcl", "70000:big:a.bmp"}, "with ID 0 to 65535"},
        {{"pack", "c.vcl", "1-a.bmp"}, "is not ID:NAME:FILE"},
        {{"info"}, "FILE... is missing"},
    };
    MakeBmp("a.bmp", 2, 2, 24, 0);
    MakeBmp("b.bmp", 2, 2, 24, 0);
    for (const auto& c : cases)
        ExpectFailure(c.args, 2, c.message);
}

TEST_F(VelmoroCli, InfoDescribesEveryFileAndReportsEachBadOne)
{
    MakeBmp("a.bmp", 5, 3, 8, RGB(255, 0, 0));
    WriteText(Path("notes.txt"), "not a picture\n");
    Outcome outcome = Run({"info", "a.bmp"});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, "a.bmp: 5 x 3, 8 bits, compression 0, 256 colour entries, stride 8; stored as BMP, 8 bits\n");
    // No rows, 2^31 - 1 columns: the stride needs more than 32 bits.
    std::string wide(54, '\0');
    const BITMAPINFOHEADER header{40, 0x7FFFFFFF, 0, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    wide[0] = 'B';
    wide[1] = 'M';
    wide[10] = 54;
    std::memcpy(&wide[14], &header, sizeof header);
    WriteText(Path("wide.bmp"), wide);
    outcome = Run({"info", "wide.bmp"});
    EXPECT_EQ(outcome.out, "wide.bmp: 2147483647 x 0, 24 bits, compression 0, 0 colour entries, stride 6442450944; "
                           "stored as BMP, 24 bits\n");
    // Output that cannot be written is a failure, not a success with nothing shown.
    if (access("/dev/full", W_OK) == 0) {
        const std::string lost = std::string(VELMORO_TOOL_PATH) + " info " + Path("a.bmp") + " >/dev/full 2>/dev/null";
        const int status = std::system(lost.c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << status;
    }
    outcome = Run({"info", "notes.txt", "a.bmp", "missing.bmp"});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.out.find("a.bmp: 5 x 3"), std::string::npos);
    EXPECT_EQ(outcome.err, "velmoro info: notes.txt: cannot be loaded: not a picture format this library reads or "
                           "writes (DIB_ERR_FORMAT)\n"
                           "velmoro info: missing.bmp: cannot be opened: no such file or directory\n");
}

// Files CDib::Load refuses by design still load, through the tolerant reader;
// files both readers refuse give the tolerant reader's reason.
TEST_F(VelmoroCli, InputsThatOnlyTheTolerantReaderTakes)
{
    const std::string data = VELMORO_TEST_DATA_DIR;
    for (const char* file : {"bmp_compat/im_v5_rle8.bmp", "bmp_compat/hand_topdown_pal8.bmp", "bad_v4_header.bmp"}) {
        const Outcome outcome = Run({"info", data + "/" + file});
        EXPECT_EQ(outcome.status, 0) << file << ": " << outcome.err;
        EXPECT_NE(outcome.out.find("compression 0"), std::string::npos) << outcome.out;
    }
    std::string truncatedRle = ReadText(data + "/bmp_compat/im_v5_rle8.bmp");
    WriteText(Path("short.bmp"), truncatedRle.substr(0, 60));
    ExpectFailure({"info", "short.bmp"}, 1, "velmoro info: short.bmp: cannot be loaded: ");
}

TEST_F(VelmoroCli, CreateConvertAndJpegOutput)
{
    ExpectSuccess({"create", "orange.bmp", "--size", "6x4", "--bits", "24", "--color", "FF8000"});
    EXPECT_EQ(Pick("orange.bmp", "5,3"), "FF8000\n");
    ExpectSuccess({"convert", "orange.bmp", "orange565.bmp", "--bits", "16", "--layout", "565"});
    EXPECT_EQ(Shape("orange565.bmp"), "6 x 4, 16 bits");
    EXPECT_NE(Run({"info", "orange565.bmp"}).out.find("compression 3"), std::string::npos);
    // Any depth goes to JPEG through 24 bits; the file is found to be a JPEG by its content.
    ExpectSuccess({"convert", "orange565.bmp", "orange.JPG", "--quality", "95"});
    EXPECT_EQ(ReadText(Path("orange.JPG")).compare(0, 3, "\xFF\xD8\xFF"), 0);
    EXPECT_EQ(Shape("orange.JPG"), "6 x 4, 24 bits");
    ExpectSuccess({"convert", "orange.JPG", "back.bmp"});
    EXPECT_EQ(Shape("back.bmp"), "6 x 4, 24 bits");
    // The dither's noise is followed by the reduction, from any depth.
    for (const char* in : {"orange.bmp", "orange565.bmp"}) {
        ExpectSuccess({"convert", in, "dithered.bmp", "--bits", "16", "--layout", "565", "--dither"});
        EXPECT_EQ(Shape("dithered.bmp"), "6 x 4, 16 bits") << in;
        EXPECT_NE(Run({"info", "dithered.bmp"}).out.find("compression 3"), std::string::npos) << in;
    }

    ExpectFailure({"create", "odd.bmp", "--size", "2x2", "--bits", "3"}, 1,
                  "velmoro create: odd.bmp: a bit count other than 1, 4, 8, 16 or 24 (DIB_ERR_BAD_BITCOUNT)");
    // 1-bit pictures are read as 8 bits, which every operation takes.
    MakeBmp("mono.bmp", 4, 4, 1, 0);
    ExpectSuccess({"convert", "mono.bmp", "mono16.bmp", "--bits", "16"});
    EXPECT_EQ(Shape("mono16.bmp"), "4 x 4, 16 bits");
    ExpectFailure({"convert", "missing.bmp", "x.jpg"}, 1,
                  "velmoro convert: missing.bmp: cannot be opened: no such file or directory");
}

// Output files appear whole or not at all: a failed write leaves no temporary
// file and an existing output as it was.
TEST_F(VelmoroCli, FailedOutputsLeaveNothingBehind)
{
    MakeBmp("a.bmp", 3, 3, 24, RGB(1, 2, 3));
    MakeBmp("mono.bmp", 3, 3, 1, 0);
    WriteText(Path("old.bmp"), "previous contents");
    ExpectFailure({"fade", "mono.bmp", "old.bmp", "--level", "9"}, 1, "DIB_ERR_BAD_DEPTH");
    EXPECT_EQ(ReadText(Path("old.bmp")), "previous contents");
    ExpectFailure({"fade", "a.bmp", "no/such/folder/out.bmp", "--level", "9"}, 1,
                  "velmoro fade: no/such/folder/out.bmp: cannot be written: no such file or directory");
    ExpectFailure({"convert", "a.bmp", "no/such/folder/out.jpg"}, 1,
                  "velmoro convert: no/such/folder/out.jpg: cannot be written: no such file or directory");
}

// A file that cannot be read or written is reported with the operating system's
// reason, whatever way the program reaches it.
TEST_F(VelmoroCli, FileFailuresSayWhyInTheSystemsWords)
{
    MakeBmp("a.bmp", 3, 3, 24, RGB(1, 2, 3));
    ASSERT_EQ(mkdir(Path("folder").c_str(), 0755), 0);
    ExpectFailure({"info", "folder"}, 1, "velmoro info: folder: cannot be opened: is a directory");
    ExpectFailure({"flip", "folder", "out.bmp", "--vert"}, 1, "velmoro flip: folder: cannot be opened: is a directory");
    ExpectFailure({"list", "folder"}, 1, "velmoro list: folder: ");
    ExpectFailure({"fade", "a.bmp", "folder", "--level", "1", "--format", "bmp"}, 1,
                  "velmoro fade: folder: cannot be written: is a directory");
    ExpectFailure({"pack", "folder", "1:a:a.bmp"}, 1, "velmoro pack: folder: cannot be written: is a directory");
    ExpectFailure({"convert", "a.bmp", "a.bmp/out.bmp"}, 1, "a.bmp/out.bmp: cannot be written: not a directory");
    // A full disk, as the device that always is one.
    if (access("/dev/full", W_OK) == 0) {
        const Outcome outcome = Run({"convert", "a.bmp", "/dev/full", "--format", "bmp"});
        EXPECT_EQ(outcome.status, 1);
        EXPECT_EQ(outcome.err, "velmoro convert: /dev/full: cannot be written: no space left on device\n");
    }
    if (geteuid() != 0) {  // the superuser may read any file
        MakeBmp("secret.bmp", 1, 1, 24, 0);
        ASSERT_EQ(chmod(Path("secret.bmp").c_str(), 0), 0);
        ExpectFailure({"info", "secret.bmp"}, 1, "velmoro info: secret.bmp: cannot be opened: permission denied");
    }
}

// An output replaces a file's contents, not what the name stands for: a link
// stays a link to the rewritten file, permissions stay, and a name close to the
// length limit is written like any other.
TEST_F(VelmoroCli, OutputsKeepLinksPermissionsAndLongNames)
{
    MakeBmp("a.bmp", 3, 2, 24, RGB(9, 8, 7));
    MakeBmp("target.bmp", 1, 1, 24, 0);
    ASSERT_EQ(symlink("target.bmp", Path("link.bmp").c_str()), 0);
    ExpectSuccess({"fade", "a.bmp", "link.bmp", "--level", "1"});
    struct stat link;
    ASSERT_EQ(lstat(Path("link.bmp").c_str(), &link), 0);
    EXPECT_TRUE(S_ISLNK(link.st_mode));
    EXPECT_EQ(Shape("target.bmp"), "3 x 2, 24 bits");

    ASSERT_EQ(chmod(Path("target.bmp").c_str(), 0600), 0);
    ExpectSuccess({"flip", "a.bmp", "target.bmp", "--vert"});
    struct stat file;
    ASSERT_EQ(stat(Path("target.bmp").c_str(), &file), 0);
    EXPECT_EQ(file.st_mode & 07777, 0600u);

    const std::string longName = std::string(250, 'L') + ".bmp";
    ExpectSuccess({"convert", "a.bmp", longName});
    EXPECT_EQ(Shape(longName), "3 x 2, 24 bits");
    EXPECT_EQ(FilesIn(m_dir), (std::set<std::string>{"a.bmp", "target.bmp", "link.bmp", longName}));

    if (geteuid() != 0) {  // the superuser may write any file
        ASSERT_EQ(chmod(Path("target.bmp").c_str(), 0444), 0);
        ExpectFailure({"fade", "a.bmp", "target.bmp", "--level", "1"}, 1,
                      "velmoro fade: target.bmp: cannot be written: permission denied");
    }
}

TEST_F(VelmoroCli, ComposeKeysOutTheKeyColour)
{
    MakeBmp("base.bmp", 8, 8, 16, RGB(0, 0, 255), DIB_FORMAT_565);
    MakeBmp("sprite.bmp", 4, 4, 16, RGB(255, 0, 255), DIB_FORMAT_565);
    ExpectSuccess({"create", "dot.bmp", "--size", "2x2", "--bits", "16", "--layout", "565", "--color", "FFFF00"});
    ExpectSuccess({"compose", "sprite.bmp", "dot.bmp", "sprite2.bmp", "--at", "1,1"});
    ExpectSuccess({"compose", "base.bmp", "sprite2.bmp", "scene.bmp", "--key", "FF00FF", "--at", "-1,4"});
    // 5-6-5 pixels read back with the low bits 0.
    EXPECT_EQ(Pick("scene.bmp", "0,5"), "F8FC00\n");  // the dot, moved by -1,4
    EXPECT_EQ(Pick("scene.bmp", "2,4"), "0000F8\n");  // key colour: the base shows
    ExpectSuccess({"compose", "base.bmp", "sprite2.bmp", "inplace.bmp", "--key", "FF00FF", "--at", "-1,4", "--in-place"});
    EXPECT_EQ(ReadText(Path("inplace.bmp")), ReadText(Path("scene.bmp")));

    // The shallower operand is brought to the deeper one's depth, either way round.
    MakeBmp("base24.bmp", 8, 8, 24, 0);
    Outcome outcome = Run({"compose", "base24.bmp", "sprite2.bmp", "deep.bmp", "--key", "FF00FF", "--verbose"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.err, "velmoro compose: sprite2.bmp: converted from 16 bits (5-6-5) to 24 bits, "
                           "the depth of base24.bmp\n");
    EXPECT_EQ(Shape("deep.bmp"), "8 x 8, 24 bits");
    EXPECT_EQ(Pick("deep.bmp", "1,1"), "F8FC00\n");
    EXPECT_EQ(Pick("deep.bmp", "0,0"), "000000\n");
    // The key colour meets the overlay's pixels of that colour after their conversion.
    MakeBmp("green555.bmp", 2, 2, 16, RGB(0, 255, 0));
    ExpectSuccess({"compose", "base.bmp", "green555.bmp", "keyed.bmp", "--key", "00FF00"});
    EXPECT_EQ(Pick("keyed.bmp", "0,0"), "0000F8\n");
    ExpectSuccess({"compose", "sprite2.bmp", "base24.bmp", "under.bmp", "--at", "2,2"});
    EXPECT_EQ(Shape("under.bmp"), "4 x 4, 24 bits");
    MakeBmp("mono.bmp", 4, 4, 1, 0);  // read as 8 bits, then brought to 24
    ExpectSuccess({"compose", "base24.bmp", "mono.bmp", "out.bmp"});
    EXPECT_EQ(Shape("out.bmp"), "8 x 8, 24 bits");
    ExpectFailure({"compose", "base.bmp", "sprite.bmp", "out.bmp", "--at", "9,0"}, 1,
                  "velmoro compose: sprite.bmp: at 9,0 it falls outside the 8 x 8 picture base.bmp");
}

TEST_F(VelmoroCli, BlendMixesImagesOfOneSize)
{
    MakeBmp("white.bmp", 4, 2, 24, RGB(255, 255, 255));
    MakeBmp("black.bmp", 4, 2, 24, 0);
    MakeBmp("wide.bmp", 5, 2, 24, 0);
    ExpectSuccess({"blend", "white.bmp", "black.bmp", "grey.bmp", "--alpha", "128"});
    EXPECT_EQ(Pick("grey.bmp", "3,1"), "7F7F7F\n");
    ExpectFailure({"blend", "white.bmp", "wide.bmp", "out.bmp", "--alpha", "9"}, 1,
                  "velmoro blend: wide.bmp: 5 x 2, where white.bmp is 4 x 2: the two pictures must be of one size");
    // 5-5-5 meets 5-6-5: both become 5-6-5, and without --verbose nothing is said.
    MakeBmp("white555.bmp", 4, 2, 16, RGB(255, 255, 255));
    MakeBmp("black565.bmp", 4, 2, 16, 0, DIB_FORMAT_565);
    ExpectSuccess({"blend", "white555.bmp", "black565.bmp", "grey565.bmp", "--alpha", "255", "--direct"});
    EXPECT_NE(Run({"info", "grey565.bmp"}).out.find("16 bits, compression 3"), std::string::npos);
    EXPECT_EQ(Pick("grey565.bmp", "0,0"), "F8F8F8\n");
}

TEST_F(VelmoroCli, CropJoinFlipAndInterlace)
{
    ExpectSuccess({"create", "base.bmp", "--size", "6x4", "--bits", "24", "--color", "000080"});
    ExpectSuccess({"create", "dot.bmp", "--size", "1x1", "--bits", "24", "--color", "FFFFFF"});
    ExpectSuccess({"compose", "base.bmp", "dot.bmp", "marked.bmp", "--at", "1,0"});
    MakeBmp("mono.bmp", 4, 4, 1, 0);

    ExpectSuccess({"crop", "marked.bmp", "cut.bmp", "1,0,3,9"});  // clipped to the picture
    EXPECT_EQ(Shape("cut.bmp"), "2 x 4, 24 bits");
    EXPECT_EQ(Pick("cut.bmp", "0,0"), "FFFFFF\n");
    ExpectFailure({"crop", "marked.bmp", "out.bmp", "6,0,9,4"}, 1,
                  "velmoro crop: marked.bmp: the rectangle 6,0,9,4 covers no pixel of the 6 x 4 picture");
    ExpectFailure({"crop", "marked.bmp", "out.bmp", "10,10,5,5"}, 1, "the rectangle 10,10,5,5 covers no pixel");

    ExpectSuccess({"join", "marked.bmp", "cut.bmp", "pair.bmp", "--horz", "--fill", "00FF00"});
    EXPECT_EQ(Shape("pair.bmp"), "8 x 4, 24 bits");
    EXPECT_EQ(Pick("pair.bmp", "6,0"), "FFFFFF\n");
    ExpectSuccess({"join", "marked.bmp", "cut.bmp", "stack.bmp", "--vert", "--fill", "00FF00"});
    EXPECT_EQ(Pick("stack.bmp", "5,7"), "00FF00\n");
    ExpectSuccess({"join", "marked.bmp", "mono.bmp", "mono-stack.bmp", "--vert"});  // mono read as 8 bits
    EXPECT_EQ(Shape("mono-stack.bmp"), "6 x 8, 24 bits");
    MakeBmp("grey8.bmp", 2, 2, 8, RGB(128, 128, 128));
    const Outcome outcome = Run({"join", "grey8.bmp", "marked.bmp", "mixed.bmp", "--horz", "--verbose"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.err, "velmoro join: grey8.bmp: converted from 8 bits to 24 bits, the depth of marked.bmp\n");
    EXPECT_EQ(Shape("mixed.bmp"), "8 x 4, 24 bits");
    EXPECT_EQ(Pick("mixed.bmp", "3,0"), "FFFFFF\n");
    ExpectFailure({"join", "marked.bmp", "cut.bmp", "out.bmp", "--vert", "--horz"}, 2, "give either --horz or --vert");

    ExpectSuccess({"flip", "marked.bmp", "mirrored.bmp", "--horz"});
    EXPECT_EQ(Pick("mirrored.bmp", "4,0"), "FFFFFF\n");
    ExpectSuccess({"flip", "marked.bmp", "upside.bmp", "--vert"});
    EXPECT_EQ(Pick("upside.bmp", "1,3"), "FFFFFF\n");
    ExpectFailure({"flip", "marked.bmp", "out.bmp"}, 2, "give either --vert or --horz");
    ExpectSuccess({"flip", "mono.bmp", "mono-flipped.bmp", "--vert"});  // read as 8 bits
    EXPECT_EQ(Shape("mono-flipped.bmp"), "4 x 4, 8 bits");

    ExpectSuccess({"interlace", "base.bmp", "lines.bmp", "--horz", "--phase", "1", "--fill", "FF0000"});
    EXPECT_EQ(Pick("lines.bmp", "0,0"), "000080\n");
    EXPECT_EQ(Pick("lines.bmp", "0,1"), "FF0000\n");
    ExpectFailure({"interlace", "base.bmp", "out.bmp", "--horz", "--phase", "2"}, 2, "--phase takes a whole number from 0 to 1");
    ExpectSuccess({"interlace", "mono.bmp", "mono-lines.bmp", "--vert", "--phase", "0"});
}

TEST_F(VelmoroCli, PixelEffects)
{
    MakeBmp("grey.bmp", 4, 4, 24, RGB(100, 100, 100));
    MakeBmp("grey8.bmp", 4, 4, 8, 0);
    ExpectSuccess({"mask", "grey.bmp", "masked.bmp", "--color", "FF0000", "--phase", "1"});
    EXPECT_EQ(Pick("masked.bmp", "0,0"), "646464\n");
    EXPECT_EQ(Pick("masked.bmp", "1,0"), "FF0000\n");
    ExpectFailure({"mask", "grey.bmp", "out.bmp"}, 2, "--color RRGGBB is missing");

    ExpectSuccess({"fade", "grey.bmp", "light.bmp", "--level", "200"});
    EXPECT_EQ(Pick("light.bmp", "2,2"), "FFFFFF\n");
    ExpectFailure({"fade", "grey8.bmp", "out.bmp", "--level", "5"}, 1,
                  "velmoro fade: grey8.bmp: 8 bits is not a depth this command takes (DIB_ERR_BAD_DEPTH)");

    ExpectSuccess({"filter", "grey.bmp", "edges.bmp", "--kernel", "0,0,0,0,2,0,0,0,0", "--divisor", "4", "--bias", "-10"});
    EXPECT_EQ(Pick("edges.bmp", "1,1"), "282828\n");
    // The weights read as the neighbourhood is shown: the first row is the one above.
    ExpectSuccess({"create", "column.bmp", "--size", "1x3", "--bits", "24"});
    ExpectSuccess({"create", "white.bmp", "--size", "1x1", "--bits", "24", "--color", "FFFFFF"});
    ExpectSuccess({"compose", "column.bmp", "white.bmp", "lit.bmp", "--at", "0,0"});
    ExpectSuccess({"filter", "lit.bmp", "down.bmp", "--kernel", "0,1,0,0,0,0,0,0,0"});
    EXPECT_EQ(Pick("down.bmp", "0,0"), "000000\n");
    EXPECT_EQ(Pick("down.bmp", "0,1"), "FFFFFF\n");
    EXPECT_EQ(Pick("down.bmp", "0,2"), "000000\n");
    ExpectFailure({"filter", "grey8.bmp", "out.bmp", "--kernel", "1,1,1,1,1,1,1,1,1"}, 1, "DIB_ERR_BAD_DEPTH");

    ExpectFailure({"pick", "grey.bmp", "4,0"}, 1, "velmoro pick: grey.bmp: the point 4,0 lies outside the 4 x 4 picture");
}

TEST_F(VelmoroCli, RegionAndDraw)
{
    ExpectSuccess({"create", "key.bmp", "--size", "6x4", "--bits", "24", "--color", "FF00FF"});
    ExpectSuccess({"create", "dot.bmp", "--size", "2x1", "--bits", "24", "--color", "00FF00"});
    ExpectSuccess({"compose", "key.bmp", "dot.bmp", "sprite.bmp", "--at", "3,2"});
    Outcome outcome = Run({"region", "sprite.bmp", "--key", "FF00FF"});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, "3,2,5,3\n");
    outcome = Run({"region", "sprite.bmp", "--key", "FF00FF", "--summary"});
    EXPECT_EQ(outcome.out, "sprite.bmp: 1 rectangle, bounding box 3,2,5,3\n");
    // No pixel of the key colour: the whole picture.
    outcome = Run({"region", "dot.bmp", "--key", "FF00FF"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "0,0,2,1\n");
    ExpectSuccess({"compose", "key.bmp", "dot.bmp", "two.bmp", "--at", "0,0"});
    ExpectSuccess({"compose", "two.bmp", "dot.bmp", "two.bmp", "--at", "4,3"});
    outcome = Run({"region", "two.bmp", "--key", "FF00FF", "--summary"});
    EXPECT_EQ(outcome.out, "two.bmp: 2 rectangles, bounding box 0,0,6,4\n");

    ExpectSuccess({"draw", "sprite.bmp", "big.bmp", "--size", "12x8"});
    EXPECT_EQ(Shape("big.bmp"), "12 x 8, 24 bits");
    EXPECT_EQ(Pick("big.bmp", "7,5"), "00FF00\n");
    EXPECT_EQ(Pick("big.bmp", "5,5"), "FF00FF\n");
    ExpectFailure({"draw", "nothing.bmp", "out.bmp", "--size", "2x2"}, 1, "velmoro draw: nothing.bmp: cannot be opened");
}

TEST_F(VelmoroCli, CollectionsPackListUnpackAndRefresh)
{
    MakeBmp("red.bmp", 2, 2, 24, RGB(255, 0, 0));
    MakeBmp("blue.bmp", 3, 1, 8, RGB(0, 0, 255));
    MakeBmp("green.bmp", 2, 2, 24, RGB(0, 255, 0));
    Outcome outcome = Run({"pack", "set.vcl", "1:red:red.bmp", "2:blue:blue.bmp", "--tag", "TEST"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "set.vcl: 2 images\n");
    outcome = Run({"list", "set.vcl", "--tag", "TEST"});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_NE(outcome.out.find("    2  blue                     3 x 1, 8 bits\n"), std::string::npos) << outcome.out;

    ExpectSuccess({"pack", "newer.vcl", "2:ignored:green.bmp", "7:other:green.bmp", "--tag", "0x54534554"});
    outcome = Run({"refresh", "set.vcl", "newer.vcl", "--tag", "TEST"});
    EXPECT_EQ(outcome.out, "set.vcl: 1 of 2 images refreshed\n");
    // Without --tag each command takes the tag the file starts with.
    ExpectSuccess({"refresh", "set.vcl", "newer.vcl"});
    outcome = Run({"list", "set.vcl"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_NE(outcome.out.find("\n2 images\n"), std::string::npos) << outcome.out;
    outcome = Run({"unpack", "set.vcl", "out", "--tag", "TEST"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "out/1.bmp  red\nout/2.bmp  blue\n");
    EXPECT_EQ(Pick("out/2.bmp", "1,1"), "00FF00\n");

    ExpectFailure({"pack", "bad.vcl", "1:red:red.bmp", "2:gone:missing.bmp"}, 1,
                  "velmoro pack: missing.bmp: cannot be opened: no such file or directory");
    // A name the collection cannot hold whole is refused, not cut.
    ExpectSuccess({"pack", "long.vcl", "1:" + std::string(254, 'n') + ":red.bmp"});
    EXPECT_NE(Run({"list", "long.vcl"}).out.find(std::string(254, 'n')), std::string::npos);
    ExpectFailure({"pack", "bad.vcl", "1:" + std::string(255, 'n') + ":red.bmp"}, 2, "at most 254 characters");
    ExpectFailure({"list", "set.vcl", "--tag", "VCOL"}, 1,
                  "velmoro list: set.vcl: not a collection tagged VCOL (it starts with TEST)");
    ExpectFailure({"list", "set.vcl", "--tag", "0x01020304"}, 1, "not a collection tagged 0x01020304");
    ExpectFailure({"list", "red.bmp"}, 1, "velmoro list: red.bmp: not a collection file");
    ExpectFailure({"list", "nothing.vcl"}, 1, "velmoro list: nothing.vcl: cannot be opened: no such file or directory");
    outcome = Run({"pack", "one.vcl", "3:one:red.bmp"});
    EXPECT_EQ(outcome.out, "one.vcl: 1 image\n");
    EXPECT_NE(Run({"list", "one.vcl"}).out.find("\n1 image\n"), std::string::npos);
    const std::string whole = ReadText(Path("set.vcl"));
    WriteText(Path("cut.vcl"), whole.substr(0, whole.size() - 5));
    ExpectFailure({"unpack", "cut.vcl", "cut", "--tag", "TEST"}, 1, "velmoro unpack: cut.vcl: damaged after image 1 of 2");
    // A damaged newer file changes nothing.
    ExpectFailure({"refresh", "set.vcl", "cut.vcl", "--tag", "TEST"}, 1, "cut.vcl: damaged");
    EXPECT_EQ(ReadText(Path("set.vcl")), whole);
}

TEST_F(VelmoroCli, DemoWritesItsPictures)
{
    const Outcome outcome = Run({"demo", "pictures"});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const std::set<std::string> expected{"background.bmp", "sprite.bmp", "photo.jpg", "scene-565.bmp", "scene.bmp",
                                         "collection.vcl", "collection-update.vcl", "badge-refreshed.bmp",
                                         "photo-edited.bmp"};
    EXPECT_EQ(FilesIn(Path("pictures")), expected);
    EXPECT_NE(outcome.out.find(" ms  "), std::string::npos);
    for (const std::string& file : expected)
        EXPECT_NE(outcome.out.find("pictures/" + file), std::string::npos) << file;
    EXPECT_EQ(Shape("pictures/scene-565.bmp"), "640 x 400, 16 bits");
    EXPECT_EQ(Shape("pictures/photo-edited.bmp"), "400 x 300, 24 bits");

    WriteText(Path("file"), "");
    ExpectFailure({"demo", "file/pictures"}, 1, "velmoro demo: file/pictures: cannot make the folder");
}

// Every kind of picture goes in; PNG and 24-bit BMP come out with ImageMagick's
// pixels of the input (16-bit inputs as the library widens them, low bits 0).
TEST_F(VelmoroCli, ConvertTakesEveryPictureAndGivesImageMagicksPixels)
{
    const velmoro_test::MadePictures& pictures = velmoro_test::MadePictures::Get();
    ASSERT_TRUE(pictures.Ready()) << pictures.Problem();
    const std::string data = VELMORO_TEST_DATA_DIR "/bmp_compat/";
    const struct {
        std::string path;
        int lowBitsCleared;  // the library widens 16-bit channels by shifting
    } inputs[] = {
        {pictures.Path("png_grey2.png"), 0},          {pictures.Path("png_grey16.png"), 0},
        {pictures.Path("png_grey_alpha8.png"), 0},    {pictures.Path("png_rgb16_interlaced.png"), 0},
        {pictures.Path("png_rgba8.png"), 0},          {pictures.Path("png_palette4_trns_interlaced.png"), 0},
        {pictures.Path("png_rgb8_trns.png"), 0},      {pictures.Path("bmp_rgb555.bmp"), 3},
        {pictures.Path("bmp_rgb565.bmp"), 3},         {pictures.Path("bmp_bgra32.bmp"), 0},
        {pictures.Path("bmp_pal4.bmp"), 0},           {data + "im_v5_rle8.bmp", 0},
        {data + "hand_rle4.bmp", 0},                  {data + "hand_topdown_v5_rgb24.bmp", 0},
        {data + "im_v4_mono.bmp", 0},                 {data + "pil_rgba32.bmp", 0},
        {pictures.Path("jpeg_progressive.jpg"), 0},   {pictures.Path("jpeg_grey.jpg"), 0},
    };
    for (const auto& input : inputs) {
        SCOPED_TRACE(input.path);
        std::vector<BYTE> want = velmoro_test::ImageMagickRgb(input.path, Path("want.rgb"));
        ASSERT_FALSE(want.empty());
        for (size_t i = 0; i < want.size() && input.lowBitsCleared; ++i) {
            const bool green565 = input.path.find("565") != std::string::npos && i % 3 == 1;
            const int cleared = green565 ? 2 : input.lowBitsCleared;
            want[i] = static_cast<BYTE>(want[i] >> cleared << cleared);
        }
        for (const std::vector<std::string>& extra : {std::vector<std::string>{}, std::vector<std::string>{"--bits", "24"}}) {
            const std::string out = extra.empty() ? "out.png" : "out.bmp";
            std::vector<std::string> args{"convert", input.path, out};
            args.insert(args.end(), extra.begin(), extra.end());
            ExpectSuccess(args);
            EXPECT_EQ(velmoro_test::ImageMagickRgb(Path(out), Path("got.rgb")), want) << out;
        }
        const Outcome info = Run({"info", input.path});
        EXPECT_EQ(info.status, 0);
        EXPECT_NE(info.out.find("; stored as "), std::string::npos);
    }
}

// The output's name says the format: any other name is a usage error that
// names the formats, and no file is written, whatever the command.
TEST_F(VelmoroCli, OutputNamesOfNoFormatAndJpegOptions)
{
    MakeBmp("a.bmp", 6, 4, 24, RGB(200, 30, 90));
    ExpectFailure({"convert", "a.bmp", "out.gif"}, 2, "out.gif: velmoro writes .bmp, .png and .jpg (or .jpeg) pictures");
    ExpectFailure({"flip", "a.bmp", "out.webp", "--vert"}, 2, "velmoro writes .bmp, .png and .jpg");
    ExpectFailure({"convert", "a.bmp", "noextension"}, 2, "velmoro writes .bmp, .png and .jpg");
    ExpectFailure({"convert", "a.bmp", "o.png", "--subsampling", "444"}, 2, "--subsampling goes with JPEG output");
    ExpectFailure({"convert", "a.bmp", "o.jpg", "--subsampling", "411"}, 2, "--subsampling takes 444, 422 or 420");

    ExpectSuccess({"convert", "a.bmp", "a.png"});
    EXPECT_EQ(ReadText(Path("a.png")).compare(0, 4, "\x89PNG"), 0);
    EXPECT_EQ(Shape("a.png"), "6 x 4, 24 bits");
    // JPEG chroma sampling: the luma component's factors in the frame header.
    const auto lumaFactors = [&](const std::string& name) {
        const std::string jpeg = ReadText(Path(name));
        const size_t frame = jpeg.find("\xFF\xC0");
        return frame == std::string::npos ? -1 : static_cast<unsigned char>(jpeg[frame + 11]);
    };
    ExpectSuccess({"convert", "a.bmp", "q90.jpg"});
    EXPECT_EQ(lumaFactors("q90.jpg"), 0x11);
    ExpectSuccess({"convert", "a.bmp", "q80.jpg", "--quality", "80"});
    EXPECT_EQ(lumaFactors("q80.jpg"), 0x22);
    ExpectSuccess({"convert", "a.bmp", "s422.jpeg", "--subsampling", "422"});
    EXPECT_EQ(lumaFactors("s422.jpeg"), 0x21);
    ExpectSuccess({"draw", "a.bmp", "d.jpg", "--size", "3x2", "--quality", "95", "--subsampling", "420"});
    EXPECT_EQ(lumaFactors("d.jpg"), 0x22);
}

// A 32-bit picture draws its colours, not black.
TEST_F(VelmoroCli, DrawShowsThirtyTwoBitPictures)
{
    const std::string rgba = VELMORO_TEST_DATA_DIR "/bmp_compat/pil_rgba32.bmp";
    ExpectSuccess({"draw", rgba, "drawn.bmp", "--size", "13x7"});
    ExpectSuccess({"convert", rgba, "read.bmp"});
    EXPECT_EQ(Pick("drawn.bmp", "12,6"), Pick("read.bmp", "12,6"));
    EXPECT_EQ(Pick("drawn.bmp", "3,2"), Pick("read.bmp", "3,2"));
    EXPECT_NE(Pick("drawn.bmp", "3,2"), "000000\n");
}

}  // namespace

#endif
