// The Tecplot plan file: one structured zone of the columns of one block,
// with the horizontal velocity of a chosen cell level and the G 24 variables.
#include <cstdio>
#include <string>

#include "output/output_names.h"
#include "output/output_services.h"
#include "output/plan_points.h"
#include "output/plot_variables.h"
#include "output/results_writers.h"
#include "run/globals.h"
#include "run/output_file.h"

namespace {

constexpr char kQuote = '"';

std::string TecplotPlanName(int block) {
    if (!NumberedOutputOn()) return PartitionName("tecplot2") + ".dat";
    if (block > 0) return NextNumberedName("tec2_n" + std::to_string(block) + "_", 5, ".dat");
    return NextNumberedName(MpiPart != 0 ? PartitionName("tec2") + "." : "tec2_", 5, ".dat");
}

// F 268 names the block when it is a later block that holds cells.
int TecplotPlanBlock() {
    const int b = PlotZoneBlock;
    if (b >= 2 && b <= NoBlocks && b <= kMaxBlocks && BlockTable[b].lastCell >= 2) return b;
    return 1;
}

// The entry's value at a point whose column's bottom cell is c0. The bed
// letters N, o and m belong to the column; the others to the cell at the
// entry's own level.
double EntryValue(const PlotVariableRecord& r, const PlanPoint& p, int c0) {
    MarkPlotEntry(r);
    if (IsNodeLetter(r.letter)) return PlanNodeLetterValue(r.letter, p);
    if (r.letter == 'N') return PlotCellValue('N', c0, r.level, r.size, 0);
    if (r.letter == 'o' || r.letter == 'm') return PlotCellValue(r.letter, c0, EntryLayer(r), r.size, 0);
    return PlotCellValue(r.letter, CellUp(c0, r.level - 1), EntryLayer(r), r.size, 0);
}

double PointLevel(const PlanPoint& p, int cp) {
    auto slot = [](int s) { return [s](int i, int j) { return ValueAt(Gridz, i, j, s); }; };
    if (PlanCellLevel == NoGridLinesZ + 1) return PlanNodeMean(p, slot(NoGridLinesZ));
    if (cp == 0 || PlanCellLevel == 1) return PlanNodeMean(p, slot(1));
    return ValueAt(Czcenter, cp);
}

void WritePoint(FILE* fp, const PlanPoint& p) {
    const int c0 = NodeColumnBottomCell(p.ci, p.cj);
    const int cp = CellUp(c0, PlanCellLevel - 1);
    const double x = PlanNodeMean(p, [](int i, int j) { return ValueAt(Gridx, i, j); });
    const double y = PlanNodeMean(p, [](int i, int j) { return ValueAt(Gridy, i, j); });
    std::fprintf(fp, "%lf %lf %lf %lf %lf", x, y, PointLevel(p, cp), AtCell(Cu, cp), AtCell(Cv, cp));
    for (int v = 0; v < NoPlotVariables; ++v) std::fprintf(fp, " %le", EntryValue(PlotVariables[v], p, c0));
    std::fprintf(fp, "\n");
}

void WriteTecplotPlan(FILE* fp, const PlanLayout& layout) {
    std::fprintf(fp, "TITLE = %cPLAN-%d_%s %s%c\n", kQuote, PlanNumber, Title + 1, ResultTitle, kQuote);
    std::fprintf(fp, "VARIABLES=%cX1%c,%cX2%c,%cX3%c,%cUx%c,%cUy%c", kQuote, kQuote, kQuote, kQuote, kQuote, kQuote,
                 kQuote, kQuote, kQuote, kQuote);
    for (int v = 0; v < NoPlotVariables; ++v) {
        const std::string name = PlotVariableName(PlotVariables[v], PlotWriter::kTecplotPlan);
        std::fprintf(fp, ",%c%s%c", kQuote, name.c_str(), kQuote);
    }
    std::fprintf(fp, "\n");
    std::fprintf(fp, "ZONE I=%d,J=%d,F=POINT\n", layout.pointsPerRow, layout.rows);
    std::fprintf(fp, "SOLUTIONTIME=%lf\n", stime);
    for (const PlanPoint& p : layout.points) WritePoint(fp, p);
}

}  // namespace

void WriteTecplot2D(int, int block) {
    const std::string name = TecplotPlanName(block);
    PlanLayout layout;
    if (!LayoutPlanBlock(TecplotPlanBlock(), name.c_str(), &layout)) return;
    if (!WriteOutputFile(name, [&layout](FILE* fp) { WriteTecplotPlan(fp, layout); })) FailOutputFile(name, name);
}
