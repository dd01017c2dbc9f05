// SPDX-License-Identifier: MIT
// A library with code but no bitmaps of its own, linked against one that has
// some: resource look-ups in it must not find its dependency's.
extern "C" __attribute__((visibility("default"))) int velmoro_test_module_answer()
{
    return 42;
}
