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
         [](const BoxGrid&, int c) { return c == 1 ? Change{0.125, 0.125, 0.125} : c == 2 ? Change{0, 0, 0} : Change{1, 1, 1}; }},
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

}  // namespace
