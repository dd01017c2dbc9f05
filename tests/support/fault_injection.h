// SPDX-License-Identifier: MIT
// Makes the library's Nth allocation fail, to walk every failure path of an
// operation. Only in builds with the test switches; the tests that use it are
// compiled only there.
#ifndef VELMORO_TESTS_SUPPORT_FAULT_INJECTION_H
#define VELMORO_TESTS_SUPPORT_FAULT_INJECTION_H

#include <velmoro/internal/test_switches.h>

#if defined(VELMORO_TEST_SWITCHES)

#include <cstdint>
#include <functional>

namespace velmoro_test {

inline velmoro::test::Switches FailingAt(uint64_t failAt)
{
    velmoro::test::Switches switches = velmoro::test::CurrentSwitches();
    switches.failAllocationAt = failAt;
    return switches;
}

// The failAt-th allocation from its construction on fails, while it lives.
class AllocationFailure {
public:
    explicit AllocationFailure(uint64_t failAt) : m_switches(FailingAt(failAt)) {}

private:
    velmoro::test::ScopedSwitches m_switches;
};

// Runs `attempt` with the 1st, 2nd, 3rd ... allocation failing until it succeeds;
// `attempt` checks its own result and state each time. Returns the number of
// failing runs (the allocations the operation makes).
inline int ForEachAllocationFailure(const std::function<bool(int failAt)>& attempt)
{
    for (int failAt = 1; failAt < 1000; ++failAt) {
        bool succeeded = false;
        {
            AllocationFailure failure(static_cast<uint64_t>(failAt));
            succeeded = attempt(failAt);
        }
        if (succeeded)
            return failAt - 1;
    }
    return -1;
}

}  // namespace velmoro_test

#endif  // VELMORO_TEST_SWITCHES

#endif
