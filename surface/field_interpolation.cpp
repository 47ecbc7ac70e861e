// Carrying the flow fields and the suspended sediment from the cells of the
// grid before a regeneration to the cells after it, column by column, and
// filling the columns that became wet from their neighbours.
#include <algorithm>
#include <cmath>
#include <vector>

#include "flow/flow_data.h"
#include "grid/grid_data.h"
#include "run/globals.h"
#include "run/log.h"
#include "sediment/sediment_data.h"
#include "surface/surface_data.h"
#include "surface/surface_services.h"

namespace {

constexpr int kFields = 7;
constexpr double kUnsetPressure = 1e-8;

// The seven carried fields: the three velocities, pressure, k, epsilon and
// the velocity-correction factor, each as new and old values.
struct Fields {
    double* now[kFields];
    double* old[kFields];
    double* cn[kMaxSizes + 1];
    double* co[kMaxSizes + 1];
    // Rows 0..sizes are carried (row 0 is the total); -1 without old
    // concentrations, which leaves the concentrations alone.
    int sizes = -1;

    Fields()
        : now{Cu.data(), Cv.data(), Cw.data(), Pres.data(), Ck.data(), Cepsilon.data(), CinvAp.data()},
          old{Cu_old.data(), Cv_old.data(), Cw_old.data(), Pres_old.data(), Ck_old.data(), Cepsilon_old.data(),
              CinvAp_old.data()},
          cn{},
          co{} {
        if (!conc.exists() || !conc_old.exists() || conc_old.extent1() < conc.extent1() ||
            conc_old.extent2() < conc.extent2()) {
            return;
        }
        sizes = std::min({NoSizes, static_cast<int>(conc.extent1()) - 1, kMaxSizes});
        for (int s = 0; s <= sizes; ++s) {
            cn[s] = &conc[s][0];
            co[s] = &conc_old[s][0];
        }
    }

