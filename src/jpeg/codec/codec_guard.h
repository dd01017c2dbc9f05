// SPDX-License-Identifier: MIT
// libjpeg reports errors by calling error_exit, which must not return. The
// codec turns every error, and every warning of lost data (libjpeg reports
// damaged data only as a warning and fills in the rest), into a jump back to
// the entry point with a negative result, so a bad stream never terminates the
// process and no partial picture passes for a whole one.
#ifndef VELMORO_SRC_JPEG_CODEC_CODEC_GUARD_H
#define VELMORO_SRC_JPEG_CODEC_CODEC_GUARD_H

#include <velmoro/jpeg.h>

#include <csetjmp>
#include <cstdio>
#include <type_traits>

#include <jpeglib.h>

namespace velmoro_codec {

struct CodecErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    // Result of an error that libjpeg reports without a more telling message code.
    IJLERR fallback = IJL_ERR_CORRUPT;
    IJLERR code = IJL_OK;
    // Set once the markers ahead of the first scan are read.
    bool headerRead = false;
};
// libjpeg hands back the manager's address; the handlers widen it to the whole.
static_assert(std::is_standard_layout_v<CodecErrors>, "manager first, at the same address");

// Sets up the handlers; the result goes into the libjpeg object's `err` before its creation.
jpeg_error_mgr* InstallErrorHandlers(CodecErrors& errors, IJLERR fallback);

// Abandons the libjpeg work in progress and returns `code` from RunGuarded.
[[noreturn]] void FailWith(j_common_ptr object, IJLERR code);

// Runs `work` (which returns an IJLERR) with the jump target set. The libjpeg
// object and every resource it needs must live in the caller, so that the jump
// skips no destructor and leaves no local of this frame indeterminate.
template <typename Work>
IJLERR RunGuarded(CodecErrors& errors, Work&& work)
{
    if (setjmp(errors.jump))
        return errors.code;
    return work();
}

}  // namespace velmoro_codec

#endif
