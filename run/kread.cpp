// The `control` reader: defaults, the two passes over the file, the checks of
// combinations, the structured allocation and the start values of the grid.
#include "run/kread.h"

#include <omp.h>

#include <cmath>
#include <cstdio>

#include "grid/grid_data.h"
#include "run/control_reader.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/run_services.h"
#include "run/text_input.h"

namespace {

constexpr const char* kControlFile = "control";
constexpr int kByteEndOfPass = 255;

// Skips the white space after a data-set number (the letters H, K, P and W).
void SkipSpace(FILE* fp) { (void)std::fscanf(fp, " "); }

void DispatchF(int n, FILE* fp) {
    if (n >= 1 && n <= 49) {
        ReadDataSetF1(n, fp);
    } else if (n >= 50 && n <= 99) {
        ReadDataSetF50(n, fp);
    } else if (n >= 100 && n <= 149) {
        ReadDataSetF100(n, fp);
    } else if (n >= 150 && n <= 199) {
        ReadDataSetF150(n, fp);
    } else if (n >= 200 && n <= 249) {
        ReadDataSetF200(n, fp);
    } else if (n >= 250 && n <= 299) {
        ReadDataSetF250(n, fp);
    } else if (n >= 300 && n <= 355) {
        ReadDataSetF300(n, fp);
    }
}

// Reads the number(s) of a first-pass data set and runs its handler. False
// when the number cannot be read: the letter is then an ordinary byte, so
// prose such as "Flow" creates no data set.
bool FirstPassDataSet(int letter, FILE* fp) {
    int n = 0, m = 0;
    CurrentDataSet = DataSetId{static_cast<char>(letter), 0, 0};
    if (letter == 'T') {
        ReadDataSetT(fp);
        return true;
    }
    if (!ReadInt32(fp, &n)) return false;
    CurrentDataSet.number = n;
    switch (letter) {
        case 'F': DispatchF(n, fp); break;
        case 'G': ReadDataSetG(n, fp); break;
        case 'H': SkipSpace(fp); if (n <= 14) ReadDataSetH(n, fp); break;
        case 'I': ReadDataSetI(n, fp); break;
        case 'K': SkipSpace(fp); ReadDataSetK(n, fp); break;
        case 'L': ReadDataSetL(n, fp); break;
        case 'M': ReadDataSetM(n, fp); break;
        case 'N':
            if (!ReadInt32(fp, &m)) return false;
            CurrentDataSet.number2 = m;
            ReadDataSetN(n, m, fp);
            break;
        case 'P': SkipSpace(fp); ReadDataSetP(n, fp); break;
        case 'Q':
            if (!ReadInt32(fp, &m)) return false;
            CurrentDataSet.number2 = m;
            ReadDataSetQ(n, m, fp);
            break;
        case 'S': ReadDataSetS(n, fp); break;
        case 'W': SkipSpace(fp); ReadDataSetW(n, fp); break;
        default: return false;
    }
    RefuseWithoutValues();
    return true;
}

bool IsFirstPassLetter(int c) {
    switch (c) {
        case 'F': case 'G': case 'H': case 'I': case 'K': case 'L': case 'M':
        case 'N': case 'P': case 'Q': case 'S': case 'T': case 'W':
            return true;
        default:
            return false;
    }
}

void DropBytes(FILE* fp, int count) {
    for (int k = 0; k < count; ++k) {
        if (std::getc(fp) == EOF) return;
    }
}

// The second pass takes only B data sets; F 2, F 7 and T carry free text
// that must not be mistaken for one.
void SecondPassByte(int c, FILE* fp) {
    int n;
    switch (c) {
        case 'F':
            if (ReadInt32(fp, &n) && (n == 2 || n == 7)) DropBytes(fp, 10);
            break;
        case 'T':
            DropBytes(fp, 30);
            break;
        case 'B':
            if (ReadInt32(fp, &n)) {
                CurrentDataSet = DataSetId{'B', n, 0};
                ReadDataSetB(n, fp);
                RefuseWithoutValues();
            }
            break;
        default:
            break;
    }
}


// Least and greatest bed level of `geodata` give the default water level and
// the default vertical distribution when no W 1 data set sets them.
void ScanGeodataLevels() {
    InputFile geodata("geodata");
    if (!geodata) return;
    double zmin = 1e20, zmax = -1e20;
    long points = 0;
    double x, y, z;
    while (points < kGeodataScanLimit && std::fscanf(geodata.get(), "E %lf %lf %lf\n", &x, &y, &z) == 3) {
        ++points;
        if (!std::isfinite(z)) continue;
        if (z < zmin) zmin = z;
        if (z > zmax) zmax = z;
    }
    if (zmin > zmax) {
        LogAppend("Warning: no bed points could be read from the geodata file; "
                  "the default water level and vertical distribution are kept\n");
        return;
    }
    InitialWaterLevel = zmax + 1.0;
    for (int k = 0; k <= 10; ++k) zdistrib[1 + k] = zmin + k / 10.0 * (zmax - zmin);
}

void StartStructuredGrid() {
    if (!Gridx.exists() || !Gridy.exists() || !Gridz.exists() || !GridLevels.exists()) return;
    const int nz = NoGridLinesZ;
    for (int i = 1; i <= NoGridLinesX + 1; ++i) {
        for (int j = 1; j <= NoGridLinesY + 1; ++j) {
            Gridx[i][j] = i;
            Gridy[i][j] = j;
            for (int k = 1; k <= nz; ++k) Gridz[i][j][k] = (k - 1) * InitialWaterLevel / (nz - 1);
            Gridz[i][j][nz + 1] = Gridz[i][j][nz];
            GridLevels[3][i][j] = Gridz[i][j][1] - 10;
            if (LayerBlockOption > 0) GridLevels[6][i][j] = 0;
        }
    }
}

}  // namespace

