// The start of an inner pass of WaterSolve and its momentum step: the
// coefficients shared by U, V and W, then each component's sources,
// assembly, relaxation and solve.
//
// Both paths, serial and chunked, add the same terms in the same order, so
// the physics does not depend on F 206: the chunked path runs the cell-local
// steps in parallel regions and every step that reaches across chunks
// serially between them.
#include <omp.h>

#include <algorithm>
#include <atomic>
#include <cmath>

#include "drivers/flow_drivers.h"
#include "drivers/momentum_sources.h"
#include "drivers/residuals.h"
#include "drivers/water_pass.h"
#include "flow/face_interpolation.h"
#include "flow/flow_services.h"
#include "grid/grid_services.h"
#include "run/globals.h"
#include "run/region_fatal.h"
#include "run/run_services.h"
#include "run/status.h"
#include "solver/solver_services.h"

namespace {

constexpr double kUnsteadyTimeStep = 1e-8;
constexpr double kLeastCap = 1e-30;
constexpr double kLargestCap = 1e20;
constexpr double kThinColumnRatio = 0.01;
constexpr char kPassModuleName[] = " DE-Voru             ";

// G 50 integers of the momentum step.
constexpr int kSwitchMomentumCoefficients = 1;
constexpr int kSwitchMomentumAssembly = 2;

bool Unsteady() { return TimeStep > kUnsteadyTimeStep; }
bool SecondOrder(int eq) { return ConvectionScheme[eq] == 1; }

// ---- Momentum coefficients ----------------------------------------------

void ZeroNeighbourCoefficients(int first, int last, bool far) {
    for (Array1<double>* a : {&Cae, &Caw, &Can, &Cas, &Cat, &Cab}) {
        for (int c = first; c <= last; ++c) (*a)[c] = 0.0;
    }
    if (!far || !FarArraysExist()) return;
    for (Array1<double>* a : {&Caee, &Caww, &Cann, &Cass, &Catt, &Cabb}) {
        for (int c = first; c <= last; ++c) (*a)[c] = 0.0;
    }
}

void ResetMomentumCoefficients(int first, int last) {
    ComputeEddyViscosity(first, last);
    ZeroNeighbourCoefficients(first, last, SecondOrder(1));
    if (CoefficientCheckOption > 0) MarkCoefficientsUnset(first, last);
}

void ConvectionDiffusionOverActiveSurfaces(bool parallel) {
    if (parallel) {
        RunOverRange(true, FirstSurface, LastSurface, ComputeConvectionDiffusionRange);
        FinishConvectionDiffusion(FirstSurface, LastSurface);
    } else {
        ComputeConvectionDiffusionCoefficients(FirstSurface, LastSurface);
    }
}

}  // namespace

void BuildMomentumCoefficients() {
    Equation = 1;
    const bool parallel = StepRunsInParallel(kSwitchMomentumCoefficients);
    RunOverRange(parallel, FirstCell, LastCell, ResetMomentumCoefficients);
    if (CoefficientsInitialisedFlag == 1) {
        if (parallel) {
            RunOverRange(true, FirstSurface, LastSurface, ComputeSurfaceFluxRange);
            FinishSurfaceFluxes();
        } else {
            ComputeSurfaceFluxes(FirstSurface, LastSurface);
        }
    }
    if (TrekantOption >= 8 && TrekantOption <= 23) RelaxTrekantFluxes(FirstCell, LastCell);
    if (SecondOrder(1)) {
        RunOverRange(parallel, FirstSurface, LastSurface, ComputeSecondOrderCoefficients);
        // The solvers read the split-face lists whatever pass built the
        // coefficients; without this they would hold the previous equation's.
        if (SplitFaceFlag > 0) ComputeMultiNeighbourCoefficients();
    } else {
        ConvectionDiffusionOverActiveSurfaces(parallel);
    }
    Stamp(3);
    if (CoefficientCheckOption == 1) CheckCoefficientSigns();
}

// ---- Sources ----------------------------------------------------------------

void DesignateVelocityField(int eq) {
    Array1<double>* fields[3] = {&Cu, &Cv, &Cw};
    Array1<double>* olds[3] = {&Cu_old, &Cv_old, &Cw_old};
    Array1<double>* olds2[3] = {&Cu_old2, &Cv_old2, &Cw_old2};
    Cf.designate(*fields[eq - 1]);
    Cf_old.designate(*olds[eq - 1]);
    if (TimeOrder >= 1) Cf_old2.designate(*olds2[eq - 1]);
}

void PressureGradientWithOption(int option, int first, int last) {
    const int kept = PressureGradientOption;
    PressureGradientOption = option;
    AddPressureGradientForce(first, last);
    PressureGradientOption = kept;
}

