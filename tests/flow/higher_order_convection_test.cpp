// Second-order upwind coefficients, the limited deferred correction and how
// both stand against each other and against first-order upwind.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "flow/second_order.h"
#include "run/region_fatal.h"
#include "tests/flow/flow_case.h"

namespace {

using HigherOrder = FlowCase;

void Viscosities(double side, double vertical) {
    for (int c = 1; c <= NoCells; ++c) {
        Ceddyvisc[c] = side;
        Ceddyviscz[c] = vertical;
    }
}

TEST(TvdLimiter, TableOfTheSchemes) {
    const struct {
        int scheme;
        double psi[4];  // at r = -1, 0.5, 2, 10
    } rows[] = {
        {10, {-0.5, 0.625, 1.75, 7.75}},
        {11, {-0.33332, 0.66666, 1.66663, 6.99983}},
        {12, {0, 0.625, 1.75, 4}},
        {13, {0, 0.571429, 1.6, 3.076923}},
        {14, {0, 0.666667, 1.333333, 1.818182}},
        {15, {0, 1, 2, 2}},
        {16, {0, 0.5, 1, 1}},
        {17, {1, 1, 1, 1}},
        {18, {0, 0, 0, 0}},
        {19, {0, 0.75, 1.5, 2}},
        {20, {0, 0, 0, 0}},  // no limiter above 19: no correction
        {0, {0, 0, 0, 0}},
    };
    const double r[4] = {-1.0, 0.5, 2.0, 10.0};
    for (const auto& row : rows) {
        for (int n = 0; n < 4; ++n) {
            EXPECT_NEAR(TvdLimiter(row.scheme, r[n]), row.psi[n], 1e-5) << "K 6 " << row.scheme << ", r " << r[n];
        }
    }
}

// Three cells west to east; the face between the middle one and one end
// carries F, the upstream cell beyond is the other end.
TEST_F(HigherOrder, OneFaceCorrectionMovesFluxDownstream) {
    const struct {
        int equation, scheme;
        double flux, gain;  // the downstream cell's gain
    } rows[] = {
        {1, 14, 2.0, 2.0 / 1.5},  // 0.5 * 2 * (4/3) * 1
        {1, 14, -2.0, 2.0 / 1.5},
        {2, 16, 2.0, 1.0},
        {5, 16, -2.0, 1.0},
        {6, 17, 2.0, 1.0},
        {3, 18, 2.0, 0.0},
        {1, 20, 2.0, 0.0},
        {4, 14, 2.0, 0.0},  // the pressure correction gets none
        {7, 14, 2.0, 0.0},  // nor sediment and components
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "equation " << row.equation << ", K 6 " << row.scheme << ", F " << row.flux);
        const BoxGrid g = Box(3, 1, 1);
        const int w = g.cell(0, 0, 0), m = g.cell(1, 0, 0), e = g.cell(2, 0, 0);
        const bool east = row.flux > 0.0;
        const int s = east ? Csurfe[m] : Csurfw[m];
        const int up = m, upup = east ? w : e, down = east ? e : w;
        Array1<double>* fields[] = {nullptr, &Cu, &Cv, &Cw, &Cu, &Ck, &Cepsilon, &Cu};
        Array1<double>& phi = *fields[row.equation];
        phi[upup] = 1.0;
        phi[up] = 2.0;
        phi[down] = 4.0;
        Fflux[s] = row.flux;
        Equation = row.equation;
        ConvectionScheme[row.equation] = row.scheme;
        for (int c = 1; c <= NoCells; ++c) Csource[c] = 0.0;
        AddTvdCorrection(FirstSurface, LastSurface);
        EXPECT_NEAR(Csource[down], row.gain, 1e-12);
        EXPECT_NEAR(Csource[up], -row.gain, 1e-12);
        EXPECT_EQ(Csource[upup], 0.0);
    }
}

TEST_F(HigherOrder, BoundaryFaceGetsNoCorrection) {
    const BoxGrid g = Box(2, 1, 1);
    const int a = g.cell(0, 0, 0), b = g.cell(1, 0, 0);
    Equation = 1;
    ConvectionScheme[1] = 17;
    Cu[a] = 2.0;
    Cu[b] = 5.0;
    Fflux[Csurfw[a]] = 3.0;   // inflow across the west boundary
    Fflux[Csurfe[b]] = 3.0;   // outflow across the east boundary
    Fflux[Csurfe[a]] = -1.0;  // from b to a, nothing beyond b
    AddTvdCorrection(FirstSurface, LastSurface);
    EXPECT_EQ(Csource[a], 0.0);
    EXPECT_EQ(Csource[b], 0.0);
}

