// Node levels from the pressure field: the pressure head relative to the
// reference, the relaxation, the Froude and slope limits, two references,
// the time trends of F 143, and the level difference of two top cells.
#include <cmath>
#include <cstdint>

#include "surface/pressure_levels.h"
#include "tests/surface/surface_case.h"

namespace {

class PressureLevels : public SurfaceCase {
protected:
    // One reference at the present surface (1 m) and pressure p0.
    void Reference(double p0 = 100.0) {
        ZRef = 1.0;
        PresRef = p0;
        SurfaceRelaxation = 1.0;
        SetTopPressures(p0);
    }
};

TEST_F(PressureLevels, PressureExcessLiftsEveryWetNodeByItsHead) {
    Reference();
    SetTopPressures(100.0 + 9810.0);
    SolveSurfaceFromPressure();
    for (int i = 1; i <= 5; ++i) {
        for (int j = 1; j <= 4; ++j) {
            EXPECT_NEAR(Node(i, j), 2.000002, 1e-6) << i << " " << j;
            EXPECT_EQ(NewNode(i, j), Node(i, j));
        }
    }
    // The nodes beyond the channel's end have no wet column.
    EXPECT_EQ(Node(0, 2), 0.0);
}

TEST_F(PressureLevels, RelaxationAndReferenceLevelScaleTheMove) {
    Reference();
    SurfaceRelaxation = 0.1;
    ZRef = 1.5;  // the surface stands 0.5 m below the reference
    SolveSurfaceFromPressure();
    EXPECT_NEAR(Node(3, 2), 1.05, 1e-12);
}

TEST_F(PressureLevels, FroudeLimitOnlyRaises) {
    struct Row {
        double excess;  // Pa above the reference
        double speed;   // m/s in every cell
        double expected;
    };
    // Depth 1 m; at Fr 0.8 a speed of 4 m/s needs 16/(0.64 * 9.81) = 2.548 m.
    const double needed = 16.0 / (0.64 * 9.81);
    const Row rows[] = {
        {0.0, 0.5, 1.0},              // subcritical: no change
        {0.0, 4.0, needed},           // raised to the limiting depth
        {4.0 * 9810.0, 4.0, 1.0 + 4.0 * 9810.0 * 0.000101937},  // already above it: kept
        {-0.5 * 9810.0, 0.5, 1.0 - 0.5 * 9810.0 * 0.000101937},  // lowering at low speed is allowed
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.expected);
        SetUp();
        Reference();
        FroudeLimit = 0.8;
        SetTopPressures(100.0 + row.excess);
        for (int c = 1; c <= NoCells; ++c) Cu[c] = row.speed;
        SolveSurfaceFromPressure();
        EXPECT_NEAR(Node(3, 2), row.expected, 1e-9);
    }
}

TEST_F(PressureLevels, SlopeLimitKeepsANodeBetweenCrossedWindows) {
    Reference();
    MaxLevelSlope = 0.01;
    // Node (3, 2) between neighbours 1 m apart that differ by 1 m: no level
    // lies within 0.01 m of both, so it keeps its own.
    Node(2, 2) = NewNode(2, 2) = 1.0;
    Node(4, 2) = NewNode(4, 2) = 2.0;
    Node(3, 2) = NewNode(3, 2) = 1.5;
    SolveSurfaceFromPressure();
    EXPECT_EQ(Node(3, 2), 1.5);
}

TEST_F(PressureLevels, SlopeLimitUsesNeighboursMovedEarlier) {
    Reference();
    MaxLevelSlope = 0.05;
    // Every node asks for 1 m more; the nodes are 1 m apart along the
    // channel and 0.5 m across it. Node line i = 1 is swept first, j
    // upwards: (1, 1) is held by its unmoved north neighbour to 0.025 m,
    // (1, 3) likewise, and (1, 4), with no north neighbour, by (1, 3) as it
    // stands after its move: 0.05 m (0.025 m if it read the old level).
    SetTopPressures(100.0 + 9810.0);
    SolveSurfaceFromPressure();
    EXPECT_NEAR(Node(1, 1), 1.025, 1e-9);
    EXPECT_NEAR(Node(1, 3), 1.025, 1e-9);
    EXPECT_NEAR(Node(1, 4), 1.05, 1e-9);
}

