// The second half of an inner pass of WaterSolve: the pressure correction
// with the SIMPLE corrections, the k and epsilon equations and the largest
// residual of the pass.
//
// As in the momentum step, the chunked path runs only the cell-local work in
// parallel regions; everything that reaches across chunks runs serially
// between them.
#include <omp.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "flow/cell_chunks.h"
#include "drivers/flow_drivers.h"
#include "drivers/residuals.h"
#include "drivers/water_pass.h"
#include "flow/face_interpolation.h"
#include "flow/flow_services.h"
#include "grid/grid_services.h"
#include "output/output_services.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/region_fatal.h"
#include "run/run_services.h"
#include "run/status.h"
#include "solver/solver_services.h"
#include "surface/surface_services.h"

namespace {

constexpr double kUnsteadyTimeStep = 1e-8;
constexpr double kLeastPressureCap = 1e-20;
constexpr double kLeastChunkPressureCap = 1e-30;
constexpr double kTopCellCap = 1e20;
constexpr double kLeastEpsilon = 1e-16;
constexpr double kNegligibleResidual = 1e-90;

// G 50 integers of these steps.
constexpr int kSwitchTurbulenceFaces = 0;
constexpr int kSwitchPressureFluxes = 3;
constexpr int kSwitchSimpleCorrections = 4;
constexpr int kSwitchKCoefficients = 5;
constexpr int kSwitchEpsilonCoefficients = 6;
constexpr int kSwitchPressureAssembly = 7;
constexpr int kSwitchTurbulenceAssembly = 9;

bool Unsteady() { return TimeStep > kUnsteadyTimeStep; }
bool FreeSurfaceTopCells() { return FreeSurfaceOption >= 13 && FreeSurfaceOption <= 19; }

// ---- Pressure-correction assembly ------------------------------------------

double TopCellWeight(int c) {
    const int below = Ccellb[c];
    const double k = Ckdist[c];
    const double sum = 2.0 * k + Ckdist[below];
    return sum > 0.0 ? k / sum : 0.0;
}

// The correction of a top cell is tied to the one below by a linear
// extrapolation to zero at the water surface.
void TieTopCells(int first, int last) {
    for (int c = first; c <= last; ++c) {
        if (Ccellt[c] != 0 || Ccellb[c] == 0) continue;
        Cap[c] = kTopCellCap;
        Cab[c] = kTopCellCap * TopCellWeight(c);
    }
}

double SumOfNeighbourCoefficients(int c) { return Cae[c] + Caw[c] + Can[c] + Cas[c] + Cat[c] + Cab[c]; }

bool LayerBlockBehindLastCell() {
    if (NoBlocks < 1) return false;
    const BlockRecord& r = BlockTable[std::min(NoBlocks, kMaxBlocks)];
    return r.layerBlock > 0 && r.firstCell < LastCell;
}

// The storage of the free surface in the pressure correction: the plan area
// of the column over the water it holds per pressure unit and time.
void AddSurfaceStorage(double timeFactor) {
    if (!Bdepth.exists() || !Unsteady() || timeFactor <= 0.0) return;
    for (int bed = FirstCell; bed <= LastCell; ++bed) {
        if (Ccellb[bed] != 0) continue;
        const int column = Cbedcell[bed];
        if (column < 0 || static_cast<size_t>(column) >= Bdepth.size()) continue;
        const double depth = Bdepth[column];
        // A dry column holds no water to store.
        if (!(depth > 0.0)) continue;
        const double s = 2.0 * Fareaz[Csurfb[bed]] / (TimeStep * timeFactor * 9810.0 * depth);
        int walked = 0;
        for (int c = bed; c > 0 && walked < NoCells; c = Ccellt[c], ++walked) {
            if (c >= FirstCell && c <= LastCell) Cap[c] += s * Ckdist[c];
        }
    }
}

void ApplyFreeSurfaceTerms() {
    if (FreeSurfaceOption <= 0) return;
    if (F296Option == 1) {
        for (int c = FirstCell; c <= LastCell; ++c) Csource[c] *= 0.5;
    }
    if (FreeSurfaceOption > 1 && F296Option == 2) AddSurfaceStorage(1.0);
    if (FreeSurfaceOption > 1 && F296Option == 3) AddSurfaceStorage(static_cast<double>(SurfaceInterval) * NoIterPerStep);
    if (F296Option == 4 && RelaxationFactors[4] > 0.0) {
        for (int c = FirstCell; c <= LastCell; ++c) {
            if (Ccellt[c] == 0) Cap[c] += Fareaz[Csurfb[c]] * 9.81 * 1000.0 / RelaxationFactors[4];
        }
    }
}

int HorizontalNeighbours(int c) {
    return (Ccellw[c] > 0) + (Ccells[c] > 0) + (Ccelle[c] > 0) + (Ccelln[c] > 0);
}

void AssemblePressureSerially() {
    static constexpr double kCapOffset[3] = {1e-6, 0.001, 1.0};
    for (int c = FirstCell; c <= LastCell; ++c) {
        Cap[c] = std::max(SumOfNeighbourCoefficients(c), kLeastPressureCap);
        if (F316Option >= 4 && F316Option <= 6) Cap[c] += kCapOffset[F316Option - 4];
    }
    if (FreeSurfaceTopCells()) TieTopCells(FirstCell, LastCell);
    if (AppendedBlockFlag == 1 && LayerBlockBehindLastCell()) {
        const BlockRecord& r = BlockTable[std::min(NoBlocks, kMaxBlocks)];
        if (r.firstCell <= r.lastCell) TieTopCells(r.firstCell, r.lastCell);
    }
    ApplyFreeSurfaceTerms();
    if (IsolatedCellDamping != 0) {
        for (int c = FirstCell; c <= LastCell; ++c) {
            if (HorizontalNeighbours(c) < 2 && Ccellt[c] == 0 && Ccellb[c] == 0) Cap[c] += IsolatedCellDamping * Cvol[c];
        }
    }
    MaxResidual[4] = 0.0;
    ComputeResidual(FirstCell, LastCell);
    for (int c = FirstCell; c <= LastCell; ++c) Cf[c] = 0.0;
}

double AssemblePressureChunk(int first, int last) {
    for (int c = first; c <= last; ++c) {
        const double sum = SumOfNeighbourCoefficients(c);
        Cap[c] = sum < kLeastChunkPressureCap ? 1.0 : sum;
    }
    if (FreeSurfaceTopCells()) TieTopCells(first, last);
    const double residual = ComputeResidualRange(first, last);
    for (int c = first; c <= last; ++c) Cf[c] = 0.0;
    return residual;
}

// ---- Around the solve -------------------------------------------------------

void SmoothTrekantCorrections() {
    if (!Ctrekant.exists()) return;
    Cf[0] = 0.0;
    for (int c = 1; c <= NoCells; ++c) {
        if (Ctrekant[c] == 0) continue;
        Cf[c] = 0.75 * Cf[c] + 0.125 * (Cf[Ccells[c]] + Cf[Ccelln[c]] + Cf[Ccelle[c]] + Cf[Ccellw[c]]);
    }
}

// The corrections are measured from the last cell of the grid, read afresh
// for every cell as it is lowered. Only the last cell itself changes that
// value, and it comes last, so every other cell takes the value from before
// the loop and the last cell its own, the same as cell by cell.
void ShiftToReference() {
    double* const f = Cf.data();
    const int reference = NoCells;
    const double shift = f[reference] + 0.001;
    const int last = std::min(LastCell, reference - 1);
    ForCellChunks(FirstCell, last, [f, shift](int first, int end, int) {
        for (int c = first; c <= end; ++c) f[c] -= shift;
    });
    if (FirstCell <= reference && reference <= LastCell) f[reference] -= f[reference] + 0.001;
}

// Each top cell takes the correction of the cell below, which is no top cell.
void TieTopCellPressures(int first, int last) {
    ForCellChunks(first, last, [](int from, int to, int) {
        for (int c = from; c <= to; ++c) {
            if (Ccellt[c] == 0 && Ccellb[c] != 0) Pres[c] = Pres[Ccellb[c]] * TopCellWeight(c);
        }
    });
}

void SimpleCorrectionChunks(int pass) {
    const int chunks = NoThreads;
    const int threads = ThreadsForItems(LastSurface - FirstSurface + 1, chunks);
#pragma omp parallel for num_threads(threads) schedule(static, 1) if (threads > 1)
    for (int n = 0; n < chunks; ++n) {
        const ChunkBounds s = Chunk(FirstSurface, LastSurface, chunks, n);
        const ChunkBounds c = Chunk(FirstCell, LastCell, chunks, n);
        ApplySimpleCorrections(pass, s.first, s.last, c.first, c.last);
    }
    ReportRegionFatal();
}

// The free-surface updates that sit inside the last pass; false when the
// update ended the call.
bool SurfaceHookDue(int pass, double previousResidual) {
    return pass == NoIterPerStep && previousResidual < 1e6 && SurfaceUpdateFlag == 1;
}

bool FreeSurfaceOptionSixHook(int pass, double previousResidual) {
    if (!SurfaceHookDue(pass, previousResidual)) return true;
    if (FreeSurfaceOption == 6 && Iter != 0 && (FlagTSC == 0 || IsMultipleOf(Iter, SurfaceInterval))) {
        surface();
        return false;
    }
    return true;
}

void FreeSurfaceOptionFiftyHook(int pass, double previousResidual) {
    if (!SurfaceHookDue(pass, previousResidual) || FreeSurfaceOption != 50) return;
    ComputeMassDefectSource();
    UpdateLevelsF36Fifty();
}

}  // namespace

