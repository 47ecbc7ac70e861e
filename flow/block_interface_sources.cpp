// Blocks that meet without shared surfaces: the edge cell of one block takes
// the values of its partner cells in the next block as an inflow, and the
// pressure correction balances the interface outflows of each block against
// its inflows.
#include <cmath>

#include "flow/flow_data.h"
#include "flow/flow_services.h"
#include "grid/grid_data.h"
#include "run/globals.h"
#include "sediment/sediment_data.h"

namespace {

constexpr int kPartners = 4;

// The face's area vector oriented into the edge cell c of the record: a
// surface whose second cell is missing has c as its first cell.
struct InwardArea {
    double x, y, z;
    explicit InwardArea(int s) {
        const double sign = Fcell2[s] == 0 ? -1.0 : 1.0;
        x = sign * Fareax[s];
        y = sign * Fareay[s];
        z = sign * Fareaz[s];
    }
    double flux(int c) const { return Cu[c] * x + Cv[c] * y + Cw[c] * z; }
};

// Shares of the partners by their speed along their direction vectors, the
// interface volume flux into the edge cell and the mass flux from each
// partner (none when the flow leaves the edge cell).
void UpdateWeights(int r) {
    double w[kPartners] = {};
    double sum = 0.0;
    for (int m = 0; m < kPartners; ++m) {
        const int p = BoundaryCellPartner[r][m];
        if (p <= 0) continue;
        const double e[3] = {BoundaryCellPartnerXyz[r][m][0], BoundaryCellPartnerXyz[r][m][1],
                             BoundaryCellPartnerXyz[r][m][2]};
        w[m] = std::abs(Cu[p] * e[0] + Cv[p] * e[1] + Cw[p] * e[2]);
        sum += w[m];
    }
    double u = 0.0, v = 0.0, wz = 0.0;
    for (int m = 0; m < kPartners; ++m) {
        w[m] /= sum + 1e-20;
        const int p = BoundaryCellPartner[r][m];
        if (p <= 0) continue;
        u += w[m] * Cu[p];
        v += w[m] * Cv[p];
        wz += w[m] * Cw[p];
    }
    const InwardArea a(BoundaryCellSurface[r]);
    const double q = u * a.x + v * a.y + wz * a.z;
    BoundaryCellValue[r] = q;
    for (int m = 0; m < kPartners; ++m) BoundaryCellWeight[r][m] = q >= 0.0 ? 1000.0 * q * w[m] : 0.0;
}

// The partners' values phi enter the edge cell upwind, as at an inflow.
void AddInflow(auto&& ap, auto&& source, const auto& phi) {
    for (int r = 1; r <= NoBoundaryCells; ++r) {
        const int c = BoundaryCellNo[r];
        for (int m = 0; m < kPartners; ++m) {
            const double weight = BoundaryCellWeight[r][m];
            const int p = BoundaryCellPartner[r][m];
            if (weight == 0.0 || p <= 0) continue;
            ap[c] += weight;
            source[c] += weight * phi[p];
        }
    }
}

const Array1<double>& TransportedField(int equation) {
    switch (equation) {
        case 1: return Cu;
        case 2: return Cv;
        case 3: return Cw;
        case 5: return Ck;
        default: return Cepsilon;
    }
}

// Interface volume flux of record r blended with the edge cell's own flux.
inline double Blended(int r, double own) { return 0.5 * BoundaryCellValue[r] + 0.5 * own; }

// Sums the inflow and the outflow of block b's records (storing the blended
// fluxes the variant asks for) and returns the factor of its outflows.
double BalanceFactor(int b, int variant) {
    double in = 0.0, out = 0.0;
    auto add = [&](double q) { (q > 0.0 ? in : out) += q > 0.0 ? q : -q; };
    for (int r = 1; r <= NoBoundaryCells; ++r) {
        if (BoundaryCellBlock[r] != b) continue;
        const double own = InwardArea(BoundaryCellSurface[r]).flux(BoundaryCellNo[r]);
        const double old = BoundaryCellValue[r];
        switch (variant) {
            case 0: add(BoundaryCellValue[r] = Blended(r, own)); break;
            case 1:
                if (old > 0.0) {
                    in += old;
                } else if (own < 0.0) {
                    out -= BoundaryCellValue[r] = own;
                } else {
                    add(BoundaryCellValue[r] = Blended(r, own));
                }
                break;
            case 2:
                if (own < 0.0) {
                    out -= BoundaryCellValue[r] = own;
                } else if (old > 0.0) {
                    in += old;
                } else {
                    add(BoundaryCellValue[r] = Blended(r, own));
                }
                break;
            default:
                if (own > 0.0) {
                    const double q = BoundaryCellValue[r] = Blended(r, own);
                    if (q > 0.0) in += q;
                }
                break;
        }
    }
    if (variant != 3) return in / (out + 1e-30);
    // Without a discharge in group 1 the ratio has no scale: the outflows
    // would grow some 1e30-fold. They are left as they are.
    if (!(GroupDischarge[1] > 0.0)) return 1.0;
    return in / (0.001 * GroupDischarge[1] + 1e-30);
}

void BalancePressureCorrection() {
    const int blocks = NoBlocks < kMaxBlocks ? NoBlocks : kMaxBlocks;
    for (int b = 1; b <= blocks; ++b) {
        const int level = BlockTable[b].overlapLevel;
        if (level <= 0) continue;
        const int variant = level == 1 ? 0 : F280Option;
        const double f = variant >= 0 && variant <= 3 ? BalanceFactor(b, variant) : 0.0;
        for (int r = 1; r <= NoBoundaryCells; ++r) {
            if (BoundaryCellBlock[r] != b) continue;
            if (BoundaryCellValue[r] < 0.0) BoundaryCellValue[r] *= f;
            Csource[BoundaryCellNo[r]] += 1000.0 * BoundaryCellValue[r];
        }
    }
}

}  // namespace

void AddBlockInterfaceSources(bool sedimentPass) {
    if (F126Flag >= 1 || NoBoundaryCells <= 0) return;
    const int equation = Equation;
    if (equation == 1 || equation == 4 || equation == 5 || equation == 8) {
        for (int r = 1; r <= NoBoundaryCells; ++r) UpdateWeights(r);
    }
    if (equation == 1 || equation == 2 || equation == 3 || equation == 5 || equation == 6) {
        AddInflow(Cap, Csource, TransportedField(equation));
    } else if (equation == 4) {
        BalancePressureCorrection();
    } else if (sedimentPass && FlagTSC > 0 && equation >= 7 && equation <= 6 + NoSizes) {
        // Only the sediment computation's own passes: a water-quality
        // component shares the equation numbers but not the concentrations.
        const int size = equation - 6;
        if (NoSizes == 1) {
            AddInflow(Cap, Csource, conc[1]);
        } else {
            AddInflow(CapMulti[size], CsourceMulti[size], conc[size]);
        }
    }
}
