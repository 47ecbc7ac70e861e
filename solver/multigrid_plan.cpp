// A start value of the plan equation from the plan multigrid levels: the bed
// cells' equation copied to the column level, restricted to the coarser
// levels, solved from the coarsest down and brought back to the bed cells.
#include <omp.h>

#include <algorithm>
#include <cstddef>

#include "flow/cell_lookup.h"
#include "flow/flow_data.h"
#include "grid/grid_data.h"
#include "run/params_f100.h"
#include "run/params_f150.h"
#include "run/params_f200.h"
#include "run/params_f300.h"
#include "run/params_f50.h"
#include "run/params_g.h"
#include "run/run_state.h"
#include "solver/multigrid_level_records.h"
#include "solver/parallel_solver.h"
#include "solver/solver_data.h"
#include "solver/solver_services.h"

namespace {

using namespace multigrid;

// A bed cell with a diagonal above this holds a fixed value.
constexpr double kFixedDiagonal = 1e15;
constexpr double kSmallDiagonal = 1e-15;
// Coarse levels this small are solved no better than the one below them.
constexpr int kSmallLevelSpan = 8;
// The G 50 switch that makes the equation solvers serial.
constexpr int kSolverSwitch = 8;

// The column level copies the equation of its bed cell; a fixed bed cell
// brings only its couplings, so the level is not pinned to a value it
// cannot resolve.
void CopyColumnLevel(LevelRange r) {
    for (int n = r.first; n <= r.last; ++n) {
        const int b = Cchildren[n][kSW];
        Csource[n] = At(Csource, b);
        Cae[n] = At(Cae, b);
        Caw[n] = At(Caw, b);
        Can[n] = At(Can, b);
        Cas[n] = At(Cas, b);
        Cap[n] = At(Cap, b);
        Cf[n] = b != 0 ? Cf[b] : 0.0;
        if (Cap[n] > kFixedDiagonal) {
            Csource[n] = 0.0;
            Cap[n] = Caw[n] + Cae[n] + Can[n] + Cas[n];
        }
        // A fixed cell without couplings would divide zero by zero.
        Cap[n] = std::max(Cap[n], kSmallDiagonal);
    }
}

void RestrictLevel(LevelRange r) {
    for (int n = r.first; n <= r.last; ++n) {
        const int* ch = &Cchildren[n][0];
        const int sw = ch[kSW], nw = ch[kNW], ne = ch[kNE], se = ch[kSE];
        double source = 0.0, ap = 0.0, f = 0.0;
        int m = 0;
        for (const int k : {sw, nw, ne, se}) {
            if (k == 0) continue;
            if (Cap[k] < kFixedDiagonal) {
                source += Csource[k];
                ap += Cap[k];
            }
            if (Cap[k] > 1e-14) {
                ++m;
                f += Cf[k];
            }
        }
        Cf[n] = m > 0 ? f * (1.0 / m + 1e-15) : 0.0;
        Csource[n] = source;
        Caw[n] = At(Caw, sw) + At(Caw, nw);
        Cas[n] = At(Cas, sw) + At(Cas, se);
        Can[n] = At(Can, nw) + At(Can, ne);
        Cae[n] = At(Cae, ne) + At(Cae, se);
        // The couplings inside the group are no couplings of the coarse cell.
        ap -= At(Caw, se) + At(Caw, ne) + At(Can, sw) + At(Can, se) + At(Cae, sw) + At(Cae, nw) + At(Cas, nw) +
              At(Cas, ne);
        ap = std::max(ap, kSmallDiagonal);
        const double factor = m > 1 ? 0.5 : 1.0;
        const double sides = Caw[n] + Cae[n] + Can[n] + Cas[n];
        Cap[n] = ap - sides + factor * sides;
        Caw[n] *= factor;
        Cae[n] *= factor;
        Can[n] *= factor;
        Cas[n] *= factor;
    }
}

// The east links that the reference tie replaced, to be put back after the
// solve: the 3D multigrid reads the same levels and must not meet a bed cell
// as the east neighbour of a level cell.
struct TiedLinks {
    int cell[kBlockTableSize];
    int east[kBlockTableSize];
    int count = 0;
};

// Ties the coarse cells above the reference column to its value through an
// east coupling where they have none.
void TieReference(int r, int last, size_t cells, TiedLinks& tied) {
    const int c0 = GridColumnBottom(iPres, jPres);
    if (c0 <= 0 || static_cast<size_t>(c0) >= cells || Cap[c0] == 0.0) return;
    Cf[c0] = Csource[c0] / Cap[c0];
    int c = c0;
    for (int rec = r; rec <= last; ++rec) {
        if (BlockTable[rec].field11 != 0 || Cells(rec, cells).empty()) continue;
        c = Cchildren[c][kParent];
        if (c <= 0 || static_cast<size_t>(c) >= cells) return;
        if (Caw[c] > 0.0 && Cae[c] < kSmallDiagonal) {
            Cae[c] = Caw[c];
            Cap[c] += Caw[c];
            tied.cell[tied.count] = c;
            tied.east[tied.count] = Ccelle[c];
            ++tied.count;
            Ccelle[c] = c0;
        }
    }
}

// The column level in NoThreads chunks, the last taking the remainder.
struct ChunkedRange {
    int first, last, chunks;
};

void SolveMultigrid2DBody(const ChunkedRange& r) {
    const int size = (r.last + 1 - r.first) / r.chunks;
    const Share sh = ShareOf(r.chunks, omp_get_num_threads(), omp_get_thread_num());
    for (int k = sh.begin; k < sh.end; ++k) {
        const int first = r.first + k * size;
        const int last = k == r.chunks - 1 ? r.last : first + size - 1;
        SolvePlanCellRangeInBlock(first, last, 1);
    }
}

void SolveColumnLevel(LevelRange r) {
    if (NoThreads <= 0 || OpenMPSwitches[kSolverSwitch] == 1 || SolverVariant > 26) {
        SolvePlanCellRange(r.first, r.last, 1);
        return;
    }
    const ChunkedRange chunks{r.first, r.last, NoThreads};
#pragma omp parallel
    SolveMultigrid2DBody(chunks);
}

}  // namespace

