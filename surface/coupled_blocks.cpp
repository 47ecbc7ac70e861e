// Blocks coupled to a partner block (F 238): the pressure shifted to match
// the partner's on average, the node levels taken from the partner columns,
// and the partner column of every column.
#include <algorithm>
#include <cmath>

#include "flow/flow_data.h"
#include "surface/surface_data.h"
#include "surface/surface_levels.h"
#include "surface/surface_services.h"

namespace {

int LastBlock() { return std::min(NoBlocks, kMaxBlocks); }

int ColumnNumber(int i, int j) { return Cbedcell[GridColumnBottom(i, j)]; }

int ConnectionOf(int i, int j) {
    const int n = ColumnNumber(i, j);
    return n > 0 && n < static_cast<int>(Bconnection.size()) ? Bconnection[n] : 0;
}

// The search radius around block b: the half extents of its middle column,
// at least the side of that column's plan area. `wet` tells whether the
// middle column holds a cell.
double SearchRadius(const BlockRecord& r, bool* wet = nullptr) {
    const int im = (r.iFirst + r.iLast) / 2, jm = (r.jFirst + r.jLast) / 2;
    const int cm = GridColumnBottom(im, jm);
    if (wet != nullptr) *wet = cm != 0;
    double radius = Cidist[cm] + Cjdist[cm];
    if (PlanArea.exists() && im >= 0 && jm >= 0 && static_cast<size_t>(im) < PlanArea.extent1() &&
        static_cast<size_t>(jm) < PlanArea.extent2()) {
        radius = std::max(radius, std::sqrt(std::max(PlanArea[im][jm], 0.0)));
    }
    return radius;
}

struct Nearest {
    int i = -1, j = -1;
    bool found() const { return i >= 0; }
};

// The node of (i1..i2, j1..j2) nearest to (x, y) below `radius` that `take`
// accepts; strictly nearer wins.
template <class Take>
Nearest NearestNode(double x, double y, double radius, int i1, int i2, int j1, int j2, Take take) {
    Nearest best;
    double bestDistance = radius;
    for (int i = i1; i <= i2; ++i) {
        for (int j = j1; j <= j2; ++j) {
            if (!IsGridNode(i, j) || !take(i, j)) continue;
            const double d = std::hypot(Gridx[i][j] - x, Gridy[i][j] - y);
            if (d < bestDistance) {
                bestDistance = d;
                best = {i, j};
            }
        }
    }
    return best;
}

void FindPartnerColumns() {
    for (int b = 1; b <= LastBlock(); ++b) {
        const BlockRecord& r = BlockTable[b];
        if (r.overlapLevel <= 0) continue;
        for (int i = r.iFirst; i <= r.iLast; ++i) {
            for (int j = r.jFirst; j <= r.jLast; ++j) {
                const int own = ColumnNumber(i, j);
                if (own <= 0 || own >= static_cast<int>(Bconnection.size())) continue;
                for (int b2 = 1; b2 <= LastBlock(); ++b2) {
                    const BlockRecord& p = BlockTable[b2];
                    if (p.overlapLevel != r.overlapLevel - 1) continue;
                    const Nearest n = NearestNode(Gridx[i][j], Gridy[i][j], SearchRadius(p), p.iFirst, p.iLast,
                                                  p.jFirst, p.jLast,
                                                  [](int a, int c) { return GridColumnBottom(a, c) != 0; });
                    if (n.found()) Bconnection[own] = ColumnNumber(n.i, n.j);
                }
            }
        }
    }
}

void FindChildNodes() {
    if (!GridSlideLevel.exists()) return;
    auto clear = [](int i, int j) {
        if (IsGridNode(i, j) && static_cast<size_t>(i) < GridSlideLevel.extent1() &&
            static_cast<size_t>(j) < GridSlideLevel.extent2()) {
            GridSlideLevel[i][j][0] = GridSlideLevel[i][j][1] = 0;
        }
    };
    for (int b = 1; b <= LastBlock(); ++b) {
        const BlockRecord& r = BlockTable[b];
        for (int i = r.iFirst - 1; i <= r.iLast; ++i) {
            for (int j = r.jFirst - 1; j <= r.jLast; ++j) clear(i, j);
        }
    }
    for (int b = 1; b <= LastBlock(); ++b) {
        const BlockRecord& r = BlockTable[b];
        if (r.overlapLevel != 0 && r.overlapLevel != 1) continue;
        bool wet = false;
        const double radius = SearchRadius(r, &wet);
        if (!wet) continue;
        for (int i = r.iFirst - 1; i <= r.iLast; ++i) {
            for (int j = r.jFirst - 1; j <= r.jLast; ++j) {
                if (!IsGridNode(i, j) || static_cast<size_t>(i) >= GridSlideLevel.extent1() ||
                    static_cast<size_t>(j) >= GridSlideLevel.extent2()) {
                    continue;
                }
                for (int b2 = 1; b2 <= LastBlock(); ++b2) {
                    const BlockRecord& c = BlockTable[b2];
                    if (c.overlapLevel != r.overlapLevel + 1) continue;
                    const Nearest n = NearestNode(Gridx[i][j], Gridy[i][j], radius, c.iFirst - 1, c.iLast,
                                                  c.jFirst - 1, c.jLast, [](int, int) { return true; });
                    if (!n.found()) continue;
                    GridSlideLevel[i][j][0] = n.i;
                    GridSlideLevel[i][j][1] = n.j;
                }
            }
        }
    }
}

double& Level(int i, int j) { return Gridz[i][j][NoGridLinesZ]; }

void SmoothNode(int i, int j) {
    Level(i, j) = 0.125 * (Level(i - 1, j) + Level(i, j - 1) + Level(i + 1, j) + Level(i, j + 1)) + 0.5 * Level(i, j);
}

void TakePartnerLevels(const BlockRecord& r) {
    const int i1 = r.iFirst, i2 = r.iLast, j1 = r.jFirst, j2 = r.jLast;
    for (int j = j1 - 1; j <= j2; ++j) {
        for (int i = i1 - 1; i <= i2; ++i) {
            if (!IsGridNode(i, j)) continue;
            const int ii = std::max(i, i1), jj = std::max(j, j1);
            int p = ConnectionOf(ii, jj);
            for (const auto& [di, dj] : {std::pair{1, 0}, std::pair{-1, 0}, std::pair{0, 1}, std::pair{0, -1}}) {
                if (p != 0) break;
                p = ConnectionOf(ii + di, jj + dj);
            }
            if (p <= 0 || p > NoBedCells || !IsGridCell(Bcellt[p])) continue;
            Level(i, j) = CellLevel(TopCellAbove(Bcellt[p]));
        }
    }
    for (int j = j1; j <= j2 - 1; ++j) {
        for (int i = i1; i <= i2 - 1; ++i) SmoothNode(i, j);
    }
    for (int j = j2 - 1; j >= j1; --j) {
        for (int i = i2 - 1; i >= i1; --i) SmoothNode(i, j);
    }
}

}  // namespace

