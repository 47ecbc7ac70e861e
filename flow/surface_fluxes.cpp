// Surface mass fluxes with the pressure-weighted (Rhie-Chow) correction.
#include <cmath>

#include "flow/face_interpolation.h"
#include "flow/flow_data.h"
#include "flow/flow_services.h"
#include "flow/surface_view.h"
#include "grid/grid_data.h"
#include "run/globals.h"

namespace {

// How a variant forms the cell pressure differences next to a missing far cell.
enum class FarRule {
    Drop,       // the correction is dropped when either far cell is missing
    Compact,    // the compact difference stands in for the missing one
    OneSided,   // a one-sided second-order difference stands in
};

enum class Post { None, ThinFace, Clip, ClipTrekant, SingleCellColumns };

struct Variant {
    FarRule far;
    bool weighted;     // weighted or plain mean of the two differences
    bool timeMean;     // face velocity averaged with the previous time level
    bool f69Rule;      // no correction at horizontal faces when F 69 2nd > 9
    bool piezometric;  // side faces use Pres + 9810 z
    bool trekant;      // doubled correction next to triangular shoreline cells
    bool density;      // density-gradient terms
    Post post;
};

// The variants in the order the variant choice lists them.
constexpr Variant kPiezometric{FarRule::Drop, true, true, true, true, false, false, Post::None};
constexpr Variant kTrekant{FarRule::Drop, true, false, false, false, true, false, Post::None};
constexpr Variant kStandard{FarRule::Drop, true, true, true, false, false, false, Post::None};
constexpr Variant kThinFace{FarRule::Drop, true, true, true, false, false, false, Post::ThinFace};
constexpr Variant kCompact{FarRule::Compact, true, true, true, false, false, false, Post::None};
constexpr Variant kCompactClip{FarRule::Compact, true, true, true, false, false, false, Post::Clip};
constexpr Variant kOneSided{FarRule::OneSided, true, false, true, false, false, false, Post::SingleCellColumns};
constexpr Variant kOneSidedPlain{FarRule::OneSided, false, true, true, false, false, false, Post::None};
constexpr Variant kPlainClip{FarRule::Drop, false, true, true, false, false, false, Post::Clip};
constexpr Variant kPlainClipTrekant{FarRule::Drop, false, false, false, false, false, false, Post::ClipTrekant};
constexpr Variant kDensity{FarRule::OneSided, true, true, true, false, false, true, Post::None};

template <const Variant& V>
void FluxLoop(int first, int last) {
    const SurfaceView sf;
    const VelocityView vel(V.timeMean);
    const int* const ff1 = Fcellfar1.data();
    const int* const ff2 = Fcellfar2.data();
    const double* const p = Pres.data();
    const double* const invAp = CinvAp.data();
    const double* const zc = Czcenter.data();
    const int* const trekant = Ctrekant.data();
    const int* const below = Ccellb.data();
    const int* const above = Ccellt.data();
    const double* const kdist = Ckdist.data();
    const double* const pz = Pz1.data();
    const int* const pt1 = Fpoint1.data();
    const int* const pt2 = Fpoint2.data();
    const int* const pt3 = Fpoint3.data();
    const int* const pt4 = Fpoint4.data();
    const double* const drhodi = Cdrhodi.data();
    const double* const drhodj = Cdrhodj.data();
    const double* const densgrad = Fdensgrad.data();
    double* const flux = Fflux.data();

    const bool noHorizontalCorrection = V.f69Rule && F69Int2 > 9;
    const double scale = InvRelaxVelocity * std::fabs(RhieChowRelax);
    const double minDepth = MinWaterDepth;
    const double dryDepth = DryDepth;

    for (int s = first; s <= last; ++s) {
        const int c1 = sf.cell1[s], c2 = sf.cell2[s];
        if (c1 == 0 || c2 == 0) {
            flux[s] = 0.0;
            continue;
        }
        const double w1 = FaceWeight1(sf.dist1[s], sf.dist2[s]);
        const double w2 = 1.0 - w1;
        const Velocity3 f = vel.Face(c1, c2, w1, w2);
        const double q = sf.ax[s] * f.u + sf.ay[s] * f.v + sf.az[s] * f.w;

        const int f1 = ff1[s], f2 = ff2[s];
        const int t1 = sf.type1[s], t2 = sf.type2[s];
        double rc = 0.0;
        const bool missing = V.far == FarRule::Drop ? (f1 == 0 || f2 == 0) : (f1 == 0 && f2 == 0);
        if (!missing && !(noHorizontalCorrection && (t1 == 5 || t2 == 5))) {
            double p1 = p[c1], p2 = p[c2], pf1 = p[f1], pf2 = p[f2];
            if (V.piezometric && t1 <= 4) {
                p1 += 9810.0 * zc[c1];
                p2 += 9810.0 * zc[c2];
                pf1 += 9810.0 * zc[f1];
                pf2 += 9810.0 * zc[f2];
            }
            double g1, g2;
            if (V.far == FarRule::Compact) {
                g1 = f1 ? 0.5 * (p2 - pf1) : p2 - p1;
                g2 = f2 ? 0.5 * (pf2 - p1) : p2 - p1;
            } else if (V.far == FarRule::OneSided) {
                g1 = f1 ? 0.5 * (p2 - pf1) : 0.5 * (4.0 * p2 - 3.0 * p1 - pf2);
                g2 = f2 ? 0.5 * (pf2 - p1) : 0.5 * (3.0 * p2 - 4.0 * p1 + pf1);
            } else {
                g1 = 0.5 * (p2 - pf1);
                g2 = 0.5 * (pf2 - p1);
            }
            const bool acrossJ = V.density && (t1 == 1 || t2 == 1);
            const bool acrossI = V.density && (t1 == 2 || t2 == 2);
            if (acrossJ) {
                g1 += 0.5 * drhodj[c1];
                g2 += 0.5 * drhodj[c2];
            }
            if (acrossI) {
                g1 += 0.5 * drhodi[c1];
                g2 += 0.5 * drhodi[c2];
            }
            double r = (V.weighted ? w1 * g1 + w2 * g2 : 0.5 * (g1 + g2)) - (p2 - p1);
            if (acrossJ) r -= densgrad[s];
            if (acrossI) r -= densgrad[s];
            double d = (w1 * invAp[c1] + w2 * invAp[c2]) * scale * sf.area[s] * sf.area[s];
            if (V.trekant && (trekant[c1] > 0 || trekant[c2] > 0)) d *= 2.0;
            rc = d * r;
        }
        if (V.post == Post::SingleCellColumns && below[c1] == 0 && above[c1] == 0 && below[c2] == 0 &&
            above[c2] == 0 && (kdist[c1] < dryDepth || kdist[c2] < dryDepth)) {
            rc = 0.0;
        }
        if (V.post == Post::Clip || (V.post == Post::ClipTrekant && (trekant[c1] > 0 || trekant[c2] > 0))) {
            const double limit = 0.2 * std::fabs(q);
            if (std::fabs(rc) > limit) rc = std::copysign(limit, rc);
        }
        const bool thin =
            V.post == Post::ThinFace && 0.5 * std::fabs(pz[pt3[s]] + pz[pt4[s]] - pz[pt1[s]] - pz[pt2[s]]) < minDepth;
        flux[s] = thin ? 0.0 : 1000.0 * (q + rc);
    }
}

// The vertical flux limit of flat cells: a horizontal interior face may not
// carry more than the horizontal flow times the cells' aspect ratio.
void LimitVerticalFluxes(int first, int last) {
    const SurfaceView sf;
    const double* const idist = Cidist.data();
    const double* const jdist = Cjdist.data();
    const double* const kdist = Ckdist.data();
    const double* const u = Cu.data();
    const double* const v = Cv.data();
    double* const flux = Fflux.data();
    for (int s = first; s <= last; ++s) {
        const int c1 = sf.cell1[s], c2 = sf.cell2[s];
        if (c1 <= 0 || c2 <= 0 || (sf.type1[s] != 6 && sf.type2[s] != 6)) continue;
        const double r = (kdist[c1] + kdist[c2]) / (idist[c1] + idist[c2] + jdist[c1] + jdist[c2]);
        if (!(r < 0.01)) continue;
        const double uh1 = std::sqrt(u[c1] * u[c1] + v[c1] * v[c1]);
        const double uh2 = std::sqrt(u[c2] * u[c2] + v[c2] * v[c2]);
        const double limit = sf.area[s] * 1000.0 * 0.5 * (uh1 + uh2) * r;
        flux[s] = std::fmax(-limit, std::fmin(limit, flux[s]));
    }
}

// The water surface above a top cell carries the flux of that cell's velocity.
void TopSurfaceFluxes(int first, int last) {
    const SurfaceView sf;
    const VelocityView vel(true);
    const int* const top = Csurft.data();
    double* const flux = Fflux.data();
    for (int s = first; s <= last; ++s) {
        const int c = sf.cell1[s];
        if (c <= 0 || top[c] != s) continue;
        const Velocity3 cv = vel.Cell(c);
        flux[s] = 1000.0 * (cv.u * sf.ax[s] + cv.v * sf.ay[s] + cv.w * sf.az[s]);
    }
}

// Split faces: the cell's own surface on a side that faces several cells
// carries the sum of the fluxes of the facing surfaces.
void SumSplitFaceFluxes() {
    if (!Cnocellse.exists() || !CnbMultiE.exists()) return;
    struct Side {
        Array1<int>* count;
        Array2<int>* list;
        Array1<int>* own;
        Array1<int>* facing;
    };
    const Side sides[4] = {{&Cnocellse, &CnbMultiE, &Csurfe, &Csurfw},
                           {&Cnocellsw, &CnbMultiW, &Csurfw, &Csurfe},
                           {&Cnocellss, &CnbMultiS, &Csurfs, &Csurfn},
                           {&Cnocellsn, &CnbMultiN, &Csurfn, &Csurfs}};
    double* const flux = Fflux.data();
    for (int c = 1; c <= NoCells; ++c) {
        for (const Side& side : sides) {
            const int n = (*side.count)[c];
            if (n <= 0) continue;
            const int m = (*side.list)[c][0];
            double sum = 0.0;
            for (int k = 0; k < n; ++k) sum += flux[(*side.facing)[m + k]];
            flux[(*side.own)[c]] = sum;
        }
    }
}

}  // namespace

