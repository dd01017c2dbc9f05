// SPDX-License-Identifier: MIT
// Where this library was loaded from, so that its companion modules can be
// found without a search path or an environment variable.
#ifndef VELMORO_SRC_PLATFORM_LIBRARY_LOCATION_H
#define VELMORO_SRC_PLATFORM_LIBRARY_LOCATION_H

#include <string>

namespace velmoro {

// The path of a file beside libvelmoro.so; the bare name when the folder is unknown.
std::string PathBesideLibrary(const char* fileName);

}  // namespace velmoro

#endif