void ClearAndAddWallSources(int first, int last) {
    for (int c = first; c <= last; ++c) {
        Cap[c] = 0.0;
        Csource[c] = 0.0;
    }
    ApplyWallLaws(first, last);
    if (LayerBlockOption == 0) AddPressureGradientForce(first, last);
}

namespace {

// A diffusive coupling of the cell above each bed cell of the layer block
// to its bottom face.
void AddBlockFluxSource() {
    int block = 0;
    for (int b = std::min(NoBlocks, kMaxBlocks); b >= 1 && block == 0; --b) {
        if (BlockTable[b].layerBlock == 1) block = b;
    }
    if (block == 0 || BlockTable[block].lastColumn == 0) return;
    for (int b = BlockTable[block].firstColumn; b <= BlockTable[block].lastColumn; ++b) {
        const int c = Ccellt[Bcellt[b]];
        if (c == 0) continue;
        Cap[c] += Farea[Csurfb[c]] * Ceddyvisc[c] / Ckdist[c];
    }
}


// With a layer block the soil and the water blocks take their own variants
// of the pressure gradient.
void AddLayerBlockPressureGradient() {
    if (FlagTSC < 1 || NoBlockSelectionValues < 1) {
        AddBlockFluxSource();
        PressureGradientWithOption(5, BlockTable[1].firstCell, BlockTable[1].lastCell);
        if (NoBlocks >= 2) PressureGradientWithOption(6, BlockTable[2].firstCell, BlockTable[2].lastCell);
        return;
    }
    if (AppendedBlockFlag != 0) AddBlockFluxSource();
    PressureGradientWithOption(AppendedBlockFlag == 0 ? 5 : 6, FirstCell, LastCell);
}

}  // namespace

void Stamp(int slot) { TimingMarks[slot] = omp_get_wtime(); }

bool FarArraysExist() {
    return Caee.exists() && Caww.exists() && Cass.exists() && Cann.exists() && Catt.exists() && Cabb.exists();
}

void RunOverRange(bool parallel, int first, int last, void (*work)(int, int)) {
    if (parallel) {
        RunInChunks(first, last, NoThreads, work);
        ReportRegionFatal();
    } else {
        work(first, last);
    }
}

double SumOverChunks(int first, int last, double (*work)(int, int)) {
    const int chunks = NoThreads;
    double sum = 0.0;
    const int threads = ThreadsForItems(last - first + 1, chunks);
#pragma omp parallel for num_threads(threads) schedule(static, 1) reduction(+ : sum) if (threads > 1)
    for (int n = 0; n < chunks; ++n) {
        const ChunkBounds b = Chunk(first, last, chunks, n);
        if (b.first <= b.last) sum += work(b.first, b.last);
    }
    ReportRegionFatal();
    return sum;
}

void AddSplitFaceSums(int first, int last, bool far) {
    if (SplitFaceFlag <= 0 || !Cnocellse.exists() || !CaMultiE.exists()) return;
    far = far && CbMultiE.exists();
    struct Side {
        Array1<int>* count;
        Array2<double>* a;
        Array2<double>* b;
    };
    const Side sides[4] = {{&Cnocellse, &CaMultiE, &CbMultiE},
                           {&Cnocellsw, &CaMultiW, &CbMultiW},
                           {&Cnocellsn, &CaMultiN, &CbMultiN},
                           {&Cnocellss, &CaMultiS, &CbMultiS}};
    for (int c = first; c <= last; ++c) {
        for (const Side& s : sides) {
            const int m = std::min<int>((*s.count)[c], static_cast<int>(s.a->extent2()));
            for (int i = 0; i < m; ++i) {
                Cap[c] += (*s.a)[c][i];
                if (far) Cap[c] += (*s.b)[c][i];
            }
        }
    }
}

void FormTransientInverse(int first, int last) {
    if (!CinvAp_transient.exists()) return;
    // The inverse of the transient and source part alone; a cell without
    // one (a steady run) gets no correction from it rather than 1/0.
    for (int c = first; c <= last; ++c) CinvAp_transient[c] = Cap[c] > 0.0 ? RelaxVelocity / Cap[c] : 0.0;
}