void WriteSnapshot(const char* caption, int pass) {
    if (ResultStartIteration == 0 || ResultStartIteration >= Iter) return;
    std::snprintf(ResultTitle, sizeof ResultTitle, "%s %d", caption, pass);
    WriteResults();
}

// A batch run has no observer that could lift a pause, so a pause point is
// reported and the pass goes on. 100 and 101 ask for a pause later.
void PausePoint(int flag) {
    if (PauseFlag == flag) {
        SetStatusText("PauseFlag = %d", flag);
        LogAppend("PauseFlag = %d\n", flag);
    } else if (flag == 3 && PauseFlag == 100) {
        PauseFlag = 3;
    } else if (flag == 3 && PauseFlag == 101) {
        PauseFlag = 1;
    }
}

void BlendLinkedVelocities() {
    if (!Clink.exists()) return;
    const double w = BlockLinkWeight;
    for (int c = 1; c <= NoCells; ++c) {
        const int l = Clink[c];
        if (l == 0) continue;
        Cu[c] = w * Cu[l] + (1.0 - w) * Cu[c];
        Cv[c] = w * Cv[l] + (1.0 - w) * Cv[c];
        Cw[c] = w * Cw[l] + (1.0 - w) * Cw[c];
    }
}

namespace {

struct ContinuitySums {
    double sum = 0.0, largest = 0.0;
    int cell = 1;
};

ContinuitySums SumContinuity(int first, int last) {
    ContinuitySums s;
    for (int c = first; c <= last; ++c) {
        s.sum += Csource[c];
        if (std::fabs(Csource[c]) > s.largest) {
            s.largest = std::fabs(Csource[c]);
            s.cell = c;
        }
    }
    return s;
}

}  // namespace

