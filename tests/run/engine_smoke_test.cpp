#include <gtest/gtest.h>

#include "tests/support/project_dir.h"

TEST(EngineSmoke, EmptyDirectoryCreatesControlAndEndsNormally) {
    ProjectDir dir;
    EngineRun r = dir.run();
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(dir.read("control"), "no values given\n");
    ASSERT_GE(r.boogie.size(), 3u);
    EXPECT_EQ(r.boogie[0], "RIVAX 2 2013 output file.");
    EXPECT_EQ(r.boogie[1], "In kread ");
    EXPECT_EQ(r.boogie[2], "");
    EXPECT_TRUE(HasLine(r.boogie, "TurbulenceModel = 0 (F 24)"));
}
