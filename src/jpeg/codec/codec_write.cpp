// SPDX-License-Identifier: MIT
// Whole-image encodes (I/O modes 8 and 9): a baseline JPEG, YCbCr (4:4:4, 4:2:2
// or 4:2:0) or grey, read straight from the caller's DIB rows.
#include "codec_guard.h"
#include "codec_modes.h"
#include "dib_rows.h"

#include <algorithm>

#include <sys/stat.h>

namespace velmoro_codec {
namespace {

constexpr JDIMENSION kRowsPerCall = 16;

// Writes into the caller's buffer and fails, rather than grows, when it is full.
// libjpeg asks for more room as soon as the last byte is taken, before it knows
// whether more will come, so a full buffer first moves on to a spare byte: a
// stream that fits exactly succeeds, one byte more fails.
struct FixedBufferDestination {
    jpeg_destination_mgr manager;
    BYTE* buffer;
    size_t capacity;
    bool full;
    BYTE spare[1];

    size_t BytesWritten() const { return full ? capacity : capacity - manager.free_in_buffer; }
};
static_assert(std::is_standard_layout_v<FixedBufferDestination>, "manager first, at the same address");

FixedBufferDestination& DestinationOf(j_compress_ptr object)
{
    return *reinterpret_cast<FixedBufferDestination*>(object->dest);
}

void UseSpareByte(FixedBufferDestination& destination)
{
    destination.full = true;
    destination.manager.next_output_byte = destination.spare;
    destination.manager.free_in_buffer = sizeof destination.spare;
}

void StartAtBufferBegin(j_compress_ptr object)
{
    FixedBufferDestination& destination = DestinationOf(object);
    destination.full = false;
    destination.manager.next_output_byte = destination.buffer;
    destination.manager.free_in_buffer = destination.capacity;
    if (destination.capacity == 0)
        UseSpareByte(destination);  // libjpeg writes before it checks for room
}

boolean MoveToSpareByte(j_compress_ptr object)
{
    FixedBufferDestination& destination = DestinationOf(object);
    if (destination.full)
        FailWith(reinterpret_cast<j_common_ptr>(object), IJL_ERR_BUFFER_FULL);
    UseSpareByte(destination);
    return TRUE;
}

void CheckSpareByteUnused(j_compress_ptr object)
{
    const FixedBufferDestination& destination = DestinationOf(object);
    if (destination.full && destination.manager.free_in_buffer == 0)
        FailWith(reinterpret_cast<j_common_ptr>(object), IJL_ERR_BUFFER_FULL);
}

struct EncodeSession {
    EncodeSession() { object.err = InstallErrorHandlers(errors, IJL_ERR_BAD_DIB); }
    ~EncodeSession()
    {
        jpeg_destroy_compress(&object);
        if (file)
            std::fclose(file);
    }
    EncodeSession(const EncodeSession&) = delete;
    EncodeSession& operator=(const EncodeSession&) = delete;

