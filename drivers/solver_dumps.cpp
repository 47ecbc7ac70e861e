// Diagnostics of the water-flow drivers: the grid neighbour check and the
// cell dumps that the user asks for (F 1, F 183, F 218, F 223) or that a
// central coefficient out of range forces.
//
// Each operation gathers its lines and appends them to `boogie` at once.
// The arrays a dump reads may not all exist in a run; those read as 0.
#include <cmath>

#include "drivers/flow_drivers.h"
#include "drivers/log_lines.h"
#include "flow/flow_data.h"
#include "grid/grid_data.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/guarded_read.h"
#include "run/status.h"

namespace {

// A central coefficient out of range is a failed run, not a normal end.
constexpr int kOutOfRangeCapStatus = -1;

double FieldAt(int c) { return c >= 0 && static_cast<size_t>(c) < Cf.size() ? Cf[c] : 0.0; }

// The neighbours and surfaces of a cell in the order w, s, e, n, t, b.
struct Around {
    int cell[6];
    int surf[6];
};

Around AroundCell(int c) {
    return {{ValueAt(Ccellw, c), ValueAt(Ccells, c), ValueAt(Ccelle, c), ValueAt(Ccelln, c), ValueAt(Ccellt, c),
             ValueAt(Ccellb, c)},
            {ValueAt(Csurfw, c), ValueAt(Csurfs, c), ValueAt(Csurfe, c), ValueAt(Csurfn, c), ValueAt(Csurft, c),
             ValueAt(Csurfb, c)}};
}

// LogLines 2, 3, 4, 5, 9 and 10 of the bugtrap dump.
void AddCellState(LogLines& out, int c, const Around& a) {
    out.add("Cf = %lf, Cap = %lf, Csource = %lf\n", FieldAt(c), ValueAt(Cap, c), ValueAt(Csource, c));
    out.add("Velocities: %lf %lf %lf, Diffusion, k, epsilon: %lf %le %le, Volume: %lf\n", ValueAt(Cu, c),
            ValueAt(Cv, c), ValueAt(Cw, c), ValueAt(Ceddyvisc, c), ValueAt(Ck, c), ValueAt(Cepsilon, c),
            ValueAt(Cvol, c));
    out.add("Neigbours id: wsentb: %d %d %d %d %d %d\n", a.cell[0], a.cell[1], a.cell[2], a.cell[3], a.cell[4],
            a.cell[5]);
    out.add("Neigbours anb: wsentb: %le %le %le %le %le %le\n", ValueAt(Caw, c), ValueAt(Cas, c), ValueAt(Cae, c),
            ValueAt(Can, c), ValueAt(Cat, c), ValueAt(Cab, c));
}

void AddAreasAndFluxes(LogLines& out, const Around& a) {
    out.add("Neigbours areas: wsen: %le %le %le %le\n", ValueAt(Farea, a.surf[0]), ValueAt(Farea, a.surf[1]),
            ValueAt(Farea, a.surf[2]), ValueAt(Farea, a.surf[3]));
    out.add("Neigbours fluxes: wsentb: %le %le %le %le %le %le\n", ValueAt(Fflux, a.surf[0]), ValueAt(Fflux, a.surf[1]),
            ValueAt(Fflux, a.surf[2]), ValueAt(Fflux, a.surf[3]), ValueAt(Fflux, a.surf[4]), ValueAt(Fflux, a.surf[5]));
}

void AddInverses(LogLines& out, const char* label, int c, const Around& a) {
    out.add("%s: lwsentb: %lf %lf %lf %lf %lf %lf %lf\n", label, ValueAt(CinvAp, c), ValueAt(CinvAp, a.cell[0]),
            ValueAt(CinvAp, a.cell[1]), ValueAt(CinvAp, a.cell[2]), ValueAt(CinvAp, a.cell[3]),
            ValueAt(CinvAp, a.cell[4]), ValueAt(CinvAp, a.cell[5]));
}

// The last cell reached from c along `next` (the bed or the top cell).
int ColumnEnd(int c, const Array1<int>& next) {
    for (int steps = 0; steps < NoCells && ValueAt(next, c) > 0; ++steps) c = next[c];
    return c;
}

}  // namespace

