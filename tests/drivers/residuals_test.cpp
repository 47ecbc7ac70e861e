#include <omp.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "drivers/residuals.h"
#include "run/region_fatal.h"
#include "tests/support/equation_fixture.h"

namespace {

using Residuals = EquationTest;

// Three columns of three cells (cell c holds the value c). Cell 1 has near,
// far and top terms; cell 4 faces cells 7 and 8 on a split east side and its
// west side contributes nothing when split; cell 7 is fixed (Cap exactly
// 1e15); every other cell satisfies its equation.
//   cell 1: 7-point r = 1*4 + 2*2 + 1 - 4*1 = 5; far terms + 0.5*7 + 1*3 -> 11.5,
//           in the split form too (Cap holds the top-top coefficient)
//   cell 4: 7-point r = 1*1 + 3*7 - 2*4 = 14; split r = 1*7 + 2*8 - 8 = 15
void BuildResidualFixture(bool far, bool split) {
    MakeBoxGrid(3, 1, 3, far);
    for (int c = 1; c <= 9; ++c) {
        Cf[c] = c;
        Cap[c] = 1.0;
        Csource[c] = c;
    }
    Cap[1] = 4.0;
    Csource[1] = 1.0;
    Cae[1] = 1.0;
    Cat[1] = 2.0;
    if (far) {
        Caee[1] = 0.5;
        Catt[1] = 1.0;
    }
    Cap[4] = 2.0;
    Csource[4] = 0.0;
    Caw[4] = 1.0;
    Cae[4] = 3.0;
    Cap[7] = 1e15;
    Csource[7] = 5.0;
    if (split) {
        AllocateSplitFaces(3);
        Cnocellse[4] = 2;
        CnbMultiE[4][0] = 7;
        CaMultiE[4][0] = 1.0;
        CaMultiE[4][1] = 2.0;
        CbMultiE[4][0] = CbMultiE[4][1] = 1.0;  // beyond cells 7 and 8 there is no cell
        Cnocellsw[4] = -1;
        SplitFaceFlag = 1;
    }
    ASSERT_TRUE(Cu_res.allocate(10));
    for (int c = 0; c <= 9; ++c) Cu_res[c] = 99.0;
    Equation = 1;
    ResidualScale[1] = 2.0;
}

struct ResidualCase {
    int scheme;        // K 6
    int splitFaces;    // F 137
    int cellResidual;  // F 153
    double sum;        // sum of |r| over the cells
    double res1, res4; // per-cell residuals of cells 1 and 4 (99: not written)
};

TEST_F(Residuals, TableOverSchemeSplitFacesAndCellResiduals) {
    const ResidualCase cases[] = {
        {0, 0, 0, 19.0, 99.0, 99.0},
        {1, 0, 0, 25.5, 99.0, 99.0},
        {0, 1, 0, 20.0, 99.0, 99.0},
        {1, 1, 0, 26.5, 99.0, 99.0},
        {0, 0, 1, 19.0, 1.25, 7.0},
        {1, 0, 1, 25.5, 2.875, 7.0},
        // The per-cell path sums the facing cells too (Cap holds them).
        {0, 1, 1, 20.0, 1.25, 7.5},
        {1, 1, 1, 26.5, 2.875, 7.5},
    };
    for (const ResidualCase& k : cases) {
        SCOPED_TRACE(testing::Message() << "K 6 " << k.scheme << ", F 137 " << k.splitFaces << ", F 153 "
                                        << k.cellResidual);
        ResetGlobals();
        BuildResidualFixture(k.scheme == 1, k.splitFaces > 0);
        ConvectionScheme[1] = k.scheme;
        CellResidualFlag = k.cellResidual;
        MaxResidual[1] = 0.0;
        ComputeResidual(1, 9);
        EXPECT_DOUBLE_EQ(MaxResidual[1], k.sum / 2.0);
        EXPECT_DOUBLE_EQ(Cu_res[1], k.res1);
        EXPECT_DOUBLE_EQ(Cu_res[4], k.res4);
        EXPECT_EQ(Cu_res[7], 99.0);  // fixed: skipped, slot kept
        EXPECT_DOUBLE_EQ(ComputeResidualRange(1, 3) + ComputeResidualRange(4, 9), k.sum / 2.0);
        EXPECT_EQ(ComputeResidualRange(5, 4), 0.0);
    }
    EXPECT_EQ(log(), "");
}

TEST_F(Residuals, LargeResidualsAreReportedWithoutCellResiduals) {
    BuildResidualFixture(false, false);
    CellResidualFlag = 0;
    ComputeResidual(1, 9);
    EXPECT_EQ(log(), "");  // the default factor puts the threshold far above

    LargeResidualFactor = 0.01;  // threshold 0.01
    ComputeResidual(1, 9);
    EXPECT_EQ(log(),
              "Large residual for f(1,1) : 5, value: 1.000000\n"
              "Large residual for f(4,1) : 14, value: 4.000000\n");
}

TEST_F(Residuals, FixedLimitReportsWhateverTheThreshold) {
    BuildResidualFixture(false, false);
    CellResidualFlag = 0;
    Csource[4] = 20000.0;  // r = 20014
    ComputeResidual(1, 9);
    EXPECT_EQ(log(), "Large residual for f(4,1) : 20014, value: 4.000000\n");
}

TEST_F(Residuals, DebugLetterEAddsTheCellDump) {
    BuildResidualFixture(false, false);
    CellResidualFlag = 0;
    LargeResidualFactor = 0.01;
    DebugOption = 'E';
    ASSERT_TRUE(Cu.allocate(10));
    Cu[1] = 0.5;
    Cu[4] = 0.25;
    ComputeResidual(1, 1);
    EXPECT_EQ(log(),
              "Large residual for f(1,1) : 5, value: 1.000000\n"
              "Source, ap, anb = 1 4 0 1 0 0 2 0\n"
              "Vol, Ckdist, areas: 0 0 0 0 0 0\n"
              "InvAp: 0 0 0 0 0 0 0\n"
              "Fluxes: 0 0 0 0 0 0\n"
              "X-velocities: 0.5 0 0.25 0 0 0 0\n"
              "Y-velocities: 0 0 0 0 0 0 0\n"
              "Z-velocities: 0 0 0 0 0 0 0\n"
              "kinen: 0 0 0 0 0 0 0\n"
              "epsilon: 0 0 0 0 0 0 0\n"
              "gamma: 0 0 0 0 0 0 0\n"
              "Pressure: 0 0 0 0 0 0 0\n"
              "TurbDensFlag: 0, TurbulenceModel 0, MinGamma 0.001, ArtEddyVisc 0\n"
              "Eps-data central: 0 0 0 0 0 0 0 0 0 0\n"
              "Eps-data west: 0 0 0 0 0 0 0 0 0 0\n"
              "Eps-data east: 0 0 0 0 0 0 0 0 0 0\n"
              "Eps-data north: 0 0 0 0 0 0 0 0 0 0\n"
              "Eps-data south: 0 0 0 0 0 0 0 0 0 0\n\n");
}

// The pressure correction counts the continuity defect of every cell, fixed
// or not, and measures it against the offset the mass-defect source leaves.
TEST_F(Residuals, ContinuityDefect) {
    MakeBoxGrid(4, 1, 1);
    ASSERT_TRUE(Cpres_res.allocate(5));
    Equation = 4;
    ResidualScale[4] = 10.0;
    const double defect[5] = {0.0, 3.0, -5.0, 4.0, 2.0};
    for (int c = 1; c <= 4; ++c) Csource[c] = defect[c];
    Cap[3] = 1e30;
    ContinuityResidualOffset = 20.0;  // above the sum of 14

    MaxResidual[4] = 0.0;
    ComputeResidual(1, 4);
    EXPECT_DOUBLE_EQ(MaxResidual[4], 0.6);  // |14 - 20| / 10, never negative
    EXPECT_EQ(Cpres_res[2], -5.0);
    EXPECT_EQ(Cpres_res[3], 4.0);

    CellResidualFlag = 0;
    MaxResidual[4] = 0.0;
    ComputeResidual(1, 4);
    EXPECT_DOUBLE_EQ(MaxResidual[4], 0.6);  // the offset counts on this path too

    // Chunks return their own sums; the offset is applied once to the total.
    const double total = ComputeResidualRange(1, 2) + ComputeResidualRange(3, 4);
    EXPECT_DOUBLE_EQ(total, 1.4);
    StoreResidualSum(total);
    EXPECT_DOUBLE_EQ(MaxResidual[4], 0.6);

    LargeResidualFactor = 10.0;  // threshold 10 * 10 / 4 = 25
    Csource[2] = -30.0;
    ComputeResidualRange(1, 4);
    EXPECT_EQ(log(), "Large residual for f(2,4) : 30, value: 0.000000\n");
}

TEST_F(Residuals, PressureCorrectionDumpHasFiveValueLines) {
    MakeBoxGrid(2, 1, 1);
    Equation = 4;
    ResidualScale[4] = 1.0;
    CellResidualFlag = 0;
    LargeResidualFactor = 0.01;
    DebugOption = 'E';
    Csource[1] = 50.0;
    ComputeResidual(1, 1);
    const std::string text = log();
    EXPECT_NE(text.find("InvAp: 0 0 0 0 0\nFluxes:"), std::string::npos) << text;
    EXPECT_NE(text.find("gamma: 0 0 0 0 0\nTurbDensFlag:"), std::string::npos) << text;
    EXPECT_EQ(text.find("Pressure:"), std::string::npos) << text;
}

void ResidualWithoutScale() {
    MakeBoxGrid(4, 1, 1);
    Equation = 2;
    ComputeResidual(5, 4);  // an empty range stops too
}

// Every chunk meets the missing scale; the master reports it once.
void ChunkResidualsWithoutScale() {
    MakeBoxGrid(8, 1, 1);
    Equation = 1;
#pragma omp parallel num_threads(4)
    {
        const int t = omp_get_thread_num();
        ComputeResidualRange(2 * t + 1, 2 * t + 2);
    }
    ReportRegionFatal();
}

TEST_F(Residuals, MissingScaleStopsTheRunWithAnError) {
    struct Case {
        void (*run)();
        const char* log;
    };
    const Case cases[] = {
        {ResidualWithoutScale,
         "Error, residual not set for Equation no. 2\n"
         "This error often occur when inflow discharges are not set.\n\n"},
        {ChunkResidualsWithoutScale,
         "Error residual not set\n"
         "This error often occurs when the inflow discharge is not set\n\n"},
    };
    for (const Case& k : cases) {
        ResetGlobals();
        ReadOutcome out = CaptureRunEnd(k.run);
        EXPECT_TRUE(out.ended);
        EXPECT_EQ(out.status, kResidualNotSetStatus);
        EXPECT_LT(out.status, 0);
        EXPECT_EQ(out.log, k.log);
        LogCreate();
    }
}

void ChunkReportsWithoutLog() {
    MakeBoxGrid(8, 1, 1);
    Equation = 1;
    ResidualScale[1] = 1.0;
    CellResidualFlag = 0;
    for (int c = 1; c <= 8; ++c) Csource[c] = 1e5;
    std::filesystem::remove("boogie");
    std::filesystem::create_directory("boogie");
#pragma omp parallel num_threads(2)
    ComputeResidualRange(4 * omp_get_thread_num() + 1, 4 * omp_get_thread_num() + 4);
    ReportRegionFatal();
}

TEST_F(Residuals, LogUnavailableInWorkerThreadsEndsTheRunAfterTheRegion) {
    ReadOutcome out = CaptureRunEnd(ChunkReportsWithoutLog);
    EXPECT_TRUE(out.ended);
    EXPECT_EQ(out.status, -3);
    EXPECT_STREQ(StatusText, "cannot open file 'boogie' ");
}

}  // namespace
