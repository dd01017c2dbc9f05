// SPDX-License-Identifier: MIT
// The codec module's four entry points. The codec keeps no state between
// calls: every read or write works from the record alone, so ijlInit only sets
// defaults and ijlFree has nothing to release.
#include "codec_modes.h"

#define VELMORO_CODEC_EXPORT extern "C" __attribute__((visibility("default")))

VELMORO_CODEC_EXPORT IJLERR ijlInit(JPEG_CORE_PROPERTIES* record)
{
    if (!record)
        return IJL_ERR_NULL_POINTER;
    record->JPGQuality = IJL_DEFAULT_QUALITY;
    return IJL_OK;
}

// Accepts a null record: callers release unconditionally on their failure paths.
VELMORO_CODEC_EXPORT IJLERR ijlFree(JPEG_CORE_PROPERTIES*)
{
    return IJL_OK;
}

VELMORO_CODEC_EXPORT IJLERR ijlRead(JPEG_CORE_PROPERTIES* record, IJLIOTYPE mode)
{
    if (!record)
        return IJL_ERR_NULL_POINTER;
    switch (mode) {
    case IJL_JFILE_READPARAMS: return velmoro_codec::ReadJpeg(*record, true, false);
    case IJL_JBUFF_READPARAMS: return velmoro_codec::ReadJpeg(*record, false, false);
    case IJL_JFILE_READWHOLEIMAGE: return velmoro_codec::ReadJpeg(*record, true, true);
    case IJL_JBUFF_READWHOLEIMAGE: return velmoro_codec::ReadJpeg(*record, false, true);
    default: return IJL_ERR_BAD_ARGUMENT;
    }
}

VELMORO_CODEC_EXPORT IJLERR ijlWrite(JPEG_CORE_PROPERTIES* record, IJLIOTYPE mode)
{
    if (!record)
        return IJL_ERR_NULL_POINTER;
    switch (mode) {
    case IJL_JFILE_WRITEWHOLEIMAGE: return velmoro_codec::WriteJpeg(*record, true);
    case IJL_JBUFF_WRITEWHOLEIMAGE: return velmoro_codec::WriteJpeg(*record, false);
    default: return IJL_ERR_BAD_ARGUMENT;
    }
}
