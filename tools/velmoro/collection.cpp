// SPDX-License-Identifier: MIT
// velmoro pack / list / unpack / refresh: collection files of tagged images.
#include "command.h"
#include "image_input.h"

#include <velmoro/dib_collection.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <sys/stat.h>

namespace velmoro_tool {
namespace {

constexpr const char* kDefaultTag = "VCOL";

// A tag is four characters, stored in file order ("VCOL"), or 0xHEX.
DWORD ParseTag(const std::string& text)
{
    if (text.size() > 2 && text.size() <= 10 && (text.compare(0, 2, "0x") == 0 || text.compare(0, 2, "0X") == 0)) {
        char* end = NULL;
        const unsigned long value = std::strtoul(text.c_str() + 2, &end, 16);
        if (*end == '\0' && text[2] != '-' && text[2] != '+')
            return static_cast<DWORD>(value);
    } else if (text.size() == 4) {
        DWORD tag = 0;
        for (size_t i = 0; i < 4; ++i)
            tag |= static_cast<DWORD>(static_cast<unsigned char>(text[i])) << (8 * i);
        return tag;
    }
    throw UsageError("--tag takes 4 characters or 0xHEX, not '" + text + "'");
}

// The tag as --tag would take it: four printable characters, else 0xHEX.
std::string TagText(DWORD tag)
{
    std::string text;
    for (size_t i = 0; i < 4; ++i) {
        const char c = static_cast<char>(tag >> (8 * i));
        if (!std::isprint(static_cast<unsigned char>(c))) {
            char hex[11];
            std::snprintf(hex, sizeof hex, "0x%08X", tag);
            return hex;
        }
        text += c;
    }
    return text;
}

// The tag --tag gives; none means: the tag the file starts with.
std::optional<DWORD> GivenTag(const Arguments& args)
{
    return args.Has("--tag") ? std::optional<DWORD>(ParseTag(args.Text("--tag"))) : std::nullopt;
}

// Loads a whole collection and returns its tag: a file that is not one with the
// tag asked for, or stops before its last image, is a failure.
DWORD LoadCollection(const std::string& path, std::optional<DWORD> tag, CDibEditList& list)
{
    CFile file;
    if (!file.Open(path.c_str(), CFile::modeRead, NULL))
        throw Failure(path, "cannot be opened: " + SystemReason(errno));
    DWORD stored[3] = {};
    if (file.Read(stored, sizeof stored) != sizeof stored)
        throw Failure(path, "not a collection file: shorter than the 12 bytes of its header");
    if (tag && stored[0] != *tag)
        throw Failure(path, "not a collection tagged " + TagText(*tag) + " (it starts with " + TagText(stored[0]) + ")");
    file.Seek(0, CFile::begin);
    const DWORD loaded = list.CreateNewNodeFromFile(file, stored[0], 1);
    if (loaded == 0 && stored[2] != 0)
        throw Failure(path, "not a collection file, or damaged in its first image");
    if (loaded != stored[2])
        throw Failure(path, "damaged after image " + std::to_string(loaded) + " of " + std::to_string(stored[2]));
    return stored[0];
}

void SaveCollection(CDibEditList& list, const std::string& path, DWORD tag)
{
    int error = 0;
    if (!WriteWholeOrNothing(
            path, [&](const std::string& temp) { return list.SaveFile(temp.c_str(), tag) != 0; }, &error))
        throw WriteFailure(path, DIB_ERR_WRITE, error);
}

WORD ParseId(const std::string& text, const std::string& item)
{
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos ||
        std::strtoul(text.c_str(), NULL, 10) > 0xFFFF)
        throw UsageError("'" + item + "' is not ID:NAME:FILE with ID 0 to 65535");
    return static_cast<WORD>(std::strtoul(text.c_str(), NULL, 10));
}

int RunPack(const Arguments& args)
{
    const DWORD tag = ParseTag(args.Text("--tag", kDefaultTag));
    CDibEditList list;
    for (const std::string& item : args.List("ID:NAME:FILE...")) {
        // The name may not hold a colon; the file name may.
        const size_t first = item.find(':');
        const size_t second = first == std::string::npos ? first : item.find(':', first + 1);
        if (second == std::string::npos)
            throw UsageError("'" + item + "' is not ID:NAME:FILE");
        const WORD id = ParseId(item.substr(0, first), item);
        // The stored name's size, with its terminating zero, is one byte.
        if (second - first - 1 > 254)
            throw UsageError("a name holds at most 254 characters");
        const std::string file = item.substr(second + 1);
        CDibEditNode* node = new CDibEditNode;
        list.AppendNode(node);
        LoadInput(file, *node);
        node->SetID(id);
        node->SetIDString(item.substr(first + 1, second - first - 1).c_str());
    }
    const std::string& out = args.Text("OUT");
    SaveCollection(list, out, tag);
    std::printf("%s: %s\n", out.c_str(), Counted(list.GetCount(), "image").c_str());
    return 0;
}

int RunList(const Arguments& args)
{
    const std::optional<DWORD> tag = GivenTag(args);
    CDibEditList list;
    LoadCollection(args.Text("FILE"), tag, list);
    for (CDibEditNode* node = list.GetFirstNode(); node; node = list.GetNextNode(node))
        std::printf("%5u  %-24s %d x %d, %d bits\n", node->GetID(), node->GetIDString(), node->GetWidth(),
                    node->GetHeight(), node->GetBitCount());
    std::printf("%s\n", Counted(list.GetCount(), "image").c_str());
    return 0;
}

int RunUnpack(const Arguments& args)
{
    const std::optional<DWORD> tag = GivenTag(args);
    CDibEditList list;
    LoadCollection(args.Text("FILE"), tag, list);
    const std::string& dir = args.Text("DIR");
    if (::mkdir(dir.c_str(), 0777) != 0 && errno != EEXIST)
        throw Failure(dir, "cannot make the folder: " + SystemReason(errno));
    // IDs need not be unique: a repeated ID gets a suffix rather than overwriting.
    std::map<WORD, int> seen;
    for (CDibEditNode* node = list.GetFirstNode(); node; node = list.GetNextNode(node)) {
        const int repeat = seen[node->GetID()]++;
        std::string path = dir + "/" + std::to_string(node->GetID());
        if (repeat)
            path += "_" + std::to_string(repeat + 1);
        path += ".bmp";
        int error = 0;
        if (const DWORD code = WriteBmpWhole(*node, path, &error))
            throw WriteFailure(path, code, error);
        std::printf("%s  %s\n", path.c_str(), node->GetIDString());
    }
    return 0;
}

int RunRefresh(const Arguments& args)
{
    const std::string& path = args.Text("FILE");
    const std::string& newerPath = args.Text("NEWER");
    const std::optional<DWORD> given = GivenTag(args);
    CDibEditList list;
    CDibEditList newer;
    // NEWER is loaded whole before the refresh, so a damaged one changes nothing;
    // it must carry FILE's tag.
    const DWORD tag = LoadCollection(path, given, list);
    LoadCollection(newerPath, tag, newer);
    CFile file;
    if (!file.Open(newerPath.c_str(), CFile::modeRead, NULL) || list.RefreshNodeFromFile(file, tag, 1) != newer.GetCount())
        throw Failure(newerPath, "cannot be read again");
    // Only the first node of an ID takes the newer image.
    int refreshed = 0;
    for (CDibEditNode* node = list.GetFirstNode(); node; node = list.GetNextNode(node))
        refreshed += newer.FindNode(node->GetID()) && list.FindNode(node->GetID()) == node;
    SaveCollection(list, path, tag);
    std::printf("%s: %d of %s refreshed\n", path.c_str(), refreshed, Counted(list.GetCount(), "image").c_str());
    return 0;
}

const CommandRegistration kPack{
    {"pack", "store images as one collection file", "OUT ID:NAME:FILE... [--tag TAG]",
     "Loads each image and stores it in the collection OUT under the 16-bit ID and\n"
     "the name given (at most 254 characters, no colon), in the order given.\n"
     "TAG is the collection's signature: 4 characters or 0xHEX (default VCOL).\n"
     "The other collection commands read it from the file; given to them, --tag\n"
     "makes a file with another tag a failure.\n\n"
     "example: velmoro pack sprites.vcl 1:hero:hero.bmp 2:door:door.bmp --tag SPRT",
     RunPack}};

const CommandRegistration kList{{"list", "show the images of a collection file", "FILE [--tag TAG]",
                                 "Prints ID, name, size and depth of every image in the collection, in\n"
                                 "stored order. With --tag, a file with another tag is refused.\n\n"
                                 "example: velmoro list sprites.vcl",
                                 RunList}};

const CommandRegistration kUnpack{{"unpack", "write every image of a collection file as a BMP file",
                                   "FILE DIR [--tag TAG]",
                                   "Writes DIR/ID.bmp for every image (DIR/ID_2.bmp and so on for a\n"
                                   "repeated ID), making DIR when it is missing.\n\n"
                                   "example: velmoro unpack sprites.vcl out --tag SPRT",
                                   RunUnpack}};

const CommandRegistration kRefresh{
    {"refresh", "replace images of a collection file by those of a newer one", "FILE NEWER [--tag TAG]",
     "Every image of FILE whose ID occurs in NEWER takes NEWER's image (keeping its\n"
     "own name); the others stay. NEWER must have FILE's tag. FILE is rewritten\n"
     "whole or not at all.\n\n"
     "example: velmoro refresh sprites.vcl patch.vcl --tag SPRT",
     RunRefresh}};

}  // namespace
}  // namespace velmoro_tool