// Fluxes of both signs on the inner surfaces of a uniform box, none across
// its boundary.
void MixedInnerFluxes() {
    for (int s = 1; s <= NoSurfaces; ++s) {
        Fflux[s] = Fcell1[s] != 0 && Fcell2[s] != 0 ? 2.0 * std::sin(1.3 * s + 0.4) : 0.0;
    }
    for (int c = 1; c <= NoCells; ++c) {
        Ceddyvisc[c] = 0.05 * (1 + c % 3);
        Ceddyviscz[c] = 0.01 * (1 + c % 4);
    }
}

std::vector<double> NearAndFar() {
    std::vector<double> all;
    for (const Array1<double>* a : {&Cae, &Caw, &Can, &Cas, &Cat, &Cab, &Caee, &Caww, &Cann, &Cass, &Catt, &Cabb}) {
        for (int c = 1; c <= NoCells; ++c) all.push_back((*a)[c]);
    }
    return all;
}

void ClearNearAndFar(double value) {
    for (Array1<double>* a : {&Cae, &Caw, &Can, &Cas, &Cat, &Cab, &Caee, &Caww, &Cann, &Cass, &Catt, &Cabb}) {
        for (int c = 1; c <= NoCells; ++c) (*a)[c] = value;
    }
}

TEST_F(HigherOrder, BothSecondOrderPassesGiveTheSameCoefficients) {
    Box(5, 4, 3, {}, "K 6 1 1 1 0 1 1\n");
    Equation = 1;
    ASSERT_TRUE(SecondOrderEquation());
    MixedInnerFluxes();
    DiffusivityFactor = 1.5;
    BedDiffusivityFactor = 0.5;
    for (const int chunks : {1, 3}) {
        SCOPED_TRACE(chunks);
        ClearNearAndFar(-10.0);
        RunInChunks(FirstSurface, LastSurface, chunks, ComputeSecondOrderCoefficients);
        const std::vector<double> fixed = NearAndFar();
        ClearNearAndFar(-10.0);
        RunInChunks(FirstSurface, LastSurface, chunks, ComputeConvectionDiffusionRange);
        FinishConvectionDiffusion(FirstSurface, LastSurface);
        const std::vector<double> sized = NearAndFar();
        ASSERT_EQ(fixed.size(), sized.size());
        for (size_t n = 0; n < fixed.size(); ++n) ASSERT_NEAR(fixed[n], sized[n], 1e-12) << "slot " << n;
        // Far coefficients only ever take away.
        const size_t firstFar = fixed.size() / 2;
        for (size_t n = firstFar; n < fixed.size(); ++n) ASSERT_LE(fixed[n], 0.0) << "slot " << n;
        EXPECT_LT(*std::min_element(fixed.begin() + firstFar, fixed.end()), -0.1);
    }
}

// Two cells: nothing lies beyond the upstream cell, so both passes give
// first-order upwind; the boundary sides get nothing, even with inflow.
TEST_F(HigherOrder, WithoutASecondUpstreamCellBothPassesAreFirstOrder) {
    const BoxGrid g = Box(2, 1, 1, {}, "K 6 1 1 1 0 1 1\n");
    const int a = g.cell(0, 0, 0), b = g.cell(1, 0, 0);
    using Pass = void (*)(int, int);
    const Pass passes[] = {ComputeSecondOrderCoefficients, ComputeConvectionDiffusionCoefficients};
    for (const double f : {3.0, -3.0}) {
        for (const Pass pass : passes) {
            SCOPED_TRACE(f);
            Equation = 1;
            Viscosities(0.2, 0.05);
            Fflux[Csurfe[a]] = f;
            Fflux[Csurfw[a]] = 4.0;  // inflow across the boundary
            ClearNearAndFar(-10.0);
            pass(FirstSurface, LastSurface);
            EXPECT_DOUBLE_EQ(Caw[b], 0.2 + std::max(f, 0.0));
            EXPECT_DOUBLE_EQ(Cae[a], 0.2 + std::max(-f, 0.0));
            EXPECT_EQ(Caww[b], 0.0);
            EXPECT_EQ(Caee[a], 0.0);
            EXPECT_EQ(Caw[a], 0.0);
            EXPECT_EQ(Caww[a], 0.0);
            EXPECT_EQ(Cae[b], 0.0);
            EXPECT_EQ(Cab[a], 0.0);
            EXPECT_EQ(Cabb[a], 0.0);
        }
    }
}

