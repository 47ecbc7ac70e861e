#include "drivers/residuals.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <string>

#include "drivers/log_lines.h"
#include "flow/flow_data.h"
#include "grid/grid_data.h"
#include "run/guarded_read.h"
#include "run/params_f1.h"
#include "run/params_f100.h"
#include "run/params_f150.h"
#include "run/params_f50.h"
#include "run/params_k.h"
#include "run/region_fatal.h"
#include "run/run_state.h"
#include "sediment/sediment_data.h"
#include "solver/cell_stencil.h"

namespace {

// A cell whose Cap carries the 1e30 of a fixed value.
constexpr double kFixedCap = 1e15;
// Cells above this residual are reported whatever the threshold says.
constexpr double kReportLimit = 10000.0;
constexpr double kSmallestScale = 1e-10;
constexpr int kPressureCorrection = 4;

// ---- Reports -------------------------------------------------------------

// Seven values of one array: the cell, then its west, east, north, south,
// bottom and top neighbours (the first `count` of them).
void AddNeighbourLine(LogLines& t, const char* label, const Array1<double>& a, const int* cells, int count) {
    char line[512];
    int used = std::snprintf(line, sizeof line, "%s:", label);
    for (int i = 0; i < count && used > 0 && static_cast<size_t>(used) < sizeof line; ++i) {
        used += std::snprintf(line + used, sizeof line - used, " %lg", ValueAt(a, cells[i]));
    }
    t.add("%s\n", line);
}

void AddEpsData(LogLines& t, const char* where, int c, const char* end) {
    t.add("Eps-data %s: %d %d %d %d %d %d %lg %lg %lg %lg%s", where, ValueAt(Fflagflow, ValueAt(Csurfw, c)),
          ValueAt(Fflagflow, ValueAt(Csurfe, c)), ValueAt(Fflagflow, ValueAt(Csurfn, c)),
          ValueAt(Fflagflow, ValueAt(Csurfs, c)), ValueAt(Fflagflow, ValueAt(Csurft, c)),
          ValueAt(Fflagflow, ValueAt(Csurfb, c)), ValueAt(Cidist, c), ValueAt(Cjdist, c), ValueAt(Ckdist, c),
          ValueAt(conc, 0, c), end);
}

void AddCellDump(LogLines& t, int c, bool far, bool pressure) {
    const int w = ValueAt(Ccellw, c), e = ValueAt(Ccelle, c), n = ValueAt(Ccelln, c), s = ValueAt(Ccells, c);
    const int b = ValueAt(Ccellb, c), tp = ValueAt(Ccellt, c);
    const int cells[7] = {c, w, e, n, s, b, tp};
    const int count = pressure ? 5 : 7;
    t.add("Source, ap, anb = %lg %lg %lg %lg %lg %lg %lg %lg\n", ValueAt(Csource, c), ValueAt(Cap, c), ValueAt(Caw, c),
          ValueAt(Cae, c), ValueAt(Can, c), ValueAt(Cas, c), ValueAt(Cat, c), ValueAt(Cab, c));
    if (far && !pressure) {
        t.add("anbb = %lg %lg %lg %lg %lg %lg\n", ValueAt(Caww, c), ValueAt(Caee, c), ValueAt(Cann, c),
              ValueAt(Cass, c), ValueAt(Catt, c), ValueAt(Cabb, c));
    }
    t.add("Vol, Ckdist, areas: %lg %lg %lg %lg %lg %lg\n", ValueAt(Cvol, c), ValueAt(Ckdist, c),
          ValueAt(Farea, ValueAt(Csurfw, c)), ValueAt(Farea, ValueAt(Csurfe, c)), ValueAt(Farea, ValueAt(Csurfn, c)),
          ValueAt(Farea, ValueAt(Csurfs, c)));
    AddNeighbourLine(t, "InvAp", CinvAp, cells, count);
    t.add("Fluxes: %lg %lg %lg %lg %lg %lg\n", ValueAt(Fflux, ValueAt(Csurfw, c)), ValueAt(Fflux, ValueAt(Csurfe, c)),
          ValueAt(Fflux, ValueAt(Csurfn, c)), ValueAt(Fflux, ValueAt(Csurfs, c)), ValueAt(Fflux, ValueAt(Csurfb, c)),
          ValueAt(Fflux, ValueAt(Csurft, c)));
    AddNeighbourLine(t, "X-velocities", Cu, cells, count);
    AddNeighbourLine(t, "Y-velocities", Cv, cells, count);
    AddNeighbourLine(t, "Z-velocities", Cw, cells, count);
    AddNeighbourLine(t, "kinen", Ck, cells, count);
    AddNeighbourLine(t, "epsilon", Cepsilon, cells, count);
    if (far && !pressure) {
        t.add("epsilon,nbb: %lg %lg %lg %lg %lg %lg\n", ValueAt(Cepsilon, ValueAt(Ccellw, w)),
              ValueAt(Cepsilon, ValueAt(Ccelle, e)), ValueAt(Cepsilon, ValueAt(Ccelln, n)),
              ValueAt(Cepsilon, ValueAt(Ccells, s)), ValueAt(Cepsilon, ValueAt(Ccellb, b)),
              ValueAt(Cepsilon, ValueAt(Ccellt, tp)));
    }
    AddNeighbourLine(t, "gamma", Ceddyvisc, cells, count);
    if (!pressure) AddNeighbourLine(t, "Pressure", Pres, cells, count);
    t.add("TurbDensFlag: %d, TurbulenceModel %d, MinGamma %lg, ArtEddyVisc %lg\n", TurbDensFlag, TurbulenceModel,
          MinGamma, ArtEddyVisc);
    AddEpsData(t, "central", c, "\n");
    AddEpsData(t, "west", w, "\n");
    AddEpsData(t, "east", e, "\n");
    AddEpsData(t, "north", n, "\n");
    AddEpsData(t, "south", s, "\n\n");
}

void ReportLargeResidual(int c, double residual, double value, bool far, bool pressure) {
    LogLines t;
    t.add("Large residual for f(%d,%d) : %lg, value: %lf\n", c, Equation, residual, value);
    if (DebugOption == 'E') AddCellDump(t, c, far, pressure);
    t.flush();
}

// ---- Sums ----------------------------------------------------------------

// Where the per-cell residuals go, or null when none are kept.
double* CellResidualSlots(Array1<double>* a, int last) {
    if (CellResidualFlag != 1 || !a || static_cast<size_t>(last) >= a->size()) return nullptr;
    return a->data();
}

double ReportThreshold() {
    const double scaled = NoCells > 0 ? LargeResidualFactor * ResidualScale[Equation] / NoCells : HUGE_VAL;
    return scaled > 0.01 ? scaled : 0.01;
}

// |r| summed over the cells below the fixed-value limit, with
// r = neighbour sum + Csource - Cap f. A cell with a split side sums its
// facing cells, as the solvers do, whether or not the per-cell residuals are
// kept: Cap holds their coefficients, and a residual without them would
// never fall however well the equations were solved.
template <bool kFar, bool kSplit>
double CellResidualSum(const CellStencil& s, const SplitFaces& sf, double* f, int first, int last, double* slots,
                       bool report) {
    const double threshold = ReportThreshold();
    double sum = 0.0;
    for (int c = first; c <= last; ++c) {
        const double ap = s.ap[c];
        if (!(ap < kFixedCap)) continue;
        double neighbours;
        if constexpr (kSplit) {
            neighbours = SplitNeighbourSum<PlainField, kFar>(s, sf, f, c, 0.0);
        } else {
            neighbours = NeighbourSum<PlainField, kFar>(s, f, c);
        }
        const double r = neighbours + s.source[c] - ap * f[c];
        const double size = std::fabs(r);
        sum += size;
        if (slots) slots[c] = r / ap;
        if (report && (size > threshold || size > kReportLimit)) ReportLargeResidual(c, size, f[c], kFar, false);
    }
    return sum;
}

// The continuity defect of every cell, fixed or not.
double ContinuityDefectSum(const CellStencil& s, double* f, int first, int last) {
    double* slots = CellResidualSlots(&Cpres_res, last);
    const bool report = CellResidualFlag != 1;
    const double threshold = ReportThreshold();
    double sum = 0.0;
    for (int c = first; c <= last; ++c) {
        const double defect = s.source[c];
        const double size = std::fabs(defect);
        sum += size;
        if (slots) slots[c] = defect;
        if (report && size > threshold) ReportLargeResidual(c, size, f[c], false, true);
    }
    return sum;
}

// The unnormalised residual of cells first..last; false when the equation or
// the range does not fit the arrays (reported).
bool ResidualSum(int first, int last, double* sum) {
    *sum = 0.0;
    if (Equation < 0 || Equation >= kEquationTableSize) {
        FailAnywhere(-1, "Error, equation no. %d has no residual\n", Equation);
        return false;
    }
    const CellStencil s = CurrentCellStencil(CurrentConvectionScheme() == 1);
    if (!PrepareCellRange(first, last, s.cells < Cf.size() ? s.cells : Cf.size())) {
        // An empty range adds nothing; a range beyond the arrays has been reported.
        return last < first;
    }
    double* f = Cf.data();
    const bool far = s.far();
    if (Equation == kPressureCorrection) {
        *sum = ContinuityDefectSum(s, f, first, last);
        return true;
    }
    const SplitFaces sf = SplitFaceFlag > 0 ? CurrentSplitFaces(s) : SplitFaces{};
    const bool split = SplitFaceFlag > 0 && SplitFacesInRange(sf, first, last);
    double* slots = CellResidualSlots(CellResidualField(Equation), last);
    const bool report = CellResidualFlag != 1;
    if (split) {
        *sum = far ? CellResidualSum<true, true>(s, sf, f, first, last, slots, report)
                   : CellResidualSum<false, true>(s, sf, f, first, last, slots, report);
    } else {
        *sum = far ? CellResidualSum<true, false>(s, sf, f, first, last, slots, report)
                   : CellResidualSum<false, false>(s, sf, f, first, last, slots, report);
    }
    return true;
}

bool ScaleSet() { return ResidualScale[Equation] >= kSmallestScale; }

}  // namespace

