// Law-of-the-wall terms of the cells next to walls: the friction of U, V and
// W, the production and dissipation of k and the wall value of epsilon (or
// omega), for rough, smooth and transitional walls; the face-based form is
// handed over.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>

#include "flow/face_interpolation.h"
#include "flow/flow_data.h"
#include "flow/flow_services.h"
#include "flow/turbulence_common.h"
#include "grid/grid_data.h"
#include "run/globals.h"
#include "sediment/sediment_data.h"

namespace {

constexpr double kKappa = 0.4;
constexpr double kSublayer = 11.63;

// Law-of-the-wall constants of the turbulence model.
struct WallConstants {
    double cE, cS, cK;
    double roughness = 1e-6;  // of side walls and the top, floored
    WallConstants() {
        const double cmu = TurbulenceModel == 1 ? 0.0845 : 0.09;
        cE = std::pow(cmu, 0.75);
        cS = 1000.0 * std::sqrt(cmu);
        cK = 1000.0 * cE;
    }
};

// The values of one cell that every law uses.
struct WallCell {
    int c;
    double kHat;   // k floored at MinK
    double u2;     // squared speed
    double a;      // sqrt(cS kHat); 31.62 a is density times shear velocity
    double ustar;  // shear velocity from the stored k
    double concentration;  // total suspended concentration
    double vol;
    double wallRoughness;

