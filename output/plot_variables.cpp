#include "output/plot_variables.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "output/results_writers.h"
#include "run/globals.h"

namespace {

// Degrees per radian as the plot files have always shown them (180 / 3.1415).
constexpr double kDegrees = 57.29746936176985;

// Visits c and every cell above it.
template <class Visit>
void ForColumnFrom(int c, Visit visit) {
    for (int steps = 0; c > 0 && steps < NoCells; ++steps) {
        visit(c);
        c = ValueAt(Ccellt, c);
    }
}

double Speed(int c) {
    const double u = ValueAt(Cu, c), v = ValueAt(Cv, c);
    return std::sqrt(u * u + v * v);
}

double Degrees(double radians) { return radians * kDegrees; }

// Rounding can carry a cosine or sine a hair past 1, where the arc is not defined.
double Unit(double v) { return std::clamp(v, -1.0, 1.0); }

struct ColumnSums {
    int n = 0;
    double height = 0.0;      // sum of 2 Ckdist
    double speed = 0.0;       // sum of the speeds
    double kdist = 0.0;       // sum of Ckdist
    double kdistSpeed = 0.0;  // sum of Ckdist times the speed
};

ColumnSums SumColumn(int c) {
    ColumnSums s;
    ForColumnFrom(c, [&s](int k) {
        const double half = ValueAt(Ckdist, k), speed = Speed(k);
        ++s.n;
        s.height += 2.0 * half;
        s.speed += speed;
        s.kdist += half;
        s.kdistSpeed += half * speed;
    });
    return s;
}

double ReynoldsNumber(int c) {
    const int cb = ColumnBottomCell(c);
    if (cb == 0) return 0.0;
    const ColumnSums s = SumColumn(cb);
    return (s.speed * 1000000.0 / (s.n + 1e-20)) * s.height;
}

double BedSlope(int c) {
    const int cb = ColumnBottomCell(c);
    if (cb == 0) return 0.0;
    return Degrees(std::acos(Unit(ValueAt(Fvecz, ValueAt(Csurfb, cb)))));
}

double SecondaryCurrentAngle(int c) {
    const int cb = ColumnBottomCell(c), ct = ColumnTopCell(c);
    const double ub = ValueAt(Cu, cb), vb = ValueAt(Cv, cb);
    const double ut = ValueAt(Cu, ct), vt = ValueAt(Cv, ct);
    const double r = (ub * vt - ut * vb) / std::sqrt((ub * ub + vb * vb) * (ut * ut + vt * vt) + 1e-20);
    return Degrees(std::asin(Unit(r)));
}

double DepthAveragedVelocity(int c) {
    const int cb = ColumnBottomCell(c);
    if (cb == 0) return 0.0;
    const ColumnSums s = SumColumn(cb);
    return s.kdistSpeed / (s.kdist + 1e-20);
}

double FroudeNumber(int c) {
    const ColumnSums s = SumColumn(ColumnBottomCell(c));
    return s.speed / (s.n * std::sqrt(9.81 * s.height) + 1e-20);
}

double LargestK(int c) {
    double k = 0.0;
    bool first = true;
    ForColumnFrom(c, [&](int n) {
        const double v = ValueAt(Ck, n);
        if (first || v > k) k = v;
        first = false;
    });
    return k;
}

double RoughnessPerDepth(int c, int b) {
    double height = 0.0;
    ForColumnFrom(c, [&height](int k) { height += 2.0 * ValueAt(Ckdist, k); });
    return ValueAt(Broughness, b) / (height + 1e-20);
}

double CellsToTop(int c) {
    int n = 0;
    ForColumnFrom(c, [&n](int) { ++n; });
    return std::max(n, 1);
}

double BedThickness(int b) {
    double sum = 0.0;
    for (int k = 0; k < NoBedLayers; ++k) sum += ValueAt(BSedDistrib, k, 0, b);
    return sum;
}

double LargestFractionSize(int b) {
    int best = 0;
    double largest = 0.0;
    for (int k = 1; k <= NoSizes; ++k) {
        const double f = ValueAt(BSedDistrib, 1, k, b);
        if (f > largest) {
            largest = f;
            best = k;
        }
    }
    return best;
}

double Diameter0(int k) { return k >= 0 && k <= kMaxSizes ? Diameter[k] : 0.0; }

// The diameter at the cumulative fraction GrainPercentile of layer L, between
// the middles of two neighbouring sizes (sizes run coarsest first).
double GrainDiameter(int layer, int b) {
    const int n = NoSizes;
    const double g = GrainPercentile;
    if (n < 1) return Diameter0(n);
    auto f = [&](int k) { return ValueAt(BSedDistrib, layer, k, b); };
    double s = 0.0;
    int k = n;
    for (;;) {
        s += f(k) / 2.0;
        if (s > g || k == 1) break;
        s += f(k) / 2.0;
        --k;
    }
    if (n == 1 || k == n) return Diameter0(n);
    if (g > s) return Diameter0(1);
    double t = 2.0 * (s - g) / (f(k) + f(k + 1) + 1e-20);
    if (t > 1.0) t = 1.0;
    if (t <= 0.0) t = 0.0;
    return t * Diameter0(k + 1) + (1.0 - t) * Diameter0(k);
}

// Near-surface vertical gradient of the temperature (component 0), for the
// two vertical resolutions that have weights.
double TemperatureGradient(int c) {
    auto temperature = [](int k) { return ValueAt(Components, 0, k); };
    int cell[8];
    cell[0] = ColumnTopCell(c);
    for (int n = 1; n < 8; ++n) cell[n] = ValueAt(Ccellb, cell[n - 1]);
    if (NoGridLinesZ == 12) {
        return -0.222 * temperature(cell[0]) - 0.639 * temperature(cell[1]) + 0.444 * temperature(cell[2]) +
               0.417 * temperature(cell[3]);
    }
    if (NoGridLinesZ == 20) {
        return -0.1667 * temperature(cell[1]) - 0.5 * temperature(cell[2]) - 0.3333 * temperature(cell[3]) +
               0.4167 * temperature(cell[4]) + 0.0833 * temperature(cell[5]) + 0.4167 * temperature(cell[6]) +
               0.0833 * temperature(cell[7]);
    }
    return 0.0;
}

double GridzAt(int i, int j, int slot) { return ValueAt(Gridz, i, j, slot); }

// The letters whose value belongs to the cell's water column b.
double BedColumnValue(char letter, int b, int layer, int size) {
    switch (letter) {
        case 'G': return ValueAt(Bgroundwater, b);
        case 'L': return ValueAt(BSedDistrib, layer, 0, b);
        case 'N': return ValueAt(BlayerValue, layer, b);
        case 'O': return ValueAt(BpotentialConc, size, b);
        case 'Q': return ValueAt(Bmorphology, b);
        case 'U': return ValueAt(Bedmove, b);
        case 'a': return GrainDiameter(layer, b);
        case 'b': return ValueAt(BbedformHeight, b);
        case 'f': return ValueAt(BSedDistrib, layer, size, b);
        case 'l': return BedThickness(b);
        case 'o': return LargestFractionSize(b);
        default: return 0.0;
    }
}

bool IsBedColumnLetter(char letter) {
    return std::string_view("GLNOQUabflo").find(letter) != std::string_view::npos;
}

}  // namespace

