// The bed concentration of a bed that mixes cohesive clay with sand: the clay
// share of the surface layer chooses between the erosion of a cohesive bed,
// the van Rijn reference concentration with a hiding-corrected stage, or a
// blend of the two.
#include <cmath>
#include <cstdio>

#include "run/log.h"
#include "sediment/bed_concentration.h"
#include "run/output_file.h"

namespace {

constexpr double kClayDiameter = 2e-6;
constexpr double kLog19 = 1.2787536009528289;

bool TestFileNoticed = false;

// A negative concentration goes to the warning file `test`; a file that
// cannot be opened is said once in `boogie` and the run goes on.
void ReportNegative(double c, double d, int regime) {
    std::FILE* fp = OpenPlainOutput("test", true);
    if (fp == nullptr) {
        if (!TestFileNoticed) {
            LogAppend("Could not open the file 'test' for the warnings of the cohesive bed concentration; "
                      "negative concentrations are set to 0 without a warning\n");
            TestFileNoticed = true;
        }
        return;
    }
    std::fprintf(fp, "Achtung: konsform < 0: %.6f size %.6f Fall %i \n ", c, d, regime);
    std::fclose(fp);
}

}  // namespace

void ResetCohesiveNotices() { TestFileNoticed = false; }

double ComputeCohesiveBedConcentration(const CohesiveBedInput& in) {
    const double tau = in.tau;
    const double xi = std::pow(kLog19 / std::log10(19.0 * in.d / in.d50), 2.0);
    double clay = -1e-7;
    for (int s = 1; s <= in.sizes; ++s) {
        if (Diameter[s] <= kClayDiameter) clay += in.fractions[s];
    }

    const double rb = 1.0 - in.layerValue + 2.65 * in.layerValue;
    const double tce = (51796.8 * in.d50 + 0.029 * std::pow(std::min(rb, 1.8) / 1.8, 10.0) / in.d50) *
                       0.012903225806451613;
    const double cohesive = tce > tau ? 0.0 : (tau / tce - 1.0) * 4e-6 / in.fallVelocity / 2650.0;

    // The stage is measured against the hiding-corrected critical shear te;
    // a te that is not a positive number (no shear on a one-size bed gives
    // 0/0) moves nothing.
    const double r = in.d / in.d50;
    const double te = tau / ((tau - xi * r * in.tauc) / (r * in.tauc) + 1.0);
    const bool transport = std::isfinite(te) && te > 0.0 && tau - te >= 1e-6;
    double sand = 0.0;
    if (transport) {
        const double t = (tau - te) / te;
        const double dstar = in.d * in.dstarFactor;
        const double a = in.option == 1 ? std::max(in.roughness, 0.01 * in.depth) : in.halfCell;
        sand = in.coef * std::max(in.d, 0.001) * std::pow(t, in.expT) / (std::pow(dstar, in.expD) * a);
    }

    int regime = 3;
    double c = sand;
    if (clay > 0.08) {
        regime = 1;
        c = cohesive;
    } else if (clay > 0.05) {
        regime = 2;
        const double x = clay / 0.03 - 1.6666666666666667;
        c = (1.0 - x) * sand + x * cohesive;
    }
    if (c < 0.0) {
        ReportNegative(c, in.d, regime);
        return 0.0;
    }
    return c;
}