    WallCell(int cell, const WallConstants& w) : c(cell), wallRoughness(w.roughness) {
        const double k = Ck[cell];
        kHat = std::max(k, MinK);
        u2 = Cu[cell] * Cu[cell] + Cv[cell] * Cv[cell] + Cw[cell] * Cw[cell];
        a = std::sqrt(w.cS * kHat);
        // A k of 0 or below would give y+ = 0 (a division by zero in the
        // sublayer) or the root of a negative number.
        ustar = std::sqrt(0.001 * w.cS * std::max(k, 1e-20));
        concentration = conc.exists() ? conc[0][cell] : 0.0;
        vol = Cvol[cell];
    }
    double YPlus(double y) const { return 1e6 * y * ustar; }
};

inline double Capped(double distance) { return std::min(distance, 1000.0); }

// Roughness height of the bed of cell c.
inline double BedRoughness(int c) { return std::max(Croughness[c], 1e-6); }

inline bool IsWallFace(int s) { return Fflagflow[s] == -1; }

enum Direction { kEastWest, kSouthNorth, kTopBottom };

// The two faces and the wall distance of a direction.
struct DirectionFaces {
    int face1, face2;
    double distance;
};

DirectionFaces FacesOf(int c, Direction d) {
    switch (d) {
        case kEastWest: return {Csurfe[c], Csurfw[c], Cidist[c]};
        case kSouthNorth: return {Csurfs[c], Csurfn[c], Cjdist[c]};
        default: return {Csurft[c], Csurfb[c], Ckdist[c]};
    }
}

inline bool HasWall(int c, Direction d) {
    const DirectionFaces f = FacesOf(c, d);
    return IsWallFace(f.face1) || IsWallFace(f.face2);
}

// Kappa that the pressure gradient along a side wall raises towards 0.6.
inline double KappaOf(double x) {
    if (std::isinf(x)) return 0.6;
    return (0.6 * x + 0.4) / (x + 1.0);
}

// Quotient of a gradient term by a turbulence scale; no scale and no
// gradient gives 0, no scale with a gradient gives an infinite quotient.
inline double Ratio(double num, double den) {
    if (den > 0.0) return num / den;
    return num > 0.0 ? std::numeric_limits<double>::infinity() : 0.0;
}

// Pressure gradient along the wall of a side direction: from the two
// neighbours along the wall, when both exist.
struct AlongWall {
    bool exists = false;
    double g = 0.0;
};

AlongWall PressureGradient(int c, Direction d) {
    const int plus = d == kEastWest ? Ccelln[c] : Ccelle[c];
    const int minus = d == kEastWest ? Ccells[c] : Ccellw[c];
    if (plus <= 0 || minus <= 0) return {};
    const double h = d == kEastWest ? Cjdist[c] : Cidist[c];
    return {true, std::fabs(Pres[plus] - Pres[minus]) / (4.0 * h)};
}

// The options of F 273 for one side direction of one cell.
struct SideOptions {
    double addedG = 0.0;     // option 1: G, to be multiplied by y
    double kappa = kKappa;   // option 4: kappa of k and velocity
    double kappaEps = kKappa;  // options 4 and 5: kappa of epsilon
};

SideOptions SideOptionsOf(const WallCell& w, Direction d) {
    SideOptions o;
    const int option = WallPressureGradientOption;
    if (option != 1 && option != 4 && option != 5) return o;
    const AlongWall pg = PressureGradient(w.c, d);
    if (!pg.exists) return o;
    if (option == 1) {
        o.addedG = pg.g;
        return o;
    }
    if (option == 4) o.kappa = KappaOf(Ratio(3.16228e-05 * pg.g, std::pow(w.a, 3.0)));
    o.kappaEps = KappaOf(Ratio(3.16228e-05 * pg.g, 5196.1 * std::pow(w.kHat, 1.5)));
    return o;
}

// u+ of k at a side wall of the rough law; 1/kappa is 2.5 unless the
// pressure gradient changed kappa.
double SideUPlusK(const WallCell& w, double y, double kappa) {
    const double yplus = w.YPlus(y);
    if (WallLawVariant == 3 && yplus < kSublayer) return yplus;
    const double inverse = kappa == kKappa ? 2.5 : 1.0 / kappa;
    return std::max(inverse * std::log(30.0 * y / w.wallRoughness), MinUplusWall);
}

// u+ of k at the bed (and the top) of the rough law: the bed law. The thin
// columns take the viscous sublayer under variant 3 only.
double BedUPlusK(const WallCell& w, double y, double ks, double bedConc, bool sublayerWith5 = true) {
    const double yplus = w.YPlus(y);
    const bool sublayer = WallLawVariant == 3 || (sublayerWith5 && WallLawVariant == 5);
    const double l = sublayer && yplus < kSublayer ? yplus : std::log(30.0 * y / ks);
    return std::max(2.5 * (1.0 + 2.5 * bedConc) * l, MinUplusWall);
}

inline void AddKTerms(const WallConstants& k, const WallCell& w, double uplus, double b, double y) {
    Cap[w.c] += k.cK * std::sqrt(w.kHat) * uplus / y * w.vol;
    Csource[w.c] += b * w.u2 / y * w.vol;
}

inline void Fix(int c, double value, double weight = kFixedValueWeight) {
    Cap[c] += weight;
    Csource[c] += weight * value;
}

// Step of k at rough walls: each direction with a wall once.
void RoughWallK(const WallConstants& k, const WallCell& w) {
    for (Direction d : {kEastWest, kSouthNorth}) {
        if (!HasWall(w.c, d)) continue;
        const double y = Capped(FacesOf(w.c, d).distance);
        const SideOptions o = SideOptionsOf(w, d);
        const double uplus = SideUPlusK(w, y, o.kappa);
        AddKTerms(k, w, uplus, 31.62 * w.a / uplus + o.addedG * y, y);
    }
    if (HasWall(w.c, kTopBottom)) {
        const double y = Capped(Ckdist[w.c]);
        const double uplus = BedUPlusK(w, y, BedRoughness(w.c), w.concentration);
        AddKTerms(k, w, uplus, 31.62 * w.a / uplus, y);
    }
}

// WallLaw 11: k held, weakly, at its wall value.
void PulledWallK(const WallCell& w) {
    for (Direction d : {kEastWest, kSouthNorth, kTopBottom}) {
        if (!HasWall(w.c, d)) continue;
        const double y = Capped(FacesOf(w.c, d).distance);
        const double uplus =
            d == kTopBottom ? BedUPlusK(w, y, BedRoughness(w.c), w.concentration) : SideUPlusK(w, y, kKappa);
        const double utau = std::sqrt(w.u2) / uplus;
        Fix(w.c, 3.33333 * utau * utau, 1e20);
    }
}

// Distance of the epsilon (or omega) value of a side wall. The law of the
// wall gives the dissipation at the distance from the nearest wall; a cell
// that is wider than it stands above the bed is nearer the bed than the side
// wall, and the value from half its width would fix a dissipation far below
// that of the flow around it (an eddy viscosity a hundred times too large in
// the wall columns of a wide channel, flattening the velocity profile and
// raising the bed shear as the columns across get fewer).
double SideEpsilonDistance(int c, Direction d) {
    return std::min(Capped(FacesOf(c, d).distance), HeightAboveWallBed(c));
}

// The wall values of epsilon (or omega) of every direction with a wall;
// `side`(d, y) gives kappa times the distance of a side direction for the
// models 0 to 13, where the laws differ.
template <class SideDenominator>
void WallEpsilon(const WallConstants& k, const WallCell& w, SideDenominator side) {
    const int model = TurbulenceModel;
    if (model == 14 || model == 15) return;
    const double k15 = std::pow(w.kHat, 1.5);
    const double bed = 1.0 + 2.5 * w.concentration;
    if (model == 16) {
        for (Direction d : {kTopBottom, kEastWest, kSouthNorth}) {
            if (!HasWall(w.c, d)) continue;
            const double y = d == kTopBottom ? Capped(Ckdist[w.c]) : SideEpsilonDistance(w.c, d);
            const double dd = 0.21908 * y + 1e-20;
            Fix(w.c, d == kTopBottom ? k15 * bed / dd : k15 / dd);
        }
        return;
    }
    for (Direction d : {kEastWest, kSouthNorth}) {
        if (!HasWall(w.c, d)) continue;
        Fix(w.c, k.cE * k15 / side(d, SideEpsilonDistance(w.c, d)));
    }
    if (HasWall(w.c, kTopBottom)) Fix(w.c, k.cE * k15 * bed / (kKappa * Capped(Ckdist[w.c])));
}

void RoughWallEpsilon(const WallConstants& k, const WallCell& w) {
    WallEpsilon(k, w, [&w](Direction d, double y) { return SideOptionsOf(w, d).kappaEps * y; });
}

// Omega at the top of a column of one cell, the water depth standing for
// the wall distance.
void TopCellOmega(int first, int last) {
    for (int c = first; c <= last; ++c) {
        if (Ccellt[c] != 0 || Ccellb[c] != 0) continue;
        const double k15 = std::pow(std::max(Ck[c], MinK), 1.5);
        Fix(c, k15 / (WallEpsilonDistanceFactor * 2.0 * Ckdist[c] + 1e-20));
    }
}

// Component of the unit normal that belongs to the velocity equation.
inline double NormalPart(int equation, double nx, double ny, double nz) {
    return equation == 1 ? nx : equation == 2 ? ny : nz;
}

inline void AddFriction(int c, double f, double nx, double ny, double nz) {
    const double e = NormalPart(Equation, nx, ny, nz);
    Cap[c] += f;
    Csource[c] += f * e * (nx * Cu[c] + ny * Cv[c] + nz * Cw[c]);
}

// Friction through one side wall face (horizontal normal only).
void SideFriction(const WallConstants& k, const WallCell& w, int s, Direction d, double y) {
    const SideOptions o = SideOptionsOf(w, d);
    const double aSide = std::sqrt(k.cS * w.kHat + o.addedG * y);
    const double yplus = w.YPlus(y);
    double f;
    if (WallLawVariant == 3 && yplus < kSublayer) {
        f = 31.62 * aSide * Farea[s] / yplus;
    } else {
        const double l = std::max(std::log(30.0 * y / w.wallRoughness), o.kappa * MinUplus);
        f = 31.62 * aSide * o.kappa * Farea[s] / l;
    }
    AddFriction(w.c, f, Fvecx[s], Fvecy[s], 0.0);
}

// Friction through a bed face at the distance y above it.
double BedFriction(const WallCell& w, int s, double y, double ks, double bedConc) {
    const double yplus = w.YPlus(y);
    if (WallLawVariant == 3 && yplus < kSublayer) return 31.62 * w.a * Farea[s] / yplus;
    const double l = std::max(std::log(30.0 * y / ks), kKappa * MinUplus);
    return 31.62 * w.a * kKappa * Farea[s] / ((1.0 + 2.5 * bedConc) * l);
}

void RoughTopBottomFriction(const WallCell& w);

void RoughWallFriction(const WallConstants& k, const WallCell& w) {
    const int c = w.c;
    const struct {
        int s;
        Direction d;
    } sides[] = {{Csurfe[c], kEastWest}, {Csurfw[c], kEastWest}, {Csurfs[c], kSouthNorth}, {Csurfn[c], kSouthNorth}};
    for (const auto& side : sides) {
        if (IsWallFace(side.s)) SideFriction(k, w, side.s, side.d, Capped(side.d == kEastWest ? Cidist[c] : Cjdist[c]));
    }
    RoughTopBottomFriction(w);
}

// Friction of the top face (WallRoughness, laminar lid) and of the bed face
// (Croughness, suspended sediment) of the rough law.
void RoughTopBottomFriction(const WallCell& w) {
    const int c = w.c;
    const double y = Capped(Ckdist[c]);
    if (const int s = Csurft[c]; IsWallFace(s)) {
        const double yplus = w.YPlus(y);
        double f;
        if (WallLawVariant == 3 && yplus < kSublayer) {
            f = 31.62 * w.a * Farea[s] / yplus;
        } else if (WallLawVariant == 5 && Ceddyvisc[c] < 0.0011) {
            f = 0.001 * Farea[s] / y;
        } else {
            f = 31.62 * w.a * kKappa * Farea[s] / std::max(std::log(30.0 * y / w.wallRoughness), kKappa * MinUplus);
        }
        AddFriction(c, f, Fvecx[s], Fvecy[s], Fvecz[s]);
    }
    if (const int s = Csurfb[c]; IsWallFace(s)) {
        AddFriction(c, BedFriction(w, s, y, BedRoughness(c), w.concentration), Fvecx[s], Fvecy[s], Fvecz[s]);
    }
}

void RoughWalls(int first, int last, const WallConstants& k) {
    const int equation = Equation;
    const bool pulled = WallLaw == 11;
    for (int c = first; c <= last; ++c) {
        if (!IsWallCell(c)) continue;
        const WallCell w(c, k);
        if (equation == 5) {
            if (pulled) {
                PulledWallK(w);
            } else {
                RoughWallK(k, w);
            }
        } else if (equation == 6) {
            RoughWallEpsilon(k, w);
        } else if (equation >= 1 && equation <= 3) {
            RoughWallFriction(k, w);
        }
    }
    if (equation == 6 && TurbulenceModel == 16 && WallEpsilonDistanceFlag == 1) TopCellOmega(first, last);
}

// Columns shallower than the least water depth: every cell carries the bed
// law at its own height above the bed.
void ThinColumns(int first, int last, const WallConstants& k) {
    const int equation = Equation;
    ForEachColumnRun(first, last, [&](int bed, int lowest) {
        double sum = 0.0;
        for (int c = bed; c > 0; c = Ccellt[c]) sum += Ckdist[c];
        if (!(sum < MinWaterDepth)) return;
        const double ks = BedRoughness(bed);
        const double bedConc = conc.exists() ? conc[0][bed] : 0.0;
        double below = 0.0;
        for (int c = bed; c != lowest; c = Ccellt[c]) below += 2.0 * Ckdist[c];
        for (int c = lowest; InRun(c, first, last); c = Ccellt[c]) {
            const double y = below + Ckdist[c];
            below += 2.0 * Ckdist[c];
            const WallCell w(c, k);
            if (equation == 5) {
                const double uplus = BedUPlusK(w, y, ks, bedConc, false);
                AddKTerms(k, w, uplus, 31.62 * w.a / uplus, y);
            } else if (equation == 6) {
                Fix(c, k.cE * std::pow(w.kHat, 1.5) * (1.0 + 2.5 * bedConc) / (kKappa * y));
            } else {
                const int s = Csurfb[c];
                AddFriction(c, BedFriction(w, s, y, ks, bedConc), Fvecx[s], Fvecy[s], Fvecz[s]);
            }
        }
    });
}

// Turbulence model 3: every cell is a wall cell at half the width of its
// plan area; k and epsilon are assigned.
void WallEverywhere(int first, int last, const WallConstants& k) {
    for (int c = first; c <= last; ++c) {
        const WallCell w(c, k);
        const double y = Capped(0.5 * std::sqrt(w.vol / (2.0 * Ckdist[c] + 1e-20)));
        if (Equation == 5) {
            const double uplus = SideUPlusK(w, y, kKappa);
            Cap[c] = k.cK * std::sqrt(w.kHat) * uplus / y * w.vol;
            Csource[c] = 31.62 * w.a / uplus * w.u2 / y * w.vol;
        } else {
            Cap[c] = kFixedValueWeight;
            Csource[c] = kFixedValueWeight * k.cE * std::pow(w.kHat, 1.5) / (kKappa * y);
        }
    }
}

// Stores kappa and the floored wall roughness for later readers and
// returns the roughness. Every chunk stores the same values; the atomics
// keep concurrent chunks well defined, and the chunks use the returned
// value, never the global another chunk may be storing.
double StoreWallSettings() {
    std::atomic_ref<double>(Kappa).store(kKappa, std::memory_order_relaxed);
    std::atomic_ref<double> stored(WallRoughness);
    const double roughness = stored.load(std::memory_order_relaxed);
    if (roughness > 1e-6) return roughness;
    stored.store(1e-6, std::memory_order_relaxed);
    return 1e-6;
}

}  // namespace

