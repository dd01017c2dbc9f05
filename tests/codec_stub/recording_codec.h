// SPDX-License-Identifier: MIT
// A stand-in codec module that records how the binding calls it and answers
// as the test scripts it. Built twice: with all four entry points, and without
// ijlWrite to check that such a module is refused.
#ifndef VELMORO_TESTS_CODEC_STUB_RECORDING_CODEC_H
#define VELMORO_TESTS_CODEC_STUB_RECORDING_CODEC_H

#include <velmoro/jpeg.h>

struct RecordingCodecState {
    // Script: what the entry points return, and the picture a header read reports.
    IJLERR initResult;
    IJLERR headerResult;
    IJLERR imageResult;
    IJLERR writeResult;
    DWORD width;
    DWORD height;
    DWORD channels;

    // Record of the calls.
    int initCalls;
    int freeCalls;
    int readCalls;
    int writeCalls;
    IJLIOTYPE lastMode;
    const JPEG_CORE_PROPERTIES* lastRecord;
    bool initSawZeroRecord;  // every byte of the 20032-byte block was 0 at the last ijlInit
};

// Exported by the module; resets the state when `reset` is nonzero.
typedef RecordingCodecState* (*RecordingCodecStateProc)(int reset);
#define RECORDING_CODEC_STATE_NAME "recording_codec_state"

#endif
