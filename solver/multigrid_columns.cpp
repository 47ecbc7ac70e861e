// Two column cycles over the multigrid levels that no driver chooses: the
// pressure-correction cycle built straight from the cells of the blocks, and
// the residual-mean correction of the momentum and turbulence fields. Both
// keep to the level records as they stand and do nothing where the levels do
// not match the grid, rather than write over cells of another level.
#include <algorithm>
#include <cstddef>

#include "flow/flow_data.h"
#include "grid/grid_data.h"
#include "run/params_f150.h"
#include "run/run_state.h"
#include "solver/multigrid_level_records.h"
#include "solver/solver_data.h"
#include "solver/solver_services.h"

namespace {

using namespace multigrid;

constexpr double kSmallDiagonal = 1e-15;
// A coarse cell without couplings is held at its (zero) start value.
constexpr double kUncoupledDiagonal = 1e20;

size_t EquationCells() {
    return std::min({Cap.size(), Cae.size(), Caw.size(), Can.size(), Cas.size(), Csource.size(), Cf.size(),
                     Ccelle.size(), Ccellw.size(), Ccelln.size(), Ccells.size(), Cchildren.extent1()});
}

bool HasChildRecords() { return Cchildren.exists() && Cchildren.extent2() > kSE; }

// The level records r + 1 .. r + count - 1 that hold cells, coarsest last.
int LastCoarseRecord(int r, int levels) { return std::min(r + levels - 2, kMaxBlocks); }

// The blocks whose cells make the water columns of the block-column cycle.
bool IsColumnBlock(const BlockRecord& b) { return b.depthAveraged == 0; }

// Calls visit(n, c) for every cell c of the blocks, in block order, with n
// the column cell its column gets: a bed cell starts the next column cell
// from `first`, the cells above it follow. Returns the last number given.
template <class Visit>
int WalkBlockColumns(int first, Visit visit) {
    int n = first - 1;
    for (int b = 1; b <= std::min(NoBlocks, kMaxBlocks); ++b) {
        const BlockRecord& r = BlockTable[b];
        if (!IsColumnBlock(r)) continue;
        const int last = std::min(r.lastCell, NoCells);
        for (int c = std::max(r.firstCell, 1); c <= last; ++c) {
            if (Ccellb[c] == 0) ++n;
            if (n >= first) visit(n, c);
        }
    }
    return n;
}

// The pressure-correction restriction: sums of the children's sources and of
// their outer sides; a cell without couplings gets the diagonal `uncoupled`.
void RestrictSums(LevelRange r, double uncoupled) {
    for (int n = r.first; n <= r.last; ++n) {
        const int* ch = &Cchildren[n][0];
        const int sw = ch[kSW], nw = ch[kNW], ne = ch[kNE], se = ch[kSE];
        Csource[n] = At(Csource, sw) + At(Csource, nw) + At(Csource, ne) + At(Csource, se);
        Caw[n] = At(Caw, sw) + At(Caw, nw);
        Cas[n] = At(Cas, sw) + At(Cas, se);
        Can[n] = At(Can, nw) + At(Can, ne);
        Cae[n] = At(Cae, ne) + At(Cae, se);
        Cap[n] = Caw[n] + Cas[n] + Can[n] + Cae[n];
        if (Cap[n] < kSmallDiagonal) Cap[n] = uncoupled;
        Cf[n] = 0.0;
    }
}

// The bed and top cell of column cell n, when they are cells of the grid.
bool ColumnOf(int n, int& bed, int& top) {
    bed = Cchildren[n][kSW];
    top = Cchildren[n][kNW];
    return bed >= 1 && top >= bed && top <= NoCells;
}

struct ResidualField {
    int equation;
    Array1<double>* residual;
    Array1<double>* field;
};

}  // namespace

