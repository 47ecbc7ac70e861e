// The plan level equations of the free surface: the neighbour weights, the
// correction equations of F 36 = 4, 7 and 8, the level equation of F 36 = 9
// and the column-flux equation of F 36 = 5.
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "solver/solver_services.h"
#include "surface/level_equations.h"
#include "tests/surface/surface_case.h"

namespace {

struct WeightRow {
    const char* name;
    int surfaceOption;
    int weightOption;
    double a, fr, expected;
};

TEST(SurfaceWeight, FixedFormulaAndTable) {
    const WeightRow rows[] = {
        {"fixed, subcritical downstream", 4, 0, 0.5, 0.5, 1.03},
        {"table 0, subcritical downstream", 7, 0, 0.5, 0.5, 0.5 * (4.0 - 4.0 * 0.5) + 0.03},
        {"fixed, critical", 4, 0, 0.5, 1.0, 0.0},
        {"table 0, critical", 7, 0, 0.5, 1.0, 0.0},
        {"fixed, critical upstream", 8, 0, -0.5, 1.0, 0.0},
        {"table 1", 7, 1, 0.5, 0.5, 0.25},
        {"fixed, small cosine", 4, 0, 0.05, 0.5, 10.0 * 0.05 * 0.05 / 0.5 + 0.03},
        {"fixed, supercritical upstream", 4, 0, -0.1, 2.0, 5.0 * 0.01 * 2.0},
        {"fixed, supercritical far upstream", 4, 0, -0.5, 2.0, 1.0},
        {"fixed, subcritical upstream", 4, 0, -0.5, 0.5, 0.0},
        {"table 5", 7, 5, -0.9, 3.0, 1.0},
        {"table 8 upstream", 7, 8, -0.3, 0.5, 0.0},
        {"table 17", 7, 17, 0.5, 0.5, 1.1 / 0.6},
        // A column whose speed rounds to nothing weighs finitely.
        {"fixed, no Froude number", 4, 0, 0.5, 0.0, 0.5 / 1e-3 + 0.03},
    };
    for (const WeightRow& r : rows) {
        FreeSurfaceOption = r.surfaceOption;
        SurfaceWeightOption = r.weightOption;
        SurfaceSmoothingOption = 0;
        EXPECT_NEAR(SurfaceWeightFactor(r.a, r.fr), r.expected, 1e-12) << r.name;
    }
    FreeSurfaceOption = 0;
    SurfaceWeightOption = 0;
}

// The 4 by 3 columns of the surface case, water flowing east at 1 m/s. The
// column at (4, 3) has a neighbour upstream (west), one downstream (east)
// and its north neighbour is cut off as if dry.
class LevelEquations : public SurfaceCase {
protected:
    void SetUp() override {
        SurfaceCase::SetUp();
        iPres = 2;
        jPres = 2;
        ZRef = 1.0;
        for (int c = 1; c <= NoCells; ++c) Cu[c] = 1.0;
        for (int b = 1; b <= NoBedCells; ++b) {
            Bdepth[b] = 1.0;
            Bfroude[b] = 0.5;
        }
        c_ = Bottom(4, 3);
        Ccelln[c_] = 0;
        FirstCell = 1;
        LastCell = NoCells;
        // The run allocates the diagonal neighbours' coefficients for F 36 7 to 10.
        for (Array1<double>* a : {&Caee, &Caww, &Cass, &Cann}) {
            a->release();
            ASSERT_TRUE(a->allocate(Cap.size()));
        }
    }
    int c_ = 0;
};

struct BuilderRow {
    const char* name;
    int option;
    std::function<void()> build;
    double east;  // expected coefficient of the downstream neighbour
};

TEST_F(LevelEquations, DownstreamNeighbourWeighsUpstreamAndDryDoNot) {
    // F 36 4 takes the Froude number of the column's own speed, 1/sqrt(9.81).
    const double fr4 = 1.0 / std::sqrt(9.81);
    const BuilderRow rows[] = {
        {"F 36 4", 4, BuildSurfaceEquationF36Four, 1.0 / fr4 + 0.03},
        {"F 36 7", 7, BuildSurfaceEquationF36Seven, 1.0 * (4.0 - 4.0 * 0.5) + 0.03},
        {"F 36 8", 8, BuildSurfaceEquationF36Eight, 1.0 / 0.5 + 0.03},
    };
    for (const BuilderRow& r : rows) {
        SCOPED_TRACE(r.name);
        FreeSurfaceOption = r.option;
        r.build();
        EXPECT_NEAR(Cae[c_], r.east, 1e-9);
        EXPECT_EQ(Caw[c_], 0.0);
        EXPECT_EQ(Can[c_], 0.0);
        // Level water at equal pressures: nothing to correct.
        EXPECT_NEAR(Csource[c_], 0.0, 1e-12);
        double sum = Cae[c_] + Caw[c_] + Can[c_] + Cas[c_];
        if (r.option != 4) sum += Caee[c_] + Caww[c_] + Cass[c_] + Cann[c_];
        EXPECT_NEAR(Cap[c_], sum + 1e-20, 1e-12);
        // Only the bed cell holds an equation.
        EXPECT_EQ(Cae[Ccellt[c_]], 0.0);
        EXPECT_EQ(Cap[Ccellt[c_]], 0.0001);
    }
}

// The outlet corner of a channel: the flow leaves east through the boundary
// and the north neighbour is dry, so no wet neighbour lies downstream. Such a
// column must still follow its neighbours; with a correction held at 0 its
// lone corner node would never move and act as a second reference.
TEST_F(LevelEquations, ColumnThatNoNeighbourWeighsFollowsThemAll) {
    Ccelle[c_] = 0;
    Ccelle[Ccells[c_]] = 0;
    SurfaceSlopeLimit = 0.1;
    // The west neighbour's top cell 98.1 Pa higher: the column should stand
    // 0.01 m below it.
    Pres[Top(3, 3)] = 98.1;
    const BuilderRow rows[] = {
        {"F 36 7", 7, BuildSurfaceEquationF36Seven, 0.0},
        {"F 36 8", 8, BuildSurfaceEquationF36Eight, 0.0},
    };
    for (const BuilderRow& r : rows) {
        SCOPED_TRACE(r.name);
        FreeSurfaceOption = r.option;
        r.build();
        EXPECT_EQ(Cae[c_], 0.0);
        EXPECT_EQ(Can[c_], 0.0);
        ASSERT_GT(Caw[c_], 0.0);
        // Alike: each wet neighbour weighs the same (by its distance for 8).
        const double west = Cxcenter[c_] - Cxcenter[Ccellw[c_]];
        const double south = Cycenter[c_] - Cycenter[Ccells[c_]];
        EXPECT_NEAR(Cas[c_] / Caw[c_], r.option == 8 ? south / west : 1.0, 1e-9);
        EXPECT_GT(Caww[c_], 0.0);
        EXPECT_NEAR(Csource[c_] / Caw[c_], -0.01, 1e-6);
        EXPECT_NEAR(Cap[c_], Caw[c_] + Cas[c_] + Caww[c_] + Cann[c_] + 1e-20, 1e-12);
    }
}

TEST_F(LevelEquations, DownstreamPressureExcessAsksTheColumnUp) {
    // The east neighbour's top cell 98.1 Pa lower: the column should stand
    // 0.01 m above it.
    FreeSurfaceOption = 4;
    Pres[Top(5, 3)] = -98.1;
    BuildSurfaceEquationF36Four();
    EXPECT_NEAR(Csource[c_] / Cae[c_], 98.1 / 9810.0, 1e-9);
}

TEST_F(LevelEquations, SupercriticalFlowIsBoundByTheCriticalDepth) {
    // 4 m/s at 1 m depth on a flat bed: Fr 1.28, so the upstream neighbour
    // weighs -a Fr and its defect is at least the critical depth
    // (q/sqrt(9.81))^(2/3) less the depth.
    FreeSurfaceOption = 4;
    for (int c = 1; c <= NoCells; ++c) Cu[c] = 4.0;
    BuildSurfaceEquationF36Four();
    const double fr = 4.0 / std::sqrt(9.81);
    const double critical = std::pow(4.0 / std::sqrt(9.81), 2.0 / 3.0);
    EXPECT_NEAR(Caw[c_], fr, 1e-9);
    EXPECT_EQ(Cae[c_], 0.0);
    EXPECT_NEAR(Csource[c_], fr * (critical - 1.0), 1e-6);
}

TEST_F(LevelEquations, SevenBoundsUpstreamDefectsByTheDepthRows) {
    // Equal weights (F 278 5) at Fr 1.5: each of the three upstream
    // neighbours (west, north-west, south-west) adds hb - h0.
    const struct {
        int row;
        double bound;
    } rows[] = {{0, 0.0}, {-1, 1.0}, {-2, 1.1}, {-3, 1.5}, {-4, 1.0}, {-7, std::pow(1.5, 0.66666667)}};
    FreeSurfaceOption = 7;
    SurfaceWeightOption = 5;
    for (int b = 1; b <= NoBedCells; ++b) Bfroude[b] = 1.5;
    for (const auto& r : rows) {
        SCOPED_TRACE(r.row);
        F246Int3 = r.row;
        BuildSurfaceEquationF36Seven();
        EXPECT_NEAR(Csource[c_], 3.0 * std::max(r.bound - 1.0, 0.0), 1e-9);
        // Seven present neighbours of weight 1; the north one is dry.
        EXPECT_NEAR(Cap[c_], 7.0, 1e-12);
    }
}

TEST_F(LevelEquations, NineHoldsAnIsolatedColumnAtItsLevel) {
    FreeSurfaceOption = 9;
    const int c = Bottom(3, 3);
    // Cut the column off from its neighbours on both sides of every link.
    for (int x = c; x > 0; x = Ccellt[x]) {
        if (Ccellw[x] != 0) Ccelle[Ccellw[x]] = 0;
        if (Ccelle[x] != 0) Ccellw[Ccelle[x]] = 0;
        if (Ccells[x] != 0) Ccelln[Ccells[x]] = 0;
        if (Ccelln[x] != 0) Ccells[Ccelln[x]] = 0;
        Ccellw[x] = Ccelle[x] = Ccells[x] = Ccelln[x] = 0;
    }
    BuildSurfaceEquationF36Nine();
    EXPECT_EQ(Cap[c], 1.0);
    EXPECT_NEAR(Csource[c], 1.0, 1e-12);
    SolvePlanEquation(4);
    EXPECT_NEAR(Cf[c], 1.0, 1e-12);
}

TEST_F(LevelEquations, NineIsHeldAtTheBedCellsWhereverItsNeighboursAreFound) {
    FreeSurfaceOption = 9;
    for (const int walk : {0, 1}) {
        SCOPED_TRACE(walk);
        TopCellWalkFlag = walk;
        BuildSurfaceEquationF36Nine();
        const int c = Bottom(3, 3), top = Top(3, 3);
        EXPECT_GT(Caw[c], 0.0);
        EXPECT_GT(Cae[c], 0.0);
        EXPECT_NEAR(Cap[c], Caw[c] + Cae[c] + Cas[c] + Can[c], 1e-9);
        EXPECT_NEAR(Cf[c], 1.0, 1e-12);  // the present level
        EXPECT_EQ(Caw[top], 0.0);
        EXPECT_EQ(Cap[top], 0.0);
    }
    TopCellWalkFlag = 0;
}

TEST_F(LevelEquations, NineTimeTermByTheTimeStepOptions) {
    FreeSurfaceOption = 9;
    TimeStep = 2.0;
    FalseTimeStep = 4.0;
    const struct {
        int option, mode;
        double factor;
    } rows[] = {{0, 0, 0.0}, {1, 1, 0.5}, {2, 0, 0.5}, {2, 1, 0.25}, {3, 1, 0.5}};
    const int c = Bottom(3, 3);
    for (const auto& r : rows) {
        SCOPED_TRACE(r.option * 10 + r.mode);
        SurfaceTimeTermOption = r.option;
        FalseTimeStepMode = r.mode;
        BuildSurfaceEquationF36Nine();
        EXPECT_NEAR(Cap[c] - (Cae[c] + Caw[c] + Can[c] + Cas[c]), r.factor, 1e-12);
        EXPECT_NEAR(Csource[c], r.factor * 1.0, 1e-12);  // the present level is 1 m
    }
    SurfaceTimeTermOption = 0;
}

TEST_F(LevelEquations, NineExtraTermsMoveWaterBetweenUnequalSpeeds) {
    FreeSurfaceOption = 9;
    BuildSurfaceEquationF36Nine();
    AddSurfaceEquationTermsF36Nine();
    // Equal speeds everywhere: nothing to add.
    for (int c = 1; c <= NoCells; ++c) EXPECT_EQ(Csource[c], 0.0) << c;
    // The column at (3, 3) twice as fast as the others: h A du / L over the
    // bed area, 1 m * 0.5 m2 * 1 m/s / 1 m / 0.5 m2 = 1 across each of its
    // west and east sides, taken from it and given to its neighbours.
    const int c = Bottom(3, 3);
    for (int x = c; x > 0; x = Ccellt[x]) Cu[x] = 2.0;
    BuildSurfaceEquationF36Nine();
    AddSurfaceEquationTermsF36Nine();
    EXPECT_NEAR(std::fabs(Csource[c]), 2.0, 1e-9);
    EXPECT_NEAR(Csource[Bottom(2, 3)], -0.5 * Csource[c], 1e-9);
    EXPECT_NEAR(Csource[Bottom(4, 3)], -0.5 * Csource[c], 1e-9);
    EXPECT_EQ(Csource[Bottom(3, 2)], 0.0);
    EXPECT_EQ(Csource[Bottom(3, 4)], 0.0);
}

// Ten columns 2 m long, 1 m wide and 1 m deep in a row.
class LevelRow : public UnstrucCase {
protected:
    void SetUp() override {
        ChannelSpec spec;
        spec.columnsAlong = 10;
        spec.columnsAcross = 1;
        spec.gridLinesZ = 3;
        spec.length = 20.0;
        spec.width = 1.0;
        spec.depth = 1.0;
        spec.version = 3;
        spec.letters = "";
        spec.extraControl = "F 65 200 400 200 10 10\n";
        const ChannelProject p = MakeChannelProject(spec);
        StartAndRead(p.control, p.unstruc);
    }
    static int Bed(int column) { return static_cast<int>(Gridz[column + 1][2][0]); }

