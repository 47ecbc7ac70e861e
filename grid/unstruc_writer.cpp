// Writing the `unstruc` grid file (letter H, the divergence diagnostics) and
// its numbered snapshots (the morphology driver).
#include <cmath>
#include <cstdio>
#include <string>

#include "grid/grid_invariants.h"
#include "grid/grid_services.h"
#include "grid/unstruc_format.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/output_file.h"

namespace {

// The counts that a file's header announces and its sections follow.
struct UnstrucCounts {
    int cells, surfaces, blocks, edges, pairs, boundary, points;
};

// A count beyond its array would be read past the end: such a grid is not
// written at all.
bool CountsFitArrays(const UnstrucCounts& n) {
    return CountFits(Px1, n.points) && CountFits(Cpoint1, n.cells) && CountFits(Fpoint1, n.surfaces) &&
           CountFits(BoundaryCellNo, n.boundary) && (n.pairs <= 0 || static_cast<size_t>(n.pairs) < EdgePairs.extent1()) &&
           n.blocks <= kMaxBlocks && n.edges <= kMaxEdges && Gridz.exists();
}

int BottomCell(int i, int j) { return static_cast<int>(Gridz[i][j][0]); }

// Columns inside the blocks that have no cells.
int CountDryColumns(int blocks) {
    int dry = 0;
    for (int b = 1; b <= blocks; ++b) {
        const BlockRecord& r = BlockTable[b];
        for (int i = r.iFirst; i <= r.iLast; ++i) {
            for (int j = r.jFirst; j <= r.jLast; ++j) {
                if (BottomCell(i, j) < 1) ++dry;
            }
        }
    }
    return dry;
}

void WriteHeader(FILE* fp, int version, const UnstrucCounts& n) {
    if (version == 2) {
        std::fprintf(fp, "%d %d %d %d %d %d %d %d %d %d\n", version, n.cells, n.surfaces, n.blocks, n.edges, n.pairs,
                     n.boundary, n.points, NoGridLinesX, NoGridLinesY);
    } else {
        std::fprintf(fp, "%d %d %d %d %d %d %d %d\n", version, n.cells, n.surfaces, n.blocks, n.edges, n.pairs,
                     n.boundary, n.points);
    }
}

void WriteCellsAndSurfaces(FILE* fp, const UnstrucCounts& n) {
    for (int p = 1; p <= n.points; ++p) std::fprintf(fp, "%lf %lf %lf\n", Px1[p], Py1[p], Pz1[p]);
    const auto cell = UnstrucCellLine();
    for (int c = 1; c <= n.cells; ++c) {
        for (Array1<int>* a : cell) std::fprintf(fp, "%d ", (*a)[c]);
        std::fputc('\n', fp);
    }
    const auto surface = UnstrucSurfaceLine();
    for (int s = 1; s <= n.surfaces; ++s) {
        for (Array1<int>* a : surface) std::fprintf(fp, "%d ", (*a)[s]);
        std::fputc('\n', fp);
    }
}

void WriteBlocksAndEdges(FILE* fp, const UnstrucCounts& n) {
    for (int b = 1; b <= n.blocks; ++b) {
        BlockRecord& r = BlockTable[b];
        for (int field : kUnstrucBlockFields) std::fprintf(fp, "%d ", r.intField(field));
        std::fprintf(fp, "%lf %lf\n", r.real1, r.real2);
    }
    for (int e = 0; e < n.edges; ++e) {
        const EdgeRecord& r = EdgeList[e];
        std::fprintf(fp, "%d %d %d %d\n", r.iA, r.iB, r.jA, r.jB);
    }
    for (int p = 1; p <= n.pairs; ++p) std::fprintf(fp, "%d %d\n", EdgePairs[p][0], EdgePairs[p][1]);
}

void WriteGroups(FILE* fp) {
    for (int g = 1; g < kDischargeGroups; ++g) {
        const DischargeGroupRecord& r = DischargeGroups[g];
        std::fprintf(fp, "%d %d %d %d %d %d %d %lf %lf\n", r.groupType, r.groupMode, r.inflowComponent, r.fromLevel,
                     r.toLevel, r.noSurfaces, r.noPoints, r.discharge, r.inflowConc);
        for (int k = 0; k < r.noSurfaces; ++k) std::fprintf(fp, "%d ", r.surfaceList[k]);
        std::fputc('\n', fp);
        for (int k = 0; k < r.noPoints; ++k) std::fprintf(fp, "%lf %lf\n", r.pointX[k], r.pointY[k]);
    }
    for (const SourceCellGroup& r : SourceCellGroups) {
        std::fprintf(fp, "%d %d %lf ", r.equation, r.noCells, r.amount);
        for (int k = 0; k < r.noCells; ++k) std::fprintf(fp, "%d ", r.cells[k]);
        std::fputc('\n', fp);
    }
}

// Versions 1 and 2: the bottom cell of every column, one grid line a row;
// the grid file puts the blank before each value, the snapshot after it.
void WriteColumnRows(FILE* fp, bool blankFirst) {
    for (int i = 1; i <= NoGridLinesX + 1; ++i) {
        for (int j = 1; j <= NoGridLinesY + 1; ++j) {
            if (blankFirst) {
                std::fprintf(fp, " %d", BottomCell(i, j));
            } else {
                std::fprintf(fp, "%d ", BottomCell(i, j));
            }
        }
        std::fputc('\n', fp);
    }
}

// Versions 3 and 4: every node of every block with its levels; a node of
// two blocks is written once for each.
void WriteNodeLines(FILE* fp, int blocks) {
    const int nz = NoGridLinesZ;
    for (int b = 1; b <= blocks; ++b) {
        const BlockRecord& r = BlockTable[b];
        for (int i = r.iFirst - 1; i <= r.iLast; ++i) {
            for (int j = r.jFirst - 1; j <= r.jLast; ++j) {
                std::fprintf(fp, "%d %lf %lf %lf %lf \n", BottomCell(i, j), Gridz[i][j][1], Gridz[i][j][nz],
                             Gridx[i][j], Gridy[i][j]);
            }
        }
    }
}

void WriteBoundaryRecords(FILE* fp, int records) {
    for (int r = 1; r <= records; ++r) {
        std::fprintf(fp, "%d %d %d %d %lf\n", BoundaryCellCode[r], BoundaryCellSurface[r], BoundaryCellNo[r],
                     BoundaryCellBlock[r], BoundaryCellValue[r]);
        for (int k = 0; k < kBoundaryPartners; ++k) {
            std::fprintf(fp, "%d %lf %lf %lf %lf\n", BoundaryCellPartner[r][k], BoundaryCellWeight[r][k],
                         BoundaryCellPartnerXyz[r][k][0], BoundaryCellPartnerXyz[r][k][1],
                         BoundaryCellPartnerXyz[r][k][2]);
        }
    }
}

void WriteSections(FILE* fp, int version, const UnstrucCounts& n, bool blankFirst) {
    WriteHeader(fp, version, n);
    if (version != 4) WriteCellsAndSurfaces(fp, n);
    WriteBlocksAndEdges(fp, n);
    WriteGroups(fp);
    if (version <= 2) {
        WriteColumnRows(fp, blankFirst);
    } else {
        WriteNodeLines(fp, n.blocks);
    }
    if (version != 4) WriteBoundaryRecords(fp, n.boundary);
}

// Writes one complete file, or leaves the name as it was. False on failure,
// with the reason in `boogie`.
bool WriteFile(const std::string& name, int version, const UnstrucCounts& n, bool blankFirst) {
    if (!CountsFitArrays(n)) {
        LogAppend("Error: the grid counts exceed the allocated arrays; '%s' not written\n", name.c_str());
        return false;
    }
    OutputFile out(name);
    if (!out) {
        LogAppend("Error: can not open '%s' file\n", name.c_str());
        return false;
    }
    WriteSections(out.get(), version, n, blankFirst);
    if (!out.commit()) {
        LogAppend("Error: cannot write '%s' file; the file as it was is kept\n", name.c_str());
        return false;
    }
    return true;
}

}  // namespace