void SolveMultigrid2D() {
    const int r = ColumnLevelRecord();
    if (r == 0 || !Cchildren.exists() || Cchildren.extent2() <= kSE) return;
    const size_t cells = std::min({Cap.size(), Cae.size(), Caw.size(), Can.size(), Cas.size(), Csource.size(),
                                   Cf.size(), Ccelle.size(), Cchildren.extent1()});
    int levels = std::min({MultigridChoice, MultigridLevels, kMaxBlocks + 2 - r});
    for (int drop = 0; drop < 2 && levels >= 2; ++drop) {
        const LevelRange coarsest = Cells(r + levels - 2, cells);
        if (coarsest.last - coarsest.first > kSmallLevelSpan) break;
        --levels;
    }
    const LevelRange column = Cells(r, cells);
    if (levels <= 1 || column.empty()) return;
    const int lastRecord = r + levels - 2;

    CopyColumnLevel(column);
    for (int rec = r + 1; rec <= lastRecord; ++rec) RestrictLevel(Cells(rec, cells));
    TiedLinks tied;
    if (PlanSolverOption == 3) TieReference(r, lastRecord, cells, tied);
    if (MultigridChoice > 1) {
        for (int rec = lastRecord; rec > r; --rec) {
            if (BlockTable[rec].gridLevel <= 2) continue;
            const LevelRange level = Cells(rec, cells);
            if (level.empty()) continue;
            SolvePlanCellRange(level.first, level.last, 6);
            ProlongLevel(level);
        }
    }
    SolveColumnLevel(column);
    for (int n = column.first; n <= column.last; ++n) {
        if (const int b = Cchildren[n][kSW]) Cf[b] = Cf[n];
    }
    for (int k = 0; k < tied.count; ++k) Ccelle[tied.cell[k]] = tied.east[k];
}