    void Take(int c, int o) const {
        for (int f = 0; f < kFields; ++f) now[f][c] = old[f][o];
    }
    // Sizes first..sizes of old cell o, times the factor.
    void TakeConc(int c, int o, int first, double factor) const {
        for (int s = first; s <= sizes; ++s) cn[s][c] = co[s][o] * factor;
    }
    // wa x old a + wb x old b, fields and sizes 1..sizes.
    void Blend(int c, int a, double wa, int b, double wb) const {
        for (int f = 0; f < kFields; ++f) now[f][c] = wa * old[f][a] + wb * old[f][b];
        for (int s = 1; s <= sizes; ++s) cn[s][c] = wa * co[s][a] + wb * co[s][b];
    }
    void ClearConc(int c) const {
        for (int s = 0; s <= sizes; ++s) cn[s][c] = 0.0;
    }
};

void MeanOfOldCells(const Fields& F, int b, int ob, int O, double f) {
    for (int k = 0; k < kFields; ++k) {
        double sum = 0.0;
        for (int o = ob; o < ob + O; ++o) sum += F.old[k][o];
        F.now[k][b] = sum / O;
    }
    for (int s = 1; s <= F.sizes; ++s) {
        double sum = 0.0;
        for (int o = ob; o < ob + O; ++o) sum += F.co[s][o];
        F.cn[s][b] = sum / O * f;
    }
}

// Bottom from the old bottom, top from the old top (with the total).
void BottomAndTop(const Fields& F, int b, int N, int ob, int O) {
    F.Take(b, ob);
    F.TakeConc(b, ob, 1, 1.0);
    F.Take(b + N - 1, ob + O - 1);
    F.TakeConc(b + N - 1, ob + O - 1, 0, 1.0);
}

void ByCentreLevels(const Fields& F, int b, int N, int ob, int O) {
    BottomAndTop(F, b, N, ob, O);
    for (int m = 1; m <= N - 2; ++m) {
        const int c = b + m;
        int j = 1;
        while (j < O - 1 && !(Czcenter_old[ob + j] > Czcenter[c])) ++j;
        const int hi = ob + j;
        const int lo = hi - 1;
        const double span = Czcenter_old[hi] - Czcenter_old[lo];
        const double w = span != 0.0 ? std::clamp((Czcenter_old[hi] - Czcenter[c]) / span, 0.0, 1.0) : 0.0;
        F.Blend(c, lo, w, hi, 1.0 - w);
    }
}

void ByRelativePosition(const Fields& F, int b, int N, int ob, int O) {
    BottomAndTop(F, b, N, ob, O);
    for (int m = 1; m <= N - 2; ++m) {
        const double x = std::clamp(static_cast<double>(m + 1) * O / N, 1.0, static_cast<double>(O - 1));
        const int i = static_cast<int>(x);
        const double r = x - i;
        F.Blend(b + m, ob + i - 1, 1.0 - r, ob + i, r);
    }
}

// Relative position, then each size rescaled so that the column keeps the
// sediment it held (concentration times half height summed over its cells).
void KeepingColumnSediment(const Fields& F, int b, int N, int ob, int O, double* massOld) {
    for (int s = 1; s <= F.sizes; ++s) {
        double sum = 0.0;
        for (int o = ob; o < ob + O; ++o) sum += F.co[s][o] * Ckdist_old[o];
        massOld[s] = sum;
    }
    BottomAndTop(F, b, N, ob, O);
    for (int m = 1; m <= N - 2; ++m) {
        const double x = (m + 0.5) * O / N + 0.5;
        const int i = std::clamp(static_cast<int>(x), 1, O - 1);
        const double r = std::clamp(x - i, 0.0, 1.0);
        F.Blend(b + m, ob + i - 1, 1.0 - r, ob + i, r);
    }
    for (int s = 1; s <= F.sizes; ++s) {
        double sum = 0.0;
        for (int c = b; c < b + N; ++c) sum += F.cn[s][c] * Ckdist[c];
        const double scale = massOld[s] / (sum + 1e-30);
        for (int c = b; c < b + N; ++c) F.cn[s][c] *= scale;
    }
}

void InterpolateColumns(const Fields& F) {
    std::vector<double> massOld(static_cast<size_t>(std::max(F.sizes, 0)) + 1, 0.0);
    const bool byCentres = F147Int2 == 0 && Czcenter_old.exists();
    const bool keeping = F147Int2 == 2 && Ckdist_old.exists();
    for (int n = 1; n <= NoBedCells; ++n) {
        const int N = Bnocells[n];
        const int O = Bnocells_old[n];
        if (N <= 0 || O <= 0) continue;
        const int b = Bcellt[n];
        const int ob = Bcellt_old[n];
        const double f = Bdepth_old[n] / (Bdepth[n] + 1e-20);
        if (O == N) {
            for (int k = 0; k < N; ++k) {
                F.Take(b + k, ob + k);
                F.TakeConc(b + k, ob + k, 1, f);
            }
        } else if (O == 1) {
            for (int c = b, k = 0; c > 0 && k < N; c = Ccellt[c], ++k) {
                F.Take(c, ob);
                F.TakeConc(c, ob, 1, f);
            }
        } else if (N == 1) {
            MeanOfOldCells(F, b, ob, O, f);
        } else if (byCentres) {
            ByCentreLevels(F, b, N, ob, O);
        } else if (F147Int2 == 1) {
            ByRelativePosition(F, b, N, ob, O);
        } else if (keeping) {
            KeepingColumnSediment(F, b, N, ob, O, massOld.data());
        }
    }
}

// The cells of new column n above its bottom cell take the bottom cell's
// seven values; all of its cells lose their concentrations.
void SpreadUpTheColumn(const Fields& F, int n) {
    const int b = Bcellt[n];
    F.ClearConc(b);
    for (int c = b + 1; c < b + Bnocells[n]; ++c) {
        for (int f = 0; f < kFields; ++f) F.now[f][c] = F.now[f][b];
        F.ClearConc(c);
    }
}

struct Sums {
    double v[kFields] = {};
    int k = 0;
    void Add(const double* const* from, int cell) {
        for (int f = 0; f < kFields; ++f) v[f] += from[f][cell];
        ++k;
    }
};

// Pressure, k, epsilon and the correction factor as (scaled) means; the
// velocities as the sums times the F 147 fourth value.
void FillBottom(const Fields& F, int b, const Sums& s) {
    const double factor[kFields] = {F147Value4, F147Value4, F147Value4, 1.0, F147Value5, F147Value6, 1.0};
    for (int f = 0; f < kFields; ++f) {
        const bool velocity = f < 3;
        F.now[f][b] = velocity ? s.v[f] * factor[f] : s.v[f] * factor[f] / s.k;
    }
}

bool NewWetColumn(int n) { return Bnocells_old[n] == 0 && Bnocells[n] > 0; }

}  // namespace

