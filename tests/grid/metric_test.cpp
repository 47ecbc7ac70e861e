// The cell metric on boxes built in the arrays and on the grid fixtures.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "run/status.h"
#include "tests/grid/metric_case.h"
#include "tests/grid/unstruc_case.h"

namespace {

constexpr double kTight = 1e-12;

struct Vec {
    double x, y, z;
};

Vec AreaVector(int s) { return {Fareax[s], Fareay[s], Fareaz[s]}; }
Vec Normal(int s) { return {Fvecx[s], Fvecy[s], Fvecz[s]}; }

void ExpectVec(const Vec& v, double x, double y, double z, double tol = kTight) {
    EXPECT_NEAR(v.x, x, tol);
    EXPECT_NEAR(v.y, y, tol);
    EXPECT_NEAR(v.z, z, tol);
}

// What surface s holds on its first (hand 1) or second hand.
void ExpectHand(int s, int hand, int cell, int type, int far, double dist) {
    const bool first = hand == 1;
    EXPECT_EQ(first ? Fcell1[s] : Fcell2[s], cell) << "surface " << s;
    EXPECT_EQ(first ? Ftype1[s] : Ftype2[s], type) << "surface " << s;
    EXPECT_EQ(first ? Fcellfar1[s] : Fcellfar2[s], far) << "surface " << s;
    EXPECT_DOUBLE_EQ(first ? Fdist1[s] : Fdist2[s], dist) << "surface " << s;
}

TEST_F(MetricCase, UnitCube) {
    Start();
    MakeBoxGeometry(1, 1, 1);
    MetricRuns();
    EXPECT_DOUBLE_EQ(Cxcenter[1], 0.5);
    EXPECT_DOUBLE_EQ(Cycenter[1], 0.5);
    EXPECT_DOUBLE_EQ(Czcenter[1], 0.5);
    for (const Array1<double>* a : {&Cidist, &Cjdist, &Ckdist}) EXPECT_DOUBLE_EQ((*a)[1], 0.5);
    for (const Array1<double>* a : {&Careax, &Careay, &Careaz, &Cvol}) EXPECT_DOUBLE_EQ((*a)[1], 1.0);
    ExpectVec({Cdxdk[1], Cdydk[1], Cdzdk[1]}, 0.0, 0.0, 1.0);
    // Every face has area 1 and its normal along its axis, pointing from its
    // first cell to its second, that is in the grid direction.
    const struct {
        Array1<int>* surface;
        Vec normal;
    } faces[] = {{&Csurfw, {1, 0, 0}}, {&Csurfe, {1, 0, 0}}, {&Csurfs, {0, 1, 0}},
                 {&Csurfn, {0, 1, 0}}, {&Csurfb, {0, 0, 1}}, {&Csurft, {0, 0, 1}}};
    for (const auto& f : faces) {
        const int s = (*f.surface)[1];
        EXPECT_DOUBLE_EQ(Farea[s], 1.0);
        ExpectVec(Normal(s), f.normal.x, f.normal.y, f.normal.z);
        ExpectVec(AreaVector(s), f.normal.x, f.normal.y, f.normal.z);
    }
}

// A parallelogram in plan, on a bed that slopes along x, one metre thick.
TEST_F(MetricCase, ShearedCell) {
    Start();
    MakeBoxGeometry(1, 1, 1);
    for (int p = 1; p <= NoPoints; ++p) {
        Px1[p] += 0.5 * Py1[p];
        Pz1[p] += 0.25 * Px1[p];
    }
    MetricRuns();
    EXPECT_NEAR(Cxcenter[1], 0.75, kTight);
    EXPECT_NEAR(Czcenter[1], 0.5 + 0.25 * 0.75, kTight);
    EXPECT_NEAR(Cidist[1], 0.5 * std::sqrt(1.0 + 0.25 * 0.25), kTight);
    EXPECT_NEAR(Cjdist[1], 0.5 * std::sqrt(0.25 + 1.0 + 0.125 * 0.125), kTight);
    EXPECT_NEAR(Ckdist[1], 0.5, kTight);
    EXPECT_NEAR(Careaz[1], 1.0, kTight);
    EXPECT_NEAR(Cvol[1], 1.0, kTight);
    EXPECT_NEAR(Careay[1], 1.0, kTight);
    EXPECT_NEAR(Careax[1], std::sqrt(1.25), kTight);
    // The sloping bed: its plan projection is the plan area, and it leans
    // against the slope.
    const int bed = Csurfb[1];
    EXPECT_NEAR(Farea[bed], std::sqrt(1.0 + 0.0625), kTight);
    ExpectVec(AreaVector(bed), -0.25, 0.0, 1.0);
    // The west face is sheared: its normal leans away from the j direction.
    ExpectVec(AreaVector(Csurfw[1]), 1.0, -0.5, 0.0);
}

// Each surface knows the side of each of its cells, the half length of that
// cell across it and the cell beyond.
TEST_F(MetricCase, SideTable) {
    Start();
    BoxSpacing h;
    h.dx = 2.0;
    h.dy = 3.0;
    h.dz = 0.5;
    const BoxGrid g = MakeBoxGeometry(3, 3, 3, h);
    MetricRuns();
    const int c = g.cell(1, 1, 1);
    const double half[7] = {0, 1.5, 1.0, 1.5, 1.0, 0.25, 0.25};
    const int opposite[7] = {0, 3, 4, 1, 2, 6, 5};
    for (const CellSide& side : kCellSides) {
        SCOPED_TRACE(side.name);
        const int s = (*side.surface)[c];
        const Array1<int>* far = kCellSides[opposite[side.type] - 1].neighbour;
        ASSERT_NE((*far)[c], 0);
        // The middle cell is the first cell of its east, north and top faces.
        const int hand = side.type == 2 || side.type == 3 || side.type == 6 ? 1 : 2;
        ExpectHand(s, hand, c, side.type, (*far)[c], half[side.type]);
    }
    // Every inner surface pairs a side with its opposite; a boundary surface
    // has type 0 and no far cell on its empty hand.
    for (int s = 1; s <= NoSurfaces; ++s) {
        if (Fcell1[s] != 0 && Fcell2[s] != 0) {
            EXPECT_EQ(opposite[Ftype1[s]], Ftype2[s]) << "surface " << s;
        } else {
            EXPECT_EQ(Fcell1[s] == 0 ? Ftype1[s] : Ftype2[s], 0) << "surface " << s;
            EXPECT_EQ(Fcell1[s] == 0 ? Fcellfar1[s] : Fcellfar2[s], 0) << "surface " << s;
        }
    }
}

// A positive flux from the first cell to the second runs in the grid
// direction: +1 wherever a surface has a second cell (inner surfaces and the
// west, south and bottom boundary), -1 on the east, north and top boundary.
TEST_F(MetricCase, FsignFollowsTheGridDirection) {
    Start();
    MakeBoxGeometry(2, 2, 2);
    MetricRuns();
    int plus = 0;
    for (int s = 1; s <= NoSurfaces; ++s) {
        EXPECT_EQ(Fsign[s], Fcell2[s] != 0 ? 1 : -1) << "surface " << s;
        plus += Fsign[s] == 1;
    }
    EXPECT_EQ(NoSurfaces, 36);
    EXPECT_EQ(plus, 24);
}

struct FlagRow {
    const char* name;
    int variant;     // F 70
    double tiny;     // F 193
    int top, bottom, west, east;
};

void PrintTo(const FlagRow& row, std::ostream* os) { *os << row.name; }

class FlowFlags : public MetricCase, public ::testing::WithParamInterface<FlagRow> {};

// Two cells side by side: the face between them, the tops, the beds and the
// two end walls, all of area 1.
TEST_P(FlowFlags, ByWallLawVariant) {
    const FlagRow& row = GetParam();
    Start();
    MakeBoxGeometry(2, 1, 1);
    WallLawVariant = row.variant;
    F193Value = row.tiny;
    MetricRuns();
    EXPECT_EQ(Fflagflow[Csurfe[1]], 1);
    EXPECT_EQ(Fflagflow[Csurft[1]], row.top);
    EXPECT_EQ(Fflagflow[Csurft[2]], row.top);
    EXPECT_EQ(Fflagflow[Csurfb[1]], row.bottom);
    EXPECT_EQ(Fflagflow[Csurfw[1]], row.west);
    EXPECT_EQ(Fflagflow[Csurfe[2]], row.east);
}

const FlagRow kFlagRows[] = {
    {"Variant0", 0, 1e-8, 0, -1, -1, -1},
    {"Variant1", 1, 1e-8, 0, -1, 0, 0},
    {"Variant2", 2, 1e-8, 0, -1, 0, 0},
    {"Variant3", 3, 1e-8, 0, -1, -1, -1},
    {"Variant4WallsTheTop", 4, 1e-8, -1, -1, -1, -1},
    {"Variant5OnlyTheTop", 5, 1e-8, -1, 0, 0, 0},
    {"Variant0SmallFaces", 0, 2.0, 0, -1, 0, 0},
    {"Variant4SmallFaces", 4, 2.0, 0, -1, 0, 0},
};

INSTANTIATE_TEST_SUITE_P(Rows, FlowFlags, ::testing::ValuesIn(kFlagRows), EngineCaseName());

// Surfaces that carry their own boundary conditions lose their wall law; an
// inflow group learns the level of each of its cells.
TEST_F(MetricCase, SurfacesOfGroupsAndBlockEdges) {
    Start();
    const BoxGrid g = MakeBoxGeometry(2, 1, 2);
    const int west0 = Csurfw[g.cell(0, 0, 0)], west1 = Csurfw[g.cell(0, 0, 1)];
    DischargeGroupRecord& inflow = DischargeGroups[1];
    inflow.groupType = 1;
    inflow.noSurfaces = 2;
    inflow.surfaceList[0] = west1;
    inflow.surfaceList[1] = west0;
    CyclicInterval = 1;
    const int bed = Csurfb[g.cell(0, 0, 0)], east = Csurfe[g.cell(1, 0, 0)];
    NoBoundaryCells = 2;
    BoundaryCellSurface[1] = east;
    BoundaryCellBlock[1] = 1;
    BoundaryCellSurface[2] = bed;
    BoundaryCellBlock[2] = 1;
    BlockTable[1].field8 = 1;
    MetricRuns();
    EXPECT_EQ(Fflagflow[west0], 0);
    EXPECT_EQ(Fflagflow[west1], 0);
    EXPECT_EQ(inflow.levelList[0], 2);
    EXPECT_EQ(inflow.levelList[1], 1);
    EXPECT_EQ(Fflagflow[east], 0);
    // A bed face of a block whose layers follow the depth keeps its wall law.
    EXPECT_EQ(Fflagflow[bed], -1);
    BlockTable[1].field8 = 0;
    MetricRuns();
    EXPECT_EQ(Fflagflow[bed], 0);
}

// A partition borders the next one at the first and last rows of block 1.
TEST_F(MetricCase, PartitionEdgesAreOpen) {
    Start();
    const BoxGrid g = MakeBoxGeometry(3, 1, 2);
    MpiPart = 1;
    MetricRuns();
    for (int k = 0; k < 2; ++k) {
        EXPECT_EQ(Fflagflow[Csurfw[g.cell(0, 0, k)]], 0);
        EXPECT_EQ(Fflagflow[Csurfe[g.cell(2, 0, k)]], 0);
        EXPECT_EQ(Fflagflow[Csurfs[g.cell(1, 0, k)]], -1);
    }
    EXPECT_EQ(Fflagflow[Csurfb[g.cell(0, 0, 0)]], -1);
}

// F 159 5: side faces too small to carry a flux are cut from both cells;
// faces between the cells of a column stay.
TEST_F(MetricCase, TinySideFacesAreCut) {
    Start();
    const BoxGrid g = MakeBoxGeometry(2, 1, 2);
    F159Int5 = 5;
    F193Value = 2.0;
    MetricRuns();
    const int a = g.cell(0, 0, 0), b = g.cell(1, 0, 0);
    const int s = Csurfe[a];
    EXPECT_EQ(Ccelle[a], 0);
    EXPECT_EQ(Ccellw[b], 0);
    EXPECT_EQ(Fcell1[s], 0);
    EXPECT_EQ(Fcell2[s], 0);
    EXPECT_EQ(Fflagflow[s], 0);
    const int between = Csurft[a];
    EXPECT_EQ(Fcell1[between], a);
    EXPECT_EQ(Fcell2[between], g.cell(0, 0, 1));
    EXPECT_EQ(Fflagflow[between], 1);
}

struct TriangleRow {
    int option;          // F 235
    double sideArea;     // east and west faces of the triangle cell
    double volume;
};

// The middle of three cells in a row is a shoreline triangle cell.
TEST_F(MetricCase, TriangleCellCorrections) {
    const TriangleRow rows[] = {{0, 1.0, 1.0}, {2, 2.0, 1.0}, {3, 1.0, 2.0}, {4, 0.5, 1.0}};
    Start();
    const BoxGrid g = MakeBoxGeometry(3, 1, 1);
    const int c = g.cell(1, 0, 0);
    Ctrekant[c] = 1;
    for (const TriangleRow& row : rows) {
        SCOPED_TRACE(row.option);
        TrekantOption = row.option;
        MetricRuns();
        EXPECT_DOUBLE_EQ(Farea[Csurfe[c]], row.sideArea);
        EXPECT_DOUBLE_EQ(Farea[Csurfw[c]], row.sideArea);
        // No neighbour to the south: that face keeps its area.
        EXPECT_DOUBLE_EQ(Farea[Csurfs[c]], 1.0);
        EXPECT_DOUBLE_EQ(Cvol[c], row.volume);
    }
}

// Two surfaces standing for one interface each get the other's side.
TEST_F(MetricCase, EdgePairsLendTheirSides) {
    Start();
    BoxSpacing h;
    h.dx = 4.0;
    MakeBoxGeometry(2, 1, 1, h);
    const int eastEnd = Csurfe[2], westEnd = Csurfw[1];
    NoEdgePairs = 1;
    EdgePairs[1][0] = eastEnd;
    EdgePairs[1][1] = westEnd;
    MetricRuns();
    // The cells themselves stay where they were.
    ExpectHand(eastEnd, 2, 0, 4, 2, 2.0);
    ExpectHand(westEnd, 1, 0, 2, 1, 2.0);
}

// A top cell whose east side faces the two cells of the deeper column beside
// it becomes the first cell of both their west faces.
TEST_F(MetricCase, SplitFacesTakeTheTopCell) {
    Start("F 137 1\n");
    BoxSpacing h;
    h.dx = 2.0;
    const BoxGrid g = MakeBoxGeometry(2, 1, 2, h);
    const int shallow = g.cell(0, 0, 0), lower = g.cell(1, 0, 0), upper = g.cell(1, 0, 1);
    Cnocellse[shallow] = 2;
    CnbMultiE[shallow][0] = lower;
    MetricRuns();
    for (int f : {lower, upper}) {
        ExpectHand(Csurfw[f], 1, shallow, 2, 0, 1.0);
        EXPECT_DOUBLE_EQ(Fdist2[Csurfw[f]], 1.0);
    }
}

// F 230 1: the face between two cells on a slope leans with their tops,
// keeping a unit normal and its area.
TEST_F(MetricCase, NearVerticalFacesLeanWithTheTops) {
    Start("F 230 1\n");
    MakeBoxGeometry(2, 1, 1);
    for (int p = 1; p <= NoPoints; ++p) Pz1[p] += 0.5 * Px1[p];
    MetricRuns();
    const int s = Csurfe[1];
    const double top = 1.0 / std::sqrt(1.25);
    const double lean = std::sqrt(1.0 - top * top);
    const double m = std::sqrt(1.0 + lean * lean);
    ExpectVec(Normal(s), 1.0 / m, 0.0, lean / m);
    ExpectVec(AreaVector(s), Farea[s] / m, 0.0, Farea[s] * lean / m);
    // A wall face is left as it is.
    ExpectVec(Normal(Csurfw[1]), 1.0, 0.0, 0.0);
}

// A cell turned upside down is reported and the metric goes on, unless a
// pause on it was asked for.
TEST_F(MetricCase, UpsideDownCell) {
    Start();
    MakeBoxGeometry(1, 1, 1);
    for (int p = 1; p <= NoPoints; ++p) Pz1[p] = 1.0 - Pz1[p];
    EngineCall goesOn = Metric();
    EXPECT_FALSE(goesOn.ended);
    EXPECT_NE(goesOn.log.find("In metric, Error for cell 1, negative vertical direction\nIter = 0\n"
                              "Cdzdk = -1.000000e+00\n"),
              std::string::npos)
        << goesOn.log;
    EXPECT_NE(goesOn.log.find("Point 1: 0.000000 0.000000 1.000000e+00\nPoint 5: 0.000000 0.000000 0.000000e+00\n"),
              std::string::npos)
        << goesOn.log;
    PauseFlag = 10073;
    EngineCall halts = Metric();
    EXPECT_TRUE(halts.ended);
    EXPECT_EQ(halts.status, -1);
    EXPECT_STREQ(StatusText, "Error, negative depth");
}

// Corners so far out that the plan area overflows give no number at all:
// the cell is refused as one without volume.
TEST_F(MetricCase, VolumeThatIsNoNumberIsRefused) {
    Start();
    MakeBoxGeometry(1, 1, 1);
    // Corners 1 and 2 at one end of a line, 3 and 4 at the other.
    const double far = 1e200;
    for (int p = 1; p <= NoPoints; ++p) Px1[p] = Py1[p] = Py1[p] == 0.0 ? -far : far;
    EngineCall m = Metric();
    EXPECT_TRUE(std::isnan(Careaz[1]));
    EXPECT_TRUE(m.ended);
    EXPECT_EQ(m.status, -1);
    EXPECT_NE(m.log.find("In metric, Error for cell 1, zero volume: "), std::string::npos) << m.log;
}

std::vector<int> ColumnList() {
    std::vector<int> list;
    for (size_t k = 0; k < Cigrid.size(); ++k) {
        list.push_back(Cigrid[static_cast<std::ptrdiff_t>(k)]);
        if (k > 0 && list.back() == 0) break;
    }
    return list;
}

// Cigrid: 0, the columns from the bed up, 0. A grid-level block made from the
// grid keeps its column ranges but is no part of the list.
TEST_F(MetricCase, ColumnListOfTheGrid) {
    Start();
    MakeBoxGeometry(2, 2, 2);
    NoBlocks = 2;
    BlockTable[2] = BlockTable[1];
    BlockTable[2].gridLevel = 2;
    MetricRuns();
    EXPECT_EQ(ColumnList(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 0}));
}

