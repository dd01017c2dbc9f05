// SPDX-License-Identifier: MIT
// Which rows the operations run. A member with a twin runs the plain rows when
// the public flag is off and the vector rows when it is on; a member without a
// twin runs the vector rows whatever the flag says. And the guard that sets the
// test switches puts back what it found.
#include <velmoro/dib_edit.h>
#include <velmoro/internal/test_switches.h>

#include "support/test_images.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#if defined(VELMORO_TEST_SWITCHES)

using velmoro::test::RowTablesChosen;
using velmoro::test::RowTablesChosenCount;
using velmoro::test::ScopedSwitches;
using velmoro::test::Switches;
using velmoro_test::ImageSpec;
using velmoro_test::SimdScope;
using velmoro_test::TestImage;

namespace {

struct Operation {
    std::string name;
    std::function<DWORD()> run;
};

// The row tables one run of the operation took, under the given flag and switches.
RowTablesChosen TablesTaken(const Operation& operation, bool flag, const Switches& switches = Switches{})
{
    SimdScope simd(flag);
    ScopedSwitches scope(switches);  // also restarts the counts
    EXPECT_EQ(operation.run(), DIB_OK) << operation.name;
    return RowTablesChosenCount();
}

// A vector table exists for every family on x86 processors; on 64-bit ARM for
// the conversions, the colour keys and the blends, not for the flips and the filter.
bool HasVectorRows([[maybe_unused]] const std::string& operation)
{
#if defined(__x86_64__) || defined(__i386__)
    return true;
#elif defined(__aarch64__)
    return operation.find("mirror") == std::string::npos && operation != "flip rows" && operation != "filter";
#else
    return false;
#endif
}

class RowTables : public ::testing::Test {
protected:
    TestImage m_indexed{ImageSpec{37, 5, 8}, 1};
    TestImage m_indexedOverlay{ImageSpec{37, 5, 8}, 2};
    TestImage m_words{ImageSpec{37, 5, 16, BI_BITFIELDS}, 3};
    TestImage m_wordsOverlay{ImageSpec{37, 5, 16, BI_BITFIELDS}, 4};
    TestImage m_pixels{ImageSpec{37, 5, 24}, 5};
    TestImage m_pixelsOverlay{ImageSpec{37, 5, 24}, 6};
    TestImage m_result{ImageSpec{37, 5, 24}, 8};

    // Every member with a twin, through its public operation.
    std::vector<Operation> Twins()
    {
        return {
            {"8 to 24 bits", [this] { return TestImage(m_indexed).ConvertTo24BitPerPixel(); }},
            {"8 to 16 bits", [this] { return TestImage(m_indexed).ConvertTo16BitPerPixel(DIB_FORMAT_565); }},
            {"16 to 24 bits", [this] { return TestImage(m_words).ConvertTo24BitPerPixel(); }},
            {"16 to 16 bits", [this] { return TestImage(m_words).ConvertTo16BitPerPixel(DIB_FORMAT_555); }},
            {"24 to 16 bits", [this] { return TestImage(m_pixels).ConvertTo16BitPerPixel(DIB_FORMAT_565); }},
            {"combine 8 bits", [this] { return m_indexed.CombineDib(m_indexedOverlay, 0, nullptr, nullptr, 1); }},
            {"combine 16 bits", [this] { return m_words.CombineDib(m_wordsOverlay, 0, nullptr, nullptr, 1); }},
            {"combine 24 bits", [this] { return m_pixels.CombineDib(m_pixelsOverlay, 0, nullptr, nullptr, 1); }},
            {"combine into a new block",
             [this] { return m_result.CombineDib(m_pixels, m_pixelsOverlay, 0, nullptr, nullptr, 1); }},
            {"direct blend 24 bits", [this] {
                 TestImage target(ImageSpec{37, 5, 24}, 7);
                 return target.AlphaBlendDirect(m_pixels, m_pixelsOverlay, 9);
             }},
        };
    }

