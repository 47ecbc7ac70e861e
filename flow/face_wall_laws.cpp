// The compact wall laws of F 305: every wall-law face of a cell gets the law
// of F 15 (rough, smooth or transitional) with the cell's own roughness and
// the constants of Cmu = 0.09, and none of the options of the full laws.
#include <algorithm>
#include <cmath>

#include "flow/face_interpolation.h"
#include "flow/face_wall_laws.h"
#include "flow/flow_data.h"
#include "flow/flow_services.h"
#include "flow/turbulence_common.h"
#include "grid/grid_data.h"
#include "run/globals.h"

namespace {

constexpr double kDissipation = 164.31676725154983;  // 1000 * 0.09^0.75
constexpr double kEpsilonWeight = 1.6430000000000002e+29;  // 1e30 * 0.09^0.75, rounded

inline bool IsWallFace(int s) { return Fflagflow[s] == -1; }
inline double Capped(double distance) { return std::min(distance, 1000.0); }
inline double KHat(int c) { return std::max(Ck[c], MinK); }

// y+ and the distance relative to the roughness of cell c at `distance`.
struct WallPoint {
    double yPlus, relative;
    WallPoint(int c, double y)
        : yPlus(1e6 * y * std::sqrt(0.3 * std::max(Ck[c], 1e-20))), relative(y / (Croughness[c] + 1e-20)) {}
};

double FaceUPlus(int c, double y) {
    const WallPoint p(c, y);
    return ComputeWallLawRatio(p.yPlus, p.relative);
}

}  // namespace

double ComputeWallLawRatio(double yPlus, double relativeDistance) {
    switch (WallLaw) {
        case 5: return yPlus < 11.63 ? yPlus : 2.5 * std::log(9.0 * yPlus);
        case 8: {
            const double ksPlus = yPlus / relativeDistance;
            double uplus;
            if (ksPlus < 2.25) {
                uplus = 2.5 * std::log(9.0 * yPlus);
            } else if (ksPlus > 90.0) {
                uplus = 2.5 * std::log(30.0 * relativeDistance);
            } else {
                const double l = std::log(ksPlus);
                uplus = 2.5 * std::log(yPlus) + 5.5 + (3.0 - 2.5 * l) * std::sin(0.4258 * (l - 0.811));
            }
            if (yPlus < 11.7) uplus *= yPlus / 11.7;
            return std::max(uplus, 0.025);
        }
        default: return std::max(2.5 * std::log(30.0 * relativeDistance), MinUplus);
    }
}

void AddWallFriction(int cell, const Array1<int>& faceOfCell, const Array1<double>& distance) {
    const int s = faceOfCell[cell];
    const double nx = Fvecx[s], ny = Fvecy[s], nz = Fvecz[s];
    const int equation = Equation;
    const double e = equation == 1 ? nx : equation == 2 ? ny : nz;
    const double uplus = FaceUPlus(cell, Capped(distance[cell]));
    const double f = 31.62 * std::sqrt(300.0 * KHat(cell)) * Farea[s] / uplus;
    Cap[cell] += f;
    Csource[cell] += f * e * (nx * Cu[cell] + ny * Cv[cell] + nz * Cw[cell]);
}

void AddWallTurbulenceTerms(int cell, const Array1<double>& distance) {
    const double y = Capped(distance[cell]);
    const double uplus = FaceUPlus(cell, y);
    const double kHat = KHat(cell);
    const double u2 = Cu[cell] * Cu[cell] + Cv[cell] * Cv[cell] + Cw[cell] * Cw[cell];
    Cap[cell] += kDissipation * std::sqrt(kHat) * uplus / y * Cvol[cell];
    Csource[cell] += 31.62 * std::sqrt(300.0 * kHat) / uplus * u2 / y * Cvol[cell];
}

void FixWallEpsilon(int cell, double distance) {
    const int model = TurbulenceModel;
    if (model == 14 || model == 15) return;
    const double k15 = std::pow(KHat(cell), 1.5);
    const double y = Capped(distance);
    Cap[cell] += kFixedValueWeight;
    if (model == 16) {
        Csource[cell] += kFixedValueWeight * k15 / (0.21908 * y + 1e-20);
    } else {
        Csource[cell] += kEpsilonWeight * k15 / (0.4 * y);
    }
}

void ApplyFaceWallLaws(int first, int last) {
    const int equation = Equation;
    for (int c = first; c <= last; ++c) {
        if (!IsWallCell(c)) continue;
        Cap[c] = Csource[c] = 0.0;
        if (equation >= 1 && equation <= 3) {
            const struct {
                const Array1<int>& face;
                const Array1<double>& distance;
            } faces[] = {{Csurfe, Cidist}, {Csurfw, Cidist}, {Csurfs, Cjdist},
                         {Csurfn, Cjdist}, {Csurft, Ckdist}, {Csurfb, Ckdist}};
            for (const auto& f : faces) {
                if (IsWallFace(f.face[c])) AddWallFriction(c, f.face, f.distance);
            }
        } else if (equation == 5 || equation == 6) {
            const struct {
                const Array1<int>& a;
                const Array1<int>& b;
                const Array1<double>& distance;
                bool side;
            } directions[] = {{Csurfe, Csurfw, Cidist, true}, {Csurfn, Csurfs, Cjdist, true}, {Csurft, Csurfb, Ckdist, false}};
            for (const auto& d : directions) {
                if (!IsWallFace(d.a[c]) && !IsWallFace(d.b[c])) continue;
                if (equation == 5) {
                    AddWallTurbulenceTerms(c, d.distance);
                } else {
                    // As in the full laws: a side wall farther than the bed
                    // gives its epsilon at the height above the bed.
                    const double y = d.side ? std::min(d.distance[c], HeightAboveWallBed(c)) : d.distance[c];
                    FixWallEpsilon(c, y);
                }
            }
        }
    }
}
