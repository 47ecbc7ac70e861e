// The numbered sand slides of the layer block: which unstable columns form a
// slide, each slide's extent and target level, and its factor of safety.
#include <algorithm>
#include <cmath>

#include "grid/grid_data.h"
#include "run/globals.h"
#include "sediment/sand_slides.h"
#include "sediment/sediment_data.h"
#include "sediment/sediment_services.h"
#include "surface/surface_data.h"

namespace {

constexpr int kLabelPasses = 50;
constexpr int kMaxListedSlides = kMaxSlides - 1;
constexpr double kHeld = 1e20;

bool Holds(const Array1<int>& a, int n) { return a.exists() && static_cast<size_t>(n) < a.size(); }
bool Holds(const Array1<double>& a, int n) { return a.exists() && static_cast<size_t>(n) < a.size(); }

// The label of bed cell b, 0 outside the block's columns.
int Label(const SlideBlock& L, int b) { return b >= L.first && b <= L.last ? Bslide[b] : 0; }

// The bed cell of the side neighbour `side` of bed cell b's bottom cell.
int SideColumn(int b, const Array1<int>& side) {
    const int c = Bcellt[b];
    return c > 0 ? Cbedcell[side[c]] : 0;
}

int SmallestPositive(std::initializer_list<int> labels) {
    int m = 0;
    for (int v : labels) {
        if (v > 0 && (m == 0 || v < m)) m = v;
    }
    return m;
}

void Hold(int b) {
    const int c = Bcellt[b];
    if (c <= 0) return;
    Csource[c] = BlayerSlope[b] * kHeld;
    Cap[c] = kHeld;
}

// One grid line at a time (F 159 0): the labels run along the numbering and
// from the west. Labels spread only between candidate columns: a stable
// column never joins a slide by numbering.
void NumberAlongLines(const SlideBlock& L) {
    for (int b = L.first + 1; b < L.last; ++b) {
        if (Bslide[b] == 0 && Bslide[b - 1] > 0 && Bslide[b + 1] > 0) Bslide[b] = b;
    }
    for (int b = L.first; b <= L.last; ++b) {
        if (Bslide[b] > 0 && Label(L, b - 1) == 0 && Label(L, b + 1) == 0) Bslide[b] = 0;
    }
    for (int pass = 0; pass < kLabelPasses; ++pass) {
        for (int b = L.first + 1; b <= L.last; ++b) {
            if (Bslide[b] <= 0) continue;
            Bslide[b] = SmallestPositive({Bslide[b], Bslide[b - 1], Label(L, SideColumn(b, Ccellw))});
        }
    }
}

// Both plan directions (F 159 not 0).
void NumberInPlan(const SlideBlock& L) {
    for (int pass = 0; pass < kLabelPasses; ++pass) {
        for (int b = L.first; b <= L.last; ++b) {
            if (Bslide[b] <= 0) continue;
            Bslide[b] = SmallestPositive({Bslide[b], Label(L, b - 1), Label(L, b + 1),
                                          Label(L, SideColumn(b, Ccellw)), Label(L, SideColumn(b, Ccelle))});
        }
    }
    for (int b = L.first; b <= L.last; ++b) {
        if (Bslide[b] > 0 && Label(L, b - 1) == 0 && Label(L, b + 1) == 0 && Label(L, SideColumn(b, Ccellw)) == 0 &&
            Label(L, SideColumn(b, Ccelle)) == 0) {
            Bslide[b] = 0;
        }
    }
}

// A slide reaches over the j ends of its grid line: the lines' end columns
// take the label of their inner neighbour.
void WidenAcrossLines(const SlideBlock& L, const BlockRecord& r) {
    for (int b = L.first + 1; b <= L.last; ++b) {
        const int label = Bslide[b];
        if (label <= 0) continue;
        const bool nextFree = b + 1 <= L.last && Bslide[b + 1] == 0;
        const bool prevFree = Bslide[b - 1] == 0;
        if (Bkooj[b] == r.jFirst - 1 && nextFree) {
            Bslide[b + 1] = label;
        } else if (Bkooj[b] == r.jLast && prevFree) {
            Bslide[b - 1] = label;
        } else if (prevFree && nextFree) {
            Bslide[b - 1] = label;
            Bslide[b + 1] = label;
        }
    }
}

void ListSlides(const SlideBlock& L) {
    std::fill(ActiveSlides, ActiveSlides + kMaxSlides, 0);
    int n = 0;
    for (int b = L.first; b <= L.last && n < kMaxListedSlides; ++b) {
        const int label = Bslide[b];
        if (label <= 0 || std::find(ActiveSlides, ActiveSlides + n, label) != ActiveSlides + n) continue;
        ActiveSlides[n++] = label;
    }
}

// The depth of the target level below the slide's mean level, per unit of
// its length, by F 325; F 325 = 4 computes it per slide (negative here).
double SlopeFactor() {
    const double coh = SoilCohesion;
    switch (SlideVariant) {
        case 2: return 0.17;
        case 3: {
            if (!(coh > 1.0)) return 0.01;
            const double k = 0.3 * std::log10(coh);
            return k > 0.01 ? std::min(k, 0.5) : 0.01;
        }
        case 4: return -1.0;
        default: return 0.2;
    }
}

void MeasureSlide(const SlideBlock& L, int s, double factor) {
    const int label = ActiveSlides[s];
    int count = 0, high = 0, low = 0;
    double zmax = 0.0, zmin = 0.0;
    for (int b = L.first + 1; b <= L.last; ++b) {
        if (Bslide[b] != label || Bcellt[b] <= 0) continue;
        ++count;
        const double z = GroundLevel(b);
        if (high == 0 || z > zmax) {
            zmax = z;
            high = b;
        }
        if (low == 0 || z < zmin) {
            zmin = z;
            low = b;
        }
    }
    SlideCellCount[s] = count;
    SlideKHeight[s] = SlideKLength[s] = SlideKLevel[s] = 0.0;
    SlideMidColumn[s] = 0;
    if (high == 0 || low == 0 || high == low) return;
    const double length = PlanDistance(Bcellt[high], Bcellt[low]);
    double k = factor;
    if (k < 0.0) {
        const double coh = 10.0 * SoilCohesion / 17903.25;
        const double d = length * SoilFrictionCoef + coh;
        k = d != 0.0 ? 0.5 * std::pow(coh / d, 0.56) : 0.0;
    }
    SlideKHeight[s] = zmax - zmin;
    SlideKLength[s] = length;
    SlideKLevel[s] = 0.5 * (zmin + zmax) - length * k;
    const int i = (Bkooi[low] + Bkooi[high]) / 2, j = (Bkooj[low] + Bkooj[high]) / 2;
    const int cell = static_cast<int>(Gridz[i][j][0]);
    SlideMidColumn[s] = cell > 0 && cell <= NoCells ? Cbedcell[cell] : 0;
}

double GroundwaterAt(int b) { return GroundwaterOption > 0 && Holds(Bgroundwater, b) ? Bgroundwater[b] : 0.0; }

}  // namespace