int CellUp(int c, int levels) {
    for (int n = 0; n < levels; ++n) {
        const int t = ValueAt(Ccellt, c);
        if (t <= 0) break;
        c = t;
    }
    return c;
}

int ColumnBottomCell(int c) {
    for (int steps = 0; steps < NoCells; ++steps) {
        const int below = ValueAt(Ccellb, c);
        if (below <= 0) break;
        c = below;
    }
    return c;
}

double PlotCellValue(char letter, int c, int layer, int size, int component) {
    const int b = ValueAt(Cbedcell, c);
    if (IsBedColumnLetter(letter)) return BedColumnValue(letter, b, layer, size);
    switch (letter) {
        case 'A': return ReynoldsNumber(c);
        case 'B': return BedSlope(c);
        case 'C': return SecondaryCurrentAngle(c);
        case 'D': return DepthAveragedVelocity(c);
        case 'E': return ValueAt(Cepsilon_res, c);
        case 'F': return FroudeNumber(c);
        case 'H': {
            const double u = ValueAt(Cu_res, c), v = ValueAt(Cv_res, c);
            return std::sqrt(u * u + v * v);
        }
        case 'I': return ValueAt(Ceddyviscz, c);
        case 'J': return LargestK(c);
        case 'K': return ValueAt(Ck_res, c);
        case 'P': return ValueAt(Cporosity, c);
        case 'R': return ValueAt(Cpres_res, c);
        case 'T': return ValueAt(Cstress, 0, c);
        case 'V':
        case 'u': return Speed(c);
        case 'W': return ValueAt(Cw_res, c);
        case 'c': return ValueAt(conc, size, c);
        case 'd': return ValueAt(Ceddyvisc, c);
        case 'e': return ValueAt(Cepsilon, c);
        case 'h': return RoughnessPerDepth(c, b);
        case 'i': return CellsToTop(c);
        case 'k': return ValueAt(Ck, c);
        case 'm': return ValueAt(Ccellb, c) == 0 ? 300.0 * ValueAt(Ck, c) : 0.0;
        case 'p': return ValueAt(Pres, c);
        case 'q': return ValueAt(Components, component, c);
        case 'r': {
            const double r = ValueAt(Broughness, b);
            return r < 1e-15 ? ValueAt(Croughness, c) : r;
        }
        case 'w': return ValueAt(Cw, c);
        case 'x': return TemperatureGradient(c);
        default: return 0.0;
    }
}

