// Tri-diagonal (Thomas) solves of Cf up the water columns, the horizontal
// neighbours taken at their current values.
#include <algorithm>
#include <cstddef>

#include "flow/cell_lookup.h"
#include "flow/flow_data.h"
#include "grid/grid_data.h"
#include "run/run_state.h"
#include "solver/solver_data.h"
#include "solver/solver_notices.h"
#include "solver/solver_services.h"

namespace {

constexpr int kShortestColumn = 4;  // top - bed of a column of five cells

bool WorkFits(int last) {
    const size_t n = static_cast<size_t>(last);
    return last >= 1 && CtdmaP.size() > n && CtdmaQ.size() > n && Cf.size() > n && Cap.size() > n &&
           Ccellt.size() > n;
}

// Cells first..last, numbered consecutively up each column. The recursion
// starts afresh at every cell whose cell below is not the previous one (a
// bed cell) and ends at every cell whose cell above is not the next one (a
// top cell): a top face that carries flux then ties no column to the next,
// and its coupling enters at the current value instead.
void SolveCells(int first, int last) {
    for (int c = first; c <= last; ++c) {
        const int below = Ccellb[c], above = Ccellt[c];
        const bool chained = c > first && below == c - 1;
        const double pPrev = chained ? CtdmaP[c - 1] : 0.0;
        const double qPrev = chained ? CtdmaQ[c - 1] : 0.0;
        double rhs = Can[c] * Cf[Ccelln[c]] + Cas[c] * Cf[Ccells[c]] + Cae[c] * Cf[Ccelle[c]] +
                     Caw[c] * Cf[Ccellw[c]] + Csource[c];
        if (!chained) rhs += Cab[c] * Cf[below];
        const bool continues = c < last && above == c + 1;
        if (!continues) rhs += Cat[c] * Cf[above];
        const double d = Cap[c] - Cab[c] * pPrev + 1e-20;
        CtdmaP[c] = continues ? Cat[c] / d : 0.0;
        CtdmaQ[c] = (Cab[c] * qPrev + rhs) / d;
    }
    for (int c = last; c >= first; --c) {
        const bool continues = c < last && Ccellt[c] == c + 1;
        Cf[c] = (continues ? CtdmaP[c] * Cf[c + 1] : 0.0) + CtdmaQ[c];
    }
}

int LastBlock() { return std::min(NoBlocks, kMaxBlocks); }

}  // namespace

void SolveLineTdma() {
    const int first = std::max(FirstCell, 1), last = std::min(LastCell, NoCells);
    if (last < first) return;
    if (!WorkFits(last)) {
        NoticeOnce("SolveLineTdma: no TDMA work arrays (F 186 or F 344), the equation is left as it is\n");
        return;
    }
    SolveCells(first, last);
}

void SolveLineTdmaK() {
    if (!WorkFits(NoCells)) {
        NoticeOnce("SolveLineTdmaK: no TDMA work arrays (F 344), the equation is left as it is\n");
        return;
    }
    for (int b = 1; b <= LastBlock(); ++b) {
        const BlockRecord& r = BlockTable[b];
        if (r.gridLevel != 0 || r.iLast < r.iFirst) continue;
        for (int i = r.iLast; i >= r.iFirst; --i) {
            for (int j = r.jFirst; j <= r.jLast; ++j) {
                const int bed = GridColumnBottom(i, j);
                if (bed <= 0) continue;
                int top = bed;
                for (int n = 0; IsGridCell(Ccellt[top]) && n < NoCells; ++n) top = Ccellt[top];
                if (top - bed >= kShortestColumn) SolveCells(bed, top);
            }
        }
    }
}

double SumColumnPressures(int c1, int c2, int c3, int c4) {
    double sum = 0.0;
    for (const int top : {c1, c2, c3, c4}) {
        if (!IsGridCell(top)) continue;
        double p = 0.0;
        int n = 0;
        for (int c = top; IsGridCell(c) && n <= NoCells; c = Ccellb[c]) {
            p += Pres[c];
            ++n;
        }
        sum += p / n;
    }
    return sum;
}
