// The source terms of the momentum equations that the drivers add on the
// master thread between their parallel regions, and the drag zones.
#include "drivers/momentum_sources.h"

#include <cmath>

#include "drivers/water_pass.h"
#include "flow/flow_services.h"
#include "grid/metric_steps.h"
#include "run/globals.h"
#include "run/run_services.h"

namespace {

constexpr double kWideColumnRatio = 1.1;
constexpr double kGravity = 9.81;
constexpr double kWaterDensity = 1000.0;
// From this drag coefficient on a zone acts as a fixed resistance, below it
// as a drag that grows with the velocity.
constexpr double kVelocityFreeDrag = 0.7;

// The weight of the suspended sediment in the W equation.
void SubtractHydrostaticSource() {
    if (!conc.exists()) return;
    const double weight = kWaterDensity * kGravity * SedRelativeDensity * SedBuoyancyFactor;
    for (int c = FirstCell; c <= LastCell; ++c) Csource[c] -= Cvol[c] * weight * conc[0][c];
}

// The plan area of the column of cell c, 0 when the column tables do not
// hold it.
double ColumnPlanArea(int c) {
    const int column = Cbedcell[c];
    if (!Barea.exists() || column < 0 || static_cast<size_t>(column) >= Barea.size()) return 0.0;
    return Barea[column];
}

}  // namespace

// The buoyancy of the water-quality temperature against the reference: the
// weight of the density difference, a force in N.
void AddTemperatureBuoyancy() {
    if (!Components.exists() || NoComponents < 1) return;
    const double reference = RelativeWaterDensity(WaterTemperature);
    for (int c = FirstCell; c <= LastCell; ++c) {
        Csource[c] += kGravity * kWaterDensity * Cvol[c] * (reference - RelativeWaterDensity(Components[0][c]));
    }
}

bool WideColumn(int c) { return ColumnPlanArea(c) > kWideColumnRatio * Fareaz[Csurfb[c]]; }

bool AloneInColumn(int c) { return Ccellt[c] == 0 && Ccellb[c] == 0; }

void DoubleCentreCoefficient(int c) {
    Cap[c] *= 2.0;
    Csource[c] += 0.5 * Cf[c] * Cap[c];
}

void DoubleAroundWideColumns() {
    for (int c = FirstCell; c <= LastCell; ++c) {
        if (!WideColumn(c)) continue;
        for (int nb : {c, Ccellw[c], Ccells[c], Ccelle[c], Ccelln[c]}) {
            if (nb > 0) DoubleCentreCoefficient(nb);
        }
    }
}

void SetMomentumBoundarySources() {
    SetInflowBoundaryConditions();
    if (VegetationOption > 0) ReadVegdataFile();
}

void AddMomentumForces(int eq) {
    AddSurfaceSlopeGravity(eq, FirstCell, LastCell);
    if (NoBoundaryCells > 0) AddBlockInterfaceSources();
    if (WindSpeed[0] > 1e-10 && eq != 3) AddWindStress(eq);
    if (TemperatureFlag == 1 && WaterTemperatureFlag == 0) AddDensityPressureSources(3);
    if (WaterTemperatureFlag == 1 && eq == 3) AddTemperatureBuoyancy();
    if (CoriolisFlag == 1) AddCoriolisForce();
    if (SedBuoyancyFactor > 0.001 && eq == 3) SubtractHydrostaticSource();
    if (ConvectionScheme[eq] > 9) AddTvdCorrection(FirstSurface, LastSurface);
}

void AddMomentumSources() {
    SetMomentumBoundarySources();
    Stamp(5);
    AddMomentumForces(Equation);
    if (DeadEndCellFlag == 1 && CdeadEndFlag.exists()) {
        for (int c = FirstCell; c <= LastCell; ++c) {
            if (CdeadEndFlag[c] == 1) Cap[c] += 1000.0 * Cvol[c];
        }
    }
    if (TrekantOption == 11 && Ctrekant.exists()) {
        for (int c = FirstCell; c <= LastCell; ++c) {
            if (Ctrekant[c] > 0) DoubleCentreCoefficient(c);
        }
    }
    if (F291Int2 == 1 || F291Int2 == 2) {
        for (int c = FirstCell; c <= LastCell; ++c) {
            if ((F291Int2 == 2 || AloneInColumn(c)) && WideColumn(c)) DoubleCentreCoefficient(c);
        }
    } else if (F291Int2 == 3) {
        DoubleAroundWideColumns();
    }
    if (StepLossFlag > 0) AddStepLossTerms();
    if (NoDragZones > 0) AddDragZoneTerms();
}

void AddDragZoneTerms() {
    for (int r = 1; r <= NoDragZones && r <= kG22Capacity; ++r) {
        const G22Record& zone = G22Records[r];
        for (int i = zone.iFirst; i <= zone.iLast; ++i) {
            for (int j = zone.jFirst; j <= zone.jLast; ++j) {
                const int bottom = ColumnBottomCell(i, j);
                if (bottom <= 0) continue;
                const double side = std::sqrt(ColumnPlanArea(bottom));
                ForEachCellUp(bottom, [&](int c) {
                    double h = std::fmin(Czcenter[c] + Ckdist[c], zone.upperLevel) -
                               std::fmax(Czcenter[c] - Ckdist[c], zone.lowerLevel);
                    if (!(h > 0.0)) return;
                    if (zone.coefficient < kVelocityFreeDrag) h *= std::hypot(Cu[c], Cv[c]);
                    Cap[c] += h * zone.coefficient * side * kWaterDensity;
                });
            }
        }
    }
}
