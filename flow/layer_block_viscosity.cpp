// The eddy viscosity tied to the bed and to soil blocks: a fixed viscosity
// of a layer block, the bed-form and F 144 additions near the bed, and the
// viscosity of soil blocks from their strength while sand slides run.
#include <algorithm>
#include <cmath>

#include "flow/flow_data.h"
#include "flow/flow_services.h"
#include "grid/grid_data.h"
#include "run/globals.h"
#include "sediment/sediment_data.h"
#include "surface/surface_data.h"

namespace {

constexpr double kSoilBaseViscosity = 1e7;

template <class F>
void ForEachBlockCell(int block, F f) {
    const BlockRecord& r = BlockTable[block];
    const int first = std::max(r.firstCell, 1), last = std::min(r.lastCell, NoCells);
    for (int c = first; c <= last; ++c) f(c);
}

// Calls f(c) for c and every cell above it.
template <class F>
void ForColumnFrom(int c, F f) {
    for (int steps = 0; c > 0 && c <= NoCells && steps <= NoCells; ++steps, c = Ccellt[c]) f(c);
}

bool HasColumn(const Array1<double>& a, int col) { return col > 0 && static_cast<size_t>(col) < a.size(); }
double ColumnValue(const Array1<double>& a, int col) { return HasColumn(a, col) ? a[col] : 0.0; }

// F 290: the vertical mixing of a column grows with the height of its bed
// forms against its depth; it never falls.
void BedFormFactor(int first, int last) {
    for (int c = first; c <= last; ++c) {
        const int col = Cbedcell[c];
        if (!HasColumn(Bdepth, col) || !HasColumn(BbedformHeight, col)) continue;
        Ceddyviscz[c] *= std::max(1.0, BbedformHeight[col] / (Bdepth[col] + 1e-20) * F290Value1);
    }
}

// F 281: bed-form viscosity of a whole column from its bed cell. A dry
// column has no mean speed to carry it.
void BedFormTerm(int first, int last, bool both) {
    for (int b = first; b <= last; ++b) {
        if (Ccellb[b] != 0) continue;
        const int col = Cbedcell[b];
        if (!HasColumn(Bdepth, col) || !HasColumn(Bfroude, col) || !HasColumn(BbedformHeight, col)) continue;
        const double h = Bdepth[col];
        if (!(h > 0.0) || !(Ckdist[b] > 0.0)) continue;
        const double u = Bfroude[col] * std::sqrt(9.81 * h);
        const double a = BbedformHeight[col] * 1000.0 * u / (h * 28.8 * Ckdist[b]) * F281Value2;
        ForColumnFrom(b, [a, both](int c) {
            Ceddyviscz[c] += a;
            if (both) Ceddyvisc[c] += a;
        });
    }
}

// F 144 2 and 4: extra viscosity of the bed cell from its speed over the
// size of its bed face.
void BedChangeTerm(int first, int last) {
    for (int b = first; b <= last; ++b) {
        if (Ccellb[b] != 0) continue;
        const double area = Farea[Csurfb[b]];
        if (!(area > 0.0)) continue;
        const double a = F144Value / std::sqrt(area) * std::sqrt(Cu[b] * Cu[b] + Cv[b] * Cv[b]);
        Ceddyvisc[b] += a;
        if (F144Option == 4) Ceddyviscz[b] += a;
    }
}

}  // namespace

// The soil viscosity of a layer block from its strength against its weight;
// the slower the slides, the stiffer the soil.
double SoilSlideViscosity(int block) {
    const BlockRecord& r = BlockTable[block];
    double sk = 0.0, su = 0.0, strength = 0.0, weight = 0.0;
    int n = 0;
    for (int col = std::max(r.firstColumn, 1); col <= r.lastColumn && HasColumn(Barea, col); ++col) {
        if (static_cast<size_t>(col) >= Bcellt.size()) break;
        const int c0 = Bcellt[col];
        const int c1 = c0 > 0 && c0 <= NoCells ? Ccellt[c0] : 0;
        if (c1 <= 0 || c1 > NoCells) continue;
        ++n;
        sk += Ckdist[c1];
        su += std::fabs(Cu[c1]);
        double half = 0.0;
        ForColumnFrom(c1, [&half](int c) { half += Ckdist[c]; });
        const double H = 2.0 * half;
        const double hu = std::max(ColumnValue(BlayerSlope, col) - ColumnValue(Bgroundwater, col), 0.0);
        const double hs = std::max(H - hu, 0.0);
        const double effective = 0.825 * hs + 1.36 * hu, total = 1.825 * hs + 1.36 * hu;
        strength += (9810.0 * effective * SoilFrictionCoef + SoilCohesion) * Barea[col];
        weight += 9810.0 * total * Barea[col];
    }
    if (n == 0) return kSoilBaseViscosity;  // no column has a cell to take it
    const double ratio = weight > 0.0 ? strength / weight : 0.0;
    const double speed = std::max(F334Value1 - SlideAverage[0], 0.0) * TimeStep * ratio + 1e-8 + su / n;
    return (sk / n) * strength / speed + LayerBaseViscosity;
}

void SetLayerBlockViscosity(int, int) {
    const double mu = std::fabs(LayerBlockViscosity);
    int block = 0;
    if (AppendedBlockFlag == 1 && NoBlocks >= 1 && NoBlocks <= kMaxBlocks && BlockTable[NoBlocks].layerBlock > 0) {
        block = NoBlocks;
    } else if (LayerBlockOption == 1 && NoBlocks >= 1) {
        block = 1;
    }
    if (block > 0) ForEachBlockCell(block, [mu](int c) { Ceddyvisc[c] = mu; });
}

void AddBedViscosity(int first, int last) {
    if (first <= last) {
        if (F290Value1 > 1e-10 && Equation <= 3) BedFormFactor(first, last);
        if ((F281Option == 1 && Equation <= 3) || F281Option == 2) BedFormTerm(first, last, F281Option == 2);
        if (F144Option == 2 || F144Option == 4) BedChangeTerm(first, last);
    }
    if (LayerBlockOption < 1 || last != NoCells) return;
    for (int b = 1; b <= std::min(NoBlocks, kMaxBlocks); ++b) {
        const BlockRecord& r = BlockTable[b];
        if (r.layerBlock != 1) continue;
        double mu = LayerBlockViscosity;
        if (!(mu > 0.0)) mu = ActiveSlides[0] != 0 ? SoilSlideViscosity(b) : kSoilBaseViscosity;
        for (int col = std::max(r.firstColumn, 1); col <= r.lastColumn && static_cast<size_t>(col) < Bcellt.size();
             ++col) {
            const int c0 = Bcellt[col];
            if (c0 <= 0 || c0 > NoCells) continue;
            Ceddyvisc[c0] = Ceddyviscz[c0] = kSoilBaseViscosity;
            const int c1 = Ccellt[c0];
            if (c1 <= 0) continue;
            Ceddyvisc[c1] = Ceddyviscz[c1] = mu;
            ForColumnFrom(Ccellt[c1], [mu](int c) { Ceddyvisc[c] = Ceddyviscz[c] = 10.0 * mu; });
        }
    }
}
