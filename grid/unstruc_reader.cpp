// Reading the `unstruc` grid file (letter U).
//
// The file is trusted by nobody: every count is checked against the array
// it fills before anything is stored, and every cell, surface, point or node
// number is checked against the counts of the header, so a damaged or
// hand-edited file is refused with the line it failed on instead of writing
// outside an array or leaving a grid that points nowhere.
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "grid/grid_invariants.h"
#include "grid/grid_services.h"
#include "grid/unstruc_format.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/run_services.h"
#include "run/text_input.h"

namespace {

// Whitespace-separated numbers with the line each stands on. A number must
// fill its whole token, so text out of step is refused, not half read.
class NumberInput {
public:
    explicit NumberInput(FILE* fp) : fp_(fp) {}

    bool readInt(int* v) {
        if (!token()) return false;
        errno = 0;
        char* end = nullptr;
        long value = std::strtol(buf_, &end, 10);
        if (errno != 0 || end == buf_ || *end != '\0' || value < INT_MIN || value > INT_MAX) return false;
        *v = static_cast<int>(value);
        return true;
    }

    bool readReal(double* v) {
        if (!token()) return false;
        char* end = nullptr;
        double value = std::strtod(buf_, &end);
        if (end == buf_ || *end != '\0' || !std::isfinite(value)) return false;
        *v = value;
        return true;
    }

    // The character that ended the last number: a blank, a line end or EOF.
    int after() const { return after_; }
    // The line of the last number, or of the place where reading stopped.
    int line() const { return tokenLine_; }
    // True when the last read found the end of the file instead of a number.
    bool ended() const { return ended_; }

private:
    bool token() {
        int c;
        while ((c = std::getc(fp_)) != EOF && std::isspace(c)) {
            if (c == '\n') ++line_;
        }
        tokenLine_ = line_;
        size_t n = 0;
        bool fits = true;
        // A token longer than any number is cut off after the buffer, so a
        // file of one endless word ends the read instead of spinning in it.
        while (c != EOF && !std::isspace(c)) {
            if (n + 1 < sizeof buf_) {
                buf_[n++] = static_cast<char>(c);
            } else {
                fits = false;
                break;
            }
            c = std::getc(fp_);
        }
        buf_[n] = '\0';
        ended_ = n == 0;
        after_ = c;
        if (c == '\n') ++line_;
        return n > 0 && fits;
    }

    FILE* fp_;
    char buf_[64] = {};
    int line_ = 1;
    int tokenLine_ = 1;
    int after_ = EOF;
    bool ended_ = false;
};

// NoGridLinesZ levels bound NoGridLinesZ - 1 cells: a taller column was made
// for another G 1, and its levels would be taken from the wrong nodes.
int CellsAboveLimit() { return NoGridLinesZ - 2; }

// The top cell of the column over bottom cell c, or 0 when the column is
// taller than G 1 allows (a cycle of top neighbours is also cut there).
int ColumnTopWithinG1(int c) {
    int t = c;
    for (int steps = 0; Ccellt[t] != 0; ++steps) {
        if (steps >= CellsAboveLimit()) return 0;
        t = Ccellt[t];
    }
    return t;
}

template <class Report>
void ColumnTooTall(int c, Report report) {
    char text[160];
    std::snprintf(text, sizeof text, "the column of cell %d has more than %d cells above it; G 1 gives %d grid lines in z",
                  c, CellsAboveLimit(), NoGridLinesZ);
    report(text);
}

// Version 3 gives the bottom cell of every node with the file's own cells;
// checked once the cells are known to form columns.
bool ColumnsFitG1(const std::string& name) {
    for (int i = 0; i <= NoGridLinesX + 1; ++i) {
        for (int j = 0; j <= NoGridLinesY + 1; ++j) {
            const int c = static_cast<int>(Gridz[i][j][0]);
            if (c <= 0 || ColumnTopWithinG1(c) != 0) continue;
            ColumnTooTall(c, [&name](const char* text) {
                LogAppend("Error reading the '%s' file: %s\n", name.c_str(), text);
            });
            return false;
        }
    }
    return true;
}

// The reader's failures that the run driver reports; the others end the run.
constexpr int kBadFile = kUnstrucBadFile;
constexpr int kBlockBeyondGridJ = -54;
constexpr int kBlockBeyondGridI = -55;

class UnstrucReader {
public:
    UnstrucReader(FILE* fp, std::string name) : in_(fp), name_(std::move(name)) {}