void CompleteMomentumCells(int first, int last) {
    if (first > last) return;
    if (F74Flag == 0 && Unsteady()) AddTransientTerms(first, last);
    if (DeadEndCellFlag == 1 && CdeadEndFlag.exists()) {
        for (int c = first; c <= last; ++c) {
            if (CdeadEndFlag[c] == 1) Cap[c] += 1000.0 * Cvol[c];
        }
    }
    if (SchemeVariant == 1 && Equation == 1) FormTransientInverse(first, last);
    const bool far = SecondOrder(Equation) && FarArraysExist();
    AddSplitFaceSums(first, last, far);
    CompleteCellEquations(first, last, RelaxVelocity, Cf.data(), far);
    if (TrekantOption == 11 && Ctrekant.exists()) {
        for (int c = first; c <= last; ++c) {
            if (Ctrekant[c] > 0) DoubleCentreCoefficient(c);
        }
    }
    if (F291Int2 == 1 || F291Int2 == 2) {
        for (int c = first; c <= last; ++c) {
            if ((F291Int2 == 2 || AloneInColumn(c)) && WideColumn(c)) DoubleCentreCoefficient(c);
        }
    }
}

namespace {

std::atomic<int> g_out_of_range_cell{0};

void NoteOutOfRange(int c) {
    int seen = g_out_of_range_cell.load(std::memory_order_relaxed);
    while ((seen == 0 || c < seen) && !g_out_of_range_cell.compare_exchange_weak(seen, c, std::memory_order_relaxed)) {
    }
}

double ResidualOfRange(int first, int last) { return first > last ? 0.0 : ComputeResidualRange(first, last); }

double InverseAndResidualOfRange(int first, int last) {
    FormInverseCoefficients(first, last);
    return ResidualOfRange(first, last);
}

void AssembleVelocityEquation(int eq) {
    const bool parallel = StepRunsInParallel(kSwitchMomentumAssembly);
    RunOverRange(parallel, FirstCell, LastCell, ClearAndAddWallSources);
    if (LayerBlockOption > 0) AddLayerBlockPressureGradient();
    Stamp(5);
    SetMomentumBoundarySources();
    AddMomentumForces(eq);
    Stamp(6);
    DesignateVelocityField(eq);
    RunOverRange(parallel, FirstCell, LastCell, CompleteMomentumCells);
    if (F291Int2 == 3) DoubleAroundWideColumns();
    if (F74Flag != 0 && Unsteady()) RunOverRange(parallel, FirstCell, LastCell, AddTransientTerms);
    if (BlockInterfaceOption >= 11 && BlockInterfaceOption <= 19) CopyBlockBoundaryValues();
    if (parallel) {
        const double sum = SumOverChunks(FirstCell, LastCell, eq == 1 ? InverseAndResidualOfRange : ResidualOfRange);
        ReportOutOfRangeCap();
        if (eq == 1 && F327Option == 1) AverageThinColumnInverses();
        StoreResidualSum(sum);
    } else {
        if (eq == 1) {
            FormInverseCoefficients(FirstCell, LastCell);
            ReportOutOfRangeCap();
            if (F327Option == 1) AverageThinColumnInverses();
        }
        MaxResidual[eq] = 0.0;
        ComputeResidual(FirstCell, LastCell);
    }
}

}  // namespace

bool StepRunsInParallel(int step) {
    if (NoThreads <= 0) return false;
    const int sw = OpenMPSwitches[step];
    // Integers 0, 2 and 9 make their step serial at any value but 0; the
    // others only at 1.
    if (step == 0 || step == 2 || step == 9) return sw == 0;
    return sw != 1;
}

Acceleration AccelerationFor(int v, int pass, int iter, bool turbulence) {
    const bool first = pass == 1;
    const bool veryFirst = first && iter == 1;
    if (v >= 10 && v <= 12) {
        const bool due = v == 10 || (!turbulence && ((v == 11 && first) || (v == 12 && veryFirst)));
        return due ? Acceleration::kMultigrid : Acceleration::kNone;
    }
    const bool block = v == 1 || (v == 2 && first) || (v == 3 && veryFirst);
    return block ? Acceleration::kBlockCorrection : Acceleration::kNone;
}

void AccelerateEquation(int pass) {
    const bool turbulence = Equation == 5 || Equation == 6;
    switch (AccelerationFor(SolverAcceleration[Equation], pass, Iter, turbulence)) {
        case Acceleration::kMultigrid:
            if (MultigridChoice > 0) SolveMultigrid3D();
            break;
        case Acceleration::kBlockCorrection: ApplyBlockCorrection(); break;
        case Acceleration::kNone: break;
    }
}

void PointAtEntryFields() {
    Cf.designate(CfHome);
    Cf_old.designate(Cf_oldHome);
}

void MarkCoefficientsUnset(int first, int last) {
    for (Array1<double>* a : {&Cae, &Caw, &Can, &Cas, &Cat, &Cab}) {
        for (int c = first; c <= last; ++c) (*a)[c] = -10.0;
    }
    if (!SecondOrder(1) || CoefficientCheckOption != 2 || !FarArraysExist()) return;
    for (Array1<double>* a : {&Caee, &Caww, &Cann, &Cass, &Catt, &Cabb}) {
        for (int c = first; c <= last; ++c) (*a)[c] = -10.0;
    }
}

