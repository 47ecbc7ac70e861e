// Neighbour coefficients from surface fluxes and viscosities.
#include <cmath>

#include "flow/face_interpolation.h"
#include "tests/flow/flow_case.h"

namespace {

using Coefficients = FlowCase;

TEST(RelativeWaterDensity, PeaksNearFourDegrees) {
    EXPECT_DOUBLE_EQ(RelativeWaterDensity(4.029325), 0.9999726);
    EXPECT_NEAR(RelativeWaterDensity(20.0), 0.998201, 2e-6);
    EXPECT_LT(RelativeWaterDensity(0.0), RelativeWaterDensity(4.0));
}

// Unit cells: Fdist 0.5 on both sides, area 1, so D0 = Gamma.
void Viscosities(double side, double vertical) {
    for (int c = 1; c <= NoCells; ++c) {
        Ceddyvisc[c] = side;
        Ceddyviscz[c] = vertical;
    }
}

TEST_F(Coefficients, DiffusionAndUpwindConvection) {
    const BoxGrid g = Box(3, 1, 2);
    Viscosities(0.2, 0.05);
    DiffusivityFactor = 2.0;
    const int a = g.cell(0, 0, 0), b = g.cell(1, 0, 0), top = g.cell(0, 0, 1);
    Fflux[Csurfe[a]] = 3.0;   // from a into b
    Fflux[Csurfw[a]] = 4.0;   // inflow through the west boundary
    ComputeConvectionDiffusionCoefficients(FirstSurface, LastSurface);
    EXPECT_DOUBLE_EQ(Cae[a], 0.2 * 2.0);
    EXPECT_DOUBLE_EQ(Caw[b], 0.2 * 2.0 + 3.0);
    EXPECT_DOUBLE_EQ(Caw[a], 4.0);  // the boundary brings its inflow only
    EXPECT_DOUBLE_EQ(Cat[a], 0.05);  // no flux: the full power-law weight
    EXPECT_DOUBLE_EQ(Cab[top], 0.05);
    EXPECT_DOUBLE_EQ(Cab[a], 0.0);  // the bed carries nothing
    // Nothing is written for the missing cells.
    for (const Array1<double>* c : {&Cae, &Caw, &Cas, &Can, &Cat, &Cab}) EXPECT_EQ((*c)[0], 0.0);
}

TEST_F(Coefficients, PowerLawCutsAtPecletTen) {
    const struct {
        double peclet, weight;
    } rows[] = {{0.0, 1.0}, {5.0, std::pow(0.5, 5)}, {9.0, std::pow(0.1, 5)}, {10.0, 0.0}, {12.0, 0.0}, {25.0, 0.0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.peclet);
        const BoxGrid g = Box(1, 1, 2);
        Viscosities(1.0, 0.5);
        const int s = Csurft[g.cell(0, 0, 0)];
        Fflux[s] = row.peclet * 0.5;
        ComputeConvectionDiffusionCoefficients(FirstSurface, LastSurface);
        EXPECT_NEAR(Cat[g.cell(0, 0, 0)], 0.5 * row.weight, 1e-15);
        EXPECT_NEAR(Cab[g.cell(0, 0, 1)], 0.5 * row.weight + Fflux[s], 1e-15);
    }
}

TEST_F(Coefficients, PrandtlFactorAndViscosityLimits) {
    const struct {
        int model, equation, turbDens;
        double side, vertical;  // expected conductances
    } rows[] = {
        {0, 5, 0, 0.2, 0.05},
        {1, 1, 0, 0.2, 0.05},
        {1, 6, 0, 0.2 * 1.3900472616068946, 0.05 * 1.3900472616068946},
        {15, 5, 0, 0.1, 0.025},
        {14, 5, 0, 0.3, 0.075},
        {6, 1, 0, 1.5, 2.5},             // the constant viscosities
        {0, 1, 3, 0.2, 0.001},           // the least one on horizontal faces
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.model);
        const BoxGrid g = Box(2, 1, 2);
        Viscosities(0.2, 0.05);
        TurbulenceModel = row.model;
        Equation = row.equation;
        TurbDensFlag = row.turbDens;
        ConstEddyViscosity = 1.5;
        ConstEddyViscosityBed = 2.5;
        ComputeConvectionDiffusionCoefficients(FirstSurface, LastSurface);
        EXPECT_DOUBLE_EQ(Cae[g.cell(0, 0, 0)], row.side);
        EXPECT_DOUBLE_EQ(Cat[g.cell(0, 0, 0)], row.vertical);
    }
}

