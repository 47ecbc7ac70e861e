// The momentum and component steps of the drivers over a depth-averaged
// block: serial assemblies of U, V and the water-quality components.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "drivers/depth_averaged.h"
#include "drivers/flow_drivers.h"
#include "drivers/residuals.h"
#include "drivers/water_pass.h"
#include "flow/flow_services.h"
#include "grid/grid_data.h"
#include "quality/quality_services.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/status.h"
#include "run/timei_data.h"
#include "solver/solver_services.h"

namespace {

constexpr double kUnsteadyTimeStep = 1e-8;
constexpr double kLeastCap = 1e-30;
constexpr double kAirDensityDrag = 0.0012;
constexpr double kGravityDensity = 9810.0;
constexpr int kFirstComponentEquation = 8;

bool Unsteady() { return TimeStep > kUnsteadyTimeStep; }

void DesignateRow(FieldRef<double>& ref, Array2<double>& a, int row) {
    ref.designate(a.data() + static_cast<size_t>(row) * a.extent2(), a.extent2());
}

// ---- Wind ---------------------------------------------------------------------

struct Wind {
    double speed, x, y;
};

// The wind of the moment: F 52, or the `timei` series at stime. A series of
// one row has no row before it to interpolate with: it is constant.
Wind WindNow() {
    if (NoTimeiSteps <= 0 || !TimeiWind.exists()) return {WindSpeed[0], WindSpeed[1], WindSpeed[2]};
    const int n = std::min<int>(NoTimeiSteps, static_cast<int>(TimeiWind.extent1()));
    if (n == 1) return {TimeiWind[0][0], TimeiWind[0][1], TimeiWind[0][2]};
    int k = n - 1;
    for (int r = 1; r <= n - 1; ++r) {
        if (TimeiTime[r] > stime) {
            k = r;
            break;
        }
    }
    const double w = std::max(0.0, TimeiTime[k] - stime) / (TimeiTime[k] - TimeiTime[k - 1] + 1e-20);
    auto at = [&](int v) { return (1.0 - w) * TimeiWind[k][v] + w * TimeiWind[k - 1][v]; };
    return {at(0), at(1), at(2)};
}

double WindDrag(double w) {
    switch (WindDragFormula) {
        case 0: return w > 5.6 ? (1.0 + 1.9 * std::pow(1.0 - 5.6 / w, 2)) * w * w : w * w;
        case 1: return 1.1 * w * w;
        case 2:
            if (w < 1.0) return 1.25 * std::sqrt(w) * w;
            if (w < 15.0) return 0.5 * std::sqrt(w) * w * w;
            return 2.6 * w * w;
        default: return w;
    }
}

void AddWind(int e) {
    const Wind wind = WindNow();
    const double drag = WindDrag(wind.speed);
    const double part = e == 1 ? wind.x : wind.y;
    for (int c = FirstCell; c <= LastCell; ++c) {
        if (Ccellt[c] == 0) Csource[c] += part * kAirDensityDrag * drag * Farea[Csurft[c]];
    }
}

// ---- Density-driven force ------------------------------------------------------

double Density(int c) { return RelativeWaterDensity(Components[0][c]); }

// The density-weighted distance from the level above to the centre of the
// cell: from its top at the top level.
double Increment(int cell, int above) {
    if (cell <= 0) return 0.0;
    double d = Density(cell) * Ckdist[cell];
    if (above > 0) d += Density(above) * Ckdist[above];
    return d;
}

double Difference(double plus, double minus, double own, int nPlus, int nMinus) {
    if (nPlus >= 1 && nMinus >= 1) return (plus - minus) / 2.0;
    if (nMinus == 0 && nPlus > 0) return plus - own;
    if (nPlus == 0 && nMinus > 0) return own - minus;
    return 0.0;
}

// Calls f(cell, force) for every cell of the column under top cell `top`.
template <typename F>
void ColumnDensityForces(int e, int top, F f) {
    const Array1<double>& area = e == 1 ? Fareax : Fareay;
    double gx = 0.0, gy = 0.0;
    int above = 0;
    ForEachCellOfColumn(top, [&](int p) {
        const int ne = Ccelle[p], nw = Ccellw[p], nn = Ccelln[p], ns = Ccells[p];
        auto side = [&](const Array1<int>& nb) { return above > 0 ? nb[above] : 0; };
        const double dp = Increment(p, above);
        const double de = ne > 0 ? Increment(ne, side(Ccelle)) : 0.0;
        const double dw = nw > 0 ? Increment(nw, side(Ccellw)) : 0.0;
        const double dn = nn > 0 ? Increment(nn, side(Ccelln)) : 0.0;
        const double ds = ns > 0 ? Increment(ns, side(Ccells)) : 0.0;
        gx += Difference(de, dw, dp, ne, nw);
        gy += Difference(dn, ds, dp, nn, ns);
        const double force =
            -((area[Csurfe[p]] + area[Csurfw[p]]) * gx + (area[Csurfn[p]] + area[Csurfs[p]]) * gy) * kGravityDensity * 0.5;
        f(p, force);
        above = p;
    });
}

void AddDensityForces(int e, int mode) {
    if (!Components.exists()) return;
    if (mode == 3) {
        for (int c = FirstCell; c <= LastCell; ++c) {
            if (Ccellt[c] == 0) ColumnDensityForces(e, c, [](int p, double force) { Csource[p] += force; });
        }
        return;
    }
    for (const ColumnPair& pair : ColumnPairs) {
        double sum = 0.0;
        ColumnDensityForces(e, pair.top, [&](int, double force) { sum += force; });
        Csource[pair.depthAveraged] += sum;
    }
}

// ---- Assembly ---------------------------------------------------------------------

void ClearThreeDimensionalCells() {
    for (const ColumnPair& pair : ColumnPairs) {
        ForEachCellOfColumn(pair.top, [](int c) {
            Cap[c] = 0.0;
            Csource[c] = 0.0;
        });
    }
}

// The inflow and outflow terms set on the 3D cells go to the
// depth-averaged cell of their column.
void SumColumnsIntoDepthAveraged() {
    for (const ColumnPair& pair : ColumnPairs) {
        double cap = 0.0, source = 0.0;
        ForEachCellOfColumn(pair.top, [&](int c) {
            cap += Cap[c];
            source += Csource[c];
        });
        Cap[pair.depthAveraged] += cap;
        Csource[pair.depthAveraged] += source;
    }
}

void AddCoriolis(int e) {
    for (int c = FirstCell; c <= LastCell; ++c) {
        if (e == 1) {
            Csource[c] += Coriolis * 1000.0 * Cvol[c] * Cv[c];
        } else {
            Csource[c] -= Coriolis * 1000.0 * Cvol[c] * Cu[c];
        }
    }
}

void AddNeighbourSums(int e) {
    const bool far = ConvectionScheme[1] == 1 && FarArraysExist();
    for (int c = FirstCell; c <= LastCell; ++c) {
        Cap[c] += Caw[c] + Cae[c] + Cas[c] + Can[c] + Cab[c] + Cat[c];
        if (far) Cap[c] += Caww[c] + Caee[c] + Cass[c] + Cann[c] + Cabb[c] + Catt[c];
    }
    if (SplitFaceFlag > 0) AddSplitFaceSums(FirstCell, LastCell, ConvectionScheme[e] == 1);
}

void Relax(const Array1<double>& field) {
    for (int c = FirstCell; c <= LastCell; ++c) {
        Cap[c] *= InvRelaxVelocity;
        Csource[c] += (1.0 - RelaxVelocity) * Cap[c] * field[c];
    }
}

void WriteCapDump(int c) {
    LogAppend("Error 4, Cap(%d) = %e\n", c, Cap[c]);
    LogAppend("Velocities: %e %e %e\n", Cu[c], Cv[c], Cw[c]);
    LogAppend("Volume = %e\n", Cvol[c]);
    LogAppend("Neighbour indexes: %d %d %d %d %d %d\n", Ccellt[c], Ccellb[c], Ccelle[c], Ccelln[c], Ccellw[c],
              Ccells[c]);
    int bottom = c, top = c;
    for (int steps = 0; Ccellb[bottom] > 0 && Ccellb[bottom] <= NoCells && steps < NoCells; ++steps) bottom = Ccellb[bottom];
    for (int steps = 0; Ccellt[top] > 0 && Ccellt[top] <= NoCells && steps < NoCells; ++steps) top = Ccellt[top];
    LogAppend("Bed level: %e", Czcenter[bottom] - Ckdist[bottom]);
    const int b = Cbedcell.exists() ? Cbedcell[bottom] : 0;
    if (b > 0 && Bkooi.exists() && static_cast<size_t>(b) < Bkooi.size()) {
        LogAppend("b = %d, i = %d, j = %d\n", b, Bkooi[b], Bkooj[b]);
    }
    LogAppend("Water level: %e", Czcenter[top] + Ckdist[top]);
    SetStatusText("Error, Cap(%d) = %e\n", c, Cap[c]);
    FlowFailedFlag = 1;
}

// CinvAp of the U equation; false after the dump of the first cell whose
// diagonal is below the least value.
bool FormInverse() {
    for (int c = FirstCell; c <= LastCell; ++c) {
        if (!(Cap[c] >= kLeastCap)) {
            WriteCapDump(c);
            return false;
        }
        CinvAp[c] = 1.0 / Cap[c];
    }
    return true;
}

void LinkBlocks() {
    if (NoBoundaryCells <= 0 || BlockLinkWeight <= 1e-8 || !Clink.exists()) return;
    for (int c = 1; c <= NoCells; ++c) {
        const int l = Clink[c];
        if (l > 0 && l <= NoCells) Cf[c] = BlockLinkWeight * Cf[l] + (1.0 - BlockLinkWeight) * Cf[c];
    }
}

}  // namespace

