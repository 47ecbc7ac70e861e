// Handlers of the data sets B, H, I, L, M, N, P, S and T.
//
// Every list here has a fixed capacity; a data set that would write past it
// is refused before anything of it is stored.
#include <cstring>

#include "run/control_reader.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"

RIVAX_PARAMS_LETTERS(RIVAX_DEFINE_PARAM)

double Diameter[kMaxSizes + 1];
double FallVelocity[kMaxSizes + 1];
double GrainFractions[kGrainDistributions][kMaxSizes + 1];
MDataSetRow MDataSetValues[kMRows];
double IValues[kMaxSizes + 1];
char Title[kTitleSize];
double LValues[kLValues];
HRecord HRecords[kHRecords];
BRecord BRecords[kBRecords];
int P12List[kPListSlots];
int P13List[kPListSlots];

namespace {

// What the re-check after the first pass needs to know of the data sets read.
int HighestSizeGiven = 0;  // largest S size number read
bool P3Given = false;
bool P16Given = false;

constexpr int kHPointIntMax = 16;
constexpr int kPListValueMax = 10000;

void StoreDefaultHRecords() {
    std::memset(HRecords, 0, sizeof HRecords);
    struct Point {
        double value;
        int int1, int2;
    };
    constexpr Point kRecord14[] = {{-1.0, 3, 2}, {-0.1, 1, 2}, {-0.01, 2, 2}, {0.01, 4, 2},
                                   {0.1, 8, 2},  {1.0, 5, 2},  {100.0, 7, 2}};
    HRecord& r = HRecords[14];
    for (const Point& p : kRecord14) {
        r.hvalue[r.hcount] = p.value;
        r.hint1[r.hcount] = p.int1;
        r.hint2[r.hcount] = p.int2;
        ++r.hcount;
    }
}

}  // namespace

void StoreDefaultsLetters() {
    RIVAX_PARAMS_LETTERS(RIVAX_STORE_DEFAULT)
    std::memset(Diameter, 0, sizeof Diameter);
    std::memset(FallVelocity, 0, sizeof FallVelocity);
    std::memset(GrainFractions, 0, sizeof GrainFractions);
    GrainFractions[0][1] = 1.0;
    for (MDataSetRow& row : MDataSetValues) {
        for (int j = 0; j < kMValues; ++j) {
            row.order[j] = -1;
            row.mvalue[j] = 0.0;
        }
    }
    std::memset(IValues, 0, sizeof IValues);
    std::memset(Title, 0, sizeof Title);
    std::memset(LValues, 0, sizeof LValues);
    StoreDefaultHRecords();
    std::memset(BRecords, 0, sizeof BRecords);
    std::memset(P12List, 0, sizeof P12List);
    std::memset(P13List, 0, sizeof P13List);
    HighestSizeGiven = 0;
    P3Given = false;
    P16Given = false;
}

// T, the run title: the bytes after the letter from position 1 on, up to and
// including the first byte that ends the text (stored as a blank), at most 69
// bytes. Position 0 is never written. The title is cleared first so that a
// shorter second title keeps no tail of the first; tabs belong to the text.
void ReadDataSetT(FILE* fp) {
    std::memset(Title + 1, 0, sizeof Title - 1);
    for (int k = 1; k <= 69; ++k) {
        int c = std::getc(fp);
        if (c == EOF) break;
        bool printable = (c >= 32 && c <= 126) || c == '\t';
        Title[k] = static_cast<char>(c);
        if (!printable || k == 69) {
            Title[k] = ' ';
            break;
        }
    }
}

// S i d w: the sizes must come coarsest first, in the order of their numbers.
// Size NoSizes + 1 is accepted as the reader always has; size 51 has no slot.
void ReadDataSetS(int i, FILE* fp) {
    if (i <= 0 || i > NoSizes + 1 || i > kMaxSizes) {
        FailWithLog(kControlRefusedStatus, "Input error for S in control: incorrect first integer\n");
    }
    // A grain of no size divides every transport formula by zero.
    if (ScanValues(fp, {&Diameter[i], &FallVelocity[i]}) < 2 || Diameter[i] > 1e6 || Diameter[i] <= 0 ||
        FallVelocity[i] > 1e6 || FallVelocity[i] < 0) {
        FailWithLog(kControlRefusedStatus, "Input error for S in control in second or third float for i=%d\n", i);
    }
    if (i > 1 && Diameter[i] > Diameter[i - 1]) {
        FailWithLog(kControlRefusedStatus,
                    "Input error for S %d in control file: The coarsest sediment sizes have to be given first\n",
                    i);
    }
    if (i > HighestSizeGiven) HighestSizeGiven = i;
}