void ComputeSurfaceFluxRange(int first, int last) {
    if (FreeSurfaceOption == 11) {
        FluxLoop<kPiezometric>(first, last);
    } else if (TrekantOption == 13) {
        FluxLoop<kTrekant>(first, last);
    } else if (F69Int6 == 0 && FluxInterpolationOption == 0) {
        FluxLoop<kStandard>(first, last);
    } else {
        switch (FluxInterpolationOption) {
            case 1: FluxLoop<kStandard>(first, last); break;
            case 2: FluxLoop<kThinFace>(first, last); break;
            case 3: FluxLoop<kCompact>(first, last); break;
            case 4: FluxLoop<kCompactClip>(first, last); break;
            case 5: FluxLoop<kOneSided>(first, last); break;
            case 6: FluxLoop<kOneSidedPlain>(first, last); break;
            case 7: FluxLoop<kPlainClip>(first, last); break;
            case 8: FluxLoop<kPlainClipTrekant>(first, last); break;
            default:
                // Options the reader accepts but no variant takes leave the
                // fluxes as they are, unless the density variant is on.
                if (F69Int6 > 0) FluxLoop<kDensity>(first, last);
                break;
        }
    }
    if (VerticalVelocityLimit == 4) LimitVerticalFluxes(first, last);
    if (FreeSurfaceOption == 50 || F226Option == 1) TopSurfaceFluxes(first, last);
}

