// SPDX-License-Identifier: MIT
// A short tour of Velmoro: blank images, a sprite keyed onto a 16-bit
// background, a collection file, and a JPEG decoded when one is named.
#include <velmoro/velmoro.h>

#include <cstdio>

// Prints a failed operation's result code; true when the operation succeeded.
static bool Ok(DWORD code, const char* what)
{
    if (code != DIB_OK)
        std::fprintf(stderr, "%s: %s (%s)\n", what, DibResultName(code), DibResultText(code));
    return code == DIB_OK;
}

int main(int argc, char** argv)
{
    const DWORD magenta = RGB(255, 0, 255);  // colours are 0x00BBGGRR
    CDibEdit background, sprite, square;
    if (!Ok(background.Create(320, 200, 24, RGB(135, 206, 235), DIB_FORMAT_565), "background") ||
        !Ok(sprite.Create(32, 32, 24, magenta, DIB_FORMAT_565), "sprite") ||
        !Ok(square.Create(16, 16, 24, RGB(255, 200, 0), DIB_FORMAT_565), "square"))
        return 1;
    CPoint centre(8, 8);  // points and rectangles count from the top-left pixel
    if (!Ok(sprite.CombineDib(square, 0, &centre, NULL, 0), "square into sprite"))
        return 1;

    // A game's frame: both at 16 bits 5-6-5, the sprite keyed onto the background.
    CDibEdit::TryEnableMMXSupport();  // SIMD twins; conversion and keying give the same bytes without
    CPoint where(150, 120);
    if (!Ok(background.ConvertTo16BitPerPixel(DIB_FORMAT_565), "convert background") ||
        !Ok(sprite.ConvertTo16BitPerPixel(DIB_FORMAT_565), "convert sprite") ||
        !Ok(background.CombineDib(sprite, magenta, &where, NULL, 1), "combine") ||
        !Ok(static_cast<DWORD>(background.WriteBmp("tour-scene.bmp")), "tour-scene.bmp"))
        return 1;

    // A collection file: the list owns its nodes; each has an ID and a name.
    const DWORD tag = 0x52554F54;  // "TOUR" as stored
    CDibEditList list;
    CDibEditNode* node = new CDibEditNode;
    list.AppendNode(node);
    node->SetID(7);
    node->SetIDString("sprite");
    if (!Ok(node->CopyDib(sprite), "node") || list.SaveFile("tour.vcl", tag) == 0)
        return 1;
    CDibEditList loaded;
    if (loaded.CreateNewNodeFromFile("tour.vcl", tag) != 1 || loaded.FindNode(7) == NULL)
        return 1;
    std::printf("tour.vcl: ID 7 is %s, %d x %d\n", loaded.FindNode(7)->GetIDString(),
                loaded.FindNode(7)->GetWidth(), loaded.FindNode(7)->GetHeight());

    // JPEG: the codec module installed beside the library decodes to 24 bits.
    if (argc > 1) {
        CJPeg codec;
        CDib photo;
        if (!codec.InitJPEGLibrary(NULL) || !Ok(photo.LoadJPEG(codec, argv[1]), argv[1]))
            return 1;
        std::printf("%s: %d x %d, %d bits\n", argv[1], photo.GetWidth(), photo.GetHeight(), photo.GetBitCount());
    }
    return 0;
}
