// Column-and-cell generation along stepped slopes (F 64 = 9): bed-anchored
// layers, except that where the layer count steps by two or more down a
// sloping bed the deeper column's layers run on below the bed of the nodes
// on the step line instead of pinching out onto it.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "grid/alternative_columns.h"
#include "grid/grid_data.h"
#include "grid/grid_generation.h"
#include "grid/grid_services.h"
#include "run/globals.h"

namespace {

using altgrid::Bed;
using altgrid::Depth;
using altgrid::Surface;

int N(int i, int j) { return GridWetColumn[i][j]; }

// Steps across grid line i (GenColumnWork4) and grid line j (GenColumnWork5).
void FindSteps(const BlockRecord& r) {
    auto isStep = [](int diff, double slope) {
        return (diff < -F232Int1 && slope > F232Value3) || (diff > F232Int1 && slope < F232Value3);
    };
    for (int j = r.jFirst; j <= r.jLast; ++j) {
        for (int i = r.iFirst; i <= r.iLast - 1; ++i) {
            const int diff = N(i + 1, j) - N(i, j);
            const double dx = Gridx[i + 1][j] + Gridx[i + 1][j - 1] - Gridx[i - 1][j] - Gridx[i - 1][j - 1];
            const double dy = Gridy[i + 1][j] + Gridy[i + 1][j - 1] - Gridy[i - 1][j] - Gridy[i - 1][j - 1];
            const double s = 0.25 * (Bed(i + 1, j) + Bed(i + 1, j - 1) - Bed(i - 1, j) - Bed(i - 1, j - 1)) /
                             (0.5 * std::sqrt(dx * dx + dy * dy) + 1e-20);
            if (isStep(diff, s)) GenColumnWork4[i][j] = diff;
        }
    }
    for (int j = r.jFirst; j <= r.jLast - 1; ++j) {
        for (int i = r.iFirst; i <= r.iLast; ++i) {
            const int diff = N(i, j + 1) - N(i, j);
            const double dx = Gridx[i][j + 1] + Gridx[i - 1][j + 1] - Gridx[i][j - 1] - Gridx[i - 1][j - 1];
            const double dy = Gridy[i][j + 1] + Gridy[i - 1][j + 1] - Gridy[i][j - 1] - Gridy[i - 1][j - 1];
            const double s = 0.25 * (Bed(i, j + 1) + Bed(i - 1, j + 1) - Bed(i, j - 1) - Bed(i - 1, j - 1)) /
                             (0.5 * std::sqrt(dx * dx + dy * dy) + 1e-20);
            if (isStep(diff, s)) GenColumnWork5[i][j] = diff;
        }
    }
}

// The four step sides that meet at node (i, j).
void SidesAt(int i, int j, int side[4]) {
    side[0] = GenColumnWork4[i][j];
    side[1] = GenColumnWork4[i][j + 1];
    side[2] = GenColumnWork5[i][j];
    side[3] = GenColumnWork5[i + 1][j];
}

template <class F>
void ForEachNode(const BlockRecord& r, F f) {
    for (int j = r.jFirst - 1; j <= r.jLast; ++j) {
        for (int i = r.iFirst - 1; i <= r.iLast; ++i) f(i, j);
    }
}

void SmallestSteps(const BlockRecord& r) {
    ForEachNode(r, [](int i, int j) {
        int side[4];
        SidesAt(i, j, side);
        int g = 0;
        for (int s : side) {
            if (s != 0 && (g == 0 || std::abs(s) < g)) g = std::abs(s);
        }
        GenColumnWork6[i][j] = g;
    });
}

void Classes(const BlockRecord& r) {
    ForEachNode(r, [&r](int i, int j) {
        int side[4];
        SidesAt(i, j, side);
        int q = 0;
        for (int s : side) q += s != 0 ? 1 : 0;
        // A step line that leaves the block does not end there.
        const bool outer = i == r.iFirst - 1 || i == r.iLast || j == r.jFirst - 1 || j == r.jLast;
        if (outer && q == 1) q = 2;
        GenColumnWork1[i][j] = q;
    });
}

// F 232 second value 1: short step lines vanish, others are carried on.
void CleanStepLines(const BlockRecord& r) {
    for (int sweep = 0; sweep < 10; ++sweep) {
        for (int j = r.jFirst; j <= r.jLast - 1; ++j) {
            for (int i = r.iFirst; i <= r.iLast - 1; ++i) {
                if (GenColumnWork1[i][j] != 1) continue;
                if (GenColumnWork1[i - 1][j] == 1) {
                    GenColumnWork1[i][j] = GenColumnWork1[i - 1][j] = 0;
                    GenColumnWork5[i][j] = 0;
                    continue;
                }
                if (GenColumnWork1[i][j - 1] == 1) {
                    GenColumnWork1[i][j] = GenColumnWork1[i][j - 1] = 0;
                    GenColumnWork4[i][j] = 0;
                    continue;
                }
                if (GenColumnWork4[i][j] != 0 && std::abs(N(i + 1, j + 1) - N(i, j + 1)) > 1) {
                    GenColumnWork4[i][j + 1] = N(i + 1, j + 1) - N(i, j + 1);
                }
                if (GenColumnWork4[i][j + 1] != 0 && std::abs(N(i + 1, j) - N(i, j)) > 1) {
                    GenColumnWork4[i][j] = N(i + 1, j) - N(i, j);
                }
                if (GenColumnWork5[i][j] != 0 && std::abs(N(i + 1, j + 1) - N(i + 1, j)) > 1) {
                    GenColumnWork5[i + 1][j] = N(i + 1, j + 1) - N(i + 1, j);
                }
                if (GenColumnWork5[i + 1][j] != 0 && std::abs(N(i, j + 1) - N(i, j)) > 1) {
                    GenColumnWork5[i][j] = N(i, j + 1) - N(i, j);
                }
            }
        }
        Classes(r);
    }
    SmallestSteps(r);
}

void CloseBetweenLines(const BlockRecord& r) {
    for (int j = r.jFirst; j <= r.jLast; ++j) {
        for (int i = r.iFirst; i <= r.iLast - 1; ++i) {
            if (GenColumnWork4[i][j] != 0 || N(i + 1, j) == N(i, j)) continue;
            const bool upper = GenColumnWork5[i][j] > 1 && GenColumnWork5[i + 1][j] > 1;
            const bool lower = GenColumnWork5[i][j - 1] < -1 && GenColumnWork5[i + 1][j - 1] < -1;
            if (upper || lower) GenColumnWork4[i][j] = N(i + 1, j) - N(i, j);
        }
    }
    for (int j = r.jFirst; j <= r.jLast - 1; ++j) {
        for (int i = r.iFirst; i <= r.iLast; ++i) {
            if (GenColumnWork5[i][j] != 0 || N(i, j + 1) == N(i, j)) continue;
            const bool upper = GenColumnWork4[i][j] > 1 && GenColumnWork4[i][j + 1] > 1;
            const bool lower = GenColumnWork4[i - 1][j] < -1 && GenColumnWork4[i - 1][j + 1] < -1;
            if (upper || lower) GenColumnWork5[i][j] = N(i, j + 1) - N(i, j);
        }
    }
}

// Whether corner c (0..3) of column (i, j) lies where the column is the
// deeper one across exactly one step side at that corner.
bool DeepSide(int i, int j, int c) {
    const int W = GenColumnWork4[i - 1][j], E = GenColumnWork4[i][j];
    const int S = GenColumnWork5[i][j - 1], Nn = GenColumnWork5[i][j];
    switch (c) {
        case 0: return (W == 0 && S > 1) || (W >= 2 && S == 0);
        case 1: return (S == 0 && E < -1) || (S >= 2 && E == 0);
        case 2: return (Nn < -1 && E == 0) || (Nn == 0 && E < -1);
        default: return (Nn < -1 && W == 0) || (Nn == 0 && W > 1);
    }
}

double HeightAt(int a, int b, double f) { return Surface(a, b) - f * std::max(0.0, Depth(a, b)); }

double Floor0(double f) { return f < 1e-10 ? 0.0 : f; }

void PlaceCorners(int i, int j, int k, int layer) {
    const int nz = NoGridLinesZ;
    for (int c = 0; c < 4; ++c) {
        const int a = i + kColumnCornerDi[c], b = j + kColumnCornerDj[c];
        const int m = GridWetPoint[a][b];
        int& q = GenColumnWork1[a][b];
        const int g = GenColumnWork6[a][b];
        double fb = 0.0, ft = 0.0;
        if (m <= 1) {
            // A node with one level has no spacing: the bed cell starts on
            // the bed, everything else lies on the water level.
            fb = layer == 1 ? 1.0 : 0.0;
            ft = 0.0;
        } else {
            const double h = 1.0 / (m - 1 + 1e-20);
            const bool extend = q == 2 && g > 1 && DeepSide(i, j, c);
            // Without an extension a corner still stays within one step of
            // the node's smallest step (at least one layer) below its bed.
            const double reach = (extend ? g : std::max(g, 1)) * h;
            fb = (nz - k + 1) * h;
            if (fb > 1.0) {
                if (q < 1) {
                    q = -1;
                    fb = layer == 1 ? 1.0 : 1.0 - h;
                } else if (q == 1) {
                    fb = 1.0;
                } else {
                    fb = std::min(fb, 1.0 + (layer == 1 ? reach : reach - (extend ? h : 0.0)));
                }
            }
            fb = Floor0(fb);
            ft = (nz - k) * h;
            if (q < 1) {
                ft = Floor0(std::min(ft, 1.0 - h));
            } else if (q == 1) {
                ft = std::min(ft, 1.0);
            } else {
                ft = Floor0(std::min(ft, 1.0 + (extend ? reach - h : reach)));
            }
        }
        CellWork.z[c + 1] = HeightAt(a, b, fb);
        CellWork.z[c + 5] = HeightAt(a, b, ft);
    }
}

int StepAt(int i, int j, int side) {
    switch (side) {
        case 1: return GenColumnWork5[i][j - 1];
        case 2: return GenColumnWork4[i][j];
        case 3: return GenColumnWork5[i][j];
        default: return GenColumnWork4[i - 1][j];
    }
}

int Neighbour(const BlockRecord& r, int i, int j, int n, int k, int layer, int side) {
    constexpr int di[5] = {0, 0, 1, 0, -1}, dj[5] = {0, -1, 0, 1, 0};
    const int i2 = i + di[side], j2 = j + dj[side];
    if (!altgrid::InsideBlock(r, i2, j2)) return 0;
    const int n2 = N(i2, j2);
    if (n2 <= 0) return 0;
    const int d = n - n2;
    const bool step = StepAt(i, j, side) != 0;
    if (d == 0) return CellIndex3[i2][j2][k];
    if (layer == 1 && !step) return CellIndex3[i2][j2][NoGridLinesZ] + 1 - n2;
    if (d > 0 && layer <= d + 1 && !step) return 0;
    return CellIndex3[i2][j2][k];
}

bool BuildBlock(const BlockRecord& r) {
    const int nz = NoGridLinesZ;
    bool built = true;
    for (int j = r.jFirst; j <= r.jLast && built; ++j) {
        for (int i = r.iFirst; i <= r.iLast && built; ++i) {
            const int n = N(i, j);
            if (n <= 0) continue;
            altgrid::PlanCorners(i, j);
            for (int k = nz + 1 - n; k <= nz && built; ++k) {
                const int layer = k - (nz - n);
                PlaceCorners(i, j, k, layer);
                int* nb = CellWork.neighbour;
                for (int s = 1; s <= 4; ++s) nb[s] = Neighbour(r, i, j, n, k, layer, s);
                nb[5] = k > 1 ? CellIndex3[i][j][k - 1] : 0;
                nb[6] = k < nz ? CellIndex3[i][j][k + 1] : 0;
                altgrid::KnownFaces(r, i, j);
                const int cell = CellIndex3[i][j][k];
                built = altgrid::BuildGuarded(cell, [&] { AddHexCellVariant(cell, i, j, k); });
            }
        }
    }
    return built;
}

void CountLevels(const BlockRecord& r) {
    const int nz = NoGridLinesZ;
    const double pass = GenerationLargestDepth;
    ForEachNode(r, [&](int i, int j) {
        for (int k = 1; k <= nz; ++k) CellIndex3[i][j][k] = 0;
        const double d = Depth(i, j);
        GridWetPoint[i][j] = d < DryDepth ? 1 : d < SingleCellDepth ? 2 : altgrid::PowerLevels(d, pass, 0.6, nz - 2, 2);
    });
    for (int j = r.jFirst; j <= r.jLast; ++j) {
        for (int i = r.iFirst; i <= r.iLast; ++i) GridWetColumn[i][j] = altgrid::LargestCorner(i, j) - 1;
    }
}

}  // namespace

