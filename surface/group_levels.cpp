// Boundary levels of the free surface that do not come from the reference
// column: the stage-discharge lines of G 28 in the F 36 = 9 level equation,
// the node levels at dry sides and at the reference groups (F 187), and
// the `timei` level held at the reference columns.
#include <algorithm>
#include <cmath>

#include "flow/flow_data.h"
#include "grid/metric_steps.h"
#include "run/timei_data.h"
#include "surface/surface_levels.h"
#include "surface/surface_services.h"

namespace {

constexpr double kRatingFixed = 1e30;
constexpr double kFixed = 1e20;

// Both top slots of a node of the arrays.
void SetNode(int i, int j, double level) {
    if (!IsGridNode(i, j)) return;
    Gridz[i][j][NoGridLinesZ] = Gridz[i][j][NoGridLinesZ + 1] = level;
}

void CopyNode(int i, int j, int fromI, int fromJ) {
    if (IsGridNode(fromI, fromJ)) SetNode(i, j, Gridz[fromI][fromJ][NoGridLinesZ]);
}

void RaiseNodeTo(int i, int j, double level) {
    if (IsGridNode(i, j)) SetNode(i, j, std::max(Gridz[i][j][NoGridLinesZ], level));
}

// The column number of grid column (i, j), 0 when it is dry or outside.
int ColumnNumber(int i, int j) { return Cbedcell[GridColumnBottom(i, j)]; }

// The discharge through one column of a rating-curve line: the flow of its
// cells through the mean of the two opposite sides the line's flow crosses.
double ColumnDischarge(int bed, const Array1<int>& sideA, const Array1<int>& sideB) {
    double q = 0.0;
    ForEachCellUp(bed, [&](int c) {
        const int a = sideA[c], b = sideB[c];
        q += 0.5 * (Fareax[a] + Fareax[b]) * Cu[c] + 0.5 * (Fareay[a] + Fareay[b]) * Cv[c];
    });
    return q;
}

// The columns of a line clipped to the grid's column indexes.
int ClipFirst(int v) { return std::max(v, 0); }
int ClipLast(int v, size_t extent) { return std::min(v, static_cast<int>(extent) - 1); }

// The level a stage-discharge record gives for discharge q; a discharge
// against the curve's sense has no real root of a fractional power and
// gives the base level.
double RatingLevel(const RatingCurveRecord& r, double q) {
    const double ratio = q / r.coefficient;
    const double power = 1.0 / r.exponent;
    if (ratio < 0.0 && power != std::floor(power)) return r.baseLevel;
    return r.baseLevel + std::pow(ratio, power);
}

void ApplyRatingCurve(const RatingCurveRecord& r) {
    const bool acrossI = r.iFirst == r.iLast;  // a cross-section along j, also one column
    const bool acrossJ = !acrossI && r.jFirst == r.jLast;
    if (!acrossI && !acrossJ) return;
    const int i1 = ClipFirst(r.iFirst), i2 = ClipLast(r.iLast, Gridz.extent1());
    const int j1 = ClipFirst(r.jFirst), j2 = ClipLast(r.jLast, Gridz.extent2());
    double q = 0.0;
    for (int i = i1; i <= i2; ++i) {
        for (int j = j1; j <= j2; ++j) {
            const int bed = GridColumnBottom(i, j);
            if (bed == 0) continue;
            q += acrossI ? ColumnDischarge(bed, Csurfe, Csurfw) : ColumnDischarge(bed, Csurfs, Csurfn);
        }
    }
    const double z = RatingLevel(r, q);
    if (!std::isfinite(z)) return;
    for (int i = i1; i <= i2; ++i) {
        for (int j = j1; j <= j2; ++j) {
            const int bed = GridColumnBottom(i, j);
            if (bed == 0) continue;  // a dry column has no equation to hold
            Cap[bed] += kRatingFixed;
            Csource[bed] = z * kRatingFixed;
        }
    }
}

void LevelTowardsDrySides() {
    ForEachSurfaceBlock([](const BlockRecord& r) {
        for (int i = r.iFirst - 1; i <= r.iLast; ++i) {
            for (int j = r.jFirst - 1; j <= r.jLast; ++j) {
                if (ColumnNumber(i, j) <= 0) continue;
                const int n = ColumnNumber(i, j + 1), s = ColumnNumber(i, j - 1);
                const int e = ColumnNumber(i + 1, j), w = ColumnNumber(i - 1, j);
                if (n == 0 && s > 0) {
                    CopyNode(i, j, i, j - 1);
                    CopyNode(i - 1, j, i - 1, j - 1);
                } else if (s == 0 && n > 0) {
                    CopyNode(i, j - 1, i, j);
                    CopyNode(i - 1, j - 1, i - 1, j);
                } else if (e == 0 && w > 0) {
                    CopyNode(i, j, i - 1, j);
                    CopyNode(i, j - 1, i - 1, j - 1);
                } else if (w == 0 && e > 0) {
                    CopyNode(i - 1, j, i, j);
                    CopyNode(i - 1, j - 1, i, j - 1);
                }
            }
        }
    });
}

// The node range of the surface block that holds column (i, j).
struct NodeRange {
    int i1 = 0, i2 = -1, j1 = 0, j2 = -1;
    bool holds(int i, int j) const { return i >= i1 && i <= i2 && j >= j1 && j <= j2; }
};

NodeRange RangeOfColumn(int i, int j) {
    NodeRange range;
    for (int b = 1; b <= std::min(NoBlocks, kMaxBlocks); ++b) {
        const BlockRecord& r = BlockTable[b];
        if (r.gridLevel != 0 || i < r.iFirst || i > r.iLast || j < r.jFirst || j > r.jLast) continue;
        return {r.iFirst - 1, r.iLast, r.jFirst - 1, r.jLast};
    }
    return range;
}

// Calls f(bed cell, i, j) for the columns of the group's surfaces whose
// cell is a top cell.
template <class F>
void ForEachGroupTopColumn(int group, F f) {
    if (group < kFirstGroup || group > kLastGroup || !Bkooi.exists()) return;
    const DischargeGroupRecord& g = DischargeGroups[group];
    for (int n = 0; n < GroupListLength(g); ++n) {
        const int x = GroupSurfaceCell(g.surfaceList[n]);
        if (x == 0 || Ccellt[x] != 0) continue;
        const int b = BottomCellBelow(x);
        const int column = Cbedcell[b];
        if (column <= 0 || column > NoBedCells) continue;
        f(b, Bkooi[column], Bkooj[column]);
    }
}

// The open sides of the reference group's columns at zref, `lines` node
// lines inward lifted to at least zref, never past the block's nodes.
void HoldReferenceGroup(double zref, int lines) {
    ForEachGroupTopColumn(ReferenceCellGroup, [zref, lines](int b, int i, int j) {
        const NodeRange range = RangeOfColumn(i, j);
        auto lift = [&](int ia, int ja, int ib, int jb) {
            if (!range.holds(ia, ja) || !range.holds(ib, jb)) return false;
            RaiseNodeTo(ia, ja, zref);
            RaiseNodeTo(ib, jb, zref);
            return true;
        };
        if (Ccelle[b] == 0) {
            SetNode(i, j, zref);
            SetNode(i, j - 1, zref);
            for (int k = 1; k <= lines && lift(i - k, j, i - k, j - 1); ++k) {
            }
        }
        if (Ccellw[b] == 0) {
            SetNode(i - 1, j, zref);
            SetNode(i - 1, j - 1, zref);
            for (int k = 0; k <= lines - 1 && lift(i + k, j, i + k, j - 1); ++k) {
            }
        }
        if (Ccelln[b] == 0) {
            SetNode(i, j, zref);
            SetNode(i - 1, j, zref);
            for (int k = 1; k <= lines && lift(i, j - k, i - 1, j - k); ++k) {
            }
        }
        if (Ccells[b] == 0) {
            SetNode(i, j - 1, zref);
            SetNode(i - 1, j - 1, zref);
            for (int k = 0; k <= lines - 1 && lift(i, j + k, i - 1, j + k); ++k) {
            }
        }
    });
}

void KeepGroupEdgesWet() {
    auto wet = [](int i, int j) {
        if (IsGridNode(i, j)) RaiseNodeTo(i, j, Gridz[i][j][1] + 1.0001 * DryDepth);
    };
    ForEachGroupTopColumn(ReferenceLevelGroup, [&wet](int b, int i, int j) {
        const int e = Ccelle[b], w = Ccellw[b], n = Ccelln[b], s = Ccells[b];
        if (e == 0 && n > 0 && s > 0) {
            wet(i, j);
            wet(i, j - 1);
        }
        if (w == 0 && n > 0) {
            if (s > 0) {
                wet(i - 1, j);
                wet(i - 1, j - 1);
            }
        } else if (n == 0 && e > 0 && w > 0) {
            wet(i, j);
            wet(i - 1, j);
        }
        if (s == 0 && e > 0 && w > 0) {
            wet(i, j - 1);
            wet(i - 1, j - 1);
        }
    });
}

void HoldBedCell(int b, double correction) {
    if (!IsGridCell(b)) return;
    Csource[b] = correction * kFixed;
    Cap[b] = kFixed;
}

void HoldGroupAt(int group, double level) {
    if (group < kFirstGroup || group > kLastGroup) return;
    const DischargeGroupRecord& g = DischargeGroups[group];
    for (int n = 0; n < GroupListLength(g); ++n) {
        const int x = GroupSurfaceCell(g.surfaceList[n]);
        if (x != 0 && Ccellb[x] == 0) HoldBedCell(x, level - CellLevel(TopCellAbove(x)));
    }
}

}  // namespace

