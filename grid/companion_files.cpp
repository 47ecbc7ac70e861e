// Readers and writers of the node and column files beside the grid file.
#include "grid/companion_files.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include "grid/grid_data.h"
#include "grid/grid_services.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/output_file.h"
#include "run/status.h"
#include "run/text_input.h"
#include "sediment/sediment_data.h"
#include "surface/surface_services.h"

namespace {

using File = std::unique_ptr<FILE, int (*)(FILE*)>;

File Open(const std::string& name) { return File(OpenInputFile(name.c_str()), std::fclose); }

// A name with a partition number in it: `pattern` holds one "%d".
std::string Formatted(const std::string& pattern, int n) {
    const size_t at = pattern.find("%d");
    return pattern.substr(0, at) + std::to_string(n) + pattern.substr(at + 2);
}

// The partition name when this run reads one partition of a split grid.
std::string InputName(const char* plain, const char* partition) {
    return MpiPart != 0 && PartitionRunFlag != 1 ? Formatted(partition, MpiPart) : plain;
}

long LineLimit() { return 5L * NoGridLinesX * NoGridLinesY; }

bool OnGrid(int i, int j) { return i >= 0 && j >= 0 && i <= NoGridLinesX + 1 && j <= NoGridLinesY + 1; }
bool Interior(int i, int j) { return i > 0 && j > 0 && i < NoGridLinesX && j < NoGridLinesY; }

double Bed(int i, int j) { return Gridz[i][j][1]; }
double WaterLevel(int i, int j) { return Gridz[i][j][NoGridLinesZ]; }

// The larger of the x and y extents of the nodes of the blocks.
double NodeExtent() {
    double x0 = 1e300, x1 = -1e300, y0 = 1e300, y1 = -1e300;
    for (int b = 1; b <= NoBlocks; ++b) {
        const BlockRecord& r = BlockTable[b];
        for (int i = std::max(r.iFirst - 1, 0); i <= r.iLast; ++i) {
            for (int j = std::max(r.jFirst - 1, 0); j <= r.jLast; ++j) {
                x0 = std::min(x0, Gridx[i][j]);
                x1 = std::max(x1, Gridx[i][j]);
                y0 = std::min(y0, Gridy[i][j]);
                y1 = std::max(y1, Gridy[i][j]);
            }
        }
    }
    return x1 < x0 ? 0.0 : std::max(x1 - x0, y1 - y0);
}

// One koomin-style file: points checked against the nodes, levels kept at or
// below the bed unless F 249 allows them above.
int ReadKoominLevels(FILE* fp, const char* label, bool sixValues, double tol) {
    const std::string name = label;
    int i = 0, j = 0;
    double x = 0, y = 0, z = 0, unused = 0;
    for (long line = 0; line < LineLimit(); ++line) {
        const int want = sixValues ? 6 : 5;
        const int got = sixValues ? std::fscanf(fp, "%d %d %lf %lf %lf %lf", &i, &j, &x, &y, &z, &unused)
                                  : std::fscanf(fp, "%d %d %lf %lf %lf", &i, &j, &x, &y, &z);
        if (got != want) break;
        // A point that is not a number compares as equal to every node.
        if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z) || !std::isfinite(unused)) {
            RefuseNotFiniteValue(fp, name, kUnstrucBadFile);
        }
        if (!LevelInRange(z)) RefuseLevel(fp, name, kUnstrucBadFile, z);
        if (!OnGrid(i, j)) continue;
        if (std::fabs(x - Gridx[i][j]) > tol || std::fabs(y - Gridy[i][j]) > tol) {
            LogAppend("Error in %s file for point (%d,%d)\n", label, i, j);
            LogAppend("X-values: grid: %lf, koomin: %lf\n", Gridx[i][j], x);
            LogAppend("Y-values: grid: %lf, koomin: %lf\n", Gridy[i][j], y);
            return -58;
        }
        if (z > Bed(i, j)) {
            LogAppend("Warning, %s levels above koordina levels at grid line intersection (%d,%d).\n", label, i, j);
            if (F249Option == 0) {
                LogAppend("Lowering %s level from %lf m. to %lf m. at this point.\n", label, z, Bed(i, j));
                z = Bed(i, j);
            }
        }
        GridLevels[3][i][j] = z;
        if (LayerBlockOption > 0) GridLevels[5][i][j] = z + 0.1;
    }
    return 0;
}

