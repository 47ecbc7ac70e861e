// The surface update by option, the F 116 variant, the supercritical
// pressure step and surface_tfs on the 4 x 3 column channel.
#include <cmath>
#include <string>

#include "run/placeholder.h"
#include "tests/support/control_text.h"
#include "tests/surface/surface_case.h"

namespace {

class SurfaceVariants : public SurfaceCase {
protected:
    template <class F>
    EngineCall Call(F f) {
        return CallEngine([f] {
            f();
            return 0;
        });
    }
    static void ZeroFlow() {
        for (int c = 0; c <= NoCells; ++c) Cu[c] = Cv[c] = Cw[c] = Pres[c] = 0.0;
        for (int s = 0; s <= NoSurfaces; ++s) Fflux[s] = 0.0;
    }
    static void SetAllLevels(double (*f)(int, int)) {
        for (int i = 1; i <= 5; ++i) {
            for (int j = 1; j <= 4; ++j) Node(i, j) = NewNode(i, j) = f(i, j);
        }
    }
};

// ---- RaiseSupercriticalPressure --------------------------------------------

class SupercriticalPressure : public SurfaceVariants {
protected:
    void SetUp() override {
        SurfaceVariants::SetUp();
        ZeroFlow();
        F128Option = 2;
    }
    // Area and face height of the east side of column (3, 3) as the step
    // sums them; all its flux goes through the top cell's east face.
    static void EastSide(double& area, double& height) {
        area = height = 0.0;
        for (int c = Top(3, 3); c > 0; c = Ccellb[c]) {
            const int s = Csurfe[c];
            area += Farea[s];
            height += 0.5 * (Pz1[Fpoint4[s]] + Pz1[Fpoint3[s]] - Pz1[Fpoint2[s]] - Pz1[Fpoint1[s]]);
        }
    }
    static double Ratio(double flux, double area, double height) {
        return std::fabs(flux * 0.001 / (area + 1e-20)) / std::sqrt(height * 9.81 + 1e-20);
    }
};

TEST_F(SupercriticalPressure, RaisesTheUpstreamColumnOnlyAboveTheWaveSpeed) {
    double area = 0.0, height = 0.0;
    EastSide(area, height);
    ASSERT_NEAR(height, 1.0, 1e-9);
    // The largest flux that is not supercritical.
    double critical = std::sqrt(height * 9.81) * area / 0.001;
    while (Ratio(critical, area, height) > 1.0) critical = std::nextafter(critical, 0.0);
    while (Ratio(std::nextafter(critical, 1e30), area, height) <= 1.0) critical = std::nextafter(critical, 1e30);
    struct Row {
        const char* name;
        double flux;
        int raisedI;  // the column whose pressure rises, 0 for none
    };
    const Row rows[] = {{"AtTheWaveSpeed", critical, 0}, {"OutEastwards", 1.01 * critical, 3},
                        {"InFromTheEast", -1.01 * critical, 4}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ZeroFlow();
        Fflux[Csurfe[Top(3, 3)]] = row.flux;
        // A pressure above the critical one is never lowered.
        const int high = Bottom(3, 3);
        Pres[high] = 1e6;
        RaiseSupercriticalPressure(1.0, 0.0);
        EXPECT_EQ(Pres[high], 1e6);
        const double q = row.flux * 0.001 / area;
        const double expected = (1.5 * q * q / 9.81 - 1.0) * 9810.0;
        for (int c = 1; c <= NoCells; ++c) {
            if (c == high) continue;
            int column = Cbedcell[c];
            const bool raised = row.raisedI != 0 && Bkooi[column] == row.raisedI && Bkooj[column] == 3;
            if (raised) {
                EXPECT_NEAR(Pres[c], expected, 1e-6 * expected) << c;
            } else {
                EXPECT_EQ(Pres[c], 0.0) << c;
            }
        }
    }
}

TEST_F(SupercriticalPressure, MinusOneClearsThePressure) {
    F128Option = -1;
    for (int c = 0; c <= NoCells; ++c) Pres[c] = 5.0;
    RaiseSupercriticalPressure(1.0, 0.0);
    for (int c = 0; c <= NoCells; ++c) EXPECT_EQ(Pres[c], 0.0);
}

// ---- UpdateFreeSurfaceByOption ---------------------------------------------

double Sloping(int i, int j) { return 1.0 + 0.01 * i - 0.02 * j; }

TEST_F(SurfaceVariants, RigidShiftWithALayerBlockLaysTheSurfaceFlatAndTracesOnce) {
    SetSeries({{0.0, 1.2, 0.0}});
    FreeSurfaceOption = 3;
    DebugOption = 'E';
    FlagTSC = 1;
    struct Row {
        int layerBlock;
        bool flat;
    };
    for (const Row row : {Row{1, true}, Row{0, false}}) {
        SCOPED_TRACE(row.layerBlock);
        LayerBlockOption = row.layerBlock;
        SetAllLevels(Sloping);
        EngineCall call = Call(UpdateFreeSurfaceByOption);
        ASSERT_FALSE(call.ended) << call.log;
        const double dh = 1.2 - Sloping(iPres, jPres);
        for (int i = 1; i <= 5; ++i) {
            for (int j = 1; j <= 4; ++j) {
                EXPECT_NEAR(Node(i, j), row.flat ? 1.2 : Sloping(i, j) + dh, 1e-12) << i << " " << j;
                EXPECT_EQ(NewNode(i, j), Node(i, j));
            }
        }
        EXPECT_EQ(GridChangedFlag, 1);
    }
    // One header for both updates; the driver's own trace flag is untouched.
    const std::vector<std::string> trace = SplitLines(ReadHere("boogie-t"));
    ASSERT_EQ(trace.size(), 3u);
    EXPECT_EQ(trace[0], "Time     dh    Czcenter   Ckdist   iSurfLocal  iPres  jPres   zval   ZRef");
    EXPECT_NE(trace[1].find(" 3 3 1.200000 1.200000"), std::string::npos) << trace[1];
    EXPECT_EQ(SurfaceTraceHeaderFlag, 0);
    EXPECT_EQ(OptionTraceHeaderFlag, 1);
}

TEST_F(SurfaceVariants, OptionsWithoutALevelAlgorithmStillRegenerate) {
    FreeSurfaceOption = 12;
    SetAllLevels(Sloping);
    EngineCall call = Call(UpdateFreeSurfaceByOption);
    ASSERT_FALSE(call.ended) << call.log;
    EXPECT_EQ(Node(2, 2), Sloping(2, 2));
    EXPECT_EQ(GridChangedFlag, 1);
    EXPECT_NEAR(Level(Top(4, 4)), 0.25 * (Sloping(3, 3) + Sloping(4, 3) + Sloping(3, 4) + Sloping(4, 4)), 1e-9);
}

// ---- surface2DLL -----------------------------------------------------------

// The columns are uncoupled, so the correction must not depend on how many
// sweeps the solver makes (K 4), none included.
class TwoDimensionalVariant : public SurfaceVariants, public ::testing::WithParamInterface<int> {};

INSTANTIATE_TEST_SUITE_P(Sweeps, TwoDimensionalVariant, ::testing::Values(0, 1, 10),
                         [](const ::testing::TestParamInfo<int>& p) { return "Sweeps" + std::to_string(p.param); });

TEST_P(TwoDimensionalVariant, MovesOnlyTheNodesAroundTheReference) {
    SetSeries({{0.0, 1.1, 0.0}});
    FreeSurfaceOption = 4;
    Surface2DOption = 1;
    SurfaceRelaxation = 0.5;
    FlagTSC = 1;
    // The solver's cells and sweeps as the pressure correction leaves them.
    Equation = 4;
    SolverSweeps[4] = GetParam();
    FirstCell = 1;
    LastCell = NoCells;
    // A solver that reads the far neighbours must find them cleared.
    for (Array1<double>* a : {&Caee, &Caww, &Cass, &Cann}) {
        if (!a->exists()) {
            ASSERT_TRUE(a->allocate(NoCells + 1));
        }
        for (int c = 0; c <= NoCells; ++c) (*a)[c] = 1.0;
    }
    const double start = Level(Top(3, 3));
    EngineCall call = Call(surface2DLL);
    ASSERT_FALSE(call.ended) << call.log;
    for (const Array1<double>* a : {&Caee, &Caww, &Cass, &Cann}) {
        for (int c = 0; c <= NoCells; ++c) ASSERT_EQ((*a)[c], 0.0) << c;
    }
    // Column (3, 3) lies between node lines 2..3 and 2..3; each of its
    // corners has four wet columns around it.
    for (int i = 1; i <= 5; ++i) {
        for (int j = 1; j <= 4; ++j) {
            const bool corner = (i == 2 || i == 3) && (j == 2 || j == 3);
            const double expected = corner ? 1.0 + 0.5 * (1.1 - start) / 4 : 1.0;
            EXPECT_NEAR(Node(i, j), expected, 1e-9) << i << " " << j;
        }
    }
    EXPECT_EQ(stime, 0.0);  // a sediment run does not advance the time
    EXPECT_EQ(GridChangedFlag, 1);
}

// ---- surface_tfs -----------------------------------------------------------

class SurfaceTfs : public SurfaceVariants {
protected:
    void SetUp() override {
        SurfaceVariants::SetUp();
        ZeroFlow();
        FlagTSC = 1;  // the node moves alone
        TimeStep = 1.0;
        F179Int1 = 0;
        // Only column (3, 3) changes its level: the pressure of every other
        // top cell is that of its own half height.
        for (int c = 1; c <= NoCells; ++c) Pres[c] = 9810.0 * Ckdist[c];
    }
    // Takes the lateral neighbours from column (3, 3)'s top cell.
    void Isolate() {
        const int t = Top(3, 3);
        Ccelle[t] = Ccellw[t] = Ccelln[t] = Ccells[t] = 0;
    }
    static double CornerMove(int i, int j) { return Node(i, j) - 1.0; }
};

TEST_F(SurfaceTfs, ColumnWithoutNeighboursMovesEveryCornerByItsWholeChange) {
    Isolate();
    FreeSurfaceOption = 1;
    const int t = Top(3, 3);
    Pres[t] = 9810.0 * (Ckdist[t] + 0.5);  // dz = 0.5 * F 175 = 0.05
    EngineCall call = Call([] { surface_tfs(0, 1); });
    ASSERT_FALSE(call.ended) << call.log;
    for (int i : {2, 3}) {
        for (int j : {2, 3}) EXPECT_NEAR(CornerMove(i, j), 0.05, 1e-12) << i << " " << j;
    }
    EXPECT_EQ(Node(4, 4), 1.0);
    EXPECT_EQ(GridChangedFlag, 1);
}

TEST_F(SurfaceTfs, SmallFroudeNumberWithTheSecondF179ValueSpreadsEvenly) {
    FreeSurfaceOption = 1;
    F179Int1 = 1;
    F179Int2 = 1;
    for (int c = 1; c <= NoCells; ++c) Cu[c] = 1e-4;
    const int t = Top(3, 3);
    Pres[t] = 9810.0 * (Ckdist[t] + 0.5);
    EngineCall call = Call([] { surface_tfs(0, 1); });
    ASSERT_FALSE(call.ended) << call.log;
    for (int i : {2, 3}) {
        for (int j : {2, 3}) EXPECT_NEAR(CornerMove(i, j), 0.25 * 0.05, 1e-6) << i << " " << j;
    }
    EXPECT_GT(Bfroude[Cbedcell[Bottom(3, 3)]], 0.0);
}

TEST_F(SurfaceTfs, LevelChangeByOption) {
    struct Row {
        int option;
        double expected;  // the move of each corner of the isolated column
    };
    const int t = Top(3, 3);
    const double top = Farea[Csurft[t]];
    const Row rows[] = {
        {1, 0.05},
        {11, -10.0 / (top * 1000.0) * 0.1},
        {12, -10.0 / (top * 1000.0)},
        {13, 0.1 * 0.2},
        {14, 0.05},
        {16, -10.0 * 0.001 / top},
        {18, 0.0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.option);
        SetUp();
        Isolate();
        FreeSurfaceOption = row.option;
        const int top3 = Top(3, 3);
        Pres[top3] = 9810.0 * (Ckdist[top3] + 0.5);
        Fflux[Csurfe[top3]] = 10.0;
        Cw[top3] = row.option == 13 ? 0.2 : 0.05;
        EngineCall call = Call([] { surface_tfs(0, 1); });
        ASSERT_FALSE(call.ended) << call.log;
        // The east flux also reaches column (4, 3), a corner of (3, 2)
        // and (3, 3): the west corners show the column's own change.
        EXPECT_NEAR(CornerMove(2, 2), row.expected, 1e-12);
        EXPECT_NEAR(CornerMove(2, 3), row.expected, 1e-12);
    }
}

TEST_F(SurfaceTfs, NodesStayAboveTheBedAndMoveAtMostATenthOfTheirDepth) {
    Isolate();
    FreeSurfaceOption = 1;
    const int t = Top(3, 3);
    Pres[t] = -9810.0 * 100.0;  // a fall of 10 m asked for
    EngineCall call = Call([] { surface_tfs(0, 1); });
    ASSERT_FALSE(call.ended) << call.log;
    EXPECT_NEAR(Node(3, 3), 0.9, 1e-12);
    // A node already at the least depth is not lowered.
    SetUp();
    Isolate();
    FreeSurfaceOption = 1;
    Node(3, 3) = 0.01;
    Pres[Top(3, 3)] = -9810.0 * 100.0;
    call = Call([] { surface_tfs(0, 1); });
    ASSERT_FALSE(call.ended) << call.log;
    EXPECT_NEAR(Node(3, 3), MinSurfaceDepth, 1e-12);
}

// The friction blend of F 353 2 reaches nine node lines upstream of the
// outflow end, and a layer block 1 has no block before it to shift into:
// on this short grid both stay inside the arrays.
TEST_F(SurfaceTfs, FrictionBlendAndLayerShiftStayInsideTheGrid) {
    FreeSurfaceOption = 12;
    F353Option = 2;
    LayerBlockOption = 1;
    F347Option = 1;
    for (int c = 1; c <= NoCells; ++c) Cu[c] = 0.5;
    EngineCall call = Call([] { surface_tfs(0, 1); });
    ASSERT_FALSE(call.ended) << call.log;
    for (int i = 1; i <= 5; ++i) {
        for (int j = 1; j <= 4; ++j) EXPECT_TRUE(std::isfinite(Node(i, j))) << i << " " << j;
    }
    // The outflow side's nodes are blended towards the higher level upstream.
    EXPECT_GT(Node(4, 2), 1.0);
}

}  // namespace
