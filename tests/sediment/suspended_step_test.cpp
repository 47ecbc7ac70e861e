// The suspended-sediment step on still boxes of unit cells whose bottom-cell
// balance is known by hand: the bounds of the held bottom value (F 37 1), the
// erosion source and its bounds (F 37 2 and 3), the concentration limit, no
// iterations, and the erosion of the F 253 solver handed to the bed update.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "grid/grid_services.h"
#include "run/globals.h"
#include "sediment/sediment_services.h"
#include "tests/support/control_text.h"
#include "tests/support/grid_engine.h"
#include "tools/box_geometry.h"

namespace {

class SuspendedStep : public ::testing::Test {
protected:
    // ni columns in a row, nk cells each, unit cells; `control` adds data
    // sets to the engine's (sizes, F 37 ...). Still water without diffusion,
    // dt 1 s, a bed of one layer over the inactive one, fall velocity 0.01.
    BoxGrid Build(int ni, int nk, int sizes, int mode, const std::string& control = "") {
        WriteHere("control", "G 1 8 8 5 " + std::to_string(sizes) + "\nF 65 200 800 400 10 10\nF 33 1 1\nF 37 " +
                                 std::to_string(mode) + "\n" + control);
        const EngineCall start = StartEngineHere();
        EXPECT_FALSE(start.ended) << start.log;
        const BoxGrid g = MakeBoxGeometry(ni, 1, nk);
        const EngineCall m = CallEngine([] {
            metric();
            return 0;
        });
        EXPECT_FALSE(m.ended) << m.log;
        FirstSurface = 1;
        LastSurface = NoSurfaces;
        TurbulenceModel = 6;
        ConstEddyViscosity = ConstEddyViscosityBed = 0.0;
        SedFormula = 'X';
        NoSedIterations = 1;
        for (int s = 1; s <= sizes; ++s) FallVelocity[s] = 0.01;
        FirstBedCell = 1;
        LastBedCell = ni;
        for (int i = 0; i < ni; ++i) {
            const int b = i + 1;
            Bcellt[b] = g.cell(i, 0, 0);
            Barea[b] = 1.0;
            for (int k = 0; k < nk; ++k) Cbedcell[g.cell(i, 0, k)] = b;
            for (int layer = 0; layer <= 1; ++layer) {
                BSedDistrib[layer][0][b] = layer == 1 ? 0.001 : 1.0;
                for (int s = 1; s <= sizes; ++s) BSedDistrib[layer][s][b] = 1.0 / sizes;
            }
            for (int s = 1; s <= sizes; ++s) BpotentialConc[s][b] = 1.0;
        }
        return g;
    }

    // The same start concentration in every cell, now and at the old time.
    static void StartConcentration(int s, double c) {
        for (int cell = 1; cell <= NoCells; ++cell) conc[s][cell] = conc_old[s][cell] = c;
    }

    static int Run() {
        const EngineCall r = CallEngine([] { return SolveSuspendedSedimentStep(); });
        EXPECT_FALSE(r.ended) << r.log;
        return r.result;
    }

    std::string log() const { return ReadHere("boogie"); }

