// SPDX-License-Identifier: MIT
#include <velmoro/result.h>

namespace {

struct ResultEntry {
    DWORD code;
    const char* name;
    const char* text;
};

constexpr ResultEntry kResults[] = {
    {DIB_OK, "DIB_OK", "success"},
    {DIB_ERR_OPEN, "DIB_ERR_OPEN", "the file cannot be opened"},
    {DIB_ERR_FILE_IO, "DIB_ERR_FILE_IO", "the file is shorter than its headers say, or the codec cannot read it"},
    {DIB_ERR_NOT_BMP, "DIB_ERR_NOT_BMP", "the file does not start with \"BM\""},
    {DIB_ERR_BAD_HEADER, "DIB_ERR_BAD_HEADER", "the bitmap header is of a kind that is not read"},
    {DIB_ERR_WRITE, "DIB_ERR_WRITE", "a write failed"},
    {DIB_ERR_NO_MEMORY, "DIB_ERR_NO_MEMORY", "not enough memory, or a size that cannot be allocated"},
    {DIB_ERR_RES_NOT_FOUND, "DIB_ERR_RES_NOT_FOUND", "no bitmap resource with this ID"},
    {DIB_ERR_RES_LOAD, "DIB_ERR_RES_LOAD", "the bitmap resource cannot be loaded"},
    {DIB_ERR_RES_LOCK, "DIB_ERR_RES_LOCK", "the bitmap resource cannot be locked"},
    {DIB_ERR_BAD_BITCOUNT, "DIB_ERR_BAD_BITCOUNT", "a bit count other than 1, 4, 8, 16 or 24"},
    {DIB_ERR_NOT_8BIT, "DIB_ERR_NOT_8BIT", "the image is not 8-bit"},
    {DIB_ERR_NOT_16BIT, "DIB_ERR_NOT_16BIT", "the image is not 16-bit"},
    {DIB_ERR_NOT_24BIT, "DIB_ERR_NOT_24BIT", "the image is not 24-bit"},
    {DIB_ERR_BAD_DEPTH, "DIB_ERR_BAD_DEPTH", "the bit depth is not supported here, or the images differ in depth"},
    {DIB_ERR_BAD_ARGUMENT, "DIB_ERR_BAD_ARGUMENT", "an argument is outside the values the operation accepts"},
    {DIB_ERR_EMPTY, "DIB_ERR_EMPTY", "the image is empty"},
    {DIB_ERR_COMPRESSED, "DIB_ERR_COMPRESSED", "compressed pixels, or images of different compression"},
    {DIB_ERR_BAD_POSITION, "DIB_ERR_BAD_POSITION", "the point lies beyond the receiving image"},
    {DIB_ERR_OUT_OF_IMAGE, "DIB_ERR_OUT_OF_IMAGE", "the point lies outside the image"},
    {DIB_ERR_BITMAP, "DIB_ERR_BITMAP", "the bitmap is missing or its bits cannot be read"},
    {DIB_ERR_NO_COLOR_TABLE, "DIB_ERR_NO_COLOR_TABLE", "the source image has no colour table"},
    {DIB_ERR_COLOR_TABLE_SIZE, "DIB_ERR_COLOR_TABLE_SIZE", "the two colour tables differ in size"},
    {DIB_ERR_REGION, "DIB_ERR_REGION", "no key-coloured pixel, so no region was made"},
    {DIB_ERR_JPEG, "DIB_ERR_JPEG", "the JPEG codec is not loaded or did not start"},
    {DIB_ERR_FORMAT, "DIB_ERR_FORMAT", "not a picture format this library reads or writes"},
};

const ResultEntry* FindResult(DWORD code)
{
    for (const ResultEntry& entry : kResults) {
        if (entry.code == code)
            return &entry;
    }
    return nullptr;
}

}  // namespace

const char* DibResultName(DWORD code)
{
    const ResultEntry* entry = FindResult(code);
    return entry ? entry->name : NULL;
}

const char* DibResultText(DWORD code)
{
    const ResultEntry* entry = FindResult(code);
    return entry ? entry->text : "unknown result code";
}
