// The plan equation: one value per water column, held at the bed cells, its
// sideways neighbours the bed cells of the neighbouring columns.
#include <algorithm>
#include <cmath>
#include <utility>

#include "flow/cell_lookup.h"
#include "flow/flow_data.h"
#include "grid/grid_data.h"
#include "run/globals.h"
#include "run/params_f150.h"
#include "run/params_f200.h"
#include "run/params_f300.h"
#include "run/params_g.h"
#include "solver/solver_data.h"
#include "solver/solver_services.h"
#include "surface/surface_data.h"

namespace {

bool IsPlanBlock(int b) { return BlockTable[b].gridLevel == 0 && G26BlockValues[b] == 1; }

template <class F>
void ForEachPlanBlock(F f) {
    for (int b = 1; b <= std::min(NoBlocks, kMaxBlocks); ++b) {
        if (IsPlanBlock(b)) f(BlockTable[b]);
    }
}

// The cells a block's record names, limited to the grid so that a damaged
// record cannot index past the arrays.
int FirstBlockCell(const BlockRecord& r) { return std::max(r.firstCell, 1); }
int LastBlockCell(const BlockRecord& r) { return std::min(r.lastCell, NoCells); }

struct PlanStencil {
    bool ninePoint = false;
    bool bounded = false;
};

// The neighbour across a corner: through the side neighbour first, through
// the other side where that link is missing.
int Corner(const Array1<int>& first, const Array1<int>& second, int c) {
    const int viaFirst = first[c] != 0 ? second[first[c]] : 0;
    if (viaFirst != 0) return viaFirst;
    const int viaSecond = second[c];
    return viaSecond != 0 ? first[viaSecond] : 0;
}

// Solves bed cell c in place and returns |new - old|. A cell without a
// diagonal keeps its value rather than become non-finite.
double UpdatePlanCell(int c, PlanStencil s) {
    if (Cap[c] == 0.0) return 0.0;
    const int e = Ccelle[c], w = Ccellw[c], n = Ccelln[c], so = Ccells[c];
    double sum = Cae[c] * Cf[e] + Caw[c] * Cf[w] + Can[c] * Cf[n] + Cas[c] * Cf[so];
    if (s.ninePoint) {
        sum += Caee[c] * Cf[Corner(Ccelln, Ccelle, c)] + Cass[c] * Cf[Corner(Ccells, Ccelle, c)] +
               Cann[c] * Cf[Corner(Ccelln, Ccellw, c)] + Caww[c] * Cf[Corner(Ccells, Ccellw, c)];
    }
    double value = (sum + Csource[c]) / Cap[c];
    if (s.bounded) value = std::max(value, Benergy[Cbedcell[c]]);
    const double change = std::fabs(value - Cf[c]);
    Cf[c] = value;
    return change;
}

// Modes 4 and 43: forward and backward by cell number until the mean change
// of the backward pass falls below the tolerance.
void SolveByCellNumber(PlanStencil s) {
    for (int it = 0; it < PlanSolverSweeps2; ++it) {
        ForEachPlanBlock([&](const BlockRecord& r) {
            for (int c = FirstBlockCell(r); c <= LastBlockCell(r); ++c) {
                if (Ccellb[c] == 0) UpdatePlanCell(c, s);
            }
        });
        double change = 0.0;
        double cells = 0.0;
        ForEachPlanBlock([&](const BlockRecord& r) {
            for (int c = LastBlockCell(r); c >= FirstBlockCell(r); --c) {
                if (Ccellb[c] != 0) continue;
                change += UpdatePlanCell(c, s);
                cells += 1.0;
            }
        });
        if (change / (cells + 1e-15) < PlanSolverTolerance) break;
    }
}

// One pass by grid position; `iUp` and `jUp` give the directions.
void GridPass(const BlockRecord& r, bool iUp, bool jUp, PlanStencil s) {
    const int iFrom = iUp ? r.iFirst : r.iLast, iTo = iUp ? r.iLast : r.iFirst, di = iUp ? 1 : -1;
    const int jFrom = jUp ? r.jFirst : r.jLast, jTo = jUp ? r.jLast : r.jFirst, dj = jUp ? 1 : -1;
    if ((iTo - iFrom) * di < 0 || (jTo - jFrom) * dj < 0) return;
    for (int i = iFrom; i != iTo + di; i += di) {
        for (int j = jFrom; j != jTo + dj; j += dj) {
            const int c = GridColumnBottom(i, j);
            if (c != 0) UpdatePlanCell(c, s);
        }
    }
}

// Modes 8 and 83: the four pass orders, a fixed number of times.
void SolveByGridPosition(PlanStencil s) {
    for (int it = 0; it < PlanSolverSweeps1; ++it) {
        for (const auto& [iUp, jUp] : {std::pair{true, true}, {true, false}, {false, true}, {false, false}}) {
            ForEachPlanBlock([&](const BlockRecord& r) { GridPass(r, iUp, jUp, s); });
        }
    }
}

// Mode 42: each i line from the last down, swept along j both ways.
void SolveWaterLevelPasses() {
    constexpr int kPasses = 3;
    for (int it = 0; it < kPasses; ++it) {
        ForEachPlanBlock([&](const BlockRecord& r) {
            for (int i = r.iLast; i >= r.iFirst; --i) {
                for (int j = r.jFirst; j <= r.jLast; ++j) {
                    if (const int c = GridColumnBottom(i, j)) UpdatePlanCell(c, {});
                }
                for (int j = r.jLast; j >= r.jFirst; --j) {
                    if (const int c = GridColumnBottom(i, j)) UpdatePlanCell(c, {});
                }
            }
        });
    }
}

// Mode 41: the per-column level corrections from their own source.
double ColumnCorrection(int nb) { return nb != 0 ? Blevelcorr[Cbedcell[nb]] : 0.0; }

void UpdateLevelCorrection(int c, bool forward) {
    if (Ccellb[c] != 0 || Cap[c] == 0.0) return;
    double value = (Cae[c] * ColumnCorrection(Ccelle[c]) + Caw[c] * ColumnCorrection(Ccellw[c]) +
                    Can[c] * ColumnCorrection(Ccelln[c]) + Cas[c] * ColumnCorrection(Ccells[c]) +
                    Bplanwork[Cbedcell[c]]) /
                   Cap[c];
    if (forward && std::fabs(value) < 1e-80) value = 0.0;
    Blevelcorr[Cbedcell[c]] = value;
}

void SolveLevelCorrections() {
    if (!Blevelcorr.exists() || !Bplanwork.exists() || !Cbedcell.exists()) return;
    for (int it = 0; it < PlanSolverSweeps1; ++it) {
        ForEachPlanBlock([&](const BlockRecord& r) {
            for (int c = FirstBlockCell(r); c <= LastBlockCell(r); ++c) UpdateLevelCorrection(c, true);
        });
        ForEachPlanBlock([&](const BlockRecord& r) {
            for (int c = LastBlockCell(r); c >= FirstBlockCell(r); --c) UpdateLevelCorrection(c, false);
        });
    }
}

}  // namespace

void SolvePlanEquation(int mode) {
    // Without the column arrays there is no bound to honour; solving without
    // it is safer than reading arrays that do not exist.
    const bool bound = Benergy.exists() && Cbedcell.exists();
    const bool corners = Caee.exists() && Cass.exists() && Cann.exists() && Caww.exists();
    switch (mode) {
        case 4:
        case 43:
            if (MultigridChoice > 0 && (PlanSolverSweeps2 < 10 || PlanSolverOption == 3)) SolveMultigrid2D();
            SolveByCellNumber({false, mode == 43 && bound});
            break;
        case 8:
        case 83:
            SolveByGridPosition({corners, mode == 83 && bound});
            break;
        case 42:
            SolveWaterLevelPasses();
            break;
        case 41:
            SolveLevelCorrections();
            break;
        default:
            break;
    }
}
