// The grid and a set of start fields as an OpenFOAM case for a two-phase
// computation: the mesh as `blockMeshDict` (one hex block per cell), the
// fields `alpha1`, `U`, `k`, `epsilon`, `nut` and `p_rgh`, and `levels`.
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "output/output_names.h"
#include "output/output_services.h"
#include "output/results_writers.h"
#include "run/globals.h"
#include "run/guarded_read.h"
#include "run/output_file.h"

namespace {

constexpr double kNoLevel = 1e10;  // a split level at or above this is not given
constexpr char kSeparator[] = "// * * * * * * * * * * * * * * * * * * * * * * * * * * * * * * * * //\n\n";

bool PatchesFromGroups() { return OpenFoamPatchOption == 2; }
bool FreeSidesPatch() { return OpenFoamPatchOption == 1; }
bool HasOutlet2() { return OpenFoamOutlet2Level < kNoLevel; }

bool IsWall(int s) { return s > 0 && ValueAt(Fflagflow, s) == -1; }
double Area(int s) { return s > 0 ? ValueAt(Farea, s) : 0.0; }
double Corner1Level(int c) { return ValueAt(Pz1, ValueAt(Cpoint1, c)); }

// The cells of the column stored at node (i, j) from the bed up; none for a
// dry column.
std::vector<int> ColumnCells(int i, int j) {
    std::vector<int> cells;
    for (int c = NodeColumnBottomCell(i, j); c > 0 && c <= NoCells && static_cast<int>(cells.size()) < NoCells;
         c = ValueAt(Ccellt, c)) {
        cells.push_back(c);
    }
    return cells;
}

// The cells of the columns of block 1 at i, for j from JFirst to JLast.
template <class F>
void ForSideCells(int i, F f) {
    const BlockRecord& r = BlockTable[1];
    for (int j = r.jFirst; j <= r.jLast; ++j) {
        for (int c : ColumnCells(i, j)) f(c);
    }
}

const Array1<int>* const kCellCorners[9] = {nullptr,  &Cpoint1, &Cpoint2, &Cpoint3, &Cpoint4,
                                            &Cpoint5, &Cpoint6, &Cpoint7, &Cpoint8};
const Array1<int>* const kSurfacePoints[5] = {nullptr, &Fpoint1, &Fpoint2, &Fpoint3, &Fpoint4};

// A face of cell c by its corners, numbered from 0 as OpenFOAM counts points.
void CellFace(FILE* fp, int c, int a, int b, int d, int e) {
    std::fprintf(fp, "          (%d %d %d %d)\n", ValueAt(*kCellCorners[a], c) - 1, ValueAt(*kCellCorners[b], c) - 1,
                 ValueAt(*kCellCorners[d], c) - 1, ValueAt(*kCellCorners[e], c) - 1);
}

void SurfaceFace(FILE* fp, int s, int a, int b, int d, int e) {
    std::fprintf(fp, "          (%d %d %d %d)\n", ValueAt(*kSurfacePoints[a], s) - 1,
                 ValueAt(*kSurfacePoints[b], s) - 1, ValueAt(*kSurfacePoints[d], s) - 1,
                 ValueAt(*kSurfacePoints[e], s) - 1);
}

double SurfaceLevel(int s) { return ValueAt(Pz1, ValueAt(Fpoint1, s)); }

// The surfaces of discharge group g.
std::vector<int> GroupSurfaces(int g) {
    std::vector<int> surfaces;
    const DischargeGroupRecord& r = DischargeGroups[g];
    for (int k = 0; k < r.noSurfaces && k < kGroupSurfaces; ++k) {
        if (r.surfaceList[k] > 0 && r.surfaceList[k] <= NoSurfaces) surfaces.push_back(r.surfaceList[k]);
    }
    return surfaces;
}

void Patch(FILE* fp, const char* header, const std::function<void()>& faces) {
    std::fprintf(fp, "%s\n        %c\n", header, '(');
    faces();
    std::fprintf(fp, "        %c\n", ')');
}

// Outlet faces below the outlet-2 level (`upper` false) or above it.
void OutletFaces(FILE* fp, bool upper) {
    const double limit = upper ? 1e-10 : 1e-8;
    const auto onSide = [upper](double level) {
        return upper ? level > OpenFoamOutlet2Level : level < OpenFoamOutlet2Level;
    };
    if (PatchesFromGroups()) {
        for (int s : GroupSurfaces(2)) {
            if (Area(s) > 1e-10 && onSide(SurfaceLevel(s))) SurfaceFace(fp, s, 1, 2, 3, 4);
        }
        return;
    }
    ForSideCells(BlockTable[1].iLast, [&](int c) {
        const int s = ValueAt(Csurfe, c);
        if (onSide(Corner1Level(c)) && !IsWall(s) && Area(s) > limit) CellFace(fp, c, 2, 3, 7, 6);
    });
}

// The south and north side faces that the lateral patch takes.
bool FreeSouthSide(int c, int j) { return FreeSidesPatch() && j == BlockTable[1].jFirst && Area(ValueAt(Csurfs, c)) > 1e-10; }
bool FreeNorthSide(int c, int j) { return FreeSidesPatch() && j == BlockTable[1].jLast && Area(ValueAt(Csurfn, c)) > 1e-10; }

// Inflow faces that the inlet patch leaves out for their level: the inlet
// side above the inlet level is closed, so these faces go to the walls
// rather than to no patch at all.
bool AboveInletLevel(double level) { return OpenFoamInletLevel < kNoLevel && !(level < OpenFoamInletLevel); }

void WallFaces(FILE* fp) {
    if (PatchesFromGroups()) {
        for (int s = 1; s <= NoSurfaces; ++s) {
            if (IsWall(s)) SurfaceFace(fp, s, 4, 3, 2, 1);
        }
        for (int s : GroupSurfaces(1)) {
            if (!IsWall(s) && Area(s) > 1e-10 && AboveInletLevel(SurfaceLevel(s))) SurfaceFace(fp, s, 4, 3, 2, 1);
        }
        return;
    }
    const BlockRecord& r = BlockTable[1];
    for (int i = r.iFirst; i <= r.iLast; ++i) {
        for (int j = r.jFirst; j <= r.jLast; ++j) {
            // A dry column has no cells and so no faces.
            const std::vector<int> cells = ColumnCells(i, j);
            if (cells.empty()) continue;
            CellFace(fp, cells.front(), 4, 3, 2, 1);
            // A face belongs to one patch only: the lateral patch keeps its own.
            for (int c : cells) {
                if (IsWall(ValueAt(Csurfs, c)) && !FreeSouthSide(c, j)) CellFace(fp, c, 1, 2, 6, 5);
                if (IsWall(ValueAt(Csurfn, c)) && !FreeNorthSide(c, j)) CellFace(fp, c, 4, 8, 7, 3);
            }
        }
    }
    ForSideCells(r.iFirst, [&](int c) {
        if (AboveInletLevel(Corner1Level(c)) && Area(ValueAt(Csurfw, c)) > 1e-10) CellFace(fp, c, 1, 5, 8, 4);
    });
}

void FreeSideFaces(FILE* fp) {
    const BlockRecord& r = BlockTable[1];
    for (int i = r.iFirst; i <= r.iLast; ++i) {
        for (int c : ColumnCells(i, r.jFirst)) {
            if (FreeSouthSide(c, r.jFirst)) CellFace(fp, c, 1, 5, 6, 2);
        }
    }
    for (int i = r.iFirst; i <= r.iLast; ++i) {
        for (int c : ColumnCells(i, r.jLast)) {
            if (FreeNorthSide(c, r.jLast)) CellFace(fp, c, 4, 8, 7, 3);
        }
    }
}

void WritePatches(FILE* fp) {
    std::fprintf(fp, "patches    \n%c\n", '(');
    Patch(fp, "        symmetryPlane freeSurface", [fp] {
        for (int c = 1; c <= NoCells; ++c) {
            if (ValueAt(Ccellt, c) == 0) CellFace(fp, c, 5, 6, 7, 8);
        }
    });
    Patch(fp, "        patch inlet", [fp] {
        if (PatchesFromGroups()) {
            for (int s : GroupSurfaces(1)) {
                if (Area(s) > 1e-10 && SurfaceLevel(s) < OpenFoamInletLevel) SurfaceFace(fp, s, 4, 3, 2, 1);
            }
            return;
        }
        ForSideCells(BlockTable[1].iFirst, [fp](int c) {
            const int s = ValueAt(Csurfw, c);
            if (Corner1Level(c) < OpenFoamInletLevel && !IsWall(s) && Area(s) > 1e-8) CellFace(fp, c, 1, 5, 8, 4);
        });
    });
    Patch(fp, "        patch outlet1", [fp] { OutletFaces(fp, false); });
    if (HasOutlet2()) Patch(fp, "        patch outlet2", [fp] { OutletFaces(fp, true); });
    Patch(fp, "        wall fixedBedSides ", [fp] { WallFaces(fp); });
    // Symmetry rather than a symmetry plane: the two sides together are not
    // one plane, which OpenFOAM refuses for a symmetry plane.
    if (FreeSidesPatch()) Patch(fp, "        symmetry freeSides ", [fp] { FreeSideFaces(fp); });
    std::fprintf(fp, "%c%c\n\n", ')', ';');
}

void WriteBlockMeshDict(FILE* fp) {
    std::fprintf(fp, "/* OpenFOAM grid file from RIVAX 2 %s */\n\n", Title + 1);
    std::fprintf(fp, "FoamFile \n{\n");
    std::fprintf(fp, "    version      2.0;\n");
    std::fprintf(fp, "    format       ascii;\n\n");
    std::fprintf(fp, "    root         %c%c;\n", '"', '"');
    std::fprintf(fp, "    case         %c%c;\n", '"', '"');
    std::fprintf(fp, "    instance     %c%c;\n", '"', '"');
    std::fprintf(fp, "    local        %c%c;\n\n", '"', '"');
    std::fprintf(fp, "    class        dictionary;\n");
    std::fprintf(fp, "    object       blockMeshDict;\n}\n\n");
    std::fprintf(fp, "%s", kSeparator);
    std::fprintf(fp, "convertToMeters 1.0;\n\n");
    std::fprintf(fp, "vertices        \n%c\n", '(');
    for (int p = 1; p <= NoPoints; ++p) {
        std::fprintf(fp, "     %c%lf %lf %lf%c\n", '(', ValueAt(Px1, p), ValueAt(Py1, p), ValueAt(Pz1, p), ')');
    }
    std::fprintf(fp, "%c%c\n\n", ')', ';');
    std::fprintf(fp, "blocks      \n(\n");
    for (int c = 1; c <= NoCells; ++c) {
        int corner[9];
        for (int k = 1; k <= 8; ++k) corner[k] = ValueAt(*kCellCorners[k], c) - 1;
        std::fprintf(fp, "     hex (%d %d %d %d %d %d %d %d)  (1 1 1) simpleGrading (1 1 1)\n", corner[1], corner[2],
                     corner[3], corner[4], corner[5], corner[6], corner[7], corner[8]);
    }
    std::fprintf(fp, "%c%c\n\n", ')', ';');
    std::fprintf(fp, "edges \n%c\n%c%c\n\n", '(', ')', ';');
    WritePatches(fp);
    std::fprintf(fp, "mergePatchPairs\n%c\n%c%c\n\n", '(', ')', ';');
    std::fprintf(fp, "\n\n");
    std::fprintf(fp, "//**************************************************************//\n\n");
}

// Inlet and outlet areas: x and y components of the west faces of the inlet
// side below the inlet level, and of the east faces of the outlet side below
// and above the outlet-2 level.
struct SideAreas {
    double inX = 0, inY = 0, out1X = 0, out1Y = 0, out2X = 0, out2Y = 0;
};

SideAreas ComputeSideAreas() {
    SideAreas a;
    const BlockRecord& r = BlockTable[1];
    if (r.jFirst > r.jLast) return a;
    ForSideCells(r.iFirst, [&](int c) {
        if (Corner1Level(c) >= OpenFoamInletLevel) return;
        const int s = ValueAt(Csurfw, c);
        a.inX += ValueAt(Fareax, s);
        a.inY += ValueAt(Fareay, s);
    });
    ForSideCells(r.iLast, [&](int c) {
        const int s = ValueAt(Csurfe, c);
        const double level = Corner1Level(c);
        if (level < OpenFoamOutlet2Level) {
            a.out1X += ValueAt(Fareax, s);
            a.out1Y += ValueAt(Fareay, s);
        } else if (level > OpenFoamOutlet2Level) {
            a.out2X += ValueAt(Fareax, s);
            a.out2Y += ValueAt(Fareay, s);
        }
    });
    return a;
}

// The velocity that carries the inflow discharge (l/s) through an area; 0
// when the side has no faces, where the quotient would not be a number that
// OpenFOAM can read.
double SideVelocity(double area) {
    const double q = 0.001 * DischargeGroups[1].discharge;
    return area != 0.0 ? q / area : 0.0;
}

// One entry of a field's boundaryField.
struct PatchEntry {
    const char* patch;
    std::string body;  // the lines between the braces
};

std::string TypeLine(const char* type) {
    char line[96];
    std::snprintf(line, sizeof line, "        type            %s;\n", type);
    return line;
}

std::string ValueLine(const char* value) { return std::string("        value           ") + value + ";\n"; }

struct FieldFile {
    const char* name;
    const char* cls;
    const char* dimensions;
    std::function<void(FILE*)> internalField;
    std::vector<PatchEntry> patches;  // outlet2 only where it exists
};

void WriteField(FILE* fp, const FieldFile& f) {
    const bool vector = std::string(f.name) == "U";
    std::fprintf(fp, "/* OpenFOAM %s file from RIVAX 2 %s */\n\n", f.name, Title + 1);
    if (vector) {
        const SideAreas a = ComputeSideAreas();
        std::fprintf(fp, "/* Inlet area_x: %20.12lf m2, area_y: %20.12lf m2 */\n", a.inX, a.inY);
        std::fprintf(fp, "/* Outlet area1_x: %20.12lf m2, outlet area1_y: %20.12lf m2 (lower) */\n", a.out1X, a.out1Y);
        std::fprintf(fp, "/* Outlet area2_x: %20.12lf m2, outlet area2_y: %20.12lf m2 (upper) */\n", a.out2X, a.out2Y);
        std::fprintf(fp, "/* Use the area information when giving the velocities in the inlet and outlet */\n");
        std::fprintf(fp, "/* sections below, by computing the velocity as discharge divided by area.     */\n\n");
    }
    std::fprintf(fp, "FoamFile \n{\n");
    std::fprintf(fp, "    version      2.0;\n");
    std::fprintf(fp, "    format       ascii;\n");
    std::fprintf(fp, "    class        %s;\n", f.cls);
    if (!vector) std::fprintf(fp, "    location     %c0%c;\n", '"', '"');
    std::fprintf(fp, "    object       %s;\n}\n\n", f.name);
    std::fprintf(fp, "%s", kSeparator);
    std::fprintf(fp, "dimensions      %s;\n\n", f.dimensions);
    f.internalField(fp);
    std::fprintf(fp, "boundaryField\n{\n");
    for (const PatchEntry& e : f.patches) {
        if (std::string(e.patch) == "outlet2" && !HasOutlet2()) continue;
        std::fprintf(fp, "    %s\n    {\n%s    }\n", e.patch, e.body.c_str());
    }
    // Every field needs an entry for every patch the mesh has.
    if (FreeSidesPatch()) std::fprintf(fp, "    freeSides\n    {\n%s    }\n", TypeLine("symmetry").c_str());
    std::fprintf(fp, "    defaultFaces\n    {\n        type            empty;\n    }\n}\n");
    std::fprintf(fp, "\n%s", kSeparator);
}

// Water below the middle of the channel's length, in the bed layer.
void WriteWaterFraction(FILE* fp) {
    double maxX = -1e30, maxZ = -1e30;
    for (int c = 1; c <= NoCells; ++c) {
        if (ValueAt(Ccellb, c) != 0) continue;
        maxX = std::max(maxX, ValueAt(Cxcenter, c));
        maxZ = std::max(maxZ, ValueAt(Czcenter, c));
    }
    std::fprintf(fp, "internalField   nonuniform List<scalar>\n%d\n(", NoCells);
    const double zLimit = maxZ + ValueAt(Ckdist, 1);
    for (int c = 1; c <= NoCells; ++c) {
        const bool water = ValueAt(Cxcenter, c) < 0.5 * maxX && ValueAt(Czcenter, c) < zLimit;
        std::fprintf(fp, water ? "\n1" : "\n0");
    }
    std::fprintf(fp, ")\n;\n\n");
}

std::function<void(FILE*)> Uniform(const char* value) {
    return [value](FILE* fp) { std::fprintf(fp, "internalField   uniform %s;\n\n", value); };
}

std::string VelocityBody(double u) {
    char line[96];
    std::snprintf(line, sizeof line, "        value           uniform (%lf 0 0);\n", u);
    return TypeLine("fixedValue") + line;
}

std::vector<FieldFile> FieldFiles() {
    const SideAreas a = ComputeSideAreas();
    const std::string zeroGradient = TypeLine("zeroGradient"), symmetryPlane = TypeLine("symmetryPlane");
    const auto typed = [](const char* type, const char* value) { return TypeLine(type) + ValueLine(value); };
    return {
        {"alpha1", "volScalarField", "[0 0 0 0 0 0 0]", WriteWaterFraction,
         {{"fixedBedSides", zeroGradient},
          {"freeSurface", symmetryPlane},
          {"inlet", TypeLine("inletOutlet") + "        inletValue      uniform 1;\n" + ValueLine("uniform 1")},
          {"outlet1", zeroGradient},
          {"outlet2", zeroGradient}}},
        {"U", "volVectorField", "[0 1 -1 0 0 0 0]", Uniform("(0.01 0 0)"),
         {{"freeSurface", symmetryPlane},
          {"fixedBedSides", typed("fixedValue", "uniform (0 0 0)")},
          {"inlet", VelocityBody(SideVelocity(a.inX))},
          {"outlet1", VelocityBody(SideVelocity(a.out1X))},
          {"outlet2", typed("fixedValue", "uniform (0 0 0)")}}},
        {"k", "volScalarField", "[0 2 -2 0 0 0 0]", Uniform("0.375"),
         {{"fixedBedSides", typed("kqRWallFunction", "uniform 0.375")},
          {"freeSurface", symmetryPlane},
          {"inlet", typed("fixedValue", "uniform 0.375")},
          {"outlet1", zeroGradient},
          {"outlet2", zeroGradient}}},
        {"epsilon", "volScalarField", "[0 2 -3 0 0 0 0]", Uniform("14.0"),
         {{"fixedBedSides", typed("epsilonWallFunction", "uniform 0.375")},
          {"freeSurface", symmetryPlane},
          {"inlet", typed("fixedValue", "uniform 14.0")},
          {"outlet1", zeroGradient},
          {"outlet2", zeroGradient}}},
        {"nut", "volScalarField", "[0 2 -1 0 0 0 0]", Uniform("0"),
         {{"fixedBedSides", typed("nutkWallFunction", "uniform 0")},
          {"freeSurface", symmetryPlane},
          {"inlet", typed("calculated", "uniform 0")},
          {"outlet1", typed("calculated", "uniform 0")},
          {"outlet2", typed("calculated", "uniform 0")}}},
        {"p_rgh", "volScalarField", "[1 -1 -2 0 0 0 0]", Uniform("0"),
         {{"fixedBedSides", typed("buoyantPressure", "uniform 0")},
          {"freeSurface", symmetryPlane},
          {"inlet", typed("buoyantPressure", "uniform 0")},
          {"outlet1", typed("buoyantPressure", "uniform 0")},
          {"outlet2", typed("buoyantPressure", "uniform 0")}}},
    };
}

void WriteLevels(FILE* fp) {
    std::fprintf(fp, "Cell no.     levels[m]\n");
    for (int c = 1; c <= NoCells; ++c) std::fprintf(fp, "%d    %lf\n", c, ValueAt(Czcenter, c));
}

// Where the files go: all into the working directory, or laid out as an
// OpenFOAM case under a case directory (the mesh description in `system`, the
// start fields in `0`).
std::string CaseDirectory;

std::string CasePath(const char* subdirectory, const std::string& name) {
    if (CaseDirectory.empty()) return name;
    return CaseDirectory + "/" + subdirectory + name;
}

void WriteCaseFile(const std::string& name, const std::string& shown, const std::function<void(FILE*)>& body) {
    if (!WriteOutputFile(name, body)) FailOutputFile(name, shown);
}

void WriteCase() {
    WriteCaseFile(CasePath("system/", "blockMeshDict"), "polyMeshDict", WriteBlockMeshDict);
    for (const FieldFile& f : FieldFiles()) {
        WriteCaseFile(CasePath("0/", f.name), f.name, [&f](FILE* fp) { WriteField(fp, f); });
    }
    WriteCaseFile(CasePath("", "levels"), "levels", WriteLevels);
}

}  // namespace

int WriteOpenFoamCase() {
    CaseDirectory.clear();
    WriteCase();
    return 0;
}

int WriteOpenFoamCaseIn(const std::string& caseDirectory) {
    CaseDirectory = caseDirectory;
    struct Restore {
        ~Restore() { CaseDirectory.clear(); }
    } restore;
    WriteCase();
    return 0;
}
