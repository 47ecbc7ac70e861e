// Numbered and partition names of the result files.
#include <gtest/gtest.h>

#include "output/output_names.h"
#include "run/globals.h"
#include "tests/support/control_text.h"
#include "tests/support/grid_engine.h"

namespace {

TEST(OutputNames, EveryNumberTakenWritesOverTheLast) {
    InProjectDir here;
    WriteHere("boogie", "");
    for (const char* name : {"bedres.0000", "bedres.0001", "bedres.0002"}) WriteHere(name, "");
    EXPECT_EQ(NextNumberedName("bedres.", 4, "", 3), "bedres.0003");
    WriteHere("bedres.0003", "");
    EXPECT_EQ(NextNumberedName("bedres.", 4, "", 3), "bedres.0003");
    EXPECT_EQ(ReadHere("boogie"), "Warning: every number up to 3 is taken; writing over 'bedres.0003'\n");
}

TEST(OutputNames, PartitionAndNumberingSwitches) {
    ResetGlobals();
    EXPECT_FALSE(NumberedOutputOn());
    EXPECT_EQ(PartitionName("result"), "result");
    ResultStartIteration = 10;
    MpiPart = 4;
    EXPECT_TRUE(NumberedOutputOn());
    EXPECT_EQ(PartitionName("bedres"), "bedres.mpi4");
    ResetGlobals();
}

}  // namespace