// A list that would not fit ends where its array does, with its closing 0.
TEST_F(MetricCase, ColumnListStopsAtItsArray) {
    WriteHere("control", "G 1 8 8 5 1\nF 65 9 40 40 10 10\n");
    ASSERT_FALSE(StartEngineHere().ended);
    MakeBoxGeometry(2, 2, 2);
    MetricRuns();
    ASSERT_EQ(Cigrid.size(), 9u);
    EXPECT_EQ(ColumnList(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 0}));
}

std::vector<std::string> FileLines(const std::string& name) { return SplitLines(ReadHere(name)); }

// F 212 12: bed levels in 101 bins from the lowest bed to the highest cell
// centre, then those of the bed points of `geodata` when there is one.
TEST_F(MetricCase, BedLevelHistogram) {
    Start("F 212 12\n");
    BoxSpacing h;
    h.z0 = 10.0;
    MakeBoxGeometry(2, 1, 2, h);
    // The far end of the second column stands 2 m higher: its bed cell has
    // the mean bed 11 and its top cell the centre 12.5.
    for (int p = 1; p <= NoPoints; ++p) {
        if (Px1[p] > 1.5) Pz1[p] += 2.0;
    }
    MetricRuns();
    std::vector<std::string> lines = FileLines("cellvol");
    ASSERT_EQ(lines.size(), 101u);
    EXPECT_EQ(lines[0], "10.000000 1.000000");
    EXPECT_EQ(lines[1], "10.025000 0.000000");
    EXPECT_EQ(lines[40], "11.000000 1.000000");
    EXPECT_EQ(lines[100], "12.500000 0.000000");

    // Points below the lowest bed or above the top of the bins are left out.
    WriteHere("geodata", "E 0 0 10.0\nE 1 0 12.5\nE 0 1 9.0\nE 1 1 20.0\nE 2 2 10.01\n");
    MetricRuns();
    lines = FileLines("cellvol");
    ASSERT_EQ(lines.size(), 203u);
    EXPECT_EQ(lines[101], "No. points used in geodata file: 3");
    EXPECT_EQ(lines[102], "10.000000 2.000000");
    EXPECT_EQ(lines[202], "12.500000 1.000000");
}