void AverageCoupledPressure() {
    const bool links = Clink.exists();
    for (int b = 1; b <= LastBlock(); ++b) {
        const BlockRecord& r = BlockTable[b];
        if (r.overlapLevel <= 0) continue;
        const int first = std::max(r.firstCell, 1), last = std::min(r.lastCell, NoCells);
        double own = 0.0, linked = 0.0;
        int n = 0;
        for (int c = first; links && c <= last; ++c) {
            const int l = Clink[c];
            if (!IsGridCell(l)) continue;
            own += Pres[c];
            linked += Pres[l];
            ++n;
        }
        if (n == 0) continue;
        const double d = linked / n - own / n;
        for (int c = first; c <= last; ++c) Pres[c] += d;
    }
}

void AdjustCoupledBlockLevels() {
    if (!Bconnection.exists()) return;
    Bconnection[0] = 0;
    if (BlockCouplingOption == 5) ComputeColumnConnections();
    for (int b = 2; b <= LastBlock(); ++b) {
        if (BlockTable[b].overlapLevel > 0) TakePartnerLevels(BlockTable[b]);
    }
}

void ComputeColumnConnections() {
    if (Bconnection.exists()) {
        for (int n = 1; n <= std::min(NoBedCells, static_cast<int>(Bconnection.size()) - 1); ++n) Bconnection[n] = 0;
        FindPartnerColumns();
    }
    FindChildNodes();
}
