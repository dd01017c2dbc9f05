// SPDX-License-Identifier: MIT
// velmoro demo: makes its own pictures and runs the library's three typical
// uses on them (a sprite over a background, a collection of tagged images, a
// JPEG edited), one timed line per step.
#include "args.h"
#include "canvas.h"
#include "command.h"
#include "demo_pictures.h"
#include "image_input.h"
#include "image_output.h"

#include <velmoro/dib_collection.h>
#include <velmoro/dib_edit.h>
#include <velmoro/jpeg.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <functional>
#include <sys/stat.h>
#include <vector>

namespace velmoro_tool {
namespace {

constexpr DWORD kCollectionTag = 0x4F4D4456;  // "VDMO" in file order
constexpr WORD kBadgeId = 3;

class Demo {
public:
    explicit Demo(const std::string& dir) : m_dir(dir) {}

    void Run()
    {
        MakeInputs();
        SpriteOverBackground();
        KeepASetOfImages();
        OpenAJpeg();
        std::printf("\nfiles written:\n");
        for (const std::string& file : m_written) {
            struct stat info {};
            ::stat(file.c_str(), &info);
            std::printf("  %-40s %9lld bytes\n", file.c_str(), static_cast<long long>(info.st_size));
        }
    }

private:
    std::string Path(const char* name) const { return m_dir + "/" + name; }

    // Runs one step and prints what it did, how long it took and what it found.
    void Step(const std::string& what, const std::function<std::string()>& action)
    {
        const auto start = std::chrono::steady_clock::now();
        const std::string detail = action();
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        std::printf("  %-50s %9.3f ms%s%s\n", what.c_str(), ms, detail.empty() ? "" : "  ", detail.c_str());
    }

    void Write(CDib& image, const char* name)
    {
        SaveOutput(image, Path(name));
        m_written.push_back(Path(name));
    }

    static std::string Describe(const CDib& image)
    {
        return std::to_string(image.GetWidth()) + " x " + std::to_string(image.GetHeight()) + ", " +
               std::to_string(image.GetBitCount()) + " bits";
    }

    void MakeInputs()
    {
        std::printf("the inputs, painted in code\n");
        Step("paint and write background.bmp", [&] {
            CDib background;
            Check(PaintBackground(background, 640, 400), Path("background.bmp"));
            Write(background, "background.bmp");
            return Describe(background);
        });
        Step("paint and write sprite.bmp (key colour FF00FF)", [&] {
            CDib sprite;
            Check(PaintSprite(sprite, 96), Path("sprite.bmp"));
            Write(sprite, "sprite.bmp");
            return Describe(sprite);
        });
        Step("paint photo.jpg, encoded by the codec module", [&] {
            CDib photo;
            Check(PaintPhoto(photo, 800, 528), Path("photo.jpg"));
            Write(photo, "photo.jpg");
            return Describe(photo) + ", quality " + std::to_string(kDefaultJpegQuality);
        });
    }

    // A game's frame: sprites keyed onto a 16-bit background, shown through a
    // device context.
    void SpriteOverBackground()
    {
        std::printf("\n1. a sprite over a background, at 16 bits 5-6-5\n");
        CDibEdit background, sprite;
        Step("load background.bmp and sprite.bmp", [&] {
            Check(background.Load(Path("background.bmp").c_str()), Path("background.bmp"));
            Check(sprite.Load(Path("sprite.bmp").c_str()), Path("sprite.bmp"));
            return std::string();
        });
        Step("switch the SIMD twins on", [&] {
            return std::string(CDibEdit::TryEnableMMXSupport() ? "on" : "not available: plain rows");
        });
        Step("convert both to 16 bits 5-6-5", [&] {
            Check(background.ConvertTo16BitPerPixel(DIB_FORMAT_565), Path("background.bmp"));
            Check(sprite.ConvertTo16BitPerPixel(DIB_FORMAT_565), Path("sprite.bmp"));
            return Describe(background);
        });
        Step("draw the sprite 5 times, key colour FF00FF", [&] {
            const CPoint places[] = {{40, 250}, {150, 290}, {270, 230}, {390, 280}, {520, 250}};
            for (CPoint place : places)
                Check(background.CombineDib(sprite, kSpriteKey, &place, NULL, 1), Path("sprite.bmp"));
            return std::string();
        });
        Step("write scene-565.bmp", [&] {
            Write(background, "scene-565.bmp");
            return std::string();
        });
        CDib drawn;
        Step("draw into a memory device context, read it back", [&] {
            Check(DrawIntoMemoryContext(background, background.GetWidth(), background.GetHeight(), drawn),
                  Path("scene.bmp"));
            return Describe(drawn);
        });
        Step("write scene.bmp", [&] {
            Write(drawn, "scene.bmp");
            return std::string();
        });
    }