    // 0, or the negative result of the read; ends the run where the file
    // format says so.
    int read() {
        if (!header()) return kBadFile;
        if (version_ != 4 && !(points() && cells() && surfaces())) return kBadFile;
        int blockResult = blocks();
        if (blockResult != 0) return blockResult;
        if (!(edges() && edgePairs() && dischargeGroups() && sourceCellGroups())) return kBadFile;
        if (!(version_ <= 2 ? columnRows() : nodeLines())) return kBadFile;
        // Version 4 carries no block-boundary records; the generation that
        // rebuilds its cells rebuilds them too.
        if (version_ != 4 && !boundaryRecords()) return kBadFile;
        return 0;
    }

private:
    // Logs "Error reading the file at line n: <text>" and refuses the file.
    bool fail(const char* fmt, ...) __attribute__((format(printf, 2, 3))) {
        char text[300];
        va_list ap;
        va_start(ap, fmt);
        std::vsnprintf(text, sizeof text, fmt, ap);
        va_end(ap);
        LogAppend("Error reading the '%s' file at line %d: %s\n", name_.c_str(), in_.line(), text);
        return false;
    }

    bool incomplete(const char* entity, int number) {
        return fail("%s %d is incomplete or holds something that is not a number", entity, number);
    }

    // Reads a number that indexes an array: 0 (none) up to `high`.
    bool index(int* v, int high, const char* field, const char* entity, int number) {
        if (!in_.readInt(v)) return incomplete(entity, number);
        if (*v < 0 || *v > high) {
            return fail("%s %d of %s %d is outside 0 to %d", field, *v, entity, number, high);
        }
        return true;
    }

    bool header() {
        int h[7];
        for (int& v : h) {
            if (!in_.readInt(&v)) return fail("the header line is incomplete or holds something that is not a number");
        }
        NoPoints = h[0];
        NoCells = h[1];
        NoSurfaces = h[2];
        NoBlocks = h[3];
        NoEdges = h[4];
        NoEdgePairs = h[5];
        NoBoundaryCells = h[6];
        CheckBlockSelection();
        FileNoBlocks = NoBlocks;
        FileNoCells = NoCells;
        FileNoSurfaces = NoSurfaces;
        FileNoEdges = NoEdges;
        FileNoEdgePairs = NoEdgePairs;

        version_ = NoPoints > kUnstrucVersionLimit ? 0 : NoPoints;
        if (version_ < 0 || version_ > kUnstrucNewestVersion) {
            return fail("the file version %d is not one of 0 to %d", version_, kUnstrucNewestVersion);
        }
        ReadUnstrucVersion = version_;
        if (version_ > 0 && !in_.readInt(&NoPoints)) {
            return fail("the header line is incomplete or holds something that is not a number");
        }
        if (version_ == 2) {
            int nx = 0, ny = 0;
            if (!in_.readInt(&nx) || !in_.readInt(&ny)) {
                return fail("the header line is incomplete or holds something that is not a number");
            }
            if (nx != NoGridLinesX || ny != NoGridLinesY) {
                LogAppend("Error: The two first integers on the G 1 data set in the control file\n");
                FailWithLog(kUnstrucG1MismatchStatus,
                            "must be the same as when the unstruc file was created (G 1 %d %d ..).\n", nx, ny);
            }
        }
        CheckCapacities();
        if (NoBlocks > kMaxBlocks) return fail("%d blocks; the block table holds %d", NoBlocks, kMaxBlocks);
        if (NoEdges > kMaxEdges) return fail("%d side edges; the edge list holds %d", NoEdges, kMaxEdges);
        return true;
    }

    // More selected blocks (G 25) than the file has is an error, except that
    // the layer block is appended after reading.
    static void CheckBlockSelection() {
        if (NoBlockSelectionValues <= NoBlocks) return;
        if (LayerBlockOption == 0 || (LayerBlockOption > 0 && NoBlockSelectionValues > NoBlocks + 1)) {
            FailWithLog(kControlRefusedStatus, "Error on first integer on G 25 data set in control file\n");
        }
    }

