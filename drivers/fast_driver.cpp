// The fast water-flow driver (F 170 >= 1): one set of neighbour coefficients
// per pass serves U, V, W, k and epsilon, whose diagonals and sources the
// five-field kernels build and one sweep solves together. The pressure
// correction, the free surface, the components and the results are those of
// the default driver. It decides convergence inline, with a report of its
// own, and opens no parallel region of its own.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "drivers/convergence.h"
#include "drivers/fast_kernels.h"
#include "drivers/flow_drivers.h"
#include "drivers/log_lines.h"
#include "drivers/residuals.h"
#include "drivers/water_pass.h"
#include "flow/flow_services.h"
#include "grid/grid_services.h"
#include "output/output_services.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/guarded_read.h"
#include "run/log.h"
#include "run/status.h"
#include "solver/solver_services.h"
#include "surface/surface_services.h"

namespace {

constexpr double kUnsteadyTimeStep = 1e-8;
constexpr double kConverged = 0.001;
constexpr double kRelativeContinuityLimit = 1e-6;
constexpr double kSurfaceResidual = 1e6;
constexpr double kLeastPivot = 1e-30;
constexpr double kPivotReplacement = 1e30;
constexpr double kLeastEpsilon = 1e-16;
constexpr char kPassModuleName[] = " DE-Voru             ";

bool Unsteady() { return TimeStep > kUnsteadyTimeStep; }

void StartUp() {
    metric();
    if (RoughnessOption > 0 && NoBedCells == 0) UpdateWaterColumnsAfterRegrid();
    InitialiseFlowRun();
    if (FlagTSC == 0) SetActiveCellRange();
    CheckActiveRange();
    if (FlowInitialisedFlag == 0) ComputeSurfaceFluxes(FirstSurface, LastSurface);
    FlowInitialisedFlag = 1;
    if (FlagTSC == 0 && FreeSurfaceOption >= 2 && FreeSurfaceOption <= 10 && NoBedCells == 0) {
        UpdateWaterColumnsAfterRegrid();
    }
    if (NoTimeoRecords > 0 && FlagTSC == 0) CreateEmptyTimeo();
    if (FlagTSC == 0 && Unsteady()) stime = 0.0;
    const int last = std::min(NoBlocks, kMaxBlocks);
    if (MultigridChoice > 0 && last >= 1 && BlockTable[last].depthAveraged == 0) BuildMultigridLevels();
}

void SetPassRange() {
    if (NoGridLevels != 0) return;
    FirstCell = FirstSurface = 1;
    if (NoBoundaryCells == 0) {
        LastCell = NoCells;
        LastSurface = NoSurfaces;
        return;
    }
    for (int b = 1; b <= std::min(NoBlocks, kMaxBlocks); ++b) {
        const BlockRecord& r = BlockTable[b];
        if (r.depthAveraged != 0) continue;
        LastCell = r.lastCell;
        LastSurface = r.lastSurface;
    }
}

void ZeroNeighbourCoefficients(bool far) {
    for (Array1<double>* a : {&Cae, &Caw, &Can, &Cas, &Cat, &Cab}) {
        for (int c = FirstCell; c <= LastCell; ++c) (*a)[c] = 0.0;
    }
    if (!far) return;
    for (Array1<double>* a : {&Caee, &Caww, &Cann, &Cass, &Catt, &Cabb}) {
        for (int c = FirstCell; c <= LastCell; ++c) (*a)[c] = 0.0;
    }
}

Array1<double>* const kFields[kFastRows] = {&Cu, &Cv, &Cw, &Ck, &Cepsilon};
Array1<double>* const kOldFields[kFastRows] = {&Cu_old, &Cv_old, &Cw_old, &Ck_old, &Cepsilon_old};

void CopyFieldsIn() {
    for (int r = 0; r < kFastRows; ++r) {
        const Array1<double>& f = *kFields[r];
        for (int c = 1; c <= NoCells; ++c) CfMulti[r][c] = f[c];
        for (int c = FirstCell; c <= LastCell; ++c) InvApMulti[r][c] = CsourceMulti[r][c] = 0.0;
    }
}

void CopyFieldsBack() {
    for (int r = 0; r < kFastRows; ++r) {
        Array1<double>& f = *kFields[r];
        for (int c = 1; c <= NoCells; ++c) f[c] = CfMulti[r][c];
    }
    for (int c = FirstCell; c <= LastCell; ++c) {
        Ck[c] = std::max(Ck[c], MinK);
        Cepsilon[c] = std::max(Cepsilon[c], kLeastEpsilon);
    }
}

void AddTransientRows() {
    if (!Unsteady()) return;
    for (int r = 0; r < kFastRows; ++r) {
        const Array1<double>& old = *kOldFields[r];
        if (!old.exists()) continue;
        for (int c = FirstCell; c <= LastCell; ++c) {
            const double t = 1000.0 * Cvol[c] / TimeStep;
            InvApMulti[r][c] += t;
            CsourceMulti[r][c] += t * old[c];
        }
    }
}

// Neighbour sums, relaxation and the inverse of every row. Only the active
// range was assembled; a vanishing diagonal (a cell without neighbour
// coefficients) is taken as a fixed value instead of 1/0.
void CompleteAndInvertRows(bool far) {
    const double relax[kFastRows] = {RelaxVelocity, RelaxVelocity, RelaxVelocity, RelaxK, RelaxEps};
    for (int c = FirstCell; c <= LastCell; ++c) {
        double s = Can[c] + Cas[c] + Cae[c] + Caw[c] + Cat[c] + Cab[c];
        if (far) s += Cann[c] + Cass[c] + Caee[c] + Caww[c] + Catt[c] + Cabb[c];
        for (int r = 0; r < kFastRows; ++r) {
            double ap = (InvApMulti[r][c] + s) / relax[r];
            CsourceMulti[r][c] += (1.0 - relax[r]) * (*kFields[r])[c] * ap;
            if (!(std::fabs(ap) >= kLeastPivot)) ap = kPivotReplacement;
            InvApMulti[r][c] = 1.0 / ap;
        }
        CinvAp[c] = InvApMulti[0][c];
    }
}

void AssembleAndSolveFiveFields() {
    Equation = 1;
    const bool far = ConvectionScheme[1] == 1 && FarArraysExist();
    ComputeEddyViscosity(FirstCell, LastCell);
    ZeroNeighbourCoefficients(far);
    ComputeConvectionDiffusionCoefficients(FirstSurface, LastSurface);
    CopyFieldsIn();
    ComputeKEpsilonSourcesFast();
    if (!(TurbulenceModel >= 4 && TurbulenceModel <= 7)) ComputeWallLawsFast();
    ComputePressureGradients();
    SetInflowBoundaryConditionsFast();
    AddTransientRows();
    CompleteAndInvertRows(far);
    CheckResidualFast();
    CoefficientsInitialisedFlag = 1;
    SolveFiveFields();
    CopyFieldsBack();
}

void IsolatedCellDampingTerms() {
    if (IsolatedCellDamping == 0) return;
    for (int c = FirstCell; c <= LastCell; ++c) {
        const int sideways = (Ccelle[c] > 0) + (Ccells[c] > 0) + (Ccelln[c] > 0) + (Ccellw[c] > 0);
        if (sideways <= 1 && Ccellt[c] <= 0 && Ccellb[c] <= 0) Cap[c] += IsolatedCellDamping * Cvol[c];
    }
}

void SolvePressureCorrectionFast(int pass) {
    ComputeFaceValuesParallel();
    ComputeMassDefectSource();
    if (NoBoundaryCells > 0) AddBlockInterfaceSources();
    for (int c = FirstCell; c <= LastCell; ++c) {
        const double sum = Can[c] + Cas[c] + Cae[c] + Caw[c] + Cat[c] + Cab[c];
        Cap[c] = sum < kLeastPivot ? 1.0 : sum;
    }
    IsolatedCellDampingTerms();
    MaxResidual[4] = 0.0;
    ComputeResidual(FirstCell, LastCell);
    for (int c = FirstCell; c <= LastCell; ++c) {
        Cf[c] = 0.0;
        Cwork[c] = 0.0;
    }
    AccelerateEquation(pass);
    SolveEquation();
    if (SupercriticalAveragingFlag == 1) AverageSupercriticalColumns();
    WriteSnapshot("Before SIMPLE-corrections", pass);
    PausePoint(3);
    ApplySimpleCorrections(pass, FirstSurface, LastSurface, FirstCell, LastCell);
    LimitBoundarySlopes();
    PausePoint(4);
    WriteSnapshot("After SIMPLE-corrections", pass);
    if (ColumnFluxOption > 0) ComputeColumnVerticalFluxes();
    if (NoBoundaryCells > 0 && BlockLinkWeight > 1e-8) BlendLinkedVelocities();
    SummariseContinuity();
}

bool SurfaceDueInPass(int pass, double resMax) {
    if (pass != NoIterPerStep || !(resMax < kSurfaceResidual) || SurfaceUpdateFlag != 1) return false;
    return FlagTSC == 0 || (Iter != 0 && IsMultipleOf(Iter, SurfaceInterval));
}

void WriteReport(int pass) {
    if (pass != NoIterPerStep || PrintSkip != 0) return;
    LogLines out;
    out.add("Iter: %d, Resid: %8.2e %8.2e %8.2e %8.2e %8.2e %8.2e\n", Iter, MaxResidual[1], MaxResidual[2],
            MaxResidual[3], MaxResidual[4], MaxResidual[5], MaxResidual[6]);
    const int c = DefMaxCell;
    out.add("Cont: %8.2e, DefMax: %8.2e, U,V,W(%d): %8.2e %8.2e %8.2e\n", ContDefect, DefMax, c, ValueAt(Cu, c),
            ValueAt(Cv, c), ValueAt(Cw, c));
    AddMonitorLine(out);
    out.flush();
}

enum class PassEnd { kGoOn, kReturn };

// The report and the decisions after every pass.
PassEnd ReportAndDecide(int pass, double* resMax) {
    PointAtEntryFields();
    if (!LogAvailable()) FailLogUnavailable();
    const int equation = LargestResidualEquation();
    *resMax = ResMax;
    WriteReport(pass);
    SetStatusText("%d ResMax: %8.2e for eq: %d", Iter, ResMax, equation);
    if (ResMax < kConverged && TimeStep < kUnsteadyTimeStep) {
        LogAppend("Solution converged\n");
        SetStatusText("Solution converged  ");
        WaterFlowActiveFlag = 0;
        WriteResults();
        return PassEnd::kReturn;
    }
    // A residual that is not a number has diverged as surely as a large one.
    if (ResMax > DivergenceLimit || std::isnan(ResMax)) {
        LogAppend("Solution diverged\n");
        SetStatusText("Solution diverged  ");
        FlowFailedFlag = 1;
        WaterFlowActiveFlag = 0;
        return PassEnd::kReturn;
    }
    if (std::fabs(ContDefect) / ResidualScale[4] > kRelativeContinuityLimit && FreeSurfaceOption == 0 &&
        F85Flag == 0) {
        LogAppend("Error in continuity\n");
        SetStatusText("Error in continuity  ");
        WaterFlowActiveFlag = 0;
        FlowFailedFlag = 1;
        return PassEnd::kReturn;
    }
    ReferenceCellSurfaceUpdate(ResMax);
    return PassEnd::kGoOn;
}

bool ResultsDueInPass(int pass) { return pass == NoIterPerStep && ResultsDue(); }

// One inner pass; kReturn when the call ends with it.
PassEnd RunFastPass(int pass, double* resMax) {
    SetModuleName(kPassModuleName);
    SetPassRange();
    if (GridChangedFlag == 1) RebuildAfterGridChange();
    AssembleAndSolveFiveFields();
    Equation = 4;
    PointAtEntryFields();
    ComputeSurfaceFluxes(FirstSurface, LastSurface);
    if (FreeSurfaceOption == 6 && SurfaceDueInPass(pass, *resMax)) {
        surface();
        return PassEnd::kReturn;
    }
    SolvePressureCorrectionFast(pass);
    if (NoComponents > 0) SolveWaterQualityComponents(pass);
    if (ResultsDueInPass(pass)) {
        std::snprintf(ResultTitle, sizeof ResultTitle, "Written from watersolve_fast");
        WriteResults();
    }
    return ReportAndDecide(pass, resMax);
}

void FreeSurfaceAfterIteration(double resMax) {
    if (FreeSurfaceOption < 2 || FreeSurfaceOption > 10 || FreeSurfaceOption == 6) return;
    if (!(resMax < kSurfaceResidual) || SurfaceUpdateFlag != 1) return;
    if (FlagTSC == 0 || (Iter != 0 && IsMultipleOf(Iter, SurfaceInterval))) surface();
}

}  // namespace