// Node ranges of blocks not set up (no blocks yet) stay on the grid.
int ClipI(int i) { return std::clamp(i, 0, NoGridLinesX + 1); }
int ClipJ(int j) { return std::clamp(j, 0, NoGridLinesY + 1); }

void WriteNodes6(FILE* fp, int i0, int i1, int j0, int j1) {
    for (int i = ClipI(i0); i <= std::min(i1, NoGridLinesX + 1); ++i) {
        for (int j = ClipJ(j0); j <= std::min(j1, NoGridLinesY + 1); ++j) {
            std::fprintf(fp, "%d %d %lf %lf %lf %lf\n", i, j, Gridx[i][j], Gridy[i][j], Bed(i, j), WaterLevel(i, j));
        }
    }
}

void WriteBlockNodes5(FILE* fp, const BlockRecord& b, int jShift) {
    for (int i = ClipI(b.iFirst - 1); i <= std::min(b.iLast, NoGridLinesX + 1); ++i) {
        for (int j = ClipJ(b.jFirst - 1); j <= std::min(b.jLast, NoGridLinesY + 1); ++j) {
            std::fprintf(fp, "%d %d %lf %lf %lf\n", i, j - jShift, Gridx[i][j], Gridy[i][j], Bed(i, j));
        }
    }
}

bool WriteSi1() {
    return WriteOutputFile("koordina.si1", [](FILE* fp) { WriteBlockNodes5(fp, BlockTable[1], 0); });
}

// The level where the volume fraction of column (i, j) crosses one half.
double Alpha1Level(int i, int j, double current) {
    const int bottom = static_cast<int>(Gridz[i][j][0]);
    if (bottom <= 0 || bottom > NoCells) return current;
    if (conc[0][bottom] < 0.5) return Bed(i, j);
    for (int c = bottom, steps = 0; c > 0 && c <= NoCells && steps <= NoCells; c = Ccellt[c], ++steps) {
        const int up = Ccellt[c];
        if (up <= 0 || up > NoCells) break;
        const double a = conc[0][c], above = conc[0][up];
        if (a > 0.5 && above < 0.5) {
            const double w = (a - 0.5) / (a - above);
            return (1.0 - w) * Czcenter[c] + w * Czcenter[up];
        }
    }
    return current;
}

}  // namespace

void ReadKoordinaFile() {
    const std::string name = InputName("koordina", "koordina.mpi%d");
    File fp = Open(name);
    if (!fp) {
        SetStatusText("have not used %s file ", name.c_str());
        return;
    }
    int i = 0, j = 0;
    double x = 0, y = 0, z = 0, w = 0;
    for (long line = 0; line < LineLimit(); ++line) {
        if (std::fscanf(fp.get(), "%d %d %lf %lf %lf %lf", &i, &j, &x, &y, &z, &w) != 6) break;
        if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z) || !std::isfinite(w)) {
            RefuseNotFiniteValue(fp.get(), name, kUnstrucBadFile);
        }
        if (!LevelInRange(z)) RefuseLevel(fp.get(), name, kUnstrucBadFile, z);
        if (!LevelInRange(w)) RefuseLevel(fp.get(), name, kUnstrucBadFile, w);
        if (!OnGrid(i, j)) continue;
        Gridx[i][j] = x;
        Gridy[i][j] = y;
        Gridz[i][j][1] = z;
        Gridz[i][j][NoGridLinesZ] = w;
        Gridz[i][j][NoGridLinesZ + 1] = w;
        GridLevels[0][i][j] = z;
    }
    if (RegenerateGridFlag == 0) {
        LogAppend("\n\nWarning: if you start a computation with a new water level given in the koordina file,\n");
        LogAppend("you should specify an F 112 1 option in the control file. Otherwise, the metric is not\n");
        LogAppend("correct initially.\n\n\n");
    }
}

