// The bookkeeping steps of the morphology time loop, the timing files and
// the end of a morphology run.
#include "sediment/morphology_steps.h"

#include <omp.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "drivers/drivers_data.h"
#include "flow/cell_lookup.h"
#include "output/output_services.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/status.h"
#include "run/text_format.h"
#include "sediment/sediment_services.h"
#include "run/output_file.h"

namespace {

int LastActiveCell(size_t cells) { return std::min(LastCell, static_cast<int>(cells) - 1); }

void CopyActive(Array1<double>& to, const Array1<double>& from) {
    if (!to.exists() || !from.exists()) return;
    const int last = LastActiveCell(std::min(to.size(), from.size()));
    for (int c = FirstCell; c <= last; ++c) to[c] = from[c];
}

int Sizes() { return std::min(NoSizes, static_cast<int>(conc.extent1()) - 1); }

[[noreturn]] void FailTimingFile() {
    SetStatusText("cannot open file 'bootime' ");
    EndRun(-3);
}

// The suspended transport of a column (kg/s per metre of width), from its
// bottom cell up.
double ColumnTransport(int bottom) {
    double transport = 0.0;
    for (int c = bottom; c > 0; c = Ccellt[c]) {
        double sum = 0.0;
        for (int s = 1; s <= Sizes(); ++s) sum += conc[s][c];
        transport += sum * std::sqrt(Cu[c] * Cu[c] + Cv[c] * Cv[c]) * 2.0 * Ckdist[c] * 2650.0;
    }
    return transport;
}

void WriteColumnTable() {
    LogAppend("\n2D cell, 3D cell, Bedmove (m), 1/2 cell height (m), Bed shear (Pa), sediment transp. (kg/s/m)\n");
    for (int b = FirstBedCell; b <= LastBedCell; ++b) {
        const int bottom = Bcellt[b];
        if (bottom <= 0) continue;
        LogAppend("%8d %8d %16lg %12lf %16lg %16lg\n", b, bottom, Bedmove[b], Ckdist[bottom], 300.0 * Ck[bottom],
                  ColumnTransport(bottom));
    }
}

void WriteSurfaceUpdateLines() {
    if (NoSurfaceUpdates > 0) LogAppend("Surface updated %d times\n", NoSurfaceUpdates);
    if (NoFailedSurfaceUpdates <= 0) return;
    LogAppend("Surface update failed %d times\n", NoFailedSurfaceUpdates);
    if (NoFailedSurfaceUpdates <= NoSurfaceUpdates / 10) return;
    LogAppend("Advice for solving problem of too few surface updates: \n");
    LogAppend("1. Increase the number of inner iterations for each time step: F 33 data set\n");
    LogAppend("2. Decrease relaxation coefficients: K 3 data set\n");
    LogAppend("3. Use multi-grid method: F 168 / K 5 data sets\n");
    LogAppend("4. Increase the residual criteria for updates: F 224 data set\n");
    LogAppend("5. Increase scaling parameters for k and epsilon: F 200 data set\n");
}

void WriteDepositedVolume() {
    double volume = 0.0;
    for (int i = DepositBoxIFirst; i <= DepositBoxILast; ++i) {
        for (int j = DepositBoxJFirst; j <= DepositBoxJLast; ++j) {
            const int bottom = GridColumnBottom(i, j);
            if (bottom > 0) volume += GridLevels[1][i][j] * Barea[Cbedcell[bottom]];
        }
    }
    LogAppend("G 29 data set deposited volume: %lf m3\n", volume);
}

void WriteSummary() {
    if (DebugOption == 'D') WriteColumnTable();
    LogAppend("Time: %lf seconds\n", stime);
    WriteSedimentContinuitySummary();
    WriteSurfaceUpdateLines();
    for (int k = 0; k < kNoErrorsTrekant; ++k) {
        if (NoErrorsTrekant[k] > 0) LogAppend("NoErrorsTrekant[%d]=%d\n", k, NoErrorsTrekant[k]);
    }
    LogAppend("Grid size: Cells: %d, Surfaces: %d, Points: %d\n", NoCells, NoSurfaces, NoPoints);
    if (DepositBoxIFirst > 0) WriteDepositedVolume();
}

// Volume between the bed now and the bed the run started from.
double TotalBedChange() {
    auto change = [](int i, int j) { return Gridz[i][j][1] - GridLevels[0][i][j]; };
    double volume = 0.0;
    for (int k = 1; k <= std::min(NoBlocks, kMaxBlocks); ++k) {
        const BlockRecord& r = BlockTable[k];
        if (r.gridLevel != 0) continue;
        for (int i = r.iFirst; i <= r.iLast; ++i) {
            for (int j = r.jFirst; j <= r.jLast; ++j) {
                volume += PlanArea[i][j] * 0.25 * (change(i, j) + change(i - 1, j) + change(i, j - 1) + change(i - 1, j - 1));
            }
        }
    }
    return volume;
}

}  // namespace