// On every fixture: the six faces of each cell close it (their outward area
// vectors sum to zero), and the volumes of a rectangular channel add up to
// its length times width times depth.
TEST_F(UnstrucCase, FacesCloseEveryCellAndVolumesFillTheChannel) {
    for (const GridFixture& row : FinishedGrids()) {
        SCOPED_TRACE(row.name);
        StartAndRead(row.control, row.text);
        double volume = 0.0;
        for (int c = 1; c <= NoCells; ++c) {
            Vec sum{0, 0, 0};
            double largest = 0.0;
            for (const CellSide& side : kCellSides) {
                const int s = (*side.surface)[c];
                const double out = Fcell1[s] == c ? 1.0 : -1.0;
                sum = {sum.x + out * Fareax[s], sum.y + out * Fareay[s], sum.z + out * Fareaz[s]};
                largest = std::max(largest, Farea[s]);
            }
            ASSERT_GT(largest, 0.0);
            EXPECT_LE(std::fabs(sum.x) + std::fabs(sum.y) + std::fabs(sum.z), 1e-10 * largest) << "cell " << c;
            volume += Cvol[c];
        }
        if (row.name.find("channel") != std::string::npos) {
            EXPECT_NEAR(volume, 4.0 * 1.5 * 1.0, 1e-9);
        }
    }
}

}  // namespace
