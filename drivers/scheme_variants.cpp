// The pressure-velocity couplings of F 171 in WaterSolve: the transient-only
// inverse of value 1, the second pressure corrector of value 3 and the
// pseudo-velocity step of values 2, 4 and 5.
#include <algorithm>

#include "drivers/flow_drivers.h"
#include "drivers/momentum_sources.h"
#include "drivers/residuals.h"
#include "drivers/water_pass.h"
#include "flow/flow_services.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/run_services.h"
#include "solver/cell_stencil.h"
#include "solver/solver_services.h"

namespace {

constexpr double kUnsteadyTimeStep = 1e-8;
constexpr double kLeastPressureCap = 1e-20;
constexpr int kTransientInverseRefusedStatus = -5;

bool Unsteady() { return TimeStep > kUnsteadyTimeStep; }

bool g_inverseExchanged = false;

Array1<double>* const kVelocities[3] = {&Cu, &Cv, &Cw};
Array1<double>* const kPseudo[3] = {&Cu_pseudo, &Cv_pseudo, &Cw_pseudo};

bool PseudoArraysExist() { return Cu_pseudo.exists() && Cv_pseudo.exists() && Cw_pseudo.exists(); }

double NetOutflow(int c) {
    return Fflux[Csurfe[c]] - Fflux[Csurfw[c]] + Fflux[Csurfn[c]] - Fflux[Csurfs[c]] + Fflux[Csurft[c]] -
           Fflux[Csurfb[c]];
}

void ZeroMomentumCoefficients() {
    for (Array1<double>* a : {&Cae, &Caw, &Can, &Cas, &Cat, &Cab}) {
        for (int c = FirstCell; c <= LastCell; ++c) (*a)[c] = 0.0;
    }
    if (ConvectionScheme[1] != 1 || !FarArraysExist()) return;
    for (Array1<double>* a : {&Caee, &Caww, &Cann, &Cass, &Catt, &Cabb}) {
        for (int c = FirstCell; c <= LastCell; ++c) (*a)[c] = 0.0;
    }
}

// The sources of velocity component `eq` without the pressure force, the
// sediment weight and the TVD correction.
void AddPseudoSources(int eq) {
    for (int c = FirstCell; c <= LastCell; ++c) Cap[c] = Csource[c] = 0.0;
    ApplyWallLaws(FirstCell, LastCell);
    SetInflowBoundaryConditions();
    if (VegetationOption > 0) ReadVegdataFile();
    AddSurfaceSlopeGravity(eq, FirstCell, LastCell);
    if (NoBoundaryCells > 0) AddBlockInterfaceSources();
    if (WindSpeed[0] > 1e-10 && eq != 3) AddWindStress(eq);
    if (TemperatureFlag == 1 && WaterTemperatureFlag == 0) AddDensityPressureSources(3);
    if (WaterTemperatureFlag == 1 && eq == 3) AddTemperatureBuoyancy();
    if (CoriolisFlag == 1) AddCoriolisForce();
}

void StorePseudoVelocity(Array1<double>& pseudo) {
    const CellStencil s = CurrentCellStencil(CurrentConvectionScheme() == 1);
    double* f = Cf.data();
    for (int c = FirstCell; c <= LastCell; ++c) {
        const double sum = s.far() ? NeighbourSum<PlainField, true>(s, f, c) : NeighbourSum<PlainField, false>(s, f, c);
        pseudo[c] = CinvAp[c] * (sum + Csource[c]);
    }
}

void ExchangeVelocitiesWithPseudo() {
    for (int d = 0; d < 3; ++d) kVelocities[d]->exchange(*kPseudo[d]);
}

void SolvePressureEquation(int pass) {
    Equation = 4;
    const double keptRelax = RhieChowRelax;
    RhieChowRelax = 0.0;
    Cf.designate(Pres);
    ExchangeVelocitiesWithPseudo();
    if (CoefficientsInitialisedFlag == 1) ComputeSurfaceFluxes(FirstSurface, LastSurface);
    SetQuadraticPseudoFluxes(FirstSurface, LastSurface);
    ExchangeVelocitiesWithPseudo();
    RhieChowRelax = keptRelax;
    ComputeFaceValuesParallel();
    ComputeMassDefectSource();
    if (NoBoundaryCells > 0) AddBlockInterfaceSources();
    for (int c = FirstCell; c <= LastCell; ++c) {
        Cap[c] = std::max(Cae[c] + Caw[c] + Can[c] + Cas[c] + Cat[c] + Cab[c], kLeastPressureCap);
    }
    if (AccelerationFor(SolverAcceleration[4], pass, Iter, false) == Acceleration::kBlockCorrection) {
        ApplyBlockCorrection();
    }
    SolveEquation();
    PointAtEntryFields();
}

// Value 5: the velocities from the pseudo-velocities and the pressure force
// alone, and the continuity residual of their fluxes.
void ExplicitVelocities() {
    for (int eq = 1; eq <= 3; ++eq) {
        Equation = eq;
        for (int c = FirstCell; c <= LastCell; ++c) Csource[c] = 0.0;
        AddPressureGradientForce(FirstCell, LastCell);
        Array1<double>& v = *kVelocities[eq - 1];
        const Array1<double>& pseudo = *kPseudo[eq - 1];
        for (int c = FirstCell; c <= LastCell; ++c) v[c] = Csource[c] * CinvAp[c] + pseudo[c];
    }
    Equation = 4;
    PointAtEntryFields();
    ComputeSurfaceFluxes(FirstSurface, LastSurface);
    for (int c = FirstCell; c <= LastCell; ++c) Csource[c] = -NetOutflow(c);
    MaxResidual[4] = 0.0;
    ComputeResidual(FirstCell, LastCell);
}

}  // namespace

