#include <gtest/gtest.h>

#include <cstdint>

#include "run/arrays.h"

namespace {

TEST(Arrays, AllocateZeroFillsAndKeepsExisting) {
    Array3<double> a;
    EXPECT_FALSE(a.exists());
    ASSERT_TRUE(a.allocate(3, 4, 5));
    EXPECT_EQ(a[2][3][4], 0.0);
    a[2][3][4] = 7.0;
    a[0][1][2] = 1.0;
    EXPECT_EQ(a.data()[2 * 20 + 3 * 5 + 4], 7.0);
    EXPECT_EQ(a.data()[0 * 20 + 1 * 5 + 2], 1.0);
    ASSERT_TRUE(a.allocate(100, 100, 100));  // exists: nothing changes
    EXPECT_EQ(a.extent1(), 3u);
    EXPECT_EQ(a[2][3][4], 7.0);
}

TEST(Arrays, OverflowingSizeIsAFailure) {
    Array2<double> a;
    EXPECT_FALSE(a.allocate(SIZE_MAX / 2, 4));
    EXPECT_FALSE(a.exists());
    Array3<int> b;
    EXPECT_FALSE(b.allocate(1u << 30, 1u << 30, 1u << 30));
    EXPECT_FALSE(b.exists());
}

TEST(Arrays, GlobalArraysReleasedTogether) {
    static Array1<int> g{ArrayBase::kGlobal};
    ASSERT_TRUE(g.allocate(10));
    g[9] = 3;
    ArrayBase::ReleaseAllGlobals();
    EXPECT_FALSE(g.exists());
    ASSERT_TRUE(g.allocate(2));
    EXPECT_EQ(g[1], 0);
}

#if RIVAX_BOUNDS_CHECK
TEST(ArraysDeathTest, IndexOutsideIsCaught) {
    Array2<double> a;
    ASSERT_TRUE(a.allocate(2, 3));
    EXPECT_DEATH(a[1][3] = 1.0, "index 3 outside 0..2");
    EXPECT_DEATH(a[-1][0] = 1.0, "index -1 outside");
    Array1<int> none;
    EXPECT_DEATH(none[0] = 1, "outside");
}
#endif

}  // namespace
