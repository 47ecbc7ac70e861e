// The decision after every inner pass of the water-flow iteration: the
// residual line and its monitors, the residual history, and whether the
// iteration stops (converged, diverged, continuity error, debug stop) or is
// flushed back to its previous fields.
#include "drivers/convergence.h"

#include <cmath>
#include <cstdio>

#include "drivers/flow_drivers.h"
#include "drivers/log_lines.h"
#include "flow/flow_data.h"
#include "grid/grid_data.h"
#include "grid/grid_services.h"
#include "output/output_services.h"
#include "quality/quality_data.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/guarded_read.h"
#include "run/log.h"
#include "run/status.h"
#include "run/output_file.h"

namespace {

constexpr double kConverged = 0.001;
constexpr double kUnsteadyTimeStep = 1e-8;
constexpr double kFlushResidual = 5e8;
constexpr double kRelativeContinuityLimit = 1e-6;
constexpr int kDebugStop = 99;
constexpr int kPlanVtkSelector = 91;
constexpr int kTimingLines = 32;

// The last cell of the active range that every array read here holds.
int LastReadable() {
    int last = LastCell;
    if (static_cast<size_t>(last) >= Cvol.size()) last = static_cast<int>(Cvol.size()) - 1;
    return last;
}

void OpenLogOrEnd() {
    if (!LogAvailable()) FailLogUnavailable();
}

void AddResidualLine(LogLines& out) {
    out.add("Iter: %d, Resid: %8.2le %8.2le %8.2le %8.2le %8.2le %8.2le\n", Iter, MaxResidual[1], MaxResidual[2],
            MaxResidual[3], MaxResidual[4], MaxResidual[5], MaxResidual[6]);
}

void AddDefectLine(LogLines& out) {
    const int c = DefMaxCell;
    out.add("Cont: %14.8e, DefMax: %4.8e, U,V,W(%d): %14.8e %14.8e %14.8e\n", ContDefect, DefMax, c, ValueAt(Cu, c),
            ValueAt(Cv, c), ValueAt(Cw, c));
}

// "all": every group with a discharge above 0; otherwise groups 1 and 2 always.
void AddDischargeLines(LogLines& out, bool all) {
    for (int g = 1; g <= 9 && g < kGroupDischargeSlots; ++g) {
        if ((all || g > 2) && !(GroupDischarge[g] > 0.0)) break;
        out.add("Water discharge (l/s), group %d: %lf\n", g, GroupDischarge[g]);
    }
}

void AppendResidualRow() {
    FILE* fp = OpenPlainOutput("quorva", true);
    if (!fp) return;
    std::fprintf(fp, "%d %lf %lf %lf %lf %lf %lf\n", Iter, MaxResidual[1], MaxResidual[2], MaxResidual[3],
                 MaxResidual[4], MaxResidual[5], MaxResidual[6]);
    std::fclose(fp);
}

void AddTimingLines(LogLines& out) {
    for (int i = 1; i <= kTimingLines && i < kTimingMarks; ++i) {
        out.add("OpenMP %d = %.16g, %16lf\n", i, TimingMarks[i] - TimingMarks[0], TimingMarks[i] - TimingMarks[i - 1]);
    }
}

}  // namespace

void AddMonitorLine(LogLines& out) {
    const int last = LastReadable();
    switch (MonitorOption) {
        case 1:
            if (NoComponents > 1) {
                double amount = 0.0;
                for (int c = FirstCell; c <= last; ++c) amount += ValueAt(Components, 1, c) * Cvol[c];
                out.add("Amount: %e\n", amount);
            }
            break;
        case 2:
            if (NoComponents > 0) {
                double weighted = 0.0, volume = 0.0;
                for (int c = FirstCell; c <= last; ++c) {
                    if (ValueAt(Ccellt, c) != 0) continue;
                    weighted += ValueAt(Components, 0, c) * Cvol[c];
                    volume += Cvol[c];
                }
                out.add("Average surface conc.: %e\n", weighted / volume);
            }
            break;
        case 3: {
            double u = 0.0, v = 0.0;
            int n = 0;
            for (int c = FirstCell; c <= last; ++c) {
                if (ValueAt(Ccellt, c) != 0) continue;
                u += ValueAt(Cu, c);
                v += ValueAt(Cv, c);
                ++n;
            }
            u /= n;
            v /= n;
            out.add("Average top velocity: %e\n", std::sqrt(u * u + v * v));
            break;
        }
        case 4:
            out.add("Number of cells: %d, surfaces: %d, points: %d\n", NoCells, NoSurfaces, NoPoints);
            break;
        default:
            break;
    }
}

