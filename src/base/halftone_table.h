// SPDX-License-Identifier: MIT
// The 256-colour halftone table: the twenty static system colours at 0-9 and
// 246-255, greys, a few single colours and a 6 x 6 x 6 colour cube in between.
#ifndef VELMORO_SRC_BASE_HALFTONE_TABLE_H
#define VELMORO_SRC_BASE_HALFTONE_TABLE_H

#include <velmoro/types.h>

namespace velmoro {

extern const RGBQUAD kHalftoneTable[256];

}  // namespace velmoro

#endif
