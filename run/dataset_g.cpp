// Handlers of the G data sets.
//
// Checks against the grid sizes use the values in force when the data set is
// read; RecheckDataSetsG repeats them for the stored records once the whole
// file has been read.
#include <algorithm>
#include <climits>
#include <cstring>

#include "run/control_reader.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"

RIVAX_PARAMS_G(RIVAX_DEFINE_PARAM)

double zdistrib[kZdistribSize];
int BlockSelection[kBlockValueSlots];
int G26BlockValues[kBlockValueSlots];
int divisionMPI[kDivisionMpiSize];
double InspaceSizeFactor[kInspaceSizeFactors];
int OpenMPSwitches[kOpenMPSwitches];
ProfilePair G40Pairs[kProfilePairs];
int G41Component[kComponentProfiles];
int G41PairCount[kComponentProfiles];
ProfilePair G41Pairs[kComponentProfiles][kProfilePairs];
G7Record G7Records[kG7Capacity + 1];
G12Record G12Records[kG12Capacity + 1];
G13Region G13Regions[kG13Capacity + 1];
double InitialValueSets[kG18Capacity + 1][kInitialValueSlots];
G22Record G22Records[kG22Capacity + 1];
PlotVariableRecord PlotVariables[kPlotVariableRecords];
RatingCurveRecord RatingCurves[kRatingCurveCapacity];

