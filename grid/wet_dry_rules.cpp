// The wet and dry rework of one block before its cells are made: the level
// counts of its points (short dry strips wetted, fronts dried, isolated wet
// points removed) and the layer counts of its columns (weakly connected
// columns removed, shallow sides and corners deepened).
//
// The rules look one or two points and columns beyond the block; whatever
// lies beyond the structured arrays counts as dry, and nothing is written
// there.
#include <algorithm>

#include "grid/grid_services.h"
#include "run/globals.h"

namespace {

constexpr int kRemovalPasses = 30;
// Wetted points get just enough water for one level.
constexpr double kWettingMargin = 1e-6;

bool InGrid(int i, int j) {
    return i >= 0 && j >= 0 && i <= NoGridLinesX + 1 && j <= NoGridLinesY + 1 &&
           static_cast<size_t>(i) < GridWetPoint.extent1() && static_cast<size_t>(j) < GridWetPoint.extent2() &&
           static_cast<size_t>(i) < GridWetColumn.extent1() && static_cast<size_t>(j) < GridWetColumn.extent2() &&
           static_cast<size_t>(i) < Gridz.extent1() && static_cast<size_t>(j) < Gridz.extent2() &&
           NoGridLinesZ >= 1 && static_cast<size_t>(NoGridLinesZ) < Gridz.extent3();
}

int Level(int i, int j) { return InGrid(i, j) ? GridWetPoint[i][j] : 1; }
bool Wet(int i, int j) { return Level(i, j) > 1; }
bool Dry(int i, int j) { return !Wet(i, j); }
void SetLevel(int i, int j, int n) {
    if (InGrid(i, j)) GridWetPoint[i][j] = n;
}

// A column exists where it and its four corner points lie in the arrays.
bool ColumnInGrid(int i, int j) { return InGrid(i, j) && InGrid(i - 1, j - 1); }
int Layers(int i, int j) { return ColumnInGrid(i, j) ? GridWetColumn[i][j] : 0; }
bool WetColumn(int i, int j) { return Layers(i, j) > 0; }

double Depth(int i, int j) { return Gridz[i][j][NoGridLinesZ] - Gridz[i][j][1]; }

// The bed goes down to give depth d; it is never raised.
void Lower(int i, int j, double d) {
    if (!InGrid(i, j)) return;
    Gridz[i][j][1] = std::min(Gridz[i][j][1], Gridz[i][j][NoGridLinesZ] - d);
}

double QuarterMeanDepth(int i, int j) {
    return (Depth(i - 1, j - 1) + Depth(i, j - 1) + Depth(i, j) + Depth(i - 1, j)) * 0.25 * 0.25;
}

struct Block {
    int iFirst, iLast, jFirst, jLast;
};

// Pairs of neighbouring points (i, j) and (i + di, j + dj): along i over
// j = jFirst+1..jLast-1, i = iFirst+1..iLast, then along j over
// j = jFirst+1..jLast, i = iFirst+1..iLast-1.
template <class Fn>
void ForEachPointPair(const Block& b, Fn fn) {
    for (int j = b.jFirst + 1; j <= b.jLast - 1; ++j) {
        for (int i = b.iFirst + 1; i <= b.iLast; ++i) {
            if (InGrid(i, j) && InGrid(i + 1, j)) fn(i, j, 1, 0);
        }
    }
    for (int j = b.jFirst + 1; j <= b.jLast; ++j) {
        for (int i = b.iFirst + 1; i <= b.iLast - 1; ++i) {
            if (InGrid(i, j) && InGrid(i, j + 1)) fn(i, j, 0, 1);
        }
    }
}

template <class Fn>
void ForEachColumn(const Block& b, Fn fn) {
    for (int j = b.jFirst; j <= b.jLast; ++j) {
        for (int i = b.iFirst; i <= b.iLast; ++i) {
            if (ColumnInGrid(i, j)) fn(i, j);
        }
    }
}

void WetPair(int i, int j, int di, int dj) {
    SetLevel(i, j, 2);
    SetLevel(i + di, j + dj, 2);
    Lower(i, j, DryDepth + kWettingMargin);
    Lower(i + di, j + dj, DryDepth + kWettingMargin);
}

bool DryPair(int i, int j, int di, int dj) { return Level(i, j) == 1 && Level(i + di, j + dj) == 1; }

// A dry pair whose four points on both sides across it are wet.
void WetDryPairs(const Block& b) {
    ForEachPointPair(b, [](int i, int j, int di, int dj) {
        const int ai = dj, aj = di;  // across the pair
        if (DryPair(i, j, di, dj) && Wet(i - ai, j - aj) && Wet(i + ai, j + aj) && Wet(i + di - ai, j + dj - aj) &&
            Wet(i + di + ai, j + dj + aj)) {
            WetPair(i, j, di, dj);
        }
    });
}

// A pair across a wet/dry front with too little water between them.
void DryFronts(const Block& b) {
    ForEachPointPair(b, [](int i, int j, int di, int dj) {
        const double d1 = Depth(i, j), d2 = Depth(i + di, j + dj);
        if (d1 * d2 < 0 && d1 + d2 < 0.1 * DryDepth) {
            SetLevel(i, j, 1);
            SetLevel(i + di, j + dj, 1);
        }
    });
}

// A dry pair in a dry line with water on both sides of the line.
void BreachDryLines(const Block& b) {
    ForEachPointPair(b, [](int i, int j, int di, int dj) {
        const int ai = dj, aj = di;
        if (DryPair(i, j, di, dj) && Dry(i - di, j - dj) && Dry(i + 2 * di, j + 2 * dj) &&
            (Wet(i + ai, j + aj) || Wet(i + di + ai, j + dj + aj)) &&
            (Wet(i - ai, j - aj) || Wet(i + di - ai, j + dj - aj))) {
            WetPair(i, j, di, dj);
        }
    });
}

void DryIsolatedPoints(const Block& b) {
    for (int j = b.jFirst - 1; j <= b.jLast; ++j) {
        for (int i = b.iFirst - 1; i <= b.iLast; ++i) {
            if (InGrid(i, j) && Wet(i, j) && Dry(i - 1, j) && Dry(i + 1, j) && Dry(i, j - 1) && Dry(i, j + 1)) {
                SetLevel(i, j, 1);
            }
        }
    }
}

void RaiseLevelTo(int i, int j, int fromI, int fromJ) {
    if (InGrid(i, j)) SetLevel(i, j, std::max(Level(i, j), Level(fromI, fromJ)));
}

void CopyEdgeCounts(const Block& b) {
    for (int j = b.jFirst; j <= b.jLast; ++j) {
        for (int i = b.iFirst; i <= b.iLast; ++i) {
            if (i == b.iFirst) RaiseLevelTo(b.iFirst - 1, j, b.iFirst, j);
            if (i == b.iLast) RaiseLevelTo(b.iLast, j, b.iLast - 1, j);
            if (j == b.jFirst) RaiseLevelTo(i, b.jFirst - 1, i, b.jFirst);
            if (j == b.jLast) RaiseLevelTo(i, b.jLast, i, b.jLast - 1);
        }
    }
}

int DryCorners(int i, int j) { return Dry(i - 1, j - 1) + Dry(i, j - 1) + Dry(i, j) + Dry(i - 1, j); }

// A wet column on the block's edge held by at most one wet corner.
void RemoveEdgeColumns(const Block& b) {
    ForEachColumn(b, [](int i, int j) {
        if (!WetColumn(i, j) || DryCorners(i, j) < 3) return;
        const bool east = WetColumn(i + 1, j) && Dry(i, j) && Dry(i, j - 1);
        const bool west = !WetColumn(i - 1, j) && Dry(i - 1, j - 1) && Dry(i - 1, j);
        const bool north = !WetColumn(i, j + 1) && Dry(i, j) && Dry(i - 1, j);
        const bool south = !WetColumn(i, j - 1) && Dry(i - 1, j - 1) && Dry(i, j - 1);
        if (east || west || north || south) GridWetColumn[i][j] = 0;
    });
}

// Sides through which water passes: a wet neighbour column and at least one
// wet point on the shared side.
int ConnectedSides(int i, int j) {
    return (WetColumn(i + 1, j) && (Wet(i, j - 1) || Wet(i, j))) +
           (WetColumn(i - 1, j) && (Wet(i - 1, j - 1) || Wet(i - 1, j))) +
           (WetColumn(i, j + 1) && (Wet(i - 1, j) || Wet(i, j))) +
           (WetColumn(i, j - 1) && (Wet(i - 1, j - 1) || Wet(i, j - 1)));
}

void RemoveColumnsWithFewerSides(const Block& b, int needed) {
    ForEachColumn(b, [needed](int i, int j) {
        if (WetColumn(i, j) && ConnectedSides(i, j) < needed) GridWetColumn[i][j] = 0;
    });
}

long long LayerSum(const Block& b) {
    long long sum = 0;
    ForEachColumn(b, [&sum](int i, int j) { sum += GridWetColumn[i][j]; });
    return sum;
}

void RemoveUnconnectedColumns(const Block& b) {
    long long previous = 0;
    for (int pass = 0; pass < kRemovalPasses; ++pass) {
        RemoveColumnsWithFewerSides(b, 1);
        const long long sum = LayerSum(b);
        if (sum == previous) return;
        previous = sum;
    }
}

// One side shared by the wet columns `first` and `second`, with the side
// points p and q; `beyond...` are the columns on the far side of each.
struct SharedSide {
    int pi, pj, qi, qj;
    int firstI, firstJ, secondI, secondJ;
    int beyondFirstI, beyondFirstJ, beyondSecondI, beyondSecondJ;
};

// A single-layer column at a dry edge asks for the depth of its quarter mean.
double SideTarget(const SharedSide& s, double start) {
    double t = start;
    if (Layers(s.firstI, s.firstJ) == 1 && !WetColumn(s.beyondFirstI, s.beyondFirstJ)) {
        t = std::max(t, QuarterMeanDepth(s.firstI, s.firstJ));
    }
    if (Layers(s.secondI, s.secondJ) == 1 && !WetColumn(s.beyondSecondI, s.beyondSecondJ)) {
        t = std::max(t, QuarterMeanDepth(s.secondI, s.secondJ));
    }
    return t;
}

void DeepenSide(const SharedSide& s, int rule) {
    const double sum = Depth(s.pi, s.pj) + Depth(s.qi, s.qj);
    const double mean = sum * 0.5;
    bool deepen = false;
    bool wetPointsOnly = false;
    double target = 0.0;
    switch (rule) {
        case 1: deepen = sum < 1.6 * DryDepth; target = 0.8 * DryDepth; break;
        case 4: deepen = sum < 4.0 * DryDepth; target = 2 * DryDepth; break;
        case 7: deepen = sum < SingleCellDepth; target = SingleCellDepth; break;
        case 5: target = SideTarget(s, DryDepth); deepen = mean < target; break;
        case 8:
            target = SideTarget(s, SingleCellDepth);
            deepen = mean < target;
            wetPointsOnly = true;
            break;
        case 6:
            target = std::max({DryDepth, QuarterMeanDepth(s.firstI, s.firstJ), QuarterMeanDepth(s.secondI, s.secondJ)});
            deepen = mean < target;
            break;
        default: return;
    }
    if (!deepen) return;
    if (!wetPointsOnly || Wet(s.pi, s.pj)) Lower(s.pi, s.pj, target);
    if (!wetPointsOnly || Wet(s.qi, s.qj)) Lower(s.qi, s.qj, target);
}

void DeepenSharedSides(const Block& b, int rule) {
    if (rule != 1 && rule != 4 && rule != 5 && rule != 6 && rule != 7 && rule != 8) return;
    for (int j = b.jFirst; j <= b.jLast - 1; ++j) {
        for (int i = b.iFirst; i <= b.iLast; ++i) {
            if (WetColumn(i, j) && WetColumn(i, j + 1)) {
                DeepenSide({i - 1, j, i, j, i, j, i, j + 1, i, j - 1, i, j + 2}, rule);
            }
        }
    }
    for (int j = b.jFirst; j <= b.jLast; ++j) {
        for (int i = b.iFirst; i <= b.iLast - 1; ++i) {
            if (WetColumn(i, j) && WetColumn(i + 1, j)) {
                DeepenSide({i, j - 1, i, j, i, j, i + 1, j, i - 1, j, i + 2, j}, rule);
            }
        }
    }
}

void DeepenWetCorners(const Block& b) {
    ForEachColumn(b, [](int i, int j) {
        if (!WetColumn(i, j)) return;
        const int corners[4][2] = {{i - 1, j - 1}, {i, j - 1}, {i, j}, {i - 1, j}};
        for (const auto& c : corners) {
            if (Wet(c[0], c[1])) Lower(c[0], c[1], SingleCellDepth);
        }
    });
}

}  // namespace

void MarkWetPoints(int iFirst, int iLast, int jFirst, int jLast) {
    const Block b{iFirst, iLast, jFirst, jLast};
    const int rule = F159Int2;
    if (rule == 2 || rule == 3 || rule == 11) WetDryPairs(b);
    if (rule == 3) DryFronts(b);
    if (rule == 11 || rule == 12) BreachDryLines(b);
    if (DebugStopOption != 2) DryIsolatedPoints(b);
    if (F159Int4 == 2) CopyEdgeCounts(b);
}

void CleanWetColumns(int iFirst, int iLast, int jFirst, int jLast) {
    const Block b{iFirst, iLast, jFirst, jLast};
    if (F159Int4 == 5) RemoveEdgeColumns(b);
    if (F159Int1 == 1) {
        for (int pass = 0; pass < kRemovalPasses; ++pass) RemoveColumnsWithFewerSides(b, 2);
    }
    if (F159Int4 == 1 || F159Int4 > 4) RemoveUnconnectedColumns(b);
    DeepenSharedSides(b, F159Int2);
    if (F159Int5 == 1) DeepenWetCorners(b);
}