// A column of three cells with the flow going up; the bed cell's value is
// fixed, as a wall law fixes epsilon there. For k and epsilon, whose wall
// laws come before the coefficients, the top cell takes first-order upwind
// across the face whose second upstream cell is fixed; the velocities'
// Cap at this point still holds another equation's, so they keep the
// second-order form whatever it says.
TEST_F(HigherOrder, FixedSecondUpstreamCellLeavesTheFaceFirstOrder) {
    const BoxGrid g = Box(1, 1, 3, {}, "K 6 1 1 1 1 1 1\n");
    const int bed = g.cell(0, 0, 0), mid = g.cell(0, 0, 1), top = g.cell(0, 0, 2);
    struct Case {
        int equation;
        bool fixedBed;
        bool secondOrder;
    };
    const Case cases[] = {{6, true, false}, {5, true, false}, {6, false, true}, {1, true, true}};
    constexpr double kFlux = 2.0;
    for (const Case& k : cases) {
        SCOPED_TRACE(testing::Message() << "equation " << k.equation << (k.fixedBed ? ", fixed bed" : ""));
        Equation = k.equation;
        ASSERT_TRUE(SecondOrderEquation());
        Viscosities(0.2, 0.05);
        for (int c = 1; c <= NoCells; ++c) Cap[c] = 0.0;
        if (k.fixedBed) Cap[bed] = 1e30;
        // The conductances alone first.
        for (int s = 1; s <= NoSurfaces; ++s) Fflux[s] = 0.0;
        ClearNearAndFar(-10.0);
        ComputeConvectionDiffusionCoefficients(FirstSurface, LastSurface);
        const double dTop = Cab[top], dMid = Cab[mid];
        Fflux[Csurft[bed]] = Fflux[Csurft[mid]] = kFlux;
        ClearNearAndFar(-10.0);
        ComputeConvectionDiffusionCoefficients(FirstSurface, LastSurface);
        // The middle cell has no second upstream cell of its own; as the
        // upstream cell of the top face it passes the bed cell's share on.
        EXPECT_EQ(Cabb[mid], 0.0);
        if (k.secondOrder) {
            EXPECT_DOUBLE_EQ(Cab[top], dTop + 1.5 * kFlux);
            EXPECT_DOUBLE_EQ(Cabb[top], -0.5 * kFlux);
            EXPECT_DOUBLE_EQ(Cab[mid], dMid + 1.5 * kFlux);
        } else {
            EXPECT_DOUBLE_EQ(Cab[top], dTop + kFlux);
            EXPECT_EQ(Cabb[top], 0.0);
            EXPECT_DOUBLE_EQ(Cab[mid], dMid + kFlux);
        }
    }
}

// A surface whose first cell lies on its east or top breaks the rule both
// formulas rest on. On a worker thread the condition waits for the master.
TEST_F(HigherOrder, WrongOrientationEndsTheRunFromTheMaster) {
    const struct {
        int type1, type2, status, cellOffset;
        const char* type;
    } rows[] = {{4, 4, -77, 0, "4"}, {2, 2, -78, 1, "2"}, {5, 5, -77, 0, "5"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.status);
        const BoxGrid g = Box(4, 1, 1, {}, "K 6 1 1 1 0 1 1\n");
        const int a = g.cell(2, 0, 0), s = Csurfe[a];
        Ftype1[s] = row.type1;
        Ftype2[s] = row.type2;
        ClearRegionFatal();
        RunInChunks(FirstSurface, LastSurface, 2, ComputeSecondOrderCoefficients);
        EXPECT_EQ(log().find("second-order"), std::string::npos) << "logged from the worker";
        const EngineCall call = CallEngine([] {
            ReportRegionFatal();
            return 0;
        });
        EXPECT_TRUE(call.ended);
        EXPECT_EQ(call.status, row.status);
        const std::string expected = "Error in second-order coefficient computation, surface " + std::to_string(s) +
                                     ", cell " + std::to_string(a + row.cellOffset) + ", type " + row.type + "\n";
        EXPECT_NE(call.log.find(expected), std::string::npos) << call.log;
    }
}

