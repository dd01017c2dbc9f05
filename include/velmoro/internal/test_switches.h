// SPDX-License-Identifier: MIT
// Internal, test builds only; not part of the API and not installed.
//
// Switches that let the tests, the fuzz targets and the benchmarks reach every
// path of the library: narrower row tables than the processor offers, and an
// allocation that fails on purpose. They exist only in a library configured with
// VELMORO_TEST_SWITCHES, which defines the macro of that name for the library
// and for every program in the build; a release library has none of them.
// Change them through ScopedSwitches, so that a failing test cannot leave them
// set for the tests after it.
#ifndef VELMORO_INTERNAL_TEST_SWITCHES_H
#define VELMORO_INTERNAL_TEST_SWITCHES_H

#if defined(VELMORO_TEST_SWITCHES)

#include <velmoro/types.h>

#include <cstdint>

namespace velmoro {
namespace test {

struct Switches {
    // false: every family runs its plain rows, as on a processor without vector units.
    bool vectorRows = true;
    // false: the vector rows stop below AVX2, at SSSE3 or SSE2.
    bool avx2 = true;
    // false: the vector rows stop below SSSE3, at SSE2, as on the x86-64
    // processors that have no byte shuffles.
    bool ssse3 = true;
    // n > 0: the nth allocation counted from the setting of the switches fails.
    uint64_t failAllocationAt = 0;
    // n > 0: results of n bytes and more are written by streaming stores, whatever
    // caches this machine has.
    uint64_t streamResultsFrom = 0;
};

VELMORO_API Switches CurrentSwitches();

// Also restarts the counts below.
VELMORO_API void SetSwitches(const Switches& switches);

// Allocations since the switches were last set.
VELMORO_API uint64_t AllocationCount();

// Row tables the operations took since the switches were last set: the plain
// table, or a vector table.
struct RowTablesChosen {
    uint64_t plain = 0;
    uint64_t vector = 0;
};
VELMORO_API RowTablesChosen RowTablesChosenCount();

// Sets the switches for its lifetime, and restores the ones it found.
class ScopedSwitches {
public:
    explicit ScopedSwitches(const Switches& switches) : m_saved(CurrentSwitches()) { SetSwitches(switches); }
    ~ScopedSwitches() { SetSwitches(m_saved); }
    ScopedSwitches(const ScopedSwitches&) = delete;
    ScopedSwitches& operator=(const ScopedSwitches&) = delete;

private:
    Switches m_saved;
};

// The library's side, not exported: true when this allocation is to fail; and
// the note of a row table taken.
bool CountAllocation();
void NoteRowTableChosen(bool plain);

}  // namespace test
}  // namespace velmoro

#endif  // VELMORO_TEST_SWITCHES

#endif
