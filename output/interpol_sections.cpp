#include "output/interpol_sections.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "output/output_names.h"
#include "output/output_services.h"
#include "run/globals.h"
#include "run/guarded_read.h"
#include "run/output_file.h"

namespace {

constexpr double kLayerY[2] = {0.0, 0.01};

int Levels() { return NoGridLinesZ + 1; }

// The level of each point down the section: the water surface first, then
// the cell centres; a column that has passed its bottom cell gives the bed.
void WriteSectionPoints(FILE* fp, const std::vector<PointColumns>& points) {
    for (double y : kLayerY) {
        double s = 0.0;
        for (size_t p = 0; p < points.size(); ++p) {
            if (p > 0) s += std::hypot(InterpolX[p] - InterpolX[p - 1], InterpolY[p] - InterpolY[p - 1]);
            PointColumns pc = points[p];
            bool passed[4] = {false, false, false, false};
            for (int level = 0; level < Levels(); ++level) {
                double z = 0.0;
                for (int k = 0; k < 4; ++k) {
                    if (pc.weight[k] == 0.0) continue;
                    const int c = pc.cell[k];
                    const double half = ValueAt(Ckdist, c);
                    const double offset = level == 0 ? half : passed[k] ? -half : 0.0;
                    z += pc.weight[k] * (ValueAt(Czcenter, c) + offset);
                }
                const double w = pc.WeightSum();
                std::fprintf(fp, "%lf %lf %lf\n", s, y, w > 0.0 ? z / w : 0.0);
                for (int k = 0; k < 4; ++k) {
                    const int below = ValueAt(Ccellb, pc.cell[k]);
                    if (below > 0 && below <= NoCells) {
                        pc.cell[k] = below;
                    } else {
                        passed[k] = true;
                    }
                }
            }
        }
    }
}

// Values of f for each layer, point and level; `dropEnded` takes the weight
// from a column once it has ended.
template <class F>
void WriteSectionValues(FILE* fp, bool exponent, bool dropEnded, const std::vector<PointColumns>& points, F f) {
    for (int layer = 0; layer < 2; ++layer) {
        for (const PointColumns& start : points) {
            PointColumns pc = start;
            for (int level = 0; level < Levels(); ++level) {
                const double v = pc.Mean(f, 1e-20);
                if (exponent) {
                    std::fprintf(fp, "%le ", v);
                } else {
                    std::fprintf(fp, "%lf ", v);
                }
                pc.Down(dropEnded);
            }
            std::fprintf(fp, "\n");
        }
    }
}

void WriteSection(FILE* fp, SectionKind kind, const std::vector<PointColumns>& points) {
    const int count = static_cast<int>(points.size());
    std::fprintf(fp, "# vtk DataFile Version 2.0\n");
    std::fprintf(fp, "RIVAX 1 %s \n", Title + 1);
    std::fprintf(fp, "ASCII\n");
    std::fprintf(fp, "DATASET STRUCTURED_GRID\n");
    std::fprintf(fp, "DIMENSIONS %d %d %d\n", Levels(), count, 2);
    std::fprintf(fp, "POINTS %d float\n", Levels() * count * 2);
    WriteSectionPoints(fp, points);
    std::fprintf(fp, "\nPOINT_DATA %d\n", 2 * Levels() * count);
    if (kind == SectionKind::kVelocities) {
        std::fprintf(fp, "SCALARS Velocities float\n");
        std::fprintf(fp, "LOOKUP_TABLE default\n");
        WriteSectionValues(fp, false, true, points,
                           [](int c) { return std::hypot(ValueAt(Cu, c), ValueAt(Cv, c)); });
        return;
    }
    for (int s = 0; s <= NoSizes; ++s) {
        std::fprintf(fp, "SCALARS Concentrations_%d float\n", s);
        std::fprintf(fp, "LOOKUP_TABLE default\n");
        WriteSectionValues(fp, true, false, points, [s](int c) { return ValueAt(conc, s, c); });
    }
}

}  // namespace

void WriteSectionFile(SectionKind kind, const std::vector<PointColumns>& points) {
    const bool velocities = kind == SectionKind::kVelocities;
    const char* fixedName = velocities ? "ParaView2c.vtk" : "ParaView2cc.vtk";
    const std::string name =
        NumberedOutputOn() ? NextNumberedName(velocities ? "pav2c_" : "pav2cc_", 5, ".vtk") : std::string(fixedName);
    if (!WriteOutputFile(name, [&](FILE* fp) { WriteSection(fp, kind, points); })) FailOutputFile(name, name);
}
