// velmoro pack / list / unpack / refresh: collection files of tagged images.
#include "args.h"
#include "command.h"

#include <velmoro/dib_collection.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

namespace velmoro_tool {
namespace {

// A tag is four characters, stored in file order ("VCOL"), or 0xHEX.
bool ParseTag(const std::string& text, DWORD& tag)
{
    if (text.size() > 2 && (text.compare(0, 2, "0x") == 0 || text.compare(0, 2, "0X") == 0)) {
        if (text.size() > 10)
            return false;
        char* end = NULL;
        const unsigned long value = std::strtoul(text.c_str() + 2, &end, 16);
        if (*end != '\0')
            return false;
        tag = static_cast<DWORD>(value);
        return true;
    }
    if (text.size() != 4)
        return false;
    tag = 0;
    for (size_t i = 0; i < 4; ++i)
        tag |= static_cast<DWORD>(static_cast<unsigned char>(text[i])) << (8 * i);
    return true;
}

bool ParseId(const std::string& text, WORD& id)
{
    if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const unsigned long value = std::strtoul(text.c_str(), NULL, 10);
    if (value > 0xFFFF)
        return false;
    id = static_cast<WORD>(value);
    return true;
}

int BadTag(const char* command, const std::string& text)
{
    return ReportError(std::string(command) + ": tag '" + text + "' is neither 4 characters nor 0xHEX");
}

// Loads a whole collection, or says why not.
bool LoadCollection(const char* command, const std::string& path, DWORD tag, CDibEditList& list)
{
    CFile file;
    if (!file.Open(path.c_str(), CFile::modeRead, NULL)) {
        ReportError(std::string(command) + ": " + path + ": cannot open: " + std::strerror(errno));
        return false;
    }
    DWORD stored[3] = {};
    const bool header = file.Read(stored, sizeof stored) == sizeof stored;
    file.Seek(0, CFile::begin);
    const DWORD loaded = list.CreateNewNodeFromFile(file, tag, 1);
    if (!header || stored[0] != tag) {
        ReportError(std::string(command) + ": " + path + ": not a collection with this tag");
        return false;
    }
    if (loaded != stored[2]) {
        ReportError(std::string(command) + ": " + path + ": damaged after node " + std::to_string(loaded) +
                    " of " + std::to_string(stored[2]));
        return false;
    }
    return true;
}

bool SaveCollection(CDibEditList& list, const std::string& path, DWORD tag)
{
    return WriteWholeOrNothing(path, [&](const std::string& temp) { return list.SaveFile(temp.c_str(), tag) != 0; });
}

int RunPack(const std::vector<std::string>& args)
{
    if (args.size() < 3)
        return ReportError("pack: needs OUT TAG ID:NAME:FILE... (see velmoro pack --help)");
    DWORD tag;
    if (!ParseTag(args[1], tag))
        return BadTag("pack", args[1]);
    CDibEditList list;
    for (size_t i = 2; i < args.size(); ++i) {
        // The name may not hold a colon; the file name may.
        const std::string& item = args[i];
        const size_t first = item.find(':');
        const size_t second = first == std::string::npos ? first : item.find(':', first + 1);
        WORD id;
        if (second == std::string::npos || !ParseId(item.substr(0, first), id))
            return ReportError("pack: '" + item + "' is not ID:NAME:FILE with ID 0 to 65535");
        const std::string file = item.substr(second + 1);
        CDibEditNode* node = new CDibEditNode;
        list.AppendNode(node);
        if (const DWORD code = node->Load(file.c_str()))
            return ReportFailure(file, code);
        node->SetID(id);
        node->SetIDString(item.substr(first + 1, second - first - 1).c_str());
    }
    if (!SaveCollection(list, args[0], tag))
        return ReportError("pack: " + args[0] + ": cannot write the collection");
    std::printf("%s: %u images\n", args[0].c_str(), list.GetCount());
    return 0;
}

int RunList(const std::vector<std::string>& args)
{
    if (args.size() != 2)
        return ReportError("list: needs FILE TAG (see velmoro list --help)");
    DWORD tag;
    if (!ParseTag(args[1], tag))
        return BadTag("list", args[1]);
    CDibEditList list;
    if (!LoadCollection("list", args[0], tag, list))
        return 1;
    for (CDibEditNode* node = list.GetFirstNode(); node; node = list.GetNextNode(node))
        std::printf("%5u  %-24s %d x %d, %d bits\n", node->GetID(), node->GetIDString(), node->GetWidth(),
                    node->GetHeight(), node->GetBitCount());
    std::printf("%u images\n", list.GetCount());
    return 0;
}

int RunUnpack(const std::vector<std::string>& args)
{
    if (args.size() != 3)
        return ReportError("unpack: needs FILE TAG DIR (see velmoro unpack --help)");
    DWORD tag;
    if (!ParseTag(args[1], tag))
        return BadTag("unpack", args[1]);
    CDibEditList list;
    if (!LoadCollection("unpack", args[0], tag, list))
        return 1;
    // IDs need not be unique: a repeated ID gets a suffix rather than overwriting.
    std::map<WORD, int> seen;
    for (CDibEditNode* node = list.GetFirstNode(); node; node = list.GetNextNode(node)) {
        const int repeat = seen[node->GetID()]++;
        std::string path = args[2] + "/" + std::to_string(node->GetID());
        if (repeat)
            path += "_" + std::to_string(repeat + 1);
        path += ".bmp";
        DWORD code = DIB_OK;
        const bool written = WriteWholeOrNothing(path, [&](const std::string& temp) {
            code = static_cast<DWORD>(node->WriteBmp(temp.c_str()));
            return code == DIB_OK;
        });
        if (code != DIB_OK)
            return ReportFailure(path, code);
        if (!written)
            return ReportError("unpack: " + path + ": cannot write");
        std::printf("%s  %s\n", path.c_str(), node->GetIDString());
    }
    return 0;
}

int RunRefresh(const std::vector<std::string>& args)
{
    if (args.size() != 3)
        return ReportError("refresh: needs FILE NEWER TAG (see velmoro refresh --help)");
    DWORD tag;
    if (!ParseTag(args[2], tag))
        return BadTag("refresh", args[2]);
    CDibEditList list;
    CDibEditList newer;
    // Loading NEWER first proves it whole, so a damaged one changes nothing.
    if (!LoadCollection("refresh", args[0], tag, list) || !LoadCollection("refresh", args[1], tag, newer))
        return 1;
    CFile file;
    if (!file.Open(args[1].c_str(), CFile::modeRead, NULL))
        return ReportError("refresh: " + args[1] + ": cannot open");
    if (list.RefreshNodeFromFile(file, tag, 1) != newer.GetCount())
        return ReportError("refresh: " + args[1] + ": cannot be read");
    // Only the first node of an ID takes the newer image.
    int refreshed = 0;
    for (CDibEditNode* node = list.GetFirstNode(); node; node = list.GetNextNode(node))
        refreshed += newer.FindNode(node->GetID()) && list.FindNode(node->GetID()) == node;
    if (!SaveCollection(list, args[0], tag))
        return ReportError("refresh: " + args[0] + ": cannot write the collection");
    std::printf("%s: %d of %u images refreshed\n", args[0].c_str(), refreshed, list.GetCount());
    return 0;
}

const CommandRegistration kPack{
    {"pack", "store BMP files as one collection",
     "usage: velmoro pack OUT TAG ID:NAME:FILE...\n\n"
     "Loads each BMP file and stores it in the collection OUT under the 16-bit ID and the\n"
     "name given, in the order given. TAG is the collection's signature: 4 characters or\n"
     "0xHEX. OUT is written whole or not at all.\n\n"
     "example: velmoro pack sprites.vcl SPRT 1:hero:hero.bmp 2:door:door.bmp",
     RunPack}};

const CommandRegistration kList{
    {"list", "show the images of a collection",
     "usage: velmoro list FILE TAG\n\n"
     "Prints ID, name, size and depth of every image in the collection, in stored order.\n\n"
     "example: velmoro list sprites.vcl SPRT",
     RunList}};

const CommandRegistration kUnpack{
    {"unpack", "write every image of a collection as a BMP file",
     "usage: velmoro unpack FILE TAG DIR\n\n"
     "Writes DIR/ID.bmp for every image (DIR/ID_2.bmp and so on for a repeated ID).\n\n"
     "example: velmoro unpack sprites.vcl SPRT out",
     RunUnpack}};

const CommandRegistration kRefresh{
    {"refresh", "replace images of a collection by those of a newer one",
     "usage: velmoro refresh FILE NEWER TAG\n\n"
     "Every image of FILE whose ID occurs in NEWER takes NEWER's image (keeping its own\n"
     "name); the others stay. FILE is rewritten whole or not at all.\n\n"
     "example: velmoro refresh sprites.vcl patch.vcl SPRT",
     RunRefresh}};

}  // namespace
}  // namespace velmoro_tool
