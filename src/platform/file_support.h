// SPDX-License-Identifier: MIT
// What the readers and writers need of a file beyond the file object's members.
#ifndef VELMORO_SRC_PLATFORM_FILE_SUPPORT_H
#define VELMORO_SRC_PLATFORM_FILE_SUPPORT_H

#include <velmoro/platform/file.h>
#include <velmoro/result.h>

#include <cstdint>

namespace velmoro {

// The bytes from the position to the end, 0 when the position lies past it:
// the bound every reader compares a length field with before it allocates.
inline uint64_t BytesLeft(const CFile& file)
{
    const uint64_t length = file.GetLength();
    const uint64_t position = file.GetPosition();
    return length > position ? length - position : 0;
}

// Whether the path names an existing regular file: not a folder, a device or a
// pipe. False for NULL or an empty path.
bool IsRegularFile(const char* path);

// Runs io, the writes and closes of one operation: DIB_OK, or failure when
// they throw. The file object's exception is released here; nothing escapes.
template <typename Io>
DWORD CatchFileErrors(DWORD failure, Io&& io)
{
    try {
        io();
    } catch (CFileException* error) {
        error->Delete();
        return failure;
    }
    return DIB_OK;
}

}  // namespace velmoro

#endif
