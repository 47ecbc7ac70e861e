// The Tecplot 3D file: one finite-element zone of bricks, one per cell, with
// the cell values averaged onto the grid points.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "output/output_names.h"
#include "output/output_services.h"
#include "output/plot_variables.h"
#include "output/point_cells.h"
#include "run/globals.h"
#include "run/output_file.h"

namespace {

constexpr char kQuote = '"';
// A point this near a structured node (in |dx| + |dy|) shows that node's levels.
constexpr double kOnNode = 0.001;

std::string Tecplot3DName() {
    if (NumberedOutputOn()) return NextNumberedName("tec3_", 5, ".dat");
    return PartitionName("tecplfe") + ".dat";
}

struct Zone {
    int firstPoint = 1, lastPoint = 0;
    int firstCell = 1, lastCell = 0;
    int nodeOffset = 0;
    int coupledAfter = 0;  // points numbered above this belong to coupled blocks
};

int LastUncoupledBlock() {
    int last = 0;
    for (int b = 1; b <= NoBlocks && b <= kMaxBlocks; ++b) {
        if (BlockTable[b].overlapLevel == 0) last = b;
    }
    return last;
}

// F 268: 0 the whole grid, 1 the uncoupled blocks (up to the last of them),
// 2 the coupled blocks (from the first coupled block that follows an
// uncoupled one). A choice that finds no such block writes the whole grid.
Zone ChooseZone() {
    Zone z;
    z.lastPoint = NoPoints;
    z.lastCell = NoCells;
    const int uncoupled = LastUncoupledBlock();
    z.coupledAfter = uncoupled > 0 ? BlockTable[uncoupled].lastPoint : 0;
    if (PlotZoneBlock == 1 && uncoupled > 0) {
        z.lastPoint = BlockTable[uncoupled].lastPoint;
        z.lastCell = BlockTable[uncoupled].lastCell;
    } else if (PlotZoneBlock == 2) {
        Zone coupled;
        bool found = false;
        for (int b = 1; b <= NoBlocks && b <= kMaxBlocks; ++b) {
            const BlockRecord& r = BlockTable[b];
            if (r.overlapLevel <= 0) continue;
            if (BlockTable[b - 1].overlapLevel == 0) {
                coupled.firstPoint = r.firstPoint;
                coupled.firstCell = r.firstCell;
            }
            coupled.lastPoint = r.lastPoint;
            coupled.lastCell = r.lastCell;
            found = true;
        }
        if (found) {
            z.firstPoint = coupled.firstPoint;
            z.lastPoint = coupled.lastPoint;
            z.firstCell = coupled.firstCell;
            z.lastCell = coupled.lastCell;
            // The zone's nodes are numbered from 1 in its element lines.
            z.nodeOffset = z.firstPoint - 1;
        }
    }
    // Block records that reach past the grid are cut to it.
    if (z.firstPoint < 1) z.firstPoint = 1;
    if (z.firstCell < 1) z.firstCell = 1;
    if (z.lastPoint > NoPoints) z.lastPoint = NoPoints;
    if (z.lastCell > NoCells) z.lastCell = NoCells;
    return z;
}

struct NearNode {
    int i = 0, j = 0;
    double distance = std::numeric_limits<double>::infinity();
};

// The structured nodes sorted by x, for the nearest-node search: a node
// farther in x than a distance already found cannot be nearer, so only a
// narrow band of nodes is measured. Among equally near nodes the search
// takes the first in the order I = 1.., J = 1.., as a full scan would.
class NodeSearch {
public:
    NodeSearch() {
        for (int i = 1; i <= NoGridLinesX; ++i) {
            for (int j = 1; j <= NoGridLinesY; ++j) {
                nodes_.push_back({ValueAt(Gridx, i, j), ValueAt(Gridy, i, j), i, j, static_cast<int>(nodes_.size())});
            }
        }
        std::sort(nodes_.begin(), nodes_.end(), [](const Node& a, const Node& b) { return a.x < b.x; });
    }

