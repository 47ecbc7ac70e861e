// The optional boundary profile files read at the end of the control reader:
// `cyclic` (a vertical profile of U, k and epsilon), `inflow` (a table of
// U, V, W, k and epsilon over the inflow section) and `inspace` (sediment
// concentration polynomials of the inflow, fixed or in time).
#include <algorithm>
#include <cstdio>

#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/run_services.h"
#include "run/text_input.h"

namespace {

constexpr long kMaxInflowLines = 600000;
constexpr long kLargestInflowPoint = kInflowPoints - 2;  // 499
constexpr long kLargestInflowLevel = kInflowLevels - 2;  // 49
constexpr int kInflowValues = 5;
constexpr long long kInspaceBudget = 60000;
constexpr int kInspaceCoefficients = 10;
constexpr int kLargestInspaceSize = kInspaceSizes - 1;

bool ReadCyclicLine(FILE* fp, int* level, double* u, double* k, double* e) {
    const bool read = ReadInt32(fp, level) && ReadFiniteReal(fp, u) && ReadFiniteReal(fp, k) && ReadFiniteReal(fp, e);
    (void)std::fscanf(fp, " ");
    return read;
}

// One index of an inflow line, read wide so that no value is cut before the
// range checks see it.
bool ReadIndex(FILE* fp, long* value) { return std::fscanf(fp, "%ld", value) == 1; }

// The ten coefficients of one size; false with the number (1..10) of the
// first one missing.
bool ReadCoefficients(FILE* fp, double* row, int* missing) {
    for (int k = 1; k <= kInspaceCoefficients; ++k) {
        if (!ReadFiniteReal(fp, &row[k])) {
            *missing = k;
            return false;
        }
    }
    return true;
}

// The size of a B or C data set: it must be one of the run's sizes, and one
// of those the polynomial table holds.
enum class SizeCheck { Ok, NotASize, BeyondTable };

SizeCheck ReadInspaceSize(FILE* fp, int* s) {
    if (!ReadInt32(fp, s) || *s < 1 || *s > NoSizes) return SizeCheck::NotASize;
    if (*s > kLargestInspaceSize) return SizeCheck::BeyondTable;
    return SizeCheck::Ok;
}

[[noreturn]] void RefuseSizeBeyondTable(char letter, int s) {
    FailWithLog(-8, "Error in reading the inspace file: size %d on the %c data set is above the %d sizes the file can give\n",
                s, letter, kLargestInspaceSize);
}

void InspaceB(FILE* fp) {
    if (InspaceTimeCount != 0) {
        LogAppend("Error in inspace file or F 294 data set: The B data set in the inspace\n");
        FailWithLog(-12, "file can not be used with the F 294 data set in the control file\n");
    }
    int s = 0;
    switch (ReadInspaceSize(fp, &s)) {
        case SizeCheck::NotASize:
            FailWithLog(-8, "Error in reading the inspace file, not correct first integer on the B data set\n");
        case SizeCheck::BeyondTable: RefuseSizeBeyondTable('B', s);
        case SizeCheck::Ok: break;
    }
    int missing = 0;
    if (!ReadCoefficients(fp, InspaceProfile[s], &missing)) {
        FailWithLog(-8, "Error in reading the inspace file, not enough data on the B data set\n");
    }
}

// A time is counted only when it fits the levels F 294 made room for.
void InspaceT(FILE* fp) {
    if (InspaceTimeCount == 0) {
        FailWithLog(-9, "Error in reading inspace file, the T data set has to be used together with the F 294 data set\n");
    }
    if (NoInspaceTimes >= InspaceTimeCount + 2) FailWithLog(-10, "Error in reading inspace file, increase F 294 integer\n");
    const int n = NoInspaceTimes;
    if (!ReadFiniteReal(fp, &InspaceTimes[n])) {
        FailWithLog(-8, "Error in reading the inspace file, no time on the T data set number %d\n", n + 1);
    }
    if (n > 0 && InspaceTimes[n - 1] > InspaceTimes[n]) {
        FailWithLog(-11, "Error in reading inspace file, time steps has to increase for time step %d\n", n);
    }
    NoInspaceTimes = n + 1;
}

void InspaceC(FILE* fp) {
    if (InspaceTimeCount == 0) {
        FailWithLog(-9, "Error in reading inspace file, the C data set has to be used together with the F 294 data set\n");
    }
    if (NoInspaceTimes == 0) {
        FailWithLog(-9, "Error in reading inspace file, a T data set has to come before the first C data set\n");
    }
    const int level = NoInspaceTimes - 1;
    const double time = InspaceTimes[level];
    int s = 0;
    switch (ReadInspaceSize(fp, &s)) {
        case SizeCheck::NotASize:
            LogAppend("Error in reading the inspace file, not correct first integer on the C data set\n");
            FailWithLog(-8, "for time step %lf\n\n", time);
        case SizeCheck::BeyondTable: RefuseSizeBeyondTable('C', s);
        case SizeCheck::Ok: break;
    }
    int missing = 0;
    if (!ReadCoefficients(fp, &InspaceConcSeries[level][s][0], &missing)) {
        LogAppend("Error in reading the inspace file, not enough data on the C data set\n");
        FailWithLog(-8, "for time step %lf, size no: %d, point no: %d\n\n", time, s, missing);
    }
}

}  // namespace

