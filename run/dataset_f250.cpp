// Handlers of the data sets F 250 to F 299.
#include <climits>
#include <cstdio>

#include "run/control_reader.h"
#include "run/dataset_rules.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/output_file.h"

RIVAX_PARAMS_F250(RIVAX_DEFINE_PARAM)

int F263GroupValues[kF263GroupSlots];

void StoreDefaultsF250() {
    RIVAX_PARAMS_F250(RIVAX_STORE_DEFAULT)
    for (int& v : F263GroupValues) v = -1;
}

namespace {

constexpr FMessage kLine = FMessage::Line;

// Data sets of one integer with "Error for F n in control\n".
const IntRule kIntRules[] = {
    {250, &ReferenceLevelGroup, 0, INT_MAX},
    {251, &F251Option, 0, INT_MAX},
    {253, &ActiveLayerErosionLimit, 0, INT_MAX},
    {255, &BedChangeRoutine, 0, INT_MAX},
    {257, &DebugFilesOption, 0, INT_MAX},
    {258, &SimpleCorrectionMode, 0, INT_MAX},
    {259, &StressVariant, 0, INT_MAX},
    {264, &F264Option, INT_MIN, INT_MAX},
    {267, nullptr, 0, INT_MAX},
    {268, &PlotZoneBlock, 0, INT_MAX},
    {271, &F271Option, 0, INT_MAX},
    {272, &TurbulenceProductionVariant, 0, INT_MAX},
    {273, &WallPressureGradientOption, 0, INT_MAX},
    {274, &BedAngleFileOption, 0, INT_MAX},
    {276, &RaiseGroupTopFlag, 0, INT_MAX},
    {277, &F277Option, 0, INT_MAX},
    {278, &SurfaceWeightOption, 0, 17},
    {279, &F279Option, 0, INT_MAX},
    {280, &F280Option, 0, INT_MAX},
    {282, &LevelCorrectionVariant, 0, INT_MAX},
    {283, &F283Option, 0, INT_MAX},
    {284, &F284Option, 0, INT_MAX},
    {294, &InspaceTimeCount, 0, INT_MAX},
    {296, &F296Option, 0, INT_MAX},
    {297, &UnstrucVersion, 2, 4},
    {299, &F299Option, 0, INT_MAX},
};

void ReadF256(FILE* fp) {
    if (ScanValues(fp, {&F256Value}) != 1) {
        LogAppend("Error for F 256 in control\n");
        FailWithLog(kControlRefusedStatus, "Have not read any floating point number\n");
    }
    if (F256Value < 0.0) RefuseF(256, kLine);
}

void ReadF260(FILE* fp, int n) {
    int value = 0;
    ReadF(fp, n, kLine, {AtLeast(&value, 0)});
    if (value > 0 && FlagTSC <= 1) {
        LogAppend("Error in control file. The F 260 data set will only work\n");
        LogAppend("when the F 37 data set is set to 2 or 3\n\n");
    }
}

void ReadBlockInterface(FILE* fp, int n) {
    ReadF(fp, n, kLine, {AtLeast(&BlockInterfaceOption, 0), AtLeast(&BlockInterfaceRelax, 0.0)});
    // Options 11 to 15 divide the diagonal by 1 - r.
    if (BlockInterfaceOption >= 11 && BlockInterfaceOption <= 15 && BlockInterfaceRelax >= 1.0) RefuseF(261, kLine);
    if (NoThreads > 0 && (BlockInterfaceOption == 16 || BlockInterfaceOption == 18)) {
        LogAppend("Warning: The combination of F 206 and F 261 data sets in the control file will\n");
        LogAppend("give incorrect residuals\n");
    }
}

// F 263: the group is checked before anything is stored under it.
void ReadGroupMode(FILE* fp, int n) {
    int group = 0, value = 0;
    ReadF(fp, n, kLine, {Within(&group, 1, 9), AtLeast(&value, 0)});
    F263GroupValues[group] = value;
}

void ReadParallelSwitches(FILE* fp, int n) {
    std::initializer_list<Bounded> values = {AtLeast(&OpenMPSwitches[10], 0), AtLeast(&OpenMPSwitches[11], 0)};
    const int got = ReadCount(fp, values);
    if (got == 2 && AllWithin(values)) return;
    LogAppend("Error for F %d in control\n", n);
    if (got == 1) LogAppend("The data set needs two integers. Default F 269 1 1\n");
    EndRun(kControlRefusedStatus);
}

void ReadReservoirBalance(FILE* fp, int n) {
    ReadF(fp, n, kLine, {AtLeast(&ReservoirBalanceMode, 0)});
    if (ReservoirBalanceMode != 6) return;
    std::initializer_list<Bounded> factors = {AtLeast(&BalanceLowFactor, 0.0), Any(&BalanceHighFactor)};
    if (ReadCount(fp, factors) < 2 || !AllWithin(factors) || BalanceLowFactor > BalanceHighFactor) {
        FailWithLog(kControlRefusedStatus, "Error for F 287 6 in control\n");
    }
}

void ReadLayerUpdate(FILE* fp, int n) {
    int unused = 0;
    std::initializer_list<Bounded> values = {AtLeast(&LayerUpdateVariant, 0), AtLeast(&LayerBlockGridVariant, 0),
                                             AtLeast(&unused, 0), AtLeast(&BlockingOption, 0)};
    const int got = ReadCount(fp, values);
    if (got == 4 && AllWithin(values)) return;
    LogAppend("Error for F %d in control\n", n);
    if (got < 4) LogAppend("There should be four integers on the data set. Now there is %d\n", got);
    EndRun(kControlRefusedStatus);
}

void ReadF291(FILE* fp, int n) {
    ReadF(fp, n, kLine, {AtLeast(&F291Int1, 0), AtLeast(&F291Int2, 0), AtLeast(&F291Int3, 0)});
    LogAppend("Warning: The F 291 data set parameters will mostly only work\n");
    LogAppend("with F 206 0\n\n");
}

// F 293 starts the residual history afresh with its header line.
void ReadResidualFileFlag(FILE* fp, int n) {
    ReadF(fp, n, kLine, {AtLeast(&ResidualFileFlag, 0)});
    FILE* out = OpenPlainOutput(kResidualFileName, false);
    bool ok = out != nullptr;
    if (ok) {
        ok = std::fputs("Iteration, Residuals: Ux, Uy, Uz, Continuity, k, epsilon\n", out) >= 0;
        ok = std::fclose(out) == 0 && ok;
    }
    if (!ok) FailWithLog(-4, "Error, cannot open file 'quorva'\n");
}

}  // namespace