class Stratified : public FlowCase {
protected:
    void SetUp() override {
        g_ = Box(1, 1, 2);
        Viscosities(1.0, 1.0);
        ASSERT_TRUE(Components.allocate(1, static_cast<size_t>(NoCells) + 1));
        Components[0][g_.cell(0, 0, 0)] = 4.0;   // dense water below
        Components[0][g_.cell(0, 0, 1)] = 25.0;  // light water above
        TurbDensFlag = 1;
        StratificationFactor = 1.0;
    }
    double Damping() { return ComputeStratificationDamping(g_.cell(0, 0, 0), g_.cell(0, 0, 1)); }
    BoxGrid g_;
};

TEST_F(Stratified, ExponentZeroLeavesTheFaceUndamped) {
    ComputeConvectionDiffusionCoefficients(FirstSurface, LastSurface);
    EXPECT_DOUBLE_EQ(Damping(), 1.0);
    EXPECT_DOUBLE_EQ(Cat[g_.cell(0, 0, 0)], 1.0);
}

TEST_F(Stratified, DampingFollowsTheRichardsonNumber) {
    DampingExponent = 1.0;
    Cu[g_.cell(0, 0, 0)] = 0.5;
    Cu[g_.cell(0, 0, 1)] = 1.5;
    const double drho = RelativeWaterDensity(25.0) - RelativeWaterDensity(4.0);
    const double ri = -9.81 * (drho / 1.0) * std::pow(1.0 / -1.0, 2);
    EXPECT_NEAR(Damping(), std::pow(1.0 + 10.0 * ri, -1.5), 1e-6);
    // Equal speeds give a huge number, not a division by zero.
    Cu[g_.cell(0, 0, 0)] = 1.5;
    const double d = Damping();
    EXPECT_TRUE(std::isfinite(d));
    EXPECT_LT(d, 1e-6);
    EXPECT_GE(d, 0.0);
    // The stricter pass keeps at least the least viscosity across the face.
    ComputeNeighbourCoefficients(FirstSurface, LastSurface);
    EXPECT_DOUBLE_EQ(Cat[g_.cell(0, 0, 0)], MinGamma);
}

TEST_F(Coefficients, ExtraDiffusionModes) {
    const BoxGrid g = Box(2, 1, 1);
    Viscosities(0.0, 0.0);
    const int a = g.cell(0, 0, 0), b = g.cell(1, 0, 0), s = Csurfe[a];
    Cu[a] = 0.6;
    Cu[b] = 1.0;
    Cv[a] = Cv[b] = 0.6;
    ExtraDiffusionFactor = 0.5;
    const double mode1 = 1000.0 * 1.0 * 0.5 * 1.0;  // mean velocity (0.8, 0.6)
    Cbedcell[a] = 1;
    Cbedcell[b] = 2;
    const int col1 = 1, col2 = 2;
    BbedformHeight[col1] = 0.2;
    BbedformHeight[col2] = 0.4;
    Bdepth[col1] = 1.0;
    Bdepth[col2] = 2.0;
    const struct {
        int mode;
        double cab;
        double value;
    } rows[] = {{1, 1.0, mode1}, {2, 1.0, 0.0}, {2, 0.0, mode1}, {3, 1.0, mode1 * 0.3 / 3.0}, {4, 0.0, mode1 * 0.1},
                {5, 0.0, 0.0}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.mode);
        ExtraDiffusionOption = row.mode;
        Cab[a] = Cab[b] = row.cab;
        EXPECT_NEAR(ComputeFaceExtraDiffusion(s, a, b), row.value, 1e-9);
    }
    EXPECT_EQ(ComputeFaceExtraDiffusion(Csurft[a], a, b), 0.0);
    // Without bed forms the modes that scale by them add nothing.
    BbedformHeight.release();
    ExtraDiffusionOption = 3;
    EXPECT_EQ(ComputeFaceExtraDiffusion(s, a, b), 0.0);
}