void StoreAllDefaults() {
    StoreDefaultsF1();
    StoreDefaultsF50();
    StoreDefaultsF100();
    StoreDefaultsF150();
    StoreDefaultsF200();
    StoreDefaultsF250();
    StoreDefaultsF300();
    StoreDefaultsG();
    StoreDefaultsK();
    StoreDefaultsW();
    StoreDefaultsLetters();
    StoreDefaultsQ();
    StoreRunStateStartValues();
}

void RecheckAgainstFinalSizes() {
    RecheckDataSetsG();
    RecheckDataSetsF100();
    RecheckDataSetsW();
    RecheckDataSetsF200();
    RecheckDataSetsLetters();
    RecheckDataSetsQ();
}

void FirstPass(FILE* fp) {
    for (int steps = 0; steps < kFirstPassBudget; ++steps) {
        int c = std::getc(fp);
        if (c == EOF || c == kByteEndOfPass) break;
        if (IsFirstPassLetter(c)) FirstPassDataSet(c, fp);
    }
}

void SecondPass(FILE* fp) {
    for (int steps = 0; steps < kSecondPassBudget; ++steps) {
        int c = std::getc(fp);
        if (c == EOF || c == kByteEndOfPass) break;
        SecondPassByte(c, fp);
    }
}

void kread() {
    if (!LogCreate()) FailLogUnavailable();
    {
        InputFile control(kControlFile, "r", InputFile::kOpenDirectory);
        if (!control) {
            SetStatusText("cannot open file 'control' ");
            FailWithLog(-4, "Error, cannot open file 'control'\n");
        }
        SetStatusText(" Reading data file    ");
        SetModuleName(" In kread         ");
        LogAppend("RIVAX 2 2013 output file.\n");
        LogAppend("In kread \n\n");

        StoreAllDefaults();
        FirstPass(control.get());
        // A directory of that name, or a read error, looks like an empty
        // file to the pass: nothing would run and the run would end cleanly.
        if (std::ferror(control.get())) {
            SetStatusText("cannot open file 'control' ");
            FailWithLog(-4, "Error, cannot open file 'control'\n");
        }
    }
    RecheckAgainstFinalSizes();

    if (!W1Given) ScanGeodataLevels();
    LogAppend("TurbulenceModel = %d (F 24)\n", TurbulenceModel);

    if (NoThreads == 0) {
        omp_set_num_threads(1);
        omp_set_dynamic(0);
    }
    LogAppend("Number of threads: %d (F 206)\n", NoThreads);

    CheckBeforeAllocation();
    if (AllocateStructuredArrays() != 0) FailWithLog(-3, "Could not allocate enough memory");
    if (!LogAvailable()) FailLogUnavailable();

    CheckAfterAllocation();

    {
        InputFile control(kControlFile, "r", InputFile::kOpenDirectory);
        if (!control) {
            SetStatusText("cannot open file 'control' ");
            EndRun(-3);
        }
        SecondPass(control.get());
    }

    StartStructuredGrid();
    ReadCyclicFile();
    ReadInflowFile();
    ClearTimeoRecords();
    ReadInspaceFile();
    SetStatusText(" Have read data file    ");
}