double PlotBedValue(char letter, int b, int layer, int size) {
    switch (letter) {
        case 'r': return ValueAt(Broughness, b);
        case 'm': {
            const int c = ValueAt(Bcellt, b);
            return c > 0 ? 300.0 * ValueAt(Ck, c) : 0.0;
        }
        case 'Q':
        case 'o': return 0.0;
        default: return BedColumnValue(letter, b, layer, size);
    }
}

bool IsNodeLetter(char letter) { return std::string_view("stvyz").find(letter) != std::string_view::npos; }

double PlotNodeValue(char letter, int i, int j) {
    const double bed = GridzAt(i, j, 1);
    switch (letter) {
        case 's': return ValueAt(GridLevels, 1, i, j);
        case 't': return bed - ValueAt(GridLevels, 3, i, j);
        case 'v': return GridzAt(i, j, NoGridLinesZ);
        case 'y': return GridzAt(i, j, NoGridLinesZ) - bed;
        case 'z': return bed;
        default: return 0.0;
    }
}

void MarkPlotEntry(const PlotVariableRecord& r) {
    bnodem = EntryLayer(r);
    lnodem = r.size;
}

void PreparePlotsForDivergence() {
    if (NoPlotVariables == 0) {
        for (char letter : std::string_view("yvmpsuwiz")) PlotVariables[NoPlotVariables++] = {0, 0, letter};
    }
    if (CellResidualFlag == 1 && NoPlotVariables <= 294) {
        PlotVariables[NoPlotVariables++] = {1, 0, 'R'};
        PlotVariables[NoPlotVariables++] = {1, 0, 'K'};
    }
    OutputSelector = 91;
}