// The chunks' sums are added in chunk order, so a run is repeatable at any
// thread count; the largest defect is the first of the largest, as cell by
// cell.
void SummariseContinuity() {
    static std::vector<ContinuitySums> parts;
    const size_t chunks = static_cast<size_t>(std::max(NoThreads, 1));
    if (parts.size() < chunks) parts.resize(chunks);
    std::fill(parts.begin(), parts.begin() + static_cast<std::ptrdiff_t>(chunks), ContinuitySums{});
    ForCellChunks(FirstCell, LastCell,
                  [](int first, int last, int n) { parts[static_cast<size_t>(n)] = SumContinuity(first, last); });
    ContDefect = 0.0;
    DefMax = 0.0;
    DefMaxCell = 1;
    for (size_t n = 0; n < chunks; ++n) {
        ContDefect += parts[n].sum;
        if (parts[n].largest > DefMax) {
            DefMax = parts[n].largest;
            DefMaxCell = parts[n].cell;
        }
    }
}

void ComputePressureCorrectionFluxes() {
    if (StepRunsInParallel(kSwitchPressureFluxes)) {
        RunOverRange(true, FirstSurface, LastSurface, ComputeSurfaceFluxRange);
        FinishSurfaceFluxes();
    } else {
        ComputeSurfaceFluxes(FirstSurface, LastSurface);
    }
}

