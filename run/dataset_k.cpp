// Handlers of the data sets K.
#include <cstring>

#include "run/control_reader.h"
#include "run/fatal.h"
#include "run/globals.h"

RIVAX_PARAMS_K(RIVAX_DEFINE_PARAM)

double RelaxationFactors[kEquationTableSize];
int SolverSweeps[kEquationTableSize];
int SolverAcceleration[kEquationTableSize];
int ConvectionScheme[kEquationTableSize];

void StoreDefaultsK() {
    RIVAX_PARAMS_K(RIVAX_STORE_DEFAULT)
    std::memset(RelaxationFactors, 0, sizeof RelaxationFactors);
    const double relaxation[kKEquations + 1] = {0.0, 0.8, 0.8, 0.8, 0.2, 0.5, 0.5};
    for (int e = 1; e <= kKEquations; ++e) RelaxationFactors[e] = relaxation[e];
    for (int& s : SolverSweeps) s = 1;
    SolverSweeps[4] = 5;
    std::memset(SolverAcceleration, 0, sizeof SolverAcceleration);
    std::memset(ConvectionScheme, 0, sizeof ConvectionScheme);
}

namespace {

[[noreturn]] void RefuseK(int n) { FailWithLog(kControlRefusedStatus, "Input error for K %d in control", n); }

// K 3: every factor must be read and lie in 0..5 (NaN never does).
void ReadRelaxationFactors(FILE* fp) {
    for (int e = 1; e <= kKEquations; ++e) {
        double v;
        if (std::fscanf(fp, "%lf", &v) != 1) RefuseK(3);
        RelaxationFactors[e] = v;
        if (!(v >= 0.0 && v <= 5.0)) RefuseK(3);
    }
}

// K 4..K 6: an entry whose value is missing keeps its earlier value, and so
// does every entry after it, since the next read meets the same text.
void ReadEquationInts(FILE* fp, int n, int* table, int hi) {
    for (int e = 1; e <= kKEquations; ++e) {
        int v = 0;
        if (ScanValues(fp, {&v}) != 1) break;
        if (v < 0 || v > hi) RefuseK(n);
        table[e] = v;
    }
}

}  // namespace

bool ReadDataSetK(int n, FILE* fp) {
    switch (n) {
        case 1: ScanValues(fp, {&iterGlobalMax, &SurfaceUpdateInterval}); break;
        case 2:
            ScanValues(fp, {&K2Int1, &SurfaceUpdateFlag});
            if (K2Int1 < 0 || K2Int1 > 1 || SurfaceUpdateFlag < 0 || SurfaceUpdateFlag > 1) RefuseK(n);
            break;
        case 3: ReadRelaxationFactors(fp); break;
        case 4: ReadEquationInts(fp, n, SolverSweeps, 200); break;
        case 5: ReadEquationInts(fp, n, SolverAcceleration, 20); break;
        case 6: ReadEquationInts(fp, n, ConvectionScheme, 100); break;
        default: return false;
    }
    return true;
}