namespace {

// Names by letter, in the order Tecplot plan, Tecplot 3D, VTK plan, VTK 3D.
// In a name, {l} stands for the entry's level, {s} for its size, {L} for its
// layer plus one and {G} for the grain percentile in per cent.
struct PlotNames {
    char letter;
    const char* name[4];
};

constexpr PlotNames kPlotNames[] = {
    {'A', {"Reynolds number", "Reynolds number", "Reynolds_number", "Reynolds_number"}},
    {'B', {"Bed slope ", "Bed slope ", "Error", "Bed_slope"}},
    {'C', {"Secondary current angle ", "Secondary current angle ", "Error", "Secondary_current_angle"}},
    {'D', {"Depth-averaged velocity", "Depth-averaged velocity", "Depth-averaged_velocity", "Depth-averaged_velocity"}},
    {'E', {"Residual epsilon {l} ", "Residual epsilon {l} ", "Residual_epsilon_{l}", "Residual_epsilon"}},
    {'F', {"Froude number", "Froude number", "Froude_number", "Froude_number"}},
    {'G', {"Error", "Error", "Groundwater_level_[m]", "Groundwater_level_[m]"}},
    {'H',
     {"Residual horizontal velocity {l} ", "Residual horizontal velocity {l} ", "Residual_horizontal_velocity_{l}",
      "Residual_horizontal_velocity"}},
    {'I', {"Eddy-viscosity-vert{l} ", "Eddy-viscosity-vert {l} ", "Error", "Error"}},
    {'J', {"Error", "Error", "Max_kinetic_energy", "Error"}},
    {'K', {"Residual k {l} ", "Residual k {l} ", "Residual_k_{l}", "Residual_k"}},
    {'L',
     {"Sediment layer {l} thickness", "Top sediment layer thickness", "Sediment_layer_thickness_level_{L}",
      "Top_sediment_layer_thickness"}},
    {'M', {"Error", "Error", "Sediment_slide_elevation_changes_[m]", "Sediment_slide_elevation_changes_[m]"}},
    {'N', {"Bed solid fraction layer {l} ", "Error", "Bed_sediment_fraction_layer_{l}", "Error"}},
    {'O',
     {"Potential bed concentration ", "Potential bed concentration ", "Potential_sediment_concentration_{s}",
      "Potential_bed_concentration"}},
    {'P', {"Porosity {l} ", "Porosity {l} ", "Porosity_{l}", "Porosity"}},
    {'R', {"Residual pressure {l} ", "Residual pressure {l} ", "Residual_pressure_{l}", "Residual_pressure"}},
    {'U', {"Error", "Error", "Bed_movement_in_time_step_[m]", "Bed_movement_in_time_step_[m]"}},
    {'V', {"Horiz. velocity", "Horiz. velocity", "Horiz_velocity", "Horiz_velocity"}},
    {'W',
     {"Residual vertical velocity {l} ", "Residual vertical velocity {l} ", "Residual_vertical_velocity_{l}",
      "Residual_vertical_velocity"}},
    {'a', {"D{G} level {l}", "D{G} layer {L}", "D{G}_level_{L}", "D{G}_level{L}"}},
    {'b', {"Bed form height", "Bed form height", "Bed_form_height", "Bed_form_height"}},
    {'c',
     {"Sediment conc. lev {l} size {s}", "Sediment conc. lev {l} size {s}", "Sediment_conc_lev_{l}_size_{s}",
      "Sediment_conc_size_{s}"}},
    {'d', {"Eddy-viscosity-horiz {l} ", "Eddy-viscosity-horiz {l} ", "Eddy-viscosity_{l}", "Eddy-viscosity"}},
    {'e', {"Epsilon", "Epsilon", "Epsilon", "Epsilon"}},
    {'f',
     {"Bed sediment fraction, size {s}, level {l}", "Bed sediment fraction, size {s}",
      "Bed_sediment_fraction_size_{s}", "Bed_sediment_fraction_size_{s}"}},
    {'g', {"Error", "Water_level", "Error", "Error"}},
    {'h', {"Roughness/Depth", "Roughness/Depth", "Roughness/Depth", "Roughness/Depth"}},
    {'i',
     {"No. cells vertical direction", "No_cells vertical direction", "No_cells_vertical_direction",
      "No_cells_vertical_direction"}},
    {'k', {"Turbulent k {l} ", "Turbulent k {l} ", "Turbulent_k_{l}", "Turbulent_k"}},
    {'l', {"Bed sediment thickness", "Bed sediment thickness", "Bed_sediment_thickness", "Bed_sediment_thickness"}},
    {'m', {"Bed shear", "Bed_shear", "Bed_shear", "Bed_shear"}},
    {'o', {"Maximum size fraction ", "Error", "Error", "Error"}},
    {'p', {"Pressure {l} ", "Pressure_{l} ", "Pressure_{l}", "Pressure"}},
    {'q', {"Water Quality {l} ", "Water Quality {l} ", "Water_Quality_{l} ", "Water_Quality_{s} "}},
    {'r', {"Roughness", "Roughness", "Roughness", "Roughness"}},
    {'s', {"Bed movement", "Bed movement", "Bed_movement", "Bed_movement"}},
    {'t', {"Sediment thickness", "Sediment thickness", "Sediment_thickness", "Sediment_thickness"}},
    {'u', {"Horiz. velocity", "Horiz. velocity", "Horiz_velocity", "Horiz_velocity"}},
    {'v', {"Water level", "Water level", "Water_level", "Water_level"}},
    {'w', {"Uz {l} ", "Uz {l} ", "Uz_{l}", "Uz"}},
    {'x', {"Temperature gradient", "Temperature gradient", "Temperature_gradient", "Temperature_gradient"}},
    {'y', {"Depth", "Depth", "Depth", "Depth"}},
    {'z', {"Bed level", "Bed level", "Bed_level", "Bed_level"}},
};

// The percentile of the grain-size letter in whole per cent. A fraction like
// 0.29 is 28.999... times 100, so the product is rounded before it is cut.
int GrainPercent() { return static_cast<int>(std::floor(100.0 * GrainPercentile + 1e-9)); }

// Two digits, blank-padded; a VTK name cannot hold a blank (the reader would
// split the name there), so it is zero-padded.
std::string TwoDigits(int v, bool vtk) {
    std::string s = std::to_string(v);
    if (s.size() < 2) s.insert(0, 2 - s.size(), vtk ? '0' : ' ');
    return s;
}

}  // namespace

std::string PlotVariableName(const PlotVariableRecord& r, PlotWriter writer) {
    const char* pattern = "Error";
    for (const PlotNames& n : kPlotNames) {
        if (n.letter == r.letter) pattern = n.name[static_cast<int>(writer)];
    }
    const bool vtk = writer == PlotWriter::kVtkPlan || writer == PlotWriter::kVtk3D;
    std::string name;
    for (const char* p = pattern; *p != '\0'; ++p) {
        if (p[0] == '{' && p[1] != '\0' && p[2] == '}') {
            switch (p[1]) {
                case 'l': name += std::to_string(r.level); break;
                case 's': name += std::to_string(r.size); break;
                case 'L': name += std::to_string(EntryLayer(r) + 1); break;
                default: name += TwoDigits(GrainPercent(), vtk); break;
            }
            p += 2;
        } else {
            name += *p;
        }
    }
    return name;
}