void SolveMomentumSimple(int mode) {
    for (int e = 1; e <= 2; ++e) {
        Equation = e;
        DesignateVelocityField(e);
        for (int c = FirstCell; c <= LastCell; ++c) {
            Cap[c] = 0.0;
            Csource[c] = 0.0;
        }
        ApplyWallLaws(FirstCell, LastCell);
        AddPressureGradientForce(FirstCell, LastCell);
        if (mode == 2) {
            ClearThreeDimensionalCells();
            SetInflowBoundaryConditions();
            SumColumnsIntoDepthAveraged();
        } else {
            SetInflowBoundaryConditions();
        }
        if (CoriolisFlag == 1) AddCoriolis(e);
        if (WindSpeed[0] > 1e-10) AddWind(e);
        if (TemperatureFlag == 1 && StratificationFactor > 0.0) AddDensityForces(e, mode);
        if (F74Flag == 1 && Unsteady()) AddTransientTerms(FirstCell, LastCell);
        AddNeighbourSums(e);
        Relax(e == 1 ? Cu : Cv);
        if (F74Flag != 1 && Unsteady()) AddTransientTerms(FirstCell, LastCell);
        if (e == 1 && !FormInverse()) return;
        DesignateVelocityField(e);
        MaxResidual[e] = 0.0;
        ComputeResidual(FirstCell, LastCell);
        SolveEquation();
        LinkBlocks();
    }
}