TEST_F(Coefficients, TimeWeightingOncePerAssembly) {
    const BoxGrid g = Box(4, 2, 2);
    Viscosities(0.2, 0.05);
    TimeStep = 10.0;
    Theta = 0.5;
    RunInChunks(FirstSurface, LastSurface, 4, ComputeConvectionDiffusionRange);
    FinishConvectionDiffusion(FirstSurface, LastSurface);
    EXPECT_DOUBLE_EQ(Cae[g.cell(0, 0, 0)], 0.1);
    EXPECT_DOUBLE_EQ(Cat[g.cell(3, 1, 0)], 0.025);
}

TEST_F(Coefficients, WrongOrientationIsReportedAndSkipped) {
    const BoxGrid g = Box(2, 1, 1);
    Viscosities(0.2, 0.05);
    const int a = g.cell(0, 0, 0), b = g.cell(1, 0, 0), s = Csurfe[a];
    Ftype1[s] = 4;
    Ftype2[s] = 2;
    Caw[a] = Cae[b] = -10.0;
    Cae[a] = Caw[b] = -10.0;
    ComputeNeighbourCoefficients(FirstSurface, LastSurface);
    const std::string expected = "Error in coefficient1 computation, surface " + std::to_string(s) + ", cell " +
                                 std::to_string(a) + ", type 4\n";
    EXPECT_NE(log().find(expected), std::string::npos) << log();
    EXPECT_NE(log().find("Error in coefficient1 computation, surface " + std::to_string(s) + ", cell " +
                         std::to_string(b) + ", type 2\n"),
              std::string::npos);
    EXPECT_EQ(Caw[a], 0.0);  // its west boundary
    EXPECT_EQ(Cae[b], 0.0);  // its east boundary
    EXPECT_EQ(Cae[a], -10.0);
    EXPECT_EQ(Caw[b], -10.0);
    // A boundary gets no convective part in this pass.
    Ftype1[s] = 2;
    Ftype2[s] = 4;
    Fflux[Csurfw[a]] = 5.0;
    ComputeNeighbourCoefficients(FirstSurface, LastSurface);
    EXPECT_EQ(Caw[a], 0.0);
    EXPECT_DOUBLE_EQ(Cae[a], 0.2);
}

TEST_F(Coefficients, RelaxationLeavesFixedCellsAlone) {
    const BoxGrid g = Box(2, 1, 1);
    const int a = g.cell(0, 0, 0), b = g.cell(1, 0, 0);
    Cae[a] = Caw[b] = 1.0;
    Cap[a] = kFixedValueWeight;
    Csource[a] = kFixedValueWeight * 3.0;
    Cap[b] = 1.0;
    const double phi[3] = {0.0, 2.0, 2.0};
    CompleteCellEquations(1, 2, 0.5, phi, false);
    EXPECT_EQ(Cap[a], kFixedValueWeight + 1.0);
    EXPECT_EQ(Csource[a], kFixedValueWeight * 3.0);
    EXPECT_DOUBLE_EQ(Cap[b], 4.0);
    EXPECT_DOUBLE_EQ(Csource[b], 0.5 * 4.0 * 2.0);
}

}  // namespace