int ReadKoominFile() {
    if (File fp = Open("koomink")) return ReadKoominLevels(fp.get(), "koomink", true, 1e-5 * NodeExtent());
    const std::string name = InputName("koomin", "koomin.mpi%d");
    if (File fp = Open(name)) return ReadKoominLevels(fp.get(), "koomin", false, 0.01);
    SetStatusText("Have not used %s file", name.c_str());
    for (int i = 1; i <= NoGridLinesX; ++i) {
        for (int j = 1; j <= NoGridLinesY; ++j) {
            double level = Bed(i, j) - 10.0;
            if (KoominMode == 41) level = Bed(i, j) - KoominDepth;
            if (KoominMode == 42) level = KoominLevel;
            GridLevels[3][i][j] = level;
            if (LayerBlockOption > 0) GridLevels[5][i][j] = std::max(level, 0.1);
        }
    }
    return 0;
}

void ReadBedroughFile() {
    const std::string name = InputName("bedrough", "bedrough.mpi%d");
    File fp = Open(name);
    if (!fp) {
        if (RoughnessOption == 1) FailWithLog(-5, "Error: bedrough file not found when using F 90 1\n\n");
        SetStatusText("have not used %s file ", name.c_str());
        return;
    }
    int i = 0, j = 0, count = 0;
    double ks = 0;
    for (long line = 0; line < LineLimit(); ++line) {
        if (std::fscanf(fp.get(), " B %d %d %lf", &i, &j, &ks) != 3) break;
        if (!std::isfinite(ks)) RefuseNotFiniteValue(fp.get(), name, kUnstrucBadFile);
        if (ks < 0.0) RefuseValueAtLine(fp.get(), name, kUnstrucBadFile, "a roughness height is negative");
        if (!Interior(i, j)) continue;
        GridBedRough[i][j] = ks;
        ++count;
    }
    LogAppend("Have read %d roughness points from bedrough file\n", count);
}

void ReadBedangleFile() {
    File fp = Open("bedangle");
    if (!fp) {
        SetStatusText("have not used 'bedangle' file ");
        return;
    }
    if (NoBedCells == 0) UpdateWaterColumnsAfterRegrid();
    auto column = [](int i, int j) {
        const int bottom = static_cast<int>(Gridz[i][j][0]);
        if (bottom <= 0 || bottom > NoCells) return 0;
        const int b = Cbedcell[bottom];
        return b > 0 && b <= NoBedCells ? b : 0;
    };
    for (int i = 2; i <= NoGridLinesX; ++i) {
        for (int j = 2; j <= NoGridLinesY; ++j) {
            const int b = column(i, j);
            if (b == 0) continue;
            BcotAngle1[b] = CotAngle1;
            BcotAngle2[b] = CotAngle2;
            BangleFactor[b] = AngleFactor;
            BslopeLimit[b] = MaxBedSlope;
        }
    }
    constexpr double kDegree = 0.01745277777777778;
    int i = 0, j = 0, count = 0;
    double a1 = 0, a2 = 0, factor = 0, a4 = 0;
    for (long line = 0; line < LineLimit(); ++line) {
        if (std::fscanf(fp.get(), "%d %d %lf %lf %lf %lf", &i, &j, &a1, &a2, &factor, &a4) != 6) break;
        if (!std::isfinite(a1) || !std::isfinite(a2) || !std::isfinite(factor) || !std::isfinite(a4)) {
            RefuseNotFiniteValue(fp.get(), "bedangle", kUnstrucBadFile);
        }
        if (!Interior(i, j)) continue;
        const int b = column(i, j);
        if (b != 0) {
            BcotAngle1[b] = 1.0 / std::tan(a1 * kDegree);
            BcotAngle2[b] = 1.0 / std::tan(a2 * kDegree);
            BangleFactor[b] = factor;
            BslopeLimit[b] = std::tan(a4 * kDegree);
        }
        ++count;
    }
    LogAppend("Have read %d bed angle data sets bedangle file\n", count);
    BedAngleFileOption = 2;
}

