// Plan point-in-polygon tests and the difference estimates of a field over
// one cell, on boxes of cells with their metric.
#include <gtest/gtest.h>

#include "grid/grid_editing.h"
#include "tests/flow/flow_case.h"

namespace {

TEST(PointInPolygon, InsideOnlyStrictlyRightOfEveryClockwiseEdge) {
    struct Case {
        double px, py;
        int triangle, quadrilateral;
    };
    // Clockwise: (0, 0), (0, 2), (2, 2) for the triangle, (0, 0), (0, 2),
    // (2, 2), (2, 0) for the quadrilateral.
    const Case cases[] = {
        {0.5, 1.0, 1, 1},
        {1.5, 0.5, 0, 1},
        {0.0, 1.0, 0, 0},  // on the west edge
        {1.0, 1.0, 0, 1},  // on the triangle's diagonal
        {3.0, 1.0, 0, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PointInTriangle(c.px, c.py, 0, 0, 0, 2, 2, 2), c.triangle) << c.px << " " << c.py;
        EXPECT_EQ(PointInQuadrilateral(c.px, c.py, 0, 0, 0, 2, 2, 2, 2, 0), c.quadrilateral) << c.px << " " << c.py;
    }
    // The same corners anticlockwise hold nothing.
    EXPECT_EQ(PointInTriangle(0.5, 1.0, 0, 0, 2, 2, 0, 2), 0);
    EXPECT_EQ(PointInQuadrilateral(0.5, 1.0, 2, 0, 2, 2, 0, 2, 0, 0), 0);
}

using CellDifferences = FlowCase;

// A field rising 3 per metre along x, 2 along y and 5 upwards in a box of
// 3 x 3 x 3 cells of 1 x 2 x 0.5 m: the middle cell's B and C estimates are
// the gradient, A the gradient times the volume.
TEST_F(CellDifferences, LinearFieldGivesItsGradient) {
    const BoxGrid g = Box(3, 3, 3, {1.0, 2.0, 0.5});
    Array1<double> f;
    ASSERT_TRUE(f.allocate(static_cast<size_t>(NoCells) + 1));
    for (int c = 1; c <= NoCells; ++c) f[c] = 3.0 * Cxcenter[c] + 2.0 * Cycenter[c] + 5.0 * Czcenter[c];
    const int mid = g.cell(1, 1, 1);
    const double gradient[4] = {0.0, 3.0, 2.0, 5.0};
    for (int d = 1; d <= 3; ++d) {
        EXPECT_NEAR(CellDerivativeB(f, d, mid), gradient[d], 1e-12) << d;
        EXPECT_NEAR(CellDerivativeC(f, d, mid), gradient[d], 1e-12) << d;
        EXPECT_NEAR(CellDerivativeA(f, d, mid), gradient[d] * Cvol[mid], 1e-12) << d;
    }
    // One-sided at the box's sides.
    const int corner = g.cell(0, 0, 0);
    EXPECT_NEAR(CellDerivativeB(f, 1, corner), 3.0, 1e-12);
    EXPECT_NEAR(CellDerivativeB(f, 3, corner), 5.0, 1e-12);
    for (auto* derivative : {CellDerivativeA, CellDerivativeB, CellDerivativeC}) {
        EXPECT_EQ(derivative(f, 4, mid), 0.0);
        EXPECT_EQ(derivative(f, 0, mid), 0.0);
    }
}

TEST_F(CellDifferences, CellWithoutSideNeighboursHasNoDifferenceAcross) {
    const BoxGrid g = Box(1, 1, 2);
    Array1<double> f;
    ASSERT_TRUE(f.allocate(static_cast<size_t>(NoCells) + 1));
    for (int c = 1; c <= NoCells; ++c) f[c] = 7.0 * c;
    const int c = g.cell(0, 0, 0);
    for (auto* derivative : {CellDerivativeA, CellDerivativeB, CellDerivativeC}) {
        EXPECT_EQ(derivative(f, 1, c), 0.0);
        EXPECT_EQ(derivative(f, 2, c), 0.0);
        EXPECT_NE(derivative(f, 3, c), 0.0);
    }
}

}  // namespace