TEST_F(PressureLevels, TwoReferencesWeighByDistance) {
    Reference();
    ReferenceCell2 = 1;
    iPres = 2;
    jPres = 3;
    iPres2 = 5;
    jPres2 = 3;
    ZRef2 = 1.1;
    PresRef2 = 100.0;
    SolveSurfaceFromPressure();
    const auto expected = [](int i, int j) {
        const int r1 = Bottom(2, 3), r2 = Bottom(5, 3);
        const double d1 = std::hypot(Cxcenter[r1] - Gridx[i][j], Cycenter[r1] - Gridy[i][j]);
        const double d2 = std::hypot(Cxcenter[r2] - Gridx[i][j], Cycenter[r2] - Gridy[i][j]);
        return 1.0 + 0.1 * d1 / (d1 + d2);
    };
    EXPECT_NEAR(Node(5, 2), expected(5, 2), 1e-12);
    EXPECT_NEAR(Node(1, 2), expected(1, 2), 1e-12);
    // The east end lies nearer the second reference and follows it more.
    EXPECT_GT(Node(5, 2) - 1.0, 0.08);
    EXPECT_LT(Node(1, 2) - 1.0, 0.02);
}

// The least-squares trend of a linear series is the series at the current
// sample, its mean the mean; 200 000 samples overflow Sx^2 in 64 bits.
TEST_F(PressureLevels, TrendSumsGiveTheCurrentValueOrTheMean) {
    AllocateTrendSums();
    struct Row {
        int option;
        std::int64_t samples;
    };
    for (const Row row : {Row{1, 20}, Row{1, 200000}, Row{2, 20}, Row{2, 200000}}) {
        SCOPED_TRACE(row.samples);
        const double n = static_cast<double>(row.samples);
        const double a = 500.0, b = 0.25;  // p = a + b * sample
        const double sx = n * (n + 1.0) / 2.0;
        const double sxx = n * (n + 1.0) * (2.0 * n + 1.0) / 6.0;
        GridTrendN[3][3] = row.samples;
        GridTrendSumX[3][3] = static_cast<std::int64_t>(sx);
        GridTrendSumXX[3][3] = static_cast<std::int64_t>(sxx);
        GridTrendSumY[3][3] = a * n + b * sx;
        GridTrendSumXY[3][3] = a * sx + b * sxx;
        GridTrendN[4][3] = 1;  // a single sample is left as it is
        GridTrendSumY[4][3] = 77.0;
        TimeAverageCounter = static_cast<int>(row.samples);
        TimeAveragingOption = row.option;
        TurnTrendSumsIntoValues();
        const double expected = row.option == 1 ? a + b * n : a + b * (n + 1.0) / 2.0;
        EXPECT_NEAR(GridTrendSumY[3][3], expected, 1e-6 * expected);
        EXPECT_EQ(GridTrendSumY[4][3], 77.0);
    }
}

TEST_F(PressureLevels, LevelDifferenceOfTwoTopCells) {
    const int a = Top(2, 3), b = Top(3, 3);
    SurfaceSlopeLimit = 0.1;
    struct Row {
        double pb;  // pressure of b, a at 0
        double lift;  // level of b above a
        double expected;
    };
    const Row rows[] = {
        {0.0, 0.0, 0.0},
        {9.81, 0.0, 0.001},             // 1 mm of head over 1 m
        {1e9, 0.0, 0.1},                // the slope limit
        {-1e9, 0.02, -0.1 - 0.02},      // limited, less the present difference
    };
    for (const Row& row : rows) {
        Pres[a] = 0.0;
        Pres[b] = row.pb;
        const double saved = Ckdist[b];
        Ckdist[b] += row.lift;
        EXPECT_NEAR(LevelDifferenceFromPressure(1.0, a, b), row.expected, 1e-12) << row.pb;
        Ckdist[b] = saved;
    }
}

}  // namespace