void FormInverseCoefficients(int first, int last) {
    for (int c = first; c <= last; ++c) {
        const double ap = Cap[c];
        // Also a coefficient that is not a number: it would spread NaN
        // through every face flux of the pressure correction.
        if (!(ap >= kLeastCap && ap <= kLargestCap)) {
            NoteOutOfRange(c);
            continue;
        }
        CinvAp[c] = 1.0 / ap;
    }
}

void ReportOutOfRangeCap() {
    const int c = g_out_of_range_cell.exchange(0, std::memory_order_relaxed);
    if (c != 0) DumpNegativeCapCell(c);
}

void AverageThinColumnInverses() {
    for (int bed = FirstCell; bed <= LastCell; ++bed) {
        if (Ccellb[bed] != 0) continue;
        if (!(Ckdist[bed] / std::sqrt(Fareaz[Csurfb[bed]]) < kThinColumnRatio)) continue;
        double sum = 0.0;
        int count = 0;
        for (int c = bed; c > 0 && count < NoCells; c = Ccellt[c]) {
            sum += CinvAp[c];
            ++count;
        }
        const double mean = sum / count;
        int walked = 0;
        for (int c = bed; c > 0 && walked < count; c = Ccellt[c], ++walked) CinvAp[c] = mean;
    }
}

namespace {

void BlendWithOldValues(int first, int last, double keep, bool (*selected)(int)) {
    for (int c = first; c <= last; ++c) {
        if (selected(c)) Cf[c] = keep * Cf[c] + (1.0 - keep) * Cf_old[c];
    }
}

bool HasTrekantCode(int c) { return Ctrekant[c] > 0; }
bool WideColumnCell(int c) { return WideColumn(c); }
bool WideColumnAlone(int c) { return AloneInColumn(c) && WideColumn(c); }

}  // namespace

void SolveVelocityEquation(int pass) {
    Stamp(7);
    CoefficientsInitialisedFlag = 1;
    if (BugtrapIter + 1 == Iter && pass < 3 && BugtrapCell != 0) DumpBugtrapCell(pass);
    AccelerateEquation(pass);
    Stamp(8);
    SolveEquation();
    if (Cf_old.exists() && OldFieldsFollowIterations()) {
        if (TrekantOption == 10 && Ctrekant.exists()) {
            BlendWithOldValues(FirstCell, LastCell, 1.0 - TrekantValueRelax, HasTrekantCode);
        }
        if (F291Int1 == 1) BlendWithOldValues(FirstCell, LastCell, 0.5, WideColumnCell);
        if (F291Int1 == 2) BlendWithOldValues(FirstCell, LastCell, 0.2, WideColumnAlone);
    }
    if (BlockInterfaceOption >= 1 && BlockInterfaceOption <= 9) AverageBlockInterfaces();
    Stamp(9);
}

// The coefficients are shared by U, V and W; a component whose K 6 scheme
// differs from the one before it gets them anew.
void RefreshCoefficients(int eq) {
    const bool serial =
        NoThreads == 0 || OpenMPSwitches[kSwitchMomentumCoefficients] == 1 || SecondOrder(eq);
    ConvectionDiffusionOverActiveSurfaces(!serial);
}

void SolveMomentumEquations(int pass) {
    Stamp(2);
    BuildMomentumCoefficients();
    for (int eq = 1; eq <= 3; ++eq) {
        if (eq == 3 && ColumnFluxOption != 0) break;
        Equation = eq;
        DesignateVelocityField(eq);
        if (eq > 1 && ConvectionScheme[eq] != ConvectionScheme[eq - 1]) RefreshCoefficients(eq);
        Stamp(4);
        AssembleVelocityEquation(eq);
        SolveVelocityEquation(pass);
    }
}

void RebuildAfterGridChange() {
    Equation = 1;
    GridChangedFlag = 0;
    metric();
    InitialiseFlowRun();
    SetInflowBoundaryConditions();
    ComputeSurfaceFluxes(FirstSurface, LastSurface);
}

bool RunInnerPass(int pass, double* largestResidual) {
    SetModuleName(kPassModuleName);
    Stamp(1);
    if (GridChangedFlag == 1) RebuildAfterGridChange();
    if (AppendedBlockFlag == 1) RunLayerBlockTasks(pass);
    if (SchemeVariant == 2 || SchemeVariant == 4 || SchemeVariant == 5) SolvePseudoVelocityStep(pass);
    if (DebugOption == 'A') CheckGridNeighbours();
    if (SchemeVariant != 5) SolveMomentumEquations(pass);
    const bool goOn = SolvePressureCorrectionAndTurbulence(pass, largestResidual);
    PointAtEntryFields();
    return goOn;
}
