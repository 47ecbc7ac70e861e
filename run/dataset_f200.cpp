// Handlers of the data sets F 200 to F 249.
#include <omp.h>

#include "run/control_reader.h"
#include "run/dataset_rules.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"

RIVAX_PARAMS_F200(RIVAX_DEFINE_PARAM)

double GivenGroupDischarge[kGivenGroupDischargeSlots];

void StoreDefaultsF200() {
    RIVAX_PARAMS_F200(RIVAX_STORE_DEFAULT)
    for (double& q : GivenGroupDischarge) q = -1.0;
}

namespace {

constexpr FMessage kPlain = FMessage::Plain;
constexpr FMessage kLine = FMessage::Line;

// F 200: the given start values of k and epsilon; option 2 adds the two
// references of the inflow condition.
void ReadInitialTurbulence(FILE* fp, int n) {
    ReadF(fp, n, kPlain, {AtLeast(&InitialTurbulenceOption, 1), AtLeast(&InitialK, 0.0), AtLeast(&InitialEpsilon, 0.0)});
    if (InitialTurbulenceOption == 2) ReadF(fp, n, kPlain, {AtLeast(&F200Value4, 0.0), AtLeast(&F200Value5, 0.0)});
}

// F 206: the runtime never gets fewer than one thread; without a positive
// count the reader sets one thread after the first pass.
void ReadThreadCount(FILE* fp, int n) {
    int requested = 0;
    ReadF(fp, n, kPlain, {AtLeast(&requested, 0)});
    const int most = omp_get_max_threads();
    LogAppend("Max. number of threads: %d, value F 206: %d\n", most, requested);
    NoThreads = requested < most ? requested : most;
    if (NoThreads > 0) {
        omp_set_num_threads(NoThreads);
        omp_set_dynamic(0);
    }
}

// F 218: the second value is optional. The cell must be one the cell arrays
// hold.
void ReadBugtrap(FILE* fp, int n) {
    ReadF(fp, n, kPlain, {Any(&BugtrapIter)});
    if (ScanValues(fp, {&BugtrapCell}) != 1) BugtrapCell = 0;
    if (BugtrapCell < 0 || BugtrapCell >= MaxCeller) RefuseF(n, kPlain);
}

void ReadTrekantOption(FILE* fp, int n) {
    ReadF(fp, n, kLine, {Any(&TrekantOption)});
    if (TrekantOption == 1 || TrekantOption == 5 || TrekantOption == 10 || TrekantOption == 21) return;
    LogAppend("Warning: The F 235 %d data set will only work when\n", TrekantOption);
    LogAppend("not used in combination with the F 206 data set\n\n");
}

// F 237: the group is checked before anything is stored under it.
void ReadGroupDischarge(FILE* fp, int n) {
    int group = 0;
    double discharge = 0.0;
    ReadF(fp, n, kLine, {Within(&group, 1, 9), AtLeast(&discharge, 0.0)});
    if (discharge < 1e-20) FailWithLog(kControlRefusedStatus, "Error for F 237, group %d: discharge is too low\n", group);
    GivenGroupDischarge[group] = discharge;
}

void ReadBlockCoupling(FILE* fp, int n) {
    std::initializer_list<Bounded> values = {AtLeast(&BlockCouplingOption, 0), AtLeast(&F238Value2, -20000.0)};
    const int got = ReadCount(fp, values);
    if (got == 2 && AllWithin(values)) return;
    LogAppend("Error for F %d in control\n", n);
    if (got < 2) LogAppend("You have to give in two numbers: an integer and a float\n\n");
    EndRun(kControlRefusedStatus);
}

void ReadF242(FILE* fp) {
    if (ScanValues(fp, {&F242Int}) != 1) {
        LogAppend("Error for F 242 in control\n");
        FailWithLog(kControlRefusedStatus, "Have not read any integer\n");
    }
    if (F242Int <= 0) {
        LogAppend("Error for F 242 in control\n");
        FailWithLog(kControlRefusedStatus, "Invalid number on data set: %d\n", F242Int);
    }
}

// F 247: lambda divides by 1 - 2 nu, so nu must stay below 0.5.
void ReadElasticity(FILE* fp, int n) {
    ReadF(fp, n, kLine, {Within(&YoungModulus, 1e7, 5e8), AtLeast(&PoissonRatio, 0.0)});
    if (!(PoissonRatio < 0.5)) RefuseF(n, kLine);
    LameLambda = YoungModulus * PoissonRatio / ((1.0 + PoissonRatio) * (1.0 - 2.0 * PoissonRatio));
}

}  // namespace