    // Members without a twin.
    std::vector<Operation> Singles()
    {
        return {
            {"blend 16 bits", [this] { return m_words.AlphaBlend(m_wordsOverlay, 9); }},
            {"blend 24 bits", [this] { return m_pixels.AlphaBlend(m_pixelsOverlay, 9); }},
            {"direct blend 16 bits", [this] {
                 TestImage target(ImageSpec{37, 5, 16, BI_BITFIELDS}, 7);
                 return target.AlphaBlendDirect(m_words, m_wordsOverlay, 9);
             }},
            {"mirror 8 bits", [this] { return m_indexed.InvertDibHorz(); }},
            {"mirror 24 bits", [this] { return m_pixels.InvertDibHorz(); }},
            {"flip rows", [this] { return m_words.InvertDibVert(); }},
            {"filter", [this] {
                 int kernel[9] = {1, 2, 1, 2, 4, 2, 1, 2, 1};
                 return m_pixels.FilterDib(kernel, 16, 0);
             }},
        };
    }
};

TEST_F(RowTables, TwinsRunThePlainRowsWithTheFlagOffAndTheVectorRowsWithItOn)
{
    for (const Operation& operation : Twins()) {
        const RowTablesChosen off = TablesTaken(operation, false);
        EXPECT_GE(off.plain, 1u) << operation.name;
        EXPECT_EQ(off.vector, 0u) << operation.name;
        const RowTablesChosen on = TablesTaken(operation, true);
        if (HasVectorRows(operation.name)) {
            EXPECT_EQ(on.plain, 0u) << operation.name;
            EXPECT_GE(on.vector, 1u) << operation.name;
        }
    }
}

// Families without vector rows on this processor run the plain ones, also whatever the flag.
TEST_F(RowTables, MembersWithoutATwinRunTheVectorRowsWhateverTheFlag)
{
    for (const Operation& operation : Singles()) {
        const bool vector = HasVectorRows(operation.name);
        for (bool flag : {false, true}) {
            const RowTablesChosen taken = TablesTaken(operation, flag);
            EXPECT_EQ(taken.plain == 0u, vector) << operation.name << ", flag " << flag;
            EXPECT_EQ(taken.vector >= 1u, vector) << operation.name << ", flag " << flag;
        }
    }
}

TEST_F(RowTables, WithoutVectorRowsEveryMemberRunsThePlainRows)
{
    Switches plainOnly;
    plainOnly.vectorRows = false;
    std::vector<Operation> operations = Twins();
    for (Operation& single : Singles())
        operations.push_back(std::move(single));
    for (const Operation& operation : operations) {
        const RowTablesChosen taken = TablesTaken(operation, true, plainOnly);
        EXPECT_GE(taken.plain, 1u) << operation.name;
        EXPECT_EQ(taken.vector, 0u) << operation.name;
    }
}

TEST(ScopedSwitches, RestoreTheSwitchesTheyFoundAlsoWhenNested)
{
    const Switches original = velmoro::test::CurrentSwitches();
    {
        Switches narrow;
        narrow.avx2 = false;
        narrow.ssse3 = false;
        ScopedSwitches outer(narrow);
        {
            Switches plain;
            plain.vectorRows = false;
            plain.failAllocationAt = 5;
            ScopedSwitches inner(plain);
            EXPECT_FALSE(velmoro::test::CurrentSwitches().vectorRows);
            EXPECT_EQ(velmoro::test::CurrentSwitches().failAllocationAt, 5u);
        }
        const Switches restored = velmoro::test::CurrentSwitches();
        EXPECT_TRUE(restored.vectorRows);
        EXPECT_FALSE(restored.avx2);
        EXPECT_FALSE(restored.ssse3);
        EXPECT_EQ(restored.failAllocationAt, 0u);
    }
    const Switches after = velmoro::test::CurrentSwitches();
    EXPECT_EQ(after.vectorRows, original.vectorRows);
    EXPECT_EQ(after.avx2, original.avx2);
    EXPECT_EQ(after.ssse3, original.ssse3);
    EXPECT_EQ(after.failAllocationAt, original.failAllocationAt);
}

// A failing allocation is counted from the guard's start and ends with it.
TEST(ScopedSwitches, FailTheCountedAllocationOnlyWhileTheyLive)
{
    TestImage image(ImageSpec{4, 4, 24}, 8);
    {
        Switches failing;
        failing.failAllocationAt = 2;
        ScopedSwitches scope(failing);
        EXPECT_EQ(image.Create(3, 3, 24, 0, 0), DIB_ERR_NO_MEMORY);  // the pixel block
        EXPECT_EQ(velmoro::test::AllocationCount(), 2u);
        EXPECT_EQ(image.GetWidth(), 4);
    }
    EXPECT_EQ(image.Create(3, 3, 24, 0, 0), DIB_OK);
    EXPECT_EQ(image.GetWidth(), 3);
}

}  // namespace

#endif  // VELMORO_TEST_SWITCHES
