// The alternative column-and-cell generators (F 64 other than the default
// family) on small structured grids: a sound grid, closed cells and the
// water volume, and the rules of the single algorithms.
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "grid/alternative_columns.h"
#include "grid/grid_invariants.h"
#include "tests/grid/generation_case.h"

namespace {

std::string Messages(const GridCheck& check) {
    std::string all;
    for (const std::string& m : check.messages) all += m + "\n";
    return all;
}

using Vec = std::array<double, 3>;

Vec PointAt(int p) { return {Px1[p], Py1[p], Pz1[p]}; }

Vec FaceVector(int f) {
    const Vec p1 = PointAt(Fpoint1[f]), p2 = PointAt(Fpoint2[f]), p3 = PointAt(Fpoint3[f]), p4 = PointAt(Fpoint4[f]);
    const Vec a{p1[0] - p3[0], p1[1] - p3[1], p1[2] - p3[2]}, b{p2[0] - p4[0], p2[1] - p4[1], p2[2] - p4[2]};
    return {0.5 * (a[1] * b[2] - a[2] * b[1]), 0.5 * (a[2] * b[0] - a[0] * b[2]), 0.5 * (a[0] * b[1] - a[1] * b[0])};
}

// The cells whose faces, from their own points, do not close around them.
std::string OpenCells() {
    std::string open;
    const Array1<int>* faces[6] = {&Csurfs, &Csurfe, &Csurfn, &Csurfw, &Csurfb, &Csurft};
    for (int c = 1; c <= NoCells; ++c) {
        Vec sum{0.0, 0.0, 0.0};
        double areas = 0.0;
        bool missing = false;
        for (const Array1<int>* side : faces) {
            const int f = (*side)[c];
            if (f <= 0) {
                missing = true;
                continue;
            }
            const Vec v = FaceVector(f);
            const double sign = Fcell1[f] == c ? 1.0 : -1.0;
            for (int d = 0; d < 3; ++d) sum[d] += sign * v[d];
            areas += std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        }
        const double gap = std::sqrt(sum[0] * sum[0] + sum[1] * sum[1] + sum[2] * sum[2]);
        if (missing || !(gap <= 1e-12 * areas)) open += std::to_string(c) + (missing ? " (face 0)" : "") + " ";
    }
    return open;
}

double VolumeOfCells() {
    double v = 0.0;
    for (int c = 1; c <= NoCells; ++c) v += Cvol[c];
    return v;
}

// Grid A: 4 x 3 unit columns, nodes x 0..4 and y 0..3 at grid indexes
// 1..5 and 1..4, NZ 7, water at 2 m over the bed 0.2 x + 0.1 y.
class GridA : public GenerationCase {
protected:
    void StartA(const std::string& control) {
        Start(6, 5, 7, control);
        for (int i = 1; i <= 5; ++i) {
            for (int j = 1; j <= 4; ++j) SetNode(i, j, 0.2 * (i - 1) + 0.1 * (j - 1), 2.0);
        }
    }
    // The grid and its metric, as every caller of the generator runs them.
    static EngineCall GenerateWithMetric() {
        return CallEngine([] {
            const int result = Unstructure();
            metric();
            return result;
        });
    }
};

enum class Scene { GridA, DryNode, Bumps, TwoBlocks };

struct SceneRow {
    int algorithm;
    Scene scene;
    int f299;
};

std::string SceneName(Scene s) {
    switch (s) {
        case Scene::GridA: return "GridA";
        case Scene::DryNode: return "DryNode";
        case Scene::Bumps: return "Bumps";
        default: return "TwoBlocks";
    }
}

void PrintTo(const SceneRow& row, std::ostream* os) {
    *os << "F 64 " << row.algorithm << ", " << SceneName(row.scene) << ", F 299 " << row.f299;
}

// The water a scene holds where the cells follow the bed and the surface.
double SceneVolume(Scene s) {
    switch (s) {
        case Scene::DryNode: return 17.175;  // corner (4, 3) holds no water
        case Scene::Bumps: return 17.4 - 0.5;  // one more node raised than lowered by 0.5 m
        default: return 17.4;  // 24 - 4.8 - 1.8
    }
}

// Where the water volume holds: columns are not thinned and layers do not
// run on below the bed.
bool VolumeHolds(const SceneRow& row) {
    if (row.scene == Scene::GridA || row.scene == Scene::TwoBlocks) return true;
    return row.algorithm != 2 && row.algorithm != 32 && row.algorithm != 9 && row.algorithm != 14 &&
           row.algorithm != 15;
}

class Generators : public GridA, public ::testing::WithParamInterface<SceneRow> {};

TEST_P(Generators, SoundClosedGridHoldingTheWater) {
    const SceneRow& row = GetParam();
    StartA("F 64 " + std::to_string(row.algorithm) + "\nF 299 " + std::to_string(row.f299) + "\n");
    if (row.scene == Scene::DryNode) SetNode(5, 4, 2.3, 2.0);
    if (row.scene == Scene::Bumps) {
        Gridz[2][2][1] += 0.5;
        Gridz[3][3][1] -= 0.5;
        Gridz[4][2][1] += 0.5;
    }
    if (row.scene == Scene::TwoBlocks) {
        // The later block lies west of the earlier one; they share the node line x = 2.
        NoBlocks = 2;
        BlockTable[2] = BlockTable[1];
        BlockTable[1].iFirst = 4;
        BlockTable[2].iLast = 3;
    }
    const EngineCall call = GenerateWithMetric();
    ASSERT_FALSE(call.ended) << call.log;
    ASSERT_EQ(call.result, 1) << call.log;
    ASSERT_GT(NoCells, 0);
    if (row.f299 == 1) {
        const GridCheck check = CheckGridInvariants();
        EXPECT_TRUE(check.ok()) << Messages(check);
    }
    EXPECT_EQ(OpenCells(), "");
    if (VolumeHolds(row)) {
        EXPECT_NEAR(VolumeOfCells(), SceneVolume(row.scene), 1e-9 * SceneVolume(row.scene));
    }
    // No corner above the highest bed or water level, none undefined.
    for (int p = 1; p <= NoPoints; ++p) {
        ASSERT_TRUE(std::isfinite(Pz1[p])) << p;
        EXPECT_LE(Pz1[p], 2.3 + 1e-9) << p;
    }
    if (row.scene == Scene::TwoBlocks) {
        for (int b = 1; b <= 2; ++b) {
            const BlockRecord& r = BlockTable[b];
            for (int c = r.firstCell; c <= r.lastCell; ++c) {
                for (const Array1<int>* nb : {&Ccelle, &Ccellw, &Ccelln, &Ccells}) {
                    const int o = (*nb)[c];
                    EXPECT_TRUE(o == 0 || (o >= r.firstCell && o <= r.lastCell)) << "cell " << c << " links " << o;
                }
            }
        }
    }
}

std::vector<SceneRow> SceneRows() {
    std::vector<SceneRow> rows;
    for (int a : {2, 32, 3, 33, 4, 5, 35, 6, 36, 7, 37, 10, 12, 9, 14, 15}) {
        for (Scene s : {Scene::GridA, Scene::DryNode, Scene::Bumps, Scene::TwoBlocks}) rows.push_back({a, s, 1});
        rows.push_back({a, Scene::GridA, 0});
        rows.push_back({a, Scene::DryNode, 0});
    }
    return rows;
}

INSTANTIATE_TEST_SUITE_P(Rows, Generators, ::testing::ValuesIn(SceneRows()),
                         [](const ::testing::TestParamInfo<SceneRow>& i) {
                             return "F64_" + std::to_string(i.param.algorithm) + "_" + SceneName(i.param.scene) +
                                    "_F299_" + std::to_string(i.param.f299);
                         });

}  // namespace
namespace {

TEST_F(GridA, CutLevelsEndOnTheBedAndTopAtTheHighestLevel) {
    StartA("F 64 1\nF 299 1\nG 3 0 0.4 0.8 1.2 1.6 2.0 2.4\n");
    const EngineCall call = GenerateWithMetric();
    ASSERT_EQ(call.result, 1) << call.log;
    // The node (0, 0) lies on level 1: the water below level 2 is a cell of its own.
    EXPECT_EQ(GridWetPoint[1][1], 7);
    EXPECT_NEAR(VolumeOfCells(), 28.8 - 6.6, 1e-9 * 22.2);
    for (int p = 1; p <= NoPoints; ++p) EXPECT_LE(Pz1[p], 2.4 + 1e-12) << p;
    const GridCheck check = CheckGridInvariants();
    EXPECT_TRUE(check.ok()) << Messages(check);
    EXPECT_EQ(OpenCells(), "");
}

TEST_F(GridA, FlattenedLevelsMakeAStairOfWholeLayers) {
    // Two unit columns in a row, node beds 0.5, 1.5 and 2.5 m.
    Start(4, 4, 4, "F 64 0\nF 299 1\nG 3 0 1 2 3\n");
    BlockTable[1].jLast = 2;
    for (int j = 1; j <= 2; ++j) {
        for (int i = 1; i <= 3; ++i) SetNode(i, j, i - 0.5, 3.0);
    }
    const EngineCall call = GenerateWithMetric();
    ASSERT_EQ(call.result, 1) << call.log;
    EXPECT_EQ(GridWetColumn[2][2], 3);
    EXPECT_EQ(GridWetColumn[3][2], 2);
    EXPECT_EQ(Gridz[2][1][1], 0.0);  // the middle bed went down to the west column's floor
    EXPECT_NEAR(VolumeOfCells(), 5.0, 1e-12);
    // Every bottom and top face lies flat on a whole metre.
    using Corners = std::array<const Array1<int>*, 4>;
    const Corners bottom{&Cpoint1, &Cpoint2, &Cpoint3, &Cpoint4}, top{&Cpoint5, &Cpoint6, &Cpoint7, &Cpoint8};
    for (int c = 1; c <= NoCells; ++c) {
        for (const Corners& face : {bottom, top}) {
            const double z = Pz1[(*face[0])[c]];
            for (const Array1<int>* corner : face) EXPECT_EQ(Pz1[(*corner)[c]], z) << "cell " << c;
            EXPECT_EQ(z, std::round(z)) << "cell " << c;
        }
    }
    const GridCheck check = CheckGridInvariants();
    EXPECT_TRUE(check.ok()) << Messages(check);
}

struct FixedRow {
    int algorithm;
    int layers;      // field 9
    bool refused;
};

void PrintTo(const FixedRow& row, std::ostream* os) {
    *os << "F 64 " << row.algorithm << ", " << row.layers << " layers" << (row.refused ? ", refused" : "");
}

class FixedLayers : public GenerationCase, public ::testing::WithParamInterface<FixedRow> {};

// A block of four columns whose layers do not follow the water: field 9
// equal layers from 8 to 10 m, or a refusal naming the block.
TEST_P(FixedLayers, EqualLayersBetweenTheBlockLevels) {
    const FixedRow& row = GetParam();
    Start(4, 4, 6, "F 64 " + std::to_string(row.algorithm) + "\nF 299 1\n");
    BlockRecord& b = BlockTable[1];
    b.field8 = 0;
    b.field9 = row.layers;
    b.real1 = 2.0;
    b.real2 = 10.0;
    const EngineCall call = CallEngine([] {
        const int result = Unstructure();
        metric();
        return result;
    });
    if (row.refused) {
        ASSERT_TRUE(call.ended);
        EXPECT_NE(call.status, 0);
        const std::string line =
            "Error: block 1 has " + std::to_string(row.layers) + " fixed layers; 1 to 5 are possible.\n";
        EXPECT_NE(call.log.find(line), std::string::npos) << call.log;
        return;
    }
    ASSERT_EQ(call.result, 1) << call.log;
    ASSERT_EQ(NoCells, 4 * row.layers);
    for (int k = 6 - row.layers; k <= 6; ++k) EXPECT_DOUBLE_EQ(Gridz[2][2][k], 10.0 - (6 - k) * 2.0 / row.layers) << k;
    EXPECT_NEAR(VolumeOfCells(), 4 * 2.0, 1e-9);
    const GridCheck check = CheckGridInvariants();
    EXPECT_TRUE(check.ok()) << Messages(check);
}

INSTANTIATE_TEST_SUITE_P(Rows, FixedLayers,
                         ::testing::Values(FixedRow{1, 4, false}, FixedRow{0, 4, false}, FixedRow{5, 4, false},
                                           FixedRow{12, 1, false}, FixedRow{1, 0, true}, FixedRow{1, 6, true},
                                           FixedRow{5, 0, true}, FixedRow{7, 6, true}),
                         [](const ::testing::TestParamInfo<FixedRow>& i) {
                             const FixedRow& r = i.param;
                             return "F64_" + std::to_string(r.algorithm) + "_Layers" + std::to_string(r.layers);
                         });

// F 64 = 10 with the row y = 3 dry on a bed of 2.3 m: its nodes move towards
// the water by the share of the side that is wet, and the points above the
// bed move with them.
TEST_F(GridA, ShorelineNodesMoveWithTheirWholeVerticalLine) {
    for (int f299 : {0, 1}) {
        StartA("F 64 10\nF 299 " + std::to_string(f299) + "\n");
        for (int i = 1; i <= 5; ++i) SetNode(i, 4, 2.3, 2.0);
        const EngineCall call = GenerateWithMetric();
        ASSERT_FALSE(call.ended) << call.log;
        ASSERT_EQ(call.result, 1) << call.log;
        int moved = 0;
        for (int p = 1; p <= NoPoints; ++p) {
            if (Py1[p] <= 2.0 + 1e-12) continue;
            const double x = Px1[p];
            const double d = 2.0 - (0.2 * x + 0.2);
            EXPECT_NEAR(Py1[p], 3.0 - 0.3 / (d + 0.3), 1e-12) << "point " << p << " x " << x << " F 299 " << f299;
            ++moved;
        }
        EXPECT_GE(moved, 5);
        EXPECT_EQ(OpenCells(), "");
    }
}

TEST(Thinning, LayersLostToASteepBed) {
    // Bed falling 5 m across a 2 m column; 10 levels at the deepest corner, 6 m deep.
    struct Row {
        int shallowLevels;
        int lost;
    };
    for (const Row row : {Row{3, 5}, Row{7, 3}}) {
        InProjectDir here;
        WriteHere("control", "G 1 4 4 11 1\nF 65 200 400 400 50 50\n");
        ASSERT_EQ(StartEngineHere().result, 0);
        for (int i = 1; i <= 2; ++i) {
            for (int j = 1; j <= 2; ++j) {
                Gridx[i][j] = 2.0 * i;
                Gridy[i][j] = 2.0 * j;
                const bool deep = i == 2 && j == 2;
                Gridz[i][j][1] = deep ? 0.0 : 5.0;
                Gridz[i][j][NoGridLinesZ] = 6.0;
                GridWetPoint[i][j] = deep ? 10 : row.shallowLevels;
            }
        }
        EXPECT_EQ(altgrid::ThinningLayers(2, 2, altgrid::ShorterSide(2, 2)), row.lost) << row.shallowLevels;
    }
}

TEST_F(GenerationCase, DirectBuildGivesANodeOnePointPerLevel) {
    Start(4, 4, 3, "F 64 14\n");
    for (int i = 1; i <= 3; ++i) {
        for (int j = 1; j <= 3; ++j) SetNode(i, j, 0.0, 2.0);
    }
    ASSERT_EQ(Generate().result, 1);
    ASSERT_EQ(GridWetPoint[2][2], 3);
    for (int k = 1; k <= 3; ++k) EXPECT_DOUBLE_EQ(Pz1[GenLevelWork[2][2][k]], k - 1.0) << k;
}

// F 64 = 15: the bed cells of a 5-layer and a 3-layer column meet; the
// deeper column's cell that faced the shallower bed cell keeps that face as
// a wall of its own.
TEST_F(GenerationCase, DirectBuildJoinsTheBedCells) {
    Start(4, 4, 6, "F 64 15\nF 87 1\nF 299 1\n");
    BlockTable[1].jLast = 2;
    for (int j = 1; j <= 2; ++j) {
        SetNode(1, j, 0.0, 1.0);
        SetNode(2, j, 0.3, 1.0);
        SetNode(3, j, 0.3, 1.0);
    }
    ASSERT_EQ(Generate().result, 1);
    ASSERT_EQ(GridWetColumn[2][2], 5);
    ASSERT_EQ(GridWetColumn[3][2], 3);
    const int deep = Cell(2, 2, 1), shallow = Cell(3, 2, 1), beside = Cell(2, 2, 3);
    EXPECT_EQ(Ccelle[deep], shallow);
    EXPECT_EQ(Ccellw[shallow], deep);
    EXPECT_EQ(Csurfw[shallow], Csurfe[deep]);
    EXPECT_EQ(Ccelle[beside], 0);
    const int wall = Csurfe[beside];
    EXPECT_EQ(Fcell1[wall], beside);
    EXPECT_EQ(Fcell2[wall], 0);
    EXPECT_EQ(Fpoint1[wall], Cpoint2[beside]);
    EXPECT_EQ(Fpoint3[wall], Cpoint7[beside]);
    // No face names a cell that does not name it back.
    for (int f = 1; f <= NoSurfaces; ++f) {
        for (int c : {Fcell1[f], Fcell2[f]}) {
            if (c == 0) continue;
            const bool own = Csurfs[c] == f || Csurfe[c] == f || Csurfn[c] == f || Csurfw[c] == f || Csurfb[c] == f ||
                             Csurft[c] == f;
            EXPECT_TRUE(own) << "face " << f << " names cell " << c;
        }
    }
    const GridCheck check = CheckGridInvariants();
    EXPECT_TRUE(check.ok()) << Messages(check);
    EXPECT_EQ(OpenCells(), "");
}

// The +30 values build the same cells, except that 32 does not hang a
// shallower column on the points of its deeper neighbour.
TEST_F(GridA, ThirtyMoreBuildsTheSameCells) {
    int points[2][2];
    for (int pair = 0; pair < 2; ++pair) {
        for (int shift = 0; shift < 2; ++shift) {
            const int a = (pair == 0 ? 0 : 2) + 30 * shift;
            StartA("F 64 " + std::to_string(a) + "\nG 3 0 0.4 0.8 1.2 1.6 2.0 2.4\n");
            ASSERT_EQ(Generate().result, 1);
            points[pair][shift] = NoPoints;
        }
    }
    EXPECT_EQ(points[0][0], points[0][1]);
    EXPECT_LT(points[1][0], points[1][1]);
}

// F 64 = 12: two single-layer columns whose shared side holds less water
// than F 86 (the positive parts of its node depths) are not neighbours.
TEST_F(GenerationCase, ShallowSingleLayerContactIsClosed) {
    struct Row {
        double north;  // depth of the shared side's north node; the south one holds 0.0004 m
        bool linked;
    };
    for (const Row row : {Row{-0.2, false}, Row{0.01, true}}) {
        Start(4, 4, 4, "F 64 12\nF 299 1\n");
        MinWaterDepth = 0.001;  // the F 86 default, which the F 94 depths of the fixture replace
        BlockTable[1].jLast = 2;
        for (int j = 1; j <= 2; ++j) {
            SetNode(1, j, 0.9, 1.0);
            SetNode(3, j, 0.9, 1.0);
        }
        SetNode(2, 1, 1.0 - 0.0004, 1.0);
        SetNode(2, 2, 1.0 - row.north, 1.0);
        ASSERT_EQ(Generate().result, 1);
        ASSERT_EQ(GridWetColumn[2][2], 1);
        ASSERT_EQ(GridWetColumn[3][2], 1);
        EXPECT_EQ(Ccelle[Cell(2, 2, 1)], row.linked ? Cell(3, 2, 1) : 0) << row.north;
        EXPECT_EQ(Ccellw[Cell(3, 2, 1)], row.linked ? Cell(2, 2, 1) : 0) << row.north;
        const GridCheck check = CheckGridInvariants();
        EXPECT_TRUE(check.ok()) << Messages(check);
    }
}

}  // namespace
