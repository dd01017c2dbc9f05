// Every allocation an operation makes may fail: the operation then reports
// DIB_ERR_NO_MEMORY and leaves every image it touches exactly as it was.
#include <velmoro/dib.h>
#include <velmoro/platform/file.h>

#include "support/fault_injection.h"
#include "support/test_files.h"
#include "support/test_images.h"

#include <gtest/gtest.h>

using namespace velmoro_test;

namespace {

std::vector<BYTE> BmpBytes(const ImageSpec& spec)
{
    TestImage image(spec, 21);
    CMemFile file;
    image.WriteBmp(file, 0);
    return FileBytes(file);
}

TEST(AllocationFailure, LoadKeepsTheOldImage)
{
    const std::vector<BYTE> bytes = BmpBytes(ImageSpec{9, 5, 8, BI_RGB, 40});
    TestImage image(ImageSpec{3, 3, 24}, 2);
    const int failures = ForEachAllocationFailure([&](int failAt) {
        ImageSnapshot before(image);
        BytesFile file(bytes);
        const DWORD code = image.Load(file, 0);
        if (code == DIB_OK)
            return true;
        EXPECT_EQ(code, DIB_ERR_NO_MEMORY) << failAt;
        EXPECT_TRUE(before.Matches(image)) << failAt;
        return false;
    });
    EXPECT_EQ(failures, 2);  // info block, pixel block
    EXPECT_EQ(image.GetWidth(), 9);
}

TEST(AllocationFailure, CopyDibAndAssignmentKeepTheTarget)
{
    TestImage source(ImageSpec{7, 4, 16, BI_BITFIELDS}, 5);
    TestImage target(ImageSpec{2, 2, 8}, 6);
    EXPECT_EQ(ForEachAllocationFailure([&](int failAt) {
                  ImageSnapshot before(target);
                  const DWORD code = target.CopyDib(source);
                  if (code == DIB_OK)
                      return true;
                  EXPECT_EQ(code, DIB_ERR_NO_MEMORY) << failAt;
                  EXPECT_TRUE(before.Matches(target)) << failAt;
                  return false;
              }),
              2);

    TestImage assigned(ImageSpec{2, 2, 8}, 6);
    ImageSnapshot before(assigned);
    velmoro_test_fail_allocation_at(1);
    assigned = source;  // cannot report: keeps its picture
    velmoro_test_fail_allocation_at(0);
    EXPECT_TRUE(before.Matches(assigned));
}

}  // namespace
