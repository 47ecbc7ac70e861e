// The reference of the free-surface updates: the reference column of F 91,
// the second reference column and the reference groups of G 6 / G 62 and
// F 250, and the `timei` level series; and how the level equations and the
// group nodes are held at it.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "run/fatal.h"
#include "run/log.h"
#include "run/status.h"
#include "run/time_series.h"
#include "run/timei_data.h"
#include "surface/surface_levels.h"
#include "surface/surface_services.h"

namespace {

constexpr double kFixed = 1e20;

bool SeriesExists() { return NoTimeiSteps >= 1 && TimeiTime.exists(); }

// The reference column must be a column of the arrays: indexes beyond the
// grid lines name no water and are treated as a dry column.
int ReferenceTopCell() { return IsGridNode(iPres, jPres) ? ColumnTopCell(iPres, jPres) : 0; }

[[noreturn]] void StopAtDryReference() {
    LogAppend("Error 1 in Surface update, reference cell %d %d is dry\n", iPres, jPres);
    LogAppend("This may be due to drying up of the reference cell area\n");
    LogAppend("If the 2D index does not fit, the problem may be due to that\n");
    LogAppend("the choise of the number of the G 6 data set was done when F 112 1\n");
    LogAppend("was used in the control file\n\n");
    char text[kStatusTextSize];
    std::snprintf(text, sizeof text, "Error, reference cell %d %d is dry      ", iPres, jPres);
    SetModuleName(text);
    // The pause is meant for an observer who ends the process; a batch run
    // has none, so the run ends here as for a group that gives no cell.
    PauseFlag = 11;
    SetStatusText("PauseFlag = 11");
    EndRun(-5);
}

bool IsOutflowGroup(const DischargeGroupRecord& g) { return g.groupType == 0 && GroupListLength(g) > 0; }

// The last outflow group (groups 1 to 9) one of whose surfaces belongs to
// `top`; -1 when none does.
int GroupHoldingCell(int top) {
    int found = -1;
    for (int g = kFirstGroup; g <= kLastGroup; ++g) {
        const DischargeGroupRecord& r = DischargeGroups[g];
        if (!IsOutflowGroup(r)) continue;
        for (int n = 0; n < GroupListLength(r); ++n) {
            if (GroupSurfaceCell(r.surfaceList[n]) == top) found = g;
        }
    }
    return found;
}

// The top cell above the middle surface of a group. A group that lost its
// surfaces in the last regeneration keeps a stale list: it gives no cell.
int GroupMiddleTopCell(int group) {
    if (group < kFirstGroup || group > kLastGroup) return 0;
    const DischargeGroupRecord& r = DischargeGroups[group];
    const int n = GroupListLength(r);
    if (n == 0) return 0;
    return TopCellAbove(GroupSurfaceCell(r.surfaceList[n / 2]));
}

double ColumnMeanPressure(int top) {
    double sum = 0.0;
    int n = 0;
    for (int c = top, steps = 0; IsGridCell(c) && steps < NoCells; c = Ccellb[c], ++steps) {
        sum += Pres[c];
        ++n;
    }
    return n > 0 ? sum / n : 0.0;
}

// The inflow group of F 250 / G 62: the mean pressure over the cells of its
// surfaces and the mean level of those that are top cells. Without a top
// cell the level is left as it was.
void ApplyReferenceLevelGroup(SurfaceReference& ref) {
    const int g = ReferenceLevelGroup;
    if (g < kFirstGroup || g > kLastGroup) return;
    const DischargeGroupRecord& r = DischargeGroups[g];
    const int n = GroupListLength(r);
    if (r.groupType != 1 || n == 0) return;
    double pressure = 0.0, level = 0.0;
    int tops = 0;
    for (int s = 0; s < n; ++s) {
        const int c = GroupSurfaceCell(r.surfaceList[s]);
        if (c == 0) continue;
        pressure += Pres[c];
        if (Ccellt[c] == 0) {
            level += CellLevel(c);
            ++tops;
        }
    }
    ref.pressure2 = pressure / n;
    if (tops > 0) ref.level2 = level / tops;
}

// Holds bed cell b at v in the plan equation (a dry column has none).
void Fix(int b, double v) {
    if (!IsGridCell(b)) return;
    Cap[b] = kFixed;
    Csource[b] = v * kFixed;
}

// Holds the bed cells of a group's surfaces at `level` minus their column's
// level (at `level` itself when the variable is the level).
void FixGroupColumns(int group, double level, bool variableIsLevel) {
    if (group < kFirstGroup || group > kLastGroup) return;
    const DischargeGroupRecord& r = DischargeGroups[group];
    for (int n = 0; n < GroupListLength(r); ++n) {
        const int c = GroupSurfaceCell(r.surfaceList[n]);
        if (c == 0 || Ccellb[c] != 0) continue;
        Fix(c, variableIsLevel ? level : level - CellLevel(TopCellAbove(c)));
    }
}

// The in- and outflow of the groups as a source of the F 36 = 9 equation:
// inflow groups first, then outflow groups.
void AddGroupDischargeTerms() {
    for (int type : {1, 0}) {
        for (int g = kFirstGroup; g <= kLastGroup; ++g) {
            const DischargeGroupRecord& r = DischargeGroups[g];
            if (r.groupType != type || GroupListLength(r) == 0) continue;
            const double q = GroupDischarge[g] * 0.001 / (r.area + 1e-30);
            const double sign = type == 1 ? 1.0 : -1.0;
            for (int n = 0; n < GroupListLength(r); ++n) {
                const int s = r.surfaceList[n];
                const int b = BottomCellBelow(GroupSurfaceCell(s));
                if (b == 0) continue;
                Csource[b] += sign * Farea[s] * q / Fareaz[Csurfb[b]];
            }
        }
    }
}

// The F 36 = 9 variable is the level itself: it starts no lower than the
// reference anywhere.
void RaiseStartLevels() {
    ForEachSurfaceBlock([](const BlockRecord& r) {
        for (int i = r.iFirst; i <= r.iLast; ++i) {
            for (int j = r.jFirst; j <= r.jLast; ++j) {
                const int c = GridColumnBottom(i, j);
                if (c != 0) Cf[c] = std::max(Cf[c], ZRef);
            }
        }
    });
}

// Both nodes of a side of the column at (i, j), when they are nodes.
void SetSideNodes(int i1, int j1, int i2, int j2, double level) {
    const int k = NoGridLinesZ;
    if (IsGridNode(i1, j1)) Gridz[i1][j1][k] = level;
    if (IsGridNode(i2, j2)) Gridz[i2][j2][k] = level;
}

}  // namespace