void SetRatingCurveLevels() {
    if (!Gridz.exists()) return;
    for (int n = 0; n < std::min(NoRatingCurves, kRatingCurveCapacity); ++n) ApplyRatingCurve(RatingCurves[n]);
}

void AdjustLevelsAtGroups(double referenceLevel) {
    const int option = GroupLevelAdjustOption;
    if (option == 1) {
        LevelTowardsDrySides();
    } else if (option > 1 && ReferenceCellGroup > 0) {
        HoldReferenceGroup(referenceLevel, option);
    } else if (option == -1 && ReferenceLevelGroup > 0) {
        KeepGroupEdgesWet();
    }
}

void ForceWaterLevelFromTable() {
    const int t1 = IsGridNode(iPres, jPres) ? ColumnTopCell(iPres, jPres) : 0;
    const double z1 = IsGridCell(t1) ? CellLevel(t1) : 0.0;
    const int t2 = ReferenceCell2 != 0 && IsGridNode(iPres2, jPres2) ? ColumnTopCell(iPres2, jPres2) : 0;
    const double z2 = IsGridCell(t2) ? CellLevel(t2) : 0.0;
    const bool series = NoTimeiSteps > 0 && TimeiTime.exists();
    const double l1 = series ? ReferenceSeriesLevel(TimeiLevel) : z1;
    const double l2 = series ? ReferenceSeriesLevel(TimeiLevel2) : z2;
    if (IsGridCell(t1)) HoldBedCell(BottomCellBelow(t1), l1 - z1);
    if (IsGridCell(t2)) HoldBedCell(BottomCellBelow(t2), l2 - z2);
    HoldGroupAt(ReferenceCellGroup, l1);
    HoldGroupAt(ReferenceLevelGroup, l1);
}