    // Index `Max...` is one past every array it sizes, so a count equal to
    // its capacity does not fit either.
    void CheckCapacities() const {
        if (NoPoints >= MaxPoints || NoCells >= MaxCeller || NoSurfaces >= MaxFlater || NoEdgePairs >= MaxEdgePairs ||
            NoBoundaryCells >= MaxBoundaryCells) {
            SetStatusText(" Error reading unstruc file - arrays ");
            LogAppend("Error reading the '%s' file: the allocated arrays are smaller than the \n", name_.c_str());
            LogAppend("data in the file. Increase the values on the F 65 data set in the control\n");
            FailWithLog(-5, "file and try again\n\n");
        }
        const struct {
            const char* what;
            int count;
        } counts[] = {{"cells", NoCells},   {"surfaces", NoSurfaces},       {"points", NoPoints},
                      {"blocks", NoBlocks}, {"side edges", NoEdges},        {"edge pairs", NoEdgePairs},
                      {"block-boundary records", NoBoundaryCells}};
        for (const auto& c : counts) {
            if (c.count < 0) {
                FailWithLog(-1, "Error reading the '%s' file: the header gives %d %s\n", name_.c_str(), c.count, c.what);
            }
        }
    }

    bool points() {
        for (int p = 1; p <= NoPoints; ++p) {
            if (!in_.readReal(&Px1[p]) || !in_.readReal(&Py1[p]) || !in_.readReal(&Pz1[p])) {
                return incomplete("point", p);
            }
            if (!LevelInRange(Pz1[p])) return fail("point %d lies at the level %g m, beyond %g m", p, Pz1[p], kLevelLimit);
        }
        return true;
    }

    bool cells() {
        const auto line = UnstrucCellLine();
        for (int c = 1; c <= NoCells; ++c) {
            for (int k = 0; k < kUnstrucCellInts; ++k) {
                const bool corner = k < 8, face = k >= 8 && k < 14;
                const int high = corner ? NoPoints : face ? NoSurfaces : NoCells;
                const char* field = corner ? "corner point" : face ? "surface" : "neighbour cell";
                if (!index(&(*line[k])[c], high, field, "cell", c)) return false;
            }
        }
        return true;
    }

    bool surfaces() {
        const auto line = UnstrucSurfaceLine();
        for (int s = 1; s <= NoSurfaces; ++s) {
            for (int k = 0; k < kUnstrucSurfaceInts; ++k) {
                const bool corner = k < 4;
                if (!index(&(*line[k])[s], corner ? NoPoints : NoCells, corner ? "corner point" : "cell", "surface", s)) {
                    return false;
                }
            }
        }
        return true;
    }

    // 0, -54 or -55 (the blocks before the failing one are stored), or
    // kBadFile.
    int blocks() {
        for (int b = 1; b <= NoBlocks; ++b) {
            BlockRecord& r = BlockTable[b];
            for (int field : kUnstrucBlockFields) {
                if (!in_.readInt(&r.intField(field))) {
                    incomplete("block", b);
                    return kBadFile;
                }
            }
            if (!in_.readReal(&r.real1) || !in_.readReal(&r.real2)) {
                incomplete("block", b);
                return kBadFile;
            }
            if (r.iLast > 2) r.field11 = 1;
            if (r.jLast >= NoGridLinesY) return kBlockBeyondGridJ;
            if (r.iLast >= NoGridLinesX) return kBlockBeyondGridI;
            // Every later step walks the block's columns: a range that is
            // reversed or starts outside the grid would index past the arrays.
            if (r.iFirst < 1 || r.jFirst < 1 || r.iFirst > r.iLast || r.jFirst > r.jLast) {
                fail("block %d covers the columns %d to %d in i and %d to %d in j; a block lies within 1 to %d "
                     "and 1 to %d",
                     b, r.iFirst, r.iLast, r.jFirst, r.jLast, NoGridLinesX - 1, NoGridLinesY - 1);
                return kBadFile;
            }
            if (!range(b, "cells", r.firstCell, r.lastCell, NoCells) ||
                !range(b, "surfaces", r.firstSurface, r.lastSurface, NoSurfaces) ||
                !range(b, "points", r.firstPoint, r.lastPoint, NoPoints)) {
                return kBadFile;
            }
        }
        return 0;
    }

    // A block's range first..last lies within 1..count, or is empty.
    bool range(int b, const char* what, int first, int last, int count) {
        if (first < 0 || last > count || last < first - 1) {
            return fail("the %s %d to %d of block %d do not lie within 1 to %d", what, first, last, b, count);
        }
        return true;
    }

