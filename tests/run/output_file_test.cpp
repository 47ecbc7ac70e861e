// Output files appear whole or not at all; numbered names.
#include <gtest/gtest.h>

#include <filesystem>

#include "run/output_file.h"
#include "tests/support/control_text.h"
#include "tests/support/grid_engine.h"

namespace {

namespace fs = std::filesystem;

TEST(OutputFile, ATargetChangesOnlyWhenTheNewFileIsComplete) {
    InProjectDir here;
    WriteHere("result", "old");
    {
        OutputFile out("result");
        ASSERT_TRUE(out);
        std::fputs("new", out.get());
        EXPECT_EQ(ReadHere("result"), "old");  // a run that dies here keeps the old file
    }
    EXPECT_EQ(ReadHere("result"), "old");
    {
        OutputFile out("result");
        std::fputs("new", out.get());
        EXPECT_TRUE(out.commit());
    }
    EXPECT_EQ(ReadHere("result"), "new");
    EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 1);
}

TEST(OutputFile, NumberedNames) {
    InProjectDir here;
    EXPECT_EQ(NumberedName("result.", 3, 4, ""), "result.0003");
    EXPECT_EQ(NumberedName("tec2_", 12, 5, ".dat"), "tec2_00012.dat");
    EXPECT_EQ(NumberedName("unstruc.", 12, 0, ""), "unstruc.12");
    WriteHere("pav2_0.vtk", "");
    WriteHere("pav2_1.vtk", "");
    EXPECT_EQ(FirstFreeNumberedName("pav2_", 0, ".vtk", 5), "pav2_2.vtk");
    EXPECT_EQ(FirstFreeNumberedName("pav2_", 0, ".vtk", 1), "");
}

}  // namespace
