#include "output/plan_points.h"

#include "output/plot_variables.h"
#include "output/results_writers.h"
#include "run/globals.h"
#include "run/log.h"

namespace {

// The two node lines of the point at index n of first - 1 .. last + 1: the
// lines on either side of the column, or the outer line twice on the ring.
void NodePair(int n, int first, int last, int* pair) {
    pair[0] = n - 1;
    pair[1] = n;
    if (n == first - 1) pair[0] = n;
    if (n == last + 1) pair[1] = n - 1;
}

int Clamp(int n, int first, int last) { return n < first ? first : n > last ? last : n; }

}  // namespace

bool LayoutPlanBlock(int b, const char* file, PlanLayout* layout) {
    const BlockRecord& r = BlockTable[b >= 0 && b <= kMaxBlocks ? b : 1];
    const bool inGrid = NoBlocks >= 1 && r.iFirst <= r.iLast && r.jFirst <= r.jLast && r.iFirst >= 1 &&
                        r.jFirst >= 1 && IndexIn(r.iLast, Gridz.extent1()) && IndexIn(r.jLast, Gridz.extent2());
    if (!inGrid) {
        LogAppend("Error: block %d does not lie inside the structured grid; '%s' is not written\n", b, file);
        return false;
    }
    layout->pointsPerRow = r.iLast - r.iFirst + 3;
    layout->rows = r.jLast - r.jFirst + 3;
    layout->points.clear();
    for (int j = r.jFirst - 1; j <= r.jLast + 1; ++j) {
        for (int i = r.iFirst - 1; i <= r.iLast + 1; ++i) {
            PlanPoint p{i, j, Clamp(i, r.iFirst, r.iLast), Clamp(j, r.jFirst, r.jLast), {}, {}};
            NodePair(i, r.iFirst, r.iLast, p.ni);
            NodePair(j, r.jFirst, r.jLast, p.nj);
            layout->points.push_back(p);
        }
    }
    return true;
}

int PlanCell(int i, int j) { return CellUp(NodeColumnBottomCell(i, j), PlanCellLevel - 1); }

double PlanNodeLetterValue(char letter, const PlanPoint& p) {
    return PlanNodeMean(p, [letter](int i, int j) { return PlotNodeValue(letter, i, j); });
}