double ReferenceSeriesLevel(const Array1<double>& series) {
    const int n = std::min(NoTimeiSteps, static_cast<int>(TimeiTime.size()));
    if (n < 1 || !series.exists() || static_cast<int>(series.size()) < n) return 0.0;
    if (n == 1) return series[0];
    // The row search of every series reader; unlike the others, a time
    // before the first row extrapolates from the first two rows.
    const std::optional<SeriesPoint> at = LocateInSeries(TimeiTime.data(), n, stime);
    const int m = at->upper;
    double w = 0.0;
    if (!(stime > TimeiTime[n - 1])) w = std::max(TimeiTime[m] - stime, 0.0) / (TimeiTime[m] - TimeiTime[m - 1] + 1e-20);
    if (!std::isfinite(w) || w < 0.0) w = 0.0;
    return w * series[m - 1] + (1.0 - w) * series[m];
}

SurfaceReference FindSurfaceReference(double& level) {
    SurfaceReference ref;
    const bool outside = !IsGridNode(iPres, jPres);
    ref.top = ReferenceTopCell();
    if (ReferenceCell2 != 0 && IsGridNode(iPres2, jPres2)) ref.top2 = ColumnTopCell(iPres2, jPres2);
    if (outside || (ref.top == 0 && FreeSurfaceOption != 3 && ZRefGroup == -1)) StopAtDryReference();

    NoSurfaceUpdates += 1;
    PreviousSurfaceUpdateTime = LastSurfaceUpdateTime;
    LastSurfaceUpdateTime = stime;

    if (ZRefGroup == -1 && ReferenceCellGroup > 0 && ref.top != 0) ZRefGroup = GroupHoldingCell(ref.top);
    if (ref.top == 0) {
        if (ZRefGroup >= 1) ref.top = GroupMiddleTopCell(ZRefGroup);
        if (ref.top == 0 && FreeSurfaceOption != 3) {
            LogAppend("Error 2 in Surface update, reference cell is dry\n");
            EndRun(-5);
        }
    }

    const bool series = SeriesExists();
    if (FreeSurfaceOption == 3) {
        level = Gridz[iPres][jPres][NoGridLinesZ];
    } else if (series || ReferenceCell2 != 0 || ReferenceCellGroup != 0 || level < -1e10) {
        level = CellLevel(ref.top);
    }
    ref.pressure = (SurfaceVariant == 6 || SurfaceVariant == 7) ? ColumnMeanPressure(ref.top) : Pres[ref.top];
    if (ref.top2 > 0) {
        ref.level2 = CellLevel(ref.top2);
        ref.pressure2 = Pres[ref.top2];
    }
    ApplyReferenceLevelGroup(ref);
    if (series) {
        level = ReferenceSeriesLevel(TimeiLevel);
        if (ref.top2 > 0) ref.level2 = ReferenceSeriesLevel(TimeiLevel2);
    }
    if (DebugOption == 'D') {
        LogAppend("In surface generation, iSurfLocal = %d, iSurfLocal2 = %d, ZRef = %lg, ZRef2 = %lg\n", ref.top,
                  ref.top2, level, ref.level2);
    }
    return ref;
}

