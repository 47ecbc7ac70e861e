// Bed roughness of block 1 from the scatter of the bed points around the bed
// plane of each column; columns without points are filled by smoothing.
#include <cmath>
#include <cstdio>

#include "flow/cell_lookup.h"
#include "flow/flow_data.h"
#include "grid/geodata.h"
#include "grid/grid_data.h"
#include "grid/grid_services.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/output_file.h"
#include "run/params_f250.h"
#include "run/run_state.h"
#include "run/status.h"
#include "sediment/sediment_data.h"
#include "solver/solver_services.h"

namespace {

// A column is fixed at its measured roughness through its diagonal.
constexpr double kFixed = 1e20;

bool GridArraysHeld() {
    bool held = Gridz.exists() && Csurfb.exists() && Cpoint1.exists() && Cpoint2.exists() && Cpoint3.exists() &&
                Cpoint4.exists();
    for (const Array1<double>* a :
         {&Croughness, &Fvecx, &Fvecy, &Fvecz, &Px1, &Py1, &Cxcenter, &Cycenter, &Czcenter, &Ckdist}) {
        held = held && a->exists();
    }
    return held;
}

// Face area over the plan distance of the centres; 1 where the metric gives
// nothing usable, so an existing neighbour always has a positive weight.
double SideWeight(int c, int nb, const Array1<int>& side) {
    const int f = side.exists() ? side[c] : 0;
    const double area = f > 0 && Fareax.exists() ? std::sqrt(Fareax[f] * Fareax[f] + Fareay[f] * Fareay[f] +
                                                             Fareaz[f] * Fareaz[f])
                                                 : 0.0;
    const double w = area / std::hypot(Cxcenter[nb] - Cxcenter[c], Cycenter[nb] - Cycenter[c]);
    return std::isfinite(w) && w > 0.0 ? w : 1.0;
}

// Every bed cell of the grid first holds its own value: blocks that share
// the plan solve but not this computation keep their roughness.
void HoldAllBedCells() {
    for (int c = 1; c <= NoCells; ++c) {
        if (Ccellb[c] != 0) continue;
        Cap[c] = 1.0;
        Csource[c] = Croughness[c];
        Cae[c] = Caw[c] = Can[c] = Cas[c] = 0.0;
    }
}

void SetSmoothingWeights(int c) {
    Cae[c] = Ccelle[c] != 0 ? SideWeight(c, Ccelle[c], Csurfe) : 0.0;
    Caw[c] = Ccellw[c] != 0 ? SideWeight(c, Ccellw[c], Csurfw) : 0.0;
    Can[c] = Ccelln[c] != 0 ? SideWeight(c, Ccelln[c], Csurfn) : 0.0;
    Cas[c] = Ccells[c] != 0 ? SideWeight(c, Ccells[c], Csurfs) : 0.0;
    Cap[c] = Cae[c] + Caw[c] + Can[c] + Cas[c] + 1e-20;
    Csource[c] = 0.0;
}

// The mean distance of the column's points from the plane through the bed
// below its bed cell's centre, normal to its bed face; -1 without points.
double MeanDeviation(int c) {
    const int b = Csurfb[c];
    const double nx = Fvecx[b], ny = Fvecy[b], nz = Fvecz[b];
    const double ref = nx * Cxcenter[c] + ny * Cycenter[c] + nz * (Czcenter[c] - Ckdist[c]);
    double sum = 0.0;
    int count = 0;
    for (int k = 0; k < NoGeodataPoints; ++k) {
        if (!IsPointInCell(k, c)) continue;
        sum += std::fabs(nx * GeodataX[k] + ny * GeodataY[k] + nz * GeodataZ[k] - ref);
        ++count;
    }
    return count > 0 ? sum / (count + 1e-10) : -1.0;
}

template <class F>
void ForEachColumnOfBlock1(F f) {
    const BlockRecord& r = BlockTable[1];
    for (int i = r.iFirst; i <= r.iLast; ++i) {
        for (int j = r.jFirst; j <= r.jLast; ++j) {
            const int c = GridColumnBottom(i, j);
            if (c > 0 && c <= NoCells) f(i, j, c);
        }
    }
}

}  // namespace

int IsPointInCell(int k, int c) {
    const double x = GeodataX[k], y = GeodataY[k];
    const int p[4] = {Cpoint1[c], Cpoint2[c], Cpoint3[c], Cpoint4[c]};
    for (int e = 0; e < 4; ++e) {
        const double x1 = Px1[p[e]], y1 = Py1[p[e]], x2 = Px1[p[(e + 1) % 4]], y2 = Py1[p[(e + 1) % 4]];
        if (!((y - y1) * (x2 - x1) - (x - x1) * (y2 - y1) > 0.0)) return 0;
    }
    return 1;
}

int ComputeBedRoughness() {
    if (NoGeodataPoints == 0) ReadGeodataFile();
    if (NoGeodataPoints == 0) {
        LogAppend("Bed roughness: no bed points, so 'bedrough.new' is not written\n");
        return 0;
    }
    if (!GridArraysHeld() || NoBlocks < 1) {
        LogAppend("Bed roughness: no grid to compute it on\n");
        return 0;
    }
    HoldAllBedCells();
    ForEachColumnOfBlock1([](int, int, int c) { SetSmoothingWeights(c); });
    ForEachColumnOfBlock1([](int, int, int c) {
        const double mean = MeanDeviation(c);
        Croughness[c] = mean >= 0.0 ? BedRoughnessFactor * mean : 0.0;
        if (mean >= 0.0) {
            Cap[c] = kFixed;
            Csource[c] = kFixed * Croughness[c];
        }
    });

    const auto saved = Cf.save();
    Cf.designate(Croughness);
    for (int pass = 0; pass < RoughnessSmoothingPasses; ++pass) SolvePlanEquation(4);
    Cf.restore(saved);

    const bool written = WriteOutputFile("bedrough.new", [](FILE* fp) {
        ForEachColumnOfBlock1([fp](int i, int j, int c) { std::fprintf(fp, "B %d %d %lf\n", i, j, Croughness[c]); });
    });
    if (!written) {
        SetStatusText("have not used 'bedrough.new' file ");
        return 1;
    }
    ForEachColumnOfBlock1([](int i, int j, int c) {
        if (GridBedRough.exists() && static_cast<size_t>(i) < GridBedRough.extent1() &&
            static_cast<size_t>(j) < GridBedRough.extent2()) {
            GridBedRough[i][j] = Croughness[c];
        }
        if (Broughness.exists() && Cbedcell.exists() && static_cast<size_t>(Cbedcell[c]) < Broughness.size()) {
            Broughness[Cbedcell[c]] = Croughness[c];
        }
    });
    return 1;
}
