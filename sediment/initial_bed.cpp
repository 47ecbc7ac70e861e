// The sediment bed of every water column before the first morphology step:
// layer thicknesses from the grid's bed over the fixed bed, grain fractions
// from the N data sets, solid fractions of the layered mode, and the check of
// a bed read from file against the grid.
#include <algorithm>
#include <cmath>

#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"
#include "sediment/sediment_services.h"

namespace {

// A bed file differing from the grid's sediment by more than this share.
constexpr double kBedFileTolerance = 0.1;

bool BedFileRead() { return FracresReadFlag != 0 || SkipFracresFlag != 0; }

// Calls f(i, j, b) for every grid column (i, j) with a water column b of the
// blocks that carry water columns.
template <class F>
void ForEachBedColumn(F f) {
    for (int k = 1; k <= std::min(NoBlocks, kMaxBlocks); ++k) {
        const BlockRecord& r = BlockTable[k];
        if (r.depthAveraged != 0 || r.gridLevel != 0) continue;
        for (int i = r.iFirst; i <= r.iLast; ++i) {
            for (int j = r.jFirst; j <= r.jLast; ++j) {
                const int b = pointbed[i][j];
                if (b > 0) f(i, j, b);
            }
        }
    }
}

// Mean over the four corner nodes of a grid column.
template <class Level>
double CornerMean(int i, int j, Level level) {
    return 0.25 * (level(i, j) + level(i - 1, j) + level(i, j - 1) + level(i - 1, j - 1));
}

double& Thickness(int layer, int b) { return BSedDistrib[layer][0][b]; }

double LayerSum(int b) {
    double sum = 0.0;
    for (int layer = 0; layer < NoBedLayers; ++layer) sum += Thickness(layer, b);
    return sum;
}

// Two layers: the active layer up to ActiveLayerLimit on top of the rest.
void BuildTwoLayers(int b, double thick) {
    const double active = std::clamp(thick, 0.0, ActiveLayerLimit);
    Thickness(1, b) = active;
    Thickness(0, b) = std::max(thick, 0.0) - active;
    for (int layer = 0; layer <= 1; ++layer) {
        for (int s = 1; s <= NoSizes; ++s) BSedDistrib[layer][s][b] = GrainFractions[0][s];
    }
}

// More layers: the active layer goes on top (layer NoBedLayers - 1) and the
// rest is shared evenly by the layers under it, so the column keeps its
// whole sediment and its surface layer its fractions.
void StackLayers(int b) {
    const int top = NoBedLayers - 1;
    for (int s = 0; s <= NoSizes; ++s) BSedDistrib[top][s][b] = BSedDistrib[1][s][b];
    const double share = Thickness(0, b) / (NoBedLayers - 1);
    for (int layer = 0; layer < top; ++layer) {
        Thickness(layer, b) = share;
        for (int s = 1; s <= NoSizes; ++s) BSedDistrib[layer][s][b] = BSedDistrib[top][s][b];
    }
}

void SetSolidFractions(int b) {
    for (int layer = 0; layer < NoBedLayers; ++layer) BlayerValue[layer][b] = BedSolidFraction;
    if (F264Option != -1) return;
    const int top = std::min(BNoLayers.exists() ? BNoLayers[b] : NoBedLayers - 1, NoBedLayers - 1);
    for (int layer = top; layer >= 0; --layer) BlayerValue[layer][b] = MixtureSolidFraction(layer, b);
}

// A column whose layers hold more sediment than the grid gives it loses the
// excess from the bottom layer upwards.
void RemoveExcess(int b, double excess) {
    for (int layer = 0; layer < NoBedLayers && excess >= 1e-10; ++layer) {
        double& t = Thickness(layer, b);
        if (t > excess) {
            t -= excess;
            return;
        }
        excess -= t;
        t = 0.0;
    }
}

void CompareWithBedFile(int i, int j, int b, double thick) {
    // A column under the fixed bed has no sediment, whatever its level says.
    const double sediment = std::max(thick, 0.0);
    const double sum = LayerSum(b);
    if (std::fabs(sediment - sum) / (sediment + sum + 0.01) <= kBedFileTolerance) return;
    if (F310Option == 0) {
        LogAppend("\nError for cell no. %d, i = %d, j = %d: The sediment thickness computed\n", b, i, j);
        LogAppend("from the difference between the grid bed level and the koordina file\n");
        LogAppend("is %lf meters. The sum of the thickness of the bed sediment layers is %lf meters\n", thick, sum);
        LogAppend("The reason for the error is lack of correspondence between the information\n");
        LogAppend("in the files: fracres, bedres, koomin and the unstruc/koordina.\n");
        FailWithLog(-8, "The problem can be solved by using F 310 1 or 2 in the control file\n\n");
    }
    if (F310Option != 1) return;
    if (sum < sediment) {
        Thickness(0, b) += sediment - sum;
    } else {
        RemoveExcess(b, sum - sediment);
    }
}

void CheckLayers(int i, int j, int b) {
    if ((NoBedLayers < 3 || BedFileRead()) && FracresReadFlag == 1 && Thickness(NoBedLayers - 1, b) > ActiveLayerLimit) {
        LogAppend("Error in reading fracres file. Top layer larger then coarsest\n");
        FailWithLog(-45, "grain size at i,j=%d %d\n", i, j);
    }
    if (Thickness(1, b) < 0.0) FailWithLog(-44, "Error, startup, negative bed layer at i,j=%d %d\n", i, j);
}

void BuildColumn(int i, int j, int b) {
    Bedmove[b] = 0.0;
    if (Bmorphology.exists()) Bmorphology[b] = 0.0;
    if (BNoLayers.exists()) BNoLayers[b] = NoBedLayers - 1;
    const double thick = CornerMean(i, j, [](int p, int q) { return Gridz[p][q][1] - GridLevels[3][p][q]; });
    if (!BedFileRead()) {
        BuildTwoLayers(b, thick);
        if (NoBedLayers >= 3) StackLayers(b);
    }
    if (FlagTSC == 3 && BlayerValue.exists()) SetSolidFractions(b);
    if ((BedChangeRoutine == 3 || FlagTSC == 3) && Bmorphwork.exists()) {
        Bmorphwork[b] = CornerMean(i, j, [](int p, int q) { return Gridz[p][q][1]; });
    }
    CheckLayers(i, j, b);
    if (BedFileRead()) CompareWithBedFile(i, j, b, thick);
}

// F 310 = 2: the fixed bed moves to the bottom of the layers read.
void FixedBedFromLayers() {
    const int ni = static_cast<int>(pointbed.extent1());
    const int nj = static_cast<int>(pointbed.extent2());
    auto column = [ni, nj](int i, int j) { return i >= 0 && j >= 0 && i < ni && j < nj ? pointbed[i][j] : 0; };
    for (int k = 1; k <= std::min(NoBlocks, kMaxBlocks); ++k) {
        const BlockRecord& r = BlockTable[k];
        if (r.depthAveraged != 0 || r.gridLevel != 0) continue;
        for (int i = r.iFirst - 1; i <= r.iLast; ++i) {
            for (int j = r.jFirst - 1; j <= r.jLast; ++j) {
                double sum = 0.0;
                int count = 0;
                for (int b : {column(i, j), column(i + 1, j), column(i, j + 1), column(i + 1, j + 1)}) {
                    if (b <= 0) continue;
                    sum += LayerSum(b);
                    ++count;
                }
                GridLevels[3][i][j] = Gridz[i][j][1] - sum / (count + 1e-10);
            }
        }
    }
}

double ActiveVolume() {
    double volume = 0.0;
    for (int c = FirstCell; c <= LastCell; ++c) volume += Cvol[c];
    return volume;
}

void DepositBoxThickness() {
    double sum = 0.0;
    for (int i = DepositBoxIFirst; i <= DepositBoxILast; ++i) {
        for (int j = DepositBoxJFirst; j <= DepositBoxJLast; ++j) {
            const int cell = static_cast<int>(Gridz[i][j][0]);
            if (cell <= 0) continue;
            const double thick = CornerMean(i, j, [](int p, int q) { return Gridz[p][q][1] - GridLevels[3][p][q]; });
            sum += thick * Barea[Cbedcell[cell]];
        }
    }
    LogAppend("G 29 data set sediment thickness: %lf m3\n", sum);
}

void WriteRunHeader() {
    LogAppend("\n ***** In morphology_tsc **********\n\n");
    LogAppend("FlagTSC = %d, Hydrostatic = %d, NoBlocks = %d, iterGlobalMax = %d\n", FlagTSC, Hydrostatic, NoBlocks,
              iterGlobalMax);
    LogAppend("Volume of geometry: %20.14e qubic meters\n", ActiveVolume());
    LogAppend("Bed concentration flags: %d %d %d %d %d %d\n", F30Values[0], F30Values[1], F30Values[2], F30Values[3],
              F30Values[4], F30Values[5]);
    if (DebugOption == 'D' && DepositBoxIFirst > 0) DepositBoxThickness();
}

// F 30 = 2 starts without an active layer: layer 1, or the top layer of a
// stacked bed, which holds it there.
void ClearActiveLayer() {
    const int active = NoBedLayers >= 3 && !BedFileRead() ? NoBedLayers - 1 : 1;
    for (int b = FirstBedCell; b <= LastBedCell; ++b) {
        for (int s = 0; s <= NoSizes; ++s) BSedDistrib[active][s][b] = 0.0;
    }
}

}  // namespace

double MixtureSolidFraction(int layer, int b) {
    if (NoSizes < 1) return 0.64;
    double mean = 0.0;
    for (int s = 1; s <= NoSizes; ++s) mean += BSedDistrib[layer][s][b] * std::log2(Diameter[s]);
    double variance = 0.0;
    for (int s = 1; s <= NoSizes; ++s) {
        const double d = std::log2(Diameter[s]) - mean;
        variance += BSedDistrib[layer][s][b] * d * d;
    }
    return std::clamp(1.0 - (0.36 - 0.06 * variance), 0.05, 0.99);
}

void BuildInitialBedState() {
    ForEachBedColumn(BuildColumn);
    if (F310Option == 2 && BedFileRead()) FixedBedFromLayers();
    ComputeBedMassStart();
    WriteRunHeader();
    if (F30Values[0] == 2) ClearActiveLayer();
}
