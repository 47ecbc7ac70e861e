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