void CheckGridNeighbours() {
    LogLines out;
    for (int c = FirstCell; c <= LastCell; ++c) {
        const int e = ValueAt(Csurfe, c), n = ValueAt(Csurfn, c), t = ValueAt(Csurft, c);
        const int w = ValueAt(Csurfw, c), s = ValueAt(Csurfs, c), b = ValueAt(Csurfb, c);
        const int p[9] = {0,
                          ValueAt(Cpoint1, c),
                          ValueAt(Cpoint2, c),
                          ValueAt(Cpoint3, c),
                          ValueAt(Cpoint4, c),
                          ValueAt(Cpoint5, c),
                          ValueAt(Cpoint6, c),
                          ValueAt(Cpoint7, c),
                          ValueAt(Cpoint8, c)};
        auto back = [c](int v) { return v == c || v == 0; };
        const bool holds[36] = {
            back(ValueAt(Ccelln, ValueAt(Ccells, c))),
            back(ValueAt(Ccells, ValueAt(Ccelln, c))),
            back(ValueAt(Ccelle, ValueAt(Ccellw, c))),
            back(ValueAt(Ccellw, ValueAt(Ccelle, c))),
            back(ValueAt(Ccellt, ValueAt(Ccellb, c))),
            back(ValueAt(Ccellb, ValueAt(Ccellt, c))),
            ValueAt(Fcell1, e) == c,
            ValueAt(Fcell1, n) == c,
            ValueAt(Fcell1, t) == c,
            ValueAt(Fcell2, w) == c,
            ValueAt(Fcell2, s) == c,
            ValueAt(Fcell2, b) == c,
            ValueAt(Fpoint1, e) == p[2],
            ValueAt(Fpoint2, e) == p[3],
            ValueAt(Fpoint3, e) == p[7],
            ValueAt(Fpoint4, e) == p[6],
            ValueAt(Fpoint1, s) == p[1],
            ValueAt(Fpoint2, s) == p[5],
            ValueAt(Fpoint3, s) == p[6],
            ValueAt(Fpoint4, s) == p[2],
            ValueAt(Fpoint1, w) == p[1],
            ValueAt(Fpoint2, w) == p[4],
            ValueAt(Fpoint3, w) == p[8],
            ValueAt(Fpoint4, w) == p[5],
            ValueAt(Fpoint1, n) == p[4],
            ValueAt(Fpoint2, n) == p[8],
            ValueAt(Fpoint3, n) == p[7],
            ValueAt(Fpoint4, n) == p[3],
            ValueAt(Fpoint1, b) == p[1],
            ValueAt(Fpoint2, b) == p[2],
            ValueAt(Fpoint3, b) == p[3],
            ValueAt(Fpoint4, b) == p[4],
            ValueAt(Fpoint1, t) == p[5],
            ValueAt(Fpoint2, t) == p[6],
            ValueAt(Fpoint3, t) == p[7],
            ValueAt(Fpoint4, t) == p[8],
        };
        for (int test = 0; test < 36; ++test) {
            if (!holds[test]) out.add("Error %d in grid for cell %d\n", test + 1, c);
        }
    }
    out.flush();
}

void DumpBugtrapCell(int pass) {
    const int c = BugtrapCell;
    const Around a = AroundCell(c);
    LogLines out;
    out.add("Bugtrap, values for Iter = %d, cellno = %d, Equation = %d, InnerIter = %d\n", Iter, c, Equation, pass);
    AddCellState(out, c, a);
    out.add("Neigbour surfaces id: %d %d %d %d %d %d\n", a.surf[0], a.surf[1], a.surf[2], a.surf[3], a.surf[4],
            a.surf[5]);
    out.add("Neigbour surfaces neighbours id 1: %d %d %d %d %d %d\n", ValueAt(Fcell1, a.surf[0]),
            ValueAt(Fcell1, a.surf[1]), ValueAt(Fcell1, a.surf[2]), ValueAt(Fcell1, a.surf[3]),
            ValueAt(Fcell1, a.surf[4]), ValueAt(Fcell1, a.surf[5]));
    out.add("Neigbour surfaces neighbours id 2: %d %d %d %d %d %d\n", ValueAt(Fcell2, a.surf[0]),
            ValueAt(Fcell2, a.surf[1]), ValueAt(Fcell2, a.surf[2]), ValueAt(Fcell2, a.surf[3]),
            ValueAt(Fcell2, a.surf[4]), ValueAt(Fcell2, a.surf[5]));
    AddAreasAndFluxes(out, a);
    AddInverses(out, "invAp", c, a);
    out.flush();
}

void DumpPressureCorrectionCell() {
    for (int c = FirstCell; c <= LastCell; ++c) {
        if (!(std::fabs(FieldAt(c)) > 100000.0 || ValueAt(Cap, c) < 0.001)) continue;
        const Around a = AroundCell(c);
        LogLines out;
        out.add("Debug, Pressure-correction, l=%d\n", c);
        AddCellState(out, c, a);
        AddAreasAndFluxes(out, a);
        AddInverses(out, "Neigbours+l invAp", c, a);
        out.flush();
        if (DebugStopOption == 1) DebugStopOption = 99;
    }
}