int LayerBlockNumber(bool lastOne) {
    const int n = std::min(NoBlocks, kMaxBlocks);
    for (int k = lastOne ? n : 1; lastOne ? k >= 1 : k <= n; k += lastOne ? -1 : 1) {
        if (BlockTable[k].layerBlock == 1) return k;
    }
    return 0;
}

SlideBlock FindSlideBlock(bool lastOne) {
    SlideBlock L;
    L.block = LayerBlockNumber(lastOne);
    if (L.block == 0) return L;
    const BlockRecord& r = BlockTable[L.block];
    L.first = std::max(r.firstColumn, 1);
    L.last = std::min(r.lastColumn, NoBedCells);
    const int top = L.last + 1;
    if (!Holds(Bslide, top) || !Holds(BlayerSlope, top) || !Holds(BslideWork, top) || !Holds(BslideChange, top) ||
        !Holds(BslideLevel, top) || !Holds(Bcellt, top)) {
        L.block = 0;
    }
    return L;
}

double PlanDistance(int a, int b) {
    const double dx = Cxcenter[a] - Cxcenter[b], dy = Cycenter[a] - Cycenter[b];
    return std::sqrt(dx * dx + dy * dy);
}

int TopCellOf(int c) {
    for (int steps = 0; c > 0 && Ccellt[c] > 0 && steps <= NoCells; ++steps) c = Ccellt[c];
    return c;
}

