// velmoro region and velmoro draw: the key-colour region of an image, and what
// drawing an image into a memory context produces.
#include "args.h"
#include "command.h"

#include <velmoro/dib.h>

#include <cstdio>
#include <vector>

namespace velmoro_tool {
namespace {

// A region handle deleted when it goes out of scope.
struct OwnedRegion {
    ~OwnedRegion() { DeleteObject(handle); }
    HRGN handle = NULL;
};

int RunRegion(const std::vector<std::string>& args)
{
    std::string file;
    std::string keyText;
    bool summary = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--key" && i + 1 < args.size())
            keyText = args[++i];
        else if (args[i] == "--summary")
            summary = true;
        else if (file.empty() && args[i].compare(0, 2, "--") != 0)
            file = args[i];
        else
            return ReportError("region: unexpected argument '" + args[i] + "' (see velmoro region --help)");
    }
    DWORD key = 0;
    if (file.empty() || !ParseColor(keyText, &key))
        return ReportError("region: need FILE and --key RRGGBB (see velmoro region --help)");
    CDib image;
    DWORD code = image.Load(file.c_str());
    OwnedRegion region;
    if (code == DIB_OK)
        code = image.CreateRegionFromScanLine(&region.handle, key);
    if (code != DIB_OK)
        return ReportFailure(file, code);

    std::vector<BYTE> buffer(GetRegionData(region.handle, 0, NULL));
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    if (buffer.empty() || GetRegionData(region.handle, static_cast<DWORD>(buffer.size()), data) == 0)
        return ReportError("region: " + file + ": cannot read the region");
    const RECT& box = data->rdh.rcBound;
    if (summary) {
        std::printf("%s: %u rectangles, bounding box %d,%d,%d,%d\n", file.c_str(), data->rdh.nCount, box.left,
                    box.top, box.right, box.bottom);
        return 0;
    }
    const auto* rects = reinterpret_cast<const RECT*>(data->Buffer);
    for (DWORD i = 0; i < data->rdh.nCount; ++i)
        std::printf("%d,%d,%d,%d\n", rects[i].left, rects[i].top, rects[i].right, rects[i].bottom);
    return 0;
}

// A memory context drawing on a new 24-bit bitmap; released in any case.
class Canvas {
public:
    Canvas(int width, int height)
        : m_hdc(CreateCompatibleDC(NULL)), m_bitmap(CreateBitmap(width, height, 1, 24, NULL)),
          m_previous(m_hdc && m_bitmap ? SelectObject(m_hdc, m_bitmap) : NULL)
    {
    }
    ~Canvas()
    {
        Deselect();
        DeleteObject(m_bitmap);
        DeleteDC(m_hdc);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    bool IsReady() const { return m_previous != NULL; }
    HDC Context() const { return m_hdc; }
    HBITMAP Bitmap() const { return m_bitmap; }
    void Deselect()
    {
        if (m_previous)
            SelectObject(m_hdc, m_previous);
        m_previous = NULL;
    }

private:
    HDC m_hdc;
    HBITMAP m_bitmap;
    HGDIOBJ m_previous;
};

int RunDraw(const std::vector<std::string>& args)
{
    std::vector<std::string> files;
    std::string sizeText;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--size" && i + 1 < args.size())
            sizeText = args[++i];
        else if (args[i].compare(0, 2, "--") != 0)
            files.push_back(args[i]);
        else
            return ReportError("draw: unexpected argument '" + args[i] + "' (see velmoro draw --help)");
    }
    int width = 0, height = 0;
    if (files.size() != 2 || !ParseSize(sizeText, &width, &height))
        return ReportError("draw: need FILE OUT and --size WxH (see velmoro draw --help)");
    CDib image;
    DWORD code = image.Load(files[0].c_str());
    if (code != DIB_OK)
        return ReportFailure(files[0], code);
    Canvas canvas(width, height);
    if (!canvas.IsReady())
        return ReportError("draw: cannot make a " + sizeText + " drawing surface");
    CDC dc(canvas.Context());
    const CRect destination(0, 0, width, height);
    image.Draw(dc, &destination, NULL);
    canvas.Deselect();
    CDib drawn;
    code = drawn.CreateDIBFromBitmap(canvas.Bitmap(), NULL, DIB_FORMAT_555);
    if (code == DIB_OK)
        code = WriteBmpWhole(drawn, files[1]);
    return code == DIB_OK ? 0 : ReportFailure(files[1], code);
}

const CommandRegistration kRegion{{"region", "list the region of the pixels that are not a key colour",
                                   "usage: velmoro region FILE --key RRGGBB [--summary]\n\n"
                                   "Prints the rectangles (left,top,right,bottom; right and bottom\n"
                                   "exclusive, top to bottom in bands) that cover every pixel of an 8, 16\n"
                                   "or 24-bit image whose colour is not the key; with --summary only their\n"
                                   "number and bounding box.\n\n"
                                   "example: velmoro region sprite.bmp --key FF00FF --summary",
                                   RunRegion}};

const CommandRegistration kDraw{{"draw", "draw an image stretched onto a surface and save that surface",
                                 "usage: velmoro draw FILE OUT --size WxH\n\n"
                                 "Draws the image stretched (nearest neighbour) onto a W x H memory\n"
                                 "surface and writes the surface as a 24-bit BMP file; OUT appears whole\n"
                                 "or not at all.\n\n"
                                 "example: velmoro draw photo.bmp thumb.bmp --size 160x120",
                                 RunDraw}};

}  // namespace
}  // namespace velmoro_tool