void CopyConcentrations() {
    if (!conc_old.exists()) return;
    const int last = LastActiveCell(std::min(conc.extent2(), conc_old.extent2()));
    for (int s = 1; s <= Sizes(); ++s) {
        for (int c = FirstCell; c <= last; ++c) conc_old[s][c] = conc[s][c];
    }
}

void ZeroActivePressure() {
    Pres[0] = 0.0;
    for (int c = FirstCell; c <= LastActiveCell(Pres.size()); ++c) Pres[c] = 0.0;
}

void AddToBmorphology(double sign) {
    for (int b = FirstBedCell; b <= LastBedCell; ++b) {
        Bmorphology[b] += sign * (BSedDistrib[0][0][b] + BSedDistrib[1][0][b]);
    }
}

void KeepSuspendedVolumesAndOldFields() {
    const int last = LastActiveCell(conc.extent2());
    for (int s = 1; s <= Sizes(); ++s) {
        double volume = 0.0;
        for (int c = FirstCell; c <= last; ++c) volume += conc[s][c] * Cvol[c];
        SuspendedMassTotal[s] = volume;
        SuspendedMassTotalSet[s] = 1;
    }
    CopyConcentrations();
    CopyActive(Cu_old, Cu);
    CopyActive(Cv_old, Cv);
    CopyActive(Cw_old, Cw);
    CopyActive(Pres_old, Pres);
    CopyActive(Ck_old, Ck);
    CopyActive(Cepsilon_old, Cepsilon);
    CopyActive(CinvAp_old, CinvAp);
}

void SumConcentrations() {
    const int last = LastActiveCell(conc.extent2());
    for (int c = FirstCell; c <= last; ++c) {
        double sum = 0.0;
        for (int s = 1; s <= Sizes(); ++s) sum += conc[s][c];
        conc[0][c] = sum;
    }
}

void WriteTimingReport() {
    TimingMarks[52] = omp_get_wtime();
    TimingMarks[33] = TimingMarks[25];
    for (int k = 34; k <= 52; ++k) {
        LogAppend("BCH: OpenMP %d = %.16g, %16lf\n", k, TimingMarks[k] - TimingMarks[0], TimingMarks[k] - TimingMarks[k - 1]);
    }
}

void AppendTimingRecord() {
    for (int s = 1; s <= Sizes(); ++s) {
        double volume = 0.0;
        const int last = std::min(NoCells, static_cast<int>(std::min(conc.extent2(), Cvol.size())) - 1);
        for (int c = 1; c <= last; ++c) volume += Cvol[c] * conc[s][c];
        if (6 + s < kEquationTableSize) MaxResidual[6 + s] = volume;
    }
    std::string line;
    AppendFormat(line, "%d ", Iter);
    AppendFormat(line, "%d %d %d %d ", LastInnerIter, NoCells, NoSurfaces, NoPoints);
    for (int k = 1; k <= NoSizes + 6 && k < kEquationTableSize; ++k) AppendFormat(line, "%22.16le ", MaxResidual[k]);
    line += '\n';
    FILE* fp = OpenPlainOutput("bootime", true);
    if (!fp) FailTimingFile();
    const bool written = std::fputs(line.c_str(), fp) >= 0;
    if (std::fclose(fp) != 0 || !written) FailTimingFile();
}

void EndMorphologyRun() {
    std::snprintf(MaxTimeText, sizeof MaxTimeText, "Max time %lf sec.", stime);
    SetStatusText("Sediment calculation finished");
    WriteSummary();
    const bool written = WriteCon2resFile() == 0;
    if (written) {
        LogAppend("Have written con2res file \n");
    } else {
        LogAppend("Could not write con2res file \n");
    }
    LogAppend("Total change in bed levels: %e qubic meters\n", TotalBedChange());
    std::snprintf(ResultTitle, sizeof ResultTitle, "Written from end of morphology");
    WriteResults();
    SedimentActiveFlag = 0;
    // The other results are written; the run still must not pass for one
    // whose restart file exists.
    if (!written) EndRun(kOutputUnwritableStatus);
}
