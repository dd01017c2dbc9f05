// SPDX-License-Identifier: MIT
// A game's frame: a sprite with a key colour drawn over a background, both at
// 16 bits 5-6-5, then written as a BMP file.
//
//   sprite_over_background [OUTDIR]    writes OUTDIR/frame-565.bmp (default: .)
#include <velmoro/velmoro.h>

#include <cstdio>
#include <string>

// Prints a failed operation's result code; true when the operation succeeded.
static bool Ok(DWORD code, const char* what)
{
    if (code != DIB_OK)
        std::fprintf(stderr, "%s: %s (%s)\n", what, DibResultName(code), DibResultText(code));
    return code == DIB_OK;
}

int main(int argc, char** argv)
{
    const std::string outdir = argc > 1 ? argv[1] : ".";
    const COLORREF key = RGB(255, 0, 255);  // magenta marks the sprite's transparent pixels
    const COLORREF sky = RGB(90, 160, 230);
    const COLORREF coin = RGB(250, 200, 40);

    // The background and a 24 x 24 sprite: a coin on the key colour.
    CDibEdit background, sprite, face;
    if (!Ok(background.Create(320, 200, 24, sky, DIB_FORMAT_565), "background") ||
        !Ok(sprite.Create(24, 24, 24, key, DIB_FORMAT_565), "sprite") ||
        !Ok(face.Create(16, 16, 24, coin, DIB_FORMAT_565), "coin"))
        return 1;
    CPoint inset(4, 4);  // points and rectangles count from the top-left pixel
    if (!Ok(sprite.CombineDib(face, 0, &inset, NULL, 0), "coin into sprite"))
        return 1;

    // Both to 16 bits 5-6-5; the SIMD twins change the speed, not the pixels.
    CDibEdit::TryEnableMMXSupport();
    if (!Ok(background.ConvertTo16BitPerPixel(DIB_FORMAT_565), "convert background") ||
        !Ok(sprite.ConvertTo16BitPerPixel(DIB_FORMAT_565), "convert sprite"))
        return 1;

    // A row of coins; the key colour is matched in the 16-bit layout of the images.
    for (int i = 0; i < 5; ++i) {
        CPoint at(40 + 50 * i, 120);
        if (!Ok(background.CombineDib(sprite, key, &at, NULL, 1), "draw sprite"))
            return 1;
    }
    // A sprite half off the right edge is clipped, not refused.
    CPoint edge(310, 20);
    if (!Ok(background.CombineDib(sprite, key, &edge, NULL, 1), "draw clipped sprite"))
        return 1;

    // The coin's pixels replaced the sky; the key-coloured frame around it did not.
    DWORD atCoin = 0, atFrame = 0;
    if (!Ok(background.GetColorFromPoint(CPoint(40 + 12, 120 + 12), &atCoin), "pick coin") ||
        !Ok(background.GetColorFromPoint(CPoint(40 + 1, 120 + 1), &atFrame), "pick frame"))
        return 1;
    // 5-6-5 keeps the top five or six bits of each channel.
    if ((atCoin & 0xF8FCF8) != (coin & 0xF8FCF8) || (atFrame & 0xF8FCF8) != (sky & 0xF8FCF8)) {
        std::fprintf(stderr, "unexpected colours: coin %06X, frame %06X\n", unsigned(atCoin), unsigned(atFrame));
        return 1;
    }

    const std::string path = outdir + "/frame-565.bmp";
    if (!Ok(static_cast<DWORD>(background.WriteBmp(path.c_str())), path.c_str()))
        return 1;
    std::printf("%s: %d x %d, %d bits, 5-6-5 %s\n", path.c_str(), background.GetWidth(), background.GetHeight(),
                background.GetBitCount(), background.GetCompression() == BI_BITFIELDS ? "masks" : "(none)");
    return 0;
}
