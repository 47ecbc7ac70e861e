// The suspended-sediment solver: a settling column whose solution is known,
// solved by every variant on several thread counts; the column-aligned
// blocks; and the erosion the active layer allows with F 253 1.
#include <omp.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "run/globals.h"
#include "run/log.h"
#include "sediment/sediment_services.h"
#include "tests/support/control_text.h"
#include "tools/box_grid.h"

namespace {

using Values = std::vector<double>;

class SedimentSolver : public ::testing::Test {
protected:
    SedimentSolver() : threads_(omp_get_max_threads()) {
        if (!LogCreate()) ADD_FAILURE() << "cannot create boogie";
        ResetGlobals();
        omp_set_dynamic(0);
        NoSizes = 1;
    }
    ~SedimentSolver() override { omp_set_num_threads(threads_); }

    // The box and the per-size system of size 1 (shared side coefficients).
    BoxGrid Build(int ni, int nj, int nk) {
        const BoxGrid g = MakeBoxGrid(ni, nj, nk);
        const size_t slots = static_cast<size_t>(NoCells) + 1;
        for (Array2<double>* a : {&CapMulti, &CatMulti, &CabMulti, &CsourceMulti}) {
            EXPECT_TRUE(a->allocate(NoSizes + 1, slots));
        }
        return g;
    }

    // The bed arrays that F 253 1 reads, one column per bottom cell.
    void BuildBed(const BoxGrid& g) {
        const size_t slots = static_cast<size_t>(NoCells) + 1;
        const size_t columns = static_cast<size_t>(g.ni * g.nj) + 1;
        ASSERT_TRUE(Cbedcell.allocate(slots) && Barea.allocate(columns));
        ASSERT_TRUE(BSedDistrib.allocate(NoBedLayers + 1, NoSizes + 1, columns));
        for (Array2<double>* a : {&BpotentialConc, &BSedActive, &BSolverErosion}) {
            ASSERT_TRUE(a->allocate(NoSizes + 1, columns));
        }
        for (int i = 0; i < g.ni; ++i) {
            for (int j = 0; j < g.nj; ++j) {
                const int b = 1 + j + g.nj * i;
                for (int k = 0; k < g.nk; ++k) Cbedcell[g.cell(i, j, k)] = b;
            }
        }
    }

    static Values Field() {
        Values v;
        for (int c = 1; c <= NoCells; ++c) v.push_back(Cf[c]);
        return v;
    }

    static void SetThreads(int threads) {
        NoThreads = threads;
        omp_set_num_threads(threads);
    }