void ComputeResidual(int first, int last) {
    double sum;
    if (!ResidualSum(first, last, &sum)) return;
    if (Equation == kPressureCorrection) sum = std::fabs(sum - ContinuityResidualOffset);
    if (!ScaleSet()) {
        FailAnywhere(kResidualNotSetStatus,
                     "Error, residual not set for Equation no. %d\n"
                     "This error often occur when inflow discharges are not set.\n\n",
                     Equation);
        return;
    }
    MaxResidual[Equation] += sum / ResidualScale[Equation];
}

double ComputeResidualRange(int first, int last) {
    double sum;
    if (!ResidualSum(first, last, &sum)) return 0.0;
    if (!ScaleSet()) {
        FailAnywhere(kResidualNotSetStatus,
                     "Error residual not set\n"
                     "This error often occurs when the inflow discharge is not set\n\n");
        return 0.0;
    }
    return sum / ResidualScale[Equation];
}

void StoreResidualSum(double sum) {
    if (Equation < 0 || Equation >= kEquationTableSize) {
        FailAnywhere(-1, "Error, equation no. %d has no residual\n", Equation);
        return;
    }
    if (Equation == kPressureCorrection && ScaleSet()) {
        sum = std::fabs(sum - ContinuityResidualOffset / ResidualScale[Equation]);
    }
    MaxResidual[Equation] = sum;
}
