// Small services of the free-surface updates: the columns' depths and Froude
// numbers, smoothing of the new node levels, the check of a solved level
// equation, the level correction per column and the water volume.
#include <cmath>

#include "flow/flow_data.h"
#include "grid/metric_steps.h"
#include "run/log.h"
#include "surface/surface_data.h"
#include "surface/surface_levels.h"
#include "surface/surface_services.h"

namespace {

bool Wet(int i, int j) { return GridColumnBottom(i, j) != 0; }

// The new level slot of node (i, j).
double& NewLevel(int i, int j) { return Gridz[i][j][NoGridLinesZ + 1]; }

// Smooths node (i, j) towards m with the F 154 weight, in both top slots.
void Smooth(int i, int j, double m) {
    const double a = SurfaceSmoothingValue;
    const double v = (1.0 - a) * NewLevel(i, j) + a * m;
    Gridz[i][j][NoGridLinesZ] = NewLevel(i, j) = v;
}

double MeanOfFour(int i, int j) {
    return 0.25 * (NewLevel(i - 1, j) + NewLevel(i, j - 1) + NewLevel(i + 1, j) + NewLevel(i, j + 1));
}
double MeanAlongI(int i, int j) { return 0.5 * (NewLevel(i - 1, j) + NewLevel(i + 1, j)); }
double MeanAlongJ(int i, int j) { return 0.5 * (NewLevel(i, j - 1) + NewLevel(i, j + 1)); }

// Options 1 and 2: every node of the block, whatever its columns hold.
void SmoothWholeBlock(const BlockRecord& r, bool edgeRows) {
    const int k = NoGridLinesZ;
    for (int i = r.iFirst - 1; i <= r.iLast; ++i) {
        for (int j = r.jFirst - 1; j <= r.jLast; ++j) Gridz[i][j][k + 1] = Gridz[i][j][k];
    }
    for (int i = r.iFirst; i <= r.iLast - 1; ++i) {
        for (int j = r.jFirst; j <= r.jLast - 1; ++j) Smooth(i, j, MeanOfFour(i, j));
        Smooth(i, r.jFirst - 1, MeanAlongI(i, r.jFirst - 1));
        Smooth(i, r.jLast, MeanAlongI(i, r.jLast));
    }
    if (!edgeRows) return;
    for (int i : {r.iFirst - 1, r.iLast}) {
        for (int j = r.jFirst; j <= r.jLast - 1; ++j) Smooth(i, j, MeanAlongJ(i, j));
    }
}

// Options 3 and 4: only nodes inside wet water; 4 also the edge nodes whose
// two adjacent columns are wet.
void SmoothWetNodes(const BlockRecord& r, bool edges) {
    for (int i = r.iFirst; i <= r.iLast - 1; ++i) {
        for (int j = r.jFirst; j <= r.jLast - 1; ++j) {
            if (Wet(i, j) && Wet(i + 1, j) && Wet(i, j + 1) && Wet(i + 1, j + 1)) Smooth(i, j, MeanOfFour(i, j));
        }
        if (!edges) continue;
        if (Wet(i, r.jFirst) && Wet(i + 1, r.jFirst)) Smooth(i, r.jFirst - 1, MeanAlongI(i, r.jFirst - 1));
        if (Wet(i, r.jLast) && Wet(i + 1, r.jLast)) Smooth(i, r.jLast, MeanAlongI(i, r.jLast));
    }
    if (!edges) return;
    for (int j = r.jFirst; j <= r.jLast - 1; ++j) {
        if (Wet(r.iFirst, j) && Wet(r.iFirst, j + 1)) Smooth(r.iFirst - 1, j, MeanAlongJ(r.iFirst - 1, j));
        if (Wet(r.iLast, j) && Wet(r.iLast, j + 1)) Smooth(r.iLast, j, MeanAlongJ(r.iLast, j));
    }
}

}  // namespace