    // The node nearest to (x, y) in |dx| + |dy|, other than `skip`; `hint`
    // is a node whose distance bounds the search.
    NearNode nearest(double x, double y, int hintI, int hintJ, const NearNode* skip) const {
        double bound = std::numeric_limits<double>::infinity();
        if (hintI >= 1 && hintI <= NoGridLinesX && hintJ >= 1 && hintJ <= NoGridLinesY &&
            !(skip && hintI == skip->i && hintJ == skip->j)) {
            bound = Distance(ValueAt(Gridx, hintI, hintJ), ValueAt(Gridy, hintI, hintJ), x, y);
        }
        auto first = nodes_.begin(), last = nodes_.end();
        if (std::isfinite(bound)) {
            first = std::lower_bound(nodes_.begin(), nodes_.end(), x - bound,
                                     [](const Node& n, double v) { return n.x < v; });
            last = std::upper_bound(first, nodes_.end(), x + bound, [](double v, const Node& n) { return v < n.x; });
        }
        NearNode best;
        int bestOrder = 0;
        for (auto n = first; n != last; ++n) {
            if (skip && n->i == skip->i && n->j == skip->j) continue;
            const double d = Distance(n->x, n->y, x, y);
            if (d < best.distance || (d == best.distance && n->order < bestOrder)) {
                best = {n->i, n->j, d};
                bestOrder = n->order;
            }
        }
        return best;
    }

private:
    struct Node {
        double x, y;
        int i, j;
        int order;
    };
    static double Distance(double nx, double ny, double x, double y) { return std::fabs(nx - x) + std::fabs(ny - y); }
    std::vector<Node> nodes_;
};

// s, t, v, y and z at point p: the node it stands on, or a distance-weighted
// mix of the two nearest nodes.
void SetNodeLetterValues(int p, const NodeSearch& search, std::vector<double>* values) {
    const double x = Px1[p], y = Py1[p];
    const NearNode n1 = search.nearest(x, y, Pkooi[p], Pkooj[p], nullptr);
    NearNode n2 = n1;
    double w = 0.0;
    if (n1.distance >= kOnNode) {
        // A neighbour of the nearest node bounds the search for the second.
        n2 = search.nearest(x, y, n1.i + (n1.i < NoGridLinesX ? 1 : -1), n1.j, &n1);
        if (std::isfinite(n2.distance)) {
            w = n1.distance / (n1.distance + n2.distance);
        } else {
            n2 = n1;
        }
    }
    for (int v = 0; v < NoPlotVariables; ++v) {
        const char letter = PlotVariables[v].letter;
        if (!IsNodeLetter(letter)) continue;
        (*values)[static_cast<size_t>(v)] =
            (1.0 - w) * PlotNodeValue(letter, n1.i, n1.j) + w * PlotNodeValue(letter, n2.i, n2.j);
    }
}

bool AnyNodeLetter() {
    for (int v = 0; v < NoPlotVariables; ++v) {
        if (IsNodeLetter(PlotVariables[v].letter)) return true;
    }
    return false;
}

void WritePoint(FILE* fp, int p, const Zone& z, const NodeSearch* search, std::vector<int>* cells) {
    CellsAtPoint(p, true, cells);
    double u = 0.0, v = 0.0;
    std::vector<double> values(static_cast<size_t>(NoPlotVariables), 0.0);
    for (int c : *cells) {
        u += Cu[c];
        v += Cv[c];
        for (int e = 0; e < NoPlotVariables; ++e) {
            const PlotVariableRecord& r = PlotVariables[e];
            MarkPlotEntry(r);
            values[static_cast<size_t>(e)] += PlotCellValue(r.letter, c, EntryLayer(r), r.size, 0);
        }
    }
    if (!cells->empty()) {
        const double n = static_cast<double>(cells->size());
        u /= n;
        v /= n;
        for (double& value : values) value /= n;
    }
    if (search) SetNodeLetterValues(p, *search, &values);
    std::fprintf(fp, "%lf %lf %lf %lf %lf %d", Px1[p], Py1[p], Pz1[p], u, v, p > z.coupledAfter ? 1 : 0);
    for (double value : values) std::fprintf(fp, " %le", value);
    std::fprintf(fp, "\n");
}

void WriteTecplot3DFile(FILE* fp, const Zone& z) {
    std::fprintf(fp, "TITLE = %cFE_%s %lf sec. %c\n", kQuote, Title + 1, stime, kQuote);
    std::fprintf(fp, "VARIABLES=%cX1%c,%cX2%c,%cX3%c,%cUx%c,%cUy%c,%cNo%c", kQuote, kQuote, kQuote, kQuote, kQuote,
                 kQuote, kQuote, kQuote, kQuote, kQuote, kQuote, kQuote);
    for (int v = 0; v < NoPlotVariables; ++v) {
        const std::string name = PlotVariableName(PlotVariables[v], PlotWriter::kTecplot3D);
        std::fprintf(fp, ",%c%s%c", kQuote, name.c_str(), kQuote);
    }
    std::fprintf(fp, "\n");
    std::fprintf(fp, "ZONE T=%cDischarge: %lf l/s, time: %lf sec%c N=%d,E=%d,F=FEPOINT, ET=BRICK\n", kQuote,
                 GroupDischarge[1], stime, kQuote, z.lastPoint - z.firstPoint + 1, z.lastCell - z.firstCell + 1);
    std::unique_ptr<NodeSearch> search;
    if (AnyNodeLetter()) search = std::make_unique<NodeSearch>();
    std::vector<int> cells;
    for (int p = z.firstPoint; p <= z.lastPoint; ++p) WritePoint(fp, p, z, search.get(), &cells);
    const int o = z.nodeOffset;
    for (int c = z.firstCell; c <= z.lastCell; ++c) {
        std::fprintf(fp, "%d %d %d %d %d %d %d %d\n", Cpoint1[c] - o, Cpoint2[c] - o, Cpoint3[c] - o,
                     Cpoint4[c] - o, Cpoint5[c] - o, Cpoint6[c] - o, Cpoint7[c] - o, Cpoint8[c] - o);
    }
}

}  // namespace

void WriteTecplot3D(int) {
    const std::string name = Tecplot3DName();
    RequirePointCellCounts(name);
    SetPointGridNodes();
    const Zone zone = ChooseZone();
    SetPointMerges(zone.firstPoint, zone.lastPoint);
    if (!WriteOutputFile(name, [&zone](FILE* fp) { WriteTecplot3DFile(fp, zone); })) FailOutputFile(name, name);
}
