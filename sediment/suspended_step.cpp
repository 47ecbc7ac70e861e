// The suspended-sediment step of a morphology time step: the concentration
// equations of every size on the step's flow, coupled to the bed through the
// bottom cell of each water column, and solved with a fixed number of inner
// iterations. F 37 chooses the coupling: 1 holds each bottom cell at the value
// of its local balance, 2 erodes into it as a source, 3 as 2 with the
// erodible sediment of a layered bed's top layer.
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <vector>

#include "drivers/flow_drivers.h"
#include "flow/flow_services.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/run_services.h"
#include "sediment/sediment_services.h"
#include "solver/solver_services.h"

namespace {

constexpr double kDensity = 1000.0;
constexpr double kFixed = 1e30;
constexpr double kNothing = 1e-30;
constexpr double kHighestConcentration = 0.5;
constexpr int kSedimentEquation = 7;
// 0.03 x 1.65 x 9810: the shear that moves a grain of 1 m at a Shields
// number of 0.03.
constexpr double kCoarseLayerShear = 485.595;

// The equation of one size: the single-size system (Cap, Csource, Cat, Cab)
// or row s of the per-size one, with the shared side coefficients.
struct SizeEquation {
    int s;
    bool single;
    double* ap;
    double* source;
    double* top;
    double* bottom;
    double* c;  // conc[s]
};

SizeEquation EquationOf(int s, bool single) {
    if (single) return {s, true, Cap.data(), Csource.data(), Cat.data(), Cab.data(), &conc[s][0]};
    return {s, false, &CapMulti[s][0], &CsourceMulti[s][0], &CatMulti[s][0], &CabMulti[s][0], &conc[s][0]};
}

int FirstColumn() { return std::max(FirstBedCell, 1); }

// Fraction of size s, and thickness, of bed layer `layer` of column b; a
// layer or size the bed arrays do not hold has none.
double Fraction(int layer, int s, int b) {
    if (layer < 0 || static_cast<size_t>(layer) >= BSedDistrib.extent1() || s < 0 ||
        static_cast<size_t>(s) >= BSedDistrib.extent2()) {
        return 0.0;
    }
    return BSedDistrib[layer][s][b];
}
double Thickness(int layer, int b) { return Fraction(layer, 0, b); }

int TopLayer(int b) { return NoBedLayers == 2 ? 1 : BNoLayers[b]; }

double CellValue(const double* c, int cell) { return cell > 0 ? c[cell] : 0.0; }

// ---- Preparation -------------------------------------------------------------

// The bed-slope deflection of the bottom cells' velocities for the plan
// side coefficients; the velocities are restored afterwards.
void DeflectBySlope() {
    const int first = FirstColumn();
    for (int b = first; b <= LastBedCell; ++b) {
        const int c = Bcellt[b];
        if (c <= 0) continue;
        Cu_old[c] = Cu[c];
        Cv_old[c] = Cv[c];
        double theta = ShieldsNumber(Ck[c] > 0.0 ? 300.0 * Ck[c] : 0.0, Diameter[1]);
        if (LateralSlopeOption == 10) {
            double mean = 0.0;
            for (int s = 1; s <= NoSizes; ++s) mean += Diameter[s] * Fraction(1, s, b);
            theta *= Diameter[1] / std::max(mean, Diameter[NoSizes]);
        }
        const int bed = Csurfb[c];
        const double d = SlopeDeflection(theta, Fvecz[bed]) * TransverseSlope(Fvecx[bed], Fvecy[bed], Cu[c], Cv[c]);
        Cu[c] += Cv_old[c] * d;
        Cv[c] -= d * Cu_old[c];
    }
    ComputeSurfaceFluxes(FirstSurface, LastSurface);
    AssembleSedimentCoefficients2D(FirstSurface, LastSurface);
    for (int b = first; b <= LastBedCell; ++b) {
        const int c = Bcellt[b];
        if (c <= 0) continue;
        Cu[c] = Cu_old[c];
        Cv[c] = Cv_old[c];
    }
}

void AddTransientTerms(const SizeEquation& e) {
    const double* old = conc_old.exists() && conc_old.extent1() > static_cast<size_t>(e.s) ? &conc_old[e.s][0] : e.c;
    for (int c = FirstCell; c <= LastCell; ++c) {
        const double ap = Cvol[c] * kDensity / TimeStep;
        e.source[c] = ap * old[c];
        e.ap[c] = Cae[c] + Caw[c] + e.bottom[c] + e.top[c] + Can[c] + Cas[c] + ap;
    }
}

// The inflow of the discharge groups and of the block interfaces; what the
// bottom cell's source holds then is kept as its part of the balance.
void AddBottomSources(const SizeEquation& e) {
    if (e.single) {
        AddSedimentInflowSize1();
    } else {
        AddSedimentInflowForSize(e.s);
    }
    if (NoBoundaryCells > 0) {
        Equation = e.single ? kSedimentEquation : e.s + 6;
        AddBlockInterfaceSources(true);
        Equation = kSedimentEquation;
    }
    for (int b = FirstColumn(); b <= LastBedCell; ++b) {
        const int c = Bcellt[b];
        if (c > 0) BSedActive[e.s][b] = e.source[c];
    }
}

// F 37 1: what leaves each bottom cell through its neighbours and the storage.
void SumBottomOutflow(const SizeEquation& e) {
    for (int b = FirstColumn(); b <= LastBedCell; ++b) {
        const int c = Bcellt[b];
        if (c <= 0) continue;
        BsedOutflowCoef[e.s][b] = CellValue(Can.data(), Ccells[c]) + CellValue(Cas.data(), Ccelln[c]) +
                                  CellValue(Cae.data(), Ccellw[c]) + CellValue(Caw.data(), Ccelle[c]) +
                                  CellValue(e.bottom, Ccellt[c]) + Cvol[c] * kDensity / TimeStep;
    }
    AddBedCellOutflow(e.s);
}

struct SplitSide {
    const Array1<int>& count;
    const Array2<int>& list;
    const Array2<double>& a;
};

bool SplitFaces() {
    return SplitFaceFlag > 0 && Cnocellse.exists() && CnbMultiE.exists() && CaMultiE.exists() && Cnocellsw.exists() &&
           CnbMultiW.exists() && CaMultiW.exists() && Cnocellsn.exists() && CnbMultiN.exists() && CaMultiN.exists() &&
           Cnocellss.exists() && CnbMultiS.exists() && CaMultiS.exists();
}

const SplitSide kSplitSides[4] = {{Cnocellse, CnbMultiE, CaMultiE},
                                  {Cnocellsw, CnbMultiW, CaMultiW},
                                  {Cnocellsn, CnbMultiN, CaMultiN},
                                  {Cnocellss, CnbMultiS, CaMultiS}};

// A bottom cell facing several cells on a side sends its first coefficient
// there to the outflow sum of the first facing cell's column.
void AddSplitFaceOutflow() {
    if (!SplitFaces()) return;
    for (int b = FirstColumn(); b <= LastBedCell; ++b) {
        const int c = Bcellt[b];
        if (c <= 0) continue;
        for (const SplitSide& side : kSplitSides) {
            if (side.count[c] <= 0) continue;
            const int nb = side.list[c][0];
            const int column = nb > 0 ? Cbedcell[nb] : 0;
            if (column <= 0) continue;
            for (int s = 1; s <= NoSizes; ++s) BsedOutflowCoef[s][column] += side.a[c][0];
        }
    }
}

void ComputeBedConcentrations() {
    switch (SedFormula) {
        case 'R': concRijn(); break;
        case 'A':
        case 'E':
        case 'Y':
        case 'S':
        case 'M':
        case 'I': ComputeBedConcentrationFormula(); break;
        default: break;
    }
}

void LimitConcentrations() {
    for (int s = 1; s <= NoSizes; ++s) {
        for (int c = FirstCell; c <= LastCell; ++c) {
            if (conc[s][c] > kHighestConcentration) {
                LogAppend("Warning for unstability in TSC method: \n High sediment concentrationsconc(%d,%d)=%e\n", s, c,
                          conc[s][c]);
                conc[s][c] = kHighestConcentration;
            }
        }
    }
}

// ---- The bottom cells -----------------------------------------------------------

// Inflow into bottom cell c from its neighbours plus its saved source (N).
double BottomInflow(const SizeEquation& e, int b, int c) {
    const double* cs = e.c;
    double n = Can[c] * CellValue(cs, Ccelln[c]) + Cas[c] * CellValue(cs, Ccells[c]) +
               Caw[c] * CellValue(cs, Ccellw[c]) + Cae[c] * CellValue(cs, Ccelle[c]) +
               e.top[c] * CellValue(cs, Ccellt[c]) + BSedActive[e.s][b];
    if (SplitFaces()) {
        const Array2<double>* coefficients[4] = {&CaMultiE, &CaMultiW, &CaMultiN, &CaMultiS};
        for (int k = 0; k < 4; ++k) {
            const SplitSide& side = kSplitSides[k];
            const int m = std::min<int>(side.count[c], static_cast<int>(side.list.extent2()));
            if (m <= 0) continue;
            const int first = side.list[c][0];
            for (int i = 0; i < m; ++i) {
                if (first + i >= 1 && first + i <= NoCells) n += cs[first + i] * (*coefficients[k])[c][i];
            }
        }
    }
    return n;
}

double LayerOneMass(int s, int b) { return kDensity * Barea[b] * Fraction(1, s, b) * Thickness(1, b); }

// F 160: layer 1 of the column and its eight neighbours, weighted 4, 2 and 1.
double SmoothedLayerOneMass(int s, int c) {
    auto step2 = [](const Array1<int>& first, const Array1<int>& second, int from) {
        const int mid = first[from];
        return mid > 0 ? second[mid] : 0;
    };
    auto diagonal = [&](const Array1<int>& x, const Array1<int>& y) {
        const int d = step2(x, y, c);
        return d > 0 ? d : step2(y, x, c);
    };
    const struct {
        int cell;
        double weight;
    } around[9] = {{c, 4.0},
                   {Ccelle[c], 2.0},
                   {Ccelln[c], 2.0},
                   {Ccells[c], 2.0},
                   {Ccellw[c], 2.0},
                   {diagonal(Ccelle, Ccells), 1.0},
                   {diagonal(Ccellw, Ccelln), 1.0},
                   {diagonal(Ccellw, Ccells), 1.0},
                   {diagonal(Ccelle, Ccelln), 1.0}};
    double sum = 0.0, weights = 0.0;
    for (const auto& [cell, weight] : around) {
        const int b = cell > 0 ? Cbedcell[cell] : 0;
        if (b <= 0) continue;
        sum += weight * LayerOneMass(s, b);
        weights += weight;
    }
    return weights > 0.0 ? sum / weights : 0.0;
}

// Erodible mass of size s in column b (kg per unit solid fraction).
double ErodibleMass(const SizeEquation& e, int b, int c, double tau) {
    if (e.single) return kDensity * Barea[b] * Thickness(1, b);
    double m = F160Int != 0 ? SmoothedLayerOneMass(e.s, c) : LayerOneMass(e.s, b);
    for (int layer = 2; layer <= NoBedLayers && static_cast<size_t>(layer) < BSedDistrib.extent1(); ++layer) {
        const bool coarse1 = tau < kCoarseLayerShear * Diameter[1] && Fraction(layer, 1, b) > 0.01;
        const bool coarse2 = NoSizes >= 2 && tau < kCoarseLayerShear * Diameter[2] && Fraction(layer, 2, b) > 0.01;
        if (coarse1 || coarse2) break;
        m += kDensity * Barea[b] * Fraction(layer, e.s, b) * Thickness(layer, b);
    }
    return m;
}

// The pick-up concentration of the bed (e) with the F 304 bounds.
double PickUpConcentration(double fraction, double pc, double cs) {
    double e = fraction * pc;
    if (F304Option > 0) {
        e = std::max(e, cs);
        if (F304Option != 1) e = std::min(e, pc);
    }
    return e;
}

bool HeldByCohesion(int s, double tau) { return Cohesion[s] > 1e-10 && tau < Cohesion[s]; }

double BedShear(int c) { return 300.0 * Ck[c]; }

// F 37 1: each bottom cell at its balance between pure deposition and the
// erosion the bed allows, then held there.
void HoldBottomCells(const SizeEquation& e) {
    const int s = e.s;
    for (int b = FirstColumn(); b <= LastBedCell; ++b) {
        const int c = Bcellt[b];
        if (c <= 0) continue;
        const double tau = BedShear(c);
        const double n = BottomInflow(e, b, c);
        const double d = BsedOutflowCoef[s][b];
        const double settling = FallVelocity[s] * Fareaz[Csurfb[c]] * kDensity;
        const double low = n / (settling + d);
        const double high = HeldByCohesion(s, tau) ? n / (d + 1e-20)
                                                    : (ErodibleMass(e, b, c, tau) * BedSolidFraction / TimeStep + n) / d;
        const double cap = BpotentialConc[s][b] * Fraction(e.single ? 1 : TopLayer(b), s, b);
        double value = std::max(std::min(high, cap), low);
        if (value < kNothing) value = 0.0;
        e.c[c] = value;
        e.ap[c] = kFixed;
        e.source[c] = value * kFixed;
    }
}

// F 37 2 and 3: the erosion into each bottom cell (kg/s), from layer `layer`
// of the bed; `mass` the erodible mass per unit solid fraction and `solid`
// its solid fraction.
struct ErosionSupply {
    double mass, solid;
};

double Erosion(const SizeEquation& e, int b, int c, const ErosionSupply& supply, double fraction, bool pickUpAlone) {
    const int s = e.s;
    const double tau = BedShear(c);
    const double settling = FallVelocity[s] * Fareaz[Csurfb[c]] * kDensity;
    if (HeldByCohesion(s, tau)) return 0.0;
    double erosion = e.c[c] * settling + supply.mass * supply.solid / TimeStep;
    const double pc = BpotentialConc[s][b];
    erosion = std::min(erosion, settling * PickUpConcentration(pickUpAlone ? 1.0 : fraction, pc, e.c[c]));
    if (!e.single && erosion < kNothing) erosion = 0.0;
    return erosion;
}

// The erosion term of every bottom cell for this iteration; the last one's is
// what the bed update books.
void SetErosionSources(const SizeEquation& e, bool layered, bool last) {
    const int s = e.s;
    // F 253 1: the solver erodes the bottom cells itself, so the source keeps
    // only the bottom cell's own terms.
    const bool solverErodes = !e.single && ActiveLayerErosionLimit == 1;
    for (int b = FirstColumn(); b <= LastBedCell; ++b) {
        const int c = Bcellt[b];
        if (c <= 0) continue;
        double erosion = 0.0;
        if (!solverErodes) {
            if (layered) {
                const int t = BNoLayers[b];
                const double f = Fraction(t, s, b);
                const double solid =
                    t >= 0 && static_cast<size_t>(t) < BlayerValue.extent1() ? BlayerValue[t][b] : 0.0;
                const ErosionSupply supply{f * Barea[b] * Thickness(t, b) * kDensity, solid};
                erosion = Erosion(e, b, c, supply, f, false);
            } else {
                const double tau = BedShear(c);
                const ErosionSupply supply{ErodibleMass(e, b, c, tau), BedSolidFraction};
                erosion = Erosion(e, b, c, supply, Fraction(TopLayer(b), s, b), e.single);
            }
        }
        e.source[c] = BSedActive[s][b] + erosion;
        if (last && !solverErodes) BSedActive[s][b] = erosion;
    }
}

void HandOverSolverErosion(int s) {
    for (int b = FirstColumn(); b <= LastBedCell; ++b) {
        if (Bcellt[b] > 0) BSedActive[s][b] = BSolverErosion[s][b];
    }
}

// ---- Solving -------------------------------------------------------------------

void Designate(int s) { Cf.designate(&conc[s][0], conc.extent2()); }

void Solve(const SizeEquation& e) {
    Designate(e.s);
    if (e.single) {
        Equation = kSedimentEquation;
        SolveEquation();
    } else {
        SolveSediment3D(e.s);
    }
    for (int c = FirstCell; c <= LastCell; ++c) {
        if (e.c[c] < kNothing) e.c[c] = 0.0;
    }
}

bool SlopeExchangeDue(int it) {
    return (it == 1 && LateralSlopeOption == 1) || (LateralSlopeOption == 3 && it == NoSedIterations / 2);
}

// The block-interface averaging borrows Cap and Csource as work arrays; the
// single-size equation in them must survive it.
void AverageInterfacesKeepingEquation() {
    static std::vector<double> ap, source;
    const size_t n = std::min(Cap.size(), Csource.size());
    if (ap.size() < n) {
        ap.resize(n);
        source.resize(n);
    }
    std::copy_n(Cap.data(), n, ap.data());
    std::copy_n(Csource.data(), n, source.data());
    AverageBlockInterfaces();
    std::copy_n(ap.data(), n, Cap.data());
    std::copy_n(source.data(), n, Csource.data());
}

void FixedBottomIterations(bool single) {
    for (int it = 0; it < NoSedIterations; ++it) {
        SetStatusText("Iter, %d   ", it);
        for (int s = 1; s <= NoSizes; ++s) {
            const SizeEquation e = EquationOf(s, single);
            if (!single) {
                if (SlopeExchangeDue(it)) AddSlopeBedLoadExchange(s);
                for (int c = FirstCell; c <= LastCell; ++c) Csource[c] = 0.0;
            }
            Solve(e);
            HoldBottomCells(e);
        }
    }
}

void ErosionSourceIterations(bool single) {
    for (int it = 0; it < NoSedIterations; ++it) {
        const bool last = it == NoSedIterations - 1;
        for (int s = 1; s <= NoSizes; ++s) SetErosionSources(EquationOf(s, single), false, last);
        if (single) {
            const SizeEquation e = EquationOf(1, true);
            SetStatusText("Iter, %d   ", it);
            if (LateralSlopeOption == 3 && it == NoSedIterations / 2) AddSlopeBedLoadExchange(1);
            if (BlockInterfaceOption == 12) {
                Designate(1);
                AverageInterfacesKeepingEquation();
            }
            Solve(e);
            continue;
        }
        for (int s = 1; s <= NoSizes; ++s) {
            if (SlopeExchangeDue(it)) AddSlopeBedLoadExchange(s);
            Solve(EquationOf(s, false));
            if (last && ActiveLayerErosionLimit == 1) HandOverSolverErosion(s);
        }
    }
    if (BlockInterfaceOption == 2 && NoSedIterations > 0) {
        for (int s = 1; s <= (single ? 1 : NoSizes); ++s) {
            Designate(s);
            AverageBlockInterfaces();
        }
    }
}

void LayeredBedIterations() {
    for (int it = 0; it < NoSedIterations; ++it) {
        const bool last = it == NoSedIterations - 1;
        SetStatusText("Iter, %d   ", it);
        for (int s = 1; s <= NoSizes; ++s) SetErosionSources(EquationOf(s, false), true, last);
        for (int s = 1; s <= NoSizes; ++s) {
            if (it == 1 && LateralSlopeOption == 1) AddSlopeBedLoadExchange(s);
            Solve(EquationOf(s, false));
            if (last && ActiveLayerErosionLimit == 1) HandOverSolverErosion(s);
        }
    }
}

bool ArraysPresent(bool single) {
    const size_t sizes = static_cast<size_t>(NoSizes);
    const size_t cells = static_cast<size_t>(NoCells);
    if (!conc.exists() || conc.extent1() <= sizes || conc.extent2() <= cells) return false;
    for (const Array2<double>* a : {&BSedActive, &BsedOutflowCoef, &BpotentialConc, &BSolverErosion}) {
        if (!a->exists() || a->extent1() <= sizes) return false;
    }
    if (!BSedDistrib.exists() || BSedDistrib.extent1() < 2 || BSedDistrib.extent2() <= sizes) return false;
    if (FlagTSC == 3 && (!BlayerValue.exists() || !BNoLayers.exists())) return false;
    if (single) return true;
    for (const Array2<double>* a : {&CapMulti, &CsourceMulti, &CatMulti, &CabMulti}) {
        if (!a->exists() || a->extent1() <= sizes || a->extent2() <= cells) return false;
    }
    return true;
}

}  // namespace