void RefuseTransientInverseWithoutTimeStep() {
    // Without a time step the transient part of Cap is 0 where the inverse
    // is taken, and the pressure correction would lose its face coefficients.
    if (SchemeVariant == 1 && !Unsteady()) {
        FailWithLog(kTransientInverseRefusedStatus, "Error for F 171 in control. The value 1 needs a time step (F 17)\n");
    }
}

void ExchangeTransientInverse() {
    if (SchemeVariant != 1 || g_inverseExchanged || !CinvAp_transient.exists()) return;
    CinvAp.exchange(CinvAp_transient);
    g_inverseExchanged = true;
}

void RestoreTransientInverse() {
    if (!g_inverseExchanged) return;
    CinvAp.exchange(CinvAp_transient);
    g_inverseExchanged = false;
}

void SetQuadraticPseudoFluxes(int first, int last) {
    if (!Fcellfar1.exists() || !Fcellfar2.exists()) return;
    const Array1<double>* areas[3] = {&Fareax, &Fareay, &Fareaz};
    for (int s = first; s <= last; ++s) {
        const int c1 = Fcell1[s], c2 = Fcell2[s];
        if (c1 <= 0 || c2 <= 0) continue;
        const int far1 = Fcellfar1[s], far2 = Fcellfar2[s];
        int near, other, far;
        if (far1 > 0 && far2 <= 0) {
            near = c1, other = c2, far = far1;
        } else if (far2 > 0 && far1 <= 0) {
            near = c2, other = c1, far = far2;
        } else {
            continue;
        }
        double flux = 0.0;
        for (int d = 0; d < 3; ++d) {
            const Array1<double>& u = *kVelocities[d];
            flux += (0.75 * u[near] + 0.375 * u[other] - 0.125 * u[far]) * (*areas[d])[s];
        }
        Fflux[s] = 1000.0 * flux;
    }
}

void SolvePseudoVelocityStep(int pass) {
    // The pseudo-velocities sum the six ordinary neighbours only.
    if (SplitFaceFlag > 0) {
        FailWithLog(kSplitFaceCombinationStatus,
                    "Error: the split faces of F 137 cannot be combined with the pseudo-velocity step of F 171 %d\n",
                    SchemeVariant);
    }
    if (!PseudoArraysExist()) return;
    Equation = 1;
    ComputeEddyViscosity(FirstCell, LastCell);
    ZeroMomentumCoefficients();
    ComputeConvectionDiffusionCoefficients(FirstSurface, LastSurface);
    for (int eq = 1; eq <= 3; ++eq) {
        if (eq == 3 && ColumnFluxOption != 0) break;
        Equation = eq;
        DesignateVelocityField(eq);
        if (eq > 1 && ConvectionScheme[eq] != ConvectionScheme[eq - 1]) {
            ComputeConvectionDiffusionCoefficients(FirstSurface, LastSurface);
        }
        AddPseudoSources(eq);
        CompleteMomentumCells(FirstCell, LastCell);
        if (eq == 1) {
            FormInverseCoefficients(FirstCell, LastCell);
            ReportOutOfRangeCap();
        }
        if (F74Flag != 0 && Unsteady()) AddTransientTerms(FirstCell, LastCell);
        StorePseudoVelocity(*kPseudo[eq - 1]);
    }
    SolvePressureEquation(pass);
    if (SchemeVariant == 5) ExplicitVelocities();
}

void KeepVelocitiesBeforeCorrection() {
    if (SchemeVariant != 3 || !PseudoArraysExist()) return;
    for (int d = 0; d < 3; ++d) {
        for (int c = FirstCell; c <= LastCell; ++c) (*kPseudo[d])[c] = (*kVelocities[d])[c];
    }
}

void SecondPressureCorrector(int pass) {
    if (SchemeVariant != 3 || !PseudoArraysExist()) return;
    for (int d = 0; d < 3; ++d) {
        for (int c = FirstCell; c <= LastCell; ++c) (*kPseudo[d])[c] -= (*kVelocities[d])[c];
    }
    for (int c = FirstCell; c <= LastCell; ++c) Pres[c] += RelaxPressure * Cf[c];
    Equation = 1;
    ComputeConvectionDiffusionCoefficients(FirstSurface, LastSurface);
    Equation = 4;
    for (int c = FirstCell; c <= LastCell; ++c) {
        Csource[c] = -NetOutflow(c);
        Cf[c] = 0.0;
    }
    ComputeFaceValuesParallel();
    ComputeMassDefectSource();
    AccelerateEquation(pass);
    SolveEquation();
    ApplySimpleCorrections(pass, FirstSurface, LastSurface, FirstCell, LastCell);
    LimitBoundarySlopes();
    for (int c = FirstCell; c <= LastCell; ++c) Pres[c] += RelaxPressure * Cf[c];
}