    std::string log() const { return here_.dir().read("boogie"); }

private:
    int threads_;
    InProjectDir here_;
};

// Settling against diffusion at a cell Peclet number of 0.2 over a bottom
// cell held at 1: c_k = r^(k - 1), r = A / (A + 0.2), A = 0.98^5.
constexpr double kA = 0.903921;

void SettlingColumn(int cells) {
    for (int c = 1; c <= cells; ++c) {
        CatMulti[1][c] = c == cells ? 0.2 : kA + 0.2;
        CabMulti[1][c] = kA;
        CapMulti[1][c] = CatMulti[1][c] + CabMulti[1][c];
        CsourceMulti[1][c] = 0.0;
        Cf[c] = 0.0;
    }
    CapMulti[1][1] = 1e30;
    CsourceMulti[1][1] = 1e30;
}

struct VariantCase {
    const char* name;
    int solverVariant;
    int erosionLimit;  // F 253
    int threads;
    int f206;
    bool farScheme = false;  // K 6 1 for the sediment equations
};

void PrintTo(const VariantCase& row, std::ostream* os) { *os << row.name; }

class SettlingColumnVariants : public SedimentSolver, public ::testing::WithParamInterface<VariantCase> {};

TEST_P(SettlingColumnVariants, FortyCallsReachTheExactProfile) {
    const VariantCase& v = GetParam();
    const BoxGrid g = Build(1, 1, 10);
    BuildBed(g);
    SettlingColumn(10);
    SolverVariant = v.solverVariant;
    ActiveLayerErosionLimit = v.erosionLimit;
    SetThreads(v.threads);
    NoThreads = v.f206;
    if (v.farScheme) {
        for (int e = 7; e <= 7 + NoSizes; ++e) ConvectionScheme[e] = 1;
    }
    for (int call = 0; call < 40; ++call) SolveSediment3D(1);
    const double r = kA / (kA + 0.2);
    for (int k = 1; k <= 10; ++k) EXPECT_NEAR(Cf[k], std::pow(r, k - 1), 1e-9) << "cell " << k;
    // The bottom cell is held: no erosion enters it.
    if (v.erosionLimit == 1) {
        EXPECT_EQ(BSolverErosion[1][1], 0.0);
    }
    EXPECT_EQ(Cf[0], 0.0);
    EXPECT_EQ(log(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Table, SettlingColumnVariants,
    ::testing::Values(VariantCase{"Serial1", 21, 0, 1, 1}, VariantCase{"Serial4", 25, 0, 4, 4},
                      VariantCase{"ErosionLimited1", 0, 1, 1, 1}, VariantCase{"ErosionLimited4", 31, 1, 4, 4},
                      VariantCase{"ColumnBlocks1", 31, 0, 1, 1}, VariantCase{"ColumnBlocks2", 31, 0, 2, 2},
                      VariantCase{"ColumnBlocks4", 33, 0, 4, 4}, VariantCase{"ColumnBlocksF206_64", 31, 0, 4, 64},
                      VariantCase{"CellRanges1", 0, 0, 1, 1}, VariantCase{"CellRanges2", 0, 0, 2, 2},
                      VariantCase{"CellRanges4", 0, 0, 4, 4}, VariantCase{"WithoutF206", 0, 0, 4, 0},
                      VariantCase{"FarSchemeColumnBlocks", 31, 0, 2, 2, true},
                      VariantCase{"FarSchemeCellRanges", 0, 0, 2, 2, true}),
    [](const auto& i) { return std::string(i.param.name); });

// Uneven coefficients on a 3 x 2 box of columns four cells tall.
Values UnevenBox() {
    std::mt19937 rng(4711);
    std::uniform_real_distribution<double> u(0.1, 1.0);
    Values start;
    for (int c = 1; c <= NoCells; ++c) {
        double sum = 0.0;
        for (Array1<double>* a : {&Cae, &Caw, &Can, &Cas}) sum += (*a)[c] = u(rng);
        sum += CatMulti[1][c] = u(rng);
        sum += CabMulti[1][c] = u(rng);
        CapMulti[1][c] = 1.05 * sum + u(rng);
        CsourceMulti[1][c] = u(rng) - 0.5;
        start.push_back(u(rng));
    }
    return start;
}

// The column-aligned variant is, on any number of blocks, a serial upward
// pass into Cwork followed by a downward pass into Cf, five times: block
// bounds that fall inside a column move up to its top, so no column is cut
// and nothing depends on which thread got which block.
TEST_F(SedimentSolver, ColumnBlocksNeverCutAColumn) {
    Build(3, 2, 4);
    const Values start = UnevenBox();
    Values work(NoCells + 1, 0.0), f(NoCells + 1, 0.0);
    for (int c = 1; c <= NoCells; ++c) f[c] = start[c - 1];
    auto value = [&](int c, const Values& side, const Values& below, const Values& above) {
        return (Cae[c] * side[Ccelle[c]] + Caw[c] * side[Ccellw[c]] + Can[c] * side[Ccelln[c]] +
                Cas[c] * side[Ccells[c]] + CatMulti[1][c] * above[Ccellt[c]] + CabMulti[1][c] * below[Ccellb[c]] +
                CsourceMulti[1][c]) /
               CapMulti[1][c];
    };
    for (int it = 0; it < 5; ++it) {
        for (int c = 1; c <= NoCells; ++c) work[c] = value(c, f, work, f);
        for (int c = NoCells; c >= 1; --c) f[c] = value(c, work, work, f);
    }
    SolverVariant = 31;
    for (int blocks : {1, 2, 4, 5, 7, 64}) {
        SetThreads(std::min(blocks, 4));
        NoThreads = blocks;
        for (int c = 1; c <= NoCells; ++c) Cf[c] = start[c - 1];
        SolveSediment3D(1);
        for (int c = 1; c <= NoCells; ++c) EXPECT_EQ(Cf[c], f[c]) << blocks << " blocks, cell " << c;
    }
    // G 50 puts the solve on one block.
    OpenMPSwitches[8] = 1;
    for (int c = 1; c <= NoCells; ++c) Cf[c] = start[c - 1];
    SolveSediment3D(1);
    for (int c = 1; c <= NoCells; ++c) EXPECT_EQ(Cf[c], f[c]) << "cell " << c;
}

// The in-place variants on the uneven box converge to the same solution.
TEST_F(SedimentSolver, InPlaceRangesConvergeOnAnyThreadCount) {
    Build(3, 2, 4);
    const Values start = UnevenBox();
    auto solve = [&](int variant, int threads) {
        SolverVariant = variant;
        SetThreads(threads);
        for (int c = 1; c <= NoCells; ++c) Cf[c] = start[c - 1];
        for (int call = 0; call < 30; ++call) SolveSediment3D(1);
        return Field();
    };
    const Values reference = solve(21, 1);
    for (int threads : {2, 3, 4}) {
        const Values got = solve(0, threads);
        for (int c = 0; c < NoCells; ++c) EXPECT_NEAR(got[c], reference[c], 1e-12) << threads << " threads";
    }
}

// One bottom cell under F 253 1: the pick-up at the bed concentration
// (0.5 x 0.002 x 0.01 x 1 x 1000 = 0.01 kg/s) is smaller than settling plus
// the active layer's sediment (0.05 x 0.5 x 0.01 x 1000 = 0.25 kg/s).
class ErosionLimit : public SedimentSolver {
protected:
    void BuildCell() {
        const BoxGrid g = Build(1, 1, 1);
        BuildBed(g);
        ActiveLayerErosionLimit = 1;
        FallVelocity[1] = 0.01;
        Barea[1] = 1.0;
        BedSolidFraction = 0.5;
        TimeStep = 10.0;
        BSedDistrib[1][1][1] = 0.5;
        BSedDistrib[1][0][1] = 0.01;
        BpotentialConc[1][1] = 0.002;
        BSedActive[1][1] = 7.0;
        CapMulti[1][1] = 1.0;
        Cf[1] = 0.0;
    }
};

TEST_F(ErosionLimit, PickUpAtTheBedConcentration) {
    BuildCell();
    SolveSediment3D(1);
    EXPECT_NEAR(BSolverErosion[1][1], 0.01, 1e-15);
    EXPECT_NEAR(Cf[1], 0.01, 1e-15);
    EXPECT_EQ(BSedActive[1][1], 7.0);
}

TEST_F(ErosionLimit, SupplyOfAThinActiveLayer) {
    BuildCell();
    // 2.5e-4 kg/s of sediment in the layer: the erosion is settling plus
    // that, E = 10 c + 2.5e-4 with c = E / 100, so E = 2.5e-4 x 100 / 90.
    BSedDistrib[1][0][1] = 1e-5;
    CapMulti[1][1] = 100.0;
    SolveSediment3D(1);
    EXPECT_NEAR(BSolverErosion[1][1], 2.5e-4 * 100.0 / 90.0, 1e-11);
}

TEST_F(ErosionLimit, NothingOfASizeTheLayerDoesNotHold) {
    BuildCell();
    BSedDistrib[1][1][1] = 0.0;
    BSolverErosion[1][1] = 3.0;
    SolveSediment3D(1);
    EXPECT_EQ(BSolverErosion[1][1], 0.0);
    EXPECT_EQ(Cf[1], 0.0);
}

TEST_F(SedimentSolver, RefusesASizeWithoutEquation) {
    Build(1, 1, 2);
    const ReadOutcome out = CaptureRunEnd([] { SolveSediment3D(2); });
    EXPECT_TRUE(out.ended);
    EXPECT_EQ(out.status, -1);
    EXPECT_NE(out.log.find("size 2 of 1"), std::string::npos) << out.log;
}

}  // namespace
