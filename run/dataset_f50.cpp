// Handlers of the data sets F 50 to F 99.
#include <cmath>
#include <cstdio>

#include "run/control_reader.h"
#include "run/dataset_rules.h"
#include "run/fatal.h"
#include "run/globals.h"

RIVAX_PARAMS_F50(RIVAX_DEFINE_PARAM)

double WindSpeed[3];

void StoreDefaultsF50() {
    RIVAX_PARAMS_F50(RIVAX_STORE_DEFAULT)
    WindSpeed[0] = WindSpeed[1] = WindSpeed[2] = 0.0;
}

namespace {

// Every message of this family is "Error for F n in control" without a line
// end, except the two of F 65.
constexpr FMessage kForm = FMessage::Plain;

constexpr const char kTemperatureName[] = "Temperature        ";

// F 63 switches these equations to second-order upwinding with the far
// coefficients; K 6 sets only the first six.
constexpr int kF63Equations[] = {8, 9};

// Data sets that read their values with one formatted read and check only
// what was stored: a value that does not convert keeps its earlier value.
void ReadChecked(FILE* fp, int n, std::initializer_list<Bounded> values) {
    ReadCount(fp, values);
    if (!AllWithin(values)) RefuseF(n, kForm);
}

// The top cell of a column is found by walking the cell-above links, except
// for the algorithms that do not need the walk.
int TopCellWalkFor(int algorithm) {
    switch (algorithm) {
        case 3: case 4: case 8: case 10: case 11: case 12: case 13: case 33: case 38:
            return 0;
        default:
            return algorithm > 99 ? 0 : 1;
    }
}

// F 65: the capacities of the unstructured arrays, with messages of their own.
void ReadCapacities(FILE* fp) {
    int got = ScanValues(fp, {&MaxCeller, &MaxFlater, &MaxPoints, &MaxBoundaryCells, &MaxEdgePairs});
    if (MaxPoints <= 5 || MaxCeller <= 0 || MaxFlater <= 5) {
        FailWithLog(kControlRefusedStatus, "Error for F 65 in control: too low numbers");
    }
    if (got < 5) FailWithLog(kControlRefusedStatus, "Error for F 65 in control: Have only read %d numbers.", got);
    if (MaxBoundaryCells < 2) MaxBoundaryCells = 2;
    if (MaxEdgePairs < 2) MaxEdgePairs = 2;
}

// F 58: only the fourth integer is kept; every value is still checked.
void ReadF58(FILE* fp, int n) {
    int i1 = 0, i2 = 0, i3 = 0;
    double r1 = 0.0, r2 = 0.0, r3 = 0.0, r4 = 0.0, r5 = 0.0, r6 = 0.0;
    ReadChecked(fp, n,
                {Within(&i1, 0, 1), Within(&i2, 0, 1), Within(&i3, 0, 1), Within(&F227Int, 0, 1), AtLeast(&r1, 0.0),
                 Within(&r2, 0.0, 5.0), Within(&r3, 0.0, 5.0), Within(&r4, -0.0001, 5.0), Within(&r5, -0.0001, 5.0),
                 AtLeast(&r6, 0.0)});
}

void ReadWind(FILE* fp, int n) {
    ReadF(fp, n, kForm, {Within(&WindSpeed[0], 1e-7, 1000.0), Any(&WindSpeed[1]), Any(&WindSpeed[2])});
    if (std::fabs(WindSpeed[1]) + std::fabs(WindSpeed[2]) > 2.0) RefuseF(n, kForm);
}

void ReadTemperatureFlag(FILE* fp, int n) {
    ReadChecked(fp, n, {Within(&TemperatureFlag, 0, 1)});
    if (TemperatureFlag != 1) return;
    if (NoComponents <= 0) NoComponents = 1;
    std::snprintf(QNames[0], kQNameSize, "%s", kTemperatureName);
}

}  // namespace