// Without sediment sizes (G 1 or F 79 with 0) there are no fractions to sum.
void CheckGrainFractionSum() {
    if (NoSizes <= 0) return;
    double sum = 0.0;
    for (int s = 1; s <= NoSizes && s <= kMaxSizes; ++s) sum += GrainFractions[0][s];
    if (std::fabs(sum - 1.0) > 1e-4) {
        LogAppend("Error, N - data sets : Sum of fractions = %e\n", sum);
        FailWithLog(-4, "Number of N data sets read: %d\n\n", NoNDataSets);
    }
}

void CheckBeforeAllocation() {
    if (NoNDataSets == 0) {
        char name[64];
        if (MpiPart != 0) {
            std::snprintf(name, sizeof name, "fracres.mpi%d", MpiPart);
        } else {
            std::snprintf(name, sizeof name, "fracres");
        }
        InputFile fracres(name);
        if (fracres) NoNDataSets = -1;
        if (NoNDataSets == 0 && FlagTSC > 0 && NoSizes > 1) {
            LogAppend("For sediment computations (F 37) it is necessary to specify N data sets\n");
            FailWithLog(-1, "in the control file, or use a 'fracres' file with an 'O' in the F 2 data set\n");
        }
    }
    // The face-based laws know the rough, smooth and transitional laws only;
    // another law (or none, F 120) with them is refused once every data set
    // has been read, whichever came last.
    if (!FaceWallLawSupported()) {
        FailWithLog(-1, "The combination F 305 1 and F 15 %d has no wall law: use F 15 0, 5 or 8 with F 305 1\n",
                    WallLaw);
    }
    if (F7EFlag == 1 && NoThreads > 0) {
        LogAppend("The combination F 206 > 0 and F 7 E will give inconsistent results in the\n");
        FailWithLog(-1, "pressure-correction function\n\n");
    }
    if (MultigridChoice > 0 && FreeSurfaceOption >= 13 && FreeSurfaceOption <= 19) {
        LogAppend("The combination of values on the F 168 and F 36 data sets in the control file \n");
        LogAppend("will not work. It is recommended to set the F 168 data set to zero when using \n");
        FailWithLog(-1, "your choise of F 36 data set.\n\n");
    }
}

void CheckAfterAllocation() {
    if (NoG7Records < 0) {
        LogAppend("Input error for G 7 in control\n");
        FailWithLog(-1, "Error = %d\n", NoG7Records);
    }
    if (FlagTSC > 0 && GridAlgorithm == 0) {
        LogAppend("Error in control file: When the F 37 data set is used, the F 64 data set must also be given\n");
        FailWithLog(-1, "Often F 64 11 is used in combination with F 37\n");
    }
    if (BedChangeRoutine > 0 && (BedChangeVariant > 0 || BankFailureOption > 0 || F144Option > 0)) {
        FailWithLog(-1, "Error in control file: Remove the F 255 data set when using one of the F 144, F 205 or "
                        "F 266 data sets\n");
    }
    if (std::fabs(ArtificialViscosity) > 1e-20) LogAppend("Warning: using artificial viscosity of %e\n", ArtificialViscosity);
    if (F23Value1 > 1e-10) LogAppend("Using accellertated deposition routine\n");
    CheckGrainFractionSum();
}
