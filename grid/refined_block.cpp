// The refined window of F 130: a window of columns rebuilt three times finer
// in both directions as a block of its own beyond the existing blocks, its
// outer ring dry but for every third column (the teeth), whose sides are
// joined to the coarse grid by the side-edge matching.
#include <algorithm>

#include "grid/grid_data.h"
#include "grid/grid_generation.h"
#include "grid/grid_services.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/run_state.h"

namespace {

struct Window {
    int i1, i2, j1, j2;  // coarse columns
    int I0, I1, J0, J1;  // refined block columns
};

Window RefinedWindow(int previousJLast) {
    Window w{F130Int1, F130Int2, F130Int3, F130Int4, 0, 0, 0, 0};
    w.I0 = 2;
    w.I1 = 3 * (w.i2 - w.i1) + 10;
    w.J0 = previousJLast + 2;
    w.J1 = previousJLast + 10 + 3 * (w.j2 - w.j1);
    return w;
}

// The 12 node pairs: for each window corner its two copies with each other,
// then each copy with the coarse node.
void NodePairs(const Window& w, EdgeRecord out[12]) {
    struct Corner {
        int ci, cj;          // coarse node
        int ai, aj, bi, bj;  // its two copies
    };
    const Corner corners[4] = {
        {w.i1 - 2, w.j1 - 2, w.I0 + 1, w.J0, w.I0, w.J0 + 1},
        {w.i2 + 1, w.j2 + 1, w.I1 - 1, w.J1 - 2, w.I1 - 2, w.J1 - 1},
        {w.i2 + 1, w.j1 - 2, w.I1 - 2, w.J0, w.I1 - 1, w.J0 + 1},
        {w.i1 - 2, w.j2 + 1, w.I0, w.J1 - 2, w.I0 + 1, w.J1 - 1},
    };
    int n = 0;
    for (const Corner& c : corners) {
        out[n++] = {c.ai, c.bi, c.aj, c.bj};
        out[n++] = {c.ai, c.ci, c.aj, c.cj};
        out[n++] = {c.bi, c.ci, c.bj, c.cj};
    }
}

// A grid holds the refinement of this window when a block has its shape and
// the node pairs that tie its first window corner to the coarse grid: the
// block then came from an earlier generation or from the grid file.
bool HoldsRefinement() {
    for (int b = 2; b <= NoBlocks; ++b) {
        const BlockRecord& r = BlockTable[b];
        const Window w = RefinedWindow(r.jFirst - 2);
        if (r.iFirst != w.I0 || r.iLast != w.I1 || r.jLast != w.J1 || r.overlapLevel != 2 || r.field14 != 1 ||
            r.field15 != 0 || r.field16 != 1) {
            continue;
        }
        EdgeRecord pairs[12];
        NodePairs(w, pairs);
        for (int e = 0; e < NoEdges && e < kMaxEdges; ++e) {
            const EdgeRecord& a = EdgeList[e];
            const EdgeRecord& p = pairs[1];
            if (a.iA == p.iA && a.iB == p.iB && a.jA == p.jA && a.jB == p.jB) return true;
        }
    }
    return false;
}

void CopyNode(int fi, int fj, int ti, int tj) {
    Gridx[ti][tj] = Gridx[fi][fj];
    Gridy[ti][tj] = Gridy[fi][fj];
    Gridz[ti][tj][1] = Gridz[fi][fj][1];
}

// Each coarse column split 3 x 3 with the exact bilinear weights, so a
// planar bed and straight grid lines come out exact far from the origin.
void RefineNodes(const Window& w) {
    for (int a = w.i1 - 2; a <= w.i2; ++a) {
        for (int c = w.j1 - 2; c <= w.j2; ++c) {
            const int t = 1 + 3 * (a - w.i1 + 2);
            const int u = w.J0 - 1 + 3 * (c - w.j1 + 2);
            for (int m = 0; m < 3; ++m) {
                for (int n = 0; n < 3; ++n) {
                    const double s = m / 3.0, r = n / 3.0;
                    const double w00 = (1 - s) * (1 - r), w10 = s * (1 - r), w01 = (1 - s) * r, w11 = s * r;
                    auto mix = [&](double p00, double p10, double p01, double p11) {
                        return w00 * p00 + w10 * p10 + w01 * p01 + w11 * p11;
                    };
                    Gridx[t + m][u + n] = mix(Gridx[a][c], Gridx[a + 1][c], Gridx[a][c + 1], Gridx[a + 1][c + 1]);
                    Gridy[t + m][u + n] = mix(Gridy[a][c], Gridy[a + 1][c], Gridy[a][c + 1], Gridy[a + 1][c + 1]);
                    Gridz[t + m][u + n][1] =
                        mix(Gridz[a][c][1], Gridz[a + 1][c][1], Gridz[a][c + 1][1], Gridz[a + 1][c + 1][1]);
                }
            }
        }
    }
}

void MarkRegions(const Window& w) {
    for (int i = w.i1 - 1; i <= w.i2 + 1; ++i) {
        for (int j = w.j1 - 1; j <= w.j2 + 1; ++j) GridRegion[i][j] = 1;
    }
    for (int i = w.I0; i <= w.I1; ++i) {
        for (int j = w.J0; j <= w.J1; ++j) {
            const bool inner = i > w.I0 && i < w.I1 && j > w.J0 && j < w.J1;
            GridRegion[i][j] = inner ? 0 : 1;
        }
    }
    GridRegion[w.I0 + 1][w.J0 + 1] = GridRegion[w.I0 + 1][w.J1 - 1] = 1;
    GridRegion[w.I1 - 1][w.J0 + 1] = GridRegion[w.I1 - 1][w.J1 - 1] = 1;
    for (int i = w.I0 + 4; i < w.I1 - 3; i += 3) GridRegion[i][w.J0] = GridRegion[i][w.J1] = 0;
    for (int j = w.J0 + 4; j < w.J1 - 3; j += 3) GridRegion[w.I0][j] = GridRegion[w.I1][j] = 0;
}

void CopyWindowBoundary(const Window& w) {
    CopyNode(w.i1 - 2, w.j1 - 2, w.I0 + 1, w.J0);
    CopyNode(w.i1 - 2, w.j1 - 2, w.I0, w.J0 + 1);
    CopyNode(w.i2 + 1, w.j2 + 1, w.I1 - 2, w.J1 - 1);
    CopyNode(w.i2 + 1, w.j2 + 1, w.I1 - 1, w.J1 - 2);
    CopyNode(w.i1 - 2, w.j2 + 1, w.I0 + 1, w.J1 - 1);
    CopyNode(w.i1 - 2, w.j2 + 1, w.I0, w.J1 - 2);
    CopyNode(w.i2 + 1, w.j1 - 2, w.I1 - 1, w.J0 + 1);
    CopyNode(w.i2 + 1, w.j1 - 2, w.I1 - 2, w.J0);
    for (int a = w.i1, t = w.I0 + 4; t < w.I1 - 3; ++a, t += 3) {
        CopyNode(a - 1, w.j1 - 2, t - 1, w.J0 - 1);
        CopyNode(a - 1, w.j1 - 2, t - 2, w.J0);
        CopyNode(a, w.j1 - 2, t, w.J0 - 1);
        CopyNode(a, w.j1 - 2, t + 1, w.J0);
        CopyNode(a - 1, w.j2 + 1, t - 1, w.J1);
        CopyNode(a - 1, w.j2 + 1, t - 2, w.J1 - 1);
        CopyNode(a, w.j2 + 1, t, w.J1);
        CopyNode(a, w.j2 + 1, t + 1, w.J1 - 1);
    }
    for (int c = w.j1, u = w.J0 + 4; u < w.J1 - 3; ++c, u += 3) {
        CopyNode(w.i1 - 2, c - 1, w.I0 - 1, u - 1);
        CopyNode(w.i1 - 2, c - 1, w.I0, u - 2);
        CopyNode(w.i1 - 2, c, w.I0 - 1, u);
        CopyNode(w.i1 - 2, c, w.I0, u + 1);
        CopyNode(w.i2 + 1, c - 1, w.I1, u - 1);
        CopyNode(w.i2 + 1, c - 1, w.I1 - 1, u - 2);
        CopyNode(w.i2 + 1, c, w.I1, u);
        CopyNode(w.i2 + 1, c, w.I1 - 1, u + 1);
    }
}

}  // namespace