void BuildAndSolvePressureCorrection(int pass) {
    Equation = 4;
    ComputeFaceValuesParallel();
    ComputeMassDefectSource();
    if (TrekantOption == 7 && Ctrekant.exists()) {
        for (int c = 1; c <= NoCells; ++c) {
            if (Ctrekant[c] != 0) Csource[c] *= 0.5;
        }
    }
    RestoreTransientInverse();
    Stamp(11);
    if (NoBoundaryCells > 0) AddBlockInterfaceSources();
    Stamp(12);
    if (StepRunsInParallel(kSwitchPressureAssembly)) {
        StoreResidualSum(SumOverChunks(FirstCell, LastCell, AssemblePressureChunk));
    } else {
        AssemblePressureSerially();
    }
    AccelerateEquation(pass);
    Stamp(13);
    if (SimpleCorrectionMode == 0) SolveEquation();
    Stamp(14);
}

void FinishPressureCorrection(int pass, bool blocking) {
    if (BugtrapIter + 1 == Iter && pass < 3 && BugtrapCell != 0) DumpBugtrapCell(pass);
    if (DebugStopOption >= 1 && DebugStopOption <= 99) DumpPressureCorrectionCell();
    if (HydrostaticPressureFlag == 0 && DebugStopOption == 0) ShiftToReference();
    if (SupercriticalAveragingFlag == 1) AverageSupercriticalColumns();
    WriteSnapshot("Before SIMPLE-corrections", pass);
    PausePoint(3);
    Stamp(15);
    if (StepRunsInParallel(kSwitchSimpleCorrections)) {
        SimpleCorrectionChunks(pass);
    } else {
        ApplySimpleCorrections(pass, FirstSurface, LastSurface, FirstCell, LastCell);
    }
    LimitBoundarySlopes();
    Stamp(16);
    PausePoint(4);
    WriteSnapshot("After SIMPLE-corrections", pass);
    if (ColumnFluxOption > 0) ComputeColumnVerticalFluxes();
    if (FreeSurfaceTopCells()) {
        TieTopCellPressures(FirstCell, LastCell);
        if (LayerBlockBehindLastCell() && NoBlocks >= 2) TieTopCellPressures(BlockTable[2].firstCell, BlockTable[2].lastCell);
    }
    if (blocking) ApplyVelocityBlocking();
    if (NoBoundaryCells > 0 && BlockLinkWeight > 1e-8) BlendLinkedVelocities();
    SummariseContinuity();
}

namespace {

bool SolvePressureCorrection(int pass, double previousResidual) {
    Equation = 4;
    PointAtEntryFields();
    ComputePressureCorrectionFluxes();
    Stamp(10);
    if (!FreeSurfaceOptionSixHook(pass, previousResidual)) return false;
    KeepVelocitiesBeforeCorrection();
    ExchangeTransientInverse();
    FreeSurfaceOptionFiftyHook(pass, previousResidual);
    BuildAndSolvePressureCorrection(pass);
    if (TrekantOption == 6) SmoothTrekantCorrections();
    FinishPressureCorrection(pass, AppendedBlockFlag > 0 && BlockingOption > 0);
    SecondPressureCorrector(pass);
    Stamp(17);
    return true;
}

// ---- k and epsilon ------------------------------------------------------------

bool SecondOrder() { return ConvectionScheme[Equation] == 1 && FarArraysExist(); }

}  // namespace