    // The equation of F 36 = 9 with `flux` kg/s through every cross-section,
    // the last column held at 1 m and the flux entering the first column.
    void Solve(double flux) {
        FreeSurfaceOption = 9;
        StricklerCoefficient = 50.0;
        for (int c = 1; c <= NoCells; ++c) Fflux[Csurfw[c]] = flux / 2.0;
        BuildSurfaceEquationF36Nine();
        const int last = Bed(10);
        Cap[last] = 1e20;
        Csource[last] = 1e20 * 1.0;
        Csource[Bed(1)] += 0.001 * flux / PlanArea[2][2];
        PlanSolverTolerance = 1e-9;
        PlanSolverSweeps2 = 20000;
        SolvePlanEquation(4);
    }
};

TEST_F(LevelRow, StricklerConveyanceGivesTheFrictionSlope) {
    Solve(1000.0);
    // v^2 L / (K^2 h^1.33333) with v = 1 m/s, L = 2 m.
    const double fall = 2.0 / (50.0 * 50.0);
    for (int k = 1; k < 10; ++k) EXPECT_NEAR(Cf[Bed(k)] - Cf[Bed(k + 1)], fall, 0.01 * fall) << k;
}

TEST_F(LevelRow, StillWaterFindsOneLevel) {
    Solve(0.0);
    for (int k = 1; k <= 10; ++k) EXPECT_NEAR(Cf[Bed(k)], 1.0, 1e-6) << k;
}

// The solved value onto the nodes.
class LevelCorrection : public SurfaceCase {
protected:
    void SetUp() override {
        SurfaceCase::SetUp();
        FirstCell = 1;
        LastCell = NoCells;
    }
    static void SetAllBeds(double v) {
        for (int b = 1; b <= NoBedCells; ++b) Cf[Bcellt[b]] = v;
    }
};

TEST_F(LevelCorrection, EdgeNodeTakesItsOneColumnsCorrection) {
    FreeSurfaceOption = 4;
    SurfaceRelaxation = 1.0;
    SetAllBeds(0.0);
    Cf[Bottom(2, 2)] = 0.5;
    ApplyLevelCorrection();
    EXPECT_NEAR(Node(1, 1), 1.5, 1e-12);
    EXPECT_NEAR(NewNode(1, 1), 1.5, 1e-12);
    EXPECT_NEAR(Node(2, 1), 1.25, 1e-12);
    EXPECT_NEAR(Node(4, 4), 1.0, 1e-12);
}

TEST_F(LevelCorrection, NineDampsAFallingLevelByTheFroudeNumber) {
    FreeSurfaceOption = 9;
    F346Option = 1;
    const struct {
        double level, froude, expected;
    } rows[] = {{0.8, 0.25, 1.0 - 0.2 * 0.75}, {0.8, 2.0, 1.0 - 0.2 * 0.0001}, {1.2, 0.25, 1.2}};
    for (const auto& r : rows) {
        for (int i = 1; i <= 5; ++i) {
            for (int j = 1; j <= 4; ++j) Node(i, j) = 1.0;
        }
        SetAllBeds(r.level);
        for (int b = 1; b <= NoBedCells; ++b) Bfroude[b] = r.froude;
        ApplyLevelCorrection();
        EXPECT_NEAR(Node(3, 3), r.expected, 1e-12) << r.level << " " << r.froude;
    }
}

TEST_F(LevelCorrection, NineAppliesLevelsBelowTheDatum) {
    // The sums of levels and depths add up to less than 0: the early return
    // must not take that for agreement.
    FreeSurfaceOption = 9;
    SetAllBeds(-0.9);
    ApplyLevelCorrection();
    EXPECT_NEAR(Node(3, 3), -0.9, 1e-12);
}

TEST_F(LevelCorrection, UpstreamWeightsWithoutFlowGiveThePlainMean) {
    SurfaceRelaxation = 1.0;
    SetAllBeds(0.0);
    Cf[Bottom(3, 3)] = 0.4;
    Cf[Bottom(4, 4)] = 0.8;
    ApplyLevelCorrectionAlt();
    EXPECT_NEAR(Node(3, 3), 1.0 + 0.3, 1e-9);
}

TEST_F(LevelCorrection, DriverNineMovesByTheCorrection) {
    // Still water: on the driver's route the F 36 = 9 value is a correction,
    // so the levels stay instead of dropping to the datum.
    FreeSurfaceOption = 9;
    SolveDriverLevelEquation(1.0, 0.0, Top(3, 3));
    for (int i = 1; i <= 5; ++i) {
        for (int j = 1; j <= 4; ++j) EXPECT_NEAR(Node(i, j), 1.0, 1e-12) << i << " " << j;
    }
}

TEST_F(LevelCorrection, FroudeLimitOnlyRaisesInsideTheBlock) {
    FroudeLevelLimitOption = 1;
    TimeStep = 1.0;
    // Flow north everywhere; the column north of (4, 3) is dry.
    for (int c = 1; c <= NoCells; ++c) Cv[c] = 1.0;
    Gridz[4][4][0] = 0.0;
    for (int i = 1; i <= 5; ++i) {
        for (int j = 1; j <= 4; ++j) Node(i, j) = 0.5;
    }
    Node(3, 3) = 1.2;
    LimitSurfaceByFroude();
    const int t = Top(4, 3);
    const double h = 2.0 * Ckdist[t];
    const double conveyance = std::pow(h, 0.666667) * 50.0;
    const double face = Level(t) - Cjdist[t] / (conveyance * conveyance);
    EXPECT_NEAR(Node(4, 3), face, 1e-9);
    EXPECT_NEAR(NewNode(4, 3), face, 1e-9);
    EXPECT_EQ(Node(3, 3), 1.2);  // above the face level: never lowered
    for (int i = 1; i <= 5; ++i) {
        for (int j = 1; j <= 4; ++j) {
            if (i == 1 || i == 5 || j == 1 || j == 4) {
                EXPECT_EQ(Node(i, j), 0.5) << i << " " << j;
            }
        }
    }
}

TEST_F(LevelCorrection, BlockCorrectionOfASolvedEquationAddsNothing) {
    for (int c = 1; c <= NoCells; ++c) {
        Cap[c] = 2.0;
        Cae[c] = Caw[c] = Can[c] = Cas[c] = 0.5;
    }
    // A solved equation: 2 x = the neighbours' sum + source.
    for (int c = 1; c <= NoCells; ++c) Cf[c] = 0.1 * c;
    for (int c = 1; c <= NoCells; ++c) {
        Csource[c] = Cap[c] * Cf[c] - 0.5 * (Cf[Ccelle[c]] + Cf[Ccellw[c]] + Cf[Ccelln[c]] + Cf[Ccells[c]]);
    }
    Gridz[3][3][0] = 0.0;
    Cf[0] = 0.0;
    const std::vector<double> before(Cf.data(), Cf.data() + NoCells + 1);
    BlockCorrectSurfaceEquation();
    for (int c = 0; c <= NoCells; ++c) EXPECT_NEAR(Cf[c], before[c], 1e-12) << c;
}

TEST_F(LevelCorrection, BlockCorrectionSkipsDryNodes) {
    for (int c = 1; c <= NoCells; ++c) {
        Cap[c] = 1.0;
        Cae[c] = Caw[c] = Can[c] = Cas[c] = 0.0;
        Csource[c] = 1.0;
        Cf[c] = 0.0;
    }
    Gridz[3][3][0] = 0.0;
    Cf[0] = 0.0;
    BlockCorrectSurfaceEquation();
    EXPECT_EQ(Cf[0], 0.0);
}

TEST_F(LevelCorrection, ColumnFluxKeepsStillColumnsAndRaisesByTheInflow) {
    FreeSurfaceOption = 5;
    TimeStep = 1.0;
    for (int s = 1; s <= NoSurfaces; ++s) Fflux[s] = 0.0;
    const int t = Top(3, 3), c = Bottom(3, 3);
    // 1 kg/s into the top cell of (3, 3) through its west side.
    Fflux[Csurfw[t]] = 1.0;
    const double area = Farea[Csurfb[c]];
    BuildSurfaceEquationColumnFlux();
    EXPECT_NEAR(Cf[c], 0.001 * 1.0 / area, 0.01 * 0.001 / area);
    EXPECT_EQ(Cf[Bottom(5, 2)], 0.0);
    EXPECT_EQ(Node(5, 1), 1.0);
    EXPECT_NEAR(Node(3, 3), 1.0 + 0.25 * Cf[c], 1e-6);
}

TEST_F(LevelCorrection, CondensedColumnsSumTheirCells) {
    for (int c = 1; c <= NoCells; ++c) {
        Cap[c] = 1.0;
        Cae[c] = 0.25;
        Caw[c] = Can[c] = Cas[c] = 0.0;
        Csource[c] = 2.0;
    }
    const int cells = NoCells;
    SumCoefficientsPerColumn(0);
    // Three cells per column.
    EXPECT_NEAR(Csource[cells + 1], 6.0, 1e-12);
    EXPECT_NEAR(Cae[cells + 1], 0.75, 1e-12);
    EXPECT_NEAR(Cap[cells + 1], 3.0 + 0.75, 1e-12);
}

}  // namespace