void AppendRefinedBlock() {
    if (NoBlocks < 1 || NoBlocks >= kMaxBlocks || HoldsRefinement()) return;
    const Window w = RefinedWindow(BlockTable[NoBlocks].jLast);
    // The grid file reader takes blocks only below the last grid line.
    if (w.I1 >= NoGridLinesX || w.J1 >= NoGridLinesY || NoEdges < 0 || NoEdges + 12 > kMaxEdges) {
        LogAppend("Warning: the F 130 refinement (columns %d..%d, rows %d..%d, NX %d, NY %d, %d side edges) does not "
                  "fit the grid; no refined block\n",
                  w.I0, w.I1, w.J0, w.J1, NoGridLinesX, NoGridLinesY, NoEdges);
        return;
    }
    ++NoBlocks;
    BlockRecord& r = BlockTable[NoBlocks];
    r.iFirst = w.I0;
    r.iLast = w.I1;
    r.jFirst = w.J0;
    r.jLast = w.J1;
    r.overlapLevel = 2;
    r.depthAveraged = 0;
    r.field8 = 1;
    r.field9 = NoGridLinesZ;
    r.field14 = 1;
    r.field15 = 0;
    r.field16 = 1;
    r.real1 = r.real2 = 0.0;

    RefineNodes(w);
    MarkRegions(w);
    CopyWindowBoundary(w);
    EdgeRecord pairs[12];
    NodePairs(w, pairs);
    std::copy(pairs, pairs + 12, EdgeList + NoEdges);
    NoEdges += 12;
}