int watersolve_fast() {
    // Its kernels take the six ordinary neighbours of every cell.
    if (SplitFaceFlag > 0) {
        FailWithLog(kSplitFaceCombinationStatus,
                    "Error: the split faces of F 137 cannot be combined with the fast solver of F 170\n");
    }
    if (!FastArraysReady()) {
        FailWithLog(-1, "Error: the arrays of the fast solver (F 170) are not allocated for %d cells\n", NoCells);
    }
    StartUp();
    const int bound = OuterIterationBound();
    double resMax = kResidualBeforeFirstPass;
    for (int n = 1; n <= bound; ++n) {
        if (FlagTSC == 0 && NoGridLevels == 0) Iter = n;
        if (NoGridLevels == 0) {
            FirstCell = FirstSurface = 1;
            LastCell = NoCells;
            LastSurface = NoSurfaces;
        }
        if (FlagTSC == 0) PrintSkip = PrintSkipFor(Iter);
        if (Unsteady()) BeginTimeStep();
        WriteTimeoWhenDue();
        for (int pass = 1; pass <= NoIterPerStep; ++pass) {
            if (RunFastPass(pass, &resMax) == PassEnd::kReturn) return 0;
            if (Unsteady() && resMax < InnerConvergence) break;
        }
        if (TimeAveragingOption > 0) AddTrendSample();
        FreeSurfaceAfterIteration(resMax);
    }
    WaterFlowActiveFlag = 0;
    return 0;
}
