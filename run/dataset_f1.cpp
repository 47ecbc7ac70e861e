// Handlers of the data sets F 1 to F 49.
#include <cstring>

#include "run/control_reader.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"

RIVAX_PARAMS_F1(RIVAX_DEFINE_PARAM)

char RunChoice[kRunChoiceSize];
char RunOptions[kRunChoiceSize];
int F30Values[10];

void StoreDefaultsF1() {
    RIVAX_PARAMS_F1(RIVAX_STORE_DEFAULT)
    std::memset(RunChoice, 0, sizeof RunChoice);
    std::memset(RunOptions, 0, sizeof RunOptions);
    std::memset(F30Values, 0, sizeof F30Values);
}

namespace {

bool Printable(int c) { return c >= 32 && c <= 126; }

// Refuses F n when v lies outside lo..hi (both bounds included).
void CheckRange(int number, double v, double lo, double hi) {
    if (v < lo || v > hi) RefuseF(number);
}

void CheckNotBelow(int number, double v, double lo) {
    if (v < lo) RefuseF(number);
}

// F 2: the run letters, byte by byte from the byte right after the number.
void ReadRunChoice(FILE* fp) {
    std::memset(RunChoice, ' ', sizeof RunChoice);
    for (int k = 0; k < kRunChoiceSize; ++k) {
        int c = std::getc(fp);
        if (c == EOF) break;
        RunChoice[k] = static_cast<char>(c);
        if (!Printable(c)) break;
    }
}

// F 7: option letters into positions 1..8; each acts as it is stored.
void ReadRunOptions(FILE* fp) {
    std::memset(RunOptions + 1, ' ', 8);
    for (int k = 1; k <= 8; ++k) {
        int c = std::getc(fp);
        if (c == EOF) break;
        RunOptions[k] = static_cast<char>(c);
        switch (c) {
            case 'B': BedThicknessCheckOption = 1; break;
            case 'E': F7EFlag = 1; break;
            case 'P': F7PGOption = 1; break;
            case 'G': F7PGOption = 2; break;
            case 'S':
            case 'F':
                LogAppend("Error for F 7 data set in control file\n");
                FailWithLog(-1, "Use 10 spaces after the letters on the F 7 data set\n");
            default: break;
        }
        if (!Printable(c)) break;
    }
}

}  // namespace