    bool edges() {
        for (int e = 0; e < NoEdges; ++e) {
            EdgeRecord& r = EdgeList[e];
            if (!index(&r.iA, NoGridLinesX + 1, "node index i", "side edge", e) ||
                !index(&r.iB, NoGridLinesX + 1, "node index i", "side edge", e) ||
                !index(&r.jA, NoGridLinesY + 1, "node index j", "side edge", e) ||
                !index(&r.jB, NoGridLinesY + 1, "node index j", "side edge", e)) {
                return false;
            }
        }
        return true;
    }

    bool edgePairs() {
        for (int p = 1; p <= NoEdgePairs; ++p) {
            if (!index(&EdgePairs[p][0], NoSurfaces, "surface", "edge pair", p) ||
                !index(&EdgePairs[p][1], NoSurfaces, "surface", "edge pair", p)) {
                return false;
            }
        }
        return true;
    }

    bool dischargeGroups() {
        for (int g = 1; g < kDischargeGroups; ++g) {
            DischargeGroupRecord& r = DischargeGroups[g];
            // A version-0 group line has no point count; the group keeps its own.
            int v[7] = {0, 0, 0, 0, 0, 0, r.noPoints};
            const int ints = version_ == 0 ? 6 : 7;
            double discharge = 0.0, conc = 0.0;
            for (int k = 0; k < ints; ++k) {
                if (!in_.readInt(&v[k])) return incomplete("discharge group", g);
            }
            if (!in_.readReal(&discharge) || !in_.readReal(&conc)) return incomplete("discharge group", g);
            if (v[5] < 0 || v[5] > kGroupSurfaces) {
                return fail("discharge group %d has %d surfaces; a group holds 0 to %d", g, v[5], kGroupSurfaces);
            }
            if (v[6] < 0 || v[6] > kGroupPoints) {
                return fail("discharge group %d has %d points; a group holds 0 to %d", g, v[6], kGroupPoints);
            }
            r.groupType = v[0];
            r.groupMode = v[1];
            r.inflowComponent = v[2];
            r.fromLevel = v[3];
            r.toLevel = v[4];
            r.noSurfaces = v[5];
            r.noPoints = v[6];
            r.discharge = discharge;
            r.inflowConc = conc;
            CheckGroupTop(g, r);
            for (int k = 0; k < r.noSurfaces; ++k) {
                if (!index(&r.surfaceList[k], NoSurfaces, "surface", "discharge group", g)) return false;
            }
            if (version_ == 0) continue;
            for (int k = 0; k < r.noPoints; ++k) {
                if (!in_.readReal(&r.pointX[k]) || !in_.readReal(&r.pointY[k])) return incomplete("discharge group", g);
            }
        }
        return true;
    }

    // A group whose top level does not reach above the grid loses the upper
    // cells of its columns; say so when it carries water.
    void CheckGroupTop(int g, DischargeGroupRecord& r) const {
        if (r.toLevel > NoGridLinesZ) return;
        if (r.toLevel < NoGridLinesZ && RaiseGroupTopFlag == 1) {
            r.toLevel = NoGridLinesZ;
            return;
        }
        if (r.discharge <= 1e-20) return;
        LogAppend("Warning, low value on TO integer in dialog box for discharge group %d\n", g);
        if (version_ == 0) {
            LogAppend("Advice: if you are not sure what you are doing: increase number to at least %d,\n",
                      NoGridLinesZ + 2);
            LogAppend("Regenerate the discharge groups and make a new unstruc file\n\n");
        } else {
            LogAppend("Advice: if you are not sure what you are doing: increase number to at least %d \n",
                      NoGridLinesZ + 2);
        }
    }

    bool sourceCellGroups() {
        for (int g = 0; g < kSourceCellGroups; ++g) {
            SourceCellGroup& r = SourceCellGroups[g];
            int equation = 0, count = 0;
            double amount = 0.0;
            if (!in_.readInt(&equation) || !in_.readInt(&count) || !in_.readReal(&amount)) {
                return incomplete("source-cell group", g);
            }
            if (count < 0 || count > kSourceGroupCells) {
                return fail("source-cell group %d has %d cells; a group holds 0 to %d", g, count, kSourceGroupCells);
            }
            r.equation = equation;
            r.noCells = count;
            r.amount = amount;
            for (int k = 0; k < count; ++k) {
                if (!index(&r.cells[k], NoCells, "cell", "source-cell group", g)) return false;
            }
        }
        return true;
    }

