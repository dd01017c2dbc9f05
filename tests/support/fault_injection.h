// SPDX-License-Identifier: MIT
// Makes the library's Nth allocation fail, to walk every failure path of an operation.
#ifndef VELMORO_TESTS_SUPPORT_FAULT_INJECTION_H
#define VELMORO_TESTS_SUPPORT_FAULT_INJECTION_H

#include <cstdint>
#include <functional>

extern "C" void velmoro_test_fail_allocation_at(uint64_t n);
extern "C" uint64_t velmoro_test_allocation_count();

namespace velmoro_test {

// Runs `attempt` with the 1st, 2nd, 3rd ... allocation failing until it succeeds;
// `attempt` checks its own result and state each time. Returns the number of
// failing runs (the allocations the operation makes).
inline int ForEachAllocationFailure(const std::function<bool(int failAt)>& attempt)
{
    for (int failAt = 1; failAt < 1000; ++failAt) {
        velmoro_test_fail_allocation_at(static_cast<uint64_t>(failAt));
        const bool succeeded = attempt(failAt);
        velmoro_test_fail_allocation_at(0);
        if (succeeded)
            return failAt - 1;
    }
    return -1;
}

}  // namespace velmoro_test

#endif