bool ReadDataSetF1(int n, FILE* fp) {
    switch (n) {
        case 1: ScanValues(fp, {&DebugOption}); break;
        case 2: ReadRunChoice(fp); break;
        case 3:
        case 5: {
            double unused = 0.0;
            ScanValues(fp, {&unused});
            break;
        }
        case 4: ScanValues(fp, {&F4Value1, &NoSedIterations, &F4Value3}); break;
        case 6: ScanValues(fp, {&VanRijnCoef, &VanRijnExpT, &VanRijnExpD}); break;
        case 7: ReadRunOptions(fp); break;
        case 8: ScanValues(fp, {&F8Value}); CheckRange(n, F8Value, 0.0, 1.0); break;
        case 9: ScanValues(fp, {&F9Value}); CheckRange(n, F9Value, 0.1, 10.0); break;
        case 10:
            ScanValues(fp, {&SedFormula});
            if (!std::strchr("REMYSAI", SedFormula) || SedFormula == '\0') RefuseF(n);
            break;
        case 11:
            ScanValues(fp, {&SedRelativeDensity, &CriticalShields});
            CheckRange(n, SedRelativeDensity, 1.0, 10.0);
            if (CriticalShields > 1.0) RefuseF(n);
            break;
        case 12:
            ScanValues(fp, {&F12Value});
            if (F12Value <= 0.0 || F12Value > 5.0) RefuseF(n);
            break;
        case 13: {
            double unused = 0.0;
            ScanValues(fp, {&unused});
            CheckRange(n, unused, 0.0, 5.0);
            break;
        }
        case 14: ScanValues(fp, {&ArtificialViscosity}); CheckRange(n, ArtificialViscosity, 0.0, 5e10); break;
        case 15:
            ScanValues(fp, {&WallLaw});
            CheckRange(n, WallLaw, 0, 20);
            break;
        case 16:
            ScanValues(fp, {&WallRoughness});
            CheckRange(n, WallRoughness, -3.0, 10.0);
            InflowRoughness = WallRoughness;
            break;
        case 17: ScanValues(fp, {&TimeStep}); CheckNotBelow(n, TimeStep, 1e-10); break;
        case 18: ScanValues(fp, {&SedBuoyancyFactor}); CheckRange(n, SedBuoyancyFactor, 0.0001, 100.0); break;
        case 19: {
            double unused = 0.0;
            ScanValues(fp, {&unused});
            CheckRange(n, unused, 0.0, 10.0);
            break;
        }
        case 20: ScanValues(fp, {&NoRunPasses}); CheckNotBelow(n, NoRunPasses, 1); break;
        case 21: ScanValues(fp, {&RhieChowRelax}); CheckRange(n, RhieChowRelax, -1.0, 20.0); break;
        case 22:
            ScanValues(fp, {&F25Value1, &F25Value2});
            CheckRange(n, F25Value1, 0.001, 1.0);
            CheckRange(n, F25Value2, -1.0, 10.0);
            break;
        case 23:
            ScanValues(fp, {&F23Value1, &F23Value2});
            CheckRange(n, F23Value1, 0.0, 1.0);
            CheckNotBelow(n, F23Value2, 0.0);
            break;
        case 24: ScanValues(fp, {&TurbulenceModel}); CheckRange(n, TurbulenceModel, 0, 20); break;
        case 25:
            ScanValues(fp, {&F25Value1, &F25Value2, &F25Value3, &F25Value4, &F25Int5});
            CheckRange(n, F25Value1, 0.001, 1.0);
            CheckRange(n, F25Value2, -1.0, 10.0);
            CheckRange(n, F25Value3, 0.001, 1.0);
            CheckRange(n, F25Value4, 0.001, 1.0);
            CheckRange(n, F25Int5, 0, 7);
            break;
        case 26: ScanValues(fp, {&BedSolidFraction}); CheckRange(n, BedSolidFraction, 0.0, 15.0); break;
        case 27:
            ScanValues(fp, {&F27Int});
            CheckRange(n, F27Int, 0, 10);
            LogAppend("Using SOU scheme for sediment calculations\n");
            break;
        case 28: {
            int a = 0, b = 0, c = 0;
            double d = 0.0;
            ScanValues(fp, {&a, &b, &c, &d});
            CheckRange(n, a, 0, 1);
            CheckNotBelow(n, b, 0);
            CheckNotBelow(n, c, 0);
            CheckRange(n, d, 0.0, 100.0);
            break;
        }
        case 30:
            ScanValues(fp, {&F30Values[0], &F30Values[1], &F30Values[2], &F30Values[3], &F30Values[4],
                            &F30Values[5]});
            for (int k = 0; k < 6; ++k) CheckRange(n, F30Values[k], 0, 6);
            break;
        case 31: {
            double a = 0.0, b = 0.0;
            ScanValues(fp, {&a, &b});
            CheckRange(n, a, 0.0, 10.0);
            CheckRange(n, b, 0.0, 10.0);
            break;
        }
        case 32: {
            double unused = 0.0;
            ScanValues(fp, {&unused});
            CheckRange(n, unused, 0.0, 1000.0);
            break;
        }
        case 33: {
            int got = ScanValues(fp, {&TimeStep, &NoIterPerStep});
            CheckNotBelow(n, TimeStep, 1e-20);
            CheckNotBelow(n, NoIterPerStep, 0);
            if (got < 2) FailWithLog(kControlRefusedStatus, "Two numbers are required on F 33 data set\n");
            break;
        }
        case 34: ScanValues(fp, {&ArtEddyVisc}); CheckNotBelow(n, ArtEddyVisc, 0.0); break;
        case 35: {
            double unused = 0.0;
            ScanValues(fp, {&unused});
            CheckRange(n, unused, 0.0, 1.0);
            break;
        }
        case 36:
            ScanValues(fp, {&FreeSurfaceOption});
            CheckRange(n, FreeSurfaceOption, 0, 200);
            if (FreeSurfaceOption == 1 || (FreeSurfaceOption >= 11 && FreeSurfaceOption <= 17)) {
                HydrostaticPressureFlag = 1;
            }
            if (FreeSurfaceOption == 11) SimpleVariant = 30;
            break;
        case 37: ScanValues(fp, {&FlagTSC}); CheckRange(n, FlagTSC, 0, 3); break;
        case 38: ScanValues(fp, {&LargeResidualFactor}); CheckNotBelow(n, LargeResidualFactor, 0.0); break;
        case 39: {
            double unused = 0.0;
            ScanValues(fp, {&unused});
            CheckNotBelow(n, unused, 0.0);
            break;
        }
        case 40: ScanValues(fp, {&StratificationFactor}); CheckRange(n, StratificationFactor, 0.0, 10.0); break;
        case 41:
            ScanValues(fp, {&KoominDepth});
            CheckRange(n, KoominDepth, 0.0, 10000.0);
            KoominMode = 41;
            break;
        case 42:
            ScanValues(fp, {&KoominLevel});
            CheckRange(n, KoominLevel, -10000.0, 10000.0);
            KoominMode = 42;
            break;
        case 47:
            ScanValues(fp, {&GeodataReportDistance});
            CheckNotBelow(n, GeodataReportDistance, 0.0);
            ScanValues(fp, {&GeodataSearchRadius});
            break;
        case 48: ScanValues(fp, {&OutputSelector}); CheckRange(n, OutputSelector, 0, 100); break;
        default: return false;
    }
    return true;
}
