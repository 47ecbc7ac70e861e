// The small services of the surface updates: depths and Froude numbers of
// the columns, smoothing of the node levels, the coefficient check, the
// per-column level correction and the water volume.
#include <cmath>

#include "tests/surface/surface_case.h"

namespace {

class ColumnLevels : public SurfaceCase {};

TEST_F(ColumnLevels, FroudeNumberOfTheDepthWeightedSpeed) {
    ASSERT_TRUE(Bpressure.allocate(Bfroude.size()));
    SurfaceVariant = 6;
    const int b = pointbed[3][3];
    // One cell of half height 0.5 at 1 m/s.
    const int single = Bcellt[pointbed[2][2]];
    Ccellt[single] = 0;
    Ckdist[single] = 0.5;
    Cu[single] = 1.0;
    Pres[single] = 300.0;
    // Three equal cells at 1, 2 and 2 m/s (v and u count alike).
    const double speeds[] = {1.0, 2.0, 2.0};
    int n = 0;
    for (int c = Bcellt[b]; c > 0; c = Ccellt[c], ++n) {
        Cv[c] = speeds[n];
        Pres[c] = 100.0 * (n + 1);
    }
    const int dry = pointbed[4][4];
    Bcellt[dry] = 0;
    Bdepth[dry] = Bfroude[dry] = Bpressure[dry] = 9.0;
    ComputeFroudeNumbers(1, NoBedCells);

    const int one = pointbed[2][2];
    EXPECT_NEAR(Bdepth[one], 1.0, 1e-12);
    EXPECT_NEAR(Bfroude[one], 0.3193, 5e-5);
    EXPECT_DOUBLE_EQ(Bpressure[one], 300.0);
    EXPECT_NEAR(Bdepth[b], 1.0, 1e-12);
    EXPECT_NEAR(Bfroude[b], std::sqrt(3.0) / std::sqrt(9.81), 1e-6);
    EXPECT_NEAR(Bpressure[b], 200.0, 1e-12);
    EXPECT_EQ(Bdepth[dry], 0.0);
    EXPECT_EQ(Bfroude[dry], 0.0);
    EXPECT_EQ(Bpressure[dry], 0.0);
    // Water at rest.
    EXPECT_EQ(Bfroude[pointbed[5][2]], 0.0);
}

TEST_F(ColumnLevels, CriticalEnergyLevelIsRelaxedAfterTheFirstIteration) {
    ASSERT_TRUE(Benergy.allocate(Bfroude.size()));
    CriticalLevelFlag = 1;
    CriticalFroude = 1.0;
    FreeSurfaceOption = 9;
    const int b = pointbed[3][3];
    for (int c = Bcellt[b]; c > 0; c = Ccellt[c]) Cu[c] = std::sqrt(9.81);  // hc = 1 m
    Iter = 1;
    ComputeFroudeNumbers(b, b);
    EXPECT_NEAR(Benergy[b], 1.0, 1e-12);  // bed at 0
    Benergy[b] = 3.0;
    Iter = 2;
    ComputeFroudeNumbers(b, b);
    EXPECT_NEAR(Benergy[b], 0.9 * 3.0 + 0.1 * 1.0, 1e-12);
    // Water at rest: the bed level.
    for (int c = Bcellt[b]; c > 0; c = Ccellt[c]) Cu[c] = 0.0;
    Iter = 1;
    ComputeFroudeNumbers(b, b);
    EXPECT_NEAR(Benergy[b], 0.0, 1e-12);
}

struct SmoothRow {
    int option;
    int i, j;        // the node raised by 1 m above a flat 1 m surface
    bool smoothed;   // it is brought (near) to the mean of its neighbours
};

// A smoothed spike comes down to its neighbours' mean, some of which have
// taken a share of it earlier in the sweep; an untouched one stays.
void ExpectSpike(double level, bool smoothed) {
    if (smoothed) {
        EXPECT_LT(level, 1.3);
    } else {
        EXPECT_EQ(level, 2.0);
    }
}

// Nodes i = 1..5, j = 1..4; the block's columns are i = 2..5, j = 2..4.
TEST_F(ColumnLevels, SmoothingTreatsTheNodesOfItsOption) {
    const SmoothRow rows[] = {
        {1, 3, 2, true},  {2, 3, 2, true},  {3, 3, 2, true},  {4, 3, 2, true},  {5, 3, 2, false},
        {1, 3, 1, true},  {2, 3, 1, true},  {3, 3, 1, false}, {4, 3, 1, true},  {5, 3, 1, false},
        {1, 1, 2, false}, {2, 1, 2, true},  {3, 1, 2, false}, {4, 1, 2, true},  {5, 1, 2, false},
    };
    for (const SmoothRow& row : rows) {
        SCOPED_TRACE(testing::Message() << "F 154 " << row.option << " node " << row.i << " " << row.j);
        SetUp();
        SurfaceSmoothingOption = row.option;
        SurfaceSmoothingValue = 1.0;
        Node(row.i, row.j) = NewNode(row.i, row.j) = 2.0;
        SmoothWaterSurface();
        ExpectSpike(Node(row.i, row.j), row.smoothed);
        EXPECT_EQ(NewNode(row.i, row.j), Node(row.i, row.j));
    }
}

TEST_F(ColumnLevels, WetOptionsLeaveNodesAtDryColumns) {
    Gridz[4][2][0] = 0.0;
    for (int option : {1, 3, 4}) {
        SCOPED_TRACE(option);
        SurfaceSmoothingOption = option;
        SurfaceSmoothingValue = 1.0;
        Node(3, 2) = NewNode(3, 2) = 2.0;
        Node(4, 1) = NewNode(4, 1) = 2.0;
        SmoothWaterSurface();
        ExpectSpike(Node(3, 2), option == 1);
        ExpectSpike(Node(4, 1), option == 1);
    }
}

TEST_F(ColumnLevels, SmoothingReadsNodesSmoothedEarlierInTheSweep) {
    SurfaceSmoothingOption = 1;
    SurfaceSmoothingValue = 0.5;
    Node(3, 2) = 2.0;
    SmoothWaterSurface();
    // (2, 2) comes first and takes a quarter of the spike's half:
    // 1.125; (3, 2) then reads it: 0.5 * 2 + 0.5 * 0.25 * (1.125 + 3) (with
    // the old level of (2, 2) it would be 1.5).
    EXPECT_NEAR(Node(2, 2), 1.125, 1e-12);
    EXPECT_NEAR(Node(3, 2), 1.515625, 1e-12);
    // A weight of 0 changes nothing.
    SurfaceSmoothingValue = 0.0;
    SmoothWaterSurface();
    EXPECT_NEAR(Node(3, 2), 1.515625, 1e-12);
}

TEST_F(ColumnLevels, StrangeCoefficientsAreReported) {
    FreeSurfaceOption = 9;
    for (int c = 0; c <= NoCells; ++c) {
        Cap[c] = 1.0;
        Cae[c] = Caw[c] = Cas[c] = Can[c] = Cf[c] = Csource[c] = 0.0;
    }
    const int quiet = Bottom(2, 2), loud = Bottom(3, 3), negative = Bottom(4, 3);
    Cap[quiet] = 1e-6;  // small, but its value is exactly 0
    Cap[loud] = 1e-6;
    Cf[loud] = 0.5;
    Cae[negative] = -1.0;
    Cf[negative] = 0.25;
    Cf[Bottom(5, 3) + 1] = 5000.0;  // not a bed cell
    EngineCall call = CallEngine([] {
        CheckSurfaceCoefficients();
        return 0;
    });
    char line[200];
    std::snprintf(line, sizeof line, "Warning, strange values in surface algorithm, F 36 9, cell %d\n", loud);
    EXPECT_NE(call.log.find(std::string(line) +
                            "Cap, Cae, Caw, Cas, Can, Cf, Csource = 0.000001 0.000000 0.000000 0.000000 0.000000 "
                            "0.500000 0.000000\nFroude no.: 0.000000\n"),
              std::string::npos)
        << call.log;
    std::snprintf(line, sizeof line, "cell %d\n", negative);
    EXPECT_NE(call.log.find(line), std::string::npos);
    std::snprintf(line, sizeof line, "cell %d\n", quiet);
    EXPECT_EQ(call.log.find(line), std::string::npos);
    EXPECT_EQ(call.log.find("5000.000000"), std::string::npos);
}

TEST_F(ColumnLevels, LevelCorrectionGoesHalfwayWithOptionFour) {
    ASSERT_TRUE(Blevelcorr.allocate(Bfroude.size()));
    const int c = Bottom(3, 3), b = pointbed[3][3];
    Cf[c] = 0.4;
    F271Option = 3;
    CopyLevelToColumns();
    EXPECT_DOUBLE_EQ(Blevelcorr[b], 0.4);
    Cf[c] = 0.0;
    F271Option = 4;
    CopyLevelToColumns();
    CopyLevelToColumns();
    EXPECT_DOUBLE_EQ(Blevelcorr[b], 0.1);
    F271Option = 1;
    Cf[c] = 7.0;
    CopyLevelToColumns();
    EXPECT_DOUBLE_EQ(Blevelcorr[b], 0.1);
}

TEST_F(ColumnLevels, WaterVolumeOfTheSurfaceBlocks) {
    EXPECT_NEAR(SumWaterVolume(), 4.0 * 1.5 * 1.0, 1e-9);
    Gridz[3][3][0] = 0.0;
    EXPECT_NEAR(SumWaterVolume(), 6.0 - 0.5, 1e-9);
    G26BlockValues[1] = 0;
    EXPECT_EQ(SumWaterVolume(), 0.0);
}

}  // namespace
