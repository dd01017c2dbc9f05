// SPDX-License-Identifier: MIT
// Compiled with nothing but the flags pkg-config gives for velmoro.
#include <velmoro/velmoro.h>

int main()
{
    CDib image;
    return GetRenderInterfaceVersion() == 1 && image.IsEmpty() ? 0 : 1;
}