// A plane of n x n cells in one layer, for whole solutions.
class Plane : public FlowCase {
protected:
    BoxGrid Make(int n, const std::string& control) {
        WriteHere("control", "G 1 " + std::to_string(n + 2) + " " + std::to_string(n + 2) +
                                 " 3 1\nF 65 1000 4000 2000 10 10\n" + control);
        EngineCall start = StartEngineHere();
        EXPECT_FALSE(start.ended) << start.log;
        const BoxGrid g = MakeBoxGeometry(n, n, 1);
        EngineCall m = CallEngine([] {
            metric();
            return 0;
        });
        EXPECT_FALSE(m.ended) << m.log;
        FirstSurface = 1;
        LastSurface = NoSurfaces;
        // The same flux east and north through every inner surface.
        for (int s = 1; s <= NoSurfaces; ++s) {
            const bool inner = Fcell1[s] != 0 && Fcell2[s] != 0;
            Fflux[s] = inner && (Ftype1[s] == 2 || Ftype1[s] == 3) ? 1.0 : 0.0;
        }
        fixed_.assign(static_cast<size_t>(NoCells) + 1, false);
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j) {
                const int c = g.cell(i, j, 0);
                if (i == 0 || j == 0) {
                    Cu[c] = i == 0 ? 20.0 : 10.0;
                    fixed_[c] = true;
                } else {
                    Cu[c] = 15.0;
                }
            }
        }
        return g;
    }

    // Gauss-Seidel sweeps of the U equation with relaxation 0.5, the TVD
    // correction renewed before each, until no value changes by 1e-11.
    // Returns the number of sweeps.
    int Solve(bool far) {
        const int* next[6] = {Ccelle.data(), Ccellw.data(), Ccelln.data(), Ccells.data(), Ccellt.data(), Ccellb.data()};
        const double* near[6] = {Cae.data(), Caw.data(), Can.data(), Cas.data(), Cat.data(), Cab.data()};
        const double* farther[6] = {Caee.data(), Caww.data(), Cann.data(), Cass.data(), Catt.data(), Cabb.data()};
        for (int sweep = 1; sweep <= 50000; ++sweep) {
            for (int c = 1; c <= NoCells; ++c) Csource[c] = 0.0;
            AddTvdCorrection(FirstSurface, LastSurface);
            double change = 0.0;
            for (int c = 1; c <= NoCells; ++c) {
                if (fixed_[c]) continue;
                double ap = 0.0, sum = Csource[c];
                for (int d = 0; d < 6; ++d) {
                    ap += near[d][c];
                    sum += near[d][c] * Cu[next[d][c]];
                    if (!far) continue;
                    ap += farther[d][c];
                    sum += farther[d][c] * Cu[next[d][next[d][c]]];
                }
                const double step = 0.5 * (sum / ap - Cu[c]);
                Cu[c] += step;
                change = std::max(change, std::fabs(step));
            }
            if (change < 1e-11) return sweep;
        }
        return -1;
    }

    std::vector<bool> fixed_;
};

// A step between 20 on the west edge and 10 on the south edge carried at 45
// degrees without diffusion: the bounded limiters stay within the two
// values, the unbounded schemes overshoot.
TEST_F(Plane, ObliqueStepShowsWhichSchemesAreBounded) {
    const struct {
        int scheme;
        bool bounded;
    } rows[] = {{12, true}, {13, true}, {14, true}, {15, true}, {16, true}, {19, true},
                {10, false}, {11, false}, {17, false}, {18, true}};
    std::vector<double> upwind;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.scheme);
        Make(30, "F 72 1e-12\n");
        Equation = 1;
        ConvectionScheme[1] = row.scheme;
        Viscosities(0.0, 0.0);
        ComputeConvectionDiffusionCoefficients(FirstSurface, LastSurface);
        ASSERT_GT(Solve(false), 0) << "no convergence";
        double low = HUGE_VAL, high = -HUGE_VAL;
        for (int c = 1; c <= NoCells; ++c) {
            low = std::min(low, Cu[c]);
            high = std::max(high, Cu[c]);
        }
        if (row.bounded) {
            EXPECT_GE(low, 10.0 - 1e-9);
            EXPECT_LE(high, 20.0 + 1e-9);
        } else {
            EXPECT_GT(std::max(high - 20.0, 10.0 - low), 0.2);
        }
        std::vector<double> field(Cu.data() + 1, Cu.data() + NoCells + 1);
        if (row.scheme == 18) {
            // First-order upwind: the field of no correction at all.
            ConvectionScheme[1] = 0;
            for (int c = 1; c <= NoCells; ++c) Cu[c] = fixed_[c] ? Cu[c] : 15.0;
            ASSERT_GT(Solve(false), 0);
            for (int c = 1; c <= NoCells; ++c) EXPECT_EQ(Cu[c], field[c - 1]) << c;
        }
    }
}

// With diffusion at a cell Peclet number of 2, the deferred correction of
// second-order upwind converges to the field of the implicit second-order
// coefficients.
TEST_F(Plane, DeferredSecondOrderMatchesTheImplicitForm) {
    std::vector<double> field[2];
    for (const int scheme : {1, 17}) {
        Make(12, "K 6 1 1 1 0 1 1\n");
        Equation = 1;
        ConvectionScheme[1] = scheme;
        Viscosities(0.5, 0.5);
        ClearNearAndFar(0.0);
        ComputeConvectionDiffusionCoefficients(FirstSurface, LastSurface);
        ASSERT_GT(Solve(scheme == 1), 0) << "no convergence";
        field[scheme == 1 ? 0 : 1].assign(Cu.data() + 1, Cu.data() + NoCells + 1);
    }
    double spread = 0.0;
    for (size_t n = 0; n < field[0].size(); ++n) {
        EXPECT_NEAR(field[0][n], field[1][n], 1e-8) << "cell " << n + 1;
        spread = std::max(spread, std::fabs(field[0][n] - 15.0));
    }
    EXPECT_GT(spread, 1.0);  // the field is not the start value
}

}  // namespace