namespace {

bool ResidualLineDue(int pass) {
    if (PrintSkip != 0) return false;
    return pass == NoIterPerStep || (TimeStep > kUnsteadyTimeStep && ResMax < InnerConvergence && MpiPart == 0);
}

void WriteResidualReport(int pass) {
    LogLines out;
    AddResidualLine(out);
    if (DebugOption == 'D') {
        AddDefectLine(out);
        if (TimeStep > kUnsteadyTimeStep && NoTimeiSteps > 0) {
            out.add("Time: %lf seconds\n", stime);
            AddDischargeLines(out, false);
        }
    }
    // The history row follows the residual line of the same pass.
    out.flush();
    out = LogLines();
    if (ResidualFileFlag == 1) AppendResidualRow();
    if (DebugOption == 'D') {
        out.add("NoCells = %d, NoSurfaces = %d, NoPoints = %d, InnerIter = %d\n", NoCells, NoSurfaces, NoPoints, pass);
    }
    if (DebugOption == 'P') AddTimingLines(out);
    AddMonitorLine(out);
    out.flush();
}

void ServeOutputRequest() {
    const int request = OutputRequestFlag;
    if (request <= 0) return;
    OutputRequestFlag = 0;
    switch (request) {
        case 1: WriteResultFile(0); break;
        case 2: WriteTecplot2D(0, 1); break;
        case 3: WriteTecplot3D(0); break;
        case 4: WriteParaView3U(0); break;
        case 5: WriteParaView2D(0, 1); break;
        default: break;
    }
}

void CopyBack(Array1<double>& to, const Array1<double>& from) {
    if (!to.exists() || !from.exists()) return;
    int last = LastCell;
    if (static_cast<size_t>(last) >= to.size()) last = static_cast<int>(to.size()) - 1;
    if (static_cast<size_t>(last) >= from.size()) last = static_cast<int>(from.size()) - 1;
    for (int c = FirstCell; c <= last; ++c) to[c] = from[c];
}

bool FlushDue() {
    return FlushLimit >= 1 && ResMax > kFlushResidual && ResMax > ResMaxPrevious && NoFlushes < FlushLimit;
}

void Flush(int pass) {
    NoFlushes += 1;
    LogAppend("Solution flushed at Iter=%d, InnerIter=%d, Residual=%lf, relax = %lf\n", Iter, pass, ResMax,
              RelaxPressure);
    CopyBack(Pres, Pres_old);
    CopyBack(Cu, Cu_old);
    CopyBack(Cv, Cv_old);
    CopyBack(Cw, Cw_old);
    CopyBack(Ck, Ck_old);
    CopyBack(Cepsilon, Cepsilon_old);
    if (NoFlushes == 1) {
        for (int c = FirstCell; c <= LastCell && static_cast<size_t>(c) < Pres.size(); ++c) Pres[c] = 0.0;
    } else if (NoFlushes == 2) {
        FluxInterpolationOption = FluxInterpolationOption == 0 ? 7 : 0;
    } else {
        RelaxPressure *= 0.5;
        RelaxVelocity *= 0.5;
        RelaxK *= 0.5;
        RelaxEps *= 0.5;
        InvRelaxVelocity *= 2.0;
    }
}

void Diverge(int pass) {
    LogLines out;
    out.add("Solution diverged after %d inner and %d outer iterations\n", pass, Iter);
    out.add("Max residual is %le\n", ResMax);
    if (ReadUnstrucVersion <= 1) {
        out.add("A possible reason is that an older version of the unstruc file is used\n");
        out.add("and the corresponding koordina file is not read or the G 1 data set is changed\n\n");
    }
    out.flush();
    SetStatusText("Solution diverged  ");
    FlowFailedFlag = 1;
    WaterFlowActiveFlag = 0;
    PrintDivergenceDetails();
}

}  // namespace

int LargestResidualEquation() {
    ResMax = 0.0;
    int equation = 0;
    for (int eq = 1; eq <= 6; ++eq) {
        if (MaxResidual[eq] < 1e-90) MaxResidual[eq] = 0.0;
        // A residual that is not a number makes the largest one not a number
        // too, and names its equation, so the run is seen to diverge.
        if (std::isnan(MaxResidual[eq])) {
            if (!std::isnan(ResMax)) equation = eq;
            ResMax = MaxResidual[eq];
        } else if (!std::isnan(ResMax) && MaxResidual[eq] > ResMax) {
            ResMax = MaxResidual[eq];
            equation = eq;
        }
    }
    return equation;
}