void ResetTurbulenceCoefficients(int first, int last) {
    ComputeEddyViscosity(first, last);
    for (Array1<double>* a : {&Cae, &Caw, &Can, &Cas, &Cat, &Cab}) {
        for (int c = first; c <= last; ++c) (*a)[c] = 0.0;
    }
    if (SecondOrder()) {
        for (Array1<double>* a : {&Caee, &Caww, &Cann, &Cass, &Catt, &Cabb}) {
            for (int c = first; c <= last; ++c) (*a)[c] = 0.0;
        }
    }
    AddTurbulenceSources(first, last);
    ApplyWallLaws(first, last);
}

void ZeroSlotZeroOfSurfaceData() {
    Cidist[0] = 0.0;
    Cjdist[0] = 0.0;
    Fflux[0] = 0.0;
}

namespace {

void BuildTurbulenceCoefficients(int coefficientSwitch) {
    const bool parallel = StepRunsInParallel(coefficientSwitch);
    RunOverRange(parallel, FirstCell, LastCell, ResetTurbulenceCoefficients);
    ZeroSlotZeroOfSurfaceData();
    if (!parallel) {
        ComputeConvectionDiffusionCoefficients(FirstSurface, LastSurface);
    } else if (Equation == 6) {
        RunOverRange(true, FirstSurface, LastSurface, ComputeConvectionDiffusionRange);
        FinishConvectionDiffusion(FirstSurface, LastSurface);
    } else {
        RunOverRange(StepRunsInParallel(kSwitchTurbulenceFaces), FirstSurface, LastSurface, ComputeNeighbourCoefficients);
        // The split sides need their own coefficients on every path, as
        // the serial one gives them.
        if (SplitFaceFlag > 0) ComputeMultiNeighbourCoefficients();
    }
}

}  // namespace

void AddTurbulenceExtraSources() {
    if (VegetationOption > 0) ReadVegdataFile();
    if (NoBoundaryCells > 0) AddBlockInterfaceSources();
    if (DeadEndCellFlag == 1 && CdeadEndFlag.exists()) {
        for (int c = FirstCell; c <= LastCell; ++c) {
            if (CdeadEndFlag[c] == 1) Cap[c] += 1000.0 * Cvol[c];
        }
    }
    if (WindSpeed[0] > 1e-10) AddWindStress(Equation);
    // K 6 10 to 19: the limited higher-order convection of k and epsilon,
    // as of the velocities.
    if (ConvectionScheme[Equation] > 9) AddTvdCorrection(FirstSurface, LastSurface);
}

void CompleteTurbulenceCells(int first, int last, double relax) {
    if (first > last) return;
    if (Unsteady()) AddTransientTerms(first, last);
    // Fixed values (the wall and inflow cells) are not relaxed; the
    // relaxation would bend them by the share it keeps.
    CompleteCellEquations(first, last, relax, Cf.data(), SecondOrder());
}