bool ReadDataSetF50(int n, FILE* fp) {
    int unusedInt = 0, unusedInt2 = 0;
    double unusedReal = 0.0;
    switch (n) {
        case 50: ReadChecked(fp, n, {Within(&NoComponents, 0, 10)}); break;
        case 51:
            ReadChecked(fp, n, {Within(&Coriolis, -2.0, 2.0)});
            CoriolisFlag = 1;
            break;
        case 52: ReadWind(fp, n); break;
        case 53:
            ReadF(fp, n, kForm, {AtLeast(&PrintInterval, 1), Any(&unusedInt), AtLeast(&unusedInt2, 1),
                                 AtLeast(&TimeoInterval, 1)});
            break;
        case 54: ReadChecked(fp, n, {AtLeast(&InnerConvergence, 0.0)}); break;
        case 56: ReadF(fp, n, kForm, {AtLeast(&BedSlopeLimitOption, 0), Within(&MaxBedSlope, 0.01, 50.0)}); break;
        case 58: ReadF58(fp, n); break;
        case 60: ReadF(fp, n, kForm, {Within(&F60Int1, 0, 10), Within(&unusedInt, 0, 10)}); break;
        case 61:
            // The transient terms divide by 1 - Theta, so a full weight of 1 is refused too.
            ReadF(fp, n, kForm, {Within(&Theta, 0.0, 1.0)});
            if (Theta >= 1.0) RefuseF(n, kForm);
            break;
        case 62: ReadChecked(fp, n, {Within(&TransientComponentsFlag, 0, 1)}); break;
        case 63:
            ReadChecked(fp, n, {Within(&F63Option, 0, 10)});
            if (F63Option == 1) {
                for (int e : kF63Equations) ConvectionScheme[e] = 1;
            }
            break;
        case 64:
            ReadF(fp, n, kForm, {Within(&GridAlgorithm, 0, 500)});
            TopCellWalkFlag = TopCellWalkFor(GridAlgorithm);
            break;
        case 65: ReadCapacities(fp); break;
        case 66: ReadChecked(fp, n, {Within(&BlockLinkWeight, 0.0, 1.0)}); break;
        case 67: ReadTemperatureFlag(fp, n); break;
        case 68: ReadF(fp, n, kForm, {Within(&Hydrostatic, 0, 10)}); break;
        case 69:
            ReadF(fp, n, kForm, {Any(&F69Int1), Any(&F69Int2), Any(&F69Int3), Any(&ColumnFluxOption), Any(&F69Int5),
                                 Any(&F69Int6), Any(&F69Int7)});
            break;
        case 70: ReadF(fp, n, kForm, {Within(&WallLawVariant, 0, 100)}); break;
        case 71: ReadF(fp, n, kForm, {Within(&TurbDensFlag, 0, 100)}); break;
        case 72: ReadF(fp, n, kForm, {Within(&MinGamma, 0.0, 100.0)}); break;
        case 73: ReadF(fp, n, kForm, {Within(&WindDragFormula, 0, 100)}); break;
        case 74: ReadF(fp, n, kForm, {Within(&F74Flag, 0, 2)}); break;
        case 75:
            ReadF(fp, n, kForm, {Within(&WaterTemperature, -0.5, 40.0)});
            WaterTemperatureFlag = 1;
            break;
        case 76:
            ReadF(fp, n, kForm, {Within(&DiffusivityFactor, 0.0, 1000.0), Within(&BedDiffusivityFactor, 0.0, 1000.0),
                                 Within(&DampingExponent, 0.0, 1.0)});
            break;
        case 77: ReadF(fp, n, kForm, {AtLeast(&ConstEddyViscosity, 0.0), AtLeast(&ConstEddyViscosityBed, 0.0)}); break;
        case 78: ReadF(fp, n, kForm, {AtLeast(&LateralSlopeOption, 0), Any(&LateralSlopeFactor)}); break;
        case 79: ReadF(fp, n, kForm, {Within(&ComponentWorkRows, 0, 10), Within(&NoSizes, 0, kMaxSizes)}); break;
        case 80:
            ReadF(fp, n, kForm, {Within(&Coriolis, -2.0, 2.0), AtLeast(&CoriolisImplicitFactor, 0.0)});
            CoriolisFlag = 1;
            break;
        case 81: ReadF(fp, n, kForm, {AtLeast(&MaxTimeiSteps, 1)}); break;
        case 82:
            ReadF(fp, n, kForm, {AtMost(&DampingExpMomentum, 0.0), AtLeast(&DampingCoefMomentum, 0.0),
                                 AtMost(&DampingExpScalar, 0.0), AtLeast(&DampingCoefScalar, 0.0)});
            break;
        case 83:
            ReadF(fp, n, kForm, {Any(&VanRijnBedLoadCoef), Any(&VanRijnBedLoadExpT), Any(&VanRijnBedLoadExpD),
                                 Any(&VanRijnBedLoadExpDiam)});
            break;
        case 84: ReadF(fp, n, kForm, {AtLeast(&SedFormulaVariant, 0)}); break;
        case 85: ReadF(fp, n, kForm, {AtLeast(&F85Flag, 0)}); break;
        case 86:
            ReadF(fp, n, kForm, {Within(&MinWaterDepth, 0.0, 10.0)});
            SingleCellDepth = MinWaterDepth;
            DryDepth = MinWaterDepth / 4.0;
            break;
        case 87: ReadF(fp, n, kForm, {Within(&LayerDepthExponent, 0.0, 10.0)}); break;
        case 88: ReadF(fp, n, kForm, {AtLeast(&MaxEddyViscosity, 0.0)}); break;
        case 89: ReadF(fp, n, kForm, {Within(&ShorelineMoveLimit, 0.001, 1.0)}); break;
        case 90: ReadF(fp, n, kForm, {Within(&RoughnessOption, 0, 10)}); break;
        case 91: ReadF(fp, n, kForm, {AtLeast(&iPres, 0), AtLeast(&jPres, 0)}); break;
        case 92: ReadF(fp, n, kForm, {AtLeast(&NearBedOption, 0)}); break;
        case 93:
            ReadF(fp, n, kForm, {Within(&unusedReal, 0.0, 1000.0)});
            SupercriticalAveragingFlag = 1;
            break;
        case 94:
            ReadF(fp, n, kForm, {Any(&DryDepth), AtLeast(&SingleCellDepth, 0.0)});
            MinWaterDepth = SingleCellDepth;
            break;
        case 95:
            ReadF(fp, n, kForm, {AtLeast(&F95Value1, 0.0), AtLeast(&F95Value2, 0.0)});
            if (NearBedOption == 0) NearBedOption = 2;
            break;
        case 96: ReadF(fp, n, kForm, {AtLeast(&DeadEndCellFlag, 0)}); break;
        case 98: ReadF(fp, n, kForm, {AtLeast(&SkipBlockCorrection, 0)}); break;
        case 99: ReadF(fp, n, kForm, {AtLeast(&RegridInterval, 1)}); break;
        default: return false;
    }
    return true;
}
