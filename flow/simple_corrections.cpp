// Brings fluxes, velocities and pressure in line with the solved pressure
// correction of an inner pass.
#include "flow/column_walk.h"
#include "flow/face_interpolation.h"
#include "flow/flow_data.h"
#include "flow/flow_services.h"
#include "flow/surface_view.h"
#include "grid/grid_data.h"
#include "run/globals.h"
#include "surface/surface_data.h"

namespace {

// Which interior surfaces get the flux correction.
enum class FluxRule {
    All,
    BelowTop,          // surfaces beside a cell with a cell above
    NoShallowSingle,   // neither cell a shallow single cell
    NoShallowSingleOnWideBeds,  // ... and both columns' bed cells have two neighbours
    DepthWeighted,     // damped by the square of the depth over MinWaterDepth
    None,
};

FluxRule ChooseFluxRule() {
    switch (SimpleVariant) {
        case 0: case 4: case 5: case 7: case 8: case 9: case 11: return FluxRule::All;
        default: break;
    }
    if (FreeSurfaceOption == 11) return FluxRule::BelowTop;
    switch (SimpleVariant) {
        case 1: return FluxRule::NoShallowSingle;
        case 2: return FluxRule::NoShallowSingleOnWideBeds;
        case 3: return FluxRule::All;
        case 6: return FluxRule::DepthWeighted;
        default: return FluxRule::None;
    }
}

template <FluxRule R>
void CorrectFluxes(int first, int last) {
    const SurfaceView sf;
    const double* const pc = Cf.data();
    const double* const invAp = CinvAp.data();
    const int* const above = Ccellt.data();
    double* const flux = Fflux.data();
    // Horizontal surfaces between stacked cells keep their flux with F 69 3rd = 1.
    const bool keepStacked = F69Int3 == 1;
    const double minDepth = MinWaterDepth;

    for (int s = first; s <= last; ++s) {
        const int c1 = sf.cell1[s], c2 = sf.cell2[s];
        if (c1 <= 0 || c2 <= 0) continue;
        if (keepStacked && (sf.type1[s] == 5 || sf.type2[s] == 5)) continue;
        double factor = 1.0;
        if constexpr (R == FluxRule::BelowTop) {
            if (above[c1] <= 0 && above[c2] <= 0) continue;
        } else if constexpr (R == FluxRule::NoShallowSingle || R == FluxRule::NoShallowSingleOnWideBeds) {
            if (ShallowSingleCell(c1, minDepth) || ShallowSingleCell(c2, minDepth)) continue;
            if constexpr (R == FluxRule::NoShallowSingleOnWideBeds) {
                const bool narrow1 = HorizontalNeighbourCount(ColumnBedCell(c1)) < 2;
                if (narrow1 || HorizontalNeighbourCount(ColumnBedCell(c2)) < 2) continue;
            }
        } else if constexpr (R == FluxRule::DepthWeighted) {
            // The two half depths add up to the mean depth of the columns.
            const double h = ColumnHalfDepth(c1) + ColumnHalfDepth(c2);
            const double r = h < minDepth ? h / minDepth : 1.0;
            factor = r * r;
        }
        const double area = sf.area[s];
        const double d = 1000.0 * area * area * FaceValue(sf.dist1[s], sf.dist2[s], invAp[c1], invAp[c2]);
        flux[s] += factor * d * (pc[c1] - pc[c2]);
    }
}

void CorrectSurfaceFluxes(int first, int last) {
    if (first > last) return;
    switch (ChooseFluxRule()) {
        case FluxRule::All: CorrectFluxes<FluxRule::All>(first, last); break;
        case FluxRule::BelowTop: CorrectFluxes<FluxRule::BelowTop>(first, last); break;
        case FluxRule::NoShallowSingle: CorrectFluxes<FluxRule::NoShallowSingle>(first, last); break;
        case FluxRule::NoShallowSingleOnWideBeds:
            CorrectFluxes<FluxRule::NoShallowSingleOnWideBeds>(first, last);
            break;
        case FluxRule::DepthWeighted: CorrectFluxes<FluxRule::DepthWeighted>(first, last); break;
        case FluxRule::None: break;
    }
}

// Mean pressure correction of c and the cells above it, over the cell count
// of the column of which c is part.
double MeanCorrectionAbove(const double* pc, int c) {
    const int* const above = Ccellt.data();
    int walked = 0;
    double sum = 0.0;
    for (int x = c; x > 0 && walked <= NoCells; x = above[x], ++walked) sum += pc[x];
    const int count = Bnocells[Cbedcell[c]];
    return sum / (count > 0 ? count : walked);
}

// The water level of each column whose bed cell lies in first..last moves by
// the mean difference of its correction to that of its neighbour columns.
void CorrectColumnLevels(int first, int last) {
    if (!Blevelcorr.exists() || !Bnocells.exists()) return;
    const double* const pc = Cf.data();
    const int* const below = Ccellb.data();
    const double relax = RelaxationFactors[4];
    for (int c = first; c <= last; ++c) {
        if (below[c] != 0) continue;
        const int column = Cbedcell[c];
        const double mean = MeanCorrectionAbove(pc, c);
        double sum = 0.0;
        int n = 0;
        for (int nb : {Ccellw[c], Ccelle[c], Ccells[c], Ccelln[c]}) {
            if (nb <= 0) continue;
            sum += mean - MeanCorrectionAbove(pc, nb);
            ++n;
        }
        Blevelcorr[column] = n == 0 ? 0.0 : Blevelcorr[column] + 0.0001019 * (sum / n) * relax;
    }
}

// Top pressure with the free surface option 11: it falls linearly from the
// centre of the cell below to zero at the surface, half a cell above the top
// cell's centre.
inline double TopCellPressure(double presBelow, double kTop, double kBelow) {
    return presBelow * kTop / (2.0 * kTop + kBelow);
}

// The pressure takes the relaxed correction; with the free surface option 11
// the top cells then take the pressure of the cell below them.
//
// A top cell reads the updated pressure of the cell below. When a chunk
// boundary falls between the two, the chunk of the cell below sets the top
// cell (and the chunk of the top cell leaves it alone), so the value never
// depends on the order in which the chunks run.
void UpdatePressure(int first, int last) {
    const double* const pc = Cf.data();
    const int* const above = Ccellt.data();
    const int* const below = Ccellb.data();
    const double* const kdist = Ckdist.data();
    double* const p = Pres.data();
    const bool topRule = FreeSurfaceOption == 11;
    auto inRange = [first, last](int c) { return c >= first && c <= last; };

    if (SchemeVariant <= 1) {
        const double relax = RelaxPressure;
        for (int c = first; c <= last; ++c) {
            // Top cells with a cell below get their pressure from it below.
            if (topRule && above[c] == 0 && below[c] > 0) continue;
            p[c] += relax * pc[c];
        }
    }
    if (!topRule) return;
    for (int c = first; c <= last; ++c) {
        const int b = below[c];
        if (above[c] == 0 && b > 0 && inRange(b)) p[c] = TopCellPressure(p[b], kdist[c], kdist[b]);
        const int t = above[c];
        if (t > 0 && above[t] == 0 && !inRange(t)) p[t] = TopCellPressure(p[c], kdist[t], kdist[c]);
    }
}

}  // namespace

void ApplySimpleCorrections(int pass, int firstSurface, int lastSurface, int firstCell, int lastCell) {
    const int mode = SimpleCorrectionMode;
    if (mode > 0) {
        // Direct pressure updates from the continuity defect in Csource, in
        // place of a solved correction; other modes change nothing.
        if (mode != 100 && mode != 101) return;
        const double* const defect = Csource.data();
        double* const p = Pres.data();
        for (int c = firstCell; c <= lastCell; ++c) p[c] = (mode == 101 ? p[c] : 0.0) + 0.2 * defect[c];
        return;
    }
    CorrectSurfaceFluxes(firstSurface, lastSurface);
    if (F7EFlag == 1) CheckFlowDirection(pass, firstCell, lastCell);
    if (firstCell > lastCell) return;
    CorrectCellVelocities(firstCell, lastCell);
    if (F271Option == 1 || F271Option == 2) CorrectColumnLevels(firstCell, lastCell);
    UpdatePressure(firstCell, lastCell);
}
