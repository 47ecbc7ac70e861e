// Groundwater levels in the soil block under the surface grid: one plan
// diffusion equation per soil column (its base cell), with the conductivity
// of F 262. Under a wet column the level is held at the water level, under a
// dry one it may not stand above the ground at the start of a call.
//
// The level iterate and its start-of-step copy live in arrays of their own:
// inside the water-flow iterations `Cf` designates the driver's field, and
// the driver's values must survive a groundwater call.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "drivers/water_pass.h"
#include "flow/flow_data.h"
#include "grid/grid_data.h"
#include "grid/grid_services.h"
#include "output/output_services.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/text_input.h"
#include "sediment/sediment_data.h"
#include "surface/groundwater.h"
#include "surface/surface_data.h"
#include "surface/surface_services.h"

namespace {

constexpr double kFixed = 1e30;
// A coefficient above this marks a held level.
constexpr double kFixedTest = 1e10;
constexpr int kIterationsInFlow = 20;
constexpr int kSurfaceUpdateInterval = 100;
constexpr int kPauseGroundwater = 3;
constexpr double kDefaultLevel = 1.1;
// Below this the storage term A/dt would hold every free level where it is.
constexpr double kLeastTimeStep = 1e-8;
constexpr int kNoBlockStatus = -9;
constexpr int kLostBlockStatus = -8;

enum class Wlinit { NotTried, Read, Missing };

struct State {
    bool started = false;
    Wlinit wlinit = Wlinit::NotTried;
};
State state;

// One soil column with a cell: its equation cell and neighbours, its water
// column, the water column of the surface column above it and its plan area.
struct SoilColumn {
    int i, j;
    int c, n, m;
    int e, w, no, so;
    double area;
    double storage = 0.0;  // coefficient of the start-of-step level
};

struct Layer {
    int block = 0;
    int off = 0;
    std::vector<SoilColumn> columns;
};
Layer layer;

// The iterate and the start-of-step level, per cell.
Array1<double> Level{ArrayBase::kGlobal};
Array1<double> LevelOld{ArrayBase::kGlobal};

int Link(const Array1<int>& links, int c) { return static_cast<size_t>(c) < links.size() ? links[c] : 0; }

int Column(int i, int j) {
    if (i < 0 || j < 0 || static_cast<size_t>(i) >= pointbed.extent1() || static_cast<size_t>(j) >= pointbed.extent2()) {
        return 0;
    }
    return pointbed[i][j];
}

int BottomCell(int n) { return n > 0 && static_cast<size_t>(n) < Bcellt.size() ? Bcellt[n] : 0; }

// The top face of the column above cell c; the step bound keeps a damaged
// chain from looping.
double TopLevel(int c) {
    for (int steps = 0; steps <= NoCells && Link(Ccellt, c) > 0; ++steps) c = Ccellt[c];
    return Czcenter[c] + Ckdist[c];
}

// The K A / (2 half-length) of a side face; a side without a face or a
// degenerate cell conducts nothing.
double Conductance(int surface, double halfLength) {
    if (surface <= 0 || !(halfLength > 0.0)) return 0.0;
    return Farea[surface] * GroundwaterConductivity * 0.5 / halfLength;
}

void FailWithoutBlock(int status) {
    LogAppend("Error in groundwater computation: groundwater grid not generated\n");
    LogAppend("Data sets F ??? are missing in your control file\n\n");
    EndRun(status);
}

void EnsureLevelArrays() {
    const size_t n = Cap.size();
    if (Level.exists() && Level.size() == n && LevelOld.exists()) return;
    Level.release();
    LevelOld.release();
    if (!Level.allocate(n) || !LevelOld.allocate(n)) {
        FailWithLog(-3, "Error in groundwater computation: cannot allocate the level arrays\n");
    }
}

void ListColumns(int b) {
    const BlockRecord& r = BlockTable[b];
    layer.block = b;
    layer.off = r.jLast - BlockTable[b - 1].jLast;
    layer.columns.clear();
    for (int j = r.jFirst; j <= r.jLast; ++j) {
        for (int i = r.iFirst; i <= r.iLast; ++i) {
            const int n = Column(i, j), c = BottomCell(n);
            if (c <= 0 || static_cast<size_t>(c) >= Cap.size() || static_cast<size_t>(n) >= Bgroundwater.size()) continue;
            const int m = Column(i, j - layer.off);
            layer.columns.push_back({i, j, c, n, static_cast<size_t>(m) < Bgroundwater.size() ? m : 0, Link(Ccelle, c),
                                     Link(Ccellw, c), Link(Ccelln, c), Link(Ccells, c), PlanArea[i][j]});
        }
    }
}

// The storage A/dt of a time step. A steady run (no time step) has none:
// A/1e-20 would hold every free level where it started, so the levels solve
// the steady seepage instead; a column without conductances keeps its level.
double Storage(const SoilColumn& s, double conductances) {
    if (TimeStep >= kLeastTimeStep) return s.area / TimeStep;
    return conductances > 0.0 ? 0.0 : 1.0;
}

void BuildCoefficients(const BlockRecord& r) {
    for (SoilColumn& s : layer.columns) {
        const int c = s.c;
        Cas[c] = s.j > r.jFirst ? Conductance(Csurfs[c], Cjdist[c]) : 0.0;
        Can[c] = s.j < r.jLast ? Conductance(Csurfn[c], Cjdist[c]) : 0.0;
        Caw[c] = s.i > r.iFirst ? Conductance(Csurfw[c], Cidist[c]) : 0.0;
        Cae[c] = s.i < r.iLast ? Conductance(Csurfe[c], Cidist[c]) : 0.0;
        const double conductances = Cae[c] + Caw[c] + Can[c] + Cas[c];
        s.storage = Storage(s, conductances);
        Cap[c] = conductances + s.storage;
        Csource[c] = LevelOld[c] * s.storage;
    }
}

// A wet surface column at the edge of its grid takes the level of the
// neighbour inside.
int InnerCell(int s) {
    if (Link(Ccelle, s) == 0 && Link(Ccellw, s) > 0) s = Ccellw[s];
    if (Link(Ccellw, s) == 0 && Link(Ccelle, s) > 0) s = Ccelle[s];
    if (Link(Ccells, s) == 0 && Link(Ccelln, s) > 0) s = Ccelln[s];
    if (Link(Ccelln, s) == 0 && Link(Ccells, s) > 0) s = Ccells[s];
    return s;
}

void HoldOrCap() {
    for (const SoilColumn& s : layer.columns) {
        const int c = s.c, surface = BottomCell(s.m);
        if (surface < 1) {
            const double ground = TopLevel(c);
            Bgroundwater[s.n] = std::min(Bgroundwater[s.n], ground);
            if (s.m > 0) Bgroundwater[s.m] = std::min(Bgroundwater[s.m], ground);
            Level[c] = LevelOld[c] = Bgroundwater[s.n];
            Csource[c] = Bgroundwater[s.n] * s.storage;
        } else {
            const double water = TopLevel(InnerCell(surface));
            Cap[c] = kFixed;
            Csource[c] = water * kFixed;
            Level[c] = water;
        }
    }
}

void StartOfStep() {
    for (const SoilColumn& s : layer.columns) {
        if (Cap[s.c] >= kFixedTest) continue;
        LevelOld[s.c] = Bgroundwater[s.n];
        Csource[s.c] = Bgroundwater[s.n] * s.storage;
    }
}

inline void Relax(double* f, const SoilColumn& s) {
    const int c = s.c;
    f[c] = (f[s.e] * Cae[c] + f[s.w] * Caw[c] + f[s.no] * Can[c] + f[s.so] * Cas[c] + Csource[c]) / Cap[c];
}

// One forward and one backward sweep. Every pass keeps the storage of the
// start-of-step level, so the number of passes changes how far the step's
// equation is solved, not the step itself.
void SweepPass() {
    double* f = Level.data();
    // A missing neighbour is cell 0, whose level counts as 0.
    f[0] = 0.0;
    for (const SoilColumn& s : layer.columns) Relax(f, s);
    for (auto it = layer.columns.rbegin(); it != layer.columns.rend(); ++it) Relax(f, *it);
}

void CopyToColumns() {
    for (const SoilColumn& s : layer.columns) {
        Bgroundwater[s.n] = Level[s.c];
        if (s.m > 0) Bgroundwater[s.m] = Level[s.c];
    }
}

void ReadWlinit() {
    std::FILE* fp = OpenInputFile("wlinit");
    if (!fp) {
        state.wlinit = Wlinit::Missing;
        SetStatusText("have not used 'wlinit' file ");
        const int last = std::min<long long>(NoBedCells, static_cast<long long>(Bgroundwater.size()) - 1);
        for (int n = 1; n <= last; ++n) Bgroundwater[n] = kDefaultLevel;
        return;
    }
    state.wlinit = Wlinit::Read;
    const long long most = 5LL * NoCells;
    int used = 0, skipped = 0;
    for (long long line = 0; line < most; ++line) {
        int i = 0, j = 0;
        double z = 0.0;
        if (std::fscanf(fp, "%d %d %lf", &i, &j, &z) != 3) break;
        if (i <= 0 || i >= NoGridLinesX || j <= 0 || j >= NoGridLinesY) continue;
        const int n = Column(i, j);
        if (n <= 0 || static_cast<size_t>(n) >= Bgroundwater.size()) continue;
        if (!std::isfinite(z)) {
            ++skipped;
            continue;
        }
        Bgroundwater[n] = z;
        ++used;
    }
    std::fclose(fp);
    if (skipped > 0) LogAppend("Have skipped %d wlinit lines whose level is not a number\n", skipped);
    LogAppend("Have read %d water level points from wlinit file\n", used);
}

// Mean of slot k of Gridz at the four corner nodes of surface column (i, j).
double CornerMean(int i, int j, int k) {
    return 0.25 * (Gridz[i][j][k] + Gridz[i - 1][j][k] + Gridz[i][j - 1][k] + Gridz[i - 1][j - 1][k]);
}

void FirstCall() {
    if (state.wlinit == Wlinit::NotTried) ReadWlinit();
    const int b = FindGroundwaterBlock();
    if (b == 0) FailWithoutBlock(kNoBlockStatus);
    const BlockRecord& r = BlockTable[b];
    const int off = r.jLast - BlockTable[b - 1].jLast;
    const bool slopes = BlayerSlope.exists();
    for (int j = r.jFirst; j <= r.jLast; ++j) {
        for (int i = r.iFirst; i <= r.iLast; ++i) {
            const int n = Column(i, j);
            if (n <= 0 || static_cast<size_t>(n) >= Bgroundwater.size()) continue;
            const int js = j - off;
            if (js < 1) continue;
            if (state.wlinit == Wlinit::Missing) Bgroundwater[n] = CornerMean(i, js, NoGridLinesZ);
            if (slopes && static_cast<size_t>(n) < BlayerSlope.size()) BlayerSlope[n] = CornerMean(i, js, 1);
        }
    }
    ComputePlanAreas();
    state.started = true;
}

void RefuseWithoutTimeStep() {
    if (TimeStep >= kLeastTimeStep) return;
    FailWithLog(kNoBlockStatus,
                "Error in groundwater computation: the time step %g s is too small. Give the time step in F 33 "
                "(or F 17)\n",
                TimeStep);
}

void WriteResultsWhenDueHere(int it) {
    if (WaterFlowActiveFlag != 0 || ResultInterval == 0 || it % ResultInterval != 0) return;
    WritingFilesFlag = 1;
    WriteResults();
    WritingFilesFlag = 0;
}

// The surface update regenerates the grid, which appends the soil block
// again with its flag set; an update that left the grid as it was leaves the
// flag to be put back here.
void UpdateSurfaceAndSetUp() {
    const int b = layer.block;
    BlockTable[b].layerBlock = 0;
    UpdateFreeSurfaceByOption();
    if (b <= NoBlocks && BlockTable[b].layerBlock == 0) BlockTable[b].layerBlock = 1;
    SetupGroundwater2DCoefficients();
    PausePoint(kPauseGroundwater);
}

}  // namespace

