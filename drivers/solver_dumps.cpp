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
#include "run/status.h"

namespace {

// A central coefficient out of range is a failed run, not a normal end.
constexpr int kOutOfRangeCapStatus = -1;

template <class T>
T At(const Array1<T>& a, int i) {
    return i >= 0 && static_cast<size_t>(i) < a.size() ? a[i] : T{};
}

double FieldAt(int c) { return c >= 0 && static_cast<size_t>(c) < Cf.size() ? Cf[c] : 0.0; }

// The neighbours and surfaces of a cell in the order w, s, e, n, t, b.
struct Around {
    int cell[6];
    int surf[6];
};

Around AroundCell(int c) {
    return {{At(Ccellw, c), At(Ccells, c), At(Ccelle, c), At(Ccelln, c), At(Ccellt, c), At(Ccellb, c)},
            {At(Csurfw, c), At(Csurfs, c), At(Csurfe, c), At(Csurfn, c), At(Csurft, c), At(Csurfb, c)}};
}

// LogLines 2, 3, 4, 5, 9 and 10 of the bugtrap dump.
void AddCellState(LogLines& out, int c, const Around& a) {
    out.add("Cf = %lf, Cap = %lf, Csource = %lf\n", FieldAt(c), At(Cap, c), At(Csource, c));
    out.add("Velocities: %lf %lf %lf, Diffusion, k, epsilon: %lf %le %le, Volume: %lf\n", At(Cu, c), At(Cv, c),
            At(Cw, c), At(Ceddyvisc, c), At(Ck, c), At(Cepsilon, c), At(Cvol, c));
    out.add("Neigbours id: wsentb: %d %d %d %d %d %d\n", a.cell[0], a.cell[1], a.cell[2], a.cell[3], a.cell[4],
            a.cell[5]);
    out.add("Neigbours anb: wsentb: %le %le %le %le %le %le\n", At(Caw, c), At(Cas, c), At(Cae, c), At(Can, c),
            At(Cat, c), At(Cab, c));
}

void AddAreasAndFluxes(LogLines& out, const Around& a) {
    out.add("Neigbours areas: wsen: %le %le %le %le\n", At(Farea, a.surf[0]), At(Farea, a.surf[1]),
            At(Farea, a.surf[2]), At(Farea, a.surf[3]));
    out.add("Neigbours fluxes: wsentb: %le %le %le %le %le %le\n", At(Fflux, a.surf[0]), At(Fflux, a.surf[1]),
            At(Fflux, a.surf[2]), At(Fflux, a.surf[3]), At(Fflux, a.surf[4]), At(Fflux, a.surf[5]));
}

void AddInverses(LogLines& out, const char* label, int c, const Around& a) {
    out.add("%s: lwsentb: %lf %lf %lf %lf %lf %lf %lf\n", label, At(CinvAp, c), At(CinvAp, a.cell[0]),
            At(CinvAp, a.cell[1]), At(CinvAp, a.cell[2]), At(CinvAp, a.cell[3]), At(CinvAp, a.cell[4]),
            At(CinvAp, a.cell[5]));
}

// The last cell reached from c along `next` (the bed or the top cell).
int ColumnEnd(int c, const Array1<int>& next) {
    for (int steps = 0; steps < NoCells && At(next, c) > 0; ++steps) c = next[c];
    return c;
}

}  // namespace