int WriteUnstrucFile() {
    // With no grid read or generated there is nothing to write, and an empty
    // grid written over `unstruc` would lose the user's.
    if (FileNoCells < 1 || NoCells < 1) {
        LogAppend("Error: there is no grid to write: read it (letter U) or generate it (letter Y) before "
                  "letter H; the unstruc file as it was is kept\n");
        return -4;
    }
    const int version = UnstrucVersion;
    const UnstrucCounts n{FileNoCells, FileNoSurfaces, FileNoBlocks, FileNoEdges, FileNoEdgePairs, NoBoundaryCells,
                          NoPoints};
    const int dry = version == 2 ? CountDryColumns(NoBlocks) : 0;
    if (dry > 0) {
        LogAppend("WARNING: You are writing an unstruc file which does not cover the whole domain\n");
        LogAppend("This unstruc file should not be used as a start for a wetting/drying computation\n");
        LogAppend("It should only be used for debugging purposes and display of graphics\n\n");
    }
    const bool debugName = DebugFilesOption >= 2;
    const std::string name = debugName ? "unstruc.dbg" : dry > 0 ? "unstruc.dry" : UnstrucFileName(false);
    if (!WriteFile(name, version, n, true)) {
        if (debugName || dry > 0) SetStatusText("cannot open file '%s' ", name.c_str());
        return -4;
    }
    SetStatusText(" Have written unstruc file       ");
    if (WriteGridCompanionFiles() != 0) return kOutputUnwritableStatus;
    return dry;
}

void WriteUnstrucSnapshot() {
    // An interval of 0 writes a snapshot at every call.
    const int interval = OutputIntervals[1];
    if (interval != 0 && std::fabs(std::fmod(static_cast<double>(Iter), interval)) > 0.001) return;
    const std::string name = FirstFreeNumberedName("unstruc.", 0, "", kMaxSnapshotNumber);
    if (name.empty()) {
        LogAppend("Warning: the names unstruc.0 to unstruc.%d are all taken; no grid snapshot written\n",
                  kMaxSnapshotNumber);
        return;
    }
    const UnstrucCounts n{NoCells, NoSurfaces, NoBlocks, NoEdges, NoEdgePairs, NoBoundaryCells, NoPoints};
    WriteFile(name, 1, n, false);
}
