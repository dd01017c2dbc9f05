// SPDX-License-Identifier: MIT
#include "codec_guard.h"

#include <jerror.h>

namespace velmoro_codec {
namespace {

CodecErrors& ErrorsOf(j_common_ptr object)
{
    return *reinterpret_cast<CodecErrors*>(object->err);
}

void ExitOnError(j_common_ptr object)
{
    CodecErrors& errors = ErrorsOf(object);
    switch (errors.manager.msg_code) {
    case JERR_OUT_OF_MEMORY:
        FailWith(object, IJL_MEMORY_ERROR);
    case JERR_FILE_WRITE:
        FailWith(object, IJL_ERR_FILE_WRITE);
    default:
        FailWith(object, errors.fallback);
    }
}

// Warnings after which libjpeg still decodes the whole picture, as djpeg and
// every viewer show it: a JFIF revision it does not know, an Adobe colour
// transform it does not know (it keeps its own guess), stray bytes between the
// markers ahead of the picture. Stray bytes after entropy-coded data are
// another matter: a decoder that finished a scan before its data did has most
// likely read damaged data.
bool LosesNoData(const CodecErrors& errors)
{
    switch (errors.manager.msg_code) {
    case JWRN_JFIF_MAJOR:
    case JWRN_ADOBE_XFORM:
        return true;
    case JWRN_EXTRANEOUS_DATA:
        return !errors.headerRead;
    default:
        return false;
    }
}

// Level -1 is a warning. The others mean corrupt or missing data that libjpeg
// would paper over with made-up pixels.
void FailOnWarning(j_common_ptr object, int level)
{
    if (level < 0 && !LosesNoData(ErrorsOf(object)))
        FailWith(object, IJL_ERR_CORRUPT);
}

// The codec never prints: a library has no business writing to stderr.
void StaySilent(j_common_ptr) {}

}  // namespace

jpeg_error_mgr* InstallErrorHandlers(CodecErrors& errors, IJLERR fallback)
{
    jpeg_std_error(&errors.manager);
    errors.manager.error_exit = ExitOnError;
    errors.manager.emit_message = FailOnWarning;
    errors.manager.output_message = StaySilent;
    errors.fallback = fallback;
    return &errors.manager;
}

void FailWith(j_common_ptr object, IJLERR code)
{
    CodecErrors& errors = ErrorsOf(object);
    errors.code = code;
    std::longjmp(errors.jump, 1);
}

}  // namespace velmoro_codec
