// The source terms of one water-quality component before it is solved:
// releases of the source-cell groups, inflow through the discharge groups
// and the Q data sets of the component, then its reaction kinetics and the
// exchanges across the water surface and the bed.
#include <algorithm>
#include <cmath>

#include "quality/component_exchanges.h"
#include "quality/component_terms.h"
#include "quality/quality_services.h"
#include "run/globals.h"

namespace {

constexpr double kUnsteadyTimeStep = 1e-8;
constexpr double kFirstStepTolerance = 0.001;

// One-off releases during the first time step, shared by the cells of a
// group by their top areas so that the group's amount enters once over the
// step. A steady run has no first step: with its tiny time step the
// amount would enter some 1e20-fold.
void ReleaseSourceGroups(const ComponentStep& s) {
    if (!(s.dt > kUnsteadyTimeStep) || !(std::fabs(stime - s.dt) < kFirstStepTolerance)) return;
    for (const SourceCellGroup& g : SourceCellGroups) {
        if (g.equation != s.k || g.noCells <= 0) continue;
        const int cells = std::min(g.noCells, kSourceGroupCells);
        double area = 0.0;
        for (int n = 0; n < cells; ++n) {
            if (IsGridCell(g.cells[n])) area += Farea[Csurft[g.cells[n]]];
        }
        const double spread = s.dt * area + 1e-30;
        for (int n = 0; n < cells; ++n) {
            const int c = g.cells[n];
            if (IsGridCell(c)) Csource[c] += Farea[Csurft[c]] * g.amount / spread;
        }
    }
}

bool IsInflowGroup(const DischargeGroupRecord& r) { return r.noSurfaces > 0 && r.groupType == 1; }

// The M data set of group g for component k: its ordinal, or -1.
int MDataSetOrdinal(int g, int k) {
    if (NoMDataSets <= 0 || k < 0 || k >= kMValues || g < 0 || g >= kMRows) return -1;
    return MDataSetValues[g].order[k];
}

// The water of group g enters its cells at concentration `conc`.
void AddGroupInflow(const DischargeGroupRecord& r, double conc) {
    const double perArea = r.discharge / (r.area + 1e-30);
    for (int n = 0; n < GroupListLength(r); ++n) {
        const int s = r.surfaceList[n];
        const int c = GroupSurfaceCell(s);
        if (c == 0) continue;
        const double q = Farea[s] * perArea;
        Cap[c] += q;
        Csource[c] += conc * q;
    }
}

// Each inflow group brings its water in once per component: at the
// concentration of its M data set (or that data set's `timei` column) when
// one is given for the component, else at the group's own concentration
// when the component is the group's inflow component.
void AddInflow(const ComponentStep& s) {
    for (int g = kFirstGroup; g <= kLastGroup; ++g) {
        const DischargeGroupRecord& r = DischargeGroups[g];
        if (!IsInflowGroup(r)) continue;
        const int ordinal = MDataSetOrdinal(g, s.k);
        if (ordinal >= 0) {
            const double given = MDataSetValues[g].mvalue[s.k];
            AddGroupInflow(r, NoTimeiSteps > 0 ? TimeiConcNow(ordinal, given) : given);
        } else if (r.inflowComponent == s.k) {
            AddGroupInflow(r, r.inflowConc);
        }
    }
}

double Q(const QDataSetRecord& r, int i) { return r.rvalue[i - 1]; }

void TopCellTerms(const QDataSetRecord& r) {
    const int a = r.ivalue[0], b = r.ivalue[1];
    const double q1 = Q(r, 1);
    for (int c = 1; c <= NoCells; ++c) {
        if (!IsTopCell(c)) continue;
        const double area = TopArea(c);
        switch (r.qtype) {
            case 1001: Csource[c] += q1 * area; break;
            // The equilibrium value is the record's second value, which the
            // data set does not give: 0 as read.
            case 1002: Csource[c] += q1 * area * (Q(r, 2) - ValueOf(r.component, c)); break;
            case 1003: Csource[c] += q1 * area * ValueOf(a, c) * ValueOf(b, c); break;
            case 1004: Csource[c] += std::max(q1 * ValueOf(a, c) * ValueOf(b, c), ValueOf(b, c)) * area; break;
            case 1012: Csource[c] += q1 * area * ValueOf(a, c); break;
            default: return;
        }
    }
}

void BedCellTerms(const QDataSetRecord& r) {
    const int a = r.ivalue[0], b = r.ivalue[1];
    const double q1 = Q(r, 1);
    for (int c = 1; c <= NoCells; ++c) {
        if (!IsBedCell(c)) continue;
        const double m = CellMass(c);
        switch (r.qtype) {
            case 2001: Csource[c] += q1 * m; break;
            case 2002: Csource[c] += q1 * m * ValueOf(a, c); break;
            case 2003: Csource[c] += q1 * m * ValueOf(a, c) * ValueOf(b, c); break;
            case 2004: Csource[c] += std::max(q1 * ValueOf(a, c) * ValueOf(b, c), ValueOf(b, c)) * m; break;
            default: return;
        }
    }
}

void EveryCellTerms(const QDataSetRecord& r) {
    const int k = r.component, a = r.ivalue[0], b = r.ivalue[1], cc = r.ivalue[2];
    const double q1 = Q(r, 1), q2 = Q(r, 2), q3 = Q(r, 3), q4 = Q(r, 4);
    for (int c = 1; c <= NoCells; ++c) {
        const double m = CellMass(c);
        switch (r.qtype) {
            // Rates per second: every pass solves the same step again from
            // its old values, so a pass takes the whole rate, whatever the
            // time step and the pass count.
            case 1: Csource[c] += q1 * m; break;
            case 2: Csource[c] += q1 * m * ValueOf(a, c); break;
            case 3: Csource[c] += q1 * m * ValueOf(a, c) * ValueOf(b, c); break;
            case 4: Csource[c] += std::max(q1 * ValueOf(a, c) * ValueOf(b, c), ValueOf(b, c)) * m; break;
            case 120: Csource[c] += ValueOf(k, c) * m * q1 * Saturation(ValueOf(a, c), q2); break;
            case 230:
                Csource[c] += ValueOf(k, c) * m * q1 *
                              std::min(Saturation(ValueOf(a, c), q2), Saturation(ValueOf(b, c), q3));
                break;
            case 340:
                Csource[c] += ValueOf(k, c) * m * q1 *
                              std::min({Saturation(ValueOf(a, c), q2), Saturation(ValueOf(b, c), q3),
                                        Saturation(ValueOf(cc, c), q4)});
                break;
            // Type 5 stands for an exchange whose term is zero by construction.
            default: return;
        }
    }
}

template <class Apply>
void ForEachRecordOf(int k, Apply apply) {
    const int n = std::clamp(NoQDataSets, 0, kQDataSets);
    for (int i = 0; i < n; ++i) {
        if (QDataSets[i].component == k) apply(QDataSets[i]);
    }
}

bool ComponentHeld(int k) {
    return k >= 0 && k < NoComponents && Components.exists() && static_cast<size_t>(k) < Components.extent1() &&
           Components.extent2() > static_cast<size_t>(NoCells) && Cap.exists() && Csource.exists();
}

}  // namespace

void ComputeComponentSources() {
    const ComponentStep s = CurrentComponentStep();
    if (!ComponentHeld(s.k)) return;
    ReleaseSourceGroups(s);
    AddInflow(s);
    ForEachRecordOf(s.k, [](const QDataSetRecord& r) { TopCellTerms(r); });
    ForEachRecordOf(s.k, [](const QDataSetRecord& r) { BedCellTerms(r); });
    ForEachRecordOf(s.k, [](const QDataSetRecord& r) { EveryCellTerms(r); });
    ComputeKinetics();
    for (int type : kLateSourceTypes) {
        ForEachRecordOf(s.k, [&](const QDataSetRecord& r) {
            if (r.qtype == type) AddExchangeTerms(r, s);
        });
    }
}
