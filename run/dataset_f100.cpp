// Handlers of the data sets F 100 to F 149.
#include <climits>
#include <cmath>
#include <cstring>

#include "run/control_reader.h"
#include "run/dataset_rules.h"
#include "run/fatal.h"
#include "run/globals.h"

RIVAX_PARAMS_F100(RIVAX_DEFINE_PARAM)

int OutputIntervals[kOutputIntervals];
double Cohesion[kCohesionSize];

void StoreDefaultsF100() {
    RIVAX_PARAMS_F100(RIVAX_STORE_DEFAULT)
    std::memset(OutputIntervals, 0, sizeof OutputIntervals);
    std::memset(Cohesion, 0, sizeof Cohesion);
}

namespace {

// Up to F 130 the message has no line end, from F 134 on it has one.
FMessage FormOf(int n) { return n >= 134 ? FMessage::Line : FMessage::Plain; }

void ReadOutputIntervals(FILE* fp, int n) {
    ReadF(fp, n, FormOf(n),
          {Any(&OutputIntervals[1]), Any(&OutputIntervals[2]), Any(&OutputIntervals[3]), Any(&OutputIntervals[4])});
    OutputIntervals[0] = 1000000;
    for (int k = 1; k <= 4; ++k) {
        if (OutputIntervals[k] > 0 && OutputIntervals[k] < OutputIntervals[0]) OutputIntervals[0] = OutputIntervals[k];
    }
}

// F 130: one more block, i from F130Int1 to F130Int2 and j from F130Int3 to
// F130Int4, inside the grid sizes in force.
void ReadAppendedBlockRange(FILE* fp, int n) {
    ReadF(fp, n, FormOf(n), {Any(&F130Int1), Any(&F130Int2), Any(&F130Int3), Any(&F130Int4)});
    if (F130Int1 <= 1 || F130Int2 > NoGridLinesX || F130Int3 <= 1 || F130Int4 > NoGridLinesY ||
        F130Int1 > F130Int2 || F130Int3 > F130Int4) {
        RefuseF(n, FormOf(n));
    }
}

constexpr int kAppendedBlockRange = 130;

void ReadCohesion(FILE* fp) {
    int size = 0;
    if (ScanValues(fp, {&size}) != 1 || size < 1 || size > kCohesionMaxIndex) {
        FailWithLog(kControlRefusedStatus, "Error for F 131 in control - index\n");
    }
    if (ScanValues(fp, {&Cohesion[size]}) != 1 || Cohesion[size] < 0.0) {
        FailWithLog(kControlRefusedStatus, "Error for F 131 in control - negative cohesion\n");
    }
}

// F 139: the wall value starts from the bed value, and both are required.
void ReadMinUplus(FILE* fp) {
    if (ScanValues(fp, {&MinUplus}) != 1 || MinUplus < 0.0) {
        FailWithLog(kControlRefusedStatus, "Error for F 139 in control, 1st. parameter\n");
    }
    MinUplusWall = MinUplus;
    if (ScanValues(fp, {&MinUplusWall}) != 1 || MinUplusWall < 0.0) {
        FailWithLog(kControlRefusedStatus, "Error for F 139 in control, 2nd. parameter\n");
    }
}

}  // namespace

