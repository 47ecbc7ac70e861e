// The sediment mass balance of a morphology run: what came in through the
// inflow groups, what left through the outflow groups, the change of the
// suspended mass and of the mass in the bed layers, per size and in total,
// and the defects that close the balance.
#include <algorithm>
#include <cmath>
#include <optional>

#include "flow/cell_lookup.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/time_series.h"
#include "sediment/sediment_services.h"

namespace {

constexpr double kDensity = 1000.0;

int Sizes() { return conc.exists() ? std::min({NoSizes, kMaxSizes, static_cast<int>(conc.extent1()) - 1}) : 0; }

int LastCellOf(size_t cells) { return std::min(LastCell, static_cast<int>(cells) - 1); }

// Suspended mass (kg) of size s over the active cells.
double SuspendedMass(int s) {
    const int last = LastCellOf(std::min(conc.extent2(), Cvol.size()));
    double volume = 0.0;
    for (int c = std::max(FirstCell, 1); c <= last; ++c) volume += conc[s][c] * Cvol[c];
    return volume * kDensity * SedRelativeDensity;
}

// The layers that hold the bed: the stack of the layered bed, otherwise the
// inactive and the active layer.
int BedLayerCount() {
    const int layers = FlagTSC == 3 || NoBedLayers > 2 ? NoBedLayers : 2;
    return std::min(layers, static_cast<int>(BSedDistrib.extent1()));
}

double SolidFraction(int layer, int b) {
    const bool own = (FlagTSC == 3 || NoBedLayers > 2) && BlayerValue.exists();
    return own ? BlayerValue[layer][b] : BedSolidFraction;
}

int LastColumn() { return std::min(LastBedCell, static_cast<int>(std::min(Barea.size(), BSedDistrib.extent3())) - 1); }

// Mass (kg) of size s in the bed layers of the active columns.
double BedMass(int s) {
    if (!BSedDistrib.exists() || !Barea.exists() || s >= static_cast<int>(BSedDistrib.extent2())) return 0.0;
    const int layers = BedLayerCount();
    double mass = 0.0;
    for (int b = std::max(FirstBedCell, 1); b <= LastColumn(); ++b) {
        double solids = 0.0;
        for (int layer = 0; layer < layers; ++layer) {
            solids += BSedDistrib[layer][0][b] * BSedDistrib[layer][s][b] * SolidFraction(layer, b);
        }
        mass += solids * Barea[b];
    }
    return mass * kDensity * SedRelativeDensity;
}

// Sediment (kg) the step's bed move put into the bed.
double BedMoveMass() {
    if (!Bedmove.exists() || !Barea.exists()) return 0.0;
    const int last = std::min(LastBedCell, static_cast<int>(std::min(Bedmove.size(), Barea.size())) - 1);
    double volume = 0.0;
    for (int b = std::max(FirstBedCell, 1); b <= last; ++b) volume += Bedmove[b] * Barea[b];
    return volume * kDensity * SedRelativeDensity * BedSolidFraction;
}

// Volume (m3) under the accumulated bed change of the nodes.
double NodeBedChangeVolume() {
    if (!PlanArea.exists() || !GridLevels.exists()) return 0.0;
    const int lastI = std::min({NoGridLinesX, static_cast<int>(PlanArea.extent1()) - 1,
                                static_cast<int>(GridLevels.extent2()) - 1});
    const int lastJ = std::min({NoGridLinesY, static_cast<int>(PlanArea.extent2()) - 1,
                                static_cast<int>(GridLevels.extent3()) - 1});
    double volume = 0.0;
    for (int i = 2; i <= lastI; ++i) {
        for (int j = 2; j <= lastJ; ++j) {
            const double sum = GridLevels[1][i][j] + GridLevels[1][i - 1][j] + GridLevels[1][i][j - 1] +
                               GridLevels[1][i - 1][j - 1];
            volume += PlanArea[i][j] * 0.25 * sum;
        }
    }
    return volume;
}

// The group discharges (kg/s) at the present time. Between two `timei` rows
// the weight stays within them, so before the first row the first row's
// discharge is booked, the one the flow equations used.
void GroupDischargesAtPresentTime() {
    const std::optional<SeriesPoint> at = TimeiInflowFlag != 0 ? LocateInTimei(stime) : std::nullopt;
    for (int g = kFirstGroup; g <= kLastGroup; ++g) {
        const DischargeGroupRecord& group = DischargeGroups[g];
        if (!at) {
            GroupDischarge[g] = group.discharge;
        } else if (g <= 2 || group.noSurfaces > 0) {
            GroupDischarge[g] = kDensity * at->of([g](int row) { return TimeiDischarge[row][g]; });
        }
    }
}

void BookOutflow(int g) {
    const DischargeGroupRecord& group = DischargeGroups[g];
    const double perArea = GroupDischarge[g] / (group.area + 1e-30) * TimeStep * SedRelativeDensity;
    const int sizes = Sizes();
    for (int n = 0; n < GroupListLength(group); ++n) {
        const int f = group.surfaceList[n];
        const int cell = GroupSurfaceCell(f);
        if (cell <= 0 || static_cast<size_t>(cell) >= conc.extent2()) continue;
        for (int s = 1; s <= sizes; ++s) {
            const double mass = conc[s][cell] * Farea[f] * perArea;
            SedimentOutflowSum += mass;
            OutflowMassBySize[s] += mass;
        }
    }
}

}  // namespace