    static void ClearRows(int firstRow) {
        for (int i = firstRow; i <= NoGridLinesX + 1; ++i) {
            for (int j = 1; j <= NoGridLinesY + 1; ++j) Gridz[i][j][0] = 0.0;
        }
    }

    // Versions 0 to 2: one row of bottom-cell numbers per grid line i; the
    // node coordinates and levels come from the corners of the cells.
    bool columnRows() {
        GridXMin = GridYMin = 1e20;
        GridXMax = GridYMax = -1e20;
        for (int i = 1; i <= NoGridLinesX + 1; ++i) {
            for (int j = 1; j <= NoGridLinesY + 1; ++j) {
                int c = 0;
                if (!in_.readInt(&c)) {
                    if (!in_.ended()) {
                        return fail("the bottom cell of column (%d,%d) is not a number", i, j);
                    }
                    // The data end here: this column and every later one is dry.
                    for (int jj = j; jj <= NoGridLinesY + 1; ++jj) Gridz[i][jj][0] = 0.0;
                    ClearRows(i + 1);
                    return true;
                }
                if (c < 0 || c > NoCells) {
                    return fail("bottom cell %d of column (%d,%d) is outside 0 to %d", c, i, j, NoCells);
                }
                Gridz[i][j][0] = c;
                if (c > 0 && !LocateColumnNodes(i, j, c)) return false;
                if (in_.after() == EOF) {
                    for (int jj = j + 1; jj <= NoGridLinesY + 1; ++jj) Gridz[i][jj][0] = 0.0;
                    ClearRows(i + 1);
                    return true;
                }
                if (in_.after() == '\n') {
                    // The row ends early: this column and the rest of the row are dry.
                    if (j <= NoGridLinesY) {
                        for (int jj = j; jj <= NoGridLinesY + 1; ++jj) Gridz[i][jj][0] = 0.0;
                    }
                    break;
                }
            }
        }
        return true;
    }

    // Places the four corner nodes of column (i, j) on the corners of its
    // bottom cell c and of the top cell of its column.
    bool LocateColumnNodes(int i, int j, int c) {
        const int ni[4] = {i - 1, i, i, i - 1};
        const int nj[4] = {j - 1, j - 1, j, j};
        Array1<int>* const bottom[4] = {&Cpoint1, &Cpoint2, &Cpoint3, &Cpoint4};
        Array1<int>* const top[4] = {&Cpoint5, &Cpoint6, &Cpoint7, &Cpoint8};
        for (int k = 0; k < 4; ++k) {
            const int p = (*bottom[k])[c];
            Gridx[ni[k]][nj[k]] = Px1[p];
            Gridy[ni[k]][nj[k]] = Py1[p];
            Gridz[ni[k]][nj[k]][1] = Pz1[p];
            GridLevels[0][ni[k]][nj[k]] = Pz1[p];
        }
        const int t = ColumnTop(c);
        if (t == 0) return false;
        const int nz = NoGridLinesZ;
        for (int k = 0; k < 4; ++k) {
            const double z = Pz1[(*top[k])[t]];
            Gridz[ni[k]][nj[k]][nz] = z;
            Gridz[ni[k]][nj[k]][nz + 1] = z;
        }
        ExtendExtremes(Gridx[i][j], Gridy[i][j]);
        return true;
    }

    // The top cell of the column over bottom cell c, or 0 when the column is
    // taller than the G 1 grid lines in z allow.
    int ColumnTop(int c) {
        const int t = ColumnTopWithinG1(c);
        if (t == 0) ColumnTooTall(c, [this](const char* text) { fail("%s", text); });
        return t;
    }

    static void ExtendExtremes(double x, double y) {
        if (x < GridXMin) GridXMin = x;
        if (x > GridXMax) GridXMax = x;
        if (y < GridYMin) GridYMin = y;
        if (y > GridYMax) GridYMax = y;
    }