    jpeg_compress_struct object{};
    CodecErrors errors;
    FixedBufferDestination buffer{};
    std::FILE* file = nullptr;
};

IJLERR CheckDibSource(const JPEG_CORE_PROPERTIES& record)
{
    if (!record.DIBBytes)
        return IJL_ERR_NULL_POINTER;
    if (record.DIBWidth == 0 || record.DIBHeight == 0 || record.DIBChannels != 3)
        return IJL_ERR_BAD_DIB;
    if (record.DIBColor != IJL_BGR && record.DIBColor != IJL_RGB)
        return IJL_ERR_BAD_DIB;
    // Refused here, before a named file is opened and truncated, rather than by
    // the encoder once the old file is gone.
    if (record.DIBWidth > JPEG_MAX_DIMENSION || DibRowCount(record) > JPEG_MAX_DIMENSION)
        return IJL_ERR_BAD_DIB;
    if (record.JPGQuality < 1 || record.JPGQuality > 100)
        return IJL_ERR_BAD_ARGUMENT;
    if (record.DIBSubsampling != 0 && record.DIBSubsampling != 444 && record.DIBSubsampling != 422 &&
        record.DIBSubsampling != 420)
        return IJL_ERR_BAD_ARGUMENT;
    return IJL_OK;
}

void EncodeImage(jpeg_compress_struct& object, const JPEG_CORE_PROPERTIES& record)
{
    object.image_width = record.DIBWidth;
    object.image_height = static_cast<JDIMENSION>(DibRowCount(record));
    object.input_components = 3;
    object.in_color_space = record.DIBColor == IJL_RGB ? JCS_EXT_RGB : JCS_EXT_BGR;
    jpeg_set_defaults(&object);
    if (record.JPGColor == IJL_G) {
        jpeg_set_colorspace(&object, JCS_GRAYSCALE);
    } else {
        // The luma component's sampling factors set the chroma's relative to it.
        object.comp_info[0].h_samp_factor = record.DIBSubsampling == 444 ? 1 : 2;
        object.comp_info[0].v_samp_factor = record.DIBSubsampling == 444 || record.DIBSubsampling == 422 ? 1 : 2;
    }
    jpeg_set_quality(&object, static_cast<int>(record.JPGQuality), TRUE);
    jpeg_start_compress(&object, TRUE);

    const DibRows rows(record);
    JSAMPROW batch[kRowsPerCall];
    while (object.next_scanline < object.image_height) {
        const JDIMENSION first = object.next_scanline;
        const JDIMENSION count = std::min(kRowsPerCall, object.image_height - first);
        for (JDIMENSION i = 0; i < count; ++i)
            batch[i] = rows.Row(first + i);
        jpeg_write_scanlines(&object, batch, count);
    }
    jpeg_finish_compress(&object);
}

}  // namespace

IJLERR WriteJpeg(JPEG_CORE_PROPERTIES& record, bool toFile)
{
    if (toFile ? !record.JPGFile : !record.JPGBytes)
        return IJL_ERR_NULL_POINTER;
    if (IJLERR refused = CheckDibSource(record))
        return refused;
    EncodeSession session;
    if (toFile) {
        session.file = std::fopen(record.JPGFile, "wb");
        if (!session.file)
            return IJL_ERR_FILE_OPEN;
    }
    jpeg_compress_struct& object = session.object;
    IJLERR result = RunGuarded(session.errors, [&]() -> IJLERR {
        jpeg_create_compress(&object);
        if (toFile) {
            jpeg_stdio_dest(&object, session.file);
        } else {
            session.buffer.buffer = record.JPGBytes;
            session.buffer.capacity = record.JPGSizeBytes;
            session.buffer.manager.init_destination = StartAtBufferBegin;
            session.buffer.manager.empty_output_buffer = MoveToSpareByte;
            session.buffer.manager.term_destination = CheckSpareByteUnused;
            object.dest = &session.buffer.manager;
        }
        EncodeImage(object, record);
        return IJL_OK;
    });
    if (toFile) {
        struct stat target {};
        const bool regularFile = fstat(fileno(session.file), &target) == 0 && S_ISREG(target.st_mode);
        const bool closed = std::fclose(session.file) == 0;
        session.file = nullptr;
        if (result == IJL_OK && !closed)
            result = IJL_ERR_FILE_WRITE;
        // No half-written file is left behind; a device or pipe is never removed.
        if (result != IJL_OK) {
            if (regularFile)
                std::remove(record.JPGFile);
            return result;
        }
    } else if (result == IJL_OK) {
        record.JPGSizeBytes = static_cast<DWORD>(session.buffer.BytesWritten());
    }
    if (result == IJL_OK) {
        record.JPGWidth = object.image_width;
        record.JPGHeight = object.image_height;
        record.JPGChannels = static_cast<DWORD>(object.num_components);
    }
    return result;
}

}  // namespace velmoro_codec
