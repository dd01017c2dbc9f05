// SPDX-License-Identifier: MIT
// A folder of pictures converted: every BMP, PNG or JPEG in one folder read
// through LoadPicture and written through WritePicture in another format.
//
//   convert_folder INDIR OUTDIR [bmp|png|jpg]     (default png)
#include <velmoro/velmoro.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: convert_folder INDIR OUTDIR [bmp|png|jpg]\n");
        return 2;
    }
    const fs::path indir = argv[1], outdir = argv[2];
    const std::string extension = argc > 3 ? argv[3] : "png";
    std::error_code error;
    fs::create_directories(outdir, error);

    int converted = 0, failed = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(indir, error)) {
        if (!entry.is_regular_file())
            continue;
        const std::string in = entry.path().string();
        PictureInfo info;
        if (ReadPictureInfo(in.c_str(), info) != DIB_OK)
            continue;  // not a picture: passed over
        CDib image;
        DWORD code = LoadPicture(image, in.c_str());
        const std::string out = (outdir / entry.path().stem()).string() + "." + extension;
        if (code == DIB_OK)
            code = WritePicture(image, out.c_str());  // the format follows the extension
        PictureInfo written;
        if (code == DIB_OK)
            code = ReadPictureInfo(out.c_str(), written);
        if (code == DIB_OK && (written.width != image.GetWidth() || written.height != image.GetHeight()))
            code = DIB_ERR_WRITE;
        if (code != DIB_OK) {
            std::fprintf(stderr, "%s: %s (%s)\n", in.c_str(), DibResultName(code), DibResultText(code));
            ++failed;
            continue;
        }
        std::printf("%s -> %s: %d x %d, %d bits\n", in.c_str(), out.c_str(), image.GetWidth(), image.GetHeight(),
                    image.GetBitCount());
        ++converted;
    }
    if (error) {
        std::fprintf(stderr, "%s: %s\n", indir.string().c_str(), error.message().c_str());
        return 1;
    }
    std::printf("%d converted, %d failed\n", converted, failed);
    return failed == 0 && converted > 0 ? 0 : 1;
}
