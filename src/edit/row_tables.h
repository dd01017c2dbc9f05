// SPDX-License-Identifier: MIT
// How a family of row functions is chosen. A family keeps one table of row
// functions per instruction set, all of one struct; its ladder lists them by
// InstructionSet, a rung the family has no rows for left null. Each public call
// takes its table once, here, and hands it to the family's row loop.
#ifndef VELMORO_SRC_EDIT_ROW_TABLES_H
#define VELMORO_SRC_EDIT_ROW_TABLES_H

#include "base/cpu_features.h"

#include <velmoro/internal/test_switches.h>

#include <array>
#include <cstddef>

namespace velmoro {

// The plain table first, never null.
template <typename Rows>
using RowLadder = std::array<const Rows*, static_cast<size_t>(InstructionSet::kCount)>;

// A ladder from the tables of each rung: the x86 ones are named only where they
// exist, so the arguments after the first are dropped on other processors.
#if VELMORO_X86
#define VELMORO_ROW_LADDER(plain, sse2, ssse3, avx2) {plain, sse2, ssse3, avx2}
#else
#define VELMORO_ROW_LADDER(plain, sse2, ssse3, avx2) {plain}
#endif

// The reference rows: the plain members of a twin, and the kernels the vector
// rows cannot take exactly.
template <typename Rows>
const Rows& PlainRows(const RowLadder<Rows>& ladder)
{
#if defined(VELMORO_TEST_SWITCHES)
    test::NoteRowTableChosen(true);
#endif
    return *ladder[0];
}

// The rows of the widest instruction set the processor runs that the family has rows for.
template <typename Rows>
const Rows& WidestRows(const RowLadder<Rows>& ladder)
{
    size_t rung = static_cast<size_t>(WidestInstructionSet());
    while (ladder[rung] == nullptr)
        --rung;
#if defined(VELMORO_TEST_SWITCHES)
    test::NoteRowTableChosen(rung == 0);
#endif
    return *ladder[rung];
}

}  // namespace velmoro

#endif
