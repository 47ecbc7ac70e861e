// The fields carried onto regenerated cells, on hand-made old and new grids:
// a 3 x 3 patch of water columns (i, j = 1..3), cells numbered in the same
// arrays before and after the regeneration.
#include <cmath>
#include <string>
#include <vector>

#include "grid/grid_data.h"
#include "sediment/sediment_data.h"
#include "surface/surface_services.h"
#include "tests/support/equation_fixture.h"

namespace {

constexpr int kCells = 64;

class HandGrid : public EquationTest {
protected:
    HandGrid() {
        for (Array1<double>* a : {&Cu, &Cv, &Cw, &Pres, &Ck, &Cepsilon, &CinvAp, &Cu_old, &Cv_old, &Cw_old, &Pres_old,
                                  &Ck_old, &Cepsilon_old, &CinvAp_old, &Czcenter, &Ckdist, &Czcenter_old, &Ckdist_old,
                                  &Cvol, &Cidist, &Cjdist}) {
            a->release();
            EXPECT_TRUE(a->allocate(kCells));
        }
        for (Array1<int>* a : {&Ccellt, &Ccellb, &Ccelle, &Ccellw, &Ccelln, &Ccells, &Cbedcell}) {
            a->release();
            EXPECT_TRUE(a->allocate(kCells));
        }
        for (Array1<int>* a : {&Bcellt, &Bnocells, &Bcellt_old, &Bnocells_old, &Bkooi, &Bkooj}) {
            a->release();
            EXPECT_TRUE(a->allocate(16));
        }
        for (Array1<double>* a : {&Bdepth, &Bdepth_old}) {
            a->release();
            EXPECT_TRUE(a->allocate(16));
        }
        pointbed.release();
        EXPECT_TRUE(pointbed.allocate(5, 5));
        NoSizes = 1;
        for (Array2<double>* a : {&conc, &conc_old}) {
            a->release();
            EXPECT_TRUE(a->allocate(2, kCells));
        }
        NoCells = kCells - 1;
        NoBedCells = 9;
        for (int i = 1; i <= 3; ++i) {
            for (int j = 1; j <= 3; ++j) {
                const int n = (i - 1) * 3 + j;
                pointbed[i][j] = n;
                Bkooi[n] = i;
                Bkooj[n] = j;
            }
        }
        for (int c = 1; c < kCells; ++c) Cu[c] = Pres[c] = -99.0;
    }

    // Column n with `count` cells of equal height from `first` up, in the new
    // (old = false) or the old geometry.
    static void Column(int n, int first, int count, double depth, bool old) {
        (old ? Bcellt_old : Bcellt)[n] = count > 0 ? first : 0;
        (old ? Bnocells_old : Bnocells)[n] = count;
        (old ? Bdepth_old : Bdepth)[n] = depth;
        const double h = count > 0 ? depth / count : 0.0;
        for (int k = 0; k < count; ++k) {
            const int c = first + k;
            (old ? Czcenter_old : Czcenter)[c] = (k + 0.5) * h;
            (old ? Ckdist_old : Ckdist)[c] = 0.5 * h;
            if (!old) {
                Ccellt[c] = k + 1 < count ? c + 1 : 0;
                Cvol[c] = h;
            }
        }
    }

