// SPDX-License-Identifier: MIT
// The rows a benchmark runs: the plain rows, or the vector rows below AVX2 or at
// AVX2. Only a build with the test switches can ask for rows narrower than the
// processor's widest; without them, benchmarks that need that are not registered.
#ifndef VELMORO_BENCH_BENCH_SWITCHES_H
#define VELMORO_BENCH_BENCH_SWITCHES_H

#include <velmoro/internal/test_switches.h>

namespace velmoro_bench {

enum class Variant { Plain, Sse2, Avx2 };

inline const char* VariantName(Variant variant)
{
    return variant == Variant::Plain ? "plain" : variant == Variant::Sse2 ? "sse2" : "avx2";
}

// Plain for a member with a twin means the flag off; the rows stay the widest.
// For a member without a twin it means the plain rows, which only the switches reach.
inline bool VariantAvailable(Variant variant, bool hasTwin)
{
#if defined(VELMORO_TEST_SWITCHES)
    (void)variant;
    (void)hasTwin;
    return true;
#else
    return variant == Variant::Avx2 || (variant == Variant::Plain && hasTwin);
#endif
}

// Narrows the library's rows for the lifetime of the object. A twin's Plain
// variant leaves the rows alone: the flag chooses the plain rows.
class RowsScope {
public:
    RowsScope(Variant variant, bool hasTwin)
#if defined(VELMORO_TEST_SWITCHES)
        : m_switches(SwitchesFor(variant, hasTwin))
#endif
    {
        (void)variant;
        (void)hasTwin;
    }

private:
#if defined(VELMORO_TEST_SWITCHES)
    static velmoro::test::Switches SwitchesFor(Variant variant, bool hasTwin)
    {
        velmoro::test::Switches switches;
        switches.vectorRows = hasTwin || variant != Variant::Plain;
        switches.avx2 = variant != Variant::Sse2;
        return switches;
    }

    velmoro::test::ScopedSwitches m_switches;
#endif
};

}  // namespace velmoro_bench

#endif