void ExtrapolateNewColumnA() {
    const Fields F;
    for (int n = 1; n <= NoBedCells; ++n) {
        if (Bnocells_old[n] != 0) continue;
        for (int c = Bcellt[n]; c > 0 && c < Bcellt[n] + Bnocells[n]; ++c) Pres[c] = 0.0;
    }
    for (int pass = 1; pass <= ExtrapolationPasses; ++pass) {
        const bool fromNewColumns = pass >= 2 && F147Int3 == 1;
        for (int n = 1; n <= NoBedCells; ++n) {
            if (!NewWetColumn(n)) continue;
            const int b = Bcellt[n];
            const int i = Bkooi[n];
            const int j = Bkooj[n];
            const int neighbour[4] = {pointbed[i + 1][j], pointbed[i - 1][j], pointbed[i][j + 1], pointbed[i][j - 1]};
            const int link[4] = {Ccelle[b], Ccellw[b], Ccelln[b], Ccells[b]};
            Sums s;
            for (int d = 0; d < 4; ++d) {
                const int m = neighbour[d];
                if (m < 1 || link[d] < 1 || Bcellt[m] < 1) continue;
                if (Bnocells_old[m] >= 1) {
                    s.Add(F.old, Bcellt_old[m]);
                } else if (fromNewColumns && std::fabs(Pres[Bcellt[m]]) > kUnsetPressure) {
                    s.Add(F.now, Bcellt[m]);
                }
            }
            if (s.k < 1) continue;
            FillBottom(F, b, s);
            SpreadUpTheColumn(F, n);
        }
    }
}

void ExtrapolateNewColumnB() {
    const Fields F;
    for (int n = 1; n <= NoBedCells; ++n) {
        if (Bnocells_old[n] != 0) continue;
        for (int c = Bcellt[n]; c > 0 && c < Bcellt[n] + Bnocells[n]; ++c) {
            for (int f = 0; f < kFields; ++f) F.now[f][c] = 0.0;
        }
    }
    if (ExtrapolationPasses >= 1) {
        std::vector<char> filled(static_cast<size_t>(NoBedCells) + 1, 0);
        for (int pass = 0; pass < ExtrapolationPasses; ++pass) {
            int count = 0;
            for (int n = 1; n <= NoBedCells; ++n) {
                if (!NewWetColumn(n) || filled[n]) continue;
                const int b = Bcellt[n];
                Sums s;
                for (const int nb : {Ccelle[b], Ccellw[b], Ccells[b], Ccelln[b]}) {
                    if (nb > 0 && std::fabs(Pres[nb]) > kUnsetPressure) s.Add(F.now, nb);
                }
                if (s.k < 1) continue;
                FillBottom(F, b, s);
                filled[n] = 1;
                ++count;
            }
            if (count == 0) break;
        }
    }
    for (int n = 1; n <= NoBedCells; ++n) {
        if (NewWetColumn(n)) SpreadUpTheColumn(F, n);
    }
}

namespace {

void HintLine() {
    if (F147Int3 == 0) LogAppend("The problem could be due to the choise on the F 147 data set in the control file.\n");
}

void ReportColumn(int n) {
    const int i = Bkooi[n];
    const int j = Bkooj[n];
    LogAppend("Iter %d, Grid no. [%d,%d]\n", Iter, i, j);
    LogAppend("Bcellt_old(%d) = %d, Bnocells_old = %d, Bnocells = %d\n", n, Bcellt_old[n], Bnocells_old[n],
              Bnocells[n]);
    const struct {
        const char* name;
        int m;
    } around[] = {{"n", pointbed[i][j + 1]}, {"s", pointbed[i][j - 1]}, {"e", pointbed[i + 1][j]},
                  {"w", pointbed[i - 1][j]}};
    for (const auto& a : around) {
        const int ob = Bcellt_old[a.m];
        LogAppend("Bcellt_old, Pres_old, %s = %d, %lf\n", a.name, ob, Pres_old[ob]);
    }
    LogAppend("\n");
}

}  // namespace