int CheckConvergence(int pass) {
    ResMaxPrevious = ResMax;
    const int equation = LargestResidualEquation();
    ServeOutputRequest();
    OpenLogOrEnd();
    if (ResidualLineDue(pass)) WriteResidualReport(pass);
    SetStatusText("%d ResMax: %8.2e for eq: %d", Iter, ResMax, equation);

    if (ResMax < kConverged && (TimeStep < kUnsteadyTimeStep || UnsteadyConvergenceFlag == 1) && MpiPart == 0) {
        LogAppend("Solution converged\n");
        SetStatusText("Solution converged  ");
        WaterFlowActiveFlag = 0;
        std::snprintf(ResultTitle, sizeof ResultTitle, "Written from watersolver due to convergence");
        WriteResults();
        return 1;
    }
    if (FlushDue()) {
        Flush(pass);
    } else if (ResMax > DivergenceLimit || std::isnan(ResMax)) {
        Diverge(pass);
        return 1;
    }
    if (std::fabs(ContDefect) / ResidualScale[4] > kRelativeContinuityLimit && FreeSurfaceOption == 0 &&
        F85Flag == 0) {
        LogAppend("Error in continuity, WaterSolve. Defect = %lf l/s\n", ContDefect);
        SetStatusText("Error in continuity  ");
        WaterFlowActiveFlag = 0;
        FlowFailedFlag = 1;
        return 1;
    }
    if (DebugStopOption == kDebugStop) {
        SetStatusText("Stopped for debug info    ");
        WriteResults();
        WaterFlowActiveFlag = 0;
        FlowFailedFlag = 1;
        return 1;
    }
    return 0;
}

void PrintDivergenceDetails() {
    const int c = DefMaxCell;
    OpenLogOrEnd();
    LogLines out;
    AddResidualLine(out);
    AddDefectLine(out);
    if (Bkooi.exists() && Bkooj.exists()) {
        const int column = ValueAt(Cbedcell, c);
        out.add("Largest residual is in cell i=%d, j=%d\n", ValueAt(Bkooi, column), ValueAt(Bkooj, column));
    }
    out.add("Please look at the ParaView2.vtk file to find out where the problem is\n\n");
    if (TimeStep > kUnsteadyTimeStep) {
        out.add("Time: %lf seconds\n", stime);
        AddDischargeLines(out, true);
    }
    out.add("Debugging information: Cell height: %lf meters\n", 2.0 * ValueAt(Ckdist, c));
    out.add("Horizontal cell distances: %lf %lf meters\n", 2.0 * ValueAt(Cidist, c), 2.0 * ValueAt(Cjdist, c));
    out.add("Roughness %lf meters, Neighbour cells (wsentb): %d %d %d %d %d %d\n", ValueAt(Croughness, c),
            ValueAt(Ccellw, c), ValueAt(Ccells, c), ValueAt(Ccelle, c), ValueAt(Ccelln, c), ValueAt(Ccellt, c),
            ValueAt(Ccellb, c));
    out.add("Neighbour areas (wsen): %lf %lf %lf %lf\n", ValueAt(Farea, ValueAt(Csurfw, c)),
            ValueAt(Farea, ValueAt(Csurfs, c)), ValueAt(Farea, ValueAt(Csurfe, c)), ValueAt(Farea, ValueAt(Csurfn, c)));
    const int bed = ValueAt(Csurfb, c);
    out.add("Bed surface vector components: %lf %lf %lf\n", ValueAt(Fvecx, bed), ValueAt(Fvecy, bed),
            ValueAt(Fvecz, bed));
    out.add("Bed area components: %lf %lf %lf\n", ValueAt(Fareax, bed), ValueAt(Fareay, bed), ValueAt(Fareaz, bed));
    out.flush();

    if (DebugFilesOption > 0) {
        DebugFilesOption = 2;
        WriteUnstrucFile();
        WriteResults();
    }
    static const char kDefaultLetters[] = {'y', 'v', 'm', 'p', 's', 'u', 'w', 'i', 'z'};
    if (NoPlotVariables == 0) {
        NoPlotVariables = 9;
        for (int k = 0; k < 9; ++k) PlotVariables[k] = PlotVariableRecord{0, 0, kDefaultLetters[k]};
    }
    if (CellResidualFlag == 1 && NoPlotVariables <= kPlotVariableRecords - 6) {
        PlotVariables[NoPlotVariables] = PlotVariableRecord{1, 0, 'R'};
        PlotVariables[NoPlotVariables + 1] = PlotVariableRecord{1, 0, 'K'};
        NoPlotVariables += 2;
    }
    OutputSelector = kPlanVtkSelector;
    WriteResults();
    // The dispatcher numbers its plan file; the report above names the plain
    // one, which must then show this state and not an older run's.
    if (ResultInterval == 0) WriteParaView2D(0, 0);
}