void CheckGridNeighbours() {
    LogLines out;
    for (int c = FirstCell; c <= LastCell; ++c) {
        const int e = At(Csurfe, c), n = At(Csurfn, c), t = At(Csurft, c);
        const int w = At(Csurfw, c), s = At(Csurfs, c), b = At(Csurfb, c);
        const int p[9] = {0,
                          At(Cpoint1, c), At(Cpoint2, c), At(Cpoint3, c), At(Cpoint4, c),
                          At(Cpoint5, c), At(Cpoint6, c), At(Cpoint7, c), At(Cpoint8, c)};
        auto back = [c](int v) { return v == c || v == 0; };
        const bool holds[36] = {
            back(At(Ccelln, At(Ccells, c))), back(At(Ccells, At(Ccelln, c))),
            back(At(Ccelle, At(Ccellw, c))), back(At(Ccellw, At(Ccelle, c))),
            back(At(Ccellt, At(Ccellb, c))), back(At(Ccellb, At(Ccellt, c))),
            At(Fcell1, e) == c, At(Fcell1, n) == c, At(Fcell1, t) == c,
            At(Fcell2, w) == c, At(Fcell2, s) == c, At(Fcell2, b) == c,
            At(Fpoint1, e) == p[2], At(Fpoint2, e) == p[3], At(Fpoint3, e) == p[7], At(Fpoint4, e) == p[6],
            At(Fpoint1, s) == p[1], At(Fpoint2, s) == p[5], At(Fpoint3, s) == p[6], At(Fpoint4, s) == p[2],
            At(Fpoint1, w) == p[1], At(Fpoint2, w) == p[4], At(Fpoint3, w) == p[8], At(Fpoint4, w) == p[5],
            At(Fpoint1, n) == p[4], At(Fpoint2, n) == p[8], At(Fpoint3, n) == p[7], At(Fpoint4, n) == p[3],
            At(Fpoint1, b) == p[1], At(Fpoint2, b) == p[2], At(Fpoint3, b) == p[3], At(Fpoint4, b) == p[4],
            At(Fpoint1, t) == p[5], At(Fpoint2, t) == p[6], At(Fpoint3, t) == p[7], At(Fpoint4, t) == p[8],
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
    out.add("Neigbour surfaces neighbours id 1: %d %d %d %d %d %d\n", At(Fcell1, a.surf[0]), At(Fcell1, a.surf[1]),
            At(Fcell1, a.surf[2]), At(Fcell1, a.surf[3]), At(Fcell1, a.surf[4]), At(Fcell1, a.surf[5]));
    out.add("Neigbour surfaces neighbours id 2: %d %d %d %d %d %d\n", At(Fcell2, a.surf[0]), At(Fcell2, a.surf[1]),
            At(Fcell2, a.surf[2]), At(Fcell2, a.surf[3]), At(Fcell2, a.surf[4]), At(Fcell2, a.surf[5]));
    AddAreasAndFluxes(out, a);
    AddInverses(out, "invAp", c, a);
    out.flush();
}

void DumpPressureCorrectionCell() {
    for (int c = FirstCell; c <= LastCell; ++c) {
        if (!(std::fabs(FieldAt(c)) > 100000.0 || At(Cap, c) < 0.001)) continue;
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
    const int s[6] = {At(Csurfs, c), At(Csurfe, c), At(Csurfn, c), At(Csurfw, c), At(Csurfb, c), At(Csurft, c)};
    const int p[5] = {c, At(Ccelle, c), At(Ccelln, c), At(Ccellw, c), At(Ccells, c)};
    LogLines out;
    out.add("\nBugtrap - trekant, Iter = %d, InnerIter = %d, Cellno = %d\n", Iter, pass, c);
    out.add("Cpres_res: %lf, MaxResidual[4]: %lf, Ctrekant: %d\n", At(Cpres_res, c), MaxResidual[4], At(Ctrekant, c));
    out.add("Croughness: %lf\n", At(Croughness, c));
    out.add("Geometry: Cdistances: %lf %lf %lf\n", At(Cidist, c), At(Cjdist, c), At(Ckdist, c));
    out.add("Geometry: Careas: %lf %lf %lf\n", At(Careax, c), At(Careay, c), At(Careaz, c));
    out.add("Geometry: Fflagflow (senwbt): %d %d %d %d %d %d\n", At(Fflagflow, s[0]), At(Fflagflow, s[1]),
            At(Fflagflow, s[2]), At(Fflagflow, s[3]), At(Fflagflow, s[4]), At(Fflagflow, s[5]));
    const struct {
        const char* label;
        const Array1<double>* a;
    } surfaceLines[5] = {{"Geometry: Fareas", &Farea},
                         {"Surface fluxes", &Fflux},
                         {"Surface vec_x", &Fvecx},
                         {"Surface vec_y", &Fvecy},
                         {"Surface vec_z", &Fvecz}};
    for (const auto& l : surfaceLines) {
        out.add("%s: %lf %lf %lf %lf %lf %lf\n", l.label, At(*l.a, s[0]), At(*l.a, s[1]), At(*l.a, s[2]),
                At(*l.a, s[3]), At(*l.a, s[4]), At(*l.a, s[5]));
    }
    const struct {
        const char* label;
        const Array1<double>* a;
    } cellLines[6] = {{"Pressures(penws)", &Pres}, {"Velocities,x", &Cu},  {"Velocities,y", &Cv},
                      {"Velocities,z", &Cw},       {"Cpres_res", &Cpres_res}, {"CinvAp", &CinvAp}};
    for (const auto& l : cellLines) {
        out.add("%s: %lf %lf %lf %lf %lf\n", l.label, At(*l.a, p[0]), At(*l.a, p[1]), At(*l.a, p[2]), At(*l.a, p[3]),
                At(*l.a, p[4]));
    }
    out.flush();
}

void DumpNegativeCapCell(int c) {
    // Neighbours and surfaces in the order t, b, e, n, w, s.
    const int nb[6] = {At(Ccellt, c), At(Ccellb, c), At(Ccelle, c), At(Ccelln, c), At(Ccellw, c), At(Ccells, c)};
    const int sf[6] = {At(Csurft, c), At(Csurfb, c), At(Csurfe, c), At(Csurfn, c), At(Csurfw, c), At(Csurfs, c)};
    // The surface of each neighbour on the far side from c.
    const int farSurf[6] = {At(Csurft, nb[0]), At(Csurfb, nb[1]), At(Csurfe, nb[2]),
                            At(Csurfn, nb[3]), At(Csurfw, nb[4]), At(Csurfs, nb[5])};
    const double cap = At(Cap, c);
    LogLines out;
    out.add("Error 2, Cap(%d) = %e\n", c, cap);
    out.add("Velocities: %e %e %e\n", At(Cu, c), At(Cv, c), At(Cw, c));
    out.add("Volume = %e, Ckdist = %e\n", At(Cvol, c), At(Ckdist, c));
    out.add("Neighbour indexes: %d %d %d %d %d %d\n", nb[0], nb[1], nb[2], nb[3], nb[4], nb[5]);
    out.add("Ftype1: %d %d %d %d %d %d\n", At(Ftype1, sf[0]), At(Ftype1, sf[1]), At(Ftype1, sf[2]), At(Ftype1, sf[3]),
            At(Ftype1, sf[4]), At(Ftype1, sf[5]));
    out.add("Ftype2: %d %d %d %d %d %d\n", At(Ftype2, sf[0]), At(Ftype2, sf[1]), At(Ftype2, sf[2]), At(Ftype2, sf[3]),
            At(Ftype2, sf[4]), At(Ftype2, sf[5]));
    out.add("Neighbour anb: %e %e %e %e %e %e\n", At(Cat, c), At(Cab, c), At(Cae, c), At(Can, c), At(Caw, c),
            At(Cas, c));
    if (Caee.exists()) {
        out.add("Neighbour anbb: %e %e %e %e %e %e\n", At(Catt, c), At(Cabb, c), At(Caee, c), At(Cann, c),
                At(Caww, c), At(Cass, c));
    }
    for (const auto& l : {std::pair<const char*, const Array1<double>*>{"Cidist", &Cidist}, {"Cjdist", &Cjdist}}) {
        const Array1<double>& a = *l.second;
        out.add("%s, l+nb: %e %e %e %e %e %e %e\n", l.first, At(a, c), At(a, nb[0]), At(a, nb[1]), At(a, nb[2]),
                At(a, nb[3]), At(a, nb[4]), At(a, nb[5]));
    }
    out.add("Side fluxes (tbenws): %e %e %e %e %e %e\n", At(Fflux, sf[0]), At(Fflux, sf[1]), At(Fflux, sf[2]),
            At(Fflux, sf[3]), At(Fflux, sf[4]), At(Fflux, sf[5]));
    out.add("Side-side fluxes (tbenws): %e %e %e %e %e %e\n", At(Fflux, farSurf[0]), At(Fflux, farSurf[1]),
            At(Fflux, farSurf[2]), At(Fflux, farSurf[3]), At(Fflux, farSurf[4]), At(Fflux, farSurf[5]));
    out.add("Side areas (tbenws): %e %e %e %e %e %e\n", At(Farea, sf[0]), At(Farea, sf[1]), At(Farea, sf[2]),
            At(Farea, sf[3]), At(Farea, sf[4]), At(Farea, sf[5]));
    out.add("Gammas: l+anbb: %e %e %e %e %e %e %e\n", At(Ceddyvisc, c), At(Ceddyviscz, nb[0]), At(Ceddyviscz, nb[1]),
            At(Ceddyvisc, nb[2]), At(Ceddyvisc, nb[3]), At(Ceddyvisc, nb[4]), At(Ceddyvisc, nb[5]));
    const int bed = ColumnEnd(c, Ccellb);
    out.add("Bed level: %e\n", At(Czcenter, bed) - At(Ckdist, bed));
    const int column = At(Cbedcell, bed);
    if (column > 0) out.add("b = %d, i = %d, j = %d\n", column, At(Bkooi, column), At(Bkooj, column));
    const int top = ColumnEnd(c, Ccellt);
    out.add("Water level: %e\n", At(Czcenter, top) + At(Ckdist, top));
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
            const double v = At(*k.a, c);
            if (v < -0.01) out.add("Error in setting coefficients: %s[%d] = %lf for Iter = %d\n", k.name, c, v, Iter);
        }
    }
    out.flush();
}
