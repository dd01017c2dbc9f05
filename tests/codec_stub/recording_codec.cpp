// SPDX-License-Identifier: MIT
#include "recording_codec.h"

#include <cstring>

namespace {

RecordingCodecState g_state;

void Reset()
{
    g_state = RecordingCodecState{};
}

bool AllZero(const JPEG_CORE_PROPERTIES* record)
{
    const BYTE* bytes = reinterpret_cast<const BYTE*>(record);
    for (DWORD i = 0; i < kJpegPropertiesBytes; ++i) {
        if (bytes[i] != 0)
            return false;
    }
    return true;
}

// A successful decode fills the DIB fields' rows with 0x5A, pad bytes included.
void FillDib(const JPEG_CORE_PROPERTIES* record)
{
    const int64_t rows = record->DIBHeight < 0 ? -static_cast<int64_t>(record->DIBHeight) : record->DIBHeight;
    const uint64_t stride = 3ull * record->DIBWidth + record->DIBPadBytes;
    std::memset(record->DIBBytes, 0x5A, static_cast<size_t>(stride * rows));
}

}  // namespace

extern "C" RecordingCodecState* recording_codec_state(int reset)
{
    if (reset)
        Reset();
    return &g_state;
}

extern "C" IJLERR ijlInit(JPEG_CORE_PROPERTIES* record)
{
    ++g_state.initCalls;
    g_state.lastRecord = record;
    g_state.initSawZeroRecord = AllZero(record);
    return g_state.initResult;
}

extern "C" IJLERR ijlFree(JPEG_CORE_PROPERTIES*)
{
    ++g_state.freeCalls;
    return IJL_OK;
}

extern "C" IJLERR ijlRead(JPEG_CORE_PROPERTIES* record, IJLIOTYPE mode)
{
    ++g_state.readCalls;
    g_state.lastMode = mode;
    g_state.lastRecord = record;
    if (mode == IJL_JFILE_READPARAMS || mode == IJL_JBUFF_READPARAMS) {
        if (g_state.headerResult == IJL_OK) {
            record->JPGWidth = g_state.width;
            record->JPGHeight = g_state.height;
            record->JPGChannels = g_state.channels;
        }
        return g_state.headerResult;
    }
    if (g_state.imageResult == IJL_OK)
        FillDib(record);
    return g_state.imageResult;
}

#ifndef RECORDING_CODEC_WITHOUT_WRITE
extern "C" IJLERR ijlWrite(JPEG_CORE_PROPERTIES* record, IJLIOTYPE mode)
{
    ++g_state.writeCalls;
    g_state.lastMode = mode;
    g_state.lastRecord = record;
    return g_state.writeResult;
}
#endif
