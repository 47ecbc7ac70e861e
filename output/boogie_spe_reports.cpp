// The short reports of the results dispatcher in `boogie.spe`: the share of
// steeply sloping bed, the discharge through a cross-section and the
// longitudinal profile of the layer blocks.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>

#include "output/output_names.h"
#include "output/results_writers.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/output_file.h"

namespace {

constexpr char kReportFile[] = "boogie.spe";
constexpr double kSlopingLimit = 0.2967;

bool Written(const std::string& name, bool ok) {
    if (!ok) LogAppend("Error: can not write the file '%s'\n", name.c_str());
    return ok;
}

bool WriteReport(const std::string& name, const std::function<void(FILE*)>& body) {
    return Written(name, WriteOutputFile(name, body));
}

// A walk along cell links stops after as many steps as there are cells, so
// that a link cycle in a damaged grid cannot hang the run.
template <class Step>
int Walk(int c, Step next) {
    for (int steps = 0; steps < NoCells && next(c) > 0; ++steps) c = next(c);
    return c;
}

double ValueOr0(const Array1<double>& a, int n) {
    return a.exists() && n >= 0 && static_cast<size_t>(n) < a.size() ? a[n] : 0.0;
}

// Per profile column of each layer block: x, water level, layer slope and
// groundwater level. The last two exist only with the options that use them.
void WriteProfileLines(FILE* fp) {
    for (int b = 1; b <= NoBlocks && b <= kMaxBlocks; ++b) {
        const BlockRecord& r = BlockTable[b];
        if (r.layerBlock != 1) continue;
        const int j = (r.jFirst + r.jLast) / 2;
        for (int i = r.iFirst; i <= r.iLast; ++i) {
            const int bottom = NodeColumnBottomCell(i, j);
            const int column = Cbedcell[bottom];
            const int t = ColumnTopCell(bottom);
            std::fprintf(fp, "%lf %lf %lf %lf\n", Cxcenter[t], Czcenter[t] + Ckdist[t], ValueOr0(BlayerSlope, column),
                         ValueOr0(Bgroundwater, column));
        }
    }
}

}  // namespace

int NodeColumnBottomCell(int i, int j) {
    if (i < 0 || j < 0 || static_cast<size_t>(i) >= Gridz.extent1() || static_cast<size_t>(j) >= Gridz.extent2()) {
        return 0;
    }
    const double cell = Gridz[i][j][0];
    return cell >= 1.0 && cell <= NoCells ? static_cast<int>(cell) : 0;
}

int ColumnTopCell(int c) {
    return Walk(c, [](int n) { return Ccellt[n]; });
}

bool WriteSlopingAreaReport() {
    double sloping = 0.0, flat = 0.0;
    for (int c = std::max(FirstCell, 1); c <= LastCell && c <= NoCells; ++c) {
        if (Ccellb[c] != 0) continue;
        const int t = ColumnTopCell(c);
        const int s = Csurfb[c];
        const double u = Cu[t], v = Cv[t];
        const double r = (Fvecx[s] * u + Fvecy[s] * v) /
                         std::sqrt((u * u + v * v) * (Fvecx[s] * Fvecx[s] + Fvecy[s] * Fvecy[s]) + 1e-20);
        const double angle = std::acos(std::clamp(Fvecz[s], -1.0, 1.0));
        if (angle * r > kSlopingLimit) {
            sloping += Farea[s];
        } else {
            flat += Farea[s];
        }
        c = std::max(c, t);
    }
    return WriteReport(kReportFile, [&](FILE* fp) {
        std::fprintf(fp, "Fraction of sloping area: %lf\n", sloping / (flat + sloping + 1e-20));
    });
}

// Through the cross-section of the east faces at the middle of block 1. The
// halves of a narrow block (one or two columns) would fall outside it, where
// no cell is and the report would show nothing: they are held to the block.
bool WriteDischargeReport() {
    const BlockRecord& r = BlockTable[1];
    const int i = std::clamp(r.iLast / 2 - 1, std::min(r.iFirst, r.iLast), r.iLast);
    const int j = std::clamp(r.jLast / 2 - 1, std::min(r.jFirst, r.jLast), r.jLast);
    int top = ColumnTopCell(NodeColumnBottomCell(i, j));
    top = Walk(top, [](int n) { return Ccells[n]; });
    double flux = 0.0, area = 0.0;
    int columns = 0;
    for (int t = top; t > 0 && columns < NoCells; t = Ccelln[t], ++columns) {
        int cells = 0;
        for (int c = t; c > 0 && cells < NoCells; c = Ccellb[c], ++cells) {
            const int s = Csurfe[c];
            flux += Fflux[s];
            area += Cu[c] * Farea[s];
        }
    }
    return WriteReport(kReportFile, [&](FILE* fp) {
        std::fprintf(fp, "Discharge (l/s): flux: %lf, velocity*area: %lf\n", flux, 1000.0 * area);
    });
}

bool WriteProfileReport() {
    const std::string name = NumberedOutputOn() ? NextNumberedName(kReportFile, 4) : kReportFile;
    return WriteReport(name, [](FILE* fp) {
        std::fprintf(fp, "%s time: %lf seconds\n", Title + 1, stime);
        std::fprintf(fp, "X, Zsurf, Zthixo, Zgroundwater\n\n");
        WriteProfileLines(fp);
    });
}

// The first call of a process starts the file afresh; every call adds its
// time and lines.
bool AppendProfileReport() {
    if (!ProfileAppendStartedFlag) {
        const bool ok = WriteReport(kReportFile, [](FILE* fp) {
            std::fprintf(fp, "%s\n", Title + 1);
            std::fprintf(fp, "X, Zsurf, Zthixo, Zgroundwater\n\n");
        });
        if (!ok) return false;
        ProfileAppendStartedFlag = 1;
    }
    FILE* fp = OpenPlainOutput(kReportFile, true);
    if (!fp) return Written(kReportFile, false);
    std::fprintf(fp, "\nTime: %lf seconds\n", stime);
    WriteProfileLines(fp);
    return Written(kReportFile, std::fclose(fp) == 0);
}
