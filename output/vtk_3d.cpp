// The VTK 3D file: the whole grid as an unstructured grid of hexahedra, with
// the velocity and the G 24 variables averaged onto the points.
#include <cstdio>
#include <string>
#include <vector>

#include "output/output_names.h"
#include "output/output_services.h"
#include "output/plot_variables.h"
#include "output/point_cells.h"
#include "run/globals.h"
#include "run/output_file.h"

namespace {

constexpr int kHexahedron = 12;

// Without numbering a partition's file is named ".dat", as it always was.
std::string Vtk3DName() {
    if (NumberedOutputOn()) return NextNumberedName(MpiPart != 0 ? PartitionName("paru") + "." : "paru3_", 5, ".vtk");
    return MpiPart != 0 ? PartitionName("ParaView3U") + ".dat" : "ParaView3U.vtk";
}

void WriteGrid(FILE* fp) {
    std::fprintf(fp, "# vtk DataFile Version 2.0\n");
    std::fprintf(fp, "RIVAX 2 %s %lf seconds\n", Title + 1, stime);
    std::fprintf(fp, "ASCII\n");
    std::fprintf(fp, "DATASET UNSTRUCTURED_GRID\n");
    std::fprintf(fp, "POINTS %d float\n", NoPoints);
    for (int p = 1; p <= NoPoints; ++p) std::fprintf(fp, "%lf %lf %lf\n", Px1[p], Py1[p], Pz1[p]);
    std::fprintf(fp, "\n");
    std::fprintf(fp, "CELLS %d %d\n", NoCells, 9 * NoCells);
    for (int c = 1; c <= NoCells; ++c) {
        std::fprintf(fp, "8 %d %d %d %d %d %d %d %d\n", Cpoint1[c] - 1, Cpoint2[c] - 1, Cpoint3[c] - 1,
                     Cpoint4[c] - 1, Cpoint5[c] - 1, Cpoint6[c] - 1, Cpoint7[c] - 1, Cpoint8[c] - 1);
    }
    std::fprintf(fp, "CELL_TYPES %d\n", NoCells);
    for (int c = 1; c <= NoCells; ++c) std::fprintf(fp, "%d\n", kHexahedron);
}

// The cells around every point, gathered once for all the point fields.
std::vector<std::vector<int>> CellsAtPoints() {
    std::vector<std::vector<int>> cells(static_cast<size_t>(NoPoints) + 1);
    for (int p = 1; p <= NoPoints; ++p) CellsAtPoint(p, false, &cells[static_cast<size_t>(p)]);
    return cells;
}

template <class CellValue>
double PointMean(const std::vector<int>& cells, CellValue value) {
    double sum = 0.0;
    for (int c : cells) sum += value(c);
    return sum / (static_cast<double>(cells.size()) + 1e-20);
}

void WriteFields(FILE* fp) {
    const std::vector<std::vector<int>> cells = CellsAtPoints();
    std::fprintf(fp, "POINT_DATA %d\n", NoPoints);
    std::fprintf(fp, "VECTORS Velocity float\n");
    for (int p = 1; p <= NoPoints; ++p) {
        const std::vector<int>& at = cells[static_cast<size_t>(p)];
        std::fprintf(fp, "%lf %lf %lf\n", PointMean(at, [](int c) { return Cu[c]; }),
                     PointMean(at, [](int c) { return Cv[c]; }), PointMean(at, [](int c) { return Cw[c]; }));
    }
    for (int v = 0; v < NoPlotVariables; ++v) {
        const PlotVariableRecord& r = PlotVariables[v];
        MarkPlotEntry(r);
        const std::string name = PlotVariableName(r, PlotWriter::kVtk3D);
        std::fprintf(fp, "\nSCALARS %s float\n", name.c_str());
        std::fprintf(fp, "LOOKUP_TABLE default\n");
        for (int p = 1; p <= NoPoints; ++p) {
            if (IsNodeLetter(r.letter)) {
                std::fprintf(fp, "%lf\n", PlotNodeValue(r.letter, Pkooi[p], Pkooj[p]));
                continue;
            }
            std::fprintf(fp, "%lg\n", PointMean(cells[static_cast<size_t>(p)], [&r](int c) {
                             return PlotCellValue(r.letter, c, EntryLayer(r), r.size, r.size);
                         }));
        }
    }
}

}  // namespace

void WriteParaView3U(int) {
    const std::string name = Vtk3DName();
    RequirePointCellCounts(name);
    SetPointGridNodes();
    SetPointMerges(1, NoPoints);
    const bool written = WriteOutputFile(name, [](FILE* fp) {
        WriteGrid(fp);
        WriteFields(fp);
    });
    if (!written) FailOutputFile(name, name);
}
