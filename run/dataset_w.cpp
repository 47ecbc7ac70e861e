// Handlers of the data sets W.
#include <cstdarg>
#include <cstring>

#include "run/control_reader.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"

RIVAX_PARAMS_W(RIVAX_DEFINE_PARAM)

int W2Values[kW2Values];
MWallRecord MWall[kMaxMWalls + 1];
int FixedPointI[kFixedPointSlots];
int FixedPointJ[kFixedPointSlots];
AttractorRecord Attractors[kMaxAttractors + 1];

void StoreDefaultsW() {
    RIVAX_PARAMS_W(RIVAX_STORE_DEFAULT)
    std::memset(W2Values, 0, sizeof W2Values);
    std::memset(MWall, 0, sizeof MWall);
    std::memset(FixedPointI, 0, sizeof FixedPointI);
    std::memset(FixedPointJ, 0, sizeof FixedPointJ);
    std::memset(Attractors, 0, sizeof Attractors);
}

namespace {

[[noreturn]] void RefuseW(int n) { FailWithLog(kControlRefusedStatus, "Input error for W %d in control", n); }

void ReadFrictionAndLevel(FILE* fp) {
    ScanValues(fp, {&StricklerCoefficient, &W1SecondValue, &InitialWaterLevel});
    W1Given = 1;
    if (StricklerCoefficient < 1.0 || StricklerCoefficient > 180.0 || W1SecondValue < 1e-10 ||
        W1SecondValue > 1e15 || InitialWaterLevel > 10000.0) {
        RefuseW(1);
    }
}

// W 2 replaces the list; its count must fit the table before any value is
// read, so no count can make it write past the end.
void ReadGridLineList(FILE* fp) {
    int count = -1;
    if (ScanValues(fp, {&count}) != 1 || count < 0 || count >= kW2Values) RefuseW(2);
    NoW2Values = count;
    for (int k = 1; k <= count; ++k) {
        ScanValues(fp, {&W2Values[k]});
        if (W2Values[k] < 1 || W2Values[k] > NoGridLinesX || W2Values[k] < W2Values[k - 1]) RefuseW(2);
    }
}

[[noreturn]] void RefuseWall(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void RefuseWall(const char* fmt, ...) {
    LogAppend("Input error for W 4 in control\n");
    va_list ap;
    va_start(ap, fmt);
    LogAppendV(fmt, ap);
    va_end(ap);
    EndRun(kControlRefusedStatus);
}

int GridLines(int direction) {
    switch (direction) {
        case 1: return NoGridLinesX;
        case 2: return NoGridLinesY;
        default: return NoGridLinesZ;
    }
}

// The wall's node and ranges must lie within the grid lines.
void CheckWallInGrid(int w) {
    const MWallRecord& r = MWall[w];
    if (r.node > GridLines(r.dir) || r.node < 1) RefuseWall("A-MWall(%d).node = %d\n", w, r.node);
    // The two ranges run over the other directions in the order i, j, k.
    const int first = r.dir == 1 ? 2 : 1;
    const int second = r.dir == 3 ? 2 : 3;
    if (r.to1 > GridLines(first) || r.to2 > GridLines(second)) RefuseWall("B-MWall(%d)\n", w);
}

void ReadWall(FILE* fp) {
    if (MWallNo + 1 > kMaxMWalls) RefuseWall("MWallNo = %d, too large\n", MWallNo + 1);
    const int w = ++MWallNo;
    MWallRecord& r = MWall[w];
    ScanValues(fp, {&r.dir, &r.posneg, &r.node, &r.from1, &r.to1, &r.from2, &r.to2});
    if (r.dir < 1 || r.dir > 3) RefuseWall("MWall(%d).dir = %d\n", w, r.dir);
    if (r.posneg < -1 || r.posneg > 1) RefuseWall("MWall(%d).posneg = %d\n", w, r.posneg);
    if (r.from1 < 1 || r.from2 < 1 || r.from1 > r.to1 || r.from2 > r.to2) RefuseWall("A-MWall(%d)\n", w);
    CheckWallInGrid(w);
}

void CheckFixedPoint(int n) {
    if (FixedPointI[n] < 0 || FixedPointI[n] > NoGridLinesX || FixedPointJ[n] < 0 || FixedPointJ[n] > NoGridLinesY) {
        FailWithLog(kControlRefusedStatus, "Error, for data set W 6, %d\n", n);
    }
}

void ReadFixedPoint(FILE* fp) {
    if (NoFixedPoints + 1 >= kFixedPointSlots) FailWithLog(kControlRefusedStatus, "Error, too many W 6 data sets\n");
    const int n = ++NoFixedPoints;
    ScanValues(fp, {&FixedPointI[n], &FixedPointJ[n]});
    CheckFixedPoint(n);
}

void CheckAttractor(int n) {
    const AttractorRecord& a = Attractors[n];
    if (a.i < 0 || a.i > NoGridLinesX || a.j < 0 || a.j > NoGridLinesY || a.type < 0 || a.type > 3) {
        FailWithLog(kControlRefusedStatus, "Integer error, for data set W 7, %d\n", n);
    }
}

void ReadAttractor(FILE* fp) {
    if (NoAttractors + 1 > kMaxAttractors) FailWithLog(kControlRefusedStatus, "Error, too many W 7 data sets\n");
    const int n = ++NoAttractors;
    AttractorRecord& a = Attractors[n];
    ScanValues(fp, {&a.type, &a.i, &a.j});
    CheckAttractor(n);
    ScanValues(fp, {&a.amplitude, &a.decay});
}

}  // namespace

bool ReadDataSetW(int n, FILE* fp) {
    switch (n) {
        case 1: ReadFrictionAndLevel(fp); break;
        case 2: ReadGridLineList(fp); break;
        case 4: ReadWall(fp); break;
        case 6: ReadFixedPoint(fp); break;
        case 7: ReadAttractor(fp); break;
        default: return false;
    }
    return true;
}

void RecheckDataSetsW() {
    for (int k = 1; k <= NoW2Values; ++k) {
        if (W2Values[k] > NoGridLinesX) RefuseW(2);
    }
    for (int w = 1; w <= MWallNo; ++w) CheckWallInGrid(w);
    for (int n = 1; n <= NoFixedPoints; ++n) CheckFixedPoint(n);
    for (int n = 1; n <= NoAttractors; ++n) CheckAttractor(n);
}