void SolveMultigridBlockColumns() {
    const int r = ColumnLevelRecord();
    if (r == 0 || !HasChildRecords() || !Ccellb.exists()) return;
    const size_t cells = EquationCells();
    const LevelRange column = Cells(r, cells);
    if (column.empty() || static_cast<size_t>(NoCells) >= std::min(cells, Ccellb.size())) return;
    // The column cells must be the ones the levels were built with.
    if (WalkBlockColumns(column.first, [](int, int) {}) != column.last) return;

    for (int n = column.first; n <= column.last; ++n) {
        Csource[n] = Cae[n] = Caw[n] = Can[n] = Cas[n] = Cf[n] = 0.0;
    }
    WalkBlockColumns(column.first, [](int n, int c) {
        Csource[n] += Csource[c];
        Cae[n] += Cae[c];
        Caw[n] += Caw[c];
        Can[n] += Can[c];
        Cas[n] += Cas[c];
    });
    for (int n = column.first; n <= column.last; ++n) Cap[n] = Cae[n] + Caw[n] + Can[n] + Cas[n];

    if (MultigridChoice > 1) {
        const int last = LastCoarseRecord(r, MultigridLevels);
        for (int rec = r + 1; rec <= last; ++rec) RestrictSums(Cells(rec, cells), kUncoupledDiagonal);
        for (int rec = last; rec > r; --rec) {
            const LevelRange level = Cells(rec, cells);
            if (BlockTable[rec].gridLevel <= 2 || level.empty()) continue;
            SolvePlanCellRange(level.first, level.last, 1);
            ProlongLevel(level);
        }
    }
    SolvePlanCellRange(column.first, column.last, 1);
    WalkBlockColumns(column.first, [](int n, int c) { Cf[c] = Cf[n]; });
}

void SolveMultigridResidualMeans(int levelLimit) {
    const int r = ColumnLevelRecord();
    if (r == 0 || !HasChildRecords()) return;
    const size_t cells = EquationCells();
    const LevelRange column = Cells(r, cells);
    if (column.empty()) return;
    const int last = LastCoarseRecord(r, std::min({levelLimit, MultigridChoice, MultigridLevels}));
    int lastCell = column.last;
    for (int rec = r + 1; rec <= last; ++rec) lastCell = std::max(lastCell, Cells(rec, cells).last);

    const ResidualField fields[] = {
        {1, &Cu_res, &Cu}, {2, &Cv_res, &Cv}, {3, &Cw_res, &Cw}, {5, &Ck_res, &Ck}, {6, &Cepsilon_res, &Cepsilon}};
    const int savedEquation = Equation;
    const auto savedField = Cf.save();
    for (const ResidualField& e : fields) {
        Array1<double>& res = *e.residual;
        Array1<double>& field = *e.field;
        if (res.size() <= static_cast<size_t>(lastCell) || field.size() <= static_cast<size_t>(NoCells)) continue;

        for (int n = column.first; n <= column.last; ++n) {
            int bed = 0, top = 0;
            double sum = 0.0;
            if (!ColumnOf(n, bed, top)) {
                res[n] = 0.0;
                continue;
            }
            for (int c = bed; c <= top; ++c) sum += res[c];
            res[n] = sum / (top + 1 - bed);
        }
        for (int rec = r + 1; rec <= last; ++rec) {
            const LevelRange level = Cells(rec, cells);
            for (int n = level.first; n <= level.last; ++n) {
                double sum = 0.0;
                int m = 0;
                for (int k = kSW; k <= kSE; ++k) {
                    if (const int child = Cchildren[n][k]) {
                        sum += res[child];
                        ++m;
                    }
                }
                res[n] = m > 0 ? sum / m : 0.0;
            }
        }

        Equation = e.equation;
        Cf.designate(res);
        for (int rec = last; rec > r; --rec) {
            const LevelRange level = Cells(rec, cells);
            if (level.empty()) continue;
            SolvePlanCellRange(level.first, level.last, 5);
            for (int n = level.first; n <= level.last; ++n) {
                for (int k = kSW; k <= kSE; ++k) {
                    if (const int child = Cchildren[n][k]) res[child] = 0.5 * (res[child] + res[n]);
                }
            }
        }
        SolvePlanCellRange(column.first, column.last, 1);
        for (int n = column.first; n <= column.last; ++n) {
            int bed = 0, top = 0;
            if (!ColumnOf(n, bed, top)) continue;
            for (int c = bed; c <= top; ++c) field[c] += res[n];
        }
    }
    Cf.restore(savedField);
    Equation = savedEquation;
}
