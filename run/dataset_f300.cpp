// Handlers of the data sets F 300 to F 355.
#include <climits>
#include <cstdio>
#include <cstring>

#include "run/control_reader.h"
#include "run/dataset_rules.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"

RIVAX_PARAMS_F300(RIVAX_DEFINE_PARAM)

int F317Values[kF317Slots];
int OutputFlags[kOutputFlags];

void StoreDefaultsF300() {
    RIVAX_PARAMS_F300(RIVAX_STORE_DEFAULT)
    std::memset(F317Values, 0, sizeof F317Values);
    std::memset(OutputFlags, 0, sizeof OutputFlags);
    OutputFlags[0] = 1;
    OutputFlags[1] = 1;
}

bool FaceWallLawSupported() { return FaceWallLawFlag != 1 || WallLaw == 0 || WallLaw == 5 || WallLaw == 8; }

namespace {

constexpr FMessage kLine = FMessage::Line;

// Data sets of one integer with "Error for F n in control\n".
const IntRule kIntRules[] = {
    {303, nullptr, 0, INT_MAX},
    {304, &F304Option, 0, INT_MAX},
    {306, &SkipFracresFlag, 0, INT_MAX},
    {308, &MpiPart, 0, INT_MAX},
    {309, &InterresVariant, 0, INT_MAX},
    {310, &F310Option, 0, INT_MAX},
    {311, &ShallowWaterOption, 0, INT_MAX},
    {312, &F312Option, 0, INT_MAX},
    {313, nullptr, 0, INT_MAX},
    {315, nullptr, 0, INT_MAX},
    {316, &F316Option, 0, INT_MAX},
    {319, nullptr, 0, INT_MAX},
    {320, &InflowBedCellOption, 0, INT_MAX},
    {321, nullptr, 0, INT_MAX},
    {323, &SurfaceUpdateByOptionFlag, 0, INT_MAX},
    {324, &NormalStressOption, 0, INT_MAX},
    {325, &SlideVariant, 0, INT_MAX},
    {327, &F327Option, 0, INT_MAX},
    {328, &BlockParallelFlag, 0, INT_MAX},
    {331, nullptr, 2, INT_MAX},
    {333, &F333Option, 0, INT_MAX},
    {336, &ReduceTimeStepFlag, 0, INT_MAX},
    {339, &F339Option, 0, INT_MAX},
    {340, &F340Group, 1, 9},
    {341, &StepLossFlag, 0, 9},
    {342, nullptr, 0, INT_MAX},
    {343, &PlanSolverOption, 0, INT_MAX},
    {344, &MultigridVariant, 0, INT_MAX},
    {346, &F346Option, 0, INT_MAX},
    {347, &F347Option, 0, INT_MAX},
    {348, &InterfaceSide, 0, INT_MAX},
    {349, &F349Option, 0, INT_MAX},
    {353, &F353Option, INT_MIN, INT_MAX},
};

void ReadFaceWallLawFlag(FILE* fp, int n) {
    ReadF(fp, n, kLine, {AtLeast(&FaceWallLawFlag, 0)});
}

// F 317 and F 318: an index into the table and a value. Entry 1 of F 317 is a
// j grid line, so it must lie on the grid.
void ReadIndexedValue(FILE* fp, int n) {
    int index = 0, value = 0;
    ReadF(fp, n, kLine, {Within(&index, 1, kF317Slots - 2), AtLeast(&value, 1)});
    if (n != 317) return;
    if (index == 1 && value > NoGridLinesY) RefuseF(n, kLine);
    F317Values[index] = value;
}

// F 329 never ends the run: it stops at the first value it cannot take.
void ReadOutputFlags(FILE* fp) {
    int stored = 0;
    for (int k = 0; k < kOutputFlagsRead; ++k) {
        int v = 0;
        if (ScanValues(fp, {&v}) != 1 || v < 0 || v > 99) break;
        OutputFlags[k] = v;
        ++stored;
    }
    LogAppend("Have read %d integers from the F 329 data set\n", stored);
}

void ReadF337(FILE* fp) {
    if (MpiPart == 0) {
        LogAppend("Error in control file. The F 337 data set can only be used\n");
        FailWithLog(-1, "when preceded by an F 308 (MPI) data set\n\n");
    }
    int group = 0, block = 0;
    double discharge = 0.0;
    if (ReadCount(fp, {Any(&group), Any(&block), Any(&discharge)}) < 3) {
        FailWithLog(kControlRefusedStatus, "Error for F 337 in control: have not read three numbers\n");
    }
    if (block < 1 || block > 9) FailWithLog(kControlRefusedStatus, "Error for F 337 in control: 2nd integer not between 1 and 9\n");
    if (discharge < 0.0) FailWithLog(kControlRefusedStatus, "Error for F 337, group %d, block %d: discharge is too low\n", group, block);
}

void ReadDischargeTimeStep(FILE* fp, int n) {
    ReadF(fp, n, kLine,
          {AtLeast(&DischargeTimeStepBase, 0.0), AtLeast(&MinDischargeTimeStep, 0.0), AtLeast(&ReferenceDischarge, 0.0),
           AtLeast(&DischargeTimeStepExponent, 0.0)});
    if (MinDischargeTimeStep > DischargeTimeStepBase) RefuseF(n, kLine);
    DischargeTimeStepFlag = 1;
}

}  // namespace