    // Versions 3 and 4: one line per node of every block, with its levels
    // and coordinates.
    bool nodeLines() {
        const int nz = NoGridLinesZ;
        for (int b = 1; b <= NoBlocks; ++b) {
            const BlockRecord& r = BlockTable[b];
            GridXMin = GridYMin = 1e20;
            GridXMax = GridYMax = -1e20;
            for (int i = r.iFirst - 1; i <= r.iLast; ++i) {
                for (int j = r.jFirst - 1; j <= r.jLast; ++j) {
                    int c = 0;
                    double bed = 0.0, water = 0.0, x = 0.0, y = 0.0;
                    if (!in_.readInt(&c) || !in_.readReal(&bed) || !in_.readReal(&water) || !in_.readReal(&x) ||
                        !in_.readReal(&y)) {
                        return fail("the line of node (%d,%d) of block %d is incomplete or holds something that is "
                                    "not a number",
                                    i, j, b);
                    }
                    if (c < 0 || c > NoCells) {
                        return fail("bottom cell %d of node (%d,%d) is outside 0 to %d", c, i, j, NoCells);
                    }
                    if (!LevelInRange(bed) || !LevelInRange(water)) {
                        return fail("node (%d,%d) has the bed level %g m and the water level %g m; a level lies "
                                    "within %g m",
                                    i, j, bed, water, kLevelLimit);
                    }
                    Gridz[i][j][0] = c;
                    Gridz[i][j][1] = bed;
                    Gridz[i][j][nz] = water;
                    Gridz[i][j][nz + 1] = water;
                    GridLevels[0][i][j] = bed;
                    Gridx[i][j] = x;
                    Gridy[i][j] = y;
                    ExtendExtremes(x, y);
                }
            }
        }
        return true;
    }

    bool boundaryRecords() {
        for (int r = 1; r <= NoBoundaryCells; ++r) {
            if (!in_.readInt(&BoundaryCellCode[r])) return incomplete("block-boundary record", r);
            if (!index(&BoundaryCellSurface[r], NoSurfaces, "surface", "block-boundary record", r) ||
                !index(&BoundaryCellNo[r], NoCells, "cell", "block-boundary record", r) ||
                !index(&BoundaryCellBlock[r], NoBlocks, "block", "block-boundary record", r)) {
                return false;
            }
            if (!in_.readReal(&BoundaryCellValue[r])) return incomplete("block-boundary record", r);
            for (int k = 0; k < kBoundaryPartners; ++k) {
                if (!index(&BoundaryCellPartner[r][k], NoCells, "partner cell", "block-boundary record", r)) {
                    return false;
                }
                if (!in_.readReal(&BoundaryCellWeight[r][k]) || !in_.readReal(&BoundaryCellPartnerXyz[r][k][0]) ||
                    !in_.readReal(&BoundaryCellPartnerXyz[r][k][1]) ||
                    !in_.readReal(&BoundaryCellPartnerXyz[r][k][2])) {
                    return incomplete("block-boundary record", r);
                }
            }
        }
        return true;
    }

    NumberInput in_;
    std::string name_;
    int version_ = 0;
};

}  // namespace

int ReadUnstructure() {
    if (!Cu.exists() && AllocateUnstructuredArrays() < -0.01) {
        LogAppend("Error in allocation of arrays. The array size is probably\n");
        LogAppend("larger than what is available of memory on your computer\n\n");
        SetStatusText(" Error in array allocation       ");
        return -1;
    }
    const std::string name = UnstrucFileName(true);
    if (ExistsButNotRegularFile(name.c_str())) {
        SetStatusText("have not read '%s' file", name.c_str());
        LogAppend("Error reading the '%s' file: it is not a regular file\n", name.c_str());
        return kBadFile;
    }
    std::unique_ptr<FILE, int (*)(FILE*)> fp(std::fopen(name.c_str(), "r"), std::fclose);
    if (!fp) {
        SetStatusText("have not read '%s' file", name.c_str());
        LogAppend("Error: can not open '%s' file\n", name.c_str());
        // Without its grid the run has nothing to compute on.
        return kUnstrucMissing;
    }
    int result = UnstrucReader(fp.get(), name).read();
    fp.reset();
    if (result != 0) return result;
    // The file's own cells: a fault that leaves the flow without meaning
    // refuses the file before anything walks its columns.
    const bool fileCells = ReadUnstrucVersion != 4;
    if (fileCells && !CheckReadGrid()) return kBadFile;
    // Versions 0 to 2 checked their columns while locating the nodes; version
    // 4 builds its columns from G 1.
    if (ReadUnstrucVersion == 3 && !ColumnsFitG1(name)) return kBadFile;
    result = SetUpAfterReadingGrid();
    if (DebugOption == 'D' || DebugOption == 'E') LogGridCheck();
    return result;
}