int FindGroundwaterBlock() {
    for (int b = std::min(NoBlocks, kMaxBlocks); b >= 2; --b) {
        if (BlockTable[b].layerBlock == 1) return b;
    }
    return 0;
}

void SetupGroundwater2DCoefficients() {
    const int b = FindGroundwaterBlock();
    if (b == 0 || !Bgroundwater.exists()) FailWithoutBlock(kLostBlockStatus);
    EnsureLevelArrays();
    ListColumns(b);
    for (const SoilColumn& s : layer.columns) Level[s.c] = LevelOld[s.c] = Bgroundwater[s.n];
    BuildCoefficients(BlockTable[b]);
    HoldOrCap();
}

int ComputeGroundwater() {
    // Inside a sediment run the morphology clock is the sediment run's: the
    // levels follow the present surface without time steps of their own.
    const bool transient = GroundwaterOption == 1 && SedimentActiveFlag == 0;
    const int iterations = transient ? iterGlobalMax : kIterationsInFlow;
    if (transient) RefuseWithoutTimeStep();
    if (!Bgroundwater.exists()) FailWithoutBlock(kNoBlockStatus);
    if (!state.started) FirstCall();
    SetupGroundwater2DCoefficients();
    for (int it = 1; it <= iterations; ++it) {
        StartOfStep();
        for (int pass = 1; pass <= NoIterPerStep; ++pass) SweepPass();
        CopyToColumns();
        if (!transient) continue;
        stime += TimeStep;
        if (it % kSurfaceUpdateInterval == 0) UpdateSurfaceAndSetUp();
        WriteResultsWhenDueHere(it);
    }
    PausePoint(kPauseGroundwater);
    return 0;
}

void ResetGroundwaterState() {
    state = State{};
    layer.block = 0;
    layer.off = 0;
    layer.columns.clear();
    Level.release();
    LevelOld.release();
}
