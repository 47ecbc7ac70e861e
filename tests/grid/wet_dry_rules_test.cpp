// The wet and dry rules of the generator on hand-made level and layer maps
// of small blocks: which points are wetted or dried, which columns are
// removed, and which beds are lowered.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "grid/grid_services.h"
#include "run/globals.h"
#include "tests/support/control_text.h"
#include "tests/support/grid_engine.h"

namespace {

constexpr double kWater = 10.0;
// A level count stands for a depth: dry points lie well above the water.
constexpr double kDryDepth = -0.5, kShallowDepth = 0.005, kDeepDepth = 1.0;

// A 8 x 8 grid (points and columns 0..9) with every point dry.
void StartSmallGrid() {
    WriteHere("control", "G 1 8 8 5 1\nF 65 200 800 400 10 10\n");
    EngineCall start = StartEngineHere();
    ASSERT_FALSE(start.ended) << start.log;
    for (int i = 0; i <= 9; ++i) {
        for (int j = 0; j <= 9; ++j) {
            GridWetPoint[i][j] = 1;
            GridWetColumn[i][j] = 0;
            Gridz[i][j][NoGridLinesZ] = kWater;
            Gridz[i][j][1] = kWater - kDryDepth;
        }
    }
}

double DepthOfCount(int count) { return count <= 1 ? kDryDepth : count == 2 ? kShallowDepth : kDeepDepth; }

// Rows of digits, the first row at j = jTop and the others southwards; the
// first digit of a row at i = iFirst. A point's depth follows its count.
void SetPoints(int iFirst, int jTop, const std::vector<std::string>& rows) {
    for (size_t r = 0; r < rows.size(); ++r) {
        for (size_t c = 0; c < rows[r].size(); ++c) {
            const int i = iFirst + static_cast<int>(c), j = jTop - static_cast<int>(r);
            GridWetPoint[i][j] = rows[r][c] - '0';
            Gridz[i][j][1] = kWater - DepthOfCount(GridWetPoint[i][j]);
        }
    }
}

void SetColumns(int iFirst, int jTop, const std::vector<std::string>& rows) {
    for (size_t r = 0; r < rows.size(); ++r) {
        for (size_t c = 0; c < rows[r].size(); ++c) {
            GridWetColumn[iFirst + static_cast<int>(c)][jTop - static_cast<int>(r)] = rows[r][c] - '0';
        }
    }
}

std::vector<std::string> Rows(Array2<int>& a, int iFirst, int iLast, int jTop, int jBottom) {
    std::vector<std::string> rows;
    for (int j = jTop; j >= jBottom; --j) {
        std::string row;
        for (int i = iFirst; i <= iLast; ++i) row += static_cast<char>('0' + a[i][j]);
        rows.push_back(row);
    }
    return rows;
}

using Beds = std::map<std::pair<int, int>, double>;

Beds AllBeds() {
    Beds beds;
    for (int i = 0; i <= 9; ++i) {
        for (int j = 0; j <= 9; ++j) beds[{i, j}] = Gridz[i][j][1];
    }
    return beds;
}

// Every bed stays as it was except the points listed with their new bed.
void ExpectBeds(const Beds& before, const Beds& lowered) {
    for (const auto& [point, bed] : before) {
        auto it = lowered.find(point);
        const double expected = it != lowered.end() ? it->second : bed;
        EXPECT_NEAR(Gridz[point.first][point.second][1], expected, 1e-12)
            << "bed of point (" << point.first << ", " << point.second << ")";
    }
}

// A wetted point keeps water for just one level.
constexpr double kWettedBed = 10.000999;

// Point fixtures on the 4 x 4 block of columns i, j = 2..5 (points 1..5),
// shown with the ring of points around it, i = 0..6 across, j = 6 first.
// A dry pair inside wet water, and a shallow point beside the dry ring.
const std::vector<std::string> kDryPair = {
    "1111111",
    "1333331",
    "1333321",
    "1331131",
    "1333331",
    "1333331",
    "1111111",
};
// A dry line across the block, and a wet point cut off beyond it.
const std::vector<std::string> kDryLine = {
    "1111111",
    "1331311",
    "1111111",
    "1333331",
    "1333331",
    "1333331",
    "1111111",
};

struct PointRuleCase {
    const char* name;
    const std::vector<std::string>* points;
    int rule;           // second F 159 value
    int fourth;         // fourth F 159 value
    int debugStop;      // F 183
    std::vector<std::string> expected;
    Beds lowered;
};

void PrintTo(const PointRuleCase& c, std::ostream* os) { *os << c.name; }

class PointRules : public ::testing::TestWithParam<PointRuleCase> {};

TEST_P(PointRules, ReworkTheLevelCounts) {
    const PointRuleCase& c = GetParam();
    InProjectDir here;
    StartSmallGrid();
    SetPoints(0, 6, *c.points);
    F159Int2 = c.rule;
    F159Int4 = c.fourth;
    DebugStopOption = c.debugStop;
    const Beds before = AllBeds();
    MarkWetPoints(2, 5, 2, 5);
    EXPECT_EQ(Rows(GridWetPoint, 0, 6, 6, 0), c.expected);
    ExpectBeds(before, c.lowered);
}

std::vector<std::string> With(std::vector<std::string> rows, int j, const std::string& row) {
    rows[6 - j] = row;
    return rows;
}

INSTANTIATE_TEST_SUITE_P(
    SecondValue, PointRules,
    ::testing::Values(
        PointRuleCase{"PairNoRule", &kDryPair, 0, 1, 0, kDryPair, {}},
        PointRuleCase{"PairWetted", &kDryPair, 2, 1, 0, With(kDryPair, 3, "1332231"),
                      {{{3, 3}, kWettedBed}, {{4, 3}, kWettedBed}}},
        PointRuleCase{"PairWettedFrontDried", &kDryPair, 3, 1, 0,
                      With(With(kDryPair, 3, "1332231"), 4, "1333311"),
                      {{{3, 3}, kWettedBed}, {{4, 3}, kWettedBed}}},
        PointRuleCase{"PairWettedBeforeBreaching", &kDryPair, 11, 1, 0, With(kDryPair, 3, "1332231"),
                      {{{3, 3}, kWettedBed}, {{4, 3}, kWettedBed}}},
        PointRuleCase{"PairIsNoDryLine", &kDryPair, 12, 1, 0, kDryPair, {}},
        PointRuleCase{"PairEdgeCopy", &kDryPair, 0, 2, 0, With(kDryPair, 4, "1333331"), {}},
        PointRuleCase{"LineCutOffPointDried", &kDryLine, 0, 1, 0, With(kDryLine, 5, "1331111"), {}},
        PointRuleCase{"LineNotWettedAsPair", &kDryLine, 2, 1, 0, With(kDryLine, 5, "1331111"), {}},
        PointRuleCase{"LineBreached", &kDryLine, 12, 1, 0, With(kDryLine, 4, "1112211"),
                      {{{3, 4}, kWettedBed}, {{4, 4}, kWettedBed}}},
        PointRuleCase{"LineBreachedAfterPairs", &kDryLine, 11, 1, 0, With(kDryLine, 4, "1112211"),
                      {{{3, 4}, kWettedBed}, {{4, 4}, kWettedBed}}},
        PointRuleCase{"LineIsolatedPointKept", &kDryLine, 0, 1, 2, kDryLine, {}}),
    [](const auto& p) { return std::string(p.param.name); });

// Side fixture: every column wet with two layers; the points (2, 3) and
// (3, 3) of the north side of column (3, 3) lie just above the water, the
// point (4, 4) is shallow and the rest deep.
void SetSideFixture() {
    SetPoints(1, 5, {"33333", "33323", "31133", "33333", "33333"});
    Gridz[2][3][1] = kWater + 0.003;
    Gridz[3][3][1] = kWater + 0.002;
    SetColumns(2, 5, {"2222", "2222", "2222", "2222"});
}

struct SideRuleCase {
    const char* name;
    int rule;    // second F 159 value
    int fifth;   // fifth F 159 value
    std::vector<std::pair<std::pair<int, int>, int>> layers;  // changed layer counts
    Beds lowered;
};

void PrintTo(const SideRuleCase& c, std::ostream* os) { *os << c.name; }

class SideRules : public ::testing::TestWithParam<SideRuleCase> {};

TEST_P(SideRules, LowerTheSharedSides) {
    const SideRuleCase& c = GetParam();
    InProjectDir here;
    StartSmallGrid();
    SetSideFixture();
    for (const auto& [column, n] : c.layers) GridWetColumn[column.first][column.second] = n;
    F159Int1 = 0;
    F159Int4 = 0;
    F159Int2 = c.rule;
    F159Int5 = c.fifth;
    const Beds before = AllBeds();
    const std::vector<std::string> columns = Rows(GridWetColumn, 2, 5, 5, 2);
    CleanWetColumns(2, 5, 2, 5);
    ExpectBeds(before, c.lowered);
    EXPECT_EQ(Rows(GridWetColumn, 2, 5, 5, 2), columns);
}

// Quarter mean depth of columns (3, 3) and (3, 4): (1 + 1 - 0.002 - 0.003) / 16.
constexpr double kQuarterMeanBed = kWater - 1.995 * 0.25 * 0.25;

INSTANTIATE_TEST_SUITE_P(
    SecondValue, SideRules,
    ::testing::Values(
        SideRuleCase{"NoRule", 0, 0, {}, {}},
        SideRuleCase{"BelowDryPair", 1, 0, {}, {{{2, 3}, 10.0008}, {{3, 3}, 10.0008}}},
        SideRuleCase{"BelowFourDry", 4, 0, {}, {{{2, 3}, 10.002}, {{3, 3}, 10.002}}},
        SideRuleCase{"MeanBelowDry", 5, 0, {}, {{{2, 3}, 10.001}, {{3, 3}, 10.001}}},
        SideRuleCase{"SingleLayerAtDryColumn", 5, 0, {{{3, 3}, 1}, {{3, 2}, 0}},
                     {{{2, 3}, kQuarterMeanBed}, {{3, 3}, kQuarterMeanBed}}},
        SideRuleCase{"MeanBelowQuarterMean", 6, 0, {}, {{{2, 3}, kQuarterMeanBed}, {{3, 3}, kQuarterMeanBed}}},
        SideRuleCase{"BelowSingleCell", 7, 0, {}, {{{2, 3}, 9.99}, {{3, 3}, 9.99}}},
        SideRuleCase{"DryPointsKept", 8, 0, {}, {}},
        SideRuleCase{"WetCornersDeepened", 0, 1, {}, {{{4, 4}, 9.99}}}),
    [](const auto& p) { return std::string(p.param.name); });

// Removal fixture: a deep hole of 2 x 2 columns, a one-column channel from
// it to the block's east edge, and a pair of columns at the north edge
// joined only through one wet corner (columns i = 2..5, j = 5 first).
const std::vector<std::string> kHoleColumns = {"0021", "3300", "3322", "0000"};
const std::vector<std::string> kHolePoints = {"1111111", "1111111", "1333311", "1333331",
                                              "1333331", "1111111", "1111111"};
// Two wet columns that touch only at a corner.
const std::vector<std::string> kDiagonalColumns = {"0000", "0000", "0200", "2000"};
const std::vector<std::string> kDiagonalPoints = {"1111111", "1111111", "1111111", "1133111",
                                                  "1333111", "1331111", "1111111"};

struct RemovalCase {
    const char* name;
    const std::vector<std::string>* points;
    const std::vector<std::string>* columns;
    int first, fourth;  // F 159 values
    std::vector<std::string> expected;
};

void PrintTo(const RemovalCase& c, std::ostream* os) { *os << c.name; }

class ColumnRemoval : public ::testing::TestWithParam<RemovalCase> {};

TEST_P(ColumnRemoval, FollowsTheConnectionRules) {
    const RemovalCase& c = GetParam();
    InProjectDir here;
    StartSmallGrid();
    SetPoints(0, 6, *c.points);
    SetColumns(2, 5, *c.columns);
    F159Int1 = c.first;
    F159Int4 = c.fourth;
    const Beds before = AllBeds();
    CleanWetColumns(2, 5, 2, 5);
    EXPECT_EQ(Rows(GridWetColumn, 2, 5, 5, 2), c.expected);
    ExpectBeds(before, {});
}

INSTANTIATE_TEST_SUITE_P(
    Cascade, ColumnRemoval,
    ::testing::Values(
        RemovalCase{"DefaultsKeepTheHole", &kHolePoints, &kHoleColumns, 1, 1, {"0000", "3300", "3300", "0000"}},
        RemovalCase{"NoRemoval", &kHolePoints, &kHoleColumns, 0, 0, kHoleColumns},
        RemovalCase{"TwoConnectionsOnly", &kHolePoints, &kHoleColumns, 1, 0, {"0000", "3300", "3300", "0000"}},
        RemovalCase{"OneConnectionKeepsChannelAndPair", &kHolePoints, &kHoleColumns, 0, 1, kHoleColumns},
        RemovalCase{"EdgeColumnThenItsPartner", &kHolePoints, &kHoleColumns, 0, 5, {"0000", "3300", "3322", "0000"}},
        RemovalCase{"DiagonalKeptWithoutRules", &kDiagonalPoints, &kDiagonalColumns, 0, 0, kDiagonalColumns},
        RemovalCase{"DiagonalTwoConnections", &kDiagonalPoints, &kDiagonalColumns, 1, 0,
                    {"0000", "0000", "0000", "0000"}},
        RemovalCase{"DiagonalOneConnection", &kDiagonalPoints, &kDiagonalColumns, 0, 6,
                    {"0000", "0000", "0000", "0000"}}),
    [](const auto& p) { return std::string(p.param.name); });

// The defaults dry a lone wet point; kept wet (F 183 2) it gives the four
// columns around it one layer each, and they hold each other.
TEST(WetDryRules, LoneWetPointDriedUnlessKept) {
    for (int debugStop : {0, 2}) {
        SCOPED_TRACE(debugStop);
        InProjectDir here;
        StartSmallGrid();
        SetPoints(3, 3, {"2"});
        DebugStopOption = debugStop;
        MarkWetPoints(2, 5, 2, 5);
        for (int j = 2; j <= 5; ++j) {
            for (int i = 2; i <= 5; ++i) {
                const int corners[] = {GridWetPoint[i - 1][j - 1], GridWetPoint[i][j - 1], GridWetPoint[i][j],
                                       GridWetPoint[i - 1][j]};
                GridWetColumn[i][j] = *std::max_element(corners, corners + 4) - 1;
            }
        }
        CleanWetColumns(2, 5, 2, 5);
        const std::vector<std::string> expected =
            debugStop == 2 ? std::vector<std::string>{"0000", "0110", "0110", "0000"}
                           : std::vector<std::string>{"0000", "0000", "0000", "0000"};
        EXPECT_EQ(Rows(GridWetColumn, 2, 5, 5, 2), expected);
    }
}

// Blocks on the edge of the arrays: what lies beyond them counts as dry and
// nothing is read or written there.
TEST(WetDryRules, BreachingAtTheLastGridLine) {
    InProjectDir here;
    StartSmallGrid();
    // Points i = 5..9 (9 is the last line of the arrays), j = 4 first.
    SetPoints(5, 4, {"11113", "11111", "11113"});
    F159Int2 = 12;
    const Beds before = AllBeds();
    MarkWetPoints(6, 8, 2, 4);
    EXPECT_EQ(Rows(GridWetPoint, 5, 9, 4, 2), (std::vector<std::string>{"11113", "11122", "11113"}));
    ExpectBeds(before, {{{8, 3}, kWettedBed}, {{9, 3}, kWettedBed}});
}

TEST(WetDryRules, IsolatedPointAtTheFirstGridLine) {
    InProjectDir here;
    StartSmallGrid();
    SetPoints(0, 3, {"3"});
    MarkWetPoints(1, 3, 2, 4);
    EXPECT_EQ(GridWetPoint[0][3], 1);
}

TEST(WetDryRules, SideDeepeningBesideTheLastColumn) {
    InProjectDir here;
    StartSmallGrid();
    for (int i = 7; i <= 9; ++i) {
        for (int j = 1; j <= 2; ++j) Gridz[i][j][1] = kWater + 0.002;
    }
    // Column 9 is the last of the arrays: the column beyond it counts as dry.
    SetColumns(8, 2, {"11"});
    F159Int1 = 0;
    F159Int4 = 0;
    F159Int2 = 5;
    const Beds before = AllBeds();
    CleanWetColumns(8, 9, 2, 2);
    // Single-layer columns beside dry ones ask for their quarter mean depth.
    const double bed = kWater + 4 * 0.002 * 0.25 * 0.25;
    ExpectBeds(before, {{{8, 1}, bed}, {{8, 2}, bed}});
}

}  // namespace