namespace {

// zdistrib has 1000 slots; a vertical distribution needs NoGridLinesZ + 2.
constexpr int kMaxGridLinesZ = 997;
constexpr long long kMaxPlanNodes = INT_MAX;
constexpr int kG10G11Capacity = 19;
constexpr int kG14Capacity = 29;
constexpr int kG42Capacity = 21;
constexpr int kMaxSelectionBlocks = 99;
constexpr int kMaxG26Blocks = 90;
constexpr int kMaxMpiParts = 999;
constexpr int kMaxInspaceSize = 20;
constexpr int kG50Values = 10;

// Lists that nothing reads after the checks; only their counts matter.
int NoG10G11Records = 0;
int NoG14Records = 0;
int NoG42Records = 0;
// Which of G 6 and G 62 set the reference cell last, for the re-check message.
int ReferenceDataSet = 0;
bool DepositBoxGiven = false;

// A list data set that would pass its capacity: two lines, exit status 1.
[[noreturn]] void RefuseList(int number, const char* limitLine) {
    LogAppend("Input error for G %d in control\n", number);
    FailWithLog(kControlRefusedStatus, "%s", limitLine);
}

bool Within(int v, int lo, int hi) { return v >= lo && v <= hi; }

// G 1: the structured grid sizes and the number of sediment sizes.
void ReadG1(FILE* fp) {
    ScanValues(fp, {&NoGridLinesX, &NoGridLinesY, &NoGridLinesZ, &NoSizes});
    if (NoGridLinesX <= 3 || NoGridLinesY <= 3 || NoGridLinesZ <= 1 || !Within(NoSizes, 0, kMaxSizes)) {
        FailWithLog(kControlRefusedStatus, "Input error for G 1 in control");
    }
    // Nodes and columns are numbered and walked with ints, one line past the
    // grid on each side: a plan beyond that would overflow every such count.
    const long long planNodes = (static_cast<long long>(NoGridLinesX) + 2) * (static_cast<long long>(NoGridLinesY) + 2);
    if (planNodes > kMaxPlanNodes) {
        LogAppend("The G 1 sizes give %lld grid nodes in the plan; at most %lld can be numbered\n", planNodes,
                  kMaxPlanNodes);
        FailWithLog(kControlRefusedStatus, "Input error for G 1 in control");
    }
}

void ReadG2(FILE* fp) {
    int a = 0, b = 0, c = 0, d = 0;
    ScanValues(fp, {&a, &b, &c, &d});
    if (a > b || a < 2 || b > NoGridLinesX || c > d || c < 2 || d > NoGridLinesY) {
        FailWithLog(kControlRefusedStatus, "Input error for G 2 in control");
    }
}

// G 3 and G 30: the levels must rise or stay level from the first grid line.
void ReadVerticalDistribution(int number, FILE* fp) {
    // A distribution longer than the table cannot be stored; the structured
    // allocation refuses such a grid anyway.
    if (NoGridLinesZ > kMaxGridLinesZ) FailWithLog(kControlRefusedStatus, "Input error for G 1 in control");
    for (int k = 1; k <= NoGridLinesZ; ++k) {
        int got = ScanValues(fp, {&zdistrib[k]});
        if (zdistrib[k - 1] > zdistrib[k] || got < 1) FailWithLog(kControlRefusedStatus, "Input error for G %d in control", number);
    }
}

void DropReals(FILE* fp, int count) {
    for (int s = 0; s < count; ++s) {
        double unused;
        if (ScanValues(fp, {&unused}) < 1) return;
    }
}

bool NearGrid(int i, int j, int k) {
    return Within(i, 0, NoGridLinesX + 4) && Within(j, 0, NoGridLinesY + 4) && Within(k, 0, NoGridLinesZ + 4);
}

void ReadG4(FILE* fp) {
    int i = 0, j = 0, k = 0;
    ScanValues(fp, {&i, &j, &k});
    if (!NearGrid(i, j, k)) FailWithLog(kControlRefusedStatus, "Input error for G 4 in control");
    DropReals(fp, NoSizes);
}

void ReadG5(FILE* fp) {
    int i1 = 0, i2 = 0, j1 = 0, j2 = 0, k1 = 0, k2 = 0;
    ScanValues(fp, {&i1, &i2, &j1, &j2, &k1, &k2});
    const char* fault = nullptr;
    if (!NearGrid(i1, j1, k1)) {
        fault = "Wrong first indexes";
    } else if (!NearGrid(i2, j2, k2)) {
        fault = "Wrong second indexes";
    } else if (i1 > i2 || j1 > j2 || k1 > k2) {
        fault = "Wrong match beween indexes";
    }
    if (fault) {
        LogAppend("Input error for G 5 in control\n");
        FailWithLog(kControlRefusedStatus, "%s", fault);
    }
    DropReals(fp, NoSizes);
}

// The G 6 ranges; the reference cell must be a cell slot of the arrays.
bool ReferenceValuesValid() {
    return ReferenceCell >= 0 && ReferenceCell < MaxCeller && ReferenceCell2 >= 0 && ReferenceCellGroup >= 0 &&
           SurfaceRelaxation >= 1e-5 && SurfaceRelaxation <= 10.0 && SurfaceUpdateResidual >= 1e-10 &&
           SurfaceUpdateResidual <= 10.0;
}

[[noreturn]] void RefuseReference(int number) {
    if (number == 62) {
        FailWithLog(kControlRefusedStatus, "Input error for one of the values on the G 62 data set in the in control file\n");
    }
    FailWithLog(kControlRefusedStatus, "Input error for G 6 in control\n");
}

void ReadG6(FILE* fp) {
    ScanValues(fp, {&ReferenceCell, &ReferenceCell2, &ReferenceCellGroup, &SurfaceRelaxation, &SurfaceUpdateResidual});
    ReferenceDataSet = 6;
    if (!ReferenceValuesValid()) RefuseReference(6);
}

void ReadG62(FILE* fp) {
    int got = ScanValues(fp, {&ReferenceCell, &ReferenceCell2, &ReferenceCellGroup, &ReferenceLevelGroup,
                              &SurfaceRelaxation, &SurfaceUpdateResidual});
    if (got < 6) FailWithLog(kControlRefusedStatus, "Input error for G 62 in control. Have you provided 6 parameters?\n");
    ReferenceDataSet = 62;
    if (!ReferenceValuesValid() || ReferenceLevelGroup < 0) RefuseReference(62);
}

void ReadG7(FILE* fp) {
    if (NoG7Records >= kG7Capacity) RefuseList(7, "Data sets must not exceed 19\n");
    G7Record& r = G7Records[++NoG7Records];
    ScanValues(fp, {&r.ivalue[0], &r.ivalue[1], &r.ivalue[2], &r.ivalue[3], &r.ivalue[4], &r.ivalue[5],
                    &r.ivalue[6], &r.ivalue[7], &r.rvalue[0], &r.rvalue[1], &r.rvalue[2], &r.rvalue[3]});
}

void ReadG9(FILE* fp) {
    int v = 0;
    ScanValues(fp, {&v});
    if (!Within(v, 1, NoGridLinesX)) FailWithLog(kControlRefusedStatus, "Error for G 9 in control");
}

// G 10 and G 11 share one list; G 11 carries a second real.
void ReadG10G11(int number, FILE* fp) {
    if (NoG10G11Records >= kG10G11Capacity) RefuseList(number, "Data sets must not exceed 19\n");
    ++NoG10G11Records;
    int i1 = 0, i2 = 0, j1 = 0, j2 = 0, k1 = 0, k2 = 0;
    double a = 0.0, b = 2.0;
    if (number == 10) {
        ScanValues(fp, {&i1, &i2, &j1, &j2, &k1, &k2, &a});
    } else {
        ScanValues(fp, {&i1, &i2, &j1, &j2, &k1, &k2, &a, &b});
    }
    if (i1 < 2 || i2 > NoGridLinesX + 1 || j1 < 2 || j2 > NoGridLinesY + 1 || k1 < 2 || k2 > NoGridLinesZ + 1) {
        FailWithLog(kControlRefusedStatus, "Input error for G %d in control", number);
    }
}

void ReadG12(FILE* fp) {
    if (NoG12Records >= kG12Capacity) RefuseList(12, "Data sets must not exceed 19\n");
    G12Record& r = G12Records[++NoG12Records];
    ScanValues(fp, {&r.group});
    const int sizes = std::min(NoSizes, kMaxSizes);
    int read = 0;
    while (read < sizes && ScanValues(fp, {&r.concentration[read + 1]}) == 1) ++read;
    if (!Within(r.group, 1, 9)) FailWithLog(kControlRefusedStatus, "Input error for G 12, first parameter, in control");
    for (int s = 1; s <= read; ++s) {
        if (r.concentration[s] < 0.0 || r.concentration[s] > 1.0) {
            FailWithLog(kControlRefusedStatus, "Input error for G 12, concentration, in control");
        }
    }
}

bool RegionInGrid(const G13Region& r) {
    return Within(r.kind, 0, 4) && r.iFirst >= 2 && r.iLast <= NoGridLinesX + 1 && r.jFirst >= 2 &&
           r.jLast <= NoGridLinesY + 1 && r.kFirst >= 2 && r.kLast <= NoGridLinesZ + 1;
}

void ReadG13(FILE* fp) {
    if (NoG13Regions >= kG13Capacity) RefuseList(13, "Data sets must not exceed 499\n");
    G13Region& r = G13Regions[++NoG13Regions];
    ScanValues(fp, {&r.kind, &r.iFirst, &r.iLast, &r.jFirst, &r.jLast, &r.kFirst, &r.kLast});
    if (!RegionInGrid(r)) FailWithLog(kControlRefusedStatus, "Input error for G 13 in control");
}

void ReadG14(FILE* fp) {
    if (NoG14Records >= kG14Capacity) RefuseList(14, "Data sets must not exceed 29\n");
    ++NoG14Records;
    int kind = 0, i = 0, j = 0, k = 0;
    ScanValues(fp, {&kind, &i, &j, &k});
    if (!Within(kind, 1, 6) || !Within(i, 2, NoGridLinesX + 1) || !Within(j, 2, NoGridLinesY + 1) ||
        !Within(k, 2, NoGridLinesZ + 1)) {
        FailWithLog(kControlRefusedStatus, "Input error for G 14 in control");
    }
}

void ReadG18(FILE* fp) {
    if (NoInitialValueSets >= kG18Capacity) FailWithLog(-2, "Increase array for G 18 and recompile\n");
    double* v = InitialValueSets[++NoInitialValueSets];
    ScanValues(fp, {&v[1], &v[2], &v[3], &v[4], &v[5], &v[6]});
}

bool DragZoneValid(const G22Record& r) {
    return r.iLast <= NoGridLinesX && r.jLast <= NoGridLinesY && r.iFirst >= 2 && r.jFirst >= 2 &&
           r.iFirst <= r.iLast && r.jFirst <= r.jLast && r.lowerLevel <= r.upperLevel && r.coefficient >= 1e-5;
}

void ReadG22(FILE* fp) {
    if (NoDragZones >= kG22Capacity) RefuseList(22, "Number of data sets must not exceed 19\n");
    G22Record& r = G22Records[++NoDragZones];
    ScanValues(fp, {&r.iFirst, &r.iLast, &r.jFirst, &r.jLast, &r.lowerLevel, &r.upperLevel, &r.coefficient});
    if (!DragZoneValid(r)) FailWithLog(kControlRefusedStatus, "Input error for G 22 in control");
}

bool PlotVariableValid(const PlotVariableRecord& r) {
    return Within(r.level, 0, NoGridLinesZ) && Within(r.size, 0, NoSizes);
}

// The bed-layer letters read the layer below their level, and q in the VTK
// files the component its size names; both must exist. Checked once the
// layer and component counts of the whole file are known.
bool PlotVariableFitsBedAndComponents(const PlotVariableRecord& r) {
    const bool layerLetter = r.letter == 'L' || r.letter == 'N' || r.letter == 'a' || r.letter == 'f';
    if (layerLetter && std::max(r.level - 1, 0) > NoBedLayers) return false;
    return r.letter != 'q' || NoComponents <= 0 || r.size < NoComponents;
}

// The letter is the first byte that is not a blank, within ten bytes.
char ReadPlotLetter(FILE* fp) {
    int c = std::getc(fp);
    for (int read = 1; c == ' ' && read < 10; ++read) c = std::getc(fp);
    return static_cast<char>(c);
}

void ReadG24(FILE* fp) {
    int n = 0;
    if (ScanValues(fp, {&n}) < 1 || n < 0) {
        FailWithLog(kControlRefusedStatus, "The G 24 data set has to include a positive integer first\n");
    }
    if (n > kPlotVariableCapacity) FailWithLog(kControlRefusedStatus, "Too many points in G 24 data set\n");
    NoPlotVariables = n;
    for (int v = 0; v < n; ++v) {
        PlotVariableRecord& r = PlotVariables[v];
        r.letter = ReadPlotLetter(fp);
        if (ScanValues(fp, {&r.level, &r.size}) < 2 || !PlotVariableValid(r)) {
            FailWithLog(kControlRefusedStatus, "Error in G 24 data set, variable no. %d\n", v);
        }
        if (r.letter == 'N' && FlagTSC != 3) {
            LogAppend("Error in G 24 data set. The N variable can not be used when the F 37 data set is not 3\n");
        }
    }
}

void ReadG25(FILE* fp) {
    int n = 0;
    ScanValues(fp, {&n});
    if (!Within(n, 1, kMaxSelectionBlocks)) FailWithLog(kControlRefusedStatus, "Error first integer on G 25 data set\n");
    NoBlockSelectionValues = n;
    for (int k = 1; k <= n; ++k) {
        ScanValues(fp, {&BlockSelection[k]});
        if (!Within(BlockSelection[k], 0, 20)) FailWithLog(kControlRefusedStatus, "Error for integer no. %d on G 25 data set\n", k + 1);
    }
}

void ReadG26(FILE* fp) {
    int n = 0;
    ScanValues(fp, {&n});
    if (!Within(n, 1, kMaxG26Blocks)) FailWithLog(kControlRefusedStatus, "Error first integer on G 26 data set\n");
    for (int k = 1; k <= n; ++k) {
        int v = 0;
        if (ScanValues(fp, {&v}) < 1 || !Within(v, 0, 10)) {
            FailWithLog(kControlRefusedStatus, "Error after reading %d integer in the G 26 data set\n", k + 1);
        }
        G26BlockValues[k] = v;
    }
}

void ReadG27(FILE* fp) {
    if (MpiPart <= 1) {
        LogAppend("Error for G 27 data set in control file. The F 308 data set\n");
        FailWithLog(-1, "must be present in the control file and have an integer above 1\n\n");
    }
    if (MpiPart > kMaxMpiParts) FailWithLog(-1, "Error for MPI parameters: recompile with increased divisionMPI array\n\n");
    for (int k = 1; k <= MpiPart; ++k) {
        if (ScanValues(fp, {&divisionMPI[k]}) < 1) {
            LogAppend("Error for G 27 data set: only %d integers are present.", k - 1);
            FailWithLog(-1, "Required number of integers are %d\n\n", MpiPart);
        }
        if (k >= 2 && divisionMPI[k] < divisionMPI[k - 1]) {
            FailWithLog(-1, "Error in G 27 data set: integers have to be givein in rising order\n\n");
        }
    }
}

bool RatingCurveValid(const RatingCurveRecord& r) {
    return r.iFirst <= r.iLast && r.jFirst <= r.jLast && r.iLast < NoGridLinesX - 1 && r.jLast < NoGridLinesY - 1 &&
           r.coefficient >= 1.0 && r.coefficient <= 3.0 && r.exponent >= 1.0 && r.exponent <= 3.0;
}

[[noreturn]] void RefuseRatingCurve(int occurrence) {
    FailWithLog(-1, "Error for G 28 in the control file, %d occurrence\n", occurrence);
}

void ReadG28(FILE* fp) {
    // The table holds 20 curves; a 21st is refused like a faulty one.
    if (NoRatingCurves >= kRatingCurveCapacity) RefuseRatingCurve(NoRatingCurves + 1);
    RatingCurveRecord& r = RatingCurves[NoRatingCurves];
    int got = ScanValues(fp, {&r.iFirst, &r.iLast, &r.jFirst, &r.jLast, &r.baseLevel, &r.coefficient, &r.exponent});
    if (got < 7 || !RatingCurveValid(r)) RefuseRatingCurve(NoRatingCurves + 1);
    ++NoRatingCurves;
}

bool DepositBoxValid() {
    return DepositBoxIFirst <= DepositBoxILast && DepositBoxJFirst <= DepositBoxJLast && DepositBoxIFirst >= 2 &&
           DepositBoxILast <= NoGridLinesX && DepositBoxJFirst >= 2 && DepositBoxJLast <= NoGridLinesY;
}

void ReadG29(FILE* fp) {
    int got = ScanValues(fp, {&DepositBoxIFirst, &DepositBoxILast, &DepositBoxJFirst, &DepositBoxJLast});
    DepositBoxGiven = true;
    if (got < 4 || !DepositBoxValid()) FailWithLog(-1, "Error for G 29 in control file\n\n");
}

void ReadG31(FILE* fp) {
    int s = 0;
    double f = 0.0;
    int got = ScanValues(fp, {&s, &f});
    if (got < 1 || !Within(s, 1, kMaxInspaceSize)) {
        FailWithLog(kControlRefusedStatus, "Input error for G 31 in control - first parameter");
    }
    if (got < 2 || f < 0.0) FailWithLog(kControlRefusedStatus, "Input error for G 31 in control - second parameter");
    InspaceSizeFactor[s] = f;
}

void ReadPairs(FILE* fp, ProfilePair* pairs, int count) {
    for (int p = 0; p < count; ++p) {
        if (ScanValues(fp, {&pairs[p].level, &pairs[p].value}) < 2) return;
    }
}

void ReadG40(FILE* fp) {
    int n = 0;
    ScanValues(fp, {&n});
    if (!Within(n, 1, kProfilePairs - 1)) FailWithLog(kControlRefusedStatus, "Input error for G 40 in control");
    NoInitialProfilePoints = n;
    ReadPairs(fp, G40Pairs, n);
}

// The component must be one of the F 50 components.
bool ComponentProfileValid(int r) {
    return G41Component[r] >= 0 && G41Component[r] < NoComponents && Within(G41PairCount[r], 1, kProfilePairs - 1);
}

void ReadG41(FILE* fp) {
    if (NoComponentProfiles >= kComponentProfiles) {
        FailWithLog(kControlRefusedStatus, "Input error for G 41 in control - too many data sets");
    }
    const int r = NoComponentProfiles;
    ScanValues(fp, {&G41Component[r], &G41PairCount[r]});
    if (!ComponentProfileValid(r)) FailWithLog(kControlRefusedStatus, "Input error for G 41 in control");
    ReadPairs(fp, G41Pairs[r], G41PairCount[r]);
    ++NoComponentProfiles;
}

void ReadG42(FILE* fp) {
    if (NoG42Records >= kG42Capacity) FailWithLog(kControlRefusedStatus, "Too many G 42 data sets\n");
    ++NoG42Records;
    int a = 0, b = 0;
    ScanValues(fp, {&a, &b});
}

// G 50 never stops the run: a bad switch is reported and reading goes on.
void ReadG50(FILE* fp) {
    for (int index = 0; index < kG50Values; ++index) {
        int got = ScanValues(fp, {&OpenMPSwitches[index]});
        if (got < 1 || !Within(OpenMPSwitches[index], 0, 2)) {
            LogAppend("Error for G 50 data set in control file\n");
            LogAppend("Integer no. %d = %d\n", index, OpenMPSwitches[index]);
        }
    }
}

}  // namespace

