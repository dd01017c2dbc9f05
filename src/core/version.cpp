// SPDX-License-Identifier: MIT
// The version the library was built as, for programs that load it.
#include <velmoro/version.h>

extern "C" const char* VelmoroVersion()
{
    return VELMORO_VERSION_STRING;
}
