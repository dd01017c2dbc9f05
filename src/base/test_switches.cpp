// SPDX-License-Identifier: MIT
// The test switches, compiled only into libraries configured with VELMORO_TEST_SWITCHES.
#include <velmoro/internal/test_switches.h>

#include <atomic>

namespace velmoro {
namespace test {
namespace {

std::atomic<bool> g_vectorRows{true};
std::atomic<bool> g_avx2{true};
std::atomic<bool> g_ssse3{true};
std::atomic<uint64_t> g_failAllocationAt{0};
std::atomic<uint64_t> g_streamResultsFrom{0};
std::atomic<uint64_t> g_allocations{0};
std::atomic<uint64_t> g_plainTables{0};
std::atomic<uint64_t> g_vectorTables{0};

}  // namespace

Switches CurrentSwitches()
{
    Switches switches;
    switches.vectorRows = g_vectorRows.load();
    switches.avx2 = g_avx2.load();
    switches.ssse3 = g_ssse3.load();
    switches.failAllocationAt = g_failAllocationAt.load();
    switches.streamResultsFrom = g_streamResultsFrom.load();
    return switches;
}

void SetSwitches(const Switches& switches)
{
    g_allocations.store(0);
    g_plainTables.store(0);
    g_vectorTables.store(0);
    g_vectorRows.store(switches.vectorRows);
    g_avx2.store(switches.avx2);
    g_ssse3.store(switches.ssse3);
    g_failAllocationAt.store(switches.failAllocationAt);
    g_streamResultsFrom.store(switches.streamResultsFrom);
}

uint64_t AllocationCount()
{
    return g_allocations.load();
}

RowTablesChosen RowTablesChosenCount()
{
    RowTablesChosen chosen;
    chosen.plain = g_plainTables.load();
    chosen.vector = g_vectorTables.load();
    return chosen;
}

bool CountAllocation()
{
    const uint64_t allocation = g_allocations.fetch_add(1) + 1;
    const uint64_t failAt = g_failAllocationAt.load();
    return failAt != 0 && allocation == failAt;
}

void NoteRowTableChosen(bool plain)
{
    (plain ? g_plainTables : g_vectorTables).fetch_add(1, std::memory_order_relaxed);
}

}  // namespace test
}  // namespace velmoro