namespace {

void AddTurbulenceBoundarySources() {
    SetInflowBoundaryConditions();
    if (Equation == 5) Stamp(20);
    AddTurbulenceExtraSources();
}

double WorkingTurbulenceRelaxation() { return Equation == 5 ? RelaxK : RelaxEps; }

double AssembleTurbulenceChunk(int first, int last) {
    CompleteTurbulenceCells(first, last, WorkingTurbulenceRelaxation());
    return ComputeResidualRange(first, last);
}

void AssembleTurbulenceEquation() {
    if (StepRunsInParallel(kSwitchTurbulenceAssembly)) {
        // The split-face sums reach into neighbouring cells: serial, first.
        AddSplitFaceSums(FirstCell, LastCell, SecondOrder());
        StoreResidualSum(SumOverChunks(FirstCell, LastCell, AssembleTurbulenceChunk));
        return;
    }
    AddSplitFaceSums(FirstCell, LastCell, SecondOrder());
    CompleteTurbulenceCells(FirstCell, LastCell, WorkingTurbulenceRelaxation());
    if (Equation == 5 && BlockInterfaceOption == 13) CopyBlockBoundaryValues();
    MaxResidual[Equation] = 0.0;
    ComputeResidual(FirstCell, LastCell);
}

void DesignateTurbulenceField(Array1<double>& field, Array1<double>& old) {
    Cf.designate(field);
    Cf_old.designate(old);
    if (TimeOrder >= 1) Cf_old2.designate(old);
}

void SolveK(int pass) {
    Equation = 5;
    DesignateTurbulenceField(Ck, Ck_old);
    Stamp(18);
    Cu[0] = Cv[0] = Cw[0] = 0.0;
    BuildTurbulenceCoefficients(kSwitchKCoefficients);
    Stamp(19);
    AddTurbulenceBoundarySources();
    Stamp(21);
    Cf.designate(Ck);
    AssembleTurbulenceEquation();
    AccelerateEquation(pass);
    Stamp(22);
    SolveEquation();
    Stamp(23);
    if (BlockInterfaceOption == 3) AverageBlockInterfaces();
    if (BugtrapIter + 1 == Iter && pass < 3 && BugtrapCell != 0) DumpBugtrapCell(pass);
    ForCellChunks(FirstCell, LastCell, [k = Ck.data(), least = MinK](int first, int last, int) {
        for (int c = first; c <= last; ++c) k[c] = std::max(k[c], least);
    });
    Stamp(24);
}

void SolveEpsilon(int pass) {
    Equation = 6;
    DesignateTurbulenceField(Cepsilon, Cepsilon_old);
    BuildTurbulenceCoefficients(kSwitchEpsilonCoefficients);
    AddTurbulenceBoundarySources();
    AssembleTurbulenceEquation();
    AccelerateEquation(pass);
    if (LineSolverFlag == 1) {
        SolveLineTdma();
    } else {
        SolveEquation();
    }
    ForCellChunks(FirstCell, LastCell, [e = Cepsilon.data()](int first, int last, int) {
        for (int c = first; c <= last; ++c) e[c] = std::max(e[c], kLeastEpsilon);
    });
    if (BugtrapIter + 1 == Iter && pass < 3 && BugtrapCell != 0) DumpBugtrapCell(pass);
}

bool TurbulenceSolved() {
    return !(TurbulenceModel >= 4 && TurbulenceModel <= 7) && AppendedBlockFlag == 0;
}

}  // namespace

double LargestResidualOfPass() {
    double largest = 0.0;
    for (int eq = 1; eq <= 6; ++eq) {
        if (MaxResidual[eq] < kNegligibleResidual) MaxResidual[eq] = 0.0;
        largest = std::max(largest, MaxResidual[eq]);
    }
    return largest;
}

void CountTrekantErrors(int pass) {
    if (!Ctrekant.exists() || pass != NoIterPerStep) return;
    const int cell = DefMaxCell;
    if (cell < 1 || cell > NoCells) return;
    const int code = Ctrekant[cell];
    if (code > 0 && code < kNoErrorsTrekant) NoErrorsTrekant[code] += 1;
    if (TrekantOption > 0 && DebugOption == 'D' && MaxResidual[4] < 0.03 && code != 0 && Cpres_res.exists() &&
        std::fabs(Cpres_res[cell]) > 0.003) {
        DumpTrekantCell(cell, pass);
    }
}

bool SolvePressureCorrectionAndTurbulence(int pass, double* largestResidual) {
    const double previousResidual = *largestResidual;
    if (SchemeVariant != 4 && SchemeVariant != 5) {
        if (!SolvePressureCorrection(pass, previousResidual)) return false;
    }
    if (TurbulenceSolved()) {
        SolveK(pass);
        SolveEpsilon(pass);
    }
    Stamp(25);
    if (NoComponents > 0) SolveWaterQualityComponents(pass);
    *largestResidual = LargestResidualOfPass();
    PointAtEntryFields();
    CountTrekantErrors(pass);
    return true;
}
