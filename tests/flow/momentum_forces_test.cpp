// The serial momentum sources: gravity of the surface tilt and of the water,
// wind shear, the Coriolis force and the losses at bed steps.
#include <cmath>
#include <string>
#include <vector>

#include "flow/momentum_forces.h"
#include "run/timei_data.h"
#include "tests/flow/flow_case.h"

namespace {

using MomentumForces = FlowCase;

void ClearSources() {
    for (int c = 0; c <= NoCells; ++c) Csource[c] = Cap[c] = 0.0;
}

// Top points raised by x * tx + y * ty: the water surface tilts, the cells
// below keep their levels.
std::function<void(const BoxGrid&)> TiltedSurface(double tx, double ty, int nk) {
    return [=](const BoxGrid&) {
        for (int p = 1; p <= NoPoints; ++p) {
            if (Pz1[p] > nk - 0.5) Pz1[p] += tx * Px1[p] + ty * Py1[p];
        }
    };
}

// The force of the surface tilt is -rho g ds/dx per unit volume in every
// cell of the column, whatever the size and sign of the tilt and in both
// directions; a level surface, and W, get nothing.
TEST_F(MomentumForces, SurfaceSlopeForce) {
    struct Tilt {
        double tx, ty;
    };
    for (const Tilt t : {Tilt{0.001, 0.0}, Tilt{-0.02, 0.0}, Tilt{0.0, 0.01}, Tilt{0.01, -0.01}, Tilt{1e-9, 0.0},
                         Tilt{0.0, 0.0}}) {
        SCOPED_TRACE("tilt " + std::to_string(t.tx) + " " + std::to_string(t.ty));
        Box(3, 2, 3, {1.0, 1.0, 1.0}, TiltedSurface(t.tx, t.ty, 3), "F 135 1\n");
        for (int eq = 1; eq <= 3; ++eq) {
            ClearSources();
            AddSurfaceSlopeGravity(eq, 1, NoCells);
            const double slope = eq == 1 ? t.tx : eq == 2 ? t.ty : 0.0;
            for (int c = 1; c <= NoCells; ++c) {
                // The top face normal (-s_x, -s_y, 1) over its length.
                const double tilt = eq == 3 ? 0.0 : -9810.0 * slope;
                EXPECT_NEAR(Csource[c], tilt * Cvol[c], 1e-9 * 9810.0 * Cvol[c]) << "equation " << eq << " cell " << c;
            }
        }
    }
    // Off, no force.
    Box(2, 1, 2, {1.0, 1.0, 1.0}, TiltedSurface(0.1, 0.0, 2));
    ClearSources();
    AddSurfaceSlopeGravity(1, 1, NoCells);
    for (int c = 1; c <= NoCells; ++c) EXPECT_EQ(Csource[c], 0.0);
}

// The weight of the water in W by F 181, per position of the cell in its
// column; volumes that differ from cell to cell show which are averaged.
TEST_F(MomentumForces, WaterWeightForms) {
    const BoxGrid g = Box(2, 1, 3);
    const int bed = g.cell(0, 0, 0), mid = g.cell(0, 0, 1), top = g.cell(0, 0, 2);
    for (int c = 1; c <= NoCells; ++c) Cvol[c] = 1.0 + 0.5 * c;
    // Column 2 holds one cell.
    const int single = g.cell(1, 0, 0);
    Ccellt[single] = 0;
    const double vb = Cvol[bed], vm = Cvol[mid], vt = Cvol[top], vs = Cvol[single];
    struct Row {
        int form;
        double bed, mid, top, single;
    };
    const Row rows[] = {
        {1, 4905 * (vb + vm), 9810 * vm, 4905 * (vt + vm), 9810 * vs},
        {2, 9810 * vb, 9810 * vm, 9810 * vt, 9810 * vs},
        {3, 4905 * (vb + vm), 2452.5 * (2 * vm + vb + vt), 4905 * (vt + vm), 9810 * vs},
        {0, 0, 0, 0, 0},
        {4, 0, 0, 0, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE("F 181 " + std::to_string(r.form));
        HydrostaticPressureFlag = r.form;
        ClearSources();
        AddSurfaceSlopeGravity(3, 1, NoCells);
        EXPECT_NEAR(Csource[bed], -r.bed, 1e-9);
        EXPECT_NEAR(Csource[mid], -r.mid, 1e-9);
        EXPECT_NEAR(Csource[top], -r.top, 1e-9);
        EXPECT_NEAR(Csource[single], -r.single, 1e-9);
        // U and V carry no weight.
        ClearSources();
        AddSurfaceSlopeGravity(1, 1, NoCells);
        EXPECT_EQ(Csource[mid], 0.0);
    }
    // Only the range is weighed.
    HydrostaticPressureFlag = 2;
    ClearSources();
    AddSurfaceSlopeGravity(3, mid, mid);
    EXPECT_EQ(Csource[bed], 0.0);
    EXPECT_NEAR(Csource[mid], -9810 * vm, 1e-9);
    HydrostaticPressureFlag = 0;
}

// With a layer block only its cells are weighed, whatever F 181 says: block
// 1 as F 181 = 1, an appended block 2 above the bottom cells of its columns
// and only when record 2 marks it appended.
TEST_F(MomentumForces, LayerBlockWeight) {
    const BoxGrid g = Box(2, 1, 3);
    for (int c = 1; c <= NoCells; ++c) Cvol[c] = 1.0 + 0.5 * c;
    HydrostaticPressureFlag = 2;
    const int firstColumnEnd = g.cell(0, 0, 2), secondBed = g.cell(1, 0, 0);
    BlockTable[1].firstCell = 1;
    BlockTable[1].lastCell = firstColumnEnd;
    BlockTable[2].firstCell = secondBed;
    BlockTable[2].lastCell = NoCells;

    LayerBlockOption = 1;
    ClearSources();
    AddSurfaceSlopeGravity(3, 1, NoCells);
    EXPECT_NEAR(Csource[1], -4905 * (Cvol[1] + Cvol[2]), 1e-9);
    EXPECT_NEAR(Csource[2], -9810 * Cvol[2], 1e-9);
    for (int c = secondBed; c <= NoCells; ++c) EXPECT_EQ(Csource[c], 0.0) << "cell " << c;

    // Block 2 as the appended block: its column's bottom cell is block 2's
    // first cell, which stays unweighed.
    NoBlocks = 2;
    LayerBlockOption = 2;
    Bcellt[Cbedcell[secondBed]] = secondBed;
    for (const int flag : {1, 0}) {
        BlockTable[2].layerBlock = flag;
        ClearSources();
        AddSurfaceSlopeGravity(3, 1, NoCells);
        const int mid = Ccellt[secondBed], top = Ccellt[mid];
        EXPECT_EQ(Csource[secondBed], 0.0);
        EXPECT_NEAR(Csource[mid], flag ? -9810 * Cvol[mid] : 0.0, 1e-9);
        EXPECT_NEAR(Csource[top], flag ? -4905 * (Cvol[top] + Cvol[mid]) : 0.0, 1e-9);
        for (int c = 1; c < secondBed; ++c) EXPECT_EQ(Csource[c], 0.0) << "cell " << c;
    }
    LayerBlockOption = -1;
    ClearSources();
    AddSurfaceSlopeGravity(3, 1, NoCells);
    for (int c = 1; c <= NoCells; ++c) EXPECT_EQ(Csource[c], 0.0);
    LayerBlockOption = 0;
    HydrostaticPressureFlag = 0;
    BlockTable[2] = BlockRecord{};
}

TEST(WindDrag, Formulas) {
    struct Row {
        int formula;
        double speed, drag;
    };
    const Row rows[] = {
        {0, 10.0, 136.784},  {0, 5.6, 5.6 * 5.6},   {0, 3.0, 9.0},
        {1, 10.0, 110.0},              {2, 10.0, 158.11388300841898}, {2, 0.99, 1.25 * std::pow(0.99, 1.5)},
        {2, 1.0, 0.5},                 {2, 14.99, 0.5 * std::pow(14.99, 2.5)}, {2, 15.0, 2.6 * 225.0},
        {3, 10.0, 10.0},               {57, 4.0, 4.0},         {0, 0.0, 0.0},
    };
    for (const Row& r : rows) {
        EXPECT_NEAR(WindDrag(r.speed, r.formula), r.drag, 1e-9 * (1.0 + r.drag))
            << "F 73 " << r.formula << " at " << r.speed << " m/s";
    }
}

class WindStress : public FlowCase {
protected:
    void SetUp() override {
        g_ = Box(2, 1, 3, {1.0, 2.0, 0.5});
        WindSpeed[0] = 10.0;
        WindSpeed[1] = 1.0;
        WindSpeed[2] = -0.5;
        WindDragFormula = 1;
        FirstCell = 1;
        LastCell = NoCells;
    }
    void TearDown() override {
        WindSpeed[0] = WindSpeed[1] = WindSpeed[2] = 0.0;
        WindDragFormula = 0;
        NoTimeiSteps = 0;
        stime = 0.0;
        TimeiTime.release();
        TimeiWind.release();
    }
    void Series(const std::vector<std::vector<double>>& rows) {
        NoTimeiSteps = static_cast<int>(rows.size());
        ASSERT_TRUE(TimeiTime.allocate(rows.size() + 1));
        ASSERT_TRUE(TimeiWind.allocate(rows.size() + 1, 3));
        for (size_t r = 0; r < rows.size(); ++r) {
            TimeiTime[r] = rows[r][0];
            for (int v = 0; v < 3; ++v) TimeiWind[r][v] = rows[r][1 + v];
        }
    }
    BoxGrid g_;
};

// The shear 0.0012 f(U) on the top face pushes the top cells along the wind;
// k and epsilon of the top cells are fixed from it; W and the cells below
// take nothing.
TEST_F(WindStress, TopCellsOnly) {
    const double drag = 110.0;
    for (const int eq : {1, 2, 3, 5, 6}) {
        ClearSources();
        AddWindStress(eq);
        for (int c = 1; c <= NoCells; ++c) {
            if (Ccellt[c] != 0 || eq == 3) {
                EXPECT_EQ(Csource[c], 0.0) << "equation " << eq << " cell " << c;
                EXPECT_EQ(Cap[c], 0.0);
                continue;
            }
            const double area = Farea[Csurft[c]];
            const double ks = 1.9999799999999998e-6 * drag;
            switch (eq) {
                case 1: EXPECT_NEAR(Csource[c], 1.0 * 0.0012 * drag * area, 1e-12); break;
                case 2: EXPECT_NEAR(Csource[c], -0.5 * 0.0012 * drag * area, 1e-12); break;
                case 5:
                    EXPECT_EQ(Cap[c], 1e30);
                    EXPECT_NEAR(Csource[c] / Cap[c], ks, 1e-12 * ks);
                    EXPECT_NEAR(ks, 2.2e-4, 1e-7);
                    break;
                case 6:
                    EXPECT_NEAR(Csource[c] / Cap[c], 0.164317 * 2.5 * std::pow(ks, 1.5) / Ckdist[c], 1e-9);
                    break;
                default: break;
            }
        }
    }
}

// The `timei` wind: interpolated between the rows, the last row after the
// last time, the one row of a series of one; before the first time the
// speed never turns negative (it would make the drag NaN).
TEST_F(WindStress, TimeSeries) {
    struct Row {
        const char* name;
        std::vector<std::vector<double>> series;
        double time;
        double speed, x;
    };
    const std::vector<Row> rows = {
        {"between", {{100, 2, 1, 0}, {200, 10, 0, 1}}, 150.0, 6.0, 0.5},
        {"after the last", {{100, 2, 1, 0}, {200, 10, 0, 1}}, 500.0, 10.0, 0.0},
        {"one set", {{100, 4, 1, 0}}, 0.0, 4.0, 1.0},
        {"before the first", {{100, 2, 1, 0}, {200, 10, 1, 0}}, 0.0, 2.0, 1.0},
        {"negative speed", {{100, -3, 1, 0}, {200, 10, 1, 0}}, 0.0, 0.0, 1.0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        TimeiTime.release();
        TimeiWind.release();
        Series(r.series);
        stime = r.time;
        const SurfaceWind w = CurrentWind();
        EXPECT_NEAR(w.speed, r.speed, 1e-9);
        EXPECT_NEAR(w.x, r.x, 1e-9);
        WindDragFormula = 2;
        ClearSources();
        AddWindStress(1);
        for (int c = 1; c <= NoCells; ++c) EXPECT_TRUE(std::isfinite(Csource[c])) << "cell " << c;
    }
}

// rho f V along x, -rho f U along y; the damping grows with the gap between
// the Coriolis term and the cell's own component.
TEST_F(MomentumForces, Coriolis) {
    Box(2, 1, 2, {1.0, 1.0, 0.5});
    FirstCell = 1;
    LastCell = NoCells;
    for (int c = 1; c <= NoCells; ++c) {
        Cu[c] = 0.1 * c;
        Cv[c] = -0.05 * c;
    }
    Cu[1] = Cv[1] = 0.0;  // at rest: nothing at all
    struct Row {
        double f, damping;
    };
    for (const Row r : {Row{0.01, 0.0}, Row{0.0, 2.0}, Row{-0.5, 0.3}}) {
        Coriolis = r.f;
        CoriolisImplicitFactor = r.damping;
        for (const int eq : {1, 2, 3}) {
            Equation = eq;
            ClearSources();
            AddCoriolisForce();
            for (int c = 1; c <= NoCells; ++c) {
                const double q = std::sqrt(2.0 * Cvol[c] * Ckdist[c]);
                double force = 0.0, ap = 0.0;
                if (eq == 1) {
                    force = 1000.0 * r.f * Cv[c] * Cvol[c];
                    ap = std::fabs(1000.0 * r.f * Cv[c] - 1000.0 * Cu[c]) * r.damping * q;
                } else if (eq == 2) {
                    force = -1000.0 * r.f * Cu[c] * Cvol[c];
                    ap = std::fabs(1000.0 * r.f * Cu[c] - 1000.0 * Cv[c]) * r.damping * q;
                }
                EXPECT_NEAR(Csource[c], force, 1e-12) << "equation " << eq << " cell " << c;
                EXPECT_NEAR(Cap[c], ap, 1e-12) << "equation " << eq << " cell " << c;
                if (c == 1) {
                    EXPECT_EQ(Csource[c] + Cap[c], 0.0);
                }
            }
        }
    }
    Coriolis = CoriolisImplicitFactor = 0.0;
}

// Step losses between the columns of block 1: the depth at the face's end
// nodes against the heights of the two bottom cells gives a = 1000 (1 - r^2)
// per unit of face area, times the speed across the face, for every cell of
// both columns up to the top of the shorter one.
TEST_F(MomentumForces, StepLosses) {
    const BoxGrid g = Box(3, 1, 3, {1.0, 1.0, 1.0});
    NoGridLinesZ = 4;
    const auto setDepth = [](double d) {
        for (size_t i = 0; i < Gridz.extent1(); ++i) {
            for (size_t j = 0; j < Gridz.extent2(); ++j) {
                Gridz[i][j][1] = -1.0;
                Gridz[i][j][NoGridLinesZ] = -1.0 + d;
            }
        }
    };
    for (int c = 1; c <= NoCells; ++c) {
        Cu[c] = 0.5;
        Cv[c] = 0.0;
    }
    // Column 3 holds two cells: the walk with column 2 ends at its top.
    const int shortTop = g.cell(2, 0, 1);
    Ccellt[shortTop] = 0;
    struct Row {
        double nodeDepth;  // at each node; the face sums two
        double a;          // per m2 of face
    };
    // Bottom half heights 0.5 + 0.5: r = the node depth (half the sum).
    for (const Row r : {Row{0.4, 840.0}, Row{0.0, 1000.0}, Row{-0.3, 1000.0}, Row{0.5, 0.0}, Row{0.8, 0.0}}) {
        SCOPED_TRACE("node depth " + std::to_string(r.nodeDepth));
        setDepth(r.nodeDepth);
        ClearSources();
        AddStepLossTerms();
        const double face = Farea[Csurfe[1]];
        for (int i = 0; i < 3; ++i) {
            for (int k = 0; k < 3; ++k) {
                const int c = g.cell(i, 0, k);
                // Inner columns take the loss of both their faces.
                const int faces = (i == 1 ? 2 : 1) - (i == 2 && k == 2 ? 1 : 0) - (i == 1 && k == 2 ? 1 : 0);
                EXPECT_NEAR(Cap[c], faces * 0.5 * r.a * face, 1e-9) << "column " << i << " layer " << k;
            }
        }
    }
    // Only block 1 takes losses.
    setDepth(0.0);
    BlockTable[1].iLast = 0;
    ClearSources();
    AddStepLossTerms();
    for (int c = 1; c <= NoCells; ++c) EXPECT_EQ(Cap[c], 0.0);
    NoGridLinesZ = 11;
}

}  // namespace
