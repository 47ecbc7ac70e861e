// Corrections of fluxes, velocities, pressure and column levels after the
// pressure-correction solve, on boxes of cells.
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "surface/surface_data.h"
#include "tests/flow/flow_case.h"

namespace {

constexpr double kInvAp = 1e-3;
constexpr double kU0 = 0.3, kV0 = -0.2, kW0 = 0.1;

struct Change {
    double u, v, w;
};

class SimpleCorrections : public FlowCase {
protected:
    // A box with p' = -(x + 2 y + 3 z), 1/a_P and the velocities set, and its
    // columns numbered.
    BoxGrid Case(int ni, int nj, int nk, const BoxSpacing& h = {2.0, 1.5, 0.5},
                 const std::function<void(const BoxGrid&)>& reshape = {}) {
        const BoxGrid g = Box(ni, nj, nk, h, reshape);
        SetCorrection([](double x, double y, double z) { return -(x + 2.0 * y + 3.0 * z); });
        for (int c = 1; c <= NoCells; ++c) {
            CinvAp[c] = kInvAp;
            Cu[c] = kU0;
            Cv[c] = kV0;
            Cw[c] = kW0;
        }
        NoBedCells = ni * nj;
        for (int i = 0; i < ni; ++i) {
            for (int j = 0; j < nj; ++j) {
                const int column = 1 + j + nj * i;
                Bnocells[column] = nk;
                Barea[column] = Careaz[g.cell(i, j, 0)];
                for (int k = 0; k < nk; ++k) Cbedcell[g.cell(i, j, k)] = column;
            }
        }
        return g;
    }

    static void SetCorrection(const std::function<double(double, double, double)>& f) {
        for (int c = 1; c <= NoCells; ++c) Cf[c] = f(Cxcenter[c], Cycenter[c], Czcenter[c]);
    }

    static void ResetVelocities() {
        for (int c = 1; c <= NoCells; ++c) {
            Cu[c] = kU0;
            Cv[c] = kV0;
            Cw[c] = kW0;
        }
    }

