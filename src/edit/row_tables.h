// SPDX-License-Identifier: MIT
// How a family of row functions is chosen. A family keeps one table of row
// functions per instruction set, all of one struct; its ladder lists them by
// InstructionSet, a rung the family has no rows for left null. Each public call
// takes its table once, here, and hands it to the family's row loop.
#ifndef VELMORO_SRC_EDIT_ROW_TABLES_H
#define VELMORO_SRC_EDIT_ROW_TABLES_H

#include "base/cpu_features.h"

#include <array>
#include <cstddef>

namespace velmoro {

// The plain table first, never null.
template <typename Rows>
using RowLadder = std::array<const Rows*, static_cast<size_t>(InstructionSet::kCount)>;

// The reference rows: the plain members of a twin, and the kernels the vector
// rows cannot take exactly.
template <typename Rows>
const Rows& PlainRows(const RowLadder<Rows>& ladder)
{
    return *ladder[0];
}

// The rows of the widest instruction set the processor runs that the family has rows for.
template <typename Rows>
const Rows& WidestRows(const RowLadder<Rows>& ladder)
{
    size_t rung = static_cast<size_t>(WidestInstructionSet());
    while (ladder[rung] == nullptr)
        --rung;
    return *ladder[rung];
}

}  // namespace velmoro

#endif