void FinishSurfaceFluxes() {
    if (BoundaryCellSurface.exists()) {
        for (int k = 1; k <= NoBoundaryCells; ++k) Fflux[BoundaryCellSurface[k]] = 0.0;
    }
    if (SplitFaceFlag > 0) SumSplitFaceFluxes();
    if (InterfaceSide > 0) BalanceInterfaceFluxes();
}

void ComputeSurfaceFluxes(int first, int last) {
    ComputeSurfaceFluxRange(first, last);
    FinishSurfaceFluxes();
}

namespace {

// The cells of one side of the block connection: the node columns of block b
// at grid line i, each walked from its bottom cell upwards.
template <class F>
void ForConnectionCells(int b, int i, F&& visit) {
    const BlockRecord& r = BlockTable[b];
    for (int j = r.jFirst; j <= r.jLast; ++j) {
        for (int c = static_cast<int>(Gridz[i][j][0]); c > 0; c = Ccellt[c]) visit(c);
    }
}

}  // namespace

void BalanceInterfaceFluxes() {
    if (NoBlocks < 2 || !Gridz.exists()) return;
    const bool oneFirst = InterfaceSide == 1;
    const int blockA = oneFirst ? 1 : 2, blockB = oneFirst ? 2 : 1;
    const int iA = oneFirst ? BlockTable[1].iLast : BlockTable[2].iFirst;
    const int iB = oneFirst ? BlockTable[2].iFirst : BlockTable[1].iLast;
    double sumA = 0.0, sumB = 0.0;
    ForConnectionCells(blockA, iA, [&](int c) { sumA += Fflux[Csurfe[c]]; });
    ForConnectionCells(blockB, iB, [&](int c) { sumB += Fflux[Csurfw[c]]; });
    // Before any flow, or when the two sides disagree about the direction,
    // there is no factor that would make sense: both sides stay as they are.
    constexpr double kTolerance = 1e-10;
    if (std::fabs(sumA) < kTolerance || std::fabs(sumB) < kTolerance || (sumA > 0.0) != (sumB > 0.0)) return;
    const double mean = 0.5 * (sumA + sumB);
    const double fa = mean / sumA, fb = mean / sumB;
    ForConnectionCells(blockA, iA, [&](int c) { Fflux[Csurfe[c]] *= fa; });
    ForConnectionCells(blockB, iB, [&](int c) { Fflux[Csurfw[c]] *= fb; });
}