void SolveComponentsSimple() {
    if (NoComponents <= 0 || !Components.exists()) return;
    Equation = kFirstComponentEquation;
    ComputeEddyViscosity(FirstCell, LastCell);
    ComputeSurfaceFluxes(FirstSurface, LastSurface);
    ComputeConvectionDiffusionCoefficients(FirstSurface, LastSurface);
    const int components = std::min(NoComponents, static_cast<int>(Components.extent1()));
    for (int k = 0; k < components; ++k) {
        const bool far = ConvectionScheme[Equation] == 1 && FarArraysExist();
        for (int c = FirstCell; c <= LastCell; ++c) {
            Cap[c] = Caw[c] + Cae[c] + Cas[c] + Can[c] + Cab[c] + Cat[c];
            if (far) Cap[c] += Caww[c] + Caee[c] + Cass[c] + Cann[c] + Cabb[c] + Catt[c];
            Csource[c] = 0.0;
        }
        if (SplitFaceFlag > 0) AddSplitFaceSums(FirstCell, LastCell, far);
        Equation = kFirstComponentEquation + k;
        if (Unsteady() && ComponentsOld.exists() && static_cast<size_t>(k) < ComponentsOld.extent1()) {
            DesignateRow(Cf_old, ComponentsOld, k);
            for (int c = FirstCell; c <= LastCell; ++c) {
                const double t = 1000.0 * Cvol[c] / TimeStep;
                Cap[c] += t;
                Csource[c] += t * ComponentsOld[k][c];
            }
        }
        if (NoBoundaryCells > 0) AddBlockInterfaceSources();
        ComputeComponentSources();
        DesignateRow(Cf, Components, k);
        SolveEquation();
        SolveEquation();
    }
}