void DumpTrekantCell(int c, int pass) {
    // Surfaces in the order s, e, n, w, b, t; cells p, e, n, w, s.
    const int s[6] = {ValueAt(Csurfs, c), ValueAt(Csurfe, c), ValueAt(Csurfn, c),
                      ValueAt(Csurfw, c), ValueAt(Csurfb, c), ValueAt(Csurft, c)};
    const int p[5] = {c, ValueAt(Ccelle, c), ValueAt(Ccelln, c), ValueAt(Ccellw, c), ValueAt(Ccells, c)};
    LogLines out;
    out.add("\nBugtrap - trekant, Iter = %d, InnerIter = %d, Cellno = %d\n", Iter, pass, c);
    out.add("Cpres_res: %lf, MaxResidual[4]: %lf, Ctrekant: %d\n", ValueAt(Cpres_res, c), MaxResidual[4],
            ValueAt(Ctrekant, c));
    out.add("Croughness: %lf\n", ValueAt(Croughness, c));
    out.add("Geometry: Cdistances: %lf %lf %lf\n", ValueAt(Cidist, c), ValueAt(Cjdist, c), ValueAt(Ckdist, c));
    out.add("Geometry: Careas: %lf %lf %lf\n", ValueAt(Careax, c), ValueAt(Careay, c), ValueAt(Careaz, c));
    out.add("Geometry: Fflagflow (senwbt): %d %d %d %d %d %d\n", ValueAt(Fflagflow, s[0]), ValueAt(Fflagflow, s[1]),
            ValueAt(Fflagflow, s[2]), ValueAt(Fflagflow, s[3]), ValueAt(Fflagflow, s[4]), ValueAt(Fflagflow, s[5]));
    const struct {
        const char* label;
        const Array1<double>* a;
    } surfaceLines[5] = {{"Geometry: Fareas", &Farea},
                         {"Surface fluxes", &Fflux},
                         {"Surface vec_x", &Fvecx},
                         {"Surface vec_y", &Fvecy},
                         {"Surface vec_z", &Fvecz}};
    for (const auto& l : surfaceLines) {
        out.add("%s: %lf %lf %lf %lf %lf %lf\n", l.label, ValueAt(*l.a, s[0]), ValueAt(*l.a, s[1]), ValueAt(*l.a, s[2]),
                ValueAt(*l.a, s[3]), ValueAt(*l.a, s[4]), ValueAt(*l.a, s[5]));
    }
    const struct {
        const char* label;
        const Array1<double>* a;
    } cellLines[6] = {{"Pressures(penws)", &Pres}, {"Velocities,x", &Cu},  {"Velocities,y", &Cv},
                      {"Velocities,z", &Cw},       {"Cpres_res", &Cpres_res}, {"CinvAp", &CinvAp}};
    for (const auto& l : cellLines) {
        out.add("%s: %lf %lf %lf %lf %lf\n", l.label, ValueAt(*l.a, p[0]), ValueAt(*l.a, p[1]), ValueAt(*l.a, p[2]),
                ValueAt(*l.a, p[3]), ValueAt(*l.a, p[4]));
    }
    out.flush();
}

