// Bed points: the reader, the quadrant search against a scan of every
// point, the node levels, and the interpolation onto a small grid.
#include <gtest/gtest.h>
#include <omp.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "grid/geodata.h"
#include "grid/geodata_search.h"
#include "grid/grid_services.h"
#include "run/array_allocation.h"
#include "run/globals.h"
#include "tests/support/control_text.h"
#include "tests/support/grid_engine.h"
#include "tests/support/project_dir.h"

namespace {

// The nearest point of each quadrant as a scan of every point finds it.
QuadrantPoints ScanAll(const std::vector<double>& x, const std::vector<double>& y, double xg, double yg, double r) {
    QuadrantPoints q;
    for (int t = 0; t < 4; ++t) {
        q.point[t] = -1;
        q.distance[t] = kGeodataEmptyDistance;
    }
    for (size_t k = 0; k < x.size(); ++k) {
        const int t = x[k] >= xg ? (y[k] >= yg ? 0 : 3) : (y[k] >= yg ? 1 : 2);
        const double dx = x[k] - xg, dy = y[k] - yg;
        if (r <= kGeodataWindowLimit && !(std::fabs(dx) < r && std::fabs(dy) < r)) continue;
        const double d = std::sqrt(dx * dx + dy * dy);
        if (d < q.distance[t]) {
            q.distance[t] = d;
            q.point[t] = static_cast<int>(k);
        }
    }
    return q;
}

struct PointCloud {
    const char* name;
    int points;
    double step;           // coordinates are multiples of it, so distances tie
    double x0, y0, w, h;   // where the points lie
    double radius;
    double origin = 0.0;   // added to every coordinate, points and nodes alike
};

void PrintTo(const PointCloud& c, std::ostream* os) { *os << c.name; }

class SearchMatchesFullScan : public ::testing::TestWithParam<PointCloud> {};

// Nodes inside, on the lines of, and far outside the points, with ties,
// repeated points and every radius regime.
TEST_P(SearchMatchesFullScan, SamePointsAndDistances) {
    const PointCloud c = GetParam();
    std::mt19937 rng(12345);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    auto snap = [&](double v) { return c.step > 0 ? std::round(v / c.step) * c.step : v; };
    std::vector<double> x, y;
    for (int k = 0; k < c.points; ++k) {
        x.push_back(snap(c.origin + c.x0 + c.w * u(rng)));
        y.push_back(snap(c.origin + c.y0 + c.h * u(rng)));
    }
    const QuadrantSearch search(x.data(), y.data(), c.points);
    std::vector<std::pair<double, double>> nodes;
    for (double gx = -6.0; gx <= 26.0; gx += 0.5) {
        for (double gy = -6.0; gy <= 26.0; gy += 1.5) nodes.push_back({c.origin + gx, c.origin + gy});
    }
    for (int k = 0; k < 300; ++k) nodes.push_back({c.origin - 10 + 40 * u(rng), c.origin - 10 + 40 * u(rng)});
    for (int k = 0; k < std::min(c.points, 50); ++k) nodes.push_back({x[static_cast<size_t>(k)], y[static_cast<size_t>(k)]});
    for (auto [gx, gy] : nodes) {
        const QuadrantPoints want = ScanAll(x, y, gx, gy, c.radius);
        const QuadrantPoints got = search.nearest(gx, gy, c.radius);
        for (int t = 0; t < 4; ++t) {
            ASSERT_EQ(got.point[t], want.point[t]) << "node " << gx << " " << gy << " quadrant " << t + 1;
            ASSERT_EQ(got.distance[t], want.distance[t]) << "node " << gx << " " << gy << " quadrant " << t + 1;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Clouds, SearchMatchesFullScan,
    ::testing::Values(PointCloud{"scattered", 2000, 0.0, 0, 0, 20, 20, 1e10},
                      PointCloud{"on_a_lattice_with_ties", 3000, 0.5, 0, 0, 20, 20, 1e10},
                      PointCloud{"lattice_in_a_window", 3000, 0.5, 0, 0, 20, 20, 1.2},
                      PointCloud{"window_at_the_limit", 500, 0.25, 0, 0, 20, 20, 10000},
                      PointCloud{"in_one_corner", 400, 0.0, 15, 15, 3, 2, 1e10},
                      PointCloud{"survey_coordinates", 3000, 0.5, 0, 0, 20, 20, 1e10, 6654321.0},
                      PointCloud{"along_a_line", 300, 0.5, 4, 0, 0, 20, 1e10},
                      PointCloud{"all_at_one_place", 50, 0.0, 7, 7, 0, 0, 1e10},
                      PointCloud{"one_point", 1, 0.0, 3, 4, 1, 1, 1e10},
                      PointCloud{"none", 0, 0.0, 0, 0, 1, 1, 1e10}),
    EngineCaseName());

QuadrantPoints Quadrants(std::initializer_list<double> distances) {
    QuadrantPoints q;
    int t = 0;
    for (double d : distances) {
        q.point[t] = d < kGeodataEmptyDistance ? t : -1;
        q.distance[t] = d;
        ++t;
    }
    return q;
}

struct LevelCase {
    const char* name;
    QuadrantPoints q;
    int weights;
    double level;
    bool approximate;
};

void PrintTo(const LevelCase& c, std::ostream* os) { *os << c.name; }

class NodeLevels : public ::testing::TestWithParam<LevelCase> {};

TEST_P(NodeLevels, FromTheQuadrantPoints) {
    const LevelCase& c = GetParam();
    const double z[4] = {1.0, 2.0, 3.0, 6.0};
    const NodeLevel n = LevelFromQuadrants(c.q, z, c.weights);
    EXPECT_NEAR(n.level, c.level, 1e-12);
    EXPECT_EQ(n.approximate, c.approximate);
    double sum = 0.0;
    for (double w : n.weight) sum += w;
    EXPECT_NEAR(sum, 1.0, 1e-12);
}

constexpr double kEmpty = kGeodataEmptyDistance;

INSTANTIATE_TEST_SUITE_P(
    Cases, NodeLevels,
    ::testing::Values(
        LevelCase{"equal_distances_give_the_mean", Quadrants({2, 2, 2, 2}), 0, 3.0, false},
        // 1/1, 1/2, 1/2, 1/4 normalised: 4/9, 2/9, 2/9, 1/9.
        LevelCase{"inverse_distance", Quadrants({1, 2, 2, 4}), 0, (4 * 1.0 + 2 * 2.0 + 2 * 3.0 + 6.0) / 9, false},
        // a = 2/3, b = 2/3, c = 1/3: 1/3 (2/3*2 + 1/3*6) + 2/3 (2/3*1 + 1/3*3).
        LevelCase{"pairwise", Quadrants({1, 2, 2, 4}), 1, (10.0 / 3) / 3 + 2.0 / 3 * (5.0 / 3), false},
        LevelCase{"other_flags_weigh_by_inverse_distance", Quadrants({1, 2, 2, 4}), 7, (4 + 4 + 6 + 6.0) / 9, false},
        LevelCase{"first_and_third_only", Quadrants({1, kEmpty, 3, kEmpty}), 0, 0.75 * 1 + 0.25 * 3, false},
        LevelCase{"second_and_fourth_only", Quadrants({kEmpty, 1, kEmpty, 1}), 0, 4.0, false},
        LevelCase{"no_pair_gives_the_mean", Quadrants({1, 5, kEmpty, kEmpty}), 0, 1.5, true},
        LevelCase{"one_point", Quadrants({kEmpty, kEmpty, kEmpty, 9}), 1, 6.0, true},
        LevelCase{"pair_at_the_node", Quadrants({0, kEmpty, 0, kEmpty}), 0, 2.0, false}),
    EngineCaseName());

TEST(NodeLevels, NoPointGivesZero) {
    const double z[1] = {5.0};
    const NodeLevel n = LevelFromQuadrants(Quadrants({kEmpty, kEmpty, kEmpty, kEmpty}), z, 0);
    EXPECT_EQ(n.level, 0.0);
    EXPECT_EQ(n.found, 0);
    EXPECT_TRUE(n.approximate);
}

// A grid of ni x nj nodes at integer coordinates (1..ni, 1..nj), one block,
// with the engine started as a run starts it.
class GeodataCase : public ::testing::Test {
protected:
    void Start(int ni, int nj, const std::string& extraControl = "") {
        WriteHere("control", "G 1 " + std::to_string(ni) + " " + std::to_string(nj) + " 3 1\nF 65 10 10 10 10 10\n" +
                                 extraControl);
        const EngineCall start = StartEngineHere();
        ASSERT_FALSE(start.ended) << start.log;
        NoBlocks = 1;
        BlockTable[1] = BlockRecord{};
        BlockTable[1].iFirst = 2;
        BlockTable[1].iLast = ni;
        BlockTable[1].jFirst = 2;
        BlockTable[1].jLast = nj;
        BlockTable[1].field8 = 1;
        for (int i = 1; i <= ni; ++i) {
            for (int j = 1; j <= nj; ++j) Gridz[i][j][1] = kUntouched;
        }
        ni_ = ni;
        nj_ = nj;
    }

    EngineCall Interpolate() {
        return CallEngine([] {
            InterpolateGeodata();
            return 0;
        });
    }

    std::vector<double> Beds() const {
        std::vector<double> beds;
        for (int i = 1; i <= ni_; ++i) {
            for (int j = 1; j <= nj_; ++j) beds.push_back(Gridz[i][j][1]);
        }
        return beds;
    }

    static constexpr double kUntouched = 123.25;
    int ni_ = 0, nj_ = 0;
    InProjectDir here_;
};

struct ReadCase {
    const char* name;
    const char* text;
    std::vector<double> xyz;         // the points held, three values each
    std::vector<const char*> lines;  // lines of `boogie.bed`, in this order
};

void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }

class GeodataRead : public GeodataCase, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(GeodataRead, PointsAndLog) {
    const ReadCase& c = GetParam();
    Start(4, 4, "F 225 2 1\n");
    WriteHere("geodata", c.text);
    EngineCall read = CallEngine([] { return static_cast<int>(ReadGeodataFile()); });
    ASSERT_FALSE(read.ended) << read.log;
    EXPECT_EQ(read.result, 0);
    ASSERT_EQ(NoGeodataPoints * 3, static_cast<int>(c.xyz.size()));
    for (int k = 0; k < NoGeodataPoints; ++k) {
        EXPECT_EQ(GeodataX[k], c.xyz[3 * static_cast<size_t>(k)]) << k;
        EXPECT_EQ(GeodataY[k], c.xyz[3 * static_cast<size_t>(k) + 1]) << k;
        EXPECT_EQ(GeodataZ[k], c.xyz[3 * static_cast<size_t>(k) + 2]) << k;
    }
    EXPECT_EQ(SplitLines(ReadHere(kGeodataLogName)), std::vector<std::string>(c.lines.begin(), c.lines.end()));
}

// F 225 2 1: every value read becomes 2 v + 1.
INSTANTIATE_TEST_SUITE_P(
    Files, GeodataRead,
    ::testing::Values(
        ReadCase{"points_scaled_and_shifted", "E 1 2 3\nE 0.5 -1 10\n", {3, 5, 7, 2, -1, 21},
                 {"Number of points in geodata file: 2", "Number of points read from geodata file: 2"}},
        ReadCase{"lines_of_s_carry_nothing", "S 9 9 9 9\nE 0 0 0\nS 1 2 3 4\nE 1 1 1\n", {1, 1, 1, 3, 3, 3},
                 {"Number of points in geodata file: 2", "Number of points read from geodata file: 2"}},
        ReadCase{"z_ends_the_points", "E 0 0 0\nZ\nE 1 1 1\n", {1, 1, 1},
                 {"Number of points in geodata file: 1", "Number of points read from geodata file: 1"}},
        ReadCase{"a_capital_e_anywhere_starts_a_point", "survey of 2013: E 4 4 4\n", {9, 9, 9},
                 {"Number of points in geodata file: 1", "Number of points read from geodata file: 1"}},
        ReadCase{"an_unreadable_point_ends_the_points", "E 0 0 0\nE 1 x 1\nE 2 2 2\n", {1, 1, 1},
                 {"Number of points in geodata file: 1", "Number of points read from geodata file: 1"}},
        ReadCase{"no_point_gives_the_hints", "x y z\nE 1 2\n", {},
                 {"Number of points in geodata file: 0", "", "Probable error in geodata file. Last read charachter: E",
                  "Last read 2 number of floating points.", "Number of points read from geodata file: 0"}},
        ReadCase{"an_empty_file", "", {},
                 {"Number of points in geodata file: 0", "", "Probable error in geodata file. Last read charachter:  ",
                  "Last read -1 number of floating points.", "Number of points read from geodata file: 0"}},
        ReadCase{"far_points_are_logged", "E 1e12 0 0\n", {2e12 + 1, 1, 1},
                 {"Number of points in geodata file: 1", "xg = 2.000000e+12", "Number of points read from geodata file: 1"}}),
    EngineCaseName());

// Letter V asked for the bed levels: without bed points the run fails
// (-2 without the file, -6 when it gives no point), and the beds stay.
TEST_F(GeodataCase, MissingOrEmptyFileLeavesTheBedsAndEndsTheRun) {
    Start(4, 4);
    const std::vector<double> before = Beds();
    EngineCall missing = Interpolate();
    ASSERT_TRUE(missing.ended);
    EXPECT_EQ(missing.status, -2);
    EXPECT_EQ(Beds(), before);
    EXPECT_NE(missing.log.find("Error, cannot open the geodata file; the bed levels are not interpolated\n"),
              std::string::npos)
        << missing.log;
    EXPECT_EQ(ReadHere(kGeodataLogName), "Could not open file geodata\n");

    WriteHere("geodata", "no points here\n");
    EngineCall empty = Interpolate();
    ASSERT_TRUE(empty.ended);
    EXPECT_EQ(empty.status, -6);
    EXPECT_EQ(Beds(), before);
    EXPECT_NE(empty.log.find("Error, no bed points could be read from the geodata file; the bed levels are not "
                             "interpolated\n"),
              std::string::npos)
        << empty.log;
}

TEST_F(GeodataCase, PointsThatCannotBeHeldEndTheRun) {
    Start(4, 4);
    WriteHere("geodata", "E 0 0 0\nE 1 1 1\n");
    const size_t limit = AllocationLimitBytes;
    AllocationLimitBytes = 1000;
    EngineCall call = Interpolate();
    AllocationLimitBytes = limit;
    EXPECT_TRUE(call.ended);
    EXPECT_EQ(call.status, -3);
    EXPECT_NE(call.log.find("Error, could not allocate memory for the 2 bed points of file geodata\n"),
              std::string::npos)
        << call.log;
}

TEST_F(GeodataCase, FourSymmetricPointsGiveTheirMean) {
    Start(4, 4);
    WriteHere("geodata", "E 2.5 2.5 1\nE 1.5 2.5 2\nE 1.5 1.5 4\nE 2.5 1.5 9\n");
    ASSERT_FALSE(Interpolate().ended);
    EXPECT_DOUBLE_EQ(Gridz[2][2][1], 4.0);
}

// Only blocks of ordinary cell layers get bed levels: not a block of other
// layers, a depth-averaged block or a coarse level block.
TEST_F(GeodataCase, BlocksOfOtherKindsKeepTheirBeds) {
    Start(8, 4);
    WriteHere("geodata", "E 0 0 5\nE 9 0 5\nE 0 9 5\nE 9 9 5\n");
    BlockTable[1].iLast = 4;
    auto second = [](void (*kind)(BlockRecord&)) {
        BlockTable[2] = BlockTable[1];
        BlockTable[2].iFirst = 6;
        BlockTable[2].iLast = 8;
        kind(BlockTable[2]);
        NoBlocks = 2;
    };
    for (auto kind : {+[](BlockRecord& b) { b.field8 = 0; }, +[](BlockRecord& b) { b.depthAveraged = 1; },
                      +[](BlockRecord& b) { b.gridLevel = 1; }}) {
        second(kind);
        for (int j = 1; j <= 4; ++j) Gridz[4][j][1] = Gridz[6][j][1] = kUntouched;
        ASSERT_FALSE(Interpolate().ended);
        for (int j = 1; j <= 4; ++j) {
            EXPECT_DOUBLE_EQ(Gridz[4][j][1], 5.0) << j;  // block 1's last node row
            EXPECT_EQ(Gridz[6][j][1], kUntouched) << j;
        }
    }
}

// Points only in the square of half-width 1 around node (2, 2): the node
// takes them, the node (4, 4) finds none and gets the level 0 with the
// warnings, the other nodes hold a pair or a mean.
TEST_F(GeodataCase, RadiusLimitsThePoints) {
    Start(4, 4, "F 47 0.05 0.9\n");
    WriteHere("geodata", "E 2.5 2.5 1\nE 1.5 2.5 2\nE 1.5 1.5 4\nE 2.5 1.5 9\n");
    ASSERT_FALSE(Interpolate().ended);
    EXPECT_DOUBLE_EQ(Gridz[2][2][1], 4.0);
    EXPECT_EQ(Gridz[4][4][1], 0.0);
    EXPECT_DOUBLE_EQ(Gridz[3][3][1], 1.0);  // only (2.5, 2.5), in its third quadrant
    const std::string log = ReadHere(kGeodataLogName);
    EXPECT_NE(log.find("\nWarning, null value first loop for i,j=4 4\nWarning, scewed value for i,j=4 4\n"),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("\nWarning, using approximate value for i,j=3 3\nWarning, scewed value for i,j=3 3\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(log.find("i,j=2 2"), std::string::npos) << log;
}

// The first point of the file counts like any other, and with the debug
// option a point nearer than d0 is the node's level.
TEST_F(GeodataCase, DebugOptionTakesAVeryNearPoint) {
    Start(4, 4, "F 1 D\nF 47 0.1\n");
    WriteHere("geodata", "E 2.05 2 7\nE 1.5 2.5 2\nE 1.5 1.5 4\nE 2.5 1.5 9\nE 3 3 0\n");
    ASSERT_FALSE(Interpolate().ended);
    EXPECT_EQ(Gridz[2][2][1], 7.0);
    const std::string log = ReadHere(kGeodataLogName);
    EXPECT_NE(log.find("Using exact value for 2 2: 7.000000\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Using exact value for 3 3: 0.000000\n"), std::string::npos) << log;
    EXPECT_NE(log.find("Interpolation point (     4,     4) from     -1     -1      4     -1\n"
                       "\nWarning, using approximate value for i,j=4 4\nWarning, scewed value for i,j=4 4\n"
                       "Details point (4,4) z-value: 0.000000 d: 10000000000.000000 10000000000.000000 1.414214 "
                       "10000000000.000000, w: 0.000000 0.000000 1.000000 0.000000, zg: 0.000000 0.000000 0.000000 "
                       "0.000000\n"),
              std::string::npos)
        << log;
}

// Random points around the grid and in it: every node within the points it
// used, and the same beds and log for one and for four threads.
TEST_F(GeodataCase, ThreadCountChangesNothingAndLevelsStayWithinThePoints) {
    Start(12, 9);
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(-1.0, 14.0);
    std::string text;
    for (int k = 0; k < 400; ++k) {
        const double x = u(rng), y = u(rng) * 0.8;
        text += "E " + std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(std::sin(x) * y) + "\n";
    }
    WriteHere("geodata", text);
    const int threads = omp_get_max_threads();
    omp_set_num_threads(4);
    ASSERT_FALSE(Interpolate().ended);
    const std::vector<double> four = Beds();
    const std::string fourLog = ReadHere(kGeodataLogName);

    std::remove("geodata");  // the points read are kept for the second pass
    for (int i = 1; i <= ni_; ++i) {
        for (int j = 1; j <= nj_; ++j) Gridz[i][j][1] = kUntouched;
    }
    omp_set_num_threads(1);
    EngineCall again = Interpolate();
    omp_set_num_threads(threads);
    ASSERT_FALSE(again.ended) << again.log;
    EXPECT_EQ(Beds(), four);
    // The second pass appends the same lines, without reading the file again.
    const std::string bothLogs = ReadHere(kGeodataLogName);
    const size_t header = fourLog.find('\n', fourLog.find("Number of points read")) + 1;
    EXPECT_EQ(bothLogs, fourLog + fourLog.substr(header));

    const QuadrantSearch search(GeodataX.data(), GeodataY.data(), NoGeodataPoints);
    for (int i = 1; i <= ni_; ++i) {
        for (int j = 1; j <= nj_; ++j) {
            const QuadrantPoints q = search.nearest(Gridx[i][j], Gridy[i][j], GeodataSearchRadius);
            double lo = 1e300, hi = -1e300;
            for (int t = 0; t < 4; ++t) {
                if (q.point[t] < 0) continue;
                lo = std::min(lo, GeodataZ[q.point[t]]);
                hi = std::max(hi, GeodataZ[q.point[t]]);
            }
            ASSERT_LE(lo, hi) << i << " " << j;
            EXPECT_GE(Gridz[i][j][1], lo - 1e-12) << i << " " << j;
            EXPECT_LE(Gridz[i][j][1], hi + 1e-12) << i << " " << j;
        }
    }
}

}  // namespace