bool ReadDataSetF250(int n, FILE* fp) {
    if (ReadByIntRule(fp, n, kLine, kIntRules)) return true;
    int unusedInt = 0, unusedInt2 = 0;
    double unusedReal = 0.0;
    switch (n) {
        case 252: ReadF(fp, n, kLine, {AtLeast(&SedimentInflowFluxWeight, 0.0)}); break;
        case 254: ReadF(fp, n, kLine, {Any(&F254Value)}); break;
        case 256: ReadF256(fp); break;
        case 260: ReadF260(fp, n); break;
        case 261: ReadBlockInterface(fp, n); break;
        case 262: ReadF(fp, n, kLine, {AtLeast(&GroundwaterOption, 0), AtLeast(&GroundwaterConductivity, 0.0)}); break;
        case 263: ReadGroupMode(fp, n); break;
        case 265: ReadF(fp, n, kLine, {Within(&GrainPercentile, 0.001, 0.999)}); break;
        case 266:
            ReadF(fp, n, kLine, {AtLeast(&BankFailureOption, 0), AtLeast(&BankFrictionCoef, 0.0), AtLeast(&BankCohesion, 0.0)});
            break;
        case 269: ReadParallelSwitches(fp, n); break;
        case 270:
            ReadF(fp, n, FMessage::Plain,
                  {AtLeast(&BedSlopeLimitOption, 0), Within(&F270Value2, 0.01, 70.0), Within(&MaxBedSlope, 0.01, 70.0)});
            break;
        case 275: ReadF(fp, n, kLine, {AtLeast(&C1eps, 0.0), AtLeast(&C2eps, 0.0)}); break;
        case 281: ReadF(fp, n, kLine, {AtLeast(&F281Option, 0), AtLeast(&F281Value2, 0.0)}); break;
        case 285: ReadF(fp, n, kLine, {AtLeast(&unusedInt, 0), AtLeast(&unusedInt2, 0)}); break;
        case 287: ReadReservoirBalance(fp, n); break;
        case 289: ReadLayerUpdate(fp, n); break;
        case 290: ReadF(fp, n, kLine, {AtLeast(&F290Value1, 0.0), Any(&unusedReal)}); break;
        case 291: ReadF291(fp, n); break;
        case 292:
            // A positive step keeps every false-time-step mode from dividing by zero.
            ReadF(fp, n, kLine, {AtLeast(&FalseTimeStepMode, 0), AtLeast(&FalseTimeStep, 1e-20)});
            break;
        case 293: ReadResidualFileFlag(fp, n); break;
        case 295: ReadF(fp, n, kLine, {AtLeast(&BedRoughnessFactor, 0.0)}); break;
        case 298:
            ReadF(fp, n, kLine,
                  {AtLeast(&OpenFoamPatchOption, 0), AtMost(&OpenFoamInletLevel, 2e20),
                   AtMost(&OpenFoamOutlet2Level, 2e20)});
            break;
        default: return false;
    }
    return true;
}
