// Handlers of the data sets F 150 to F 199.
#include "run/control_reader.h"
#include "run/dataset_rules.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"

RIVAX_PARAMS_F150(RIVAX_DEFINE_PARAM)

void StoreDefaultsF150() {
    RIVAX_PARAMS_F150(RIVAX_STORE_DEFAULT)
    PauseFlag = 0;
}

namespace {

constexpr FMessage kForm = FMessage::Line;

void ReadGridCleaningVariants(FILE* fp, int n) {
    std::initializer_list<Bounded> values = {AtLeast(&F159Int1, 0), AtLeast(&F159Int2, 0), AtLeast(&F159Int3, 0),
                                             AtLeast(&F159Int4, 0), AtLeast(&F159Int5, 0)};
    if (ReadCount(fp, values) < static_cast<int>(values.size()) || !AllWithin(values)) {
        LogAppend("Error for F %d in control\n", n);
        FailWithLog(kControlRefusedStatus, "Default F 159: 1 0 0 1 0\n");
    }
}

}  // namespace

bool ReadDataSetF150(int n, FILE* fp) {
    int unusedInt = 0;
    switch (n) {
        case 150: ReadF(fp, n, kForm, {AtLeast(&unusedInt, 0), AtLeast(&F150Int2, 0)}); break;
        case 152: ReadF(fp, n, kForm, {Within(&NoGridLevels, 0, 10)}); break;
        case 153: ReadF(fp, n, kForm, {Within(&CellResidualFlag, 0, 10)}); break;
        case 154: ReadF(fp, n, kForm, {AtLeast(&SurfaceSmoothingOption, 0), Any(&SurfaceSmoothingValue)}); break;
        case 156: ReadF(fp, n, kForm, {AtLeast(&PauseFlag, 0)}); break;
        case 157: ReadF(fp, n, kForm, {AtLeast(&SimpleVariant, 0)}); break;
        case 159: ReadGridCleaningVariants(fp, n); break;
        case 160: ReadF(fp, n, kForm, {AtLeast(&F160Int, 0)}); break;
        case 162: ReadF(fp, n, kForm, {Any(&F162Value)}); break;
        case 163: ReadF(fp, n, kForm, {Any(&F163Int)}); break;
        case 164: ReadF(fp, n, kForm, {Any(&SolverVariant)}); break;
        case 165: ReadF(fp, n, kForm, {Any(&F165Flag)}); break;
        case 166: ReadF(fp, n, kForm, {Any(&F166Flag)}); break;
        case 168: ReadF(fp, n, kForm, {Any(&MultigridChoice)}); break;
        case 169: ReadF(fp, n, kForm, {Any(&HidingOption), Any(&HidingExponent)}); break;
        case 170: ReadF(fp, n, kForm, {Any(&FastSolverFlag)}); break;
        case 171: ReadF(fp, n, kForm, {Any(&SchemeVariant)}); break;
        case 172: ReadF(fp, n, kForm, {AtLeast(&F172Int1, 0), Any(&F172Value2), Any(&F172Value3)}); break;
        case 174: ReadF(fp, n, kForm, {Any(&CyclicInterval)}); break;
        case 175: ReadF(fp, n, kForm, {Any(&F175Value)}); break;
        case 176: ReadF(fp, n, kForm, {Any(&ExtraDiffusionOption), Any(&ExtraDiffusionFactor)}); break;
        case 177: ReadF(fp, n, kForm, {Any(&unusedInt)}); break;
        case 178: ReadF(fp, n, kForm, {Any(&F178Option)}); break;
        case 179: ReadF(fp, n, kForm, {Any(&F179Int1), Any(&F179Int2)}); break;
        case 180: ReadF(fp, n, kForm, {Any(&F180Option)}); break;
        case 181: ReadF(fp, n, kForm, {Any(&HydrostaticPressureFlag)}); break;
        case 182: ReadF(fp, n, kForm, {Any(&BedThicknessCheckOption)}); break;
        case 183: ReadF(fp, n, kForm, {Any(&DebugStopOption)}); break;
        case 184: ReadF(fp, n, kForm, {Any(&F184Option)}); break;
        case 185: ReadF(fp, n, kForm, {Any(&WallEpsilonDistanceFlag), Any(&WallEpsilonDistanceFactor)}); break;
        case 186: ReadF(fp, n, kForm, {Any(&LineSolverFlag)}); break;
        case 187: ReadF(fp, n, kForm, {Any(&GroupLevelAdjustOption)}); break;
        case 188: ReadF(fp, n, kForm, {Any(&MorphologyBlock)}); break;
        case 191: ReadF(fp, n, kForm, {Any(&EdgeMatchTolerance)}); break;
        case 192: ReadF(fp, n, kForm, {Any(&F192Value)}); break;
        case 193: ReadF(fp, n, kForm, {Any(&F193Value)}); break;
        case 198: ReadF(fp, n, kForm, {Any(&BedGridMoveFlag)}); break;
        default: return false;
    }
    return true;
}