void ReadCyclicFile() {
    if (CyclicFileFlag != 0 || CyclicInterval <= 0) return;
    InputFile file("cyclic");
    if (!file) {
        LogAppend("Have not used cyclic file\n");
        return;
    }
    const int storable = std::min(NoGridLinesZ, kCyclicLevels - 1);
    int last = 0;
    int k = 1;
    for (; k <= storable; ++k) {
        int n = 0;
        double u = 0.0, turbulence = 0.0, dissipation = 0.0;
        if (!ReadCyclicLine(file.get(), &n, &u, &turbulence, &dissipation)) break;
        CyclicU[k] = u;
        CyclicK[k] = turbulence;
        CyclicE[k] = dissipation;
        last = n;
        if (n != k) break;
    }
    if (k > storable && storable < NoGridLinesZ) {
        LogAppend("Warning: only the first %d levels of the cyclic file can be stored; the rest is not read\n",
                  storable);
    }
    LogAppend("Have read %d points from cyclic file\n", last);
    if (last > 1) CyclicFileFlag = 1;
}

void ReadInflowFile() {
    InputFile file("inflow");
    if (!file) {
        LogAppend("Have not used inflow file\n");
        return;
    }
    FILE* fp = file.get();
    long lines = 0;
    while (lines < kMaxInflowLines) {
        char letter = 0;
        long i = 0, j = 0;
        // The letter is the line's first byte: a line that starts otherwise
        // is refused, not taken for the end of the table.
        if (std::fscanf(fp, "%c", &letter) != 1) break;
        if (letter != 'D') FailWithLog(-8, "Error in reading inflow file, the D data set has to be used\n");
        if (!ReadIndex(fp, &i) || !ReadIndex(fp, &j)) break;
        if (i > kLargestInflowPoint || j > kLargestInflowLevel) {
            FailWithLog(-2, "Error in reading inflow file, too large indexes in inflow file: %ld %ld\n", i, j);
        }
        if (i < 0 || j < 0) {
            FailWithLog(-8, "Error in reading inflow file, negative indexes in inflow file: %ld %ld\n", i, j);
        }
        double v[kInflowValues];
        for (double& x : v) {
            if (!ReadFiniteReal(fp, &x)) {
                LogAppend("Error in reading inflow file for line: %ld %ld\n", i, j);
                FailWithLog(-3, "Note that five floating point numbers must be given\n");
            }
        }
        (void)std::fscanf(fp, " ");
        InflowFileU[i][j] = v[0];
        InflowFileV[i][j] = v[1];
        InflowFileW[i][j] = v[2];
        InflowFileK[i][j] = v[3];
        InflowFileE[i][j] = v[4];
        NoInflowPoints = std::max(NoInflowPoints, static_cast<int>(i));
        NoInflowLevels = std::max(NoInflowLevels, static_cast<int>(j));
        ++lines;
    }
    LogAppend("Have read %ld points in a %d x %d array from inflow file\n", lines, NoInflowPoints, NoInflowLevels);
}

void ReadInspaceFile() {
    InputFile file("inspace");
    if (!file) return;
    FILE* fp = file.get();
    // The first byte is the A data set or is dropped.
    if (std::getc(fp) == 'A') {
        int mode = 0;
        if (!ReadInt32(fp, &mode) || mode <= 0) {
            FailWithLog(-8, "Error in reading the inspace file, the A data set has to be used with an integer\n");
        }
        InspaceMode = mode;
    }
    ScanDataSets(fp, kInspaceBudget, "BTC", [fp](int letter) {
        switch (letter) {
            case 'B': InspaceB(fp); break;
            case 'T': InspaceT(fp); break;
            case 'C': InspaceC(fp); break;
            default: break;
        }
        return true;
    });
    LogAppend("Inspace file read: \n");
}