void ApplyWallLaws(int first, int last) {
    if (FaceWallLawFlag == 1) {
        ApplyFaceWallLaws(first, last);
        return;
    }
    WallConstants k;
    k.roughness = StoreWallSettings();
    const int equation = Equation;
    if (TurbulenceModel == 3 && (equation == 5 || equation == 6)) {
        WallEverywhere(first, last, k);
        return;
    }
    if (NearBedOption == 1) {
        for (int c = first; c <= last; ++c) {
            if (Ckdist[c] < MinWaterDepth) Cap[c] = Csource[c] = 0.0;
        }
    }
    for (int c = first; c <= last; ++c) {
        if (IsWallCell(c)) Cap[c] = Csource[c] = 0.0;
    }
    const int law = WallLaw;
    if (law == 0 || law == 11) {
        RoughWalls(first, last, k);
        const bool flowOrTurbulence = (equation >= 1 && equation <= 3) || equation == 5 || equation == 6;
        if (NearBedOption == 1 && flowOrTurbulence) ThinColumns(first, last, k);
    } else if (law == 5 || law == 8 || law == 9 || law == 19) {
        ApplySmoothWallLaws(first, last);
    }
}

// ---- Smooth, transitional and mixed walls (F 15 5, 8, 9, 19) ----------------