double GroundLevel(int b) {
    const int t = TopCellOf(Bcellt[b]);
    return Czcenter[t] + Ckdist[t];
}

void ComputeSlideCoefficients() {
    const SlideBlock L = FindSlideBlock(true);
    if (L.block == 0) return;
    const BlockRecord& r = BlockTable[L.block];
    for (int b = L.first; b <= L.last; ++b) {
        const int c = Bcellt[b];
        const bool free = c > 0 && Cap[c] < 1e10;
        Bslide[b] = free || Bslide[b] > 0 ? b : 0;
    }
    if (F159Int1 == 0) {
        NumberAlongLines(L);
    } else {
        NumberInPlan(L);
    }
    if (F159Int1 > 0) WidenAcrossLines(L, r);
    for (int b = L.first; b <= L.last; ++b) {
        if (Bslide[b] == 0) Hold(b);
    }
    ListSlides(L);
    const double factor = SlopeFactor();
    for (int s = 0; s < kMaxSlides && ActiveSlides[s] > 0; ++s) MeasureSlide(L, s, factor);
}

double ComputeSlideGeometry(int s) {
    const SlideBlock L = FindSlideBlock(false);
    if (s < 0 || s >= kMaxSlides) return 0.0;
    SlideAverage[s] = 0.0;
    if (L.block == 0 || ActiveSlides[s] <= 0) return 0.0;
    const BlockRecord& r = BlockTable[L.block];
    if (r.iFirst > r.iLast) return 0.0;
    const int label = ActiveSlides[s];
    const bool weakened = ActiveSlides[0] > 0;
    double driving = 0.0, friction = 0.0, cohesion = 0.0, seepage = 0.0;
    for (int i = r.iFirst; i <= r.iLast; ++i) {
        for (int j = r.jFirst; j <= r.jLast; ++j) {
            const int b = pointbed[i][j];
            if (b < L.first || b > L.last || Bslide[b] != label) continue;
            const int c = Bcellt[b];
            if (c <= 0) continue;
            const int t = TopCellOf(c);
            const int top = Csurft[t];
            const double zs = BslideLevel[b];
            const double A = Fareaz[Csurft[c]];
            const double horizontal = std::sqrt(Fvecx[top] * Fvecx[top] + Fvecy[top] * Fvecy[top]) + 1e-20;
            const double ex = Fvecx[top] / horizontal, ey = Fvecy[top] / horizontal;
            const double hw = std::max((GroundwaterOption > 0 ? GroundwaterAt(b) : zs) - zs, 0.0);
            const double hd = std::max(Czcenter[t] + Ckdist[t] - zs - hw, 0.0);
            const double W = 9810.0 * (1.36 * hd + 0.825 * hw);
            const double nz = Fvecz[top] != 0.0 ? Fvecz[top] : 1e-20;
            driving += (Fvecx[top] * ex + Fvecy[top] * ey) / nz * A * W;
            friction += A * SoilFrictionCoef * W;
            const bool slid = BslideWork[b] + 0.01 < BlayerSlope[b] && weakened;
            cohesion += (slid ? SoilCohesion * F334Value2 : SoilCohesion) * Farea[Csurfb[c]];
            if (GroundwaterOption > 0) {
                const bool insideI = i > r.iFirst && i < r.iLast, insideJ = j > r.jFirst && j < r.jLast;
                const double gx =
                    insideI ? (GroundwaterAt(pointbed[i + 1][j]) - GroundwaterAt(pointbed[i - 1][j])) * 0.25 / Cidist[c]
                            : 0.0;
                const double gy =
                    insideJ ? (GroundwaterAt(pointbed[i][j + 1]) - GroundwaterAt(pointbed[i][j - 1])) * 0.25 / Cjdist[c]
                            : 0.0;
                seepage -= Fareaz[top] * 9810.0 * hw * (ex * gx + ey * gy);
            }
        }
    }
    const double fs = (friction + cohesion) / (driving + seepage + 1e-20);
    SlideAverage[s] = fs;
    return fs;
}