// N d s f: fraction f of size s in distribution d. Only distribution 0 is
// used; the others are kept and warned about.
void ReadDataSetN(int d, int s, FILE* fp) {
    const bool inTable = d >= 0 && d < kGrainDistributions && s >= 1 && s <= kMaxNSize;
    double f = inTable ? GrainFractions[d][s] : 0.0;
    ScanValues(fp, {&f});
    if (d > 0) {
        LogAppend("Input error for N data set in control file: in RIVAX 2 there is only\n");
        LogAppend("one grain size distribution for the N data sets, and it has number 0.\n");
        LogAppend("If you want a spatially varying grain size distribution, use the fracres file\n\n");
    }
    if (d < 0 || d >= kGrainDistributions) {
        FailWithLog(kControlRefusedStatus, "Input error for N data set in control file, distribution %d\n", d);
    }
    if (s < 1 || s > kMaxNSize || f > 1.0 || f < 0.0) {
        FailWithLog(kControlRefusedStatus, "Input error for N data set in control file, size %d, fraction %lf\n", s, f);
    }
    GrainFractions[d][s] = f;
    ++NoNDataSets;
}

namespace {

// An M index names a component (below NoComponents) or a sediment size (up
// to NoSizes), and must fit its row.
void CheckMIndex(int g, int j) {
    if (j < 0 || (j >= NoComponents && j > NoSizes)) {
        LogAppend("Error for M %d %d data set\n", g, j);
        FailWithLog(kControlRefusedStatus, "Second integer less than zero, or larger than what is given on F 50 data set\n");
    }
    if (j >= kMValues) {
        LogAppend("Error for M %d %d data set\n", g, j);
        FailWithLog(kControlRefusedStatus, "Second integer must be below %d\n", kMValues);
    }
}

}  // namespace

// M g j v: inflow concentration v of component or size j at discharge group g.
void ReadDataSetM(int g, FILE* fp) {
    if (g < 1 || g > 9) {
        LogAppend("Error for M %d data set\n", g);
        FailWithLog(kControlRefusedStatus, "First integer must be between 1 and 9\n");
    }
    int j = -1;
    ScanValues(fp, {&j});
    CheckMIndex(g, j);
    MDataSetRow& row = MDataSetValues[g];
    double v = row.mvalue[j];
    if (ScanValues(fp, {&v}) != 1) FailWithLog(kControlRefusedStatus, "Error for M %d %d data set\n", g, j);
    row.mvalue[j] = v;
    row.order[j] = NoMDataSets++;
}

// I i v: outdated; the value is kept only to be written back.
void ReadDataSetI(int i, FILE* fp) {
    if (i > NoSizes || i < 0) FailWithLog(kControlRefusedStatus, "Input error for I in control");
    LogAppend("Warning, the values on the I data set in the control file are not used in RIVAX 2\n");
    LogAppend("Use the timei file or the M data set instead\n\n");
    ScanValues(fp, {&IValues[i]});
}

// L n v1 .. vn
void ReadDataSetL(int n, FILE* fp) {
    if (n > kLValues) RefuseDataSet();
    NoLValues = n;
    for (int k = 0; k < n; ++k) {
        if (ScanValues(fp, {&LValues[k]}) != 1) break;
    }
}

// H h n, then n points of a real and two integers 0..16.
void ReadDataSetH(int h, FILE* fp) {
    if (h < 0 || h >= kHRecords) RefuseDataSet();
    HRecord& r = HRecords[h];
    ScanValues(fp, {&r.hcount});
    if (r.hcount > kMaxHCount) {
        LogAppend("Input error for H %d in control\n", h);
        FailWithLog(kControlRefusedStatus, "Data points must not exceed 20\n");
    }
    for (int p = 0; p < r.hcount; ++p) {
        ScanValues(fp, {&r.hvalue[p], &r.hint1[p], &r.hint2[p]});
        if (r.hint1[p] < 0 || r.hint1[p] > kHPointIntMax || r.hint2[p] < 0 || r.hint2[p] > kHPointIntMax) {
            RefuseDataSet();
        }
    }
}