    // Several tagged images in one file: saved, read back, found by ID and
    // refreshed from a newer file.
    void KeepASetOfImages()
    {
        std::printf("\n2. a collection of tagged images\n");
        CDibEditList list;
        Step("fill a collection with 4 tagged images", [&] {
            const char* const names[] = {"background", "sprite", "badge", "scene"};
            const char* const files[] = {"background.bmp", "sprite.bmp", "sprite.bmp", "scene.bmp"};
            for (WORD id = 1; id <= 4; ++id) {
                CDibEditNode* node = new CDibEditNode;
                list.AppendNode(node);
                LoadInput(Path(files[id - 1]), *node);
                node->SetID(id);
                node->SetIDString(names[id - 1]);
            }
            return std::to_string(list.GetCount()) + " images";
        });
        Step("save collection.vcl", [&] { return Save(list, "collection.vcl"); });
        CDibEditList reloaded;
        Step("load it back", [&] {
            const DWORD count = reloaded.CreateNewNodeFromFile(Path("collection.vcl").c_str(), kCollectionTag);
            if (count != list.GetCount())
                throw Failure(Path("collection.vcl"), "read back " + std::to_string(count) + " images");
            return std::to_string(count) + " images";
        });
        Step("find ID 3", [&] {
            const CDibEditNode* node = reloaded.FindNode(kBadgeId);
            if (!node)
                throw Failure(Path("collection.vcl"), "no image with ID 3");
            return std::string(node->GetIDString()) + ", " + Describe(*node);
        });
        Step("save collection-update.vcl: a brighter ID 3", [&] {
            CDibEditList update;
            CDibEditNode* node = new CDibEditNode;
            update.AppendNode(node);
            LoadInput(Path("sprite.bmp"), *node);
            node->SetID(kBadgeId);
            node->SetIDString("badge, brighter");
            Check(node->FadeDib(70), Path("sprite.bmp"));
            return Save(update, "collection-update.vcl");
        });
        Step("refresh from collection-update.vcl", [&] {
            CFile file;
            if (!file.Open(Path("collection-update.vcl").c_str(), CFile::modeRead) ||
                reloaded.RefreshNodeFromFile(file, kCollectionTag, 1) != 1)
                throw Failure(Path("collection-update.vcl"), "cannot be read");
            return std::string("1 image replaced, name kept: ") + reloaded.FindNode(kBadgeId)->GetIDString();
        });
        Step("write badge-refreshed.bmp (ID 3 now)", [&] {
            Write(*reloaded.FindNode(kBadgeId), "badge-refreshed.bmp");
            return std::string();
        });
    }

    std::string Save(CDibEditList& list, const char* name)
    {
        DWORD bytes = 0;
        if (!WriteWholeOrNothing(Path(name), [&](const std::string& temp) {
                bytes = list.SaveFile(temp.c_str(), kCollectionTag);
                return bytes != 0;
            }))
            throw Failure(Path(name), "cannot write the collection");
        m_written.push_back(Path(name));
        return std::to_string(bytes) + " bytes";
    }

    // A photo decoded, cut to its middle, sharpened and written.
    void OpenAJpeg()
    {
        std::printf("\n3. a JPEG decoded, cropped and filtered\n");
        CJPeg codec;
        Step("load the codec module", [&] {
            if (!codec.InitJPEGLibrary(NULL))
                throw Failure(Path("photo.jpg"), DIB_ERR_JPEG);
            return std::string();
        });
        CDibEdit photo;
        Step("decode photo.jpg", [&] {
            Check(photo.LoadJPEG(codec, Path("photo.jpg").c_str()), Path("photo.jpg"));
            return Describe(photo);
        });
        CDibEdit cropped;
        Step("crop to 200,100,600,400", [&] {
            CRect middle(200, 100, 600, 400);
            Check(cropped.CropFrom(photo, &middle), Path("photo.jpg"));
            return Describe(cropped);
        });
        Step("sharpen with a 3 x 3 filter", [&] {
            int sharpen[9] = {0, -1, 0, -1, 5, -1, 0, -1, 0};
            Check(cropped.FilterDib(sharpen, 1, 0), Path("photo.jpg"));
            return std::string();
        });
        Step("write photo-edited.bmp", [&] {
            Write(cropped, "photo-edited.bmp");
            return std::string();
        });
    }

    std::string m_dir;
    std::vector<std::string> m_written;
};

int RunDemo(const Arguments& args)
{
    const std::string dir = args.Text("OUTDIR", "velmoro-demo");
    if (::mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST)
        throw Failure(dir, "cannot make the folder: " + SystemReason(errno));
    std::printf("velmoro demo: writing into %s/\n\n", dir.c_str());
    Demo(dir).Run();
    return 0;
}

const CommandRegistration kDemo{{"demo", "make sample pictures and run them through the library", "[OUTDIR]",
                                 "Paints its own inputs (a background, a sprite on a key colour, a\n"
                                 "photo-like JPEG), then runs three typical uses: the sprite over the\n"
                                 "background at 16 bits with the SIMD twins on, drawn into a memory\n"
                                 "device context; a collection of tagged images saved, read back,\n"
                                 "searched and refreshed; the JPEG decoded, cropped and sharpened.\n"
                                 "Prints one timed line per step and the files written (default\n"
                                 "folder: ./velmoro-demo).\n\n"
                                 "example: velmoro demo /tmp/velmoro-demo",
                                 RunDemo}};

}  // namespace
}  // namespace velmoro_tool