int SolveSuspendedSedimentStep() {
    const bool single = NoSizes == 1 && (FlagTSC == 1 || FlagTSC == 2);
    if (NoSizes < 1 || !ArraysPresent(single)) {
        LogAppend("Error: the suspended sediment of %d sizes has no concentration or bed arrays\n", NoSizes);
        return 1;
    }
    Equation = kSedimentEquation;
    ConvectionScheme[kSedimentEquation] = 0;
    ComputeEddyViscosity(FirstCell, LastCell);
    if (single) {
        AssembleSedimentCoefficients(FirstSurface, LastSurface);
    } else {
        AssembleSedimentCoefficientsPerSize(FirstSurface, LastSurface);
    }
    if (FlowFailedFlag == 1) return 1;
    if (((LateralSlopeOption == 1 && NoSizes == 1) || SedFormulaVariant == 10) && Cu_old.exists() && Cv_old.exists()) {
        DeflectBySlope();
    }
    // A missing neighbour is cell 0, which must read as no sediment.
    for (int s = 0; s <= NoSizes; ++s) conc[s][0] = 0.0;
    for (int s = 1; s <= NoSizes; ++s) AddTransientTerms(EquationOf(s, single));
    for (int b = FirstColumn(); b <= LastBedCell; ++b) Binspace[b] = 0.0;
    for (int s = 1; s <= NoSizes; ++s) AddBottomSources(EquationOf(s, single));
    if (FlagTSC == 1) {
        for (int s = 1; s <= NoSizes; ++s) SumBottomOutflow(EquationOf(s, single));
        AddSplitFaceOutflow();
    }
    ComputeBedConcentrations();
    LimitConcentrations();
    switch (FlagTSC) {
        case 1: FixedBottomIterations(single); break;
        case 2: ErosionSourceIterations(single); break;
        case 3: LayeredBedIterations(); break;
        default: break;
    }
    Equation = kSedimentEquation;
    return 0;
}
