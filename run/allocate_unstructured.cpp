// The arrays sized by the F 65 capacities, the G 1 grid and the options.
//
// Every array is created once, zero-filled, and only when it does not exist
// yet, so a later call creates only what an earlier one left out. An array
// that some reader can reach under an option is created whenever that option
// is set, even where the reader's condition is wider than the option that
// fills it.
#include <algorithm>
#include <cmath>

#include "grid/grid_services.h"
#include "run/array_allocation.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/run_services.h"

namespace {

constexpr int kFastSolverRows = 5;
constexpr int kChildrenFull = 5;
constexpr int kChildrenTwoLevels = 2;
constexpr int kStressRows = 13;
constexpr int kShallowCellRows = 3;
constexpr int kShallowSurfaceRows = 4;
constexpr int kPartnerSlots = 4;
constexpr int kCoordinates = 3;

// Capacities and sizes as long long, so that no sum or product of two of
// them can overflow before the array family checks the element count.
struct Sizes {
    long long cells = MaxCeller;
    long long surfaces = MaxFlater;
    long long points = MaxPoints;
    long long boundary = MaxBoundaryCells;
    long long ni = static_cast<long long>(NoGridLinesX) + 2;
    long long nj = static_cast<long long>(NoGridLinesY) + 2;
    long long nz = NoGridLinesZ;
    long long columns = (static_cast<long long>(NoGridLinesX) + 3) * (static_cast<long long>(NoGridLinesY) + 3);
    long long sizes = static_cast<long long>(NoSizes) + 1;
    long long layers = static_cast<long long>(NoBedLayers) + 1;
};

bool Unsteady() { return TimeStep > 1e-8; }

// Every free-surface update regenerates the grid under the new levels: the
// updates of F 36 and the reference-cell update of F 36 0.
bool SurfaceMovesGrid() { return SurfaceUpdateFlag == 1 && (FreeSurfaceOption != 0 || ReferenceCell > 0); }

// Second-order upwinding reads the far coefficients for every equation whose
// scheme is 1, whichever equation that is.
bool SecondOrderScheme() {
    return F63Option == 1 || std::any_of(ConvectionScheme, ConvectionScheme + kEquationTableSize, [](int s) { return s == 1; });
}

// Levels of the multigrid: one per halving of the larger grid side, plus the
// column level; CellIndex3 holds the level cells behind the grid levels.
long long CellIndexLevels() {
    const double side = static_cast<double>(std::max(NoGridLinesX, NoGridLinesY)) + 2.0;
    const long long multigrid = static_cast<long long>(std::log(side)) + 3;
    // Level L of the grid-level driver sits in plane L - 1.
    return std::max({static_cast<long long>(NoGridLinesZ), static_cast<long long>(MultigridChoice), multigrid,
                     static_cast<long long>(NoGridLevels)});
}

bool CellArrays(ArrayAllocation& a, const Sizes& n) {
    return a.makeAll({&Csurfe, &Csurfw, &Csurfs, &Csurfn, &Csurft, &Csurfb, &Ccelle, &Ccellw, &Ccells, &Ccelln,
                      &Ccellt, &Ccellb, &Cpoint1, &Cpoint2, &Cpoint3, &Cpoint4, &Cpoint5, &Cpoint6, &Cpoint7,
                      &Cpoint8, &C2DFlag, &Cigrid, &Cjgrid, &Ctrekant, &CdeadEndFlag, &CdischargeGroup, &Cbedcell},
                     n.cells) &&
           a.makeAll({&Cidist, &Cjdist, &Ckdist, &Cxcenter, &Cycenter, &Czcenter, &Cvol, &Careax, &Careay, &Careaz,
                      &Cdxdi, &Cdxdj, &Cdxdk, &Cdydi, &Cdydj, &Cdydk, &Cdzdi, &Cdzdj, &Cdzdk},
                     n.cells) &&
           a.makeAll({&Cu, &Cv, &Cw, &Pres, &Ck, &Cepsilon, &Ceddyvisc, &Ceddyviscz, &Croughness, &Cdrhodi, &Cdrhodj,
                      &CinvAp},
                     n.cells) &&
           a.makeAll({&Cap, &Cae, &Caw, &Cas, &Can, &Cat, &Cab, &Csource, &CfHome, &Cf_oldHome, &Cwork, &CinvCap},
                     n.cells) &&
           a.make(conc, n.sizes, n.cells) && a.make(SuspendedMassTotal, n.sizes) && a.make(SuspendedMassTotalSet, n.sizes);
}

bool SurfacePointArrays(ArrayAllocation& a, const Sizes& n) {
    return a.makeAll({&Fcell1, &Fcell2, &Fcellfar1, &Fcellfar2, &Ftype1, &Ftype2, &Fflagflow, &Fpoint1, &Fpoint2,
                      &Fpoint3, &Fpoint4, &Fsign, &Fgenflag},
                     n.surfaces) &&
           a.makeAll({&Fflux, &Fdensgrad, &Farea, &Fdist1, &Fdist2, &Fareax, &Fareay, &Fareaz, &Fvecx, &Fvecy, &Fvecz},
                     n.surfaces) &&
           a.makeAll({&Px1, &Py1, &Pz1}, n.points) && a.makeAll({&Pmerge, &Pkooi, &Pkooj}, n.points);
}

bool ColumnArrays(ArrayAllocation& a, const Sizes& n) {
    return a.makeAll({&Bcellt, &Bcellt_old, &Bnocells, &Bnocells_old, &Bkooi, &Bkooj, &Bslide}, n.columns) &&
           a.makeAll({&Bdepth, &Bdepth_old, &Barea, &Bedmove, &Broughness, &Bd90, &BbedformHeight, &Bfroude,
                      &Binspace},
                     n.columns) &&
           a.makeAll({&BpotentialConc, &BsedInflow, &BSedActive, &BSolverErosion, &BsedOutflowCoef}, n.sizes,
                     n.columns) &&
           a.make(BSedDistrib, n.layers, n.sizes, n.columns);
}

bool StructuredMaps(ArrayAllocation& a, const Sizes& n) {
    const long long line = std::max({n.ni, n.nj, n.nz + 2});
    return a.makeAll({&GridWetPoint, &GridWetColumn, &GenColumnWork1, &GenColumnWork2, &GenColumnWork3}, n.ni, n.nj) &&
           a.make(CellIndex3, n.ni, n.nj, CellIndexLevels() + 2) &&
           a.makeAll({&BlockCorrLineA, &BlockCorrLineB}, line) &&
           a.make(EdgePairs, static_cast<long long>(MaxEdgePairs), 2);
}

// A row holds the M concentrations, and one concentration per size for each
// of the nine possible inflow groups (columns g * NoSizes + s).
long long TimeiConcColumns() {
    return std::max<long long>(kTimeiMConcentrations,
                               kTimeiDischargeGroups * static_cast<long long>(std::max(NoSizes, 0)) + 1);
}

bool TransientArrays(ArrayAllocation& a, const Sizes& n) {
    // The flush of a diverging iteration restores the fields from their old
    // copies, steady run or not; a moving surface carries its fields to the
    // regenerated cells through them, steady or not.
    if (Unsteady() || FlushLimit >= 1 || SurfaceMovesGrid()) {
        if (!a.makeAll({&Cu_old, &Cv_old, &Cw_old, &Pres_old, &Ck_old, &Cepsilon_old, &CinvAp_old}, n.cells)) {
            return false;
        }
    }
    if (!Unsteady()) return !SurfaceMovesGrid() || a.make(conc_old, n.sizes, n.cells);
    const long long rows = static_cast<long long>(MaxTimeiSteps) + 1;
    return a.make(conc_old, n.sizes, n.cells) &&
           (TimeOrder < 1 || a.makeAll({&Cu_old2, &Cv_old2, &Cw_old2}, n.cells)) &&
           a.makeAll({&TimeiTime, &TimeiLevel, &TimeiLevel2, &TimeiSediment, &TimeiKinetics, &TimeiComponentIn}, rows) &&
           a.make(TimeiDischarge, rows, kTimeiDischargeGroups + 1) && a.make(TimeiWind, rows, kTimeiWindValues) &&
           a.make(TimeiConc, rows, TimeiConcColumns());
}

bool ComponentArrays(ArrayAllocation& a, const Sizes& n) {
    if (NoComponents > 0) {
        if (!a.make(Components, NoComponents, n.cells)) return false;
        if (Unsteady() && !a.make(ComponentsOld, NoComponents, n.cells)) return false;
    }
    return ComponentWorkRows <= 0 || a.make(ComponentWork, ComponentWorkRows, n.columns);
}

bool SchemeArrays(ArrayAllocation& a, const Sizes& n) {
    if (SchemeVariant > 0 && !a.make(CinvAp_transient, n.cells)) return false;
    if (SchemeVariant > 1 && !a.makeAll({&Cu_pseudo, &Cv_pseudo, &Cw_pseudo}, n.cells)) return false;
    if (CellResidualFlag == 1 && !a.makeAll({&Cu_res, &Cv_res, &Cw_res, &Cpres_res, &Ck_res, &Cepsilon_res}, n.cells)) {
        return false;
    }
    const bool far = SecondOrderScheme() || (FreeSurfaceOption >= 7 && FreeSurfaceOption <= 10);
    if (far && !a.makeAll({&Caee, &Caww, &Cass, &Cann, &Catt, &Cabb}, n.cells)) return false;
    if (SplitFaceFlag > 0) {
        if (!a.makeAll({&Cnocellse, &Cnocellsw, &Cnocellss, &Cnocellsn}, n.cells) ||
            !a.makeAll({&CnbMultiE, &CnbMultiW, &CnbMultiS, &CnbMultiN}, n.cells, n.nz) ||
            !a.makeAll({&CaMultiE, &CaMultiW, &CaMultiS, &CaMultiN}, n.cells, n.nz)) {
            return false;
        }
        if (SecondOrderScheme() && !a.makeAll({&CbMultiE, &CbMultiW, &CbMultiS, &CbMultiN}, n.cells, n.nz)) {
            return false;
        }
    }
    if (BedNeighboursNeeded() &&
        !a.makeAll({&Ccelle_bottom, &Ccellw_bottom, &Ccells_bottom, &Ccelln_bottom}, n.cells)) {
        return false;
    }
    return true;
}

bool BlockBoundaryArrays(ArrayAllocation& a, const Sizes& n) {
    if (MaxBoundaryCells > 1 && !a.makeAll({&CtiedCell, &Clink}, n.cells)) return false;
    if (MaxBoundaryCells <= 0) return true;
    return a.makeAll({&BoundaryCellCode, &BoundaryCellSurface, &BoundaryCellNo, &BoundaryCellBlock}, n.boundary) &&
           a.make(BoundaryCellValue, n.boundary) && a.make(BoundaryCellWeight, n.boundary, kPartnerSlots) &&
           a.make(BoundaryCellPartner, n.boundary, kPartnerSlots) &&
           a.make(BoundaryCellPartnerXyz, n.boundary, kPartnerSlots, kCoordinates);
}

bool SolverArrays(ArrayAllocation& a, const Sizes& n) {
    if (F147Int2 == 0 && !a.make(Czcenter_old, n.cells)) return false;
    if (F147Int2 == 2 && !a.make(Ckdist_old, n.cells)) return false;
    // The line solves after the 3D multigrid (F 344) use them too.
    const bool multigridLines = MultigridChoice > 0 && (MultigridVariant == 1 || MultigridVariant == 2);
    if ((LineSolverFlag > 0 || multigridLines || BlockInterfaceOption == 18 || BlockInterfaceOption == 19 ||
         PlanSolverOption == 2) &&
        !a.makeAll({&CtdmaP, &CtdmaQ}, n.cells)) {
        return false;
    }
    // The multigrid needs a parent and four children per cell; only the
    // two-level driver alone makes do with two slots.
    if (MultigridChoice > 0 || (NoGridLevels > 0 && NoGridLevels != 2)) {
        if (!a.make(Cchildren, n.cells, kChildrenFull)) return false;
    } else if (NoGridLevels == 2) {
        if (!a.make(Cchildren, n.cells, kChildrenTwoLevels)) return false;
    }
    if (FastSolverFlag > 0) {
        if (!a.makeAll({&InvApMulti, &CfMulti}, kFastSolverRows, n.cells)) return false;
        if (NoSizes <= 4 && !a.make(CsourceMulti, kFastSolverRows, n.cells)) return false;
    }
    const bool perSize = NoSizes > 1 || FlagTSC == 3;
    if (perSize && (FastSolverFlag <= 0 || NoSizes > 4) && !a.make(CsourceMulti, n.sizes, n.cells)) return false;
    return !perSize || a.makeAll({&CapMulti, &CabMulti, &CatMulti}, n.sizes, n.cells);
}

bool ModelArrays(ArrayAllocation& a, const Sizes& n) {
    if (StressComputationOption > 0 && !a.make(Cstress, kStressRows, n.cells)) return false;
    if ((StressComputationOption > 0 || LayerBlockOption > 0) &&
        (!a.make(CstressRatio, n.cells) || !a.make(CstressCount, n.cells) ||
         !a.makeAll({&BlayerSlope, &BslideWork, &BslideChange, &BslideLevel}, n.columns))) {
        return false;
    }
    if (ShallowWaterOption > 0 &&
        (!a.makeAll({&ShallowWork3A, &ShallowWork3B, &ShallowWork3C}, kShallowCellRows, n.cells) ||
         !a.makeAll({&ShallowWork4A, &ShallowWork4B}, kShallowSurfaceRows, n.surfaces))) {
        return false;
    }
    if (VegetationOption > 0 &&
        (!a.make(Cporosity, n.cells) ||
         !a.make(Bveg, n.columns, VegTimeCount, static_cast<long long>(VegVariableCount) + 1, VegLevelCount) ||
         !a.make(VegTimes, static_cast<long long>(VegTimeCount) + 1))) {
        return false;
    }
    return true;
}

bool OptionalColumnArrays(ArrayAllocation& a, const Sizes& n) {
    struct Optional {
        bool wanted;
        Array1<double>* array;
    };
    const Optional doubles[] = {
        {CriticalLevelFlag > 0, &Benergy},
        {F277Option > 0, &Bmorphology},
        {BedAngleFileOption > 0, &BcotAngle1},
        {BedAngleFileOption > 0, &BcotAngle2},
        {BedAngleFileOption > 0, &BangleFactor},
        {BedAngleFileOption > 0, &BslopeLimit},
        {GroundwaterOption > 0, &Bgroundwater},
        {FreeSurfaceOption == 50, &Bplanwork},
        {FreeSurfaceOption == 50 || F271Option > 0, &Blevelcorr},
        {SurfaceVariant == 6 || SurfaceVariant == 7, &Bpressure},
        {BedChangeRoutine > 1 || FlagTSC == 3 || LayerBlockOption > 0, &Bmorphwork},
    };
    for (const Optional& o : doubles) {
        if (o.wanted && !a.make(*o.array, n.columns)) return false;
    }
    if (FlagTSC == 3 && !a.make(BSedWork, n.sizes, n.columns)) return false;
    if ((NoBedLayers > 2 || FlagTSC == 3) && !a.make(BNoLayers, n.columns)) return false;
    if ((BedChangeRoutine > 1 || FlagTSC == 3 || LayerBlockOption > 0) && !a.make(BlayerValue, n.layers, n.columns)) {
        return false;
    }
    if ((BlockInterfaceOption > 0 || BlockCouplingOption > 2) && !a.make(Bconnection, n.columns)) return false;
    if (F339Option > 0 && !a.make(Bcelltop_old, n.columns)) return false;
    if (GridAlgorithm == 9 && !a.makeAll({&GenColumnWork4, &GenColumnWork5, &GenColumnWork6}, n.ni, n.nj)) {
        return false;
    }
    if ((GridAlgorithm == 14 || GridAlgorithm == 15) && !a.make(GenLevelWork, n.ni, n.nj, n.nz + 2)) return false;
    return true;
}

// The start distribution of the bed: layers 0 and 1 of every column take the
// fractions of N distribution 0, or all of size 1 without N data sets.
void FillBedDistribution() {
    const size_t columns = BSedDistrib.extent3();
    const int layers = std::min(1, NoBedLayers);
    for (int layer = 0; layer <= layers; ++layer) {
        for (int s = 1; s <= NoSizes; ++s) {
            double fraction = NoNDataSets > 0 ? GrainFractions[0][s] : (s == 1 ? 1.0 : 0.0);
            for (size_t b = 1; b < columns; ++b) BSedDistrib[layer][s][static_cast<std::ptrdiff_t>(b)] = fraction;
        }
    }
}

}  // namespace

double AllocateUnstructuredArrays() {
    if (!LogAvailable()) FailLogUnavailable();
    SetStatusText("Initializing arrays");
    const Sizes n;
    const bool freshBed = !BSedDistrib.exists();
    ArrayAllocation a;
    const bool ok = CellArrays(a, n) && SurfacePointArrays(a, n) && ColumnArrays(a, n) && StructuredMaps(a, n) &&
                    TransientArrays(a, n) && ComponentArrays(a, n) && SchemeArrays(a, n) &&
                    BlockBoundaryArrays(a, n) && SolverArrays(a, n) && ModelArrays(a, n) &&
                    OptionalColumnArrays(a, n);
    if (!ok) return -1.0;
    // Only a bed created now gets its start distribution; an existing bed
    // keeps what the run has made of it.
    if (freshBed) FillBedDistribution();
    LogAppend("Have allocated %12.2lf Mbytes unstructured arrays\n\n", static_cast<double>(a.bytes()) * 1e-6);
    SetStatusText("Unstructured arrays o.k     ");
    return static_cast<double>(a.bytes());
}
