// SPDX-License-Identifier: MIT
#include "platform/library_location.h"

#include <velmoro/dib.h>

#include <dlfcn.h>

namespace velmoro {

std::string PathBesideLibrary(const char* fileName)
{
    Dl_info info{};
    // Any function of the library names its file.
    if (!dladdr(reinterpret_cast<void*>(&GetRenderInterfaceVersion), &info) || !info.dli_fname)
        return fileName;
    const std::string self = info.dli_fname;
    const std::string::size_type slash = self.rfind('/');
    if (slash == std::string::npos)
        return fileName;
    return self.substr(0, slash + 1) + fileName;
}

}  // namespace velmoro
