// Additive line corrections of Cf: the cell equations of every line of water
// columns summed into one equation per line, the lines solved as one
// tri-diagonal system and each line's correction added to all its cells.
// First the j lines, then the i lines.
#include <omp.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "flow/cell_lookup.h"
#include "flow/face_interpolation.h"
#include "flow/flow_data.h"
#include "grid/grid_data.h"
#include "run/params_f100.h"
#include "run/params_f50.h"
#include "run/params_k.h"
#include "run/run_state.h"
#include "solver/solver_data.h"
#include "solver/solver_services.h"

namespace {

// Cells with a diagonal this large hold a fixed value.
constexpr double kFixedDiagonal = 1e15;
// A line whose reduced diagonal is this small a part of its own sum couples
// to nothing that can carry a correction.
constexpr double kPivotShare = 1e-10;
constexpr double kDeadPivot = 1e30;

struct LineSums {
    double d = 0.0, r = 0.0, lo = 0.0, hi = 0.0;
};

// The line sums and the recursion coefficients of the line chain; grown to
// the longest chain met so far, so a run allocates them once.
std::vector<LineSums> g_sums;
std::vector<double> g_p, g_q, g_r;

bool Eligible(const BlockRecord& b) { return b.depthAveraged == 0 && b.field11 == 1 && b.jLast >= b.jFirst; }

int LastBlock() { return std::min(NoBlocks, kMaxBlocks); }

// The cells of column (i, j) from the bed up, `f(c)` for each.
template <class F>
void ForColumn(int i, int j, F f) {
    for (int c = GridColumnBottom(i, j), n = 0; IsGridCell(c) && n <= NoCells; c = Ccellt[c], ++n) f(c);
}

// The residual of cell c and its part of the line sums; `inLine` the
// coefficients towards cells of the same line, `lo`/`hi` those towards the
// previous and the next line.
void AddCell(int c, double inLine, double lo, double hi, LineSums& s) {
    if (Cap[c] >= kFixedDiagonal) return;
    s.d += Cap[c] - Cat[c] - Cab[c] - inLine;
    s.r += Csource[c] - Cap[c] * Cf[c] + Cae[c] * Cf[Ccelle[c]] + Caw[c] * Cf[Ccellw[c]] + Can[c] * Cf[Ccelln[c]] +
           Cas[c] * Cf[Ccells[c]] + Cat[c] * Cf[Ccellt[c]] + Cab[c] * Cf[Ccellb[c]];
    s.lo += lo;
    s.hi += hi;
}

// Line of fixed j over the columns i0..i1.
LineSums JLine(int j, int i0, int i1) {
    LineSums s;
    for (int i = i0; i <= i1; ++i) {
        ForColumn(i, j, [&](int c) {
            const double inLine = (i != i1 ? Cae[c] : 0.0) + (i != i0 ? Caw[c] : 0.0);
            AddCell(c, inLine, Cas[c], Can[c], s);
        });
    }
    return s;
}

void CorrectJLine(int j, int i0, int i1, double r) {
    for (int i = i0; i <= i1; ++i) ForColumn(i, j, [r](int c) { Cf[c] += r; });
}

// Line of fixed i over the columns j of j0..j1 that `covered` marks (all
// of them without a mask); jBed and jTop bound the line.
LineSums ILine(int i, int j0, int j1, const std::vector<char>* covered, int jBed, int jTop) {
    LineSums s;
    for (int j = j0; j <= j1; ++j) {
        if (covered && !(*covered)[j]) continue;
        ForColumn(i, j, [&](int c) {
            const double inLine = (j != jTop ? Can[c] : 0.0) + (j != jBed ? Cas[c] : 0.0);
            AddCell(c, inLine, Caw[c], Cae[c], s);
        });
    }
    return s;
}

void CorrectILine(int i, int j0, int j1, const std::vector<char>* covered, double r) {
    for (int j = j0; j <= j1; ++j) {
        if (!covered || (*covered)[j]) ForColumn(i, j, [r](int c) { Cf[c] += r; });
    }
}

// The tri-diagonal solve over lines 1..count: `sums(k)` gives the sums of
// line k, `add(k, r)` receives its correction. Lines hold disjoint cells, so
// the sums and the corrections run line by line on the threads (each line
// summed in its own order, as serially); only the short recursion is serial.
template <class Sums, class Add>
void SolveChain(int count, Sums sums, Add add) {
    if (count <= 0) return;
    const size_t need = static_cast<size_t>(count) + 1;
    if (g_p.size() < need) {
        g_sums.resize(need);
        g_p.resize(need);
        g_q.resize(need);
        g_r.resize(need);
    }
    // The lines share the active cells between them.
    const int threads = std::min(ThreadsForItems(LastCell + 1 - FirstCell, omp_get_max_threads()), count);
#pragma omp parallel for schedule(dynamic, 4) num_threads(threads) if (threads > 1)
    for (int k = 1; k <= count; ++k) g_sums[k] = sums(k);
    g_p[0] = g_q[0] = 0.0;
    for (int k = 1; k <= count; ++k) {
        const LineSums& s = g_sums[k];
        double d = s.d - s.lo * g_p[k - 1];
        if (std::fabs(d / (s.d + 1e-20)) < kPivotShare) d = kDeadPivot;
        g_p[k] = s.hi / d;
        g_q[k] = (s.lo * g_q[k - 1] + s.r) / d;
    }
    double r = 0.0;
    for (int k = count; k >= 1; --k) g_r[k] = r = r * g_p[k] + g_q[k];
#pragma omp parallel for schedule(dynamic, 4) num_threads(threads) if (threads > 1)
    for (int k = 1; k <= count; ++k) add(k, g_r[k]);
}

void PerBlockCorrection() {
    for (int b = 1; b <= LastBlock(); ++b) {
        const BlockRecord& r = BlockTable[b];
        if (!Eligible(r)) continue;
        SolveChain(
            r.jLast - r.jFirst + 1, [&](int k) { return JLine(r.jFirst + k - 1, r.iFirst, r.iLast); },
            [&](int k, double x) { CorrectJLine(r.jFirst + k - 1, r.iFirst, r.iLast, x); });
    }
    for (int b = 1; b <= LastBlock(); ++b) {
        const BlockRecord& r = BlockTable[b];
        if (!Eligible(r) || r.iLast < r.iFirst) continue;
        SolveChain(
            r.iLast - r.iFirst + 1,
            [&](int k) { return ILine(r.iFirst + k - 1, r.jFirst, r.jLast, nullptr, r.jFirst, r.jLast); },
            [&](int k, double x) { CorrectILine(r.iFirst + k - 1, r.jFirst, r.jLast, nullptr, x); });
    }
}

// The j lines of all blocks as one chain, then the global i lines. The
// chain is as long as the blocks' lines together, not one grid side; a
// column that the j ranges of two blocks both reach is one column of its i
// line, summed and corrected once.
void ChainedCorrection() {
    struct JLineRef {
        int block, j;
    };
    static std::vector<JLineRef> lines;
    lines.clear();
    int lastI = 2;
    for (int b = 1; b <= LastBlock(); ++b) {
        const BlockRecord& r = BlockTable[b];
        if (!Eligible(r)) continue;
        for (int j = r.jFirst; j <= r.jLast; ++j) lines.push_back({b, j});
        lastI = std::max(lastI, r.iLast);
    }
    SolveChain(
        static_cast<int>(lines.size()),
        [&](int k) {
            const BlockRecord& r = BlockTable[lines[k - 1].block];
            return JLine(lines[k - 1].j, r.iFirst, r.iLast);
        },
        [&](int k, double x) {
            const BlockRecord& r = BlockTable[lines[k - 1].block];
            CorrectJLine(lines[k - 1].j, r.iFirst, r.iLast, x);
        });

    static std::vector<char> covered;
    int jLow = 0, jHigh = -1;
    for (int b = 1; b <= LastBlock(); ++b) {
        const BlockRecord& r = BlockTable[b];
        if (r.depthAveraged != 0 || r.jLast < r.jFirst || r.jFirst < 0) continue;
        if (jHigh < jLow) {
            jLow = r.jFirst;
            jHigh = r.jLast;
        }
        jLow = std::min(jLow, r.jFirst);
        jHigh = std::max(jHigh, r.jLast);
        if (covered.size() <= static_cast<size_t>(r.jLast)) covered.resize(static_cast<size_t>(r.jLast) + 1);
    }
    if (jHigh < jLow) return;
    std::fill(covered.begin(), covered.end(), 0);
    for (int b = 1; b <= LastBlock(); ++b) {
        const BlockRecord& r = BlockTable[b];
        if (r.depthAveraged != 0 || r.jFirst < 0) continue;
        for (int j = r.jFirst; j <= r.jLast; ++j) covered[j] = 1;
    }
    SolveChain(
        lastI - 1, [&](int k) { return ILine(k + 1, jLow, jHigh, &covered, jLow, jHigh); },
        [&](int k, double x) { CorrectILine(k + 1, jLow, jHigh, &covered, x); });
}

}  // namespace

void ApplyBlockCorrection() {
    if (Equation < 0 || Equation >= kEquationTableSize || ConvectionScheme[Equation] == 1 || SplitFaceFlag != 0) {
        return;
    }
    if (SkipBlockCorrection == 0) {
        PerBlockCorrection();
    } else if (SkipBlockCorrection == 1) {
        ChainedCorrection();
    }
}