bool ReadDataSetF300(int n, FILE* fp) {
    if (ReadByIntRule(fp, n, kLine, kIntRules)) return true;
    int unusedInt = 0;
    double unusedReal = 0.0, unusedReal2 = 0.0;
    switch (n) {
        case 301: ReadF(fp, n, kLine, {AtLeast(&DivergenceLimit, 0.0)}); break;
        case 305: ReadFaceWallLawFlag(fp, n); break;
        case 314: ReadF(fp, n, kLine, {Within(&F314Int1, 0, 1), Within(&F314Int2, 0, 1)}); break;
        case 317:
        case 318: ReadIndexedValue(fp, n); break;
        case 322: ReadF(fp, n, kLine, {AtLeast(&SurfaceTimeTermOption, 0), AtLeast(&SurfaceExtraTermsFlag, 0)}); break;
        case 326: ReadF(fp, n, kLine, {AtLeast(&unusedInt, 0), AtLeast(&unusedReal, 0.0)}); break;
        case 329: ReadOutputFlags(fp); break;
        case 330:
            ReadF(fp, n, kLine, {Within(&unusedReal, 0.0, 1e8), Within(&unusedReal2, -1e8, 1e8)});
            break;
        case 332: ReadF(fp, n, kLine, {AtLeast(&F332Value, -0.001)}); break;
        case 334: ReadF(fp, n, kLine, {AtLeast(&F334Value1, -0.001), AtLeast(&F334Value2, 0.0)}); break;
        case 335: ReadF(fp, n, kLine, {AtLeast(&EndTime, -0.001)}); break;
        case 337: ReadF337(fp); break;
        case 338: ReadF(fp, n, kLine, {AtLeast(&LayerBaseViscosity, 0.0)}); break;
        case 345: ReadF(fp, n, kLine, {AtLeast(&PlanSolverTolerance, 0.0)}); break;
        case 350: ReadDischargeTimeStep(fp, n); break;
        case 351: ReadF(fp, n, kLine, {AtLeast(&CriticalLevelFlag, 0), AtLeast(&CriticalFroude, 0.0001)}); break;
        case 352: ReadF(fp, n, kLine, {Any(&F352Int1), Any(&F352Int2)}); break;
        case 354: ReadF(fp, n, kLine, {Any(&Alpha1PrintI), Any(&Alpha1PrintJ)}); break;
        case 355: ReadF(fp, n, kLine, {AtLeast(&SigmaCorrectionOption, 0), Any(&SigmaCorrectionFactor)}); break;
        default: return false;
    }
    return true;
}
