// The smooth, transitional and mixed wall laws (F 15 5, 8, 9, 19) and the
// face-based laws (F 305 1), on single cells in equilibrium with the law.
#include <cmath>
#include <functional>

#include "flow/face_wall_laws.h"
#include "sediment/sediment_data.h"
#include "tests/flow/flow_case.h"

namespace {

constexpr double kY = 0.05;       // every wall distance of the cell
constexpr double kUstar = 0.01;   // shear velocity of the law
constexpr double kYPlus = 500.0;  // 1e6 kY kUstar
const double kK = kUstar * kUstar / 0.3;  // k of the law, u*^2 / sqrt(0.09)

enum Wall { kBed, kSide, kTop };

// The laws in u+ = u / u*, as written for a wall of the law.
double SmoothUPlus(double yplus) { return yplus < 11.63 ? yplus : 2.5 * std::log(9.0 * yplus); }
double RoughUPlus(double y, double ks) { return 2.5 * std::log(30.0 * y / ks); }
double TransitionalUPlus(double yplus, double ks) {
    const double ksPlus = 1e6 * ks * kUstar;
    const double big = std::max(yplus, 11.7);
    double u;
    if (ksPlus < 2.25) {
        u = 2.5 * std::log(9.0 * big);
    } else if (ksPlus > 90.0) {
        u = 2.5 * std::log(30.0 * big * 1e-6 / kUstar / ks);
    } else {
        u = 2.5 * std::log(big) + 5.5 + (3.0 - 2.5 * std::log(ksPlus)) * std::sin(0.4258 * (std::log(ksPlus) - 0.811));
    }
    return std::max(yplus < 11.7 ? u * yplus / 11.7 : u, 0.025);
}

class SmoothWallLaws : public FlowCase {
protected:
    // One cell of 2 kY on every side with a single wall; k of the law and
    // the velocity `speed` along the wall.
    void OneCell(Wall wall, double speed, double ks) {
        Box(1, 1, 1, {2.0 * kY, 2.0 * kY, 2.0 * kY});
        for (const Array1<int>* f : {&Csurfe, &Csurfw, &Csurfs, &Csurfn, &Csurft, &Csurfb}) Fflagflow[(*f)[1]] = 0;
        Fflagflow[wall == kBed ? Csurfb[1] : wall == kTop ? Csurft[1] : Csurfe[1]] = -1;
        Ck[1] = kK;
        Cu[1] = wall == kSide ? 0.0 : speed;
        Cv[1] = wall == kSide ? speed : 0.0;
        Cw[1] = 0.0;
        Croughness[1] = ks;
        WallRoughness = ks;
    }
    // Equation 1 for the bed and the top, 2 along the side wall.
    static int AlongWall(Wall wall) { return wall == kSide ? 2 : 1; }
    static void Run(int equation) {
        Equation = equation;
        Cap[1] = Csource[1] = 5.0;
        ApplyWallLaws(1, 1);
    }
};

// With the velocity of the law the friction is the shear stress of u*, the
// production over the dissipation of k is the k of the law, and epsilon is
// held at u*^3 / (kappa y): every law at every kind of wall.
TEST_F(SmoothWallLaws, EquilibriumOfEveryLaw) {
    const double smooth = SmoothUPlus(kYPlus);
    const struct {
        const char* name;
        int law, faceBased;
        Wall wall;
        double ks;
        double uplus;
    } rows[] = {
        {"5 bed", 5, 0, kBed, 0.01, smooth},
        {"5 side", 5, 0, kSide, 0.01, smooth},
        {"5 top", 5, 0, kTop, 0.01, smooth},
        {"8 bed, fully rough", 8, 0, kBed, 0.02, RoughUPlus(kY, 0.02)},
        {"8 side, transitional", 8, 0, kSide, 0.002, TransitionalUPlus(kYPlus, 0.002)},
        {"8 top, smooth", 8, 0, kTop, 1e-4, TransitionalUPlus(kYPlus, 1e-4)},
        {"9 side", 9, 0, kSide, 0.002, TransitionalUPlus(kYPlus, 0.002)},
        {"9 bed without through-flow", 9, 0, kBed, 0.002, TransitionalUPlus(kYPlus, 0.002)},
        {"19 side: smooth", 19, 0, kSide, 0.01, smooth},
        {"19 bed: rough", 19, 0, kBed, 0.01, RoughUPlus(kY, 0.01)},
        {"19 top: rough", 19, 0, kTop, 0.01, RoughUPlus(kY, 0.01)},
        {"face-based 0, side", 0, 1, kSide, 0.01, RoughUPlus(kY, 0.01)},
        {"face-based 0, bed", 0, 1, kBed, 0.01, RoughUPlus(kY, 0.01)},
        {"face-based 5, top", 5, 1, kTop, 0.01, smooth},
        {"face-based 8, bed", 8, 1, kBed, 0.002, TransitionalUPlus(kYPlus, 0.002)},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const double u = kUstar * row.uplus;
        OneCell(row.wall, u, row.ks);
        WallLaw = row.law;
        FaceWallLawFlag = row.faceBased;
        Run(AlongWall(row.wall));
        const double area = 4.0 * kY * kY;
        EXPECT_NEAR(Cap[1] * u / (1000.0 * kUstar * kUstar * area), 1.0, 2e-4) << "friction";
        EXPECT_NEAR(Csource[1], 0.0, 1e-15);
        Run(5);
        EXPECT_NEAR(Csource[1] / Cap[1] / kK, 1.0, 2e-4) << "k";
        Run(6);
        // Epsilon: the face-based laws round 0.09^0.75 to four digits.
        const double rounding = row.faceBased ? 1.6430000000000002e+29 / (1e30 * std::pow(0.09, 0.75)) : 1.0;
        const double held = kUstar * kUstar * kUstar / (0.4 * kY);
        EXPECT_NEAR(Csource[1] / Cap[1], rounding * held, 1e-9 * held) << "epsilon";
        EXPECT_EQ(Cap[1], 1e30);
    }
}

// The transitional law joins its neighbours: 0.0030 below the fully rough law
// at ks+ 90, 0.0069 above the smooth law at ks+ 2.25.
TEST_F(SmoothWallLaws, TransitionalRangeJoinsItsNeighbours) {
    WallLaw = 8;
    const double yplus = 400.0;
    const double rough = ComputeWallLawRatio(yplus, yplus / 90.0 * (1.0 + 1e-12));  // ks+ just below 90
    EXPECT_NEAR(rough - 2.5 * std::log(30.0 * yplus / 90.0), -0.0030, 1e-4);
    const double smooth = ComputeWallLawRatio(yplus, yplus / 2.25 * (1.0 - 1e-12));  // ks+ just above 2.25
    EXPECT_NEAR(smooth - 2.5 * std::log(9.0 * yplus), 0.0069, 1e-4);
    // Inside the sublayer the law is scaled down, never below 0.025.
    EXPECT_NEAR(ComputeWallLawRatio(5.0, 5.0 / 20.0),
                (2.5 * std::log(5.0) + 5.5 + (3.0 - 2.5 * std::log(20.0)) * std::sin(0.4258 * (std::log(20.0) - 0.811))) *
                    5.0 / 11.7,
                1e-12);
    EXPECT_EQ(ComputeWallLawRatio(1e-9, 1e-9 / 20.0), 0.025);
    // The rough law of the face-based form keeps its floor.
    WallLaw = 0;
    MinUplus = 1.0;
    EXPECT_EQ(ComputeWallLawRatio(100.0, 0.04), 1.0);
}

// Edge cases of the cell-based laws, each against the law written out.
TEST_F(SmoothWallLaws, EdgeCases) {
    const double a = std::sqrt(300.0 * kK);
    const double area = 4.0 * kY * kY, vol = 8.0 * kY * kY * kY;
    const struct {
        const char* name;
        int law;
        Wall wall;
        int equation;
        double ks;
        std::function<void()> setUp;
        double expected;  // Cap, or the value held for epsilon
    } rows[] = {
        // y+ 11.628: the friction's log law (limit 11.626), the linear law in k.
        {"5, y+ between the limits, friction", 5, kBed, 1, 0.02,
         [] { Ck[1] = std::pow(11.628 / (1e6 * kY), 2) / 0.3; },
         31.62 * std::sqrt(300.0 * std::pow(11.628 / (1e6 * kY), 2) / 0.3) * 0.4 * area / std::log(9.0 * 11.628)},
        {"5, y+ between the limits, k", 5, kBed, 5, 0.02,
         [] { Ck[1] = std::pow(11.628 / (1e6 * kY), 2) / 0.3; },
         1000.0 * std::pow(0.09, 0.75) * std::sqrt(std::pow(11.628 / (1e6 * kY), 2) / 0.3) * 11.628 / kY * vol},
        // y+ 5 under the fully rough transitional law (ks+ 100): the law at
        // Y = 11.7 times 5 / 11.7.
        {"8, y+ 5", 8, kSide, 2, 1.0, [] { Ck[1] = std::pow(5.0 / (1e6 * kY), 2) / 0.3; },
         31.62 * std::sqrt(300.0 * std::pow(5.0 / (1e6 * kY), 2) / 0.3) * area /
             (std::log(30.0 * kY * 11.7 / 5.0 / 1.0) / 0.4 * 5.0 / 11.7)},
        // Suspended sediment lowers kappa at the bed unless F 150 says not.
        {"8, concentration at the bed", 8, kBed, 1, 0.02, [] { conc[0][1] = 0.1; },
         31.62 * a * area / (std::log(30.0 * kY / 0.02) * 1.25 / 0.4)},
        {"8, F 150 1", 8, kBed, 1, 0.02,
         [] {
             conc[0][1] = 0.1;
             F150Int2 = 1;
         },
         31.62 * a * area / (std::log(30.0 * kY / 0.02) / 0.4)},
        // Through-flow n_b u = 10 u* at the bed: s clipped to 0.4, u+ grows
        // by 0.1 u+^2.
        {"9, transpiration", 9, kBed, 1, 0.02, [] { Cw[1] = 10.0 * kUstar / Fvecz[Csurfb[1]]; },
         31.62 * a * area / (RoughUPlus(kY, 0.02) * (1.0 + 0.1 * RoughUPlus(kY, 0.02)))},
        {"5, model 14", 5, kSide, 6, 0.02, [] { TurbulenceModel = 14; }, 0.0},
        {"8, model 15", 8, kBed, 6, 0.02, [] { TurbulenceModel = 15; }, 0.0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        OneCell(row.wall, 0.2, row.ks);
        if (!conc.exists()) {
            ASSERT_TRUE(conc.allocate(2, 2));
        }
        conc[0][1] = 0.0;
        WallLaw = row.law;
        row.setUp();
        Run(row.equation);
        if (row.equation == 6) {
            EXPECT_NEAR(Cap[1] == 0.0 ? 0.0 : Csource[1] / Cap[1], row.expected, 1e-9 * row.expected);
        } else {
            EXPECT_NEAR(Cap[1], row.expected, 1e-9 * row.expected);
        }
    }
}

// F 312 with the inner neighbour flowing against the cell: the epsilon
// distance grows to (1.1 - cos) y = 2.1 y; at 90 degrees it stays.
TEST_F(SmoothWallLaws, ReversedFlowAtSideWalls) {
    const double held = std::pow(kK, 1.5) * std::pow(0.09, 0.75) / (0.4 * kY);
    for (const double factor : {-1.0, 0.0}) {
        SCOPED_TRACE(factor);
        Box(2, 1, 1, {2.0 * kY, 2.0 * kY, 2.0 * kY});
        const int p = 2;  // east wall, west neighbour 1
        for (const Array1<int>* f : {&Csurfe, &Csurfw, &Csurfs, &Csurfn, &Csurft, &Csurfb}) Fflagflow[(*f)[p]] = 0;
        Fflagflow[Csurfe[p]] = -1;
        Ck[p] = kK;
        Cu[p] = 0.0;
        Cv[p] = 0.3;
        Cv[1] = 0.3 * factor;
        Cu[1] = factor == 0.0 ? 0.3 : 0.0;
        WallLaw = 19;
        F312Option = 1;
        Equation = 6;
        ApplyWallLaws(p, p);
        EXPECT_NEAR(Csource[p] / Cap[p], factor < 0.0 ? held / 2.1 : held, 1e-9 * held);
    }
}

// F 305 1 against the cell-based rough law on a cell with walls at its bed
// and its east side, the wall roughness equal to the cell's: the friction
// and k alike, epsilon lower by the rounding of 0.09^0.75.
TEST_F(SmoothWallLaws, FaceBasedMatchesTheRoughLaw) {
    for (const int equation : {1, 2, 3, 5, 6}) {
        SCOPED_TRACE(equation);
        double got[2][2];
        for (const int faceBased : {0, 1}) {
            Box(1, 1, 1, {0.3, 0.2, 0.1});
            for (const Array1<int>* f : {&Csurfw, &Csurfs, &Csurfn, &Csurft}) Fflagflow[(*f)[1]] = 0;
            Fflagflow[Csurfe[1]] = Fflagflow[Csurfb[1]] = -1;
            Ck[1] = 0.004;
            Cu[1] = 0.3;
            Cv[1] = -0.2;
            Cw[1] = 0.01;
            Croughness[1] = WallRoughness = 0.003;
            WallLaw = 0;
            FaceWallLawFlag = faceBased;
            Equation = equation;
            Cap[1] = Csource[1] = 9.0;
            ApplyWallLaws(1, 1);
            got[faceBased][0] = Cap[1];
            got[faceBased][1] = Csource[1];
        }
        if (equation == 6) {
            EXPECT_EQ(got[1][0], got[0][0]);
            EXPECT_NEAR(got[1][1] / got[0][1] - 1.0, 1.6430000000000002e+29 / (1e30 * std::pow(0.09, 0.75)) - 1.0,
                        1e-12);
            EXPECT_NEAR(got[1][1] / got[0][1] - 1.0, -1.02e-4, 0.01e-4);
        } else {
            EXPECT_NEAR(got[1][0], got[0][0], 1e-12 * got[0][0]);
            EXPECT_NEAR(got[1][1], got[0][1], 1e-12 * std::fabs(got[0][1]));
        }
    }
}

// The face-based form: other equations only clear the wall cells, a far wall
// counts as 1000 m, and models 14 and 15 hold no epsilon.
TEST_F(SmoothWallLaws, FaceBasedEdgeCases) {
    const struct {
        const char* name;
        int equation, model;
        double dx;
        double cap, held;
    } rows[] = {
        {"pressure correction", 4, 0, 1.0, 0.0, 0.0},
        {"concentration", 7, 0, 1.0, 0.0, 0.0},
        {"wall 2000 m away", 6, 0, 4000.0, 1e30, 1.6430000000000002e-01 * std::pow(kK, 1.5) / 400.0},
        {"model 16", 6, 16, 4000.0, 1e30, std::pow(kK, 1.5) / (0.21908 * 1000.0 + 1e-20)},
        {"model 14", 6, 14, 1.0, 0.0, 0.0},
        {"model 15", 6, 15, 1.0, 0.0, 0.0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Box(1, 1, 1, {row.dx, 1.0, 1.0});
        for (const Array1<int>* f : {&Csurfs, &Csurfn, &Csurft, &Csurfb}) Fflagflow[(*f)[1]] = 0;
        Fflagflow[Csurfe[1]] = Fflagflow[Csurfw[1]] = -1;  // one direction, counted once
        Ck[1] = kK;
        FaceWallLawFlag = 1;
        WallLaw = 5;
        TurbulenceModel = row.model;
        Equation = row.equation;
        Cap[1] = Csource[1] = 9.0;
        ApplyWallLaws(1, 1);
        EXPECT_EQ(Cap[1], row.cap);
        EXPECT_NEAR(Cap[1] == 0.0 ? Csource[1] : Csource[1] / Cap[1], row.held, 1e-12 * row.held);
    }
}

}  // namespace