bool ReadDataSetF200(int n, FILE* fp) {
    int unusedInt = 0;
    double unusedReal = 0.0;
    switch (n) {
        case 200: ReadInitialTurbulence(fp, n); break;
        case 201:
            ReadF(fp, n, kPlain, {Within(&VegVariableCount, 1, 5), AtLeast(&VegLevelCount, 1), AtLeast(&VegTimeCount, 1)});
            break;
        case 202: ReadF(fp, n, kPlain, {AtLeast(&InflowProfileOption, 0), AtLeast(&InflowRoughness, 0.0)}); break;
        case 203: ReadF(fp, n, kPlain, {Any(&VerticalVelocityLimit)}); break;
        case 204: ReadF(fp, n, kPlain, {Any(&F204Value)}); break;
        case 205: ReadF(fp, n, kPlain, {Any(&BedChangeVariant)}); break;
        case 206: ReadThreadCount(fp, n); break;
        case 208: ReadF(fp, n, kLine, {Any(&TimeOrder)}); break;
        case 209: ReadF(fp, n, kPlain, {Any(&MaxGridDepth)}); break;
        case 210: ReadF(fp, n, kPlain, {Any(&unusedInt)}); break;
        case 212: ReadF(fp, n, kLine, {AtLeast(&DiagnosticOutputOption, 0)}); break;
        case 213: ReadF(fp, n, kLine, {AtLeast(&unusedInt, 0), Any(&unusedReal)}); break;
        case 214:
            ReadF(fp, n, kLine,
                  {AtLeast(&BedSlopeCorrectionA, 0), Any(&BedSlopeAngleA), Any(&BedSlopeCoefA1), Any(&BedSlopeCoefA2),
                   Any(&BedSlopeCoefA3)});
            break;
        case 215: ReadF(fp, n, kLine, {AtLeast(&BedSlopeCorrectionB, 0), Any(&BedSlopeCoefB)}); break;
        case 216: ReadF(fp, n, kLine, {AtLeast(&BedSlopeCorrectionC, 0), Any(&BedSlopeAngleC)}); break;
        case 217:
            ReadF(fp, n, kLine, {AtLeast(&BedSlopeCorrectionD, 0), Any(&BedSlopeCoefD), Any(&BedSlopeAngleD)});
            break;
        case 218: ReadBugtrap(fp, n); break;
        case 219: ReadF(fp, n, kPlain, {Any(&FlushLimit)}); break;
        case 221: ReadF(fp, n, kPlain, {Any(&UnsteadyConvergenceFlag)}); break;
        case 222: ReadF(fp, n, kPlain, {Any(&BedOutflowDefectOption)}); break;
        case 223: ReadF(fp, n, kPlain, {Any(&CoefficientCheckOption)}); break;
        case 224: ReadF(fp, n, kPlain, {Any(&SurfaceResidualLimit)}); break;
        case 225: ReadF(fp, n, kPlain, {Any(&GeodataScale), Any(&GeodataOffset)}); break;
        case 226: ReadF(fp, n, kPlain, {Any(&F226Option)}); break;
        case 227: ReadF(fp, n, kPlain, {Any(&F227Int)}); break;
        case 229: ReadF(fp, n, kPlain, {Any(&FroudeLevelLimitOption)}); break;
        case 230: ReadF(fp, n, kPlain, {Any(&F230Option)}); break;
        case 231: ReadF(fp, n, kPlain, {Any(&F231Option)}); break;
        case 232: ReadF(fp, n, kPlain, {Any(&F232Int1), Any(&F232Int2), Any(&F232Value3)}); break;
        case 233: ReadF(fp, n, kPlain, {Any(&SurfaceVariant)}); break;
        case 234: ReadF(fp, n, kLine, {Any(&F234Option)}); break;
        case 235: ReadTrekantOption(fp, n); break;
        case 236:
            ReadF(fp, n, kLine,
                  {Any(&LayerBlockOption), Any(&LayerBlockViscosity), Any(&SoilCohesion), Any(&SoilFrictionCoef)});
            break;
        case 237: ReadGroupDischarge(fp, n); break;
        case 238: ReadBlockCoupling(fp, n); break;
        case 239: ReadF(fp, n, kLine, {AtLeast(&PlanSolverSweeps1, 0), AtLeast(&PlanSolverSweeps2, 0)}); break;
        case 241: ReadF(fp, n, kLine, {AtLeast(&F241Option, 0)}); break;
        case 242: ReadF242(fp); break;
        case 244: ReadF(fp, n, kLine, {Within(&TrekantValueRelax, 0.0, 1.0), Within(&TrekantRelax, 0.0, 1.0)}); break;
        case 245: ReadF(fp, n, kLine, {Any(&TrekantOption), Any(&F245Int2), Any(&unusedInt)}); break;
        case 246: {
            std::initializer_list<Bounded> values = {Any(&F246Int1), Any(&F246Int2), Any(&F246Int3),
                                                     Any(&SurfaceSlopeLimit)};
            if (ReadCount(fp, values) < 4) {
                FailWithLog(kControlRefusedStatus, "Error for F 246 in control, not correct number of parameters\n");
            }
            break;
        }
        case 247: ReadElasticity(fp, n); break;
        case 248: ReadF(fp, n, kLine, {Any(&StressComputationOption)}); break;
        case 249: ReadF(fp, n, kLine, {Any(&F249Option)}); break;
        default: return false;
    }
    return true;
}

// The logarithmic inflow profile divides by its roughness, which F 16 may
// also have set, before or after F 202.
void RecheckDataSetsF200() {
    if (InflowProfileOption > 0 && InflowRoughness <= 0.0) RefuseF(202, kPlain);
}