    // Old cell o holds u = o, p = 100 o, k = o, concentration 0.01 o.
    static void OldValues(int first, int count) {
        for (int o = first; o < first + count; ++o) {
            Cu_old[o] = o;
            Cv_old[o] = Cw_old[o] = 0.0;
            Pres_old[o] = 100.0 * o;
            Ck_old[o] = Cepsilon_old[o] = CinvAp_old[o] = o;
            conc_old[1][o] = 0.01 * o;
        }
    }
};

struct ColumnCase {
    std::string name;
    int oldCells, newCells, variant;
    std::vector<double> u;  // expected u of the new cells, bottom up; empty: unwritten
};

void PrintTo(const ColumnCase& row, std::ostream* os) { *os << row.name; }

class ColumnCases : public HandGrid, public ::testing::WithParamInterface<ColumnCase> {};

TEST_P(ColumnCases, NewCellsTakeTheOldValues) {
    const ColumnCase& k = GetParam();
    F147Int2 = k.variant;
    const double oldDepth = 1.0, newDepth = k.newCells == k.oldCells ? 1.25 : 1.2;
    Column(1, 1, k.oldCells, oldDepth, true);
    Column(1, 1, k.newCells, newDepth, false);
    OldValues(1, k.oldCells);
    for (int c = 1; c <= k.newCells; ++c) conc[1][c] = 7.0;
    InterpolateToNewGrid();
    double oldMass = 0.0, newMass = 0.0;
    for (int o = 1; o <= k.oldCells; ++o) oldMass += 0.01 * o * 2.0 * Ckdist_old[o];
    for (int c = 1; c <= k.newCells; ++c) {
        SCOPED_TRACE(c);
        newMass += conc[1][c] * 2.0 * Ckdist[c];
        if (k.u.empty()) {
            EXPECT_EQ(Cu[c], -99.0);
            EXPECT_EQ(conc[1][c], 0.0);
            continue;
        }
        EXPECT_NEAR(Cu[c], k.u[c - 1], 1e-12);
        EXPECT_NEAR(Pres[c], 100.0 * k.u[c - 1], 1e-10);
        EXPECT_NEAR(Ck[c], k.u[c - 1], 1e-12);
        // The results are the old values of the next regeneration.
        EXPECT_EQ(Cu_old[c], Cu[c]);
        EXPECT_EQ(conc_old[1][c], conc[1][c]);
    }
    EXPECT_EQ(Bnocells_old[1], k.newCells);
    if (k.oldCells == k.newCells) {
        // Scaled by old over new depth: the sediment per plan area stays.
        for (int c = 1; c <= k.newCells; ++c) {
            EXPECT_NEAR(conc[1][c], 0.01 * c * oldDepth / newDepth, 1e-15);
        }
    }
    if (k.oldCells == k.newCells || k.variant == 2) {
        EXPECT_NEAR(newMass, oldMass, 1e-12 * oldMass);
    }
    if (k.newCells == 1) {
        EXPECT_NEAR(conc[1][1], 0.02 * oldDepth / newDepth, 1e-15);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Columns, ColumnCases,
    ::testing::Values(ColumnCase{"SameCount", 3, 3, 2, {1, 2, 3}}, ColumnCase{"ToOneCell", 3, 1, 2, {2}},
                      ColumnCase{"FromOneCell", 1, 3, 2, {1, 1, 1}},
                      ColumnCase{"ByCentreLevels", 4, 6, 0, {1, 1.7, 2.5, 3.3, 4, 4}},
                      ColumnCase{"ByRelativePosition", 4, 6, 1, {1, 4.0 / 3.0, 2, 8.0 / 3.0, 3, 4}},
                      ColumnCase{"KeepingSediment", 4, 6, 2, {1, 1.5, 13.0 / 6.0, 17.0 / 6.0, 3.5, 4}},
                      ColumnCase{"UnknownVariant", 4, 6, 5, {}}),
    [](const ::testing::TestParamInfo<ColumnCase>& p) { return p.param.name; });

// Column 5 (2, 2) is new and wet; (1, 2) and (3, 2) were wet before.
class NewColumns : public HandGrid {
protected:
    void SetUpPatch(bool eastIsNew) {
        Column(2, 1, 2, 1.0, true);  // (1, 2)
        Column(2, 1, 2, 1.0, false);
        Column(5, 10, 0, 0.0, true);
        Column(5, 10, 2, 0.5, false);
        Column(8, eastIsNew ? 20 : 30, eastIsNew ? 0 : 2, 1.0, true);  // (3, 2)
        Column(8, 30, 2, 1.0, false);
        OldValues(1, 2);
        OldValues(30, 2);
        Ccellw[10] = 1;
        Ccelle[10] = 30;
        Ccellw[30] = 10;
        Ck_old[1] = 2.0;
        Ck_old[30] = 4.0;
        for (int c : {10, 11}) {
            Cu[c] = 5.0;
            conc[1][c] = 3.0;
        }
    }
};

TEST_F(NewColumns, AMeansPressureAndSumsVelocities) {
    SetUpPatch(false);
    F147Value5 = 2.0;
    InterpolateToNewGrid();
    for (int c : {10, 11}) {
        SCOPED_TRACE(c);
        EXPECT_DOUBLE_EQ(Pres[c], (100.0 + 3000.0) / 2.0);
        EXPECT_DOUBLE_EQ(Ck[c], (2.0 + 4.0) * 2.0 / 2.0);
        EXPECT_DOUBLE_EQ(Cu[c], (1.0 + 30.0) * 0.2);
        EXPECT_EQ(conc[1][c], 0.0);
    }
}

struct PassCase {
    const char* name;
    int passes, variant;
    bool eastIsNew;
    double eastPressure;  // expected Pres of the east column's bottom cell 30
    double centreU;       // expected u of the centre bottom cell 10 (NaN: not checked)
};

void PrintTo(const PassCase& row, std::ostream* os) { *os << row.name; }

class Passes : public NewColumns, public ::testing::WithParamInterface<PassCase> {};

TEST_P(Passes, FillOnlyWhatTheirVariantAllows) {
    const PassCase& k = GetParam();
    SetUpPatch(k.eastIsNew);
    ExtrapolationPasses = k.passes;
    F147Int3 = k.variant;
    InterpolateToNewGrid();
    EXPECT_DOUBLE_EQ(Pres[30], k.eastPressure);
    if (!std::isnan(k.centreU)) {
        EXPECT_DOUBLE_EQ(Cu[10], k.centreU);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Fill, Passes,
    ::testing::Values(
        // No passes: A keeps the velocity and zeroes the pressure, B zeroes all.
        PassCase{"NoPassesA", 0, 1, false, 3000.0, 5.0}, PassCase{"NoPassesB", 0, 2, false, 3000.0, 0.0},
        // East column new too: it is filled from the centre in the second
        // pass (and the centre then sums both neighbours).
        PassCase{"SecondPassFromNewColumn", 20, 1, true, 100.0, NAN},
        PassCase{"OnlyOldNeighbours", 20, 0, true, 0.0, 0.2},
        PassCase{"BFromCurrentCells", 20, 2, true, 100.0, 0.2}),
    [](const ::testing::TestParamInfo<PassCase>& p) { return p.param.name; });

TEST_F(HandGrid, SetTotalsAreRestoredUnsetOnesCarried) {
    F147Int2 = 2;
    Column(1, 1, 3, 1.0, true);
    Column(1, 1, 3, 1.0, false);
    OldValues(1, 3);
    ASSERT_TRUE(SuspendedMassTotal.allocate(2) && SuspendedMassTotalSet.allocate(2));
    InterpolateToNewGrid();
    EXPECT_NEAR(conc[1][2], 0.02, 1e-15);  // not set: carried
    SuspendedMassTotal[1] = 0.5;
    SuspendedMassTotalSet[1] = 1;
    Column(1, 1, 2, 1.0, false);
    InterpolateToNewGrid();
    double total = 0.0;
    for (int c = 1; c <= NoCells; ++c) total += conc[1][c] * Cvol[c];
    EXPECT_NEAR(total, 0.5, 1e-12);
}

// Called again without a regeneration, every column has its old count and
// cells: the fields stay as they are, value for value, the velocity
// correction factor too (the update keeps its old copy with the others).
TEST_F(HandGrid, SecondCallWithoutRegenerationChangesNothing) {
    F147Int2 = 0;
    Column(1, 1, 4, 1.0, true);
    Column(1, 1, 6, 1.2, false);
    OldValues(1, 4);
    InterpolateToNewGrid();
    for (int c = 1; c <= 6; ++c) Czcenter_old[c] = Czcenter[c], Ckdist_old[c] = Ckdist[c];
    std::vector<double> before;
    for (const Array1<double>* a : {&Cu, &Cv, &Cw, &Pres, &Ck, &Cepsilon, &CinvAp}) {
        for (int c = 1; c <= 6; ++c) before.push_back((*a)[c]);
    }
    std::vector<double> concBefore;
    for (int c = 1; c <= 6; ++c) concBefore.push_back(conc[1][c]);
    for (const int variant : {0, 1, 2}) {
        SCOPED_TRACE(variant);
        F147Int2 = variant;
        InterpolateToNewGrid();
        size_t k = 0;
        for (const Array1<double>* a : {&Cu, &Cv, &Cw, &Pres, &Ck, &Cepsilon, &CinvAp}) {
            for (int c = 1; c <= 6; ++c, ++k) EXPECT_EQ((*a)[c], before[k]) << c;
        }
        for (int c = 1; c <= 6; ++c) EXPECT_EQ(conc[1][c], concBefore[static_cast<size_t>(c - 1)]) << c;
    }
}

// The check of the pressures filled into new wet columns. Column 5 (2, 2),
// bottom cell 10, is new; its west neighbour (1, 2) held cell 1, its east
// neighbour (3, 2) cell 30.
struct CheckCase {
    const char* name;
    char debug;
    int iter, hintVariant;
    double pressure;  // of cell 10; cell 30 holds 0
    std::string lines;
};

void PrintTo(const CheckCase& row, std::ostream* os) { *os << row.name; }

class PressureCheck : public HandGrid, public ::testing::WithParamInterface<CheckCase> {};

constexpr const char* kColumnReport =
    "Iter 5, Grid no. [2,2]\n"
    "Bcellt_old(5) = 0, Bnocells_old = 0, Bnocells = 2\n"
    "Bcellt_old, Pres_old, n = 0, 0.000000\n"
    "Bcellt_old, Pres_old, s = 0, 0.000000\n"
    "Bcellt_old, Pres_old, e = 30, 3000.000000\n"
    "Bcellt_old, Pres_old, w = 1, 100.000000\n"
    "\n";
constexpr const char* kHint = "The problem could be due to the choise on the F 147 data set in the control file.\n";

TEST_P(PressureCheck, ReportsInOrder) {
    const CheckCase& k = GetParam();
    Column(5, 10, 0, 0.0, true);
    Column(5, 10, 2, 0.5, false);
    Bcellt_old[2] = 1;
    Bcellt_old[8] = 30;
    OldValues(1, 1);
    OldValues(30, 1);
    Ccelle[10] = 30;
    Cidist[10] = Cidist[30] = 0.5;
    Pres[10] = k.pressure;
    Pres[30] = 0.0;
    DebugOption = k.debug;
    Iter = k.iter;
    F147Int3 = k.hintVariant;
    const std::string before = log();
    CheckExtrapolatedPressure();
    EXPECT_EQ(log().substr(before.size()), k.lines);
}

INSTANTIATE_TEST_SUITE_P(
    Check, PressureCheck,
    ::testing::Values(
        CheckCase{"UnsetPressureWithHint", 'D', 5, 0, 0.0,
                  std::string("Error in extrapolation, non-interpolated pressure\n") + kHint +
                      "BCell = 5, pointbed = 5, Cellno = 10\n"
                      "Pres = 0.000000, Pres_old = 0.000000\n" +
                      kColumnReport},
        CheckCase{"UnsetPressure", 'D', 5, 1, 5e-9,
                  std::string("Error in extrapolation, non-interpolated pressure\n"
                              "BCell = 5, pointbed = 5, Cellno = 10\n"
                              "Pres = 0.000000, Pres_old = 0.000000\n") +
                      kColumnReport},
        // 5000 Pa over the 1 m between the centres: 0.5 m of head per metre.
        CheckCase{"SteepEastFace", 'D', 5, 1, 5000.0,
                  std::string("Warning in extrapolation, too high pressure gradients-east\n"
                              "BCell = 5, pointbed = 5, Cellno = 10, grad = 0.500000\n"
                              "Pres = 5000.000000, Pres_old = 0.000000, Pres_e = 0.000000\n") +
                      kColumnReport},
        CheckCase{"SteepEastFaceWithHint", 'D', 5, 0, -5000.0,
                  std::string("Warning in extrapolation, too high pressure gradients-east\n") + kHint +
                      "BCell = 5, pointbed = 5, Cellno = 10, grad = 0.500000\n"
                      "Pres = -5000.000000, Pres_old = 0.000000, Pres_e = 0.000000\n" +
                      kColumnReport},
        CheckCase{"GentleFace", 'D', 5, 0, 1000.0, ""},  // 0.1 m per metre
        CheckCase{"WithoutDebugOption", 'N', 5, 0, 0.0, ""}, CheckCase{"FirstIteration", 'D', 1, 0, 0.0, ""}),
    [](const ::testing::TestParamInfo<CheckCase>& p) { return p.param.name; });

// Layer blocks: two columns of block 1 and an appended block 2 whose two
// cells stand on the first column, numbered top first (cell 7 above 8).
TEST_F(HandGrid, LayerBlockSettingsAndHydrostaticAppendedBlock) {
    ASSERT_TRUE(Gridz.allocate(3, 3, 2));
    for (Array1<double>* a : {&BlayerSlope, &CstressRatio}) {
        a->release();
        ASSERT_TRUE(a->allocate(kCells));
    }
    CstressCount.release();
    ASSERT_TRUE(CstressCount.allocate(kCells));
    NoBlocks = 2;
    BlockTable[1] = BlockRecord{};
    BlockTable[1].iFirst = BlockTable[1].iLast = 1;
    BlockTable[1].jFirst = 1;
    BlockTable[1].jLast = 2;
    BlockTable[1].layerBlock = 1;
    BlockTable[1].firstCell = 1;
    BlockTable[1].lastCell = 6;
    BlockTable[2] = BlockRecord{};
    BlockTable[2].iFirst = 1;  // no columns of its own
    BlockTable[2].iLast = 0;
    BlockTable[2].layerBlock = 1;
    BlockTable[2].firstCell = 7;
    BlockTable[2].lastCell = 8;
    LayerBlockOption = 1;
    NoIterPerStep = 10;
    Iter = 3;
    // Column (1, 1): cells 1, 2, 3, 8, 7 from the bed up; column (1, 2): 4, 5, 6.
    const int first[] = {1, 2, 3, 8, 7}, second[] = {4, 5, 6};
    auto chain = [](const int* cells, int n, int bed) {
        for (int k = 0; k < n; ++k) {
            const int c = cells[k];
            Ccellb[c] = k > 0 ? cells[k - 1] : 0;
            Ccellt[c] = k + 1 < n ? cells[k + 1] : 0;
            Cbedcell[c] = bed;
            Czcenter[c] = 0.1 + 0.2 * k;
            Ckdist[c] = 0.1;
        }
    };
    chain(first, 5, 1);
    chain(second, 3, 4);
    Gridz[1][1][0] = 1;
    Gridz[1][2][0] = 4;
    BlayerSlope[1] = 0.25;
    BlayerSlope[4] = 0.45;
    InterpolateToNewGrid();
    const struct {
        int cell, count;
        double ratio;
    } layers[] = {{1, -2, 0.0}, {2, 5, 1.2}, {3, 5, 1.2}, {8, 5, 1.2}, {7, 5, 1.2},
                  {4, -2, 0.0}, {5, -2, 0.0}, {6, 5, 1.2}};
    for (const auto& l : layers) {
        EXPECT_EQ(CstressCount[l.cell], l.count) << l.cell;
        EXPECT_EQ(CstressRatio[l.cell], l.ratio) << l.cell;
    }
    // The walk goes down from the top cell 7 only: cell 8, whose upper
    // neighbour is appended too, starts none, which would restart the depth.
    for (int k = 0; k < 5; ++k) EXPECT_NEAR(Pres[first[4 - k]], 9810.0 * (0.1 + 0.2 * k), 1e-9) << first[4 - k];
    // Columns without appended cells keep their pressures.
    for (const int c : second) EXPECT_EQ(Pres[c], -99.0) << c;
}

}  // namespace
