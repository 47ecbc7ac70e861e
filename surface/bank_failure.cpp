// Bank failure at the edge of the wet area. A column whose driving force
// (the weight along the bed slope, or with groundwater the seepage and slope
// forces) beats friction and cohesion is flattened: bed level moves from its
// corners above the mean to those below it. Every column is judged on the
// cell geometry of the last regeneration (Pz1), so the order of the columns
// does not matter; the node bed levels take the sum of the changes.
#include <algorithm>
#include <cmath>

#include "grid/grid_data.h"
#include "run/globals.h"
#include "sediment/sediment_data.h"
#include "surface/groundwater.h"
#include "surface/surface_data.h"
#include "surface/surface_services.h"

namespace {

constexpr double kUnitWeight = 9810.0;
constexpr double kWaterDensity = 1000.0;
constexpr double kGravity = 9.81;
// The share of the level difference across a column that fails with it.
constexpr double kFailingShare = 0.4;
// Beyond the cohesion term, a failure takes this much more of the failing
// volume's height.
constexpr double kExtraMove = 0.02;
constexpr int kBedPlane = 1;
constexpr int kLowestPlane = 3;

int BottomAt(int i, int j) {
    if (i < 0 || j < 0 || static_cast<size_t>(i) >= Gridz.extent1() || static_cast<size_t>(j) >= Gridz.extent2()) {
        return 0;
    }
    return static_cast<int>(Gridz[i][j][0]);
}

// A soil block has no wet area and so no banks.
bool Treated(const BlockRecord& r) {
    return r.depthAveraged == 0 && r.gridLevel == 0 && r.field11 == 1 && r.layerBlock != 1;
}

bool EdgeColumn(int i, int j) {
    return BottomAt(i, j + 1) == 0 || BottomAt(i, j - 1) == 0 || BottomAt(i + 1, j) == 0 || BottomAt(i - 1, j) == 0;
}

double GroundwaterBeyond(int cell, double own) {
    if (cell <= 0 || static_cast<size_t>(cell) >= Cbedcell.size()) return own;
    const int n = Cbedcell[cell];
    return n > 0 && static_cast<size_t>(n) < Bgroundwater.size() ? Bgroundwater[n] : own;
}

double DrivingForce(int c, int n, double sx, double sy, double weight) {
    if (GroundwaterOption <= 0 || !Bgroundwater.exists()) {
        // A cell without a bed face has no slope to slide on.
        const int bed = Csurfb[c];
        if (bed <= 0) return 0.0;
        const double cosine = std::clamp(Fvecz[bed], -1.0, 1.0);
        return std::tan(std::acos(cosine)) * weight;
    }
    const double own = Bgroundwater[n];
    const double p = kFailingShare * Barea[n] * sx * kWaterDensity * kGravity * SedRelativeDensity;
    const double gx = 0.5 * sx * (GroundwaterBeyond(Ccellw[c], own) - GroundwaterBeyond(Ccelle[c], own));
    const double gy = 0.5 * sy * (GroundwaterBeyond(Ccelln[c], own) - GroundwaterBeyond(Ccells[c], own));
    const double fx = sx * p / (2.0 * Cidist[c] + 1e-20) + 2.0 * gx * Cjdist[c] * kWaterDensity * kGravity;
    const double fy = sy * p / (2.0 * Cjdist[c] + 1e-20) + 2.0 * gy * Cidist[c] * kWaterDensity * kGravity;
    return std::sqrt(fx * fx + fy * fy);
}

// Moves the bed of node (i, j) by `change`, not below its lowest level; the
// cumulative bank change of plane 1 takes what was applied.
void MoveNode(int i, int j, double change) {
    double& z = Gridz[i][j][kBedPlane];
    const double before = z;
    z = std::max(z + change, GridLevels[kLowestPlane][i][j]);
    GridLevels[kBedPlane][i][j] += z - before;
}

void JudgeColumn(int i, int j) {
    const int c = BottomAt(i, j);
    const int n = pointbed[i][j];
    if (c <= 0 || n <= 0 || !(Barea[n] > 0.0) || !EdgeColumn(i, j)) return;
    const double z[4] = {Pz1[Cpoint1[c]], Pz1[Cpoint2[c]], Pz1[Cpoint3[c]], Pz1[Cpoint4[c]]};
    const double sx = ((z[1] - z[0]) + (z[2] - z[3])) / 2.0;
    const double sy = ((z[2] - z[1]) + (z[3] - z[0])) / 2.0;
    const double h = std::sqrt(sx * sx + sy * sy);
    const double volume = kFailingShare * h * Barea[n];
    const double weight = SedRelativeDensity * kUnitWeight * BedSolidFraction * volume;
    const double driving = DrivingForce(c, n, sx, sy, weight);
    const double resistance = weight * BankFrictionCoef;
    const double cohesion = BankCohesion * Barea[n];
    if (!(driving - cohesion > resistance)) return;
    const double dz = (cohesion / (std::max(resistance, cohesion) + 1e-30) + kExtraMove) * volume / Barea[n];
    const double mean = 0.25 * (z[0] + z[1] + z[2] + z[3]);
    double spread = 1e-20;
    for (double zk : z) spread += std::fabs(mean - zk);
    // Corners 1 to 4 sit on the nodes (i-1, j-1), (i, j-1), (i, j), (i-1, j).
    const int ni[4] = {i - 1, i, i, i - 1}, nj[4] = {j - 1, j - 1, j, j};
    for (int k = 0; k < 4; ++k) MoveNode(ni[k], nj[k], (mean - z[k]) / spread * dz);
}

}  // namespace

void ComputeSeepageBankErosion() {
    if (GroundwaterOption > 0) ComputeGroundwater();
    if (BankFailureOption == 1 && Gridz.exists() && GridLevels.exists()) {
        for (int b = 1; b <= std::min(NoBlocks, kMaxBlocks); ++b) {
            const BlockRecord& r = BlockTable[b];
            if (!Treated(r)) continue;
            for (int i = r.iFirst; i <= r.iLast; ++i) {
                for (int j = r.jFirst; j <= r.jLast; ++j) JudgeColumn(i, j);
            }
        }
    }
    // Element 0 stands for no column.
    if (Cbedcell.exists()) Cbedcell[0] = 0;
}
