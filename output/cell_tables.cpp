// The dispatcher's plain-text tables for other programs: every cell's values,
// the bed points, the outline of the wet area and the habitat classes.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "output/output_names.h"
#include "output/output_services.h"
#include "run/globals.h"
#include "run/guarded_read.h"
#include "run/log.h"
#include "run/output_file.h"

namespace {

constexpr int kHabitatClasses = 20;

bool IsBedCell(int c) { return ValueAt(Ccellb, c) == 0; }

double CornerX(const Array1<int>& corner, int c) { return ValueAt(Px1, ValueAt(corner, c)); }
double CornerY(const Array1<int>& corner, int c) { return ValueAt(Py1, ValueAt(corner, c)); }

void WriteEdgeMidpoint(FILE* fp, const Array1<int>& a, const Array1<int>& b, int c) {
    std::fprintf(fp, "%lf %lf\n", 0.5 * (CornerX(a, c) + CornerX(b, c)), 0.5 * (CornerY(a, c) + CornerY(b, c)));
}

// A table that other programs read: when it cannot be written the run goes on
// without it.
void WriteOptionalTable(const char* name, const std::function<void(FILE*)>& body) {
    if (!WriteOutputFile(name, body)) LogAppend("Warning: can not write the file '%s'; it is skipped\n", name);
}

// The class of value v on a scale up to max: 20 equal classes, a value at the
// top in the last one. With no spread at all (every column dry or still) the
// classes have no width and every column goes to the first.
int HabitatClass(double v, double max) {
    if (!(max > 0.0)) return 0;
    const double k = kHabitatClasses * v / max - 0.01;
    if (!(k >= 0.0)) return 0;
    return k >= kHabitatClasses - 1 ? kHabitatClasses - 1 : static_cast<int>(k);
}

struct ColumnFlow {
    int bed;
    double depth, speed;
};

}  // namespace

void WriteProbeFile() {
    const bool numbered = NumberedOutputOn();
    const std::string name = numbered ? NextNumberedName("pirak_", 5, ".dat") : "PirakPkt.dat";
    const bool ok = WriteOutputFile(name, [](FILE* fp) {
        for (int c = 1; c <= NoCells; ++c) {
            std::fprintf(fp, "%lf %lf %lf %lf %lf %lf %lf %lf %lf %lf %le\n", ValueAt(Cxcenter, c),
                         ValueAt(Cycenter, c), ValueAt(Czcenter, c), ValueAt(Cu, c), ValueAt(Cv, c), ValueAt(Cw, c),
                         ValueAt(Pres, c), ValueAt(Ck, c), ValueAt(Cepsilon, c), ValueAt(Ceddyvisc, c),
                         ValueAt(conc, 0, c));
        }
    });
    if (!ok) FailOutputFile(name, numbered ? name : "PirakPtk.dat");
}

void WriteBedPointFile() {
    WriteOptionalTable("beddata.sim", [](FILE* fp) {
        for (int c = 1; c <= NoCells; ++c) {
            if (!IsBedCell(c)) continue;
            std::fprintf(fp, "%lf %lf %lf\n", ValueAt(Cxcenter, c), ValueAt(Cycenter, c),
                         ValueAt(Czcenter, c) - ValueAt(Ckdist, c));
        }
    });
}

void WriteBoundaryEdgeFile() {
    WriteOptionalTable("melvok", [](FILE* fp) {
        for (int c = 1; c <= NoCells; ++c) {
            if (!IsBedCell(c)) continue;
            if (ValueAt(Ccells, c) == 0) WriteEdgeMidpoint(fp, Cpoint1, Cpoint2, c);
            if (ValueAt(Ccelle, c) == 0) WriteEdgeMidpoint(fp, Cpoint2, Cpoint3, c);
            if (ValueAt(Ccelln, c) == 0) WriteEdgeMidpoint(fp, Cpoint4, Cpoint3, c);
            if (ValueAt(Ccellw, c) == 0) WriteEdgeMidpoint(fp, Cpoint1, Cpoint4, c);
        }
    });
}

bool WriteHabitatTable() {
    std::vector<ColumnFlow> columns;
    double maxDepth = 0.0, maxSpeed = 0.0;
    for (int c = std::max(FirstCell, 1); c <= LastCell && c <= NoCells; ++c) {
        if (!IsBedCell(c)) continue;
        double h = 0.0, s = 0.0;
        for (int t = c, steps = 0; t > 0 && t <= NoCells && steps < NoCells; t = ValueAt(Ccellt, t), ++steps) {
            const double half = ValueAt(Ckdist, t);
            h += half;
            s += half * std::hypot(ValueAt(Cu, t), ValueAt(Cv, t));
        }
        const ColumnFlow column{c, 2.0 * h, h > 0.0 ? s / h : 0.0};
        maxDepth = std::max(maxDepth, column.depth);
        maxSpeed = std::max(maxSpeed, column.speed);
        columns.push_back(column);
    }
    std::array<double, kHabitatClasses> depthArea{}, speedArea{};
    for (const ColumnFlow& column : columns) {
        const double area = ValueAt(Farea, ValueAt(Csurfb, column.bed));
        depthArea[HabitatClass(column.depth, maxDepth)] += area;
        speedArea[HabitatClass(column.speed, maxSpeed)] += area;
    }
    const bool ok = WriteOutputFile("habitat", [&](FILE* fp) {
        std::fprintf(fp, "Depth (m), area (m2), velocity (m/s), area(m2)\n");
        for (int n = 1; n <= kHabitatClasses; ++n) {
            std::fprintf(fp, "%lf %lf %lf %lf\n", n * maxDepth / kHabitatClasses, depthArea[n - 1],
                         n * maxSpeed / kHabitatClasses, speedArea[n - 1]);
        }
    });
    if (!ok) LogAppend("Error: can not write the file 'habitat'\n");
    return ok;
}