void FindReferenceCell() {
    Pres[0] = 0.0;
    const SurfaceReference ref = FindSurfaceReference(ZRef);
    PresRef = ref.pressure;
    ZRef2 = ref.level2;
    PresRef2 = ref.pressure2;
}

void FixReferenceLevel() {
    const bool levelVariable = FreeSurfaceOption == 9;
    const int top = ReferenceTopCell();
    if (top != 0) Fix(BottomCellBelow(top), levelVariable ? ZRef : ZRef - CellLevel(top));
    if (ReferenceCell2 > 0 && IsGridNode(iPres2, jPres2)) {
        const int top2 = ColumnTopCell(iPres2, jPres2);
        if (top2 != 0) Fix(BottomCellBelow(top2), levelVariable ? ZRef : ZRef - CellLevel(top2));
    }
    if (ReferenceCellGroup > 0) FixGroupColumns(ReferenceCellGroup, ZRef, levelVariable);
    if (ReferenceLevelGroup > 0) {
        if (levelVariable) {
            FixGroupColumns(ReferenceLevelGroup, ZRef, true);
        } else {
            FixGroupColumns(ReferenceLevelGroup, ZRef2, false);
        }
    }
    if (!levelVariable) return;
    AddGroupDischargeTerms();
    if (top != 0 && ReferenceCell2 == 0) RaiseStartLevels();
}

void SetGroupLevelsTo(double level) {
    if (ZRefGroup < kFirstGroup || ZRefGroup > kLastGroup || !Bkooi.exists()) return;
    const DischargeGroupRecord& r = DischargeGroups[ZRefGroup];
    for (int n = 0; n < GroupListLength(r); ++n) {
        const int c = GroupSurfaceCell(r.surfaceList[n]);
        if (c == 0 || Ccellt[c] != 0) continue;
        const int b = BottomCellBelow(c);
        const int column = Cbedcell[b];
        if (column <= 0 || column > NoBedCells) continue;
        const int i = Bkooi[column], j = Bkooj[column];
        if (Ccelle[b] == 0) SetSideNodes(i, j, i, j - 1, level);
        if (Ccellw[b] == 0) SetSideNodes(i - 1, j, i - 1, j - 1, level);
        if (Ccelln[b] == 0) SetSideNodes(i, j, i - 1, j, level);
        if (Ccells[b] == 0) SetSideNodes(i - 1, j - 1, i, j - 1, level);
    }
}

void SetGroupLevelsToZRef() { SetGroupLevelsTo(ZRef); }
