// The water-quality components inside an inner pass of WaterSolve: one
// convection-diffusion equation per component on the whole grid, with the
// coefficients of the flow shared by all of them and no relaxation.
#include <algorithm>

#include "drivers/flow_drivers.h"
#include "drivers/water_pass.h"
#include "flow/cell_lookup.h"
#include "flow/flow_services.h"
#include "quality/quality_services.h"
#include "run/globals.h"
#include "solver/solver_services.h"

namespace {

constexpr double kUnsteadyTimeStep = 1e-8;
constexpr int kFirstComponentEquation = 8;
// Without relaxation the completion only adds the neighbour sums.
constexpr double kNoRelaxation = 1.0;

bool Unsteady() { return TimeStep > kUnsteadyTimeStep; }

// The components cover every cell while the flow may work on part of the
// grid: the flow's range is put back when the components are done.
class WholeGridRange {
public:
    WholeGridRange()
        : firstCell_(FirstCell), lastCell_(LastCell), firstSurface_(FirstSurface), lastSurface_(LastSurface) {
        FirstCell = 1;
        LastCell = NoCells;
        FirstSurface = 1;
        LastSurface = NoSurfaces;
    }
    ~WholeGridRange() {
        FirstCell = firstCell_;
        LastCell = lastCell_;
        FirstSurface = firstSurface_;
        LastSurface = lastSurface_;
    }
    WholeGridRange(const WholeGridRange&) = delete;
    WholeGridRange& operator=(const WholeGridRange&) = delete;

private:
    int firstCell_, lastCell_, firstSurface_, lastSurface_;
};

// Cells linked across a block boundary carry the flow of their partner.
void TakeLinkedFlow() {
    if (!Clink.exists()) return;
    for (int c = 1; c <= NoCells; ++c) {
        const int l = Clink[c];
        if (!IsGridCell(l)) continue;
        for (Array1<double>* a : {&Cu, &Cv, &Cw, &Ck, &Cepsilon, &Pres, &Ceddyvisc}) (*a)[c] = (*a)[l];
    }
}

void DesignateRow(FieldRef<double>& ref, Array2<double>& a, int row) {
    ref.designate(a.data() + static_cast<size_t>(row) * a.extent2(), a.extent2());
}

// The far coefficients follow K 6 of the equation number held when the
// component's equation is built: 8 for the first two components, then the
// number of the component before.
void AssembleComponent(int component) {
    const bool far = ConvectionScheme[Equation] == 1 && FarArraysExist();
    for (int c = 1; c <= NoCells; ++c) {
        Cap[c] = 0.0;
        Csource[c] = 0.0;
    }
    DesignateRow(Cf, Components, component);
    AddSplitFaceSums(1, NoCells, far);
    CompleteCellEquations(1, NoCells, kNoRelaxation, Cf.data(), far);
    Equation = kFirstComponentEquation + component;
    if (NoBoundaryCells > 0) AddBlockInterfaceSources();
    ComputeComponentSources();
    if (Unsteady() && ComponentsOld.exists() && static_cast<size_t>(component) < ComponentsOld.extent1() &&
        ComponentsOld.extent2() > static_cast<size_t>(NoCells)) {
        DesignateRow(Cf_old, ComponentsOld, component);
        for (int c = 1; c <= NoCells; ++c) {
            const double storage = 1000.0 * Cvol[c] / TimeStep;
            Cap[c] += storage;
            Csource[c] += storage * Cf_old[c];
        }
    }
    DesignateRow(Cf, Components, component);
}

}  // namespace

void SolveWaterQualityComponents(int pass) {
    if (NoComponents <= 0 || !Components.exists() || Components.extent2() <= static_cast<size_t>(NoCells)) return;
    const WholeGridRange range;
    if (NoBoundaryCells > 0) TakeLinkedFlow();
    Equation = kFirstComponentEquation;
    ComputeEddyViscosity(1, NoCells);
    ComputeSurfaceFluxes(1, NoSurfaces);
    ComputeConvectionDiffusionCoefficients(1, NoSurfaces);
    const int components = std::min(NoComponents, static_cast<int>(Components.extent1()));
    for (int component = 0; component < components; ++component) {
        AssembleComponent(component);
        SolveEquation();
        SolveEquation();
    }
    if (FlagTSC == 0 && CompresInterval != 0 && pass == NoIterPerStep && IsMultipleOf(Iter, CompresInterval)) {
        WriteCompresFile();
    }
}
