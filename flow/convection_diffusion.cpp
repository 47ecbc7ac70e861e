// Neighbour coefficients of the transported equations: upwind convection and
// face diffusion, power-law weighted on horizontal faces.
#include <algorithm>
#include <atomic>
#include <cmath>

#include "flow/conductance.h"
#include "flow/face_interpolation.h"
#include "flow/flow_data.h"
#include "flow/flow_services.h"
#include "flow/second_order.h"
#include "grid/grid_data.h"
#include "quality/quality_data.h"
#include "run/globals.h"
#include "run/region_fatal.h"
#include "sediment/sediment_data.h"

double RelativeWaterDensity(double t) {
    return 0.9999726 * (1.0 - 9.297173e-6 * std::pow(std::fabs(t - 4.029325), 1.894816));
}


double ComputeStratificationDamping(int cell1, int cell2) {
    double rho1 = 1.0, rho2 = 1.0;
    if (Components.exists()) {
        rho1 = RelativeWaterDensity(Components[0][cell1]);
        rho2 = RelativeWaterDensity(Components[0][cell2]);
    }
    const double dz = Ckdist[cell1] + Ckdist[cell2];
    const double du = std::sqrt(Cu[cell1] * Cu[cell1] + Cv[cell1] * Cv[cell1]) -
                      std::sqrt(Cu[cell2] * Cu[cell2] + Cv[cell2] * Cv[cell2]);
    // ((drho / dz) (dz / du)^2 reduces to drho dz / du^2; the guard on the
    // square keeps equal speeds and a zero height finite.
    const double ri = std::max(0.0, -9.81 * (rho2 - rho1) * dz / (du * du + 1e-12));
    return std::pow(std::pow(1.0 + 10.0 * StratificationFactor * ri, -1.5), DampingExponent);
}

double ComputeFaceExtraDiffusion(int surface, int cell1, int cell2) {
    if (Ftype1[surface] == 5 || Ftype1[surface] == 6) return 0.0;
    const int mode = ExtraDiffusionOption;
    if (mode < 1 || mode > 4) return 0.0;
    if ((mode == 2 || mode == 4) && Cab[cell1] != 0.0 && Cab[cell2] != 0.0) return 0.0;
    const double um = 0.5 * (Cu[cell1] + Cu[cell2]);
    const double vm = 0.5 * (Cv[cell1] + Cv[cell2]);
    double value = 1000.0 * Farea[surface] * ExtraDiffusionFactor * std::sqrt(um * um + vm * vm);
    if (mode >= 3) {
        // Without bed forms or column depths there is nothing to scale by.
        if (!BbedformHeight.exists() || !Bdepth.exists()) return 0.0;
        const int b1 = Cbedcell[cell1], b2 = Cbedcell[cell2];
        value *= 0.5 * (BbedformHeight[b1] + BbedformHeight[b2]) / (Bdepth[b1] + Bdepth[b2] + 1e-30);
    }
    return value;
}

namespace {

// Slot 0 ("no cell") of the fields read through neighbour indexes must read
// 0. Chunks on several threads make sure of it at once, hence the atomics.
void ClearNoneSlots() {
    for (double* a : {Cidist.data(), Cjdist.data(), Cu.data(), Cv.data()}) {
        std::atomic_ref<double>(a[0]).store(0.0, std::memory_order_relaxed);
    }
}

}  // namespace

void ComputeConvectionDiffusionRange(int first, int last) {
    ClearNoneSlots();
    if (SecondOrderEquation()) {
        SecondOrderDiffusionRange(first, last);
        return;
    }
    const Conductance k;
    const Slots slot = CoefficientSlots();
    k.Dispatch([&]<bool kConstant, bool kDamped, bool kExtra>() {
        for (int s = first; s <= last; ++s) {
            const int c1 = k.cell1[s], c2 = k.cell2[s];
            const int t1 = k.type1[s], t2 = k.type2[s];
            const double f = k.flux[s];
            const double d = c1 != 0 && c2 != 0 ? k.D<kConstant, kDamped, kExtra>(s, c1, c2, f, false) : 0.0;
            // Cell 0 stands for "none" and keeps its zeros.
            if (double* a = slot.at(t1); a && c1 > 0) a[c1] = d + std::max(-f, 0.0);
            if (double* a = slot.at(t2); a && c2 > 0) a[c2] = d + std::max(f, 0.0);
        }
    });
}

void FinishConvectionDiffusion(int first, int last) {
    if (SecondOrderEquation()) {
        // Adds into slots of neighbouring surfaces: once, on this thread.
        SecondOrderConvection(first, last);
    } else if (TimeStep > 1e-8 && Theta > 1e-8) {
        const double keep = 1.0 - Theta;
        for (double* a : {Cae.data(), Caw.data(), Cas.data(), Can.data(), Cat.data(), Cab.data()}) {
            for (int c = 1; c <= NoCells; ++c) a[c] *= keep;
        }
    }
    if (SplitFaceFlag > 0) ComputeMultiNeighbourCoefficients();
}

void ComputeConvectionDiffusionCoefficients(int first, int last) {
    ComputeConvectionDiffusionRange(first, last);
    FinishConvectionDiffusion(first, last);
}

namespace {

void ReportWrongSide(int surface, int cell, int type) {
#pragma omp critical(rivax_log)
    LogAppendAnywhere("Error in coefficient1 computation, surface %d, cell %d, type %d\n", surface, cell, type);
}

}  // namespace

void ComputeNeighbourCoefficients(int first, int last) {
    ClearNoneSlots();
    const Conductance k;
    const Slots slot = CoefficientSlots();
    k.Dispatch([&]<bool kConstant, bool kDamped, bool kExtra>() {
        for (int s = first; s <= last; ++s) {
            const int c1 = k.cell1[s], c2 = k.cell2[s];
            const int t1 = k.type1[s], t2 = k.type2[s];
            if (c1 == 0 || c2 == 0) {
                if (double* a = slot.at(t1); a && c1 > 0) a[c1] = 0.0;
                if (double* a = slot.at(t2); a && c2 > 0) a[c2] = 0.0;
                continue;
            }
            const double f = k.flux[s];
            const double d = k.D<kConstant, kDamped, kExtra>(s, c1, c2, f, true);
            if (t1 == 3 || t1 == 6 || t1 == 2) {
                slot.a[t1][c1] = d + std::max(-f, 0.0);
            } else {
                ReportWrongSide(s, c1, t1);
            }
            if (t2 == 4 || t2 == 5 || t2 == 1) {
                slot.a[t2][c2] = d + std::max(f, 0.0);
            } else {
                ReportWrongSide(s, c2, t2);
            }
        }
    });
}

void CompleteCellEquations(int first, int last, double alpha, const double* phi, bool withFar) {
    double* const ap = Cap.data();
    double* const src = Csource.data();
    const double* const nb[6] = {Cae.data(), Caw.data(), Cas.data(), Can.data(), Cat.data(), Cab.data()};
    const double* const far[6] = {Caee.data(), Caww.data(), Cass.data(), Cann.data(), Catt.data(), Cabb.data()};
    for (int c = first; c <= last; ++c) {
        double sum = nb[0][c] + nb[1][c] + nb[2][c] + nb[3][c] + nb[4][c] + nb[5][c];
        if (withFar) sum += far[0][c] + far[1][c] + far[2][c] + far[3][c] + far[4][c] + far[5][c];
        ap[c] += sum;
        if (ap[c] >= kFixedValueCap) continue;
        ap[c] /= alpha;
        src[c] += (1.0 - alpha) * ap[c] * phi[c];
    }
}