void StoreDefaultsG() {
    RIVAX_PARAMS_G(RIVAX_STORE_DEFAULT)
    std::memset(zdistrib, 0, sizeof zdistrib);
    for (int k = 1; k <= 11; ++k) zdistrib[k] = (k - 1) / 10.0;
    std::memset(BlockSelection, 0, sizeof BlockSelection);
    for (int b = 0; b < kBlockValueSlots; ++b) G26BlockValues[b] = Within(b, 1, 98) ? 1 : 0;
    std::memset(divisionMPI, 0, sizeof divisionMPI);
    divisionMPI[1] = -1;
    for (int s = 0; s < kInspaceSizeFactors; ++s) InspaceSizeFactor[s] = s < 20 ? 1.0 : 0.0;
    std::memset(OpenMPSwitches, 0, sizeof OpenMPSwitches);
    OpenMPSwitches[10] = OpenMPSwitches[11] = 1;
    std::memset(G40Pairs, 0, sizeof G40Pairs);
    std::memset(G41Component, 0, sizeof G41Component);
    std::memset(G41PairCount, 0, sizeof G41PairCount);
    std::memset(G41Pairs, 0, sizeof G41Pairs);
    std::memset(G7Records, 0, sizeof G7Records);
    std::memset(G12Records, 0, sizeof G12Records);
    std::memset(G13Regions, 0, sizeof G13Regions);
    std::memset(InitialValueSets, 0, sizeof InitialValueSets);
    std::memset(G22Records, 0, sizeof G22Records);
    std::memset(PlotVariables, 0, sizeof PlotVariables);
    std::memset(RatingCurves, 0, sizeof RatingCurves);
    NoG10G11Records = NoG14Records = NoG42Records = 0;
    ReferenceDataSet = 0;
    DepositBoxGiven = false;
}

