// WaterSolve: the outer iterations, the time steps, the schedules of one
// iteration and the momentum step, on the channel read inside the test
// process and end to end.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "drivers/flow_drivers.h"
#include "drivers/water_pass.h"
#include "flow/flow_services.h"
#include "grid/grid_services.h"
#include "run/globals.h"
#include "tests/drivers/water_solve_case.h"
#include "tests/grid/unstruc_case.h"
#include "tests/support/project_dir.h"

namespace {

class ChannelIterations : public WaterSolveCase, public ::testing::WithParamInterface<int> {};

TEST_P(ChannelIterations, FiveOuterIterationsStayFinite) {
    const int threads = GetParam();
    Start("K 1 5\n" + (threads > 0 ? "F 206 " + std::to_string(threads) + "\n" : std::string()));
    EngineCall call = Solve();
    ASSERT_FALSE(call.ended) << call.log;
    EXPECT_EQ(Iter, 5);
    EXPECT_EQ(OuterIterCount, 5);
    EXPECT_EQ(InnerIterSum, 10);  // one pass per iteration, counted as pass 2
    EXPECT_EQ(FirstCell, 1);
    EXPECT_EQ(LastCell, NoCells);
    for (const Array1<double>* a : {&Cu, &Cv, &Cw, &Pres, &CinvAp, &Cap, &Csource}) EXPECT_TRUE(Finite(*a));
    for (int eq = 1; eq <= 3; ++eq) EXPECT_TRUE(std::isfinite(MaxResidual[eq])) << eq;
    EXPECT_EQ(CoefficientsInitialisedFlag, 1);
    EXPECT_EQ(FlowInitialisedFlag, 1);
    EXPECT_EQ(WaterFlowActiveFlag, 0);
    EXPECT_STREQ(ModuleName, " DE-Voru             ");
    if (NoThreads > 0) {
        EXPECT_EQ(CellsPerChunk, NoCells / NoThreads);
        EXPECT_EQ(SurfacesPerChunk, NoSurfaces / NoThreads);
    }
}

INSTANTIATE_TEST_SUITE_P(Threads, ChannelIterations, ::testing::Values(0, 1, 4),
                         [](const ::testing::TestParamInfo<int>& i) { return "F206_" + std::to_string(i.param); });

// The central coefficients of the last equation assembled (W) and the
// inverse of U's, after one iteration with dead-end cells and triangular
// shoreline cells.
std::vector<double> AssembledCoefficients() {
    std::vector<double> values;
    for (int c = 1; c <= NoCells; ++c) {
        values.push_back(Cap[c]);
        values.push_back(CinvAp[c]);
    }
    return values;
}

TEST_F(WaterSolveCase, ThreadsDoNotChangeTheMomentumTerms) {
    std::vector<double> serial;
    for (const char* threads : {"", "F 206 2\n"}) {
        Start(std::string("K 1 1\nF 96 1\nF 235 11\n") + threads);
        for (int c = 1; c <= NoCells; ++c) {
            CdeadEndFlag[c] = c % 3 == 0 ? 1 : 0;
            Ctrekant[c] = c % 4 == 0 ? 1 : 0;
        }
        EngineCall call = Solve();
        ASSERT_FALSE(call.ended) << call.log;
        if (serial.empty()) {
            serial = AssembledCoefficients();
            continue;
        }
        const std::vector<double> parallel = AssembledCoefficients();
        ASSERT_EQ(parallel.size(), serial.size());
        for (size_t k = 0; k < serial.size(); ++k) EXPECT_DOUBLE_EQ(parallel[k], serial[k]) << k;
    }
}

TEST_F(WaterSolveCase, UnsteadyStepsAdvanceTheClockAndKeepOldValues) {
    Start("F 33 10 0\nF 335 25\nF 208 1\n");
    for (int c = 1; c <= NoCells; ++c) {
        Cu[c] = 0.01 * c;
        Cu_old[c] = 5.0;
    }
    EngineCall call = Solve();
    ASSERT_FALSE(call.ended) << call.log;
    // The end test follows the iteration: steps end at 10, 20 and 30 s.
    EXPECT_EQ(Iter, 3);
    EXPECT_DOUBLE_EQ(stime, 30.0);
    EXPECT_EQ(InnerIterSum, 3);  // no pass runs, and each counts as one
    for (int c = 1; c <= NoCells; ++c) {
        EXPECT_EQ(Cu_old[c], Cu[c]);
        EXPECT_EQ(Cu_old2[c], Cu[c]);  // the old level of the steps before
    }
}

TEST_F(WaterSolveCase, SecondCallKeepsTheRunningSums) {
    Start("K 1 2\n");
    ASSERT_FALSE(Solve().ended);
    ASSERT_FALSE(Solve().ended);
    EXPECT_EQ(OuterIterCount, 4);
    EXPECT_EQ(InnerIterSum, 8);
}

TEST_F(WaterSolveCase, RestoresTheClampedRelaxationAndFluxOptionAtTheEnd) {
    Start("K 1 1\nK 3 0 0.8 0.8 2.5 0.005 0.5\n");
    FluxInterpolationOption = 7;
    ASSERT_FALSE(Solve().ended);
    EXPECT_EQ(RelaxVelocity, 0.001);
    EXPECT_EQ(InvRelaxVelocity, 1000.0);
    EXPECT_EQ(RelaxPressure, 0.001);
    EXPECT_EQ(RelaxK, 0.01);
    EXPECT_EQ(RelaxEps, 0.5);
    EXPECT_EQ(FluxInterpolationOption, F113InitialValue);
}

TEST_F(WaterSolveCase, EmptyActiveRangeIsRefused) {
    Start("K 1 5\nG 25 1 0\n");
    EngineCall call = Solve();
    ASSERT_TRUE(call.ended);
    EXPECT_EQ(call.status, -1);
    EXPECT_NE(call.log.find("Error: the water flow computation has no active cells"), std::string::npos) << call.log;
    EXPECT_EQ(Iter, 0);
}

TEST_F(WaterSolveCase, SedimentCallRunsOneIterationAndLeavesTheRunState) {
    // F 85: a range that cuts the grid leaves a continuity defect at its ends.
    Start("K 1 5\nF 85 1\n");
    NoTimeoRecords = 1;
    TimeoRecords[0].startTime = 1e30;
    FlagTSC = 1;
    Iter = 7;
    stime = 100.0;
    FirstCell = 2;
    LastCell = NoCells - 1;
    EngineCall call = Solve();
    ASSERT_FALSE(call.ended) << call.log;
    EXPECT_EQ(Iter, 7);
    EXPECT_EQ(OuterIterCount, 1);
    EXPECT_EQ(stime, 100.0);
    EXPECT_EQ(FirstCell, 2);
    EXPECT_EQ(LastCell, NoCells - 1);
    EXPECT_FALSE(std::ifstream("timeo").good()) << "the sediment driver keeps its own monitor file";
}

TEST_F(WaterSolveCase, MonitorFileStartsEmpty) {
    Start("K 1 1\n");
    WriteHere("timeo", "from an earlier run\n");
    NoTimeoRecords = 1;
    TimeoRecords[0].startTime = 1e30;  // never due in this run
    ASSERT_FALSE(Solve().ended);
    EXPECT_TRUE(std::ifstream("timeo").good());
    EXPECT_EQ(ReadHere("timeo"), "");
}

TEST_F(WaterSolveCase, NegativeCentreCoefficientEndsTheRunWithTheDump) {
    Start("K 1 1\n");
    Equation = 1;
    for (int c = 1; c <= NoCells; ++c) Cap[c] = 1.0;
    Cap[3] = -1.0;
    EngineCall call = CallEngine([] {
        FormInverseCoefficients(1, NoCells);
        ReportOutOfRangeCap();
        return 0;
    });
    ASSERT_TRUE(call.ended);
    EXPECT_EQ(call.status, -1);
    EXPECT_EQ(FlowFailedFlag, 1);
    EXPECT_STREQ(StatusText, "Error, Cap(3) = -1.000000e+00\n");
    const std::vector<std::string> lines = SplitLines(call.log);
    const int first = LineIndex(lines, "Error 2, Cap(3) = -1.000000e+00");
    ASSERT_GE(first, 0) << call.log;
    const std::vector<std::string> starts = {"Velocities: ", "Volume = ", "Neighbour indexes: ", "Ftype1: ",
                                             "Ftype2: ", "Neighbour anb: ", "Cidist, l+nb: ", "Cjdist, l+nb: ",
                                             "Side fluxes (tbenws): ", "Side-side fluxes (tbenws): ",
                                             "Side areas (tbenws): ", "Gammas: l+anbb: ", "Bed level: ", "b = ",
                                             "Water level: "};
    ASSERT_GE(lines.size(), static_cast<size_t>(first) + starts.size() + 1);
    for (size_t k = 0; k < starts.size(); ++k) {
        EXPECT_EQ(lines[static_cast<size_t>(first) + 1 + k].rfind(starts[k], 0), 0u) << k << ": " << call.log;
    }
    // Cell 3 is the top of the first column of three cells.
    EXPECT_EQ(lines[static_cast<size_t>(first) + 3], "Neighbour indexes: 0 2 6 15 0 0");
}

TEST_F(WaterSolveCase, NotANumberCentreCoefficientIsRefusedToo) {
    Start("K 1 1\n");
    for (int c = 1; c <= NoCells; ++c) Cap[c] = 1.0;
    Cap[2] = std::nan("");
    Cap[5] = 1e21;
    EngineCall call = CallEngine([] {
        FormInverseCoefficients(1, NoCells);
        ReportOutOfRangeCap();
        return 0;
    });
    ASSERT_TRUE(call.ended);
    EXPECT_NE(call.log.find("Error 2, Cap(2) = nan"), std::string::npos) << call.log;
    EXPECT_EQ(call.log.find("Cap(5)"), std::string::npos);
}

TEST_F(WaterSolveCase, BrokenNeighbourLinkIsReported) {
    Start("K 1 1\n");
    CheckGridNeighbours();
    EXPECT_EQ(ReadHere("boogie").find("in grid for cell"), std::string::npos) << "the channel grid is sound";
    // Cell 4 (bed of the second column) is told that cell 17 lies north of
    // it, where cell 16 lies; and a corner of the face between cells 7 and
    // 10 is moved, which both cells see.
    Ccelln[4] = 17;
    Fpoint2[Csurfe[7]] = 1;
    CheckGridNeighbours();
    std::vector<std::string> errors;
    for (const std::string& l : SplitLines(ReadHere("boogie"))) {
        if (l.find("in grid for cell") != std::string::npos) errors.push_back(l);
    }
    const std::vector<std::string> expected = {"Error 2 in grid for cell 4", "Error 14 in grid for cell 7",
                                               "Error 22 in grid for cell 10", "Error 1 in grid for cell 16"};
    EXPECT_EQ(errors, expected);

    // Under F 1 A every inner pass starts with the check.
    WriteHere("boogie", "");
    DebugOption = 'A';
    ASSERT_FALSE(Solve().ended);
    errors.clear();
    for (const std::string& l : SplitLines(ReadHere("boogie"))) {
        if (l.find("in grid for cell") != std::string::npos) errors.push_back(l);
    }
    EXPECT_EQ(errors, expected);
}

TEST_F(WaterSolveCase, BugtrapLinesComeInTheirOrder) {
    Start("K 1 1\n");
    BugtrapCell = 5;
    Iter = 3;
    Equation = 2;
    DumpBugtrapCell(2);
    const std::vector<std::string> lines = SplitLines(ReadHere("boogie"));
    const int first = LineIndex(lines, "Bugtrap, values for Iter = 3, cellno = 5, Equation = 2, InnerIter = 2");
    ASSERT_GE(first, 0);
    const std::vector<std::string> starts = {"Cf = ",
                                             "Velocities: ",
                                             "Neigbours id: wsentb: 2 0 8 17 6 4",
                                             "Neigbours anb: wsentb: ",
                                             "Neigbour surfaces id: ",
                                             "Neigbour surfaces neighbours id 1: 2 ",
                                             "Neigbour surfaces neighbours id 2: 5 ",
                                             "Neigbours areas: wsen: ",
                                             "Neigbours fluxes: wsentb: ",
                                             "invAp: lwsentb: "};
    ASSERT_GE(lines.size(), static_cast<size_t>(first) + starts.size() + 1);
    for (size_t k = 0; k < starts.size(); ++k) {
        EXPECT_EQ(lines[static_cast<size_t>(first) + 1 + k].rfind(starts[k], 0), 0u) << lines[first + 1 + k];
    }
}

TEST_F(WaterSolveCase, PressureCorrectionDumpArmsTheDebugStopOnce) {
    Start("K 1 1\n");
    for (int c = 1; c <= NoCells; ++c) Cap[c] = 1.0;
    Cap[2] = 0.0005;
    Cf[7] = 2e5;
    DebugStopOption = 1;
    DumpPressureCorrectionCell();
    EXPECT_EQ(DebugStopOption, 99);
    const std::vector<std::string> lines = SplitLines(ReadHere("boogie"));
    const int a = LineIndex(lines, "Debug, Pressure-correction, l=2");
    const int b = LineIndex(lines, "Debug, Pressure-correction, l=7");
    ASSERT_GE(a, 0);
    ASSERT_EQ(b, a + 8);
    EXPECT_EQ(lines[static_cast<size_t>(a) + 5].rfind("Neigbours areas: wsen: ", 0), 0u);
    EXPECT_EQ(lines[static_cast<size_t>(a) + 7].rfind("Neigbours+l invAp: lwsentb: ", 0), 0u);
    // Values from 2 to 98 dump without ever stopping the run.
    DebugStopOption = 5;
    DumpPressureCorrectionCell();
    EXPECT_EQ(DebugStopOption, 5);
}

TEST_F(WaterSolveCase, CoefficientSignCheckNamesEachCoefficient) {
    Start("K 1 1\nF 223 1\n");
    Iter = 4;
    Cat[2] = -0.01;  // the threshold itself is accepted
    Cab[2] = -0.5;
    Can[2] = -2.0;
    CheckCoefficientSigns();
    const std::vector<std::string> lines = SplitLines(ReadHere("boogie"));
    const int a = LineIndex(lines, "Error in setting coefficients: Cab[2] = -0.500000 for Iter = 4");
    ASSERT_GE(a, 0);
    EXPECT_EQ(lines[static_cast<size_t>(a) + 1], "Error in setting coefficients: Can[2] = -2.000000 for Iter = 4");
    EXPECT_EQ(ReadHere("boogie").find("Cat["), std::string::npos);
}

TEST_F(WaterSolveCase, TrekantDumpWritesItsGeometryAndFieldLines) {
    Start("K 1 1\n");
    Iter = 2;
    DumpTrekantCell(5, 1);
    const std::string log = ReadHere("boogie");
    const size_t at = log.find("\nBugtrap - trekant, Iter = 2, InnerIter = 1, Cellno = 5\n");
    ASSERT_NE(at, std::string::npos) << log;
    const std::vector<std::string> lines = SplitLines(log.substr(at + 1));
    const std::vector<std::string> starts = {
        "Bugtrap - trekant", "Cpres_res: ", "Croughness: ", "Geometry: Cdistances: ", "Geometry: Careas: ",
        "Geometry: Fflagflow (senwbt): ", "Geometry: Fareas: ", "Surface fluxes: ", "Surface vec_x: ",
        "Surface vec_y: ", "Surface vec_z: ", "Pressures(penws): ", "Velocities,x: ", "Velocities,y: ",
        "Velocities,z: ", "Cpres_res: ", "CinvAp: "};
    ASSERT_GE(lines.size(), starts.size());
    for (size_t k = 0; k < starts.size(); ++k) EXPECT_EQ(lines[k].rfind(starts[k], 0), 0u) << lines[k];
}

TEST(WaterSolveRun, ChannelRunsItsFiveIterationsOnFourThreads) {
    ProjectDir dir;
    ChannelSpec spec = GridTestChannel(3);
    spec.letters = "UWM";
    spec.extraControl = "K 1 5\nF 206 4\n";
    ASSERT_TRUE(WriteChannelProject(dir.path(), spec));
    EngineRun r = dir.run();
    EXPECT_EQ(r.status, 1) << JoinLines(r.boogie);
    const std::vector<std::string> result = SplitLines(dir.read("result"));
    ASSERT_GE(result.size(), 2u);
    EXPECT_EQ(result[1], "Results, iter = 5");
    for (const std::string& line : result) {
        EXPECT_EQ(line.find("nan"), std::string::npos) << line;
        EXPECT_EQ(line.find("inf"), std::string::npos) << line;
    }
}

const EngineCase kEntryCases[] = {
    {"QueryLetterIsRefused",
     "F 2 W\nF 1 Q\n",
     -5,
     {"Error: The F 1 Q data set in the control file is only used when generating\n",
      "the grid. It is not used when running the program\n"}},
    {"PartitionNumberWarnsAndGoesOn",
     "F 2 W\nF 308 1\n",
     -1,
     {"Error for F 308 data set in the control file. The data set should not be \n",
      "used when computing the water flow in a RIVAX version that is not MPI enabled\n",
      "Error: the water flow computation has no active cells"}},
};

class WaterSolveEntry : public ::testing::TestWithParam<EngineCase> {};

TEST_P(WaterSolveEntry, Refusals) { CheckEngineCase(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Cases, WaterSolveEntry, ::testing::ValuesIn(kEntryCases), EngineCaseName());

}  // namespace

namespace {

// Under K 6 = 1 the momentum coefficients come from the second-order pass;
// the split-face lists must then hold U's coefficients too, not those of
// the equation assembled before. One east side of the channel is made a
// split side that faces its one ordinary neighbour.
TEST_F(WaterSolveCase, SecondOrderMomentumStepFillsTheSplitFaceLists) {
    for (const int threads : {0, 2}) {
        SCOPED_TRACE(threads);
        Start("K 1 1\nK 6 1 1 1 0 1 1\nF 137 1\nF 206 " + std::to_string(threads) + "\n");
        int c = 1;
        while (c < NoCells && Ccelle[c] == 0) ++c;
        ASSERT_GT(Ccelle[c], 0);
        Cnocellse[c] = 1;
        CnbMultiE[c][0] = Ccelle[c];
        CaMultiE[c][0] = -99.0;
        CbMultiE[c][0] = -99.0;
        EngineCall call = CallEngine([] {
            InitialiseFlowRun();
            SetWorkingRelaxationFactors();
            SolveMomentumEquations(1);
            return 0;
        });
        ASSERT_FALSE(call.ended) << call.log;
        EXPECT_GE(CaMultiE[c][0], 0.0);
        EXPECT_LE(CbMultiE[c][0], 0.0);
        EXPECT_EQ(Cae[c], 0.0);
    }
}

}  // namespace

namespace {

// One east side of the channel made a split side facing its one ordinary
// neighbour; true when found.
bool MakeSplitSide(int* cell) {
    int c = 1;
    while (c < NoCells && Ccelle[c] == 0) ++c;
    if (Ccelle[c] <= 0) return false;
    Cnocellse[c] = 1;
    CnbMultiE[c][0] = Ccelle[c];
    CaMultiE[c][0] = -99.0;
    if (CbMultiE.exists()) CbMultiE[c][0] = -99.0;  // the far form's only
    *cell = c;
    return true;
}

// k and epsilon of one pass on a channel with a split side: the threaded
// path must take the split side as the serial one does.
TEST_F(WaterSolveCase, SplitSideGivesTheSameTurbulenceOnEveryPath) {
    std::vector<double> k[2], eps[2];
    const int threads[2] = {0, 2};
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(threads[run]);
        Start("K 1 1\nF 137 1\nF 206 " + std::to_string(threads[run]) + "\n");
        int c = 0;
        ASSERT_TRUE(MakeSplitSide(&c));
        EngineCall call = CallEngine([] {
            InitialiseFlowRun();
            SetWorkingRelaxationFactors();
            double largest = 0.0;
            SolvePressureCorrectionAndTurbulence(1, &largest);
            return 0;
        });
        ASSERT_FALSE(call.ended) << call.log;
        EXPECT_GE(CaMultiE[c][0], 0.0);
        for (int n = 1; n <= NoCells; ++n) {
            k[run].push_back(Ck[n]);
            eps[run].push_back(Cepsilon[n]);
        }
    }
    ASSERT_EQ(k[0].size(), k[1].size());
    for (size_t n = 0; n < k[0].size(); ++n) {
        EXPECT_NEAR(k[1][n], k[0][n], 1e-9 * (std::fabs(k[0][n]) + 1e-12)) << n + 1;
        EXPECT_NEAR(eps[1][n], eps[0][n], 1e-9 * (std::fabs(eps[0][n]) + 1e-12)) << n + 1;
    }
}

// K 6 10 to 19 for k and epsilon add their limited correction to the
// sources, as for the velocities; 0 and 18 add none.
TEST_F(WaterSolveCase, LimitedSchemeOfKAndEpsilonCorrectsTheSources) {
    for (const int scheme : {0, 14, 18}) {
        SCOPED_TRACE(scheme);
        Start("K 6 0 0 0 0 " + std::to_string(scheme) + " " + std::to_string(scheme) + "\n");
        for (int eq : {5, 6}) {
            Array1<double>& f = eq == 5 ? Ck : Cepsilon;
            for (int c = 1; c <= NoCells; ++c) f[c] = 1e-3 * (1.0 + Cxcenter[c] * Cxcenter[c]);
            for (int s = 1; s <= NoSurfaces; ++s) Fflux[s] = Fcell1[s] > 0 && Fcell2[s] > 0 ? 100.0 : 0.0;
            for (int c = 0; c <= NoCells; ++c) Csource[c] = 0.0;
            Equation = eq;
            AddTurbulenceExtraSources();
            double moved = 0.0;
            for (int c = 1; c <= NoCells; ++c) moved += std::fabs(Csource[c]);
            if (scheme == 14) {
                EXPECT_GT(moved, 0.0) << eq;
            } else {
                EXPECT_EQ(moved, 0.0) << eq;
            }
        }
    }
}

struct SplitFaceRefusal {
    const char* name;
    const char* control;
    int (*driver)();
    const char* message;
};

void PrintTo(const SplitFaceRefusal& r, std::ostream* os) { *os << r.name; }

class SplitFaceRefusals : public WaterSolveCase, public ::testing::WithParamInterface<SplitFaceRefusal> {};

// Paths that take only the six ordinary neighbours refuse split faces.
TEST_P(SplitFaceRefusals, EndTheRunWithTheirMessage) {
    const SplitFaceRefusal& r = GetParam();
    Start(std::string("K 1 1\nF 137 1\n") + r.control);
    EngineCall call = CallEngine(r.driver);
    ASSERT_TRUE(call.ended);
    EXPECT_EQ(call.status, kSplitFaceCombinationStatus);
    EXPECT_NE(call.log.find(r.message), std::string::npos) << call.log;
}

INSTANTIATE_TEST_SUITE_P(
    Drivers, SplitFaceRefusals,
    ::testing::Values(
        SplitFaceRefusal{"FastSolver", "F 170 1\n", watersolve_fast,
                         "Error: the split faces of F 137 cannot be combined with the fast solver of F 170\n"},
        SplitFaceRefusal{"PseudoVelocityStep", "F 171 2\n", WaterSolve,
                         "Error: the split faces of F 137 cannot be combined with the pseudo-velocity step of F 171 "
                         "2\n"}),
    [](const auto& i) { return std::string(i.param.name); });

}  // namespace