void DumpNegativeCapCell(int c) {
    // Neighbours and surfaces in the order t, b, e, n, w, s.
    const int nb[6] = {ValueAt(Ccellt, c), ValueAt(Ccellb, c), ValueAt(Ccelle, c),
                       ValueAt(Ccelln, c), ValueAt(Ccellw, c), ValueAt(Ccells, c)};
    const int sf[6] = {ValueAt(Csurft, c), ValueAt(Csurfb, c), ValueAt(Csurfe, c),
                       ValueAt(Csurfn, c), ValueAt(Csurfw, c), ValueAt(Csurfs, c)};
    // The surface of each neighbour on the far side from c.
    const int farSurf[6] = {ValueAt(Csurft, nb[0]), ValueAt(Csurfb, nb[1]), ValueAt(Csurfe, nb[2]),
                            ValueAt(Csurfn, nb[3]), ValueAt(Csurfw, nb[4]), ValueAt(Csurfs, nb[5])};
    const double cap = ValueAt(Cap, c);
    LogLines out;
    out.add("Error 2, Cap(%d) = %e\n", c, cap);
    out.add("Velocities: %e %e %e\n", ValueAt(Cu, c), ValueAt(Cv, c), ValueAt(Cw, c));
    out.add("Volume = %e, Ckdist = %e\n", ValueAt(Cvol, c), ValueAt(Ckdist, c));
    out.add("Neighbour indexes: %d %d %d %d %d %d\n", nb[0], nb[1], nb[2], nb[3], nb[4], nb[5]);
    out.add("Ftype1: %d %d %d %d %d %d\n", ValueAt(Ftype1, sf[0]), ValueAt(Ftype1, sf[1]), ValueAt(Ftype1, sf[2]),
            ValueAt(Ftype1, sf[3]), ValueAt(Ftype1, sf[4]), ValueAt(Ftype1, sf[5]));
    out.add("Ftype2: %d %d %d %d %d %d\n", ValueAt(Ftype2, sf[0]), ValueAt(Ftype2, sf[1]), ValueAt(Ftype2, sf[2]),
            ValueAt(Ftype2, sf[3]), ValueAt(Ftype2, sf[4]), ValueAt(Ftype2, sf[5]));
    out.add("Neighbour anb: %e %e %e %e %e %e\n", ValueAt(Cat, c), ValueAt(Cab, c), ValueAt(Cae, c), ValueAt(Can, c),
            ValueAt(Caw, c), ValueAt(Cas, c));
    if (Caee.exists()) {
        out.add("Neighbour anbb: %e %e %e %e %e %e\n", ValueAt(Catt, c), ValueAt(Cabb, c), ValueAt(Caee, c),
                ValueAt(Cann, c), ValueAt(Caww, c), ValueAt(Cass, c));
    }
    for (const auto& l : {std::pair<const char*, const Array1<double>*>{"Cidist", &Cidist}, {"Cjdist", &Cjdist}}) {
        const Array1<double>& a = *l.second;
        out.add("%s, l+nb: %e %e %e %e %e %e %e\n", l.first, ValueAt(a, c), ValueAt(a, nb[0]), ValueAt(a, nb[1]),
                ValueAt(a, nb[2]), ValueAt(a, nb[3]), ValueAt(a, nb[4]), ValueAt(a, nb[5]));
    }
    out.add("Side fluxes (tbenws): %e %e %e %e %e %e\n", ValueAt(Fflux, sf[0]), ValueAt(Fflux, sf[1]),
            ValueAt(Fflux, sf[2]), ValueAt(Fflux, sf[3]), ValueAt(Fflux, sf[4]), ValueAt(Fflux, sf[5]));
    out.add("Side-side fluxes (tbenws): %e %e %e %e %e %e\n", ValueAt(Fflux, farSurf[0]), ValueAt(Fflux, farSurf[1]),
            ValueAt(Fflux, farSurf[2]), ValueAt(Fflux, farSurf[3]), ValueAt(Fflux, farSurf[4]),
            ValueAt(Fflux, farSurf[5]));
    out.add("Side areas (tbenws): %e %e %e %e %e %e\n", ValueAt(Farea, sf[0]), ValueAt(Farea, sf[1]),
            ValueAt(Farea, sf[2]), ValueAt(Farea, sf[3]), ValueAt(Farea, sf[4]), ValueAt(Farea, sf[5]));
    out.add("Gammas: l+anbb: %e %e %e %e %e %e %e\n", ValueAt(Ceddyvisc, c), ValueAt(Ceddyviscz, nb[0]),
            ValueAt(Ceddyviscz, nb[1]), ValueAt(Ceddyvisc, nb[2]), ValueAt(Ceddyvisc, nb[3]), ValueAt(Ceddyvisc, nb[4]),
            ValueAt(Ceddyvisc, nb[5]));
    const int bed = ColumnEnd(c, Ccellb);
    out.add("Bed level: %e\n", ValueAt(Czcenter, bed) - ValueAt(Ckdist, bed));
    const int column = ValueAt(Cbedcell, bed);
    if (column > 0) out.add("b = %d, i = %d, j = %d\n", column, ValueAt(Bkooi, column), ValueAt(Bkooj, column));
    const int top = ColumnEnd(c, Ccellt);
    out.add("Water level: %e\n", ValueAt(Czcenter, top) + ValueAt(Ckdist, top));
    out.flush();
    SetStatusText("Error, Cap(%d) = %e\n", c, cap);
    FlowFailedFlag = 1;
    EndRun(kOutOfRangeCapStatus);
}

void CheckCoefficientSigns() {
    if (CoefficientCheckOption != 1) return;
    const struct {
        const char* name;
        const Array1<double>* a;
    } coefficients[6] = {{"Cab", &Cab}, {"Cat", &Cat}, {"Cas", &Cas}, {"Cae", &Cae}, {"Caw", &Caw}, {"Can", &Can}};
    LogLines out;
    for (int c = FirstCell; c <= LastCell; ++c) {
        for (const auto& k : coefficients) {
            const double v = ValueAt(*k.a, c);
            if (v < -0.01) out.add("Error in setting coefficients: %s[%d] = %lf for Iter = %d\n", k.name, c, v, Iter);
        }
    }
    out.flush();
}