// B b i1 i2 j1 j2, second pass: block 0 stands for the whole grid.
void ReadDataSetB(int b, FILE* fp) {
    int i1 = 0, i2 = 0, j1 = 0, j2 = 0;
    ScanValues(fp, {&i1, &i2, &j1, &j2});
    if (b == 0) {
        i1 = 2;
        i2 = NoGridLinesX;
        j1 = 2;
        j2 = NoGridLinesY;
    }
    if (b > 19 || b < 0 || i1 > NoGridLinesX || i2 < 2 || j1 > NoGridLinesY || j2 < 2 || j1 > j2 || i1 > i2 ||
        NoBRecords + 1 >= kBRecords) {
        FailWithLog(kControlRefusedStatus, "Input error for B in control");
    }
    BRecords[++NoBRecords] = BRecord{b, i1, i2, j1, j2};
}

namespace {

void CheckP3() {
    if (P3Int1 <= 0 || PlanNumber < 0 || PlanNumber > NoGridLinesY + 1 || PlanCellLevel < 1 ||
        PlanCellLevel > NoGridLinesZ + 1 || P3Int4 < 0 || P3Int4 > NoSizes) {
        FailWithLog(kControlRefusedStatus, "Input error for P 3 in control");
    }
}

bool P16Valid() {
    return P16Int1 >= -1 && P16Int2 <= NoGridLinesX + 1 && P16Int3 > 0 && P16Int4 <= NoGridLinesY + 1;
}

// P 12 and P 13: two integers, then a list of `count` values 1..10000 from
// entry 1 on.
void ReadPList(FILE* fp, int n, int* first, int* count, int* list) {
    if (ScanValues(fp, {first, count}) != 2 || *first <= 0 || *count > kPListSlots - 1) {
        FailWithLog(kControlRefusedStatus, "Error 1 reading P %d data set\n", n);
    }
    for (int k = 1; k <= *count; ++k) {
        if (ScanValues(fp, {&list[k]}) != 1 || list[k] < 1 || list[k] > kPListValueMax) {
            FailWithLog(kControlRefusedStatus, "Error 2 reading P %d data set\n", n);
        }
    }
}

}  // namespace

// P n values: numbers 1 and above 16 are ignored, 0 and below are errors.
void ReadDataSetP(int n, FILE* fp) {
    if (n <= 0) FailWithLog(-1, "Error in boogie file: data set P %d does not exist\n\n", n);
    switch (n) {
        case 2: ScanValues(fp, {&P2Value1, &P2Value2, &P2Value3, &P2Value4, &P2Value5}); break;
        case 3:
            ScanValues(fp, {&P3Int1, &PlanNumber, &PlanCellLevel, &P3Int4});
            CheckP3();
            P3Given = true;
            break;
        case 4: ScanValues(fp, {&PlotModeLetter}); break;
        case 5: ScanValues(fp, {&P5Int}); break;
        case 6:
            if (ScanValues(fp, {&P6Value1, &P6Value2}) != 2 || P6Value1 > P6Value2) {
                FailWithLog(kControlRefusedStatus, "Input error for P 6 in control");
            }
            P6Flag = 1;
            break;
        case 7: ScanValues(fp, {&P7Letter}); break;
        case 8: ScanValues(fp, {&P8Int}); break;
        case 9: ScanValues(fp, {&CompresInterval}); break;
        case 10: ScanValues(fp, {&ResultInterval}); break;
        case 11: ScanValues(fp, {&MonitorOption}); break;
        case 12: ReadPList(fp, 12, &P12Int1, &P12Count, P12List); break;
        case 13: ReadPList(fp, 13, &P13Int1, &P13Count, P13List); break;
        case 14:
            if (ScanValues(fp, {&P14Value}) != 1 || P14Value < 0) FailWithLog(kControlRefusedStatus, "Error reading P 14 data set\n");
            break;
        case 15:
            if (ScanValues(fp, {&ResultStartIteration}) != 1 || ResultStartIteration < 0) {
                FailWithLog(kControlRefusedStatus, "Error reading P 15 data set\n");
            }
            break;
        case 16:
            if (ScanValues(fp, {&P16Int1, &P16Int2, &P16Int3, &P16Int4}) != 4 || !P16Valid()) {
                FailWithLog(kControlRefusedStatus, "Error reading P 16 data set\n");
            }
            P16Given = true;
            break;
        default: break;
    }
}

void RecheckDataSetsLetters() {
    if (HighestSizeGiven > NoSizes + 1) FailWithLog(kControlRefusedStatus, "Input error for S in control: incorrect first integer\n");
    for (int g = 1; g <= 9; ++g) {
        for (int j = 0; j < kMValues; ++j) {
            if (MDataSetValues[g].order[j] >= 0) CheckMIndex(g, j);
        }
    }
    if (P3Given) CheckP3();
    if (P16Given && !P16Valid()) FailWithLog(kControlRefusedStatus, "Error reading P 16 data set\n");
}
