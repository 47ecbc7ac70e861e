// Sediment entering through the inflow discharge groups: the source terms of
// the concentration equations, from the groups' own concentrations (M data
// sets or `timei` series) or from the `inspace` polynomials.
#include <algorithm>
#include <cmath>
#include <optional>

#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/run_services.h"
#include "run/time_series.h"

namespace {

constexpr double kDensity = 1000.0;
constexpr double kLeastWeight = 1e-7;
constexpr double kLowestConcentration = -1e-7;
constexpr double kHighestConcentration = 1.0;

// The equation system of one size: Cap and Csource for the single-size
// system, row s of CapMulti and CsourceMulti otherwise.
struct SizeSystem {
    int size;
    bool single;

    void add(int cell, double ap, double source) const {
        if (single) {
            Cap[cell] += ap;
            Csource[cell] += source;
        } else {
            CapMulti[size][cell] += ap;
            CsourceMulti[size][cell] += source;
        }
    }
};

bool IsBedCell(int cell) { return Ccellb[cell] == 0 && Cbedcell[cell] > 0; }
double BedLevel(int cell) { return Czcenter[cell] - Ckdist[cell]; }

// A boundary surface keeps its only cell in the slot of that cell's side.
int SurfaceCell(int f) { return Fcell1[f] != 0 ? Fcell1[f] : Fcell2[f]; }

bool TakesPart(const DischargeGroupRecord& group) { return group.groupType == 1 && group.noSurfaces > 0; }

int SurfaceCount(const DischargeGroupRecord& group) { return std::clamp(group.noSurfaces, 0, kGroupSurfaces); }

// The concentration of group g at `stime`. The inflow groups are counted in
// the order of the `timei` columns: the k-th of them (from 0) owns column
// k * NoSizes + s.
double GroupConcentration(const SeriesPoint* series, int g, int column, int s) {
    if (column < 0) return 0.0;
    if (series) return series->of([column](int r) { return TimeiConc[r][column]; });
    if (NoMDataSets > 0) return s < kMValues ? MDataSetValues[g].mvalue[s] : 0.0;
    return TimeiConc.exists() ? TimeiConc[0][column] : 0.0;
}

// Discharges and concentrations of the nine groups from the `timei` series
// when it gives them, else from the group records and the M data sets.
void GroupInflows(int s, double conc[kDischargeGroups]) {
    // A plain value and a pointer rather than an optional: the compiler
    // cannot see through the optional and warns of uninitialised rows.
    SeriesPoint point;
    const SeriesPoint* series = nullptr;
    if (TimeiInflowFlag > 0) {
        if (std::optional<SeriesPoint> found = LocateInTimei(stime)) {
            point = *found;
            series = &point;
        }
    }
    int inflowGroup = 0;
    for (int g = 1; g < kDischargeGroups; ++g) {
        const DischargeGroupRecord& group = DischargeGroups[g];
        const int column = TakesPart(group) ? inflowGroup++ * NoSizes + s : -1;
        if (series) {
            if (group.noSurfaces > 0) {
                GroupDischarge[g] = kDensity * series->of([g](int r) { return TimeiDischarge[r][g]; });
            }
        } else {
            GroupDischarge[g] = group.discharge;
        }
        conc[g] = GroupConcentration(series, g, column, s);
    }
}

// The coefficients a1..a10 of size s at `stime`: the fixed profile, or the
// profiles of the T data sets interpolated in time. Sizes beyond the table
// have no profile.
void InspaceCoefficients(int s, double a[kInspaceValues]) {
    std::fill(a, a + kInspaceValues, 0.0);
    if (s < 1 || s >= kInspaceSizes) return;
    const std::optional<SeriesPoint> series =
        InspaceTimes.exists() ? LocateInSeries(InspaceTimes.data(), NoInspaceTimes, stime) : std::nullopt;
    for (int k = 1; k <= 10; ++k) {
        a[k] = series ? series->of([s, k](int level) { return InspaceConcSeries[level][s][k]; }) : InspaceProfile[s][k];
    }
}

// The polynomial at (x, y) and the depth d below the top of the section.
double Polynomial(const double a[kInspaceValues], double x, double y, double d) {
    return a[1] + a[2] * x + a[3] * y + a[4] * d + a[5] * x * x + a[6] * y * y + a[7] * d * d + a[8] * x * y +
           a[9] * x * d + a[10] * y * d;
}

[[noreturn]] void RefuseConcentration(const SizeSystem& sys, double c, int cell) {
    if (sys.single) {
        LogAppend("Probable error in inspace file. Concentration for size 1 is %lg\n", c);
    } else {
        LogAppend("Probable error in inspace file. Concentration for size %d is %lg\n", sys.size, c);
    }
    LogAppend("Location xyz coordinates: (%lf,%lf,%lf)", Cxcenter[cell], Cycenter[cell], Czcenter[cell]);
    EndRun(-1);
}

// One surface acting as a boundary neighbour of its cell with flux factor q.
void AddSurfaceSource(const SizeSystem& sys, int f, double q, double c) {
    if (f <= 0) return;
    const int cell = SurfaceCell(f);
    if (cell <= 0) return;
    const double flux = Farea[f] * q;
    sys.add(cell, flux, flux * c);
    if (sys.size == 1 && IsBedCell(cell)) Binspace[Cbedcell[cell]] += flux;
    const double mass = flux * TimeStep * c * SedRelativeDensity;
    SedimentInflowSum += mass;
    SedimentInflowPerSize[sys.size] += mass;
}

void UniformSources(const SizeSystem& sys, int g, double c) {
    const DischargeGroupRecord& group = DischargeGroups[g];
    const double q = GroupDischarge[g] / (group.area + 1e-30);
    for (int n = 0; n < SurfaceCount(group); ++n) AddSurfaceSource(sys, group.surfaceList[n], q, c);
}

// The logarithmic profile: each surface's share of the discharge follows
// ln(30 (z - zb) / ks) at its cell centre. Option 2 walks the list from its
// end and follows the bed level of the bed cells it passes.
void LogarithmicSources(const SizeSystem& sys, int g, double c) {
    const DischargeGroupRecord& group = DischargeGroups[g];
    const int count = SurfaceCount(group);
    double lowest = 100000.0;
    for (int n = 0; n < count; ++n) {
        const int cell = SurfaceCell(group.surfaceList[n]);
        if (cell > 0) lowest = std::min(lowest, BedLevel(cell));
    }
    const bool reverse = InflowProfileOption == 2;
    auto visit = [&](auto&& use) {
        double zb = lowest;
        for (int m = 0; m < count; ++m) {
            const int f = group.surfaceList[reverse ? count - 1 - m : m];
            const int cell = SurfaceCell(f);
            if (f <= 0 || cell <= 0) continue;
            if (reverse && IsBedCell(cell)) zb = BedLevel(cell);
            double weight = std::log(30.0 * (Czcenter[cell] - zb) / InflowRoughness);
            if (!std::isfinite(weight) || weight < kLeastWeight) weight = kLeastWeight;
            use(f, weight);
        }
    };
    double sum = 0.0;
    visit([&](int f, double weight) { sum += Farea[f] * weight; });
    visit([&](int f, double weight) { AddSurfaceSource(sys, f, GroupDischarge[g] * weight / (sum + 1e-30), c); });
}

// The `inspace` polynomial in the cells of the group, with the discharge the
// flow boundary conditions last set.
void InspaceSources(const SizeSystem& sys, int g) {
    const DischargeGroupRecord& group = DischargeGroups[g];
    const int count = SurfaceCount(group);
    double top = -100000.0;
    for (int n = 0; n < count; ++n) {
        const int f = group.surfaceList[n];
        if (f > 0) top = std::max(top, Pz1[Fpoint3[f]]);
    }
    double a[kInspaceValues];
    InspaceCoefficients(sys.size, a);
    const double q = GroupDischarge[g] / (group.area + 1e-30);
    for (int n = 0; n < count; ++n) {
        const int f = group.surfaceList[n];
        const int cell = SurfaceCell(f);
        if (f <= 0 || cell <= 0) continue;
        const double c = Polynomial(a, Cxcenter[cell], Cycenter[cell], top - Czcenter[cell]);
        if (!(c >= kLowestConcentration && c <= kHighestConcentration)) RefuseConcentration(sys, c, cell);
        AddSurfaceSource(sys, f, q, c * InspaceSizeFactor[sys.size]);
    }
}

enum class Profile { Uniform, Logarithmic, None };

void AddSedimentInflow(const SizeSystem& sys, Profile profile) {
    double conc[kDischargeGroups] = {};
    if (InspaceMode == 0) GroupInflows(sys.size, conc);
    for (int g = 1; g < kDischargeGroups; ++g) {
        if (!TakesPart(DischargeGroups[g])) continue;
        if (InspaceMode == 1) {
            InspaceSources(sys, g);
        } else if (InspaceMode == 0 && profile == Profile::Uniform) {
            UniformSources(sys, g, conc[g]);
        } else if (InspaceMode == 0 && profile == Profile::Logarithmic) {
            LogarithmicSources(sys, g, conc[g]);
        }
    }
}

}  // namespace

void AddSedimentInflowSize1() {
    Profile profile = Profile::None;
    if (InflowProfileOption == 0) profile = Profile::Uniform;
    if (InflowProfileOption > 0) profile = Profile::Logarithmic;
    AddSedimentInflow(SizeSystem{1, true}, profile);
}

void AddSedimentInflowForSize(int s) {
    if (s < 1 || s > NoSizes || s >= kSedimentInflowSizes) return;
    AddSedimentInflow(SizeSystem{s, false}, FlagTSC > 0 ? Profile::Uniform : Profile::None);
}