void ResetSedimentContinuity() {
    SedimentBedSum = SedimentOutflowSum = 0.0;
    NonMovableBedDefect = BedOutflowDefect = SuspVolumeChangeDefect = 0.0;
    BedMoveDefectAbs = BedMoveDefect = BedChangeVolume = 0.0;
    for (int s = 0; s <= kMaxSizes; ++s) {
        OutflowMassBySize[s] = SuspendedMassStartBySize[s] = SuspendedMassBySize[s] = 0.0;
        BedMassStartBySize[s] = BedMassChangeBySize[s] = BedLayerChangeBySize[s] = 0.0;
    }
}

void StartSedimentContinuity() {
    ResetSedimentContinuity();
    SedimentInflowSum = 0.0;
    std::fill(std::begin(SedimentInflowPerSize), std::end(SedimentInflowPerSize), 0.0);
    const int sizes = Sizes();
    const int lastCell = std::min(NoCells, static_cast<int>(std::min(conc.extent2(), Cvol.size())) - 1);
    const int slots = SuspendedMassTotal.exists() ? static_cast<int>(SuspendedMassTotal.size()) - 1 : 0;
    for (int s = 1; s <= sizes; ++s) {
        if (s <= slots) {
            double volume = 1e-30;
            for (int c = 1; c <= lastCell; ++c) volume += conc[s][c] * Cvol[c];
            SuspendedMassTotal[s] = volume;
            if (SuspendedMassTotalSet.exists() && static_cast<size_t>(s) < SuspendedMassTotalSet.size()) {
                SuspendedMassTotalSet[s] = 1;
            }
        }
        SuspendedMassStartBySize[s] = SuspendedMass(s);
    }
}

void ComputeBedMassStart() {
    // The steps weigh the bed of the columns that F 188 selects; the start
    // mass must cover the same columns, whatever range is set now.
    const int first[] = {FirstCell, LastCell, FirstSurface, LastSurface, FirstBedCell, LastBedCell};
    int active[kMaxBlocks + 1] = {};
    for (int b = 1; b <= std::min(NoBlocks, kMaxBlocks); ++b) active[b] = BlockTable[b].field11;
    SetSedimentRanges();
    for (int s = 1; s <= std::min(NoSizes, kMaxSizes); ++s) {
        BedMassStartBySize[s] = BedMass(s);
        BedMassChangeBySize[s] = 0.0;
    }
    FirstCell = first[0];
    LastCell = first[1];
    FirstSurface = first[2];
    LastSurface = first[3];
    FirstBedCell = first[4];
    LastBedCell = first[5];
    for (int b = 1; b <= std::min(NoBlocks, kMaxBlocks); ++b) BlockTable[b].field11 = active[b];
}