void ReadAlpha1File() {
    File fp = Open("alpha1");
    if (!fp) FailWithLog(-88, "Error: can not open alpha1 file\n");
    for (long n = 0; n < 100000; ++n) {
        const int ch = std::getc(fp.get());
        if (ch == EOF || ch == '>') break;
    }
    int count = 0;
    if (std::fscanf(fp.get(), "\n%d\n", &count) != 1) {
        FailWithLog(-89, "Error in reading number of cells from alpha 1 file\n");
    }
    if (count != NoCells) {
        FailWithLog(-89, "Error in reading alpha 1 file: number of cells is %d, not %d\n", count, NoCells);
    }
    std::fscanf(fp.get(), "(\n");
    for (int c = 1; c <= NoCells; ++c) {
        double a = 0;
        if (std::fscanf(fp.get(), "%lf\n", &a) != 1 || !std::isfinite(a)) {
            FailWithLog(-90, "Error in reading alpha 1 file at cell no. %d\n", c);
        }
        conc[0][c] = a;
    }
    const BlockRecord& b = BlockTable[1];
    const int top = NoGridLinesZ, fresh = NoGridLinesZ + 1;
    for (int i = b.iFirst; i <= b.iLast; ++i) {
        for (int j = b.jFirst; j <= b.jLast; ++j) {
            Gridz[i][j][fresh] = Alpha1Level(i, j, Gridz[i][j][top]);
        }
    }
    if (Alpha1PrintI > 0) {
        const int pi = Alpha1PrintI, pj = Alpha1PrintJ;
        LogAppend("water level alpha1(%d,%d): %lf\n", pi, pj, OnGrid(pi, pj) ? Gridz[pi][pj][fresh] : 0.0);
        return;
    }
    auto col = [&](int i, int j) { return Gridz[i][j][fresh]; };
    for (int i = b.iFirst; i <= b.iLast - 1; ++i) {
        for (int j = b.jFirst; j <= b.jLast - 1; ++j) {
            Gridz[i][j][top] = 0.25 * (col(i, j) + col(i + 1, j) + col(i, j + 1) + col(i + 1, j + 1));
        }
    }
    for (int i = b.iFirst; i <= b.iLast - 1; ++i) {
        Gridz[i][b.jFirst - 1][top] = 0.5 * (col(i, b.jFirst) + col(i + 1, b.jFirst));
        Gridz[i][b.jLast][top] = 0.5 * (col(i, b.jLast) + col(i + 1, b.jLast));
    }
    for (int j = b.jFirst; j <= b.jLast - 1; ++j) {
        Gridz[b.iFirst - 1][j][top] = 0.5 * (col(b.iFirst, j) + col(b.iFirst, j + 1));
        Gridz[b.iLast][j][top] = 0.5 * (col(b.iLast, j) + col(b.iLast, j + 1));
    }
    Gridz[b.iFirst - 1][b.jFirst - 1][top] = col(b.iFirst, b.jFirst);
    Gridz[b.iLast][b.jFirst - 1][top] = col(b.iLast, b.jFirst);
    Gridz[b.iFirst - 1][b.jLast][top] = col(b.iFirst, b.jLast);
    Gridz[b.iLast][b.jLast][top] = col(b.iLast, b.jLast);
    for (int i = b.iFirst - 1; i <= b.iLast - 1; ++i) {
        for (int j = b.jFirst - 1; j <= b.jLast - 1; ++j) Gridz[i][j][fresh] = Gridz[i][j][top];
    }
}

int WriteGridCompanionFiles() {
    const std::string bedName = MpiPart != 0 ? Formatted("koomin.mpi%d.bed", MpiPart) : "koomin.bed";
    const std::string tName = MpiPart != 0 ? Formatted("koordina.mpi%d.t", MpiPart) : "koordina.t";
    const int nx = NoGridLinesX - 1, ny = NoGridLinesY - 1;
    auto refuse = [](const std::string& name) {
        LogAppend("Error: can not write the file '%s'\n", name.c_str());
        SetStatusText("have not written '%s' file", name.c_str());
        return 1;
    };
    if (!WriteOutputFile(bedName, [&](FILE* fp) {
            for (int i = 1; i <= nx; ++i) {
                for (int j = 1; j <= ny; ++j) {
                    std::fprintf(fp, "%d %d %lf %lf %lf\n", i, j, Gridx[i][j], Gridy[i][j], Bed(i, j));
                }
            }
        })) {
        return refuse(bedName);
    }
    if (!WriteOutputFile(tName, [&](FILE* fp) { WriteNodes6(fp, 1, nx, 1, ny); })) return refuse(tName);
    if (MpiPart > 0) {
        const std::string mName = Formatted("koordina.mpi%d.m", MpiPart + 1);
        const BlockRecord& b = BlockTable[1];
        if (!WriteOutputFile(mName, [&](FILE* fp) { WriteNodes6(fp, b.iLast - 1, b.iLast, 1, ny); })) {
            return refuse(mName);
        }
    }
    if (!WriteSi1()) return refuse("koordina.si1");
    if (NoBlocks >= 2 &&
        !WriteOutputFile("koordina.si2", [](FILE* fp) { WriteBlockNodes5(fp, BlockTable[2], BlockTable[1].jLast); })) {
        return refuse("koordina.si2");
    }
    return 0;
}