bool ReadDataSetG(int n, FILE* fp) {
    switch (n) {
        case 1: ReadG1(fp); break;
        case 2: ReadG2(fp); break;
        case 3:
        case 30: ReadVerticalDistribution(n, fp); break;
        case 4: ReadG4(fp); break;
        case 5: ReadG5(fp); break;
        case 6: ReadG6(fp); break;
        case 62: ReadG62(fp); break;
        case 7: ReadG7(fp); break;
        case 9: ReadG9(fp); break;
        case 10:
        case 11: ReadG10G11(n, fp); break;
        case 12: ReadG12(fp); break;
        case 13: ReadG13(fp); break;
        case 14: ReadG14(fp); break;
        case 18: ReadG18(fp); break;
        case 22: ReadG22(fp); break;
        case 24: ReadG24(fp); break;
        case 25: ReadG25(fp); break;
        case 26: ReadG26(fp); break;
        case 27: ReadG27(fp); break;
        case 28: ReadG28(fp); break;
        case 29: ReadG29(fp); break;
        case 31: ReadG31(fp); break;
        case 40: ReadG40(fp); break;
        case 41: ReadG41(fp); break;
        case 42: ReadG42(fp); break;
        case 50: ReadG50(fp); break;
        default: return false;
    }
    return true;
}