void ComputeFroudeNumbers(int first, int last) {
    first = std::max(first, 1);
    last = std::min(last, NoBedCells);
    const bool pressure = (SurfaceVariant == 6 || SurfaceVariant == 7) && Bpressure.exists();
    const bool energy = CriticalLevelFlag > 0 && Benergy.exists() && (FreeSurfaceOption == 7 || FreeSurfaceOption == 9);
    for (int b = first; b <= last; ++b) {
        const int bottom = Bcellt[b];
        double h = 0.0, s = 0.0, p = 0.0;
        int n = 0;
        ForEachCellUp(bottom, [&](int c) {
            h += Ckdist[c];
            s += (Cu[c] * Cu[c] + Cv[c] * Cv[c]) * Ckdist[c];
            p += Pres[c];
            ++n;
        });
        // A column without cells has no depth, no speed and no pressure.
        if (!(h > 0.0)) {
            Bdepth[b] = Bfroude[b] = 0.0;
            if (pressure) Bpressure[b] = 0.0;
            continue;
        }
        const double u = std::sqrt(s / h);
        Bfroude[b] = u / std::sqrt(2.0 * h * 9.81);
        Bdepth[b] = 2.0 * h;
        if (energy) {
            const double hc = u * u / (CriticalFroude * CriticalFroude * 9.81);
            const double e = FreeSurfaceOption == 9 ? hc + Czcenter[bottom] - Ckdist[bottom] : hc - h;
            Benergy[b] = Iter <= 1 ? e : 0.9 * Benergy[b] + 0.1 * e;
        }
        if (pressure) Bpressure[b] = p / n;
    }
}

void SmoothWaterSurface() {
    const int option = SurfaceSmoothingOption;
    if (option < 1 || option > 4) return;
    ForEachSurfaceBlock([option](const BlockRecord& r) {
        if (option <= 2) {
            SmoothWholeBlock(r, option == 2);
        } else {
            SmoothWetNodes(r, option == 4);
        }
    });
}

void CheckSurfaceCoefficients() {
    for (int blk = 1; blk <= std::min(NoBlocks, kMaxBlocks); ++blk) {
        const BlockRecord& r = BlockTable[blk];
        if (r.depthAveraged != 0 || r.gridLevel != 0 || r.layerBlock != 0) continue;
        for (int c = std::max(r.firstCell, 1); c <= std::min(r.lastCell, NoCells); ++c) {
            if (Ccellb[c] != 0) continue;
            const bool strange = Cap[c] < 1e-5 || Cae[c] < -1e-10 || Caw[c] < -1e-10 || Cas[c] < -1e-10 ||
                                 Can[c] < -1e-10 || std::fabs(Cf[c]) > 1000.0;
            if (!strange || !(std::fabs(Cf[c]) > 1e-10)) continue;
            LogAppend("Warning, strange values in surface algorithm, F 36 %d, cell %d\n", FreeSurfaceOption, c);
            LogAppend("Cap, Cae, Caw, Cas, Can, Cf, Csource = %lf %lf %lf %lf %lf %lf %lf\n", Cap[c], Cae[c], Caw[c],
                      Cas[c], Can[c], Cf[c], Csource[c]);
            LogAppend("Froude no.: %lf\n", Bfroude[Cbedcell[c]]);
        }
    }
}

void CopyLevelToColumns() {
    if ((F271Option != 3 && F271Option != 4) || !Blevelcorr.exists()) return;
    ForEachSurfaceBlock([](const BlockRecord& r) {
        for (int i = r.iFirst - 1; i <= r.iLast; ++i) {
            for (int j = r.jFirst - 1; j <= r.jLast; ++j) {
                const int c = GridColumnBottom(i, j);
                if (c == 0) continue;
                const int b = Cbedcell[c];
                Blevelcorr[b] = F271Option == 3 ? Cf[c] : 0.5 * Blevelcorr[b] + 0.5 * Cf[c];
            }
        }
    });
}

double SumWaterVolume() {
    double v = 0.0;
    ForEachSurfaceBlock([&v](const BlockRecord& r) {
        for (int i = r.iFirst; i <= r.iLast; ++i) {
            for (int j = r.jFirst; j <= r.jLast; ++j) ForEachCellUp(GridColumnBottom(i, j), [&v](int c) { v += Cvol[c]; });
        }
    });
    return v;
}