    // The velocity change of every cell by the current variant.
    static std::vector<Change> VelocityChanges() {
        ResetVelocities();
        CorrectCellVelocities(1, NoCells);
        std::vector<Change> d(NoCells + 1);
        for (int c = 1; c <= NoCells; ++c) d[c] = {Cu[c] - kU0, Cv[c] - kV0, Cw[c] - kW0};
        return d;
    }
    // ... and by the basic correction of U, V and W.
    static std::vector<Change> BasicChanges() {
        const int sv = SimpleVariant, f69 = F69Int3, f291 = F291Int3;
        SimpleVariant = F69Int3 = F291Int3 = 0;
        std::vector<Change> d = VelocityChanges();
        SimpleVariant = sv;
        F69Int3 = f69;
        F291Int3 = f291;
        return d;
    }
};

// Flux change of interior surface s at full strength.
double FluxCorrection(int s) {
    const int c1 = Fcell1[s], c2 = Fcell2[s];
    const double invAp = (Fdist1[s] * CinvAp[c2] + Fdist2[s] * CinvAp[c1]) / (Fdist1[s] + Fdist2[s]);
    return 1000.0 * Farea[s] * Farea[s] * invAp * (Cf[c1] - Cf[c2]);
}

bool Interior(int s) { return Fcell1[s] > 0 && Fcell2[s] > 0; }
bool Stacked(int s) { return Ftype1[s] == 5 || Ftype2[s] == 5 || Ftype1[s] == 6 || Ftype2[s] == 6; }

// p' = -x: the flux through a face across i and the velocity of the cells
// change together (1000 U A is the flux), and the pressure takes the relaxed
// correction.
TEST_F(SimpleCorrections, FluxVelocityAndPressureAgree) {
    const BoxGrid g = Case(4, 3, 2);
    SetCorrection([](double x, double, double) { return -x; });
    RelaxPressure = 0.3;
    for (int c = 1; c <= NoCells; ++c) Pres[c] = 100.0 + c;
    for (int s = 1; s <= NoSurfaces; ++s) Fflux[s] = 5.0;
    ApplySimpleCorrections(1, 1, NoSurfaces, 1, NoCells);
    for (int s = 1; s <= NoSurfaces; ++s) {
        const bool across = Interior(s) && Ftype1[s] == 2;
        const double expected = across ? 1000.0 * Farea[s] * Farea[s] * kInvAp * 2.0 : 0.0;
        EXPECT_NEAR(Fflux[s] - 5.0, expected, 1e-12 * 5.0) << "surface " << s;
    }
    for (int c = 1; c <= NoCells; ++c) {
        const int face = Csurfe[c] && Fcell2[Csurfe[c]] > 0 ? Csurfe[c] : Csurfw[c];
        const double du = Cu[c] - kU0;
        EXPECT_NEAR(1000.0 * du * Careax[c], Fflux[face] - 5.0, 1e-12 * (Fflux[face] - 5.0)) << "cell " << c;
        EXPECT_NEAR(Cv[c], kV0, 1e-15);
        EXPECT_NEAR(Cw[c], kW0, 1e-15);
        EXPECT_NEAR(Pres[c], 100.0 + c + 0.3 * Cf[c], 1e-12) << "cell " << c;
    }
    // Unequal 1/a_P: the nearer cell weighs more.
    const int c1 = g.cell(1, 1, 0), c2 = g.cell(2, 1, 0), s = Csurfe[c1];
    CinvAp[c1] = 1e-3;
    CinvAp[c2] = 3e-3;
    Fflux[s] = 0.0;
    ApplySimpleCorrections(1, s, s, 1, 0);
    EXPECT_NEAR(Fflux[s], 1000.0 * Farea[s] * Farea[s] * 2e-3 * 2.0, 1e-12);
}

struct FluxRow {
    const char* name;
    int ni, nj, nk;
    BoxSpacing h;
    std::function<void(const BoxGrid&)> setup;
    // The share of the full correction that interior surface s gets.
    std::function<double(const BoxGrid&, int)> share;
};

TEST_F(SimpleCorrections, FluxCorrectionVariants) {
    const BoxSpacing flat{2.0, 1.5, 0.5};
    auto all = [](const BoxGrid&, int) { return 1.0; };
    auto none = [](const BoxGrid&, int) { return 0.0; };
    const std::vector<FluxRow> rows = {
        {"F 157 0", 3, 2, 2, flat, [](const BoxGrid&) {}, all},
        {"F 157 4", 3, 2, 2, flat, [](const BoxGrid&) { SimpleVariant = 4; }, all},
        {"F 157 3", 3, 2, 2, flat, [](const BoxGrid&) { SimpleVariant = 3; }, all},
        {"F 69 3rd 1 keeps the faces between stacked cells", 3, 2, 2, flat, [](const BoxGrid&) { F69Int3 = 1; },
         [](const BoxGrid&, int s) { return Stacked(s) ? 0.0 : 1.0; }},
        {"F 36 11: faces between top cells keep their flux", 3, 2, 2, flat,
         [](const BoxGrid&) {
             FreeSurfaceOption = 11;
             SimpleVariant = 30;
         },
         [](const BoxGrid&, int s) { return Ccellt[Fcell1[s]] == 0 && Ccellt[Fcell2[s]] == 0 ? 0.0 : 1.0; }},
        {"F 36 11 on one layer", 3, 2, 1, flat,
         [](const BoxGrid&) {
             FreeSurfaceOption = 11;
             SimpleVariant = 30;
         },
         none},
        {"F 157 10", 3, 2, 2, flat, [](const BoxGrid&) { SimpleVariant = 10; }, none},
        {"F 157 20", 3, 2, 2, flat, [](const BoxGrid&) { SimpleVariant = 20; }, none},
        {"F 157 30 without F 36 11", 3, 2, 2, flat, [](const BoxGrid&) { SimpleVariant = 30; }, none},
        {"F 157 50", 3, 2, 2, flat, [](const BoxGrid&) { SimpleVariant = 50; }, none},
        {"F 157 6, deep columns", 3, 2, 2, flat,
         [](const BoxGrid&) {
             SimpleVariant = 6;
             MinWaterDepth = 0.5;
         },
         all},
        // Columns 1 m deep against a minimum depth of 2 m: a quarter.
        {"F 157 6, shallow columns", 3, 2, 2, flat,
         [](const BoxGrid&) {
             SimpleVariant = 6;
             MinWaterDepth = 2.0;
         },
         [](const BoxGrid&, int) { return 0.25; }},
        {"F 157 1 leaves out shallow single cells", 3, 1, 1, {1.0, 1.0, 1.0},
         [](const BoxGrid& g) {
             SimpleVariant = 1;
             MinWaterDepth = 1.0;
             Ckdist[g.cell(0, 0, 0)] = 0.1;
         },
         [](const BoxGrid& g, int s) { return Fcell1[s] == g.cell(0, 0, 0) ? 0.0 : 1.0; }},
        {"F 157 2 needs two neighbours of both bed cells", 4, 1, 1, {1.0, 1.0, 1.0},
         [](const BoxGrid&) { SimpleVariant = 2; },
         [](const BoxGrid& g, int s) { return Fcell1[s] == g.cell(1, 0, 0) ? 1.0 : 0.0; }},
    };
    for (const FluxRow& r : rows) {
        SCOPED_TRACE(r.name);
        const BoxGrid g = Case(r.ni, r.nj, r.nk, r.h);
        SimpleVariant = 0;
        F69Int3 = 0;
        FreeSurfaceOption = 0;
        MinWaterDepth = 0.001;
        r.setup(g);
        for (int s = 1; s <= NoSurfaces; ++s) Fflux[s] = -1.0;
        ApplySimpleCorrections(1, 1, NoSurfaces, 1, 0);
        for (int s = 1; s <= NoSurfaces; ++s) {
            const double expected = Interior(s) ? r.share(g, s) * FluxCorrection(s) : 0.0;
            EXPECT_NEAR(Fflux[s] + 1.0, expected, 1e-12) << "surface " << s;
        }
    }
}

struct VelocityRow {
    const char* name;
    int ni, nj, nk;
    std::function<void(const BoxGrid&)> setup;
    // Shares of the basic U, V and W changes that cell c gets.
    std::function<Change(const BoxGrid&, int)> share;
};

TEST_F(SimpleCorrections, VelocityCorrectionVariants) {
    const auto all = [](const BoxGrid&, int) { return Change{1, 1, 1}; };
    const auto noW = [](const BoxGrid&, int) { return Change{1, 1, 0}; };
    const auto none = [](const BoxGrid&, int) { return Change{0, 0, 0}; };
    const auto planCorner = [](int c) {
        const bool w = Ccellw[c] > 0, e = Ccelle[c] > 0, s = Ccells[c] > 0, n = Ccelln[c] > 0;
        return (!n && !e) || (!e && !s) || (!n && !w) || (!s && !w);
    };
    const std::vector<VelocityRow> rows = {
        {"basic", 3, 3, 2, [](const BoxGrid&) {}, all},
        {"F 69 3rd 1", 3, 3, 2, [](const BoxGrid&) { F69Int3 = 1; }, noW},
        {"F 69 3rd 2", 3, 3, 2, [](const BoxGrid&) { F69Int3 = 2; }, none},
        {"F 157 12", 3, 3, 2, [](const BoxGrid&) { SimpleVariant = 12; }, none},
        {"F 157 50 leaves shoreline cells", 3, 3, 2,
         [](const BoxGrid&) {
             SimpleVariant = 50;
             F69Int3 = 1;
             Ctrekant[5] = 2;
         },
         [](const BoxGrid&, int c) { return c == 5 ? Change{0, 0, 0} : Change{1, 1, 1}; }},
        // (F 69 3rd 0 with F 157 0 would take the basic correction first.)
        {"F 291 3rd 2 damps wide columns", 3, 3, 2,
         [](const BoxGrid&) {
             F291Int3 = 2;
             F69Int3 = 1;
             Barea[Cbedcell[1]] *= 1.2;
         },
         [](const BoxGrid&, int c) { return Cbedcell[c] == Cbedcell[1] ? Change{0.25, 0.25, 0.25} : Change{1, 1, 1}; }},
        {"F 157 1 leaves shallow single cells", 3, 3, 1,
         [](const BoxGrid&) {
             SimpleVariant = 1;
             MinWaterDepth = 1.0;
         },
         [](const BoxGrid& g, int c) { return c == g.cell(1, 1, 0) ? Change{1, 1, 1} : Change{0, 0, 0}; }},
        {"F 157 2 needs two neighbours at the bed", 4, 1, 2,
         [](const BoxGrid&) { SimpleVariant = 2; },
         [](const BoxGrid& g, int c) {
             const bool end = Cbedcell[c] == Cbedcell[g.cell(0, 0, 0)] || Cbedcell[c] == Cbedcell[g.cell(3, 0, 0)];
             return end ? Change{0, 0, 0} : Change{1, 1, 1};
         }},
        {"F 157 3, one layer: limit 0", 3, 3, 1, [](const BoxGrid&) { SimpleVariant = 3; }, none},
        {"F 157 3, deep columns", 3, 3, 2, [](const BoxGrid&) { SimpleVariant = 3; F69Int3 = 1; }, all},
        {"F 157 4 away from corners", 3, 3, 2, [](const BoxGrid&) { SimpleVariant = 4; }, all},
        // Corner single cells use the areas across i and j together.
        {"F 157 4 at corners", 3, 3, 1, [](const BoxGrid&) { SimpleVariant = 4; },
         [planCorner](const BoxGrid&, int c) {
             const double r = Careay[c] / Careax[c];
             return planCorner(c) ? Change{r, 1 / r, 0} : Change{1, 1, 1};
         }},
        {"F 157 5 away from corners", 3, 3, 2, [](const BoxGrid&) { SimpleVariant = 5; F69Int3 = 1; }, noW},
        {"F 157 6, deep", 3, 3, 2, [](const BoxGrid&) { SimpleVariant = 6; MinWaterDepth = 1.0; }, all},
        // Columns 1 m deep against a minimum depth of 2 m: a quarter.
        {"F 157 6, shallow", 3, 3, 2, [](const BoxGrid&) { SimpleVariant = 6; MinWaterDepth = 2.0; },
         [](const BoxGrid&, int) { return Change{0.25, 0.25, 0.25}; }},
        {"F 157 7 leaves dry cells", 3, 3, 1,
         [](const BoxGrid&) {
             SimpleVariant = 7;
             DryDepth = 1.0;
             Farea[Csurfw[1]] = 0.0;
         },
         [](const BoxGrid&, int c) { return c == 1 ? Change{0, 0, 0} : Change{1, 1, 1}; }},
        {"F 157 8 halves at closed wall faces", 3, 3, 2,
         [](const BoxGrid&) {
             SimpleVariant = 8;
             Farea[Csurfw[1]] = 0.0;
             Farea[Csurfs[2]] = 0.0;
         },
         [](const BoxGrid&, int c) {
             if (c == 1) return Change{0.5, 1, 1};
             return c == 2 ? Change{1, 0.5, 1} : Change{1, 1, 1};
         }},
        // Ratios beyond 0..1 neither reverse nor amplify the correction.
        {"F 157 9 damps by the stress ratio", 3, 3, 2,
         [](const BoxGrid&) {
             SimpleVariant = 9;
             ASSERT_TRUE(CstressRatio.allocate(static_cast<size_t>(NoCells) + 1));
             CstressRatio.fill(1.0);
             CstressRatio[1] = 0.5;
             CstressRatio[2] = -2.0;
             CstressRatio[3] = 3.0;
         },
         [](const BoxGrid&, int c) {
             if (c == 1) return Change{0.125, 0.125, 0.125};
             return c == 2 ? Change{0, 0, 0} : Change{1, 1, 1};
         }},
        {"F 157 10: no plan differences at corners", 3, 3, 2, [](const BoxGrid&) { SimpleVariant = 10; },
         [planCorner](const BoxGrid&, int c) { return planCorner(c) ? Change{0, 0, 1} : Change{1, 1, 1}; }},
        {"F 157 10 with F 69 3rd 1", 3, 3, 2, [](const BoxGrid&) { SimpleVariant = 10; F69Int3 = 1; },
         [planCorner](const BoxGrid&, int c) { return planCorner(c) ? Change{0, 0, 0} : Change{1, 1, 0}; }},
        {"F 157 11 on a level grid", 3, 3, 2, [](const BoxGrid&) { SimpleVariant = 11; F69Int3 = 1; }, all},
        {"F 157 30 with F 36 11: top cells keep theirs", 3, 3, 2,
         [](const BoxGrid&) {
             SimpleVariant = 30;
             FreeSurfaceOption = 11;
         },
         [](const BoxGrid&, int c) { return Ccellt[c] > 0 ? Change{1, 1, 1} : Change{0, 0, 0}; }},
        {"F 157 30 without F 36 11", 3, 3, 2, [](const BoxGrid&) { SimpleVariant = 30; }, none},
    };
    for (const VelocityRow& r : rows) {
        SCOPED_TRACE(r.name);
        const BoxGrid g = Case(r.ni, r.nj, r.nk);
        SimpleVariant = F69Int3 = F291Int3 = FreeSurfaceOption = 0;
        MinWaterDepth = 0.001;
        DryDepth = -0.001;
        r.setup(g);
        const std::vector<Change> basic = BasicChanges();
        const std::vector<Change> got = VelocityChanges();
        for (int c = 1; c <= NoCells; ++c) {
            const Change f = r.share(g, c);
            EXPECT_NEAR(got[c].u, f.u * basic[c].u, 1e-15) << "cell " << c;
            EXPECT_NEAR(got[c].v, f.v * basic[c].v, 1e-15) << "cell " << c;
            EXPECT_NEAR(got[c].w, f.w * basic[c].w, 1e-15) << "cell " << c;
        }
        CstressRatio.release();
    }
}

// A shallow column (twice the depth below its top cell at most a tenth of
// the square root of its bed area) limits the U and V changes to
// 4.54 sqrt(k) (2 d / roughness)^(1/6); W stays.
TEST_F(SimpleCorrections, ColumnLimit) {
    const BoxGrid g = Case(2, 2, 2, {1.0, 1.0, 0.02});
    SimpleVariant = 3;
    for (int c = 1; c <= NoCells; ++c) CinvAp[c] = 1e3;
    const int bed = g.cell(0, 0, 0), top = g.cell(0, 0, 1);
    Ck[bed] = 0.04;
    Croughness[bed] = 0.02;  // 2 d = 0.02: the ratio is 1
    const std::vector<Change> basic = BasicChanges();
    const std::vector<Change> got = VelocityChanges();
    const double limit = 4.54 * 0.2;
    ASSERT_GT(basic[top].u, limit);
    ASSERT_GT(basic[top].v, limit);
    for (const int c : {bed, top}) {
        EXPECT_NEAR(got[c].u, limit, 1e-12) << "cell " << c;
        EXPECT_NEAR(got[c].v, limit, 1e-12) << "cell " << c;
        EXPECT_EQ(got[c].w, 0.0) << "cell " << c;
    }
}

// Corner single cells with F 157 5: the U change is limited to a fifth of U
// as it was; V is not limited.
TEST_F(SimpleCorrections, ClippedCornerCells) {
    const BoxGrid g = Case(2, 2, 1, {1.0, 1.0, 1.0});
    SimpleVariant = 5;
    SetCorrection([](double x, double y, double) { return 3.0 * x + 2.0 * y; });
    const int c = g.cell(0, 0, 0);
    CinvAp[c] = 1.0;  // a = 1, differences 3 and 2: dU = 3, dV = 2
    for (const double u0 : {0.0, 1.0, -1.0}) {
        Cu[c] = u0;
        Cv[c] = 0.5;
        Cw[c] = 0.1;
        CorrectCellVelocities(c, c);
        EXPECT_DOUBLE_EQ(Cu[c], u0 - 0.2 * std::fabs(u0)) << "U " << u0;
        EXPECT_DOUBLE_EQ(Cv[c], 0.5 - 2.0);
        EXPECT_EQ(Cw[c], 0.1);
    }
}

// Differences that are not linear: the low-face rule of F 157 10 and the
// bed-cell neighbours of F 157 20 decide which cells they come from.
TEST_F(SimpleCorrections, OpenFaceAndBedNeighbourDifferences) {
    const BoxGrid g = Case(3, 3, 2, {1.0, 1.0, 1.0});
    SetCorrection([](double x, double, double z) { return x * x + z; });
    const int top = g.cell(1, 1, 1), west = g.cell(0, 1, 1), eastBed = g.cell(2, 1, 0);
    // U change of `top` for a difference d along i.
    const auto du = [&](double d) { return -CinvAp[top] * Careax[top] * Careax[top] * Cdxdi[top] * d / Cvol[top]; };
    const double pw = Cf[west], pp = Cf[top], pe = Cf[g.cell(2, 1, 1)];

    SimpleVariant = 10;
    MinWaterDepth = 1.0;
    Farea[Csurfw[top]] = 1e-4;
    EXPECT_NEAR(VelocityChanges()[top].u, du(pe - pp), 1e-15);
    Farea[Csurfw[top]] = 1.0;
    EXPECT_NEAR(VelocityChanges()[top].u, du(0.5 * (pe - pw)), 1e-15);

    // A step east of the upper cell: F 157 10 goes one-sided, 20 reaches
    // across to the neighbour of the bed cell.
    Ccelle[top] = 0;
    Ccellw[g.cell(2, 1, 1)] = 0;
    for (Array1<int>* a : {&Ccellw_bottom, &Ccelle_bottom, &Ccells_bottom, &Ccelln_bottom}) {
        ASSERT_TRUE(a->allocate(static_cast<size_t>(NoCells) + 1));
    }
    BuildBedNeighbours();
    EXPECT_NEAR(VelocityChanges()[top].u, du(pp - pw), 1e-15);
    SimpleVariant = 20;
    EXPECT_NEAR(VelocityChanges()[top].u, du(0.5 * (Cf[eastBed] - pw)), 1e-15);
}

// On grid lines that slope along i, F 157 11 corrects W by the vertical
// difference alone, where the basic correction adds the slope terms.
TEST_F(SimpleCorrections, VerticalOnlyCorrectionOnASlopingGrid) {
    Case(3, 2, 3, {2.0, 1.5, 0.5}, [](const BoxGrid&) {
        for (int p = 1; p <= NoPoints; ++p) Pz1[p] += 0.3 * Px1[p];
    });
    SetCorrection([](double x, double y, double z) { return -(x + 2.0 * y + 3.0 * z); });
    SimpleVariant = 11;
    const std::vector<Change> basic = BasicChanges();
    const std::vector<Change> got = VelocityChanges();
    int differing = 0;
    for (int c = 1; c <= NoCells; ++c) {
        const double dpk = Ccellb[c] > 0 && Ccellt[c] > 0 ? 0.5 * (Cf[Ccellt[c]] - Cf[Ccellb[c]])
                           : Ccellt[c] > 0                 ? Cf[Ccellt[c]] - Cf[c]
                                                           : Cf[c] - Cf[Ccellb[c]];
        const double expectedW = -CinvAp[c] * Careaz[c] * Careaz[c] * Cdzdk[c] * dpk / Cvol[c];
        EXPECT_NEAR(got[c].w, expectedW, 1e-15) << "cell " << c;
        EXPECT_NEAR(got[c].u, basic[c].u, 1e-15) << "cell " << c;
        EXPECT_NEAR(got[c].v, basic[c].v, 1e-15) << "cell " << c;
        if (std::fabs(got[c].w - basic[c].w) > 1e-9) ++differing;
    }
    EXPECT_EQ(differing, NoCells);
}

// F 258 100 and 101 set the pressure from the continuity defect and do
// nothing else; other positive modes change nothing.
TEST_F(SimpleCorrections, DirectPressureModes) {
    Case(2, 2, 2);
    for (int s = 1; s <= NoSurfaces; ++s) Fflux[s] = 2.0;
    struct Row {
        int mode;
        double pressure;  // of a cell with Pres 10 and Csource 5
    };
    for (const Row r : {Row{100, 1.0}, Row{101, 11.0}, Row{102, 10.0}}) {
        SimpleCorrectionMode = r.mode;
        for (int c = 1; c <= NoCells; ++c) {
            Pres[c] = 10.0;
            Csource[c] = 5.0;
        }
        ApplySimpleCorrections(1, 1, NoSurfaces, 2, NoCells);
        EXPECT_EQ(Pres[1], 10.0) << "mode " << r.mode;
        for (int c = 2; c <= NoCells; ++c) {
            EXPECT_DOUBLE_EQ(Pres[c], r.pressure) << "mode " << r.mode;
            EXPECT_EQ(Cu[c], kU0);
            EXPECT_EQ(Cw[c], kW0);
        }
        for (int s = 1; s <= NoSurfaces; ++s) EXPECT_EQ(Fflux[s], 2.0);
    }
}

// F 271: the water level of a column moves by the mean difference of its
// correction to that of its neighbours, in metres of water, relaxed by the
// pressure factor as read; a column without neighbours is reset.
TEST_F(SimpleCorrections, ColumnLevelCorrection) {
    for (const int option : {0, 1, 2}) {
        SCOPED_TRACE("F 271 " + std::to_string(option));
        const BoxGrid g = Case(3, 1, 2, {2.0, 1.0, 0.5});
        F271Option = option;
        ASSERT_TRUE(Blevelcorr.allocate(static_cast<size_t>(NoCells) + 1));
        RelaxationFactors[4] = 0.2;
        RelaxPressure = 0.7;
        SetCorrection([](double x, double, double z) { return -x + 10.0 * z; });
        for (int b = 1; b <= 3; ++b) Blevelcorr[b] = 0.01;
        ApplySimpleCorrections(1, 1, 0, 1, NoCells);
        const double step = option == 0 ? 0.0 : 0.0001019 * 2.0 * 0.2;  // columns 2 m apart
        EXPECT_NEAR(Blevelcorr[Cbedcell[g.cell(0, 0, 0)]], 0.01 + step, 1e-15);
        EXPECT_NEAR(Blevelcorr[Cbedcell[g.cell(1, 0, 0)]], 0.01, 1e-15);
        EXPECT_NEAR(Blevelcorr[Cbedcell[g.cell(2, 0, 0)]], 0.01 - step, 1e-15);
    }
    Case(1, 1, 2);
    F271Option = 1;
    ASSERT_TRUE(Blevelcorr.allocate(static_cast<size_t>(NoCells) + 1));
    Blevelcorr[1] = 0.5;
    ApplySimpleCorrections(1, 1, 0, 1, NoCells);
    EXPECT_EQ(Blevelcorr[1], 0.0);
}

// The pressure takes the relaxed correction unless F 171 is above 1; with
// F 36 11 each top cell then falls linearly from the cell below to zero at
// the surface, also when a chunk boundary splits its column.
TEST_F(SimpleCorrections, PressureUpdate) {
    const BoxGrid g = Case(3, 2, 3, {1.0, 1.0, 0.5});
    RelaxPressure = 0.5;
    auto start = [] {
        for (int c = 1; c <= NoCells; ++c) {
            Pres[c] = 1000.0 + 10.0 * c;
            Cf[c] = 2.0 * c;
        }
    };
    start();
    SchemeVariant = 2;
    ApplySimpleCorrections(1, 1, 0, 1, NoCells);
    for (int c = 1; c <= NoCells; ++c) EXPECT_EQ(Pres[c], 1000.0 + 10.0 * c);
    SchemeVariant = 1;
    start();
    ApplySimpleCorrections(1, 1, 0, 1, NoCells);
    for (int c = 1; c <= NoCells; ++c) EXPECT_DOUBLE_EQ(Pres[c], 1000.0 + 10.0 * c + c);

    FreeSurfaceOption = 11;
    SimpleVariant = 30;
    Ckdist[g.cell(0, 0, 2)] = 0.1;  // a thinner top cell
    start();
    ApplySimpleCorrections(1, 1, 0, 1, NoCells);
    std::vector<double> serial(Pres.data(), Pres.data() + NoCells + 1);
    for (int c = 1; c <= NoCells; ++c) {
        if (Ccellt[c] > 0) {
            EXPECT_DOUBLE_EQ(Pres[c], 1000.0 + 10.0 * c + c) << "cell " << c;
        } else {
            const int b = Ccellb[c];
            EXPECT_DOUBLE_EQ(Pres[c], Pres[b] * Ckdist[c] / (2.0 * Ckdist[c] + Ckdist[b])) << "cell " << c;
        }
    }
    // 18 cells in chunks of 4: the boundaries fall inside columns.
    for (const int chunks : {4, 5}) {
        start();
        RunInChunks(1, NoCells, chunks, [](int first, int last) { ApplySimpleCorrections(1, 1, 0, first, last); });
        for (int c = 1; c <= NoCells; ++c) EXPECT_DOUBLE_EQ(Pres[c], serial[c]) << chunks << " chunks, cell " << c;
    }
    // A column of one cell keeps the relaxed correction.
    Case(1, 1, 1);
    FreeSurfaceOption = 11;
    RelaxPressure = 0.5;
    Pres[1] = 7.0;
    Cf[1] = 2.0;
    ApplySimpleCorrections(1, 1, 0, 1, 1);
    EXPECT_EQ(Pres[1], 8.0);
}

// Chunks of surfaces and cells in a parallel region give what one call gives.
TEST_F(SimpleCorrections, ChunksMatchOneCall) {
    Case(4, 3, 3);
    SetCorrection([](double x, double y, double z) { return x * x - y * z + 3.0 * z; });
    for (int s = 1; s <= NoSurfaces; ++s) Fflux[s] = 0.1 * s;
    RelaxPressure = 0.4;
    ApplySimpleCorrections(1, 1, NoSurfaces, 1, NoCells);
    const std::vector<double> flux(Fflux.data(), Fflux.data() + NoSurfaces + 1);
    const std::vector<double> u(Cu.data(), Cu.data() + NoCells + 1), w(Cw.data(), Cw.data() + NoCells + 1);
    const std::vector<double> p(Pres.data(), Pres.data() + NoCells + 1);

    Case(4, 3, 3);
    SetCorrection([](double x, double y, double z) { return x * x - y * z + 3.0 * z; });
    for (int s = 1; s <= NoSurfaces; ++s) Fflux[s] = 0.1 * s;
    RelaxPressure = 0.4;
    RunInChunks(1, NoSurfaces, 3, [](int first, int last) { ApplySimpleCorrections(1, first, last, 1, 0); });
    RunInChunks(1, NoCells, 5, [](int first, int last) { ApplySimpleCorrections(1, 1, 0, first, last); });
    for (int s = 1; s <= NoSurfaces; ++s) EXPECT_EQ(Fflux[s], flux[s]) << "surface " << s;
    for (int c = 1; c <= NoCells; ++c) {
        EXPECT_EQ(Cu[c], u[c]);
        EXPECT_EQ(Cw[c], w[c]);
        EXPECT_EQ(Pres[c], p[c]);
    }
}

// The flow-direction check runs only with F 7 E: in a box without flow and
// without correction every cell passes its test.
TEST_F(SimpleCorrections, FlowDirectionCheckOnRequest) {
    Case(2, 1, 1);
    SetCorrection([](double, double, double) { return 0.0; });
    for (int s = 1; s <= NoSurfaces; ++s) Fflux[s] = 0.0;
    for (int c = 1; c <= NoCells; ++c) CdischargeGroup[c] = 0;
    NoIterPerStep = 1;
    ApplySimpleCorrections(1, 1, NoSurfaces, 1, NoCells);
    EXPECT_EQ(log().find("corrected direction of flow"), std::string::npos);
    F7EFlag = 1;
    ApplySimpleCorrections(1, 1, NoSurfaces, 1, NoCells);
    EXPECT_NE(log().find("corrected direction of floww(2)\n"), std::string::npos) << log();
}

}  // namespace