void RecheckDataSetsG() {
    if (ReferenceDataSet != 0 && !ReferenceValuesValid()) RefuseReference(ReferenceDataSet);
    for (int r = 1; r <= NoG13Regions; ++r) {
        if (!RegionInGrid(G13Regions[r])) FailWithLog(kControlRefusedStatus, "Input error for G 13 in control");
    }
    for (int r = 1; r <= NoDragZones; ++r) {
        if (!DragZoneValid(G22Records[r])) FailWithLog(kControlRefusedStatus, "Input error for G 22 in control");
    }
    for (int v = 0; v < NoPlotVariables; ++v) {
        const PlotVariableRecord& r = PlotVariables[v];
        if (!PlotVariableValid(r) || !PlotVariableFitsBedAndComponents(r)) {
            FailWithLog(kControlRefusedStatus, "Error in G 24 data set, variable no. %d\n", v);
        }
    }
    for (int r = 0; r < NoRatingCurves; ++r) {
        if (!RatingCurveValid(RatingCurves[r])) RefuseRatingCurve(r + 1);
    }
    if (DepositBoxGiven && !DepositBoxValid()) FailWithLog(-1, "Error for G 29 in control file\n\n");
    for (int r = 0; r < NoComponentProfiles; ++r) {
        if (!ComponentProfileValid(r)) FailWithLog(kControlRefusedStatus, "Input error for G 41 in control");
    }
}
