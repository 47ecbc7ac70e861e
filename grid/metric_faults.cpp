// What the metric says about a cell it cannot work with: enough of the cell
// (corners, neighbours, column) to find it in the input files.
#include "grid/metric_steps.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/status.h"

namespace {

constexpr int kPauseOnUpsideDownCell = 10073;

// The structured indexes of the column of `cell`, from the bed cell below
// it; false before the columns are numbered.
bool ColumnIndexes(int cell, int* i, int* j) {
    int bed = cell;
    for (int steps = 0; bed > 0 && bed <= NoCells && Ccellb[bed] != 0 && steps < NoCells; ++steps) bed = Ccellb[bed];
    if (bed <= 0 || bed > NoCells || !Cbedcell.exists() || !Bkooi.exists() || !Bkooj.exists()) return false;
    const int column = Cbedcell[bed];
    if (column <= 0 || static_cast<size_t>(column) >= Bkooi.size()) return false;
    *i = Bkooi[column];
    *j = Bkooj[column];
    return true;
}

struct Corners {
    int p[9];
    explicit Corners(int c)
        : p{0, Cpoint1[c], Cpoint2[c], Cpoint3[c], Cpoint4[c], Cpoint5[c], Cpoint6[c], Cpoint7[c], Cpoint8[c]} {}
};

// Each bottom corner beside the corner above it.
constexpr int kPairedCorners[8] = {1, 5, 2, 6, 3, 7, 4, 8};

}  // namespace

void ReportZeroVolumeCell(int c) {
    LogAppend("In metric, Error for cell %d, zero volume: %lf\n ", c, Cvol[c]);
    LogAppend("Bed cell %d\n", Cbedcell[c]);
    int i = 0, j = 0;
    if (ColumnIndexes(c, &i, &j)) LogAppend("Cell indexes: i=%d, j=%d\n", i, j);
    LogAppend("Iter = %d\n", Iter);
    LogAppend("idist,jdist,kdist = %lf %lf %lf\n", Cidist[c], Cjdist[c], Ckdist[c]);
    LogAppend("Careax = %lf, Careay = %lf, Careaz = %lf\n", Careax[c], Careay[c], Careaz[c]);
    const Corners k(c);
    const struct {
        const char* name;
        const Array1<double>* coordinate;
    } axes[] = {{"x", &Px1}, {"y", &Py1}, {"z", &Pz1}};
    for (const auto& axis : axes) {
        const Array1<double>& v = *axis.coordinate;
        LogAppend("Coordinates: %s: %lf %lf %lf %lf\n", axis.name, v[k.p[1]], v[k.p[2]], v[k.p[3]], v[k.p[4]]);
        LogAppend("Coordinates: %s: %lf %lf %lf %lf\n", axis.name, v[k.p[5]], v[k.p[6]], v[k.p[7]], v[k.p[8]]);
    }
    EndRun(-1);
}

void ReportSkewedCell(int c) {
    LogAppend("In metric, Error for cell %d, skewed in horizontal direction\n", c);
    LogAppend("Iter = %d\n", Iter);
    LogAppend("Cdxdk,Cdydk = %lf %lf\n", Cdxdk[c], Cdydk[c]);
    LogAppend("Both these numbers should have very small values\n");
    LogAppend("This error may be due to too large numbers in the geometry data\n");
    LogAppend("A correction is to use a local coordinate system,\n");
    LogAppend("with origo close to the work area\n");
    LogAppend("Another cause of the error may be incorrect data in the input files\n");
    LogAppend("Then check that pairs of coordinates below are identical:\n");
    LogAppend("Coordinates: x and y values for the eight corners of the cell: \n");
    const Corners k(c);
    for (int n : kPairedCorners) LogAppend("Point %d: %lf %lf\n", n, Px1[k.p[n]], Py1[k.p[n]]);
    LogAppend("Indexes for pointers to cells: \n");
    for (int n = 1; n <= 8; ++n) LogAppend("Point %d: %d\n", n, k.p[n]);
    int i = 0, j = 0;
    if (ColumnIndexes(c, &i, &j)) LogAppend("Grid indexes: (%d,%d)\n", i, j);
    LogAppend("Neighbour cells: \n");
    LogAppend("North: %d, South: %d, East: %d, West: %d, Top: %d, Bottom: %d\n", Ccelln[c], Ccells[c], Ccelle[c],
              Ccellw[c], Ccellt[c], Ccellb[c]);
    EndRun(-1);
}

void ReportUpsideDownCell(int c) {
    LogAppend("In metric, Error for cell %d, negative vertical direction\n", c);
    LogAppend("Iter = %d\n", Iter);
    LogAppend("Cdzdk = %le\n", Cdzdk[c]);
    LogAppend("Ccellb = %d\n", Ccellb[c]);
    LogAppend("Ckdist[Ccellt[ll]] = %le\n", Ckdist[Ccellt[c]]);
    const Corners k(c);
    for (int n : kPairedCorners) LogAppend("Point %d: %lf %lf %le\n", n, Px1[k.p[n]], Py1[k.p[n]], Pz1[k.p[n]]);
    int i = 0, j = 0;
    if (ColumnIndexes(c, &i, &j)) LogAppend("2D cell indexes: %d %d\n", i, j);
    // Asked to stop here rather than compute on a grid turned over; a batch
    // run has no one to resume it, so the run ends.
    if (PauseFlag == kPauseOnUpsideDownCell) {
        SetStatusText("Error, negative depth");
        EndRun(-1);
    }
}