void WriteKoosurfFiles() {
    if (NoBlocks < 1) return;
    const BlockRecord& b = BlockTable[NoBlocks];
    if (!WriteOutputFile("koosurf.1", [&](FILE* fp) { WriteNodes6(fp, b.iFirst - 1, b.iLast, b.jFirst - 1, b.jLast); })) {
        return;
    }
    WriteOutputFile("koosurf.2", [&](FILE* fp) {
            for (int j = ClipJ(b.jFirst - 1); j <= std::min(b.jLast, NoGridLinesY + 1); ++j) {
            for (int i = ClipI(b.iFirst - 1); i <= std::min(b.iLast, NoGridLinesX + 1); ++i) {
                std::fprintf(fp, "%d %d %lf %lf %lf %lf\n", i, j, Gridx[i][j], Gridy[i][j], Bed(i, j),
                             WaterLevel(i, j));
            }
        }
    });
}

int WriteKoosurfMpi() {
    if (MpiPart < 1 || NoBlocks < 1) return 0;
    if (MpiPart >= kDivisionMpiSize) {
        LogAppend("Error: %d partitions exceed the %d the partition boundaries hold\n", MpiPart, kDivisionMpiSize - 1);
        EndRun(kPartitionRefusedStatus);
    }
    const BlockRecord& b = BlockTable[1];
    if (divisionMPI[1] == -1 && MpiPart >= 2) {
        const int step = (b.iLast - b.iFirst) / MpiPart;
        for (int k = 1; k <= MpiPart - 1; ++k) divisionMPI[k] = b.iFirst - 1 + k * step;
    }
    divisionMPI[0] = b.iFirst;
    divisionMPI[MpiPart] = b.iLast;
    for (int p = 1; p <= MpiPart; ++p) {
        const int i0 = divisionMPI[p - 1] - 1, i1 = divisionMPI[p];
        const bool ok = WriteOutputFile(Formatted("koosurf.mpi%d", p), [&](FILE* fp) {
            for (int i = ClipI(i0); i <= std::min(i1, NoGridLinesX + 1); ++i) {
                for (int j = ClipJ(b.jFirst - 1); j <= std::min(b.jLast, NoGridLinesY + 1); ++j) {
                    std::fprintf(fp, "%d %d %lf %lf %lf %lf\n", i - i0 + 1, j, Gridx[i][j], Gridy[i][j], Bed(i, j),
                                 WaterLevel(i, j));
                }
            }
        });
        if (!ok) {
            LogAppend("Error: can not write the file 'koosurf.mpi%d'\n", p);
            EndRun(kOutputUnwritableStatus);
        }
    }
    return 0;
}

void WriteKoordinaNew() {
    const std::string name = MpiPart != 0 ? Formatted("koorina.mpi%d.new", MpiPart) : "koordina.new";
    const bool ok = WriteOutputFile(name, [](FILE* fp) {
        for (int i = 1; i <= NoGridLinesX; ++i) {
            for (int j = 1; j <= NoGridLinesY; ++j) {
                if (SurfaceUpdateFlag == 1) {
                    std::fprintf(fp, "%d %d %lf %lf %lf\n", i, j, Gridx[i][j], Gridy[i][j], Bed(i, j));
                } else {
                    std::fprintf(fp, "%d %d %lf %lf %lf %lf\n", i, j, Gridx[i][j], Gridy[i][j], Bed(i, j),
                                 WaterLevel(i, j));
                }
            }
        }
    });
    if (ok) WriteSi1();
}
