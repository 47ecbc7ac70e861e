// The bed-form and slope sub-steps of the bed change (F 144) and the
// outflow edge (F 222) on a channel of 4 x 3 columns.
#include <cmath>
#include <map>
#include <utility>

#include "tests/sediment/bed_node_channel.h"

namespace {

ChannelSpec SmallChannel(double slope = 0.0) {
    ChannelSpec spec;
    spec.columnsAlong = 4;
    spec.columnsAcross = 3;
    spec.gridLinesZ = 4;
    spec.length = 4.0;
    spec.width = 3.0;
    spec.depth = 1.0;
    spec.bedSlope = slope;
    return spec;
}

class BedMoveFromFluxes : public BedNodeChannel {
protected:
    void SetUp() override { Load(SmallChannel()); }

    // Flow over every bottom cell: speed u along the channel, total
    // concentration c, bed forms of height h.
    static void Flow(double u, double c, double h) {
        ForEachColumn([&](int i, int j) {
            const int cell = GridColumnBottom(i, j);
            Cu[cell] = u;
            conc[0][cell] = c;
            BbedformHeight[Cbedcell[cell]] = h;
        });
    }
};

// The node on the south edge of the block under column (iFirst, jFirst)
// stands for two columns, its interior partner P for four.
TEST_F(BedMoveFromFluxes, ShortestBedformTimeIsTwentySteps) {
    const BlockRecord& r = Block();
    TimeStep = 10.0;
    F144Option = 1;
    F144Value = 1.0;
    Flow(1.0, 1.0, 0.01);  // a bed-form time far below 20 steps
    const int i = r.iFirst, j = r.jFirst - 1;
    Gridz[i][j][1] += 0.3;
    const double before = Gridz[i][j][1];
    ComputeBedMoveFromFluxes();
    // X = -0.3 / 20; the edge node (a third of the pair's area) takes r X
    // with r = 4 / 6.
    EXPECT_NEAR(Gridz[i][j][1], before - 2.0 / 3.0 * 0.3 / 20.0, 1e-12);
}

TEST_F(BedMoveFromFluxes, WithoutFlowTheBedformExchangeAlmostStops) {
    const BlockRecord& r = Block();
    TimeStep = 10.0;
    F144Option = 1;
    F144Value = 1.0;
    Flow(0.0, 0.0, 0.1);
    Gridz[r.iFirst][r.jFirst - 1][1] += 0.3;
    const double before = Gridz[r.iFirst][r.jFirst - 1][1];
    ComputeBedMoveFromFluxes();
    EXPECT_NEAR(Gridz[r.iFirst][r.jFirst - 1][1], before, 1e-9);
}

struct ExchangeCase {
    const char* name;
    int option;
    bool bumpRises;  // the raised edge node Q goes up (material from P to Q)
};

void PrintTo(const ExchangeCase& row, std::ostream* os) { *os << row.name; }

class BedformExchange : public BedMoveFromFluxes, public ::testing::WithParamInterface<ExchangeCase> {};

// A bump on a block-edge node, whose area is half its neighbour's: both
// exchanges keep the bed volume. Option 1 flattens the bump; option 3 moves
// material from P to Q whatever the levels, so the bump grows.
TEST_P(BedformExchange, KeepsTheVolumeAtABlockEdgeNode) {
    const ExchangeCase& k = GetParam();
    const BlockRecord& r = Block();
    TimeStep = 1.0;
    F144Option = k.option;
    F144Value = 0.5;
    Flow(0.5, 0.02, 0.05);
    const int i = r.iFirst, j = r.jFirst - 1;
    Gridz[i][j][1] += 0.2;
    const double bump = Gridz[i][j][1];
    const double volume = WetBedVolume();
    ComputeBedMoveFromFluxes();
    EXPECT_NEAR(WetBedVolume(), volume, 1e-12);
    if (k.bumpRises) {
        EXPECT_GT(Gridz[i][j][1], bump + 1e-9);
    } else {
        EXPECT_LT(Gridz[i][j][1], bump - 1e-9);
    }
}

const ExchangeCase kExchange[] = {{"BedformExchange", 1, false}, {"DirectedExchange", 3, true}};
INSTANTIATE_TEST_SUITE_P(Options, BedformExchange, ::testing::ValuesIn(kExchange),
                         CaseName());

// Option 5: a forward then a backward sweep, each change used at once;
// a column without change keeps it.
TEST_F(BedMoveFromFluxes, SmoothingSweepsForwardThenBackward) {
    const BlockRecord& r = Block();
    F144Option = 5;
    F144Value = 1.0;
    const int a = BedCell(r.iFirst, r.jFirst), b = BedCell(r.iFirst + 1, r.jFirst);
    const int still = BedCell(r.iFirst, r.jFirst + 1);
    Bedmove[a] = 0.1;
    Bedmove[b] = 0.2;
    ComputeBedMoveFromFluxes();
    // Forward: a = 0.1 + 0.2/8 = 0.125, b = 0.2 + 0.125/8; backward: b again
    // with the new a, then a with the new b.
    const double b2 = 0.2 + 0.125 / 8.0 + 0.125 / 8.0;
    EXPECT_NEAR(Bedmove[b], b2, 1e-15);
    EXPECT_NEAR(Bedmove[a], 0.125 + b2 / 8.0, 1e-15);
    EXPECT_EQ(Bedmove[still], 0.0);
}

class SlopeTransport : public BedNodeChannel {};

// Option 6 without turbulence moves the whole active layer: the corners of
// the column rise downhill and drop uphill by the cosine to the slope.
TEST_F(SlopeTransport, WithoutTurbulenceTheActiveLayerSlidesDownhill) {
    Load(SmallChannel(0.1));
    F144Option = 6;
    const BlockRecord& r = Block();
    const int i = r.iFirst + 1, j = r.jFirst + 1;
    BSedDistrib[1][0][BedCell(i, j)] = 0.01;
    std::map<std::pair<int, int>, double> before;
    ForEachNode([&before](int p, int q) { before[{p, q}] = Gridz[p][q][1]; });
    ComputeBedMoveFromFluxes();
    // Square 1 m columns: the corner directions are at 45 degrees to the slope.
    const double m = 0.01 * std::sqrt(0.5);
    for (const auto& [node, sign] : std::map<std::pair<int, int>, double>{
             {{i, j}, 1.0}, {{i, j - 1}, 1.0}, {{i - 1, j - 1}, -1.0}, {{i - 1, j}, -1.0}}) {
        const double start = before[node];
        EXPECT_NEAR(Gridz[node.first][node.second][1] - start, sign * m, 1e-6) << node.first << " " << node.second;
        EXPECT_NEAR(GridLevels[1][node.first][node.second], sign * m, 1e-6);
    }
    const double next = before[{i + 1, j}];
    EXPECT_EQ(Gridz[i + 1][j][1], next);
}

// A column at the downstream end of the block: its downhill corners stand
// for two columns, its uphill ones for four. The bed volume stays.
TEST_F(SlopeTransport, ColumnAtTheBlockEndKeepsTheBedVolume) {
    Load(SmallChannel(0.1));
    F144Option = 6;
    const BlockRecord& r = Block();
    BSedDistrib[1][0][BedCell(r.iLast, r.jFirst + 1)] = 0.01;
    const double before = PlanBedVolume();
    ComputeBedMoveFromFluxes();
    EXPECT_GT(std::fabs(Gridz[r.iLast][r.jFirst + 1][1] - Gridz[r.iLast - 1][r.jFirst + 1][1]), 0.0);
    EXPECT_NEAR(PlanBedVolume(), before, 1e-12);
}

// An uphill corner 1 mm above its fixed bed goes no lower; the other
// corners move by as much less.
TEST_F(SlopeTransport, FallingCornerStopsAtTheFixedBed) {
    Load(SmallChannel(0.1));
    F144Option = 6;
    const BlockRecord& r = Block();
    const int i = r.iFirst + 1, j = r.jFirst + 1;
    BSedDistrib[1][0][BedCell(i, j)] = 0.01;
    GridLevels[3][i - 1][j] = Gridz[i - 1][j][1] - 0.001;
    const double before = PlanBedVolume();
    const double ne = Gridz[i][j][1];
    ComputeBedMoveFromFluxes();
    EXPECT_NEAR(Gridz[i - 1][j][1], GridLevels[3][i - 1][j], 1e-12);
    EXPECT_NEAR(Gridz[i][j][1] - ne, 0.001, 1e-9);
    EXPECT_NEAR(PlanBedVolume(), before, 1e-12);
}

TEST_F(SlopeTransport, FlatBedMovesNoNode) {
    Load(SmallChannel());
    F144Option = 6;
    ForEachColumn([](int i, int j) { BSedDistrib[1][0][BedCell(i, j)] = 0.01; });
    std::map<std::pair<int, int>, double> before;
    ForEachNode([&before](int p, int q) { before[{p, q}] = Gridz[p][q][1]; });
    ComputeBedMoveFromFluxes();
    ForEachNode([&before](int p, int q) {
        const double level = before[{p, q}];
        EXPECT_NEAR(Gridz[p][q][1], level, 1e-15);
    });
}

// ---- F 222 ---------------------------------------------------------------------

class BedOutflow : public BedNodeChannel {
protected:
    void SetUp() override { Load(SmallChannel()); }
};

// Mode 1: the east column in the middle of the outflow edge has only its
// east neighbour missing; its two east nodes stand 0.2 m too high and are
// cut down, the mass booked. A corner column (two sides open) is left.
TEST_F(BedOutflow, OpenSideIsCutToTheColumnDepth) {
    BedOutflowDefectOption = 1;
    const BlockRecord& r = Block();
    const int i = r.iLast, j = r.jFirst + 1, corner = r.jFirst;
    for (int q = corner - 1; q <= j; ++q) Gridz[i][q][1] += 0.2;
    const double low = Gridz[i][j][1];
    Binspace[BedCell(i, j)] = -1.0;
    Binspace[BedCell(i, corner)] = -1.0;
    BedOutflowDefect = 0.0;
    ComputeBedOutflowDefect();
    EXPECT_NEAR(Gridz[i][j][1], low - 0.2, 1e-9);
    EXPECT_NEAR(Gridz[i][j - 1][1], low - 0.2, 1e-9);
    EXPECT_NEAR(Gridz[i][corner - 1][1], low, 1e-12);  // only the corner column's node
    const double expected = 2.0 * 0.2 * Barea[BedCell(i, j)] * 0.25 * 1000.0 * SedRelativeDensity * BedSolidFraction;
    EXPECT_NEAR(BedOutflowDefect, expected, 1e-6);
}

TEST_F(BedOutflow, NodesDeeperThanTheColumnAreLeftAlone) {
    BedOutflowDefectOption = 1;
    const BlockRecord& r = Block();
    const int i = r.iLast, j = r.jFirst + 1;
    Gridz[i][j][1] -= 0.1;
    const double level = Gridz[i][j][1];
    Binspace[BedCell(i, j)] = -1.0;
    BedOutflowDefect = 0.0;
    ComputeBedOutflowDefect();
    EXPECT_EQ(Gridz[i][j][1], level);
    EXPECT_NEAR(BedOutflowDefect, 0.0, 1e-6);
}

struct HoldCase {
    const char* name;
    int mode;
    double inflow;
    int restored;  // corner nodes of the east middle column back at their read level
};

void PrintTo(const HoldCase& row, std::ostream* os) { *os << row.name; }

class BedOutflowHold : public BedOutflow, public ::testing::WithParamInterface<HoldCase> {};

// Modes 2 and 3 put the nodes back at their read level and book nothing:
// mode 2 the two on the open side of an edge column with any boundary
// flux, mode 3 all four of an outflow column. Mode 3 leaves inflow alone.
TEST_P(BedOutflowHold, ReturnsNodesToTheirReadLevel) {
    const HoldCase& k = GetParam();
    BedOutflowDefectOption = k.mode;
    const BlockRecord& r = Block();
    const int i = r.iLast, j = r.jFirst + 1;
    for (int p = i - 1; p <= i; ++p) {
        for (int q = j - 1; q <= j; ++q) Gridz[p][q][1] = GridLevels[0][p][q] + 0.3;
    }
    Binspace[BedCell(i, j)] = k.inflow;
    BedOutflowDefect = 0.0;
    ComputeBedOutflowDefect();
    int restored = 0;
    for (int p = i - 1; p <= i; ++p) {
        for (int q = j - 1; q <= j; ++q) restored += Gridz[p][q][1] == GridLevels[0][p][q] ? 1 : 0;
    }
    EXPECT_EQ(restored, k.restored);
    if (k.mode == 2 && k.restored == 2) {
        EXPECT_EQ(Gridz[i][j][1], GridLevels[0][i][j]);
        EXPECT_EQ(Gridz[i][j - 1][1], GridLevels[0][i][j - 1]);
    }
    EXPECT_EQ(BedOutflowDefect, 0.0);
}

const HoldCase kHold[] = {
    {"EdgeNodesOfAnOutflowColumn", 2, -1.0, 2},
    {"EdgeNodesOfAnInflowColumn", 2, 1.0, 2},
    {"AllCornersOfAnOutflowColumn", 3, -1.0, 4},
    {"InflowColumnKept", 3, 1.0, 0},
    {"NoBoundaryFlux", 2, 0.0, 0},
    {"ModeOffKeepsAll", 0, -1.0, 0},
};
INSTANTIATE_TEST_SUITE_P(Modes, BedOutflowHold, ::testing::ValuesIn(kHold),
                         CaseName());

}  // namespace