void CheckExtrapolatedPressure() {
    if (Iter <= 1 || DebugOption != 'D') return;
    for (int n = 1; n <= NoBedCells; ++n) {
        const int b = Bcellt[n];
        const int ob = Bcellt_old[n];
        const int column = pointbed[Bkooi[n]][Bkooj[n]];
        if (b >= 1 && ob == 0 && std::fabs(Pres[b]) < kUnsetPressure) {
            LogAppend("Error in extrapolation, non-interpolated pressure\n");
            HintLine();
            LogAppend("BCell = %d, pointbed = %d, Cellno = %d\n", n, column, b);
            LogAppend("Pres = %lf, Pres_old = %lf\n", Pres[b], Pres_old[ob]);
            ReportColumn(n);
        }
        if (Bnocells_old[n] != 0 || b < 1) continue;
        const struct {
            const char* side;
            int cell;
            const double* halfWidth;
        } faces[] = {{"south", Ccells[b], Cjdist.data()},
                     {"north", Ccelln[b], Cjdist.data()},
                     {"east", Ccelle[b], Cidist.data()},
                     {"west", Ccellw[b], Cidist.data()}};
        for (const auto& face : faces) {
            if (face.cell < 1) continue;
            const double g = std::fabs(Pres[face.cell] - Pres[b]) * 0.0001 / (face.halfWidth[face.cell] + face.halfWidth[b]);
            if (!(g > 0.2)) continue;
            LogAppend("Warning in extrapolation, too high pressure gradients-%s\n", face.side);
            HintLine();
            LogAppend("BCell = %d, pointbed = %d, Cellno = %d, grad = %lf\n", n, column, b, g);
            LogAppend("Pres = %lf, Pres_old = %lf, Pres_%c = %lf\n", Pres[b], Pres_old[ob], face.side[0],
                      Pres[face.cell]);
            ReportColumn(n);
        }
    }
}