namespace {

constexpr double kSmoothFrictionSublayer = 11.626;  // the friction's limit under F 15 5
constexpr double kBlend = 11.7;                       // of the transitional laws

// A horizontal unit normal for side faces, the whole normal for top and
// bottom faces.
inline void AddFaceFriction(const WallCell& w, int s, bool side, double f) {
    AddFriction(w.c, f, Fvecx[s], Fvecy[s], side ? 0.0 : Fvecz[s]);
}

// Friction of F 15 5, 8 and 9 through each wall-law face of the cell:
// f(face, side, distance, bottom).
template <class Friction>
void EachWallFace(const WallCell& w, Friction friction) {
    const int c = w.c;
    const struct {
        int s;
        double distance;
        bool side, bottom;
    } faces[] = {{Csurfe[c], Cidist[c], true, false}, {Csurfw[c], Cidist[c], true, false},
                 {Csurfs[c], Cjdist[c], true, false}, {Csurfn[c], Cjdist[c], true, false},
                 {Csurft[c], Ckdist[c], false, false}, {Csurfb[c], Ckdist[c], false, true}};
    for (const auto& f : faces) {
        if (IsWallFace(f.s)) AddFaceFriction(w, f.s, f.side, friction(f.s, f.distance, f.bottom));
    }
}

// F 15 5: the viscous sublayer below y+ 11.63 (11.626 in the friction), the
// smooth logarithmic law above it.
void SmoothWalls(const WallConstants& k, const WallCell& w) {
    const int c = w.c;
    switch (Equation) {
        case 5:
            for (Direction d : {kEastWest, kSouthNorth, kTopBottom}) {
                if (!HasWall(c, d)) continue;
                const double y = Capped(FacesOf(c, d).distance);
                const double yplus = w.YPlus(y);
                const double uplus = yplus < kSublayer ? yplus : 2.5 * std::log(9.0 * yplus);
                double b = 31.62 * w.a / uplus;
                if (d == kSouthNorth && WallPressureGradientOption == 1) b += PressureGradient(c, kSouthNorth).g * y;
                AddKTerms(k, w, uplus, b, y);
            }
            break;
        case 6: WallEpsilon(k, w, [](Direction, double y) { return kKappa * y; }); break;
        case 1:
        case 2:
        case 3:
            EachWallFace(w, [&w](int s, double distance, bool) {
                const double yplus = w.YPlus(Capped(distance));
                if (yplus >= kSmoothFrictionSublayer) return 31.62 * w.a * kKappa * Farea[s] / std::log(9.0 * yplus);
                return 31.62 * w.a * Farea[s] / yplus;
            });
            break;
        default: break;
    }
}

// The transitional law after Cebeci and Bradshaw, with the cell's roughness
// at every wall (F 15 8 and 9).
struct Transitional {
    double uhat;    // shear velocity from the floored k
    double ks;      // roughness height of the cell
    double ksPlus;  // roughness Reynolds number
    double bedKappa;
    bool transpiration;

