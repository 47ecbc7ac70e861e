// The Z data sets of `control`: each re-spaces the levels of a range of node
// columns by percentages of the depth from bed to top.
#include <cmath>
#include <cstdio>
#include <vector>

#include "grid/grid_data.h"
#include "grid/grid_editing.h"
#include "run/control_reader.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/status.h"

namespace {

constexpr double kLastPercentTolerance = 1e-5;

[[noreturn]] void RefuseZ() { FailWithLog(kControlRefusedStatus, "Input error for Z in control"); }

void SkipLine(FILE* fp) {
    int ch;
    do {
        ch = std::fgetc(fp);
    } while (ch != EOF && ch != '\n');
}

bool NodesHeld(int i2, int j2) {
    return Gridz.exists() && static_cast<size_t>(i2) < Gridz.extent1() && static_cast<size_t>(j2) < Gridz.extent2() &&
           static_cast<size_t>(NoGridLinesZ) < Gridz.extent3();
}

// Reads one Z data set after its letter and applies it.
void ApplyZ(FILE* fp, std::vector<double>& p) {
    int i1 = 0, i2 = 0, j1 = 0, j2 = 0;
    if (std::fscanf(fp, "%d%d%d%d", &i1, &i2, &j1, &j2) != 4) RefuseZ();
    if (i1 < 2 || i1 > i2 || i2 > NoGridLinesX || j1 < 2 || j1 > j2 || j2 > NoGridLinesY || !NodesHeld(i2, j2)) {
        RefuseZ();
    }
    const int nz = NoGridLinesZ;
    for (int k = 1; k <= nz; ++k) {
        if (std::fscanf(fp, "%lf", &p[k]) != 1 || !(p[k] >= 0.0 && p[k] <= 100.0)) RefuseZ();
        if (k >= 2 && p[k] < p[k - 1]) RefuseZ();
    }
    if (!(std::fabs(p[nz] - 100.0) <= kLastPercentTolerance)) RefuseZ();
    for (int i = i1; i <= i2; ++i) {
        for (int j = j1; j <= j2; ++j) {
            const double bed = Gridz[i][j][1], top = Gridz[i][j][nz];
            for (int k = 1; k <= nz; ++k) Gridz[i][j][k] = bed + p[k] * 0.01 * (top - bed);
        }
    }
}

}  // namespace

void gridchange() {
    FILE* fp = std::fopen("control", "r");
    if (fp == nullptr) {
        SetStatusText(" cannot open file 'control'");
        EndRun(-3);
    }
    struct Closer {
        FILE* f;
        ~Closer() { std::fclose(f); }
    } closer{fp};
    SetModuleName(" Gridchange  ");
    LogAppend(" In gridchange \n\n");
    std::vector<double> p(static_cast<size_t>(NoGridLinesZ > 0 ? NoGridLinesZ : 0) + 1, 0.0);
    // Data sets start at the start of a line; a Z or a P inside a title or
    // after the values of another data set is text.
    for (int ch = std::fgetc(fp); ch != EOF; ch = std::fgetc(fp)) {
        if (ch == '\n') continue;
        if (ch == 'Z') {
            ApplyZ(fp, p);
        } else if (ch == 'P') {
            int n = 0;
            if (std::fscanf(fp, " %d", &n) == 1 && n == 3) {
                CurrentDataSet = DataSetId{'P', 3};
                ReadDataSetP(3, fp);
                RefuseWithoutValues();
            }
        }
        SkipLine(fp);
    }
    LogAppend(" End of gridchange \n\n");
    SetStatusText(" After gridchange  ");
}