    InProjectDir here_;
};

// One unit cell, still: storage 1000 kg/s per unit concentration, settling
// 10 through the bed, a supply of 1000 x 0.001 x 0.5 = 0.5 kg/s.
struct HeldCase {
    const char* name;
    double start, bedConc, cohesion;
    double expected;
};

void PrintTo(const HeldCase& row, std::ostream* os) { *os << row.name; }

class HeldBottomCell : public SuspendedStep, public ::testing::WithParamInterface<HeldCase> {};

TEST_P(HeldBottomCell, BetweenDepositionAndErosion) {
    const HeldCase& h = GetParam();
    Build(1, 1, 1, 1);
    Ck[1] = 0.001;  // tau 0.3 Pa
    Cohesion[1] = h.cohesion;
    BpotentialConc[1][1] = h.bedConc;
    StartConcentration(1, h.start);
    ASSERT_EQ(Run(), 0) << log();
    EXPECT_NEAR(conc[1][1], h.expected, 1e-12 * h.expected + 1e-300);
    EXPECT_EQ(Cap[1], 1e30);
    EXPECT_NEAR(BsedOutflowCoef[1][1], 1000.0, 1e-9);
}

const HeldCase kHeldCases[] = {
    // cHigh (0.5 + 10) / 1000 below the cap.
    {"ErodibleMassBounds", 0.01, 1.0, 0.0, 0.0105},
    // cap 0.0102 between cLow 10 / 1010 and cHigh.
    {"BedConcentrationCaps", 0.01, 0.0102, 0.0, 0.0102},
    // cap below cLow: pure deposition still holds.
    {"NeverBelowPureDeposition", 0.01, 0.001, 0.0, 10.0 / 1010.0},
    // tau 0.3 below a cohesion of 1 Pa: nothing erodes, cHigh = N / D.
    {"CohesionKeepsTheBed", 0.01, 1.0, 1.0, 0.01},
    {"NothingToHold", 0.0, 0.0, 0.0, 0.0},
};

INSTANTIATE_TEST_SUITE_P(Rows, HeldBottomCell, ::testing::ValuesIn(kHeldCases),
                         [](const ::testing::TestParamInfo<HeldCase>& i) { return std::string(i.param.name); });

// F 37 2, one size: E = c w A 1000 + M BSF / dt, at most w A 1000 e.
struct ErosionCase {
    const char* name;
    double bedConc, cohesion, fraction;
    int f304;
    double erosion;
};

void PrintTo(const ErosionCase& row, std::ostream* os) { *os << row.name; }

class ErosionSource : public SuspendedStep, public ::testing::WithParamInterface<ErosionCase> {};

TEST_P(ErosionSource, BoundedByThePickUp) {
    const ErosionCase& e = GetParam();
    Build(1, 1, 1, 2);
    Ck[1] = 0.001;
    Cohesion[1] = e.cohesion;
    F304Option = e.f304;
    BpotentialConc[1][1] = e.bedConc;
    BSedDistrib[1][1][1] = e.fraction;
    StartConcentration(1, 0.01);
    ASSERT_EQ(Run(), 0) << log();
    EXPECT_NEAR(BSedActive[1][1], e.erosion, 1e-12);
    // The cell's own balance: 1010 c = 1000 x 0.01 + E.
    EXPECT_NEAR(conc[1][1], (10.0 + e.erosion) / 1010.0, 1e-12);
}

const ErosionCase kErosionCases[] = {
    {"SettlingPlusSupply", 1.0, 0.0, 1.0, 0, 0.1 + 0.5},
    {"PickUpBounds", 0.02, 0.0, 1.0, 0, 0.2},
    // One size: the pick-up is the bed concentration itself, not its share.
    {"OneSizeTakesTheWholeBedConcentration", 0.02, 0.0, 0.5, 0, 0.2},
    {"CohesionStopsErosion", 1.0, 1.0, 1.0, 0, 0.0},
    // F 304: at least the cell's own concentration; other than 1 at most pc.
    {"F304OneRaisesToTheCell", 0.002, 0.0, 1.0, 1, 0.1},
    {"F304TwoKeepsTheBedConcentration", 0.002, 0.0, 1.0, 2, 0.02},
};

INSTANTIATE_TEST_SUITE_P(Rows, ErosionSource, ::testing::ValuesIn(kErosionCases),
                         [](const ::testing::TestParamInfo<ErosionCase>& i) { return std::string(i.param.name); });

// F 37 3 takes the top layer's own solid fraction: 0.6 against F 26 0.5
// makes the erosion of a clear bottom cell 6/5 as large.
TEST_F(SuspendedStep, LayeredBedErodesWithItsLayersSolidFraction) {
    double erosion[2] = {};
    for (int k = 0; k < 2; ++k) {
        Build(1, 1, 1, 3, "F 26 0.5\n");
        BNoLayers[1] = 1;
        BlayerValue[1][1] = k == 0 ? 0.5 : 0.6;
        StartConcentration(1, 0.0);
        ASSERT_EQ(Run(), 0) << log();
        erosion[k] = BSedActive[1][1];
    }
    EXPECT_NEAR(erosion[0], 0.5, 1e-12);
    EXPECT_NEAR(erosion[1], 0.6, 1e-12);
}

// F 253 1: the solver erodes the bottom cells; the step adds no erosion of
// its own and hands the solver's to the bed update.
TEST_F(SuspendedStep, SolverErosionIsCountedOnce) {
    Build(1, 1, 1, 3, "F 253 1\n");
    BNoLayers[1] = 1;
    BlayerValue[1][1] = 0.5;
    StartConcentration(1, 0.0);
    ASSERT_EQ(Run(), 0) << log();
    // The solver's erosion: settling of the cell's own concentration plus
    // the supply 0.5 / dt x 1000 x 0.001 = 0.5 kg/s; its balance 1010 c =
    // 10 c + 0.5 gives c = 0.0005.
    EXPECT_NEAR(conc[1][1], 0.0005, 1e-12);
    EXPECT_NEAR(BSolverErosion[1][1], 10.0 * conc[1][1] + 0.5, 1e-12);
    EXPECT_EQ(BSedActive[1][1], BSolverErosion[1][1]);
}

// F 78 3 exchanges sediment across the slope once, in iteration
// NoSedIterations / 2. Two equal columns on a bed tilted across the flow:
// their bottom sources differ after the step only when the exchange came in
// the last iteration, after the sources were set.
struct SlopeIterationCase {
    const char* name;
    int option, iterations;
    bool inLastIteration;
};

void PrintTo(const SlopeIterationCase& row, std::ostream* os) { *os << row.name; }

class SlopeExchangeIteration : public SuspendedStep, public ::testing::WithParamInterface<SlopeIterationCase> {};

TEST_P(SlopeExchangeIteration, ComesInTheMiddleIteration) {
    const SlopeIterationCase& p = GetParam();
    Build(2, 1, 1, 2);
    LateralSlopeOption = p.option;
    NoSedIterations = p.iterations;
    Diameter[1] = 0.0002;
    for (int c = 1; c <= 2; ++c) {
        Ck[c] = 0.01;
        Cu[c] = 0.5;
        Cv[c] = 0.1;
        Fvecx[Csurfb[c]] = 0.0;
        Fvecy[Csurfb[c]] = 0.1;
        Fvecz[Csurfb[c]] = std::sqrt(0.99);
    }
    // The pick-up bound holds the erosion at 10 x 0.001 whatever the
    // concentrations become.
    BpotentialConc[1][1] = BpotentialConc[1][2] = 0.001;
    StartConcentration(1, 0.01);
    ASSERT_EQ(Run(), 0) << log();
    if (p.inLastIteration) {
        EXPECT_GT(std::fabs(Csource[1] - Csource[2]), 1e-6);
    } else {
        EXPECT_EQ(Csource[1], Csource[2]);
    }
}

const SlopeIterationCase kSlopeIterationCases[] = {
    {"OneIteration", 3, 1, true},   {"TwoIterations", 3, 2, true}, {"ThreeIterations", 3, 3, false},
    {"FiveIterations", 3, 5, false}, {"NoLateralSlope", 0, 1, false},
};

INSTANTIATE_TEST_SUITE_P(Rows, SlopeExchangeIteration, ::testing::ValuesIn(kSlopeIterationCases),
                         [](const ::testing::TestParamInfo<SlopeIterationCase>& i) { return std::string(i.param.name); });

TEST_F(SuspendedStep, HighConcentrationIsReportedAndLimited) {
    Build(1, 2, 1, 2);
    NoSedIterations = 0;
    StartConcentration(1, 0.0);
    conc[1][2] = 0.6;
    ASSERT_EQ(Run(), 0) << log();
    EXPECT_EQ(conc[1][2], 0.5);
    EXPECT_NE(log().find("Warning for unstability in TSC method: \n High sediment concentrationsconc(1,2)=6.000000e-01\n"),
              std::string::npos)
        << log();
}

// Without iterations nothing is solved: the bottom cell keeps its saved
// source as the bed update's erosion.
TEST_F(SuspendedStep, NoIterationsSolveNothing) {
    Build(1, 1, 1, 2);
    NoSedIterations = 0;
    StartConcentration(1, 0.01);
    ASSERT_EQ(Run(), 0) << log();
    EXPECT_EQ(conc[1][1], 0.01);
    EXPECT_NEAR(BSedActive[1][1], 1000.0 * 0.01, 1e-12);
}

TEST_F(SuspendedStep, FailedFlowEndsTheStep) {
    Build(1, 1, 1, 2);
    FlowFailedFlag = 1;
    EXPECT_EQ(Run(), 1);
}

TEST_F(SuspendedStep, MissingConcentrationsEndTheStep) {
    Build(1, 1, 1, 2);
    conc.release();
    EXPECT_EQ(Run(), 1);
    EXPECT_NE(log().find("has no concentration or bed arrays"), std::string::npos) << log();
}

}  // namespace
