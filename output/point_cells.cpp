#include "output/point_cells.h"

#include "output/output_names.h"
#include "output/plot_variables.h"
#include "output/results_writers.h"
#include "run/globals.h"
#include "run/log.h"

namespace {

void SetNode(int point, int i, int j) {
    if (!IndexIn(point, Pkooi.size()) || !IndexIn(point, Pkooj.size())) return;
    Pkooi[point] = i;
    Pkooj[point] = j;
}

// One of the four columns around a node: its offset from the node, the two
// corners of its cells that lie on the node, and the adjacent column whose
// bottom cell leads diagonally to a substitute start cell.
struct ColumnPass {
    int di, dj;
    const Array1<int>* corner[2];
    int si, sj;                                   // offset of the adjacent column
    const Array1<int>* step[2];                   // the two links to the diagonal cell
};

const ColumnPass kPasses[4] = {
    {1, 1, {&Cpoint1, &Cpoint5}, 0, 0, {&Ccelln, &Ccelle}},
    {0, 0, {&Cpoint3, &Cpoint7}, 1, 1, {&Ccells, &Ccellw}},
    {0, 1, {&Cpoint2, &Cpoint6}, 1, 0, {&Ccelln, &Ccellw}},
    {1, 0, {&Cpoint4, &Cpoint8}, 0, 1, {&Ccells, &Ccelle}},
};

// The diagonal cell from b0: first along step[0] then step[1]; when that
// leads nowhere, the other way round.
int DiagonalCell(int b0, const ColumnPass& pass) {
    const int c = ValueAt(*pass.step[1], ValueAt(*pass.step[0], b0));
    return c != 0 ? c : ValueAt(*pass.step[0], ValueAt(*pass.step[1], b0));
}

}  // namespace

void SetPointGridNodes() {
    for (int i = 2; i <= NoGridLinesX; ++i) {
        for (int j = 2; j <= NoGridLinesY; ++j) {
            for (int c = NodeColumnBottomCell(i, j), steps = 0; c > 0 && steps < NoCells; ++steps) {
                SetNode(ValueAt(Cpoint1, c), i - 1, j - 1);
                SetNode(ValueAt(Cpoint5, c), i - 1, j - 1);
                SetNode(ValueAt(Cpoint2, c), i, j - 1);
                SetNode(ValueAt(Cpoint6, c), i, j - 1);
                SetNode(ValueAt(Cpoint3, c), i, j);
                SetNode(ValueAt(Cpoint7, c), i, j);
                SetNode(ValueAt(Cpoint4, c), i - 1, j);
                SetNode(ValueAt(Cpoint8, c), i - 1, j);
                c = ValueAt(Ccellt, c);
            }
        }
    }
}

void SetPointMerges(int first, int last) {
    for (int p = first; p <= last; ++p) {
        if (IndexIn(p, Pmerge.size())) Pmerge[p] = p;
    }
    const Array1<int>* corners[4] = {&Fpoint1, &Fpoint2, &Fpoint3, &Fpoint4};
    for (int e = 1; e <= NoEdgePairs; ++e) {
        const int s1 = ValueAt(EdgePairs, e, 0), s2 = ValueAt(EdgePairs, e, 1);
        for (const Array1<int>* corner : corners) {
            const int p = ValueAt(*corner, s1);
            if (IndexIn(p, Pmerge.size())) Pmerge[p] = ValueAt(*corner, s2);
        }
    }
}

void CellsAtPoint(int p, bool substitute, std::vector<int>* cells) {
    cells->clear();
    const int q = ValueAt(Pmerge, p);
    const int i = ValueAt(Pkooi, p), j = ValueAt(Pkooj, p);
    for (const ColumnPass& pass : kPasses) {
        int c = NodeColumnBottomCell(i + pass.di, j + pass.dj);
        if (c == 0 && substitute && NoBlocks >= 2) {
            c = DiagonalCell(NodeColumnBottomCell(i + pass.si, j + pass.sj), pass);
        }
        // The column's own cells only: numbers past its top cell belong to
        // other columns, or to no cell at all beyond NoCells.
        for (int steps = 0; c > 0 && c <= NoCells && steps < NoCells; ++steps) {
            if (ValueAt(*pass.corner[0], c) == q || ValueAt(*pass.corner[1], c) == q) cells->push_back(c);
            c = ValueAt(Ccellt, c);
        }
    }
}

void RequirePointCellCounts(const std::string& name) {
    const auto fits = [](int count, size_t size) { return count >= 0 && static_cast<size_t>(count) < size; };
    const bool fit = fits(NoPoints, Px1.size()) && fits(NoPoints, Py1.size()) && fits(NoPoints, Pz1.size()) &&
                     fits(NoPoints, Pmerge.size()) && fits(NoPoints, Pkooi.size()) && fits(NoPoints, Pkooj.size()) &&
                     fits(NoCells, Cpoint1.size()) && fits(NoCells, Cu.size()) &&
                     (NoEdgePairs <= 0 || fits(NoEdgePairs, EdgePairs.extent1()));
    if (fit) return;
    LogAppend("Error: the grid counts exceed the allocated arrays\n");
    FailOutputFile(name, name);
}
