// The VTK plan file: a one-layer structured grid of the columns of one block
// on the bed, with the G 24 variables and the velocity of a chosen cell level.
#include <cmath>
#include <cstdio>
#include <string>
#include <string_view>

#include "output/output_names.h"
#include "output/output_services.h"
#include "output/plan_points.h"
#include "output/plot_variables.h"
#include "output/results_writers.h"
#include "run/globals.h"
#include "run/output_file.h"

namespace {

std::string VtkPlanName(int numbered, int block) {
    if (block > 0) {
        const std::string base = "ParaView2_n" + std::to_string(block);
        if (ResultInterval != 0) return NextNumberedName("pav2_n" + std::to_string(block) + "_", 5, ".vtk");
        return PartitionName(base) + ".vtk";
    }
    if (numbered == 0 && ResultInterval == 0) return PartitionName("ParaView2") + ".vtk";
    return NextNumberedName(MpiPart != 0 ? PartitionName("pav2") + "." : "pav2_", 5, ".vtk");
}

// With F 268 = 1 the last coupled block, else block 1.
int VtkPlanBlock() {
    if (PlotZoneBlock != 1) return 1;
    int block = 1;
    for (int b = 1; b <= NoBlocks && b <= kMaxBlocks; ++b) {
        if (BlockTable[b].overlapLevel > 0) block = b;
    }
    return block;
}

// The bed mode shows the water column under each point; P 4 chooses it for
// every entry of the file, once the columns are counted.
bool BedMode(int block) {
    const BlockRecord& r = BlockTable[block];
    return std::string_view("rbflLNaOSGUm").find(PlotModeLetter) != std::string_view::npos && NoBedCells != 0 &&
           ValueAt(pointbed, r.iFirst, r.jFirst) != 0;
}

double EntryValue(const PlotVariableRecord& r, const PlanPoint& p, bool bedMode) {
    if (bedMode) return PlotBedValue(r.letter, ValueAt(pointbed, p.ci, p.cj), EntryLayer(r), r.size);
    if (IsNodeLetter(r.letter)) return PlanNodeLetterValue(r.letter, p);
    if (r.letter == 'M') return PlanNodeMean(p, [](int i, int j) { return ValueAt(GridLevels, 6, i, j); });
    return PlotCellValue(r.letter, PlanCell(p.ci, p.cj), EntryLayer(r), r.size, r.size);
}

void WriteScalars(FILE* fp, const PlotVariableRecord& r, const PlanLayout& layout, bool bedMode) {
    MarkPlotEntry(r);
    const std::string name = PlotVariableName(r, PlotWriter::kVtkPlan);
    std::fprintf(fp, "\nSCALARS %s float\n", name.c_str());
    std::fprintf(fp, "LOOKUP_TABLE default\n");
    int inRow = 0;
    for (const PlanPoint& p : layout.points) {
        const double v = EntryValue(r, p, bedMode);
        if (std::fabs(v) < 1e-14) {
            std::fprintf(fp, " 0.0");
        } else {
            std::fprintf(fp, " %lg", v);
        }
        if (++inRow == layout.pointsPerRow) {
            std::fprintf(fp, "\n");
            inRow = 0;
        }
    }
}

void WriteVtkPlan(FILE* fp, const PlanLayout& layout, int block) {
    std::fprintf(fp, "# vtk DataFile Version 2.0\n");
    std::fprintf(fp, "RIVAX 2 %s %lf seconds.\n", Title + 1, stime);
    std::fprintf(fp, "ASCII\n");
    std::fprintf(fp, "DATASET STRUCTURED_GRID\n");
    std::fprintf(fp, "DIMENSIONS %d %d %d\n", layout.pointsPerRow, layout.rows, 1);
    const int n = layout.pointsPerRow * layout.rows;
    std::fprintf(fp, "POINTS %d float\n", n);
    for (const PlanPoint& p : layout.points) {
        std::fprintf(fp, "%lf %lf %lf\n", PlanNodeMean(p, [](int i, int j) { return ValueAt(Gridx, i, j); }),
                     PlanNodeMean(p, [](int i, int j) { return ValueAt(Gridy, i, j); }),
                     PlanNodeMean(p, [](int i, int j) { return ValueAt(Gridz, i, j, 1); }));
    }
    std::fprintf(fp, "\n");
    std::fprintf(fp, "POINT_DATA %d\n", n);
    const bool bedMode = BedMode(block);
    for (int v = 0; v < NoPlotVariables; ++v) WriteScalars(fp, PlotVariables[v], layout, bedMode);
    // The velocity of each point's own column: a ring point shows the column
    // beyond the ring, or rest where there is none.
    std::fprintf(fp, "\nVECTORS Velocities float\n");
    for (const PlanPoint& p : layout.points) {
        const int c = PlanCell(p.i, p.j);
        std::fprintf(fp, "%lf %lf %lf\n", AtCell(Cu, c), AtCell(Cv, c), AtCell(Cw, c));
    }
}

}  // namespace

void WriteParaView2D(int numbered, int block) {
    const std::string name = VtkPlanName(numbered, block);
    const int b = VtkPlanBlock();
    PlanLayout layout;
    if (!LayoutPlanBlock(b, name.c_str(), &layout)) return;
    if (!WriteOutputFile(name, [&](FILE* fp) { WriteVtkPlan(fp, layout, b); })) FailOutputFile(name, name);
    SetStatusText("have written ParaView 2D file  ");
}