bool ReadDataSetF100(int n, FILE* fp) {
    const FMessage form = FormOf(n);
    int unusedInt = 0;
    double unusedReal = 0.0;
    switch (n) {
        case 101: ReadOutputIntervals(fp, n); break;
        case 102: ReadF(fp, n, form, {AtLeast(&ShorelineOption, 0)}); break;
        case 103: ReadF(fp, n, form, {AtLeast(&F103Flag, 0)}); break;
        case 104: ReadF(fp, n, form, {AtLeast(&IsolatedCellDamping, 0)}); break;
        case 105: ReadF(fp, n, form, {AtLeast(&SurfaceInterval, 1)}); break;
        case 106:
            ReadF(fp, n, form, {Any(&F106Value)});
            if (!(std::fabs(F106Value) >= 1e-10 && std::fabs(F106Value) <= 100000.0)) RefuseF(n, form);
            break;
        case 109:
            ReadF(fp, n, form, {AtLeast(&CotAngle1, 0.0), AtLeast(&CotAngle2, 0.0), Within(&AngleFactor, 0.0, 1.0)});
            break;
        case 110:
            // Only meaningful for the bed-concentration variant that F 60 selects.
            if (F60Int1 != 1) RefuseF(n, form);
            ReadF(fp, n, form, {AtLeast(&F110Value1, 0.0), Within(&F110Value2, 0.0, 1.0)});
            break;
        case 111: ReadF(fp, n, form, {Within(&unusedInt, 0, 1)}); break;
        case 112: ReadF(fp, n, form, {Within(&RegenerateGridFlag, 0, 100)}); break;
        case 113:
            ReadF(fp, n, form, {Within(&FluxInterpolationOption, 0, 100)});
            F113InitialValue = FluxInterpolationOption;
            break;
        case 114: ReadF(fp, n, form, {Within(&PressureGradientOption, 0, 100)}); break;
        case 115: ReadF(fp, n, form, {Within(&VegetationOption, 0, 500)}); break;
        case 116: ReadF(fp, n, form, {AtLeast(&Surface2DOption, 0)}); break;
        case 120:
            // Any accepted value leaves the wall laws without a law.
            ReadF(fp, n, form, {AtLeast(&WallLaw, 0)});
            WallLaw = 1000;
            break;
        case 121: ReadF(fp, n, form, {AtLeast(&F121Flag, 0)}); break;
        case 125: ReadF(fp, n, form, {AtLeast(&unusedInt, 0)}); break;
        case 126: ReadF(fp, n, form, {AtLeast(&F126Flag, 0)}); break;
        case 128: ReadF(fp, n, form, {Any(&F128Option)}); break;
        case 129: ReadF(fp, n, form, {AtLeast(&F129Flag, 0)}); break;
        case 130: ReadAppendedBlockRange(fp, n); break;
        case 131: ReadCohesion(fp); break;
        case 132:
            if (ScanValues(fp, {&FroudeLimit}) != 1 || FroudeLimit < 0.0) {
                FailWithLog(kControlRefusedStatus, "Error for F 132 in control - negative value\n");
            }
            break;
        case 134: ReadF(fp, n, form, {Within(&NoBedLayers, 2, 50)}); break;
        case 135: ReadF(fp, n, form, {AtLeast(&SurfaceSlopeGravityFlag, 0)}); break;
        case 136: ReadF(fp, n, form, {AtLeast(&BoundarySlopeLimit, 0.0)}); break;
        case 137: ReadF(fp, n, form, {AtLeast(&SplitFaceFlag, 0)}); break;
        case 138: ReadF(fp, n, form, {AtLeast(&MinK, 0.0)}); break;
        case 139: ReadMinUplus(fp); break;
        case 140: ReadF(fp, n, form, {AtLeast(&unusedInt, 0)}); break;
        case 141: ReadF(fp, n, form, {AtLeast(&unusedReal, 0.0)}); break;
        case 143: ReadF(fp, n, form, {AtLeast(&TimeAveragingOption, 0)}); break;
        case 144: ReadF(fp, n, form, {AtLeast(&F144Option, 0), Any(&F144Value)}); break;
        case 147:
            ReadF(fp, n, form,
                  {AtLeast(&ExtrapolationPasses, 0), Any(&F147Int2), Any(&F147Int3), AtLeast(&F147Value4, 0.0),
                   AtLeast(&F147Value5, 0.0), AtLeast(&F147Value6, 0.0)});
            break;
        case 148: ReadF(fp, n, form, {AtLeast(&MaxLevelSlope, 0.0)}); break;
        case 149:
            ReadF(fp, n, form, {AtLeast(&VerticalEddyViscFactor, 0.0), AtLeast(&HorizontalEddyViscFactor, 0.0)});
            break;
        default: return false;
    }
    return true;
}

void RecheckDataSetsF100() {
    // The block's range must still lie inside the final grid.
    if (F130Int2 > NoGridLinesX || F130Int4 > NoGridLinesY) {
        RefuseF(kAppendedBlockRange, FormOf(kAppendedBlockRange));
    }
}
