#include "output/interpol_points.h"

#include <cmath>
#include <cstdio>

#include "grid/grid_services.h"
#include "run/globals.h"
#include "run/guarded_read.h"
#include "run/log.h"
#include "run/text_input.h"

namespace {

constexpr long kMaxInterpolCharacters = 300000;
constexpr double kSearchRadius = 10000.0;

// No file, or a file without points: nothing to write from now on.
constexpr int kNoPoints = -2;

void ReadInterpolFile() {
    FILE* fp = OpenInputFile("interpol");
    if (!fp) {
        LogAppend("Warning: Have not been able to open interpol file\n\n");
        NoInterpolPoints = kNoPoints;
        return;
    }
    InterpolX.allocate(kInterpolPointCapacity);
    InterpolY.allocate(kInterpolPointCapacity);
    InterpolCell.allocate(kInterpolPointCapacity);
    int count = 0;
    for (long n = 0; n < kMaxInterpolCharacters && count < kInterpolPointCapacity; ++n) {
        const int ch = std::getc(fp);
        if (ch == EOF) break;
        if (ch != 'M') continue;
        // A point without two numbers keeps what could be read, 0 otherwise.
        double xy[2] = {0.0, 0.0};
        (void)std::fscanf(fp, "%lf %lf", &xy[0], &xy[1]);
        // A point that is not a number would search the whole grid and
        // report no cell, or a wrong one, at every result.
        if (!std::isfinite(xy[0]) || !std::isfinite(xy[1])) RefuseNotFiniteValue(fp, "interpol", kUnstrucBadFile);
        InterpolX[count] = xy[0];
        InterpolY[count] = xy[1];
        ++count;
    }
    std::fclose(fp);
    LogAppend("Have read %d M data sets from the interpol file\n", count);
    // A file without points is read once like a missing one, rather than at
    // every call with an empty file each time.
    NoInterpolPoints = count > 0 ? count - 1 : kNoPoints;
}

double Distance(double x, double y, double px, double py) { return std::hypot(x - px, y - py); }

}  // namespace

bool InterpolPointsKnown() {
    if (NoInterpolPoints == -1) ReadInterpolFile();
    return NoInterpolPoints >= 0;
}

int InterpolPointCount() { return NoInterpolPoints >= 0 ? NoInterpolPoints + 1 : 0; }

bool PointColumns::Down(bool dropEnded) {
    bool moved = false;
    for (int k = 0; k < 4; ++k) {
        const int below = ValueAt(Ccellb, cell[k]);
        if (cell[k] > 0 && below > 0 && below <= NoCells) {
            cell[k] = below;
            moved = true;
        } else if (dropEnded) {
            weight[k] = 0.0;
        }
    }
    return moved;
}

PointColumns ColumnsAtPoint(int p) {
    const double x = InterpolX[p], y = InterpolY[p];
    PointColumns pc;
    double nearest = kSearchRadius;
    for (int c = 1; c <= NoCells; ++c) {
        if (ValueAt(Ccellt, c) != 0) continue;
        const int corner = ValueAt(Cpoint1, c);
        const double d = Distance(x, y, ValueAt(Px1, corner), ValueAt(Py1, corner));
        if (d < nearest) {
            nearest = d;
            pc.cell[0] = c;
        }
    }
    const int c0 = pc.cell[0];
    InterpolCell[p] = c0;
    if (c0 == 0) return pc;
    const int cs = ValueAt(Ccells, c0), cw = ValueAt(Ccellw, c0);
    int cd = ValueAt(Ccells, cw);
    if (cd == 0) cd = ValueAt(Ccellw, cs);
    pc.cell[1] = cs;
    pc.cell[2] = cw;
    pc.cell[3] = cd;
    for (int k = 0; k < 4; ++k) {
        const int c = pc.cell[k];
        if (c < 1 || c > NoCells) {
            pc.cell[k] = 0;
            continue;
        }
        pc.weight[k] = 1.0 / (Distance(x, y, ValueAt(Cxcenter, c), ValueAt(Cycenter, c)) + 1e-6);
    }
    return pc;
}

std::vector<PointColumns> ColumnsAtAllPoints() {
    std::vector<PointColumns> points;
    points.reserve(InterpolPointCount());
    for (int p = 0; p < InterpolPointCount(); ++p) points.push_back(ColumnsAtPoint(p));
    return points;
}