bool GenerateSteppedSlopeColumns() {
    for (int b = 1; b <= NoBlocks; ++b) {
        BlockRecord& r = BlockTable[b];
        if (r.depthAveraged == 1 || r.layerBlock != 0) continue;
        altgrid::OpenRanges(r);
        if (r.field8 != 1) {
            // A fixed-layer block has no levels to step: it gets no cells.
            for (int j = r.jFirst; j <= r.jLast; ++j) {
                for (int i = r.iFirst; i <= r.iLast; ++i) {
                    GridWetColumn[i][j] = 0;
                    Gridz[i][j][0] = 0.0;
                }
            }
            altgrid::CloseRanges(r);
            continue;
        }
        CountLevels(r);
        altgrid::NumberColumns(r, true);
        FindSteps(r);
        SmallestSteps(r);
        Classes(r);
        if (F232Int2 == 1) CleanStepLines(r);
        CloseBetweenLines(r);
        for (int j = r.jFirst; j <= r.jLast - 1; ++j) {
            for (int i = r.iFirst; i <= r.iLast - 1; ++i) {
                // A line end loses a level, but a node keeps at least one.
                if (GenColumnWork1[i][j] == 1) GridWetPoint[i][j] = std::max(GridWetPoint[i][j] - 1, 1);
            }
        }
        VariantBlock = &r;
        const bool built = BuildBlock(r);
        VariantBlock = nullptr;
        if (!built) {
            GenerationFailedBlock = b;
            return false;
        }
        altgrid::CloseRanges(r);
    }
    return true;
}
