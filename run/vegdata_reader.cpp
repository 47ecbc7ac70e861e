// Vegetation: the `vegdata` profiles of each grid column, the vegetation
// parameter of every cell at the current time and the drag it puts on the
// momentum equations.
#include <cmath>
#include <cstdio>
#include <optional>
#include <vector>

#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/run_services.h"
#include "run/text_input.h"
#include "run/time_series.h"

namespace {

constexpr const char* kVegdataFile = "vegdata";
constexpr double kDragDensity = 1000.0;

// What the file held, for the checks after reading.
struct VegdataScan {
    bool uGiven = false;
    int profiles = 0;  // V and A data sets
    int lastLetter = ' ';
    int lastI = 0;
    int lastJ = 0;
};

// The column number of grid column (i, j) when it has cells, else 0.
int ColumnOf(int i, int j) {
    const int bottom = static_cast<int>(Gridz[i][j][0]);
    if (bottom <= 0 || bottom >= static_cast<int>(Cbedcell.size())) return 0;
    const int b = Cbedcell[bottom];
    return b > 0 && b < static_cast<int>(Bveg.extent1()) ? b : 0;
}

// A profile before the first T data set belongs to time step 0.
void ProfileTimeStep() {
    if (iTime < 0) iTime = 0;
}

void MarkFormat(int letter) {
    const bool levelsOnly = letter == 'V';
    if (VegFileFormat == 0) {
        VegFileFormat = levelsOnly ? 1 : 2;
    } else if ((levelsOnly && VegFileFormat == 2) || (!levelsOnly && VegFileFormat == 1)) {
        VegFileFormat = 3;
    }
}

// Reads i and j of a V, A or C data set; false ends the stretch.
bool ReadColumn(FILE* fp, int letter, VegdataScan& scan, int* i, int* j) {
    if (!ReadInt32(fp, i) || !ReadInt32(fp, j)) return false;
    scan.lastI = *i;
    scan.lastJ = *j;
    if (*i < 0 || *i > NoGridLinesX + 1 || *j < 0 || *j > NoGridLinesY + 1) {
        FailWithLog(-4, "Error in Vegdata file: the %c data set for cell (%d,%d) lies outside the grid\n", letter, *i,
                    *j);
    }
    return true;
}

void VegT(FILE* fp) {
    ++iTime;
    if (iTime >= VegTimeCount) {
        FailWithLog(-4, "Error in Vegdata file: number of time steps is larger than what is given on the F 201 data set\n");
    }
    if (!ReadFiniteReal(fp, &VegTimes[iTime])) {
        FailWithLog(-8, "Error in Vegdata file: no time on the T data set of time step %d\n", iTime + 1);
    }
}

void VegU(FILE* fp, VegdataScan& scan) {
    int nv = 0, nl = 0, nt = 0;
    const bool read = ReadInt32(fp, &nv) && ReadInt32(fp, &nl) && ReadInt32(fp, &nt);
    if (!read || nv != VegVariableCount || nl != VegLevelCount || nt != VegTimeCount) {
        FailWithLog(-5, "Error in Vegdata file: U data set does not correspond with F 201 data set in control file\n");
    }
    scan.uGiven = true;
}

// V or A: the levels of one column and the first variable at each level.
bool VegProfile(FILE* fp, int letter, VegdataScan& scan) {
    int i = 0, j = 0;
    if (!ReadColumn(fp, letter, scan, &i, &j)) return false;
    ++scan.profiles;
    ProfileTimeStep();
    MarkFormat(letter);
    const int n = VegLevelCount;
    std::vector<double> levels(static_cast<size_t>(n), 0.0), values(static_cast<size_t>(n), 0.0);
    for (double& x : levels) {
        if (!ReadFiniteReal(fp, &x)) {
            LogAppend("Error for cell (%d,%d) at time %d\n", i, j, iTime + 1);
            LogAppend("Have not read sufficient number of levels\n");
            break;
        }
    }
    for (double& x : values) {
        if (!ReadFiniteReal(fp, &x)) {
            LogAppend("Error for cell (%d,%d) at time %d\n", i, j, iTime + 1);
            FailWithLog(-8, "Have not read sufficient number of vegparam values\n");
        }
    }
    (void)std::fscanf(fp, " ");
    for (int l = 0; l + 1 < n; ++l) {
        if (!(levels[l] + 1e-10 < levels[l + 1])) {
            LogAppend("Error for cell (%d,%d) at time %d\n", i, j, iTime + 1);
            LogAppend("Levels must be given in rising order\n");
            FailWithLog(-8, "Lev[%d] = %lf, Lev[%d] = %lf\n", l, levels[l], l + 1, levels[l + 1]);
        }
    }
    if (const int b = ColumnOf(i, j); b > 0) {
        for (int l = 0; l < n; ++l) {
            Bveg[b][iTime][0][l] = levels[l];
            Bveg[b][iTime][1][l] = values[l];
        }
    }
    return true;
}

// C: the levels and every variable of one column.
bool VegComplete(FILE* fp, VegdataScan& scan) {
    int i = 0, j = 0;
    if (!ReadColumn(fp, 'C', scan, &i, &j)) return false;
    ProfileTimeStep();
    MarkFormat('C');
    const int b = ColumnOf(i, j);
    for (int v = 0; v <= VegVariableCount; ++v) {
        for (int l = 0; l < VegLevelCount; ++l) {
            double x = 0.0;
            if (!ReadFiniteReal(fp, &x)) {
                FailWithLog(-7, "Error in Vegdata file, line i=%d, j=%d, timestep=%d, var=%d, level=%d\n", i, j, iTime,
                            v, l);
            }
            if (b > 0) Bveg[b][iTime][v][l] = x;
        }
    }
    return true;
}

void ReadVegdataOnce() {
    InputFile file(kVegdataFile);
    if (!file) FailWithLog(-4, "Error: cannot open the file 'vegdata' (F 115 needs it)\n");
    FILE* fp = file.get();
    Cporosity.fill(0.0);
    iTime = -1;
    VegdataScan scan;
    auto dataSet = [fp, &scan](int letter) {
        scan.lastLetter = letter;
        switch (letter) {
            case 'T': VegT(fp); return true;
            case 'U': VegU(fp, scan); return true;
            case 'V':
            case 'A': return VegProfile(fp, letter, scan);
            case 'C': return VegComplete(fp, scan);
            default: return true;
        }
    };
    const long long stretches = static_cast<long long>(NoGridLinesX) * VegTimeCount * 4;
    const long long stretchBudget = static_cast<long long>(NoGridLinesY) * 40;
    for (long long s = 0; s < stretches; ++s) {
        if (ScanDataSets(fp, stretchBudget, "TUVAC", dataSet) == ScanEnd::EndOfFile) break;
    }
    VegdataReadFlag = 1;
    if (!scan.uGiven && (VegVariableCount != 1 || VegLevelCount != 4 || VegTimeCount != 1)) {
        FailWithLog(-6, "Error in Vegdata file, U data set is missing\n");
    }
    if (DebugOption == 'D') {
        LogAppend("Have read %d data sets from vegdata file\n", scan.profiles);
        LogAppend("Last parameters: %c %d %d\n", scan.lastLetter, scan.lastI, scan.lastJ);
    }
    if (VegTimeCount >= 2 && iTime + 1 != VegTimeCount) {
        LogAppend("Error in vegdata file: %d time steps given, while the\n", iTime + 1);
        FailWithLog(-8, "F 201 data set in the control file specifies %d data sets\n", VegTimeCount);
    }
}

// The first variable of a profile at level z: the lowest value below the
// lowest level, nothing at or above the top level, linear in between.
double ProfileValue(int b, int t, double z) {
    const int n = VegLevelCount;
    auto levels = Bveg[b][t][0];
    auto values = Bveg[b][t][1];
    if (z < levels[0]) return values[0];
    if (z >= levels[n - 1]) return 0.0;
    int k = 1;
    while (k < n - 1 && !(z < levels[k])) ++k;
    const double w = std::fmax(levels[k] - z, 0.0) / (levels[k] - levels[k - 1] + 1e-20);
    return values[k - 1] * w + values[k] * (1.0 - w);
}

// The time step in use and its weight against the one before.
void LocateVegetationTime() {
    iTime = 0;
    midt = 1.0;
    if (VegTimeCount <= 1) return;
    const std::optional<SeriesPoint> p = LocateInSeries(VegTimes.data(), VegTimeCount, stime);
    if (!p) return;
    iTime = p->upper;
    midt = 1.0 - p->lowerWeight;
}

void ReportPorosity(int c, int i, int j, int b) {
    LogAppend("Error in setting porosity: value (%d) = %le \n", c, Cporosity[c]);
    LogAppend("i=%d,j=%d,b=%d,nx=%d,ny=%d,iTime=%d\n", i, j, b, NoGridLinesX + 2, NoGridLinesY + 2, iTime);
    LogAppend("midt = %le,\n", midt);
    for (int l = 0; l < VegLevelCount && l <= 3; ++l) {
        LogAppend("Bveg[b][iTime][0][%d] = %le,Bveg[b][iTime][1][%d] = %le\n", l, Bveg[b][iTime][0][l], l,
                  Bveg[b][iTime][1][l]);
        if (iTime > 0) {
            LogAppend("Bveg[b][iTime-1][0][%d] = %le,Bveg[b][iTime-1][1][%d] = %le\n", l, Bveg[b][iTime - 1][0][l], l,
                      Bveg[b][iTime - 1][1][l]);
        }
    }
}

void SetCellPorosity() {
    const int cells = static_cast<int>(Cporosity.size());
    for (int i = 2; i <= NoGridLinesX + 1; ++i) {
        for (int j = 2; j <= NoGridLinesY + 1; ++j) {
            const int b = ColumnOf(i, j);
            if (b == 0) continue;
            // The climb is bounded so that a broken column cannot loop.
            int c = static_cast<int>(Gridz[i][j][0]);
            for (int steps = 0; c > 0 && c < cells && steps < cells; ++steps, c = Ccellt[c]) {
                const double z = Czcenter[c];
                Cporosity[c] = VegTimeCount <= 1 ? ProfileValue(b, 0, z)
                                                 : midt * ProfileValue(b, iTime, z) +
                                                       (1.0 - midt) * ProfileValue(b, iTime - 1, z);
                if (DebugOption == 'D' && (Cporosity[c] < -1e7 || Cporosity[c] > 1e6)) ReportPorosity(c, i, j, b);
            }
        }
    }
}

// The speed the drag acts on in the equation being assembled.
double DragVelocity(int c) {
    switch (Equation) {
        case 1: return Cu[c];
        case 2: return Cv[c];
        case 3: return Cw[c];
        default: return std::sqrt(Cu[c] * Cu[c] + Cv[c] * Cv[c]);
    }
}

// Option 1 makes the drag implicit in Cap; option 2 puts it into Csource,
// against the velocity, so that both retard the flow.
void AddVegetationDrag() {
    if (Equation > 3 || (Equation == 3 && VegetationOption == 2)) return;
    if (VegetationOption != 1 && VegetationOption != 2) return;
    for (int c = 1; c <= NoCells; ++c) {
        const double u = DragVelocity(c);
        const double area = VegFileFormat == 2 ? Farea[Csurfb[c]] : 1.0;
        const double k = kDragDensity * Ckdist[c] * Cporosity[c] * area;
        if (VegetationOption == 1) {
            Cap[c] += k * std::fabs(u);
        } else {
            Csource[c] -= k * u * std::fabs(u);
        }
    }
}

}  // namespace

void ReadVegdataFile() {
    if (!Cporosity.exists() || !Bveg.exists() || !VegTimes.exists()) return;
    if (VegdataReadFlag == 0) ReadVegdataOnce();
    LocateVegetationTime();
    SetCellPorosity();
    AddVegetationDrag();
}
