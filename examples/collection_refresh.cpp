// SPDX-License-Identifier: MIT
// A collection file of tagged images: saved, loaded back, and refreshed from a
// newer collection that carries only the images that changed.
//
//   collection_refresh [OUTDIR]   writes OUTDIR/tiles.vcl and OUTDIR/tiles-update.vcl
#include <velmoro/velmoro.h>

#include <cstdio>
#include <string>

static const DWORD kTag = 0x454C4954;  // "TILE" as stored: a collection is read back only with its tag

// A node of one plain colour; the list that receives it owns it.
static CDibEditNode* Tile(WORD id, const char* name, COLORREF color)
{
    CDibEditNode* node = new CDibEditNode;
    node->SetID(id);
    node->SetIDString(name);
    if (node->Create(32, 32, 24, color, DIB_FORMAT_565) != DIB_OK) {
        delete node;
        return NULL;
    }
    return node;
}

static DWORD ColorOf(CDibEditNode* node)
{
    DWORD color = 0;
    return node && node->GetColorFromPoint(CPoint(0, 0), &color) == DIB_OK ? color : 0xFFFFFFFF;
}

int main(int argc, char** argv)
{
    const std::string outdir = argc > 1 ? argv[1] : ".";
    const std::string tiles = outdir + "/tiles.vcl";
    const std::string update = outdir + "/tiles-update.vcl";

    // Save three tiles.
    CDibEditList list;
    const struct { WORD id; const char* name; COLORREF color; } kTiles[] = {
        {1, "grass", RGB(60, 170, 60)}, {2, "water", RGB(40, 90, 200)}, {3, "sand", RGB(220, 200, 130)}};
    for (const auto& tile : kTiles) {
        CDibEditNode* node = Tile(tile.id, tile.name, tile.color);
        if (!node || !list.AppendNode(node))
            return 1;
    }
    const DWORD saved = list.SaveFile(tiles.c_str(), kTag);  // bytes written, 0 on failure
    if (saved == 0)
        return 1;

    // Load them into another list.
    CDibEditList loaded;
    if (loaded.CreateNewNodeFromFile(tiles.c_str(), kTag) != 3)
        return 1;
    for (CDibEditNode* node = loaded.GetFirstNode(); node; node = loaded.GetNextNode(node))
        std::printf("ID %u %-6s %d x %d\n", unsigned(node->GetID()), node->GetIDString(), node->GetWidth(),
                    node->GetHeight());

    // A newer collection holds only a darker water tile, under another name.
    CDibEditList newer;
    CDibEditNode* water = Tile(2, "water-v2", RGB(40, 90, 200));
    if (!water || !newer.AppendNode(water) || water->FadeDib(-30) != DIB_OK ||
        newer.SaveFile(update.c_str(), kTag) == 0)
        return 1;

    // Refresh replaces the images of the IDs it finds; each node keeps its ID string.
    CFile file;
    if (!file.Open(update.c_str(), CFile::modeRead))
        return 1;
    if (loaded.RefreshNodeFromFile(file, kTag, 1) != 1)
        return 1;
    CDibEditNode* refreshed = loaded.FindNode(2);
    if (ColorOf(refreshed) != RGB(10, 60, 170) || std::string(refreshed->GetIDString()) != "water" ||
        ColorOf(loaded.FindNode(1)) != RGB(60, 170, 60))
        return 1;
    std::printf("%s: %lu bytes; after the refresh ID 2 is %s, colour %06lX\n", tiles.c_str(),
                static_cast<unsigned long>(saved), refreshed->GetIDString(),
                static_cast<unsigned long>(ColorOf(refreshed)));
    return 0;
}