void UpdateGroupDischargesAndOutflow() {
    GroupDischargesAtPresentTime();
    if (Sizes() < 1 || !Farea.exists()) return;
    for (int g = kFirstGroup; g <= kLastGroup; ++g) {
        const DischargeGroupRecord& group = DischargeGroups[g];
        if (group.groupType == 0 && group.noSurfaces > 0) BookOutflow(g);
    }
}

void UpdateSedimentContinuity() {
    // With the layered bed its own update books what went into the bed.
    if (FlagTSC < 3) SedimentBedSum += BedMoveMass();
    for (int s = 1; s <= std::min(NoSizes, kMaxSizes); ++s) BedMassChangeBySize[s] = BedMass(s) - BedMassStartBySize[s];
    for (int s = 1; s <= Sizes(); ++s) SuspendedMassBySize[s] = SuspendedMass(s);
    BedChangeVolume = NodeBedChangeVolume();
}

void WriteSedimentContinuityStep() {
    LogAppend("Continuity: Bedchange %lf kg, Inflow %lf kg, Outflow %lf kg, Volume bed change %lf m3\n", SedimentBedSum,
              SedimentInflowSum, SedimentOutflowSum, BedChangeVolume);
    LogAppend("Defect from erosion under non-movable bed: %lf kg\n", NonMovableBedDefect);
    LogAppend("Bed outflow move defect: %lf kg\n", BedOutflowDefect);
    LogAppend("Susp. volume change defect: %lg kg\n", SuspVolumeChangeDefect);
    LogAppend("Size  Inflow (kg) Outflow  Suspension BedLayerCh  Bedchange  Defect     Defect2    Def,PST    Def2,PST\n");
    const int sizes = std::min(NoSizes, kMaxSizes);
    double defect = 0.0;
    for (int s = 1; s <= sizes; ++s) {
        const double in = s < kSedimentInflowSizes ? SedimentInflowPerSize[s] : 0.0;
        const double out = OutflowMassBySize[s];
        const double susp = SuspendedMassBySize[s];
        const double layers = BedMassChangeBySize[s];
        const double booked = BedLayerChangeBySize[s] * SedRelativeDensity;
        const double rest = in - out - (susp - SuspendedMassStartBySize[s]);
        defect = rest - layers;
        const double defect2 = rest - booked;
        const double scale = std::fabs(in) + std::fabs(out) + std::fabs(susp);
        LogAppend("  %2d %10lg %10lg %10lg %10lg %10lg %10lg %10lg %10lg %10lg\n", s, in, out, susp, layers, booked, defect,
                  defect2, defect * 100.0 / (scale + std::fabs(layers) + 1e-10),
                  defect2 * 100.0 / (scale + std::fabs(booked) + 1e-10));
    }
    if (defect > 10.0 && sizes == 1 && LateralSlopeOption == 1) {
        LogAppend("Possible cause of continuity error: F 78 1. Try F 78 3 instead\n");
    }
}

void WriteSedimentContinuitySummary() {
    LogAppend("Continuity: Bedchange %lg kg, Inflow %lg kg, Outflow %lg kg\n", SedimentBedSum, SedimentInflowSum,
              SedimentOutflowSum);
    LogAppend("BedMoveDefAbs+Move: %lg %lg (kg)\n", BedMoveDefectAbs, BedMoveDefect);
    LogAppend("Bed outflow move defect: %lf (kg)\n", BedOutflowDefect);
    LogAppend("Susp. volume change defect: %lg (kg)\n", SuspVolumeChangeDefect);
}
