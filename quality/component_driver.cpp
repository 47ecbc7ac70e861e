// Letter C: the water-quality components carried through the frozen flow
// field, one convection-diffusion equation per component on the shared
// coefficients, with the sources of the Q data sets.
#include <algorithm>
#include <cstdio>
#include <vector>

#include "flow/flow_services.h"
#include "grid/grid_services.h"
#include "quality/component_terms.h"
#include "quality/quality_services.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/status.h"
#include "solver/solver_services.h"
#include "run/output_file.h"

namespace {

constexpr int kFirstComponentEquation = 8;
constexpr double kUnsteadyTimeStep = 1e-8;

bool Unsteady() { return TimeStep > kUnsteadyTimeStep; }

bool FarCoefficientsInUse() {
    return ConvectionScheme[kFirstComponentEquation] == 1 && Caee.exists() && Cann.exists() && Cass.exists() &&
           Caww.exists();
}

// The diagonal of the shared equation: the neighbour sums (nothing crosses
// the water surface) and the storage of an unsteady run.
void BuildCentralCoefficients() {
    const bool far = FarCoefficientsInUse();
    for (int c = 1; c <= NoCells; ++c) {
        if (Ccellt[c] == 0) Cat[c] = 0.0;
        Cap[c] = Cae[c] + Caw[c] + Cat[c] + Cab[c] + Cas[c] + Can[c];
        if (far) Cap[c] += Caee[c] + Cann[c] + Cass[c] + Caww[c];
    }
    if (!Unsteady()) return;
    for (int c = 1; c <= NoCells; ++c) Cap[c] += Cvol[c] * kWaterDensity / TimeStep;
}

bool ComponentRowsHeld() {
    const size_t rows = static_cast<size_t>(NoComponents);
    const size_t cells = static_cast<size_t>(NoCells) + 1;
    if (!Components.exists() || Components.extent1() < rows || Components.extent2() < cells) return false;
    return !Unsteady() || (ComponentsOld.exists() && ComponentsOld.extent1() >= rows && ComponentsOld.extent2() >= cells);
}

// A monitor file that cannot be created ends the run, and says so.
void CreateEmptyMonitorFile() {
    FILE* fp = OpenPlainOutput("timeo", false);
    if (fp && std::fclose(fp) == 0) return;
    LogAppend("cannot open file 'timeo' \n");
    SetStatusText("cannot open file 'timeo' ");
    EndRun(-3);
}

// Gives Cf back as the driver found it, also when a solve ends the run.
class ComponentField {
public:
    explicit ComponentField(int k) : saved_(Cf.save()) {
        Cf.designate(Components.data() + static_cast<size_t>(k) * Components.extent2(), Components.extent2());
    }
    ~ComponentField() { Cf.restore(saved_); }
    ComponentField(const ComponentField&) = delete;
    ComponentField& operator=(const ComponentField&) = delete;

private:
    FieldRef<double>::Saved saved_;
};

// Csource of component k before its sources: the storage of the old values
// in an unsteady run, nothing in a steady one.
void StartComponentSource(int k) {
    if (Unsteady()) {
        for (int c = 1; c <= NoCells; ++c) Csource[c] = Cvol[c] * kWaterDensity * ComponentsOld[k][c] / TimeStep;
    } else {
        for (int c = FirstCell; c <= LastCell; ++c) Csource[c] = 0.0;
    }
}

void SolveStep(int step, const std::vector<double>& baseCap) {
    if (Unsteady()) {
        for (int k = 0; k < NoComponents; ++k) {
            for (int c = 1; c <= NoCells; ++c) ComponentsOld[k][c] = Components[k][c];
        }
        stime += TimeStep;
    }
    for (int pass = 0; pass < NoIterPerStep; ++pass) {
        for (int k = 0; k < NoComponents; ++k) {
            SetStatusText("Loop0 %d %d %d", step, pass, k);
            Equation = kFirstComponentEquation + k;
            // The sources of one component (inflow water, fixed values) add
            // to Cap: every component and pass starts from the shared one.
            std::copy(baseCap.begin(), baseCap.end(), Cap.data());
            StartComponentSource(k);
            ComputeComponentSources();
            if (NoBoundaryCells > 0) AddBlockInterfaceSources();
            const ComponentField field(k);
            SolveEquation();
            SolveEquation();
        }
    }
}

}  // namespace

int ComputeComponents() {
    LogAppend("Started components\n");
    if (NoCells <= 0 || !Cap.exists()) {
        LogAppend("Error: the component computation has no cells, so no component is computed\n");
        return 0;
    }
    if (NoComponents > 0 && !ComponentRowsHeld()) {
        LogAppend("Error: the component arrays do not hold %d components of %d cells\n", NoComponents, NoCells);
        return 0;
    }
    metric();
    InitialiseFlowRun();
    // Without a flow computation before it the active range is not set yet.
    SetActiveCellRange();
    if (FirstCell < 1 || LastCell < FirstCell || LastCell > NoCells) {
        LogAppend("Error: the component computation has no active cells (first cell %d, last cell %d)\n", FirstCell,
                  LastCell);
        return 0;
    }
    if (FlowInitialisedFlag == 0) {
        SetInflowBoundaryConditions();
        ComputeSurfaceFluxes(FirstSurface, LastSurface);
    }
    FlowInitialisedFlag = 1;

    Equation = kFirstComponentEquation;
    ComputeEddyViscosity(FirstCell, LastCell);
    for (int c = FirstCell; c <= LastCell; ++c) Cap[c] = 0.0;
    stime = 0.0;
    ComputeConvectionDiffusionCoefficients(FirstSurface, LastSurface);
    BuildCentralCoefficients();
    if (Unsteady()) {
        for (int k = 0; k < NoComponents; ++k) {
            for (int c = 1; c <= NoCells; ++c) Components[k][c] = 0.0;
        }
    }
    if (NoBoundaryCells > 0) AddBlockInterfaceSources();
    if (Unsteady() && NoTimeoRecords > 0) CreateEmptyMonitorFile();

    const int steps = Unsteady() ? iterGlobalMax : 1;
    if (NoComponents <= 0) return 0;
    const std::vector<double> baseCap(Cap.data(), Cap.data() + NoCells + 1);
    for (int step = 0; step < steps; ++step) SolveStep(step, baseCap);
    return 0;
}