namespace {

// Each size is brought back to the total the morphology driver keeps for
// it; a size whose total it has not set keeps its carried concentrations.
void RestoreSedimentTotals(const Fields& F) {
    if (!SuspendedMassTotal.exists() || !SuspendedMassTotalSet.exists()) return;
    const int sizes = std::min<int>(F.sizes, static_cast<int>(SuspendedMassTotal.size()) - 1);
    for (int s = 1; s <= sizes; ++s) {
        if (SuspendedMassTotalSet[s] == 0) continue;
        double total = 1e-30;
        for (int c = 1; c <= NoCells; ++c) total += F.cn[s][c] * Cvol[c];
        const double scale = SuspendedMassTotal[s] / total;
        for (int c = 1; c <= NoCells; ++c) F.cn[s][c] *= scale;
    }
}

bool LayerBlock(int b) { return BlockTable[b].layerBlock > 0; }

void LayerBlockSettings() {
    const int last = std::min(NoBlocks, kMaxBlocks);
    if (Iter > 0 && BlayerSlope.exists() && CstressCount.exists() && CstressRatio.exists()) {
        for (int bl = 1; bl <= last; ++bl) {
            if (!LayerBlock(bl)) continue;
            const BlockRecord& r = BlockTable[bl];
            for (int i = r.iFirst; i <= r.iLast; ++i) {
                for (int j = r.jFirst; j <= r.jLast; ++j) {
                    int c = static_cast<int>(Gridz[i][j][0]);
                    for (int steps = 0; c > 0 && c <= NoCells && steps <= NoCells; c = Ccellt[c], ++steps) {
                        const bool above = Czcenter[c] > BlayerSlope[Cbedcell[c]];
                        CstressCount[c] = above ? NoIterPerStep / 2 : -2;
                        CstressRatio[c] = above ? 1.2 : 0.0;
                    }
                }
            }
        }
    }
    if (last < 2 || !LayerBlock(last)) return;
    const int appended = BlockTable[last].firstCell;
    const int end = std::min(BlockTable[last].lastCell, NoCells);
    for (int c = std::max(BlockTable[2].firstCell, 1); c <= end; ++c) {
        if (Ccellt[c] >= appended) continue;
        double s = 0.0;
        for (int d = c, steps = 0; d > 0 && steps <= NoCells; d = Ccellb[d], ++steps) {
            s += Ckdist[d];
            Pres[d] = 9810.0 * s;
            s += Ckdist[d];
        }
    }
}

// The velocities of block 2's columns from the second cell up, mapped from
// the old cells above the old second cell.
void MapAppendedBlockVelocities(const Fields& F) {
    if (NoBlocks < 2 || !Bcelltop_old.exists()) return;
    const BlockRecord& r = BlockTable[2];
    for (int n = std::max(r.firstColumn, 1); n <= std::min(r.lastColumn, NoBedCells); ++n) {
        const int b = Bcellt[n];
        const int c = b > 0 ? Ccellt[b] : 0;
        const int N = Bnocells[n];
        const int O = Bnocells_old[n];
        const int o = Bcelltop_old[n];
        if (c <= 0 || N <= 1) continue;
        for (int m = 1; m <= N - 1; ++m) {
            const int cell = c + m - 1;
            if (O < 1) {
                F.now[0][cell] = F.now[1][cell] = F.now[2][cell] = 0.0;
                continue;
            }
            const int from = O == N ? o + m - 1 : (O == 1 ? o : o + std::min(m - 1, O - 2));
            for (int f = 0; f < 3; ++f) F.now[f][cell] = F.old[f][from];
        }
    }
}

void KeepAsOld(const Fields& F) {
    for (int s = 1; s <= F.sizes; ++s) {
        for (int c = 1; c <= NoCells; ++c) F.co[s][c] = F.cn[s][c];
    }
    for (int f = 0; f < kFields; ++f) {
        for (int c = 1; c <= NoCells; ++c) F.old[f][c] = F.now[f][c];
    }
    for (int n = 1; n <= NoBedCells; ++n) {
        Bcellt_old[n] = Bcellt[n];
        Bnocells_old[n] = Bnocells[n];
        Bdepth_old[n] = Bdepth[n];
    }
    if (F339Option > 0 && NoBedCells > 0 && NoBlocks >= 2 && BlockTable[2].lastColumn > 1 && Bcelltop_old.exists()) {
        for (int n = std::max(BlockTable[1].firstColumn, 1); n <= std::min(BlockTable[1].lastColumn, NoBedCells); ++n) {
            Bcelltop_old[n] = 0;
        }
        for (int n = std::max(BlockTable[2].firstColumn, 1); n <= std::min(BlockTable[2].lastColumn, NoBedCells); ++n) {
            Bcelltop_old[n] = Bcellt[n] > 0 ? Ccellt[Bcellt[n]] : 0;
        }
    }
}

}  // namespace

void InterpolateToNewGrid() {
    if (!Cu_old.exists() || !CinvAp_old.exists()) return;
    const Fields F;
    for (int s = 1; s <= F.sizes; ++s) {
        for (int c = 1; c <= NoCells; ++c) F.cn[s][c] = 0.0;
    }
    if (CstressRatio.exists() && CstressCount.exists()) {
        for (int c = 1; c <= NoCells; ++c) {
            CstressCount[c] = 0;
            CstressRatio[c] = 0.0;
        }
    }
    InterpolateColumns(F);
    if (F147Int3 == 2) {
        ExtrapolateNewColumnB();
    } else {
        ExtrapolateNewColumnA();
    }
    if (Iter > 1) CheckExtrapolatedPressure();
    RestoreSedimentTotals(F);
    if (LayerBlockOption > 0) LayerBlockSettings();
    if (LayerBlockOption > 1 && F339Option > 0) MapAppendedBlockVelocities(F);
    KeepAsOld(F);
}
