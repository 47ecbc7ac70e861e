// A multigrid step for the three-dimensional equation about to be solved:
// every column's equation summed into its column cell, the plan levels
// solved (the coarser ones first when asked) and the result brought back to
// the column's cells, as the start value of the pressure correction or as a
// correction of U, V, W, k and epsilon.
#include <omp.h>

#include <algorithm>
#include <cstddef>

#include "flow/face_interpolation.h"
#include "flow/flow_data.h"
#include "grid/grid_data.h"
#include "run/params_f1.h"
#include "run/params_f150.h"
#include "run/params_f200.h"
#include "run/params_f300.h"
#include "run/params_g.h"
#include "run/run_state.h"
#include "solver/multigrid_levels.h"
#include "solver/parallel_solver.h"
#include "solver/solver_data.h"
#include "solver/solver_notices.h"
#include "solver/solver_services.h"

namespace {

constexpr int kPressureCorrection = 4;
constexpr double kFixedDiagonal = 1e15;
constexpr double kSmallDiagonal = 1e-15;
// The diagonal of a coarse cell that nothing couples to.
constexpr double kLonelyDiagonal = 100.0;
// The G 50 switch that makes the equation solvers serial.
constexpr int kSolverSwitch = 8;

struct Range {
    int first = 0, last = -1;
};

double At(const Array1<double>& a, int c) { return c != 0 ? a[c] : 0.0; }

class Multigrid3D {
public:
    // False when the levels or the arrays do not serve this call.
    bool prepare() {
        const int r = NoBlocks + 1;
        if (NoBlocks < 0 || r > kMaxBlocks || BlockTable[r].depthAveraged != kLevelRecordKind ||
            !Cchildren.exists() || Cchildren.extent2() <= kSE) {
            NoticeOnce("SolveMultigrid3D: no multigrid levels behind the last block; no multigrid correction\n");
            return false;
        }
        record_ = r;
        cells_ = std::min({Cap.size(), Cae.size(), Caw.size(), Can.size(), Cas.size(), Csource.size(), Cf.size(),
                           Ccelle.size(), Ccellw.size(), Ccelln.size(), Ccells.size(), Cchildren.extent1()});
        lastRecord_ = std::min(r + MultigridLevels - 2, kMaxBlocks);
        column_ = cellsOf(r);
        return column_.last >= column_.first;
    }

    void pressure() {
        for (int n = column_.first; n <= column_.last; ++n) {
            const Column col = column(n);
            double source = 0.0;
            sumSides(n, col, [&](int c) {
                if (FreeSurfaceOption != 16 || Cap[c] < kFixedDiagonal) source += Csource[c];
            });
            Csource[n] = source;
            Cap[n] = Caw[n] + Cae[n] + Can[n] + Cas[n];
            isolate(n);
            Cf[n] = 0.0;
        }
        for (int rec = record_ + 1; rec <= lastRecord_; ++rec) restrict(cellsOf(rec), false);
        if (MultigridChoice > 1) solveCoarser();
        solveColumnLevel(true);
        for (int n = column_.first; n <= column_.last; ++n) {
            const Column col = column(n);
            if (!col.ok || isolated(n)) continue;
            for (int c = col.first; c <= col.last; ++c) Cf[c] = Cf[n];
        }
    }

    // False when the equation has no residual field.
    bool correction() {
        Array1<double>* res = CellResidualField(Equation);
        if (CellResidualFlag != 1 || !res || res->size() < cells_ || res->size() <= static_cast<size_t>(NoCells)) {
            NoticeOnce("SolveMultigrid3D: no residual fields (F 153); U, V, W, k and epsilon get no correction\n");
            return false;
        }
        for (int n = column_.first; n <= column_.last; ++n) {
            const Column col = column(n);
            double mean = 0.0;
            sumSides(n, col, [&](int c) { mean += (*res)[c]; });
            if (col.ok) mean /= col.last + 1 - col.first;
            Cap[n] = Caw[n] + Cae[n] + Can[n] + Cas[n];
            Csource[n] = mean * Cap[n];
            isolate(n);
            Cap[n] *= 2.0;
            Cf[n] = 0.0;
        }
        if (MultigridChoice > 1) {
            for (int rec = record_ + 1; rec <= lastRecord_; ++rec) restrict(cellsOf(rec), true);
            solveCoarser();
        }
        solveColumnLevel(false);
        for (int n = column_.first; n <= column_.last; ++n) {
            const Column col = column(n);
            if (!col.ok || isolated(n)) continue;
            for (int c = col.first; c <= col.last; ++c) Cf[c] += Cf[n];
        }
        return true;
    }

private:
    struct Column {
        int first = 0, last = -1;
        bool ok = false;
    };

    Range cellsOf(int rec) const {
        if (rec > kMaxBlocks) return {};
        const BlockRecord& b = BlockTable[rec];
        if (b.firstCell <= NoCells || b.lastCell < b.firstCell || static_cast<size_t>(b.lastCell) >= cells_) return {};
        return {b.firstCell, b.lastCell};
    }

