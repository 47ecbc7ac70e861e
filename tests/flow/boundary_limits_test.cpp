// The edge pressure limit of single-layer grids (F 136) and the vertical
// velocity limits at horizontal interior faces (F 203 1 to 3).
#include <vector>

#include "tests/flow/flow_case.h"

namespace {

using BoundaryLimits = FlowCase;

TEST_F(BoundaryLimits, EdgePressureFollowsTheClosestNeighbour) {
    const struct {
        const char* name;
        int ni, nj, nk;
        double slope;
        std::vector<double> pressure;  // of the cells in number order
        int cell;                      // the cell looked at
        double expected;
    } rows[] = {
        // L = 0.001 * 9810 * (5 + 5) = 98.1
        {"above the one neighbour", 2, 1, 1, 0.001, {200.0, 0.0}, 1, 98.1},
        {"below it", 2, 1, 1, 0.001, {-200.0, 0.0}, 1, -98.1},
        {"within the limit", 2, 1, 1, 0.001, {50.0, 0.0}, 1, 50.0},
        {"limit off", 2, 1, 1, 0.0, {200.0, 0.0}, 1, 200.0},
        {"column of two cells", 2, 1, 2, 0.001, {200.0, 200.0, 0.0, 0.0}, 1, 200.0},
        // The middle cell of a row: the east neighbour is closer.
        {"two neighbours", 3, 1, 1, 0.001, {0.0, 200.0, 10.0}, 2, 108.1},
        // Both equally close: neither limits it.
        {"tie", 3, 1, 1, 0.001, {0.0, 200.0, 0.0}, 2, 200.0},
        // Cell 3 of 2 x 2 ... 3 x 2: three neighbours.
        {"three neighbours", 3, 2, 1, 0.001, {0.0, 0.0, 500.0, 0.0, 0.0, 0.0}, 3, 500.0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Box(row.ni, row.nj, row.nk, {10.0, 10.0, 1.0});
        FirstCell = LastCell = row.cell;
        for (int c = 1; c <= NoCells; ++c) Pres[c] = row.pressure[c - 1];
        BoundarySlopeLimit = row.slope;
        LimitBoundarySlopes();
        EXPECT_NEAR(Pres[row.cell], row.expected, 1e-9);
    }
}

TEST_F(BoundaryLimits, VerticalVelocity) {
    const struct {
        int mode;
        double dz;
        double bound;  // of Cw, -1 when the face is left alone
    } rows[] = {
        {1, 1.0, 0.1},     // 0.1 * mean horizontal speed 1
        {2, 0.2, 0.2},     // speed * Ckdist / Cidist = 0.1 / 0.5
        {3, 0.01, 0.005},  // r = 0.01 / 2
        {3, 0.04, -1.0},   // r = 0.02
        {0, 1.0, -1.0},
        {4, 1.0, -1.0},    // the flux limit of the surface fluxes
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "F 203 " << row.mode << ", dz " << row.dz);
        Box(1, 1, 2, {1.0, 1.0, row.dz});
        for (int c = 1; c <= 2; ++c) {
            Cu[c] = 0.6;
            Cv[c] = 0.8;
        }
        Cw[1] = 0.5;
        Cw[2] = -0.3;
        const int s = Csurft[1];
        Fflux[s] = -500.0;
        Fflux[Csurfb[1]] = 500.0;  // a bed face: never limited
        VerticalVelocityLimit = row.mode;
        LimitBoundarySlopes();
        if (row.bound < 0.0) {
            EXPECT_EQ(Cw[1], 0.5);
            EXPECT_EQ(Cw[2], -0.3);
            EXPECT_EQ(Fflux[s], -500.0);
        } else {
            EXPECT_NEAR(Cw[1], row.bound, 1e-12);
            EXPECT_NEAR(Cw[2], -row.bound, 1e-12);
            EXPECT_NEAR(Fflux[s], -1000.0 * row.bound * Farea[s], 1e-9);
        }
        EXPECT_EQ(Fflux[Csurfb[1]], 500.0);
    }
}

}  // namespace
