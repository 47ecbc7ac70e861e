// Results at the user points of `interpol`: per point a level line, a
// profile of the flow, the components or the concentrations, or the surface
// speed (`interres`), and the discharge per unit width across the line of the
// points (`interres14`).
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "output/interpol_points.h"
#include "output/interpol_sections.h"
#include "output/output_names.h"
#include "output/output_services.h"
#include "run/globals.h"
#include "run/guarded_read.h"
#include "run/output_file.h"

namespace {

int Position11() { return OutputFlags[10]; }

bool ExtendedProfiles() { return InterresVariant == 101 || Position11() == 16; }

enum class PointMode { kNone, kLevels, kFlow, kComponents, kConcentrations, kSurfaceSpeed, kExtendedFlow };

PointMode ChooseMode() {
    const int f48 = OutputSelector, p11 = Position11();
    if (f48 == 4 || p11 == 4) return PointMode::kLevels;
    if (f48 <= 1 && InterresVariant <= 0 && p11 <= 1) return PointMode::kNone;
    if (f48 == 2 || p11 == 2) return PointMode::kFlow;
    if (f48 == 3 || p11 == 3) return PointMode::kComponents;
    if (f48 == 6 || p11 == 6) return PointMode::kConcentrations;
    if (f48 == 5 || p11 == 5) return PointMode::kSurfaceSpeed;
    if (ExtendedProfiles()) return PointMode::kExtendedFlow;
    return PointMode::kNone;
}

auto Field(const Array1<double>& a) {
    return [&a](int c) { return ValueAt(a, c); };
}

double Speed(int c) { return std::hypot(ValueAt(Cu, c), ValueAt(Cv, c)); }

// Bed and water level at the point from the four nodes of the structured grid
// cell whose centre lies nearest.
void WriteLevelLine(FILE* fp, double x, double y) {
    double nearest = 10000.0;
    int ni = 0, nj = 0;
    for (int i = 2; i <= NoGridLinesX; ++i) {
        for (int j = 2; j <= NoGridLinesY; ++j) {
            const double cx = 0.25 * (ValueAt(Gridx, i, j) + ValueAt(Gridx, i - 1, j) + ValueAt(Gridx, i - 1, j - 1) +
                                      ValueAt(Gridx, i, j - 1));
            const double cy = 0.25 * (ValueAt(Gridy, i, j) + ValueAt(Gridy, i - 1, j) + ValueAt(Gridy, i - 1, j - 1) +
                                      ValueAt(Gridy, i, j - 1));
            const double d = std::hypot(x - cx, y - cy);
            if (d < nearest) {
                nearest = d;
                ni = i;
                nj = j;
            }
        }
    }
    double sum = 0.0, bed = 0.0, water = 0.0;
    if (ni > 0) {
        const int nodes[4][2] = {{ni, nj}, {ni - 1, nj}, {ni - 1, nj - 1}, {ni, nj - 1}};
        for (const auto& n : nodes) {
            const double dx = x - ValueAt(Gridx, n[0], n[1]), dy = y - ValueAt(Gridy, n[0], n[1]);
            const double w = 1.0 / std::sqrt(dx * dx + dy * dy + 1e-20);
            sum += w;
            bed += w * ValueAt(Gridz, n[0], n[1], 1);
            water += w * ValueAt(Gridz, n[0], n[1], NoGridLinesZ);
        }
    }
    std::fprintf(fp, "Z %lf %lf %lf %lf\n", x, y, bed / (sum + 1e-20), water / (sum + 1e-20));
}

void WriteFlowHeader(FILE* fp, double x, double y, const PointColumns& pc) {
    std::fprintf(fp, "M %lf %lf %d %d %d %d %lf %lf %lf %lf\n", x, y, pc.cell[0], pc.cell[1], pc.cell[2], pc.cell[3],
                 pc.weight[0], pc.weight[1], pc.weight[2], pc.weight[3]);
}

// One line per level from the top cells down, until no column has a cell
// below; a column that has ended no longer counts.
template <class Line>
void WriteProfile(FILE* fp, PointColumns pc, Line line) {
    for (int level = 0; level <= NoGridLinesZ; ++level) {
        line(fp, pc);
        if (!pc.Down(true)) break;
    }
}

// The six flow values of a level; the line ends as `end` says.
void WriteFlowLevel(FILE* fp, const PointColumns& pc, const char* end) {
    std::fprintf(fp, "%lf %lf %lf %lf %lf %lf%s", pc.Mean(Field(Czcenter)), pc.Mean(Field(Cu)), pc.Mean(Field(Cv)),
                 pc.Mean(Field(Cw)), pc.Mean(Field(Ck)), pc.Mean(Field(Cepsilon)), end);
}

void WriteComponentLevel(FILE* fp, const PointColumns& pc) {
    std::fprintf(fp, "%lf", pc.Mean(Field(Czcenter)));
    for (int n = 0; n < NoComponents; ++n) {
        std::fprintf(fp, " %e", pc.Mean([n](int c) { return ValueAt(Components, n, c); }));
    }
    std::fprintf(fp, "\n");
}

void WriteConcentrationLevel(FILE* fp, const PointColumns& pc) {
    std::fprintf(fp, "%lf", pc.Mean(Field(Czcenter)));
    for (int s = 0; s <= NoSizes; ++s) std::fprintf(fp, " %e", pc.Mean([s](int c) { return ValueAt(conc, s, c); }));
    std::fprintf(fp, "\n");
}

void WriteExtendedLevel(FILE* fp, const PointColumns& pc) {
    WriteFlowLevel(fp, pc, " ");
    for (int s = 1; s <= NoSizes; ++s) std::fprintf(fp, " %e", pc.Mean([s](int c) { return ValueAt(conc, s, c); }));
    std::fprintf(fp, " %lf\n", 2.0 * pc.Mean(Field(Ckdist)));
}

// The speed at the surface, where all four cells lie near the point (within
// four cell lengths of the nearest); 0 elsewhere, as at the edge of the wet
// area.
void WriteSurfaceSpeedLine(FILE* fp, double x, double y, const PointColumns& pc) {
    const double limit = 4.0 * ValueAt(Cidist, pc.cell[0]);
    bool near = true;
    for (double w : pc.weight) near = near && 1.0 / (w + 1e-20) <= limit;
    std::fprintf(fp, "N %lf %lf %lf\n", x, y, near ? pc.Mean(Speed) : 0.0);
}

void WritePoint(FILE* fp, PointMode mode, int p, const PointColumns& pc) {
    const double x = InterpolX[p], y = InterpolY[p];
    switch (mode) {
        case PointMode::kLevels: WriteLevelLine(fp, x, y); break;
        case PointMode::kFlow:
            WriteFlowHeader(fp, x, y, pc);
            WriteProfile(fp, pc, [](FILE* f, const PointColumns& at) { WriteFlowLevel(f, at, "\n"); });
            break;
        case PointMode::kComponents:
            std::fprintf(fp, "Q %lf %lf\n", x, y);
            WriteProfile(fp, pc, WriteComponentLevel);
            break;
        case PointMode::kConcentrations:
            std::fprintf(fp, "C %lf %lf\n", x, y);
            WriteProfile(fp, pc, WriteConcentrationLevel);
            break;
        case PointMode::kSurfaceSpeed: WriteSurfaceSpeedLine(fp, x, y, pc); break;
        case PointMode::kExtendedFlow:
            WriteFlowHeader(fp, x, y, pc);
            WriteProfile(fp, pc, WriteExtendedLevel);
            break;
        case PointMode::kNone: break;
    }
}

void WritePointFile(int numbered, const std::vector<PointColumns>& points) {
    const bool fixed = !NumberedOutputOn() && numbered < 1;
    const std::string name = fixed ? std::string("interres") : NextNumberedName("interres.", 3);
    const PointMode mode = ChooseMode();
    const bool ok = WriteOutputFile(name, [&](FILE* fp) {
        if (ExtendedProfiles()) {
            std::fprintf(fp, "Variables: z-coordinate, velocity-x, velocity-y, velocity-z, k, epsilon, sediment sizes, "
                             "bed cell height\n");
        }
        for (int p = 0; p < InterpolPointCount(); ++p) WritePoint(fp, mode, p, points[p]);
    });
    if (!ok) FailOutputFile(name, name);
}

// The direction of the line through the points at point p, of unit length.
// A single point has no line: the line is taken across the local flow, so
// that the point reports the discharge per unit width through it.
void LineDirection(int p, const PointColumns& pc, double* dx, double* dy) {
    const int last = InterpolPointCount() - 1;
    if (last == 0) {
        const double u = pc.Mean(Field(Cu)), v = pc.Mean(Field(Cv));
        const double speed = std::hypot(u, v);
        *dx = speed > 0.0 ? -v / speed : 0.0;
        *dy = speed > 0.0 ? u / speed : 1.0;
        return;
    }
    const int from = p == 0 ? 0 : p - 1, to = p == last ? last : p + 1;
    const double scale = p == 0 || p == last ? 1.0 : 0.5;
    *dx = scale * (InterpolX[to] - InterpolX[from]);
    *dy = scale * (InterpolY[to] - InterpolY[from]);
    const double length = std::hypot(*dx, *dy) + 1e-20;
    *dx /= length;
    *dy /= length;
}

void WriteDischargeLineFile(const std::vector<PointColumns>& points) {
    const bool numbered = NumberedOutputOn();
    const std::string name = numbered ? NextNumberedName("interres14.", 3) : std::string("interres14");
    const bool ok = WriteOutputFile(name, [&](FILE* fp) {
        for (int p = 0; p < InterpolPointCount(); ++p) {
            PointColumns pc = points[p];
            std::fprintf(fp, "Q %lf %lf ", InterpolX[p], InterpolY[p]);
            double dx = 0.0, dy = 0.0;
            LineDirection(p, pc, &dx, &dy);
            double sum = 0.0;
            for (int level = 0; level <= NoGridLinesZ; ++level) {
                sum += pc.WeightedSum([&](int c) {
                           return (ValueAt(Cu, c) * dy - ValueAt(Cv, c) * dx) * ValueAt(Ckdist, c);
                       }) /
                       (pc.WeightSum() + 1e-20);
                pc.Down(true);
            }
            std::fprintf(fp, "%lf\n", 2.0 * std::fabs(sum));
        }
    });
    if (!ok) FailOutputFile(name, name);
}

}  // namespace

void WriteInterpolatedResults(int numbered) {
    if (!InterpolPointsKnown()) return;
    const std::vector<PointColumns> points = ColumnsAtAllPoints();
    WritePointFile(numbered, points);
    if (OutputSelector == 14) WriteDischargeLineFile(points);
    if (OutputSelector == 12) WriteSectionFile(SectionKind::kVelocities, points);
    if (OutputSelector == 16) WriteSectionFile(SectionKind::kConcentrations, points);
}