    Transitional(const WallConstants& k, const WallCell& w)
        : uhat(std::sqrt(0.001 * k.cS * w.kHat)),
          ks(BedRoughness(w.c)),
          ksPlus(1e6 * ks * uhat),
          bedKappa(F150Int2 == 0 ? kKappa / (1.0 + 2.5 * w.concentration) : kKappa),
          transpiration(WallLaw == 9) {}

    // u+ at y+ with kappa; `bedNormal` the bottom face whose through-flow
    // changes it (0 for none).
    double UPlus(const WallCell& w, double yplus, double kappa, int bedNormal) const {
        const double big = yplus > kBlend ? yplus : kBlend;
        double u;
        if (ksPlus < 2.25) {
            u = std::log(9.0 * big) / kappa;
        } else if (ksPlus > 90.0) {
            u = std::log(30.0 * (1e-6 * big / uhat) / ks) / kappa;
        } else {
            const double l = std::log(ksPlus);
            u = std::log(big) / kappa + 5.5 + (3.0 - l / kappa) * std::sin(0.4258 * (l - 0.811));
        }
        if (yplus < kBlend) u *= yplus / kBlend;
        if (transpiration && bedNormal > 0) {
            const int s = bedNormal;
            const double through = (Fvecx[s] * Cu[w.c] + Fvecy[s] * Cv[w.c] + Fvecz[s] * Cw[w.c]) / uhat;
            u += 0.25 * std::clamp(through, -0.1, 0.4) * u * u;
        }
        return std::max(u, 0.025);
    }
};

void TransitionalK(const WallConstants& k, const WallCell& w, const Transitional& t) {
    const int c = w.c;
    auto add = [&](double y, double kappa, int bedNormal) {
        const double uplus = t.UPlus(w, 1e6 * y * t.uhat, kappa, bedNormal);
        AddKTerms(k, w, uplus, 31.62 * w.a / uplus, y);
    };
    for (Direction d : {kEastWest, kSouthNorth}) {
        if (HasWall(c, d)) add(FacesOf(c, d).distance, kKappa, 0);
    }
    const bool top = IsWallFace(Csurft[c]), bottom = IsWallFace(Csurfb[c]);
    if (!t.transpiration) {
        if (top || bottom) add(Ckdist[c], bottom ? t.bedKappa : kKappa, 0);
        return;
    }
    if (top) add(Ckdist[c], kKappa, 0);
    if (bottom) add(Ckdist[c], t.bedKappa, Csurfb[c]);
}

void TransitionalWalls(const WallConstants& k, const WallCell& w) {
    const Transitional t(k, w);
    switch (Equation) {
        case 5: TransitionalK(k, w, t); break;
        case 6: WallEpsilon(k, w, [](Direction, double y) { return kKappa * y; }); break;
        case 1:
        case 2:
        case 3:
            EachWallFace(w, [&](int s, double distance, bool bottom) {
                const double uplus = t.UPlus(w, w.YPlus(distance), bottom ? t.bedKappa : kKappa, bottom ? s : 0);
                return 31.62 * w.a * Farea[s] / uplus;
            });
            break;
        default: break;
    }
}

// F 312: the epsilon distance of a side direction grows where the flow of
// the cell and of its neighbour across that direction turn against each
// other.
double ReversalStretch(int c, Direction d) {
    if (F312Option <= 0) return 1.0;
    int m = d == kEastWest ? Ccelle[c] : Ccells[c];
    if (m == 0) m = d == kEastWest ? Ccellw[c] : Ccelln[c];
    if (m <= 0) return 1.0;
    const double dot = Cu[c] * Cu[m] + Cv[c] * Cv[m];
    if (!(dot < 0.0)) return 1.0;
    const double cosine = dot / std::sqrt((Cu[c] * Cu[c] + Cv[c] * Cv[c]) * (Cu[m] * Cu[m] + Cv[m] * Cv[m]));
    return cosine < -0.7 ? 1.1 - cosine : 1.0;
}

// F 15 19: smooth side walls with the options of F 273, the rough law at
// the bed and the top.
void SmoothSideWalls(const WallConstants& k, const WallCell& w) {
    const int c = w.c;
    switch (Equation) {
        case 5:
            for (Direction d : {kEastWest, kSouthNorth}) {
                if (!HasWall(c, d)) continue;
                const double y = Capped(FacesOf(c, d).distance);
                const SideOptions o = SideOptionsOf(w, d);
                const double yplus = w.YPlus(y);
                const double inverse = o.kappa == kKappa ? 2.5 : 1.0 / o.kappa;
                const double uplus = yplus < kSublayer ? yplus : std::max(inverse * std::log(9.0 * yplus), MinUplusWall);
                AddKTerms(k, w, uplus, 31.62 * w.a / uplus + o.addedG * y, y);
            }
            if (HasWall(c, kTopBottom)) {
                const double y = Capped(Ckdist[c]);
                const double uplus = BedUPlusK(w, y, BedRoughness(c), w.concentration);
                AddKTerms(k, w, uplus, 31.62 * w.a / uplus, y);
            }
            break;
        case 6:
            WallEpsilon(k, w, [&w](Direction d, double y) {
                return SideOptionsOf(w, d).kappaEps * y * ReversalStretch(w.c, d);
            });
            break;
        case 1:
        case 2:
        case 3: {
            const struct {
                int s;
                Direction d;
            } sides[] = {{Csurfe[c], kEastWest}, {Csurfw[c], kEastWest}, {Csurfs[c], kSouthNorth}, {Csurfn[c], kSouthNorth}};
            for (const auto& side : sides) {
                if (!IsWallFace(side.s)) continue;
                const double y = Capped(FacesOf(c, side.d).distance);
                const SideOptions o = SideOptionsOf(w, side.d);
                const double aSide = std::sqrt(k.cS * w.kHat + o.addedG * y);
                const double yplus = w.YPlus(y);
                const double f = yplus >= kSublayer ? 31.62 * aSide * o.kappa * Farea[side.s] / std::log(9.0 * yplus)
                                                    : 31.62 * aSide * Farea[side.s] / yplus;
                AddFaceFriction(w, side.s, true, f);
            }
            RoughTopBottomFriction(w);
            break;
        }
        default: break;
    }
}

}  // namespace

void ApplySmoothWallLaws(int first, int last) {
    WallConstants k;
    k.roughness = StoreWallSettings();
    const int law = WallLaw;
    for (int c = first; c <= last; ++c) {
        if (!IsWallCell(c)) continue;
        const WallCell w(c, k);
        if (law == 5) {
            SmoothWalls(k, w);
        } else if (law == 8 || law == 9) {
            TransitionalWalls(k, w);
        } else if (law == 19) {
            SmoothSideWalls(k, w);
        }
    }
    if (Equation == 6 && TurbulenceModel == 16 && WallEpsilonDistanceFlag == 1 && (law == 5 || law == 19)) {
        TopCellOmega(first, last);
    }
}