    static Column column(int n) {
        const int b = Cchildren[n][kSW], t = Cchildren[n][kNW];
        return {b, t, b >= 1 && t >= b && t <= NoCells};
    }

    // The side coefficients of the column's cells into n; `each(c)` for
    // every cell of the column.
    template <class F>
    static void sumSides(int n, const Column& col, F each) {
        double e = 0.0, w = 0.0, no = 0.0, s = 0.0;
        for (int c = col.first; col.ok && c <= col.last; ++c) {
            e += Cae[c];
            w += Caw[c];
            no += Can[c];
            s += Cas[c];
            each(c);
        }
        Cae[n] = e;
        Caw[n] = w;
        Can[n] = no;
        Cas[n] = s;
    }

    // A column that couples to no other carries nothing: its equation is set
    // to keep its value 0, and it gets neither start value nor correction.
    static void isolate(int n) {
        if (Cap[n] >= kSmallDiagonal) return;
        Cap[n] = 1.0;
        Csource[n] = 0.0;
    }
    static bool isolated(int n) { return Cae[n] + Caw[n] + Can[n] + Cas[n] < kSmallDiagonal; }

    // The equation of each coarse cell from its children; on the residual
    // path the children's sources are mean residuals scaled to the cell.
    void restrict(Range r, bool residualPath) const {
        for (int n = r.first; n <= r.last; ++n) {
            const int* ch = &Cchildren[n][0];
            const int sw = ch[kSW], nw = ch[kNW], ne = ch[kNE], se = ch[kSE];
            double source = 0.0;
            int m = 0;
            for (const int k : {sw, nw, ne, se}) {
                if (k == 0) continue;
                source += residualPath ? Csource[k] / Cap[k] : Csource[k];
                ++m;
            }
            Caw[n] = At(Caw, sw) + At(Caw, nw);
            Cas[n] = At(Cas, sw) + At(Cas, se);
            Can[n] = At(Can, nw) + At(Can, ne);
            Cae[n] = At(Cae, ne) + At(Cae, se);
            Cap[n] = Caw[n] + Cas[n] + Can[n] + Cae[n];
            if (Cap[n] < kSmallDiagonal) Cap[n] = kLonelyDiagonal;
            if (residualPath) {
                Csource[n] = Cap[n] / (m + 1e-20) * source;
                Cap[n] *= 2.0;
            } else {
                Csource[n] = source;
            }
            Cf[n] = 0.0;
        }
    }

    // From the coarsest level down to the one above the column level: three
    // sweeps, then the children start from the cell's value.
    void solveCoarser() const {
        for (int rec = lastRecord_; rec > record_; --rec) {
            if (BlockTable[rec].gridLevel <= 2) continue;
            const Range r = cellsOf(rec);
            if (r.last < r.first) continue;
            SolvePlanCellRange(r.first, r.last, 3);
            for (int n = r.first; n <= r.last; ++n) {
                for (int k = kSW; k <= kSE; ++k) {
                    if (const int child = Cchildren[n][k]) Cf[child] = Cf[n];
                }
            }
        }
    }

    void solveColumnLevel(bool mayShare) const {
        if (!mayShare || NoThreads <= 0 || OpenMPSwitches[kSolverSwitch] == 1 || SolverVariant > 26) {
            SolvePlanCellRange(column_.first, column_.last, 1);
            return;
        }
        const Range r = column_;
        const int threads = ThreadsForItems(r.last + 1 - r.first, std::min(NoThreads, omp_get_max_threads()));
#pragma omp parallel num_threads(threads) if (threads > 1)
        SolveMultigridLevelBody(r.first, r.last);
    }

    // One thread's share of the column level's NoThreads chunks, the last
    // chunk taking the remainder.
    static void SolveMultigridLevelBody(int first, int last) {
        const int chunks = NoThreads;
        const int size = (last + 1 - first) / chunks;
        const Share sh = ShareOf(chunks, omp_get_num_threads(), omp_get_thread_num());
        for (int k = sh.begin; k < sh.end; ++k) {
            const int from = first + k * size;
            const int to = k == chunks - 1 ? last : from + size - 1;
            SolvePlanCellRangeInBlock(from, to, 1);
        }
    }

    int record_ = 0, lastRecord_ = 0;
    size_t cells_ = 0;
    Range column_;
};

}  // namespace

void SolveMultigrid3D() {
    if (Equation < 1 || Equation > 6) return;
    Multigrid3D mg;
    if (!mg.prepare()) return;
    if (Equation == kPressureCorrection) {
        mg.pressure();
    } else if (!mg.correction()) {
        return;
    }
    if (MultigridVariant == 1) {
        SolveLineTdmaK();
    } else if (MultigridVariant == 2) {
        SolveLineTdma();
    }
}
