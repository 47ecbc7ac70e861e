// Whole flows in a straight rectangular channel, run to convergence inside
// the test process and held against the physics they must obey: mass
// conservation, the rough-wall law of the wall in fully developed flow, and
// water at rest staying at rest.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "flow/flow_services.h"
#include "run/globals.h"
#include "tests/physics/physics_channel.h"
#include "tests/support/project_dir.h"
#include "tools/channel_project.h"

namespace {

constexpr double kDensity = 1000.0;
constexpr double kKappa = 0.4;
constexpr double kSqrtCmu = 0.3;  // the square root of the k-epsilon constant 0.09

class ChannelFlow : public ::testing::Test {
protected:
    // Runs letters U and W on the channel; the flow stays in the globals.
    void Run(const ChannelSpec& spec) {
        spec_ = spec;
        ASSERT_TRUE(WriteChannelProject(dir_.path(), spec));
        status_ = dir_.runInProcess();
        log_ = dir_.read("boogie");
    }

    // The same with the project's files as given.
    void Run(const ChannelSpec& spec, const ChannelProject& project) {
        spec_ = spec;
        dir_.write("control", project.control);
        dir_.write("unstruc", project.unstruc);
        dir_.write("koordina", project.koordina);
        status_ = dir_.runInProcess();
        log_ = dir_.read("boogie");
    }

    void ExpectConverged() const {
        EXPECT_EQ(status_, 1) << log_;
        EXPECT_NE(log_.find("\nSolution converged\n"), std::string::npos) << log_;
    }

    // The bed shear velocity of the bed cell: the friction that the wall law
    // puts on the bed face in the U equation, per square metre of bed.
    static double BedShearVelocity(int bed) {
        const int bedFace = Csurfb[bed];
        Equation = 1;
        Cap[bed] = Csource[bed] = 0.0;
        ApplyWallLaws(bed, bed);
        const double tau = (Cap[bed] * Cu[bed] - Csource[bed]) / Farea[bedFace];
        return tau > 0.0 ? std::sqrt(tau / kDensity) : 0.0;
    }

    // Cu of every cell after a run with `control` added to the channel's.
    std::vector<double> VelocitiesWith(const std::string& control) {
        ChannelSpec spec = PhysicsChannel(0.075);
        spec.extraControl += control;
        Run(spec);
        ExpectConverged();
        return std::vector<double>(Cu.data(), Cu.data() + NoCells + 1);
    }

    // Mass flux through each plane between two column lines, keyed by its x
    // in decimetres (over a sloping bed a cell's centre plus its half length
    // lies a few millimetres off the line); the surfaces run from west to
    // east. (The groups bring the water in and take it out as sources of the
    // end cells, so the end planes carry no surface flux.) Split faces count
    // once: the cells that face a top cell from the west by their own faces,
    // a top cell that faces several cells to its east by its own face, which
    // carries their sum. Returns the largest deviation from the inflow,
    // relative to it.
    double ExpectEverySectionCarriesTheInflow() const {
        std::map<long, double> sections;
        for (int c = 1; c <= NoCells; ++c) {
            if (Ccelle[c] == 0) continue;
            sections[std::lround(10.0 * (Cxcenter[c] + Cidist[c]))] += Fflux[Csurfe[c]];
        }
        EXPECT_EQ(sections.size(), static_cast<size_t>(spec_.columnsAlong - 1));
        const double inflow = kDensity * spec_.discharge;
        double largest = 0.0;
        for (const auto& [x, flux] : sections) {
            EXPECT_NEAR(flux, inflow, 0.001 * inflow) << "section at x = " << x << " dm";
            largest = std::max(largest, std::fabs(flux - inflow) / inflow);
        }
        return largest;
    }

    // The number of the last iteration the log reports.
    int Iterations() const {
        const size_t at = log_.rfind("Iter: ");
        return at == std::string::npos ? 0 : std::atoi(log_.c_str() + at + 6);
    }

    ProjectDir dir_;
    ChannelSpec spec_;
    int status_ = 0;
    std::string log_;
};

TEST_F(ChannelFlow, EveryCrossSectionCarriesTheInflow) {
    Run(PhysicsChannel(0.075));
    ExpectConverged();
    ExpectEverySectionCarriesTheInflow();
}

TEST_F(ChannelFlow, FullyDevelopedFlowFollowsTheRoughWallLogLaw) {
    Run(PhysicsChannel(0.075));
    ExpectConverged();
    // The middle column three quarters of the way down the channel, 48
    // depths from the inflow.
    const int bed = BedCellNear(0.75 * spec_.length, 0.5 * spec_.width);
    ASSERT_GT(bed, 0);
    const double ks = Croughness[bed];
    EXPECT_DOUBLE_EQ(ks, 0.01);
    const double bedLevel = Czcenter[bed] - Ckdist[bed];

    // The bed shear stress is the friction that the wall law puts on the
    // bed face in the U equation, per square metre of bed.
    const int bedFace = Csurfb[bed];
    ASSERT_EQ(Fflagflow[bedFace], -1);
    ASSERT_EQ(Fflagflow[Csurfs[bed]] + Fflagflow[Csurfn[bed]], 2) << "no side wall in the middle column";
    Equation = 1;
    Cap[bed] = Csource[bed] = 0.0;
    ApplyWallLaws(bed, bed);
    const double tau = (Cap[bed] * Cu[bed] - Csource[bed]) / Farea[bedFace];
    ASSERT_GT(tau, 0.0);
    const double ustar = std::sqrt(tau / kDensity);

    // The log law is the law of the inner layer, the lower third of the
    // depth. It assumes a constant shear stress, where the stress in fact
    // falls linearly to the surface, and above a fifth of the depth the outer
    // flow adds a wake (about 1.5 % of the velocity at a third of the depth
    // with Coles' wake strength of about 0.2 in open channels); eight layers
    // and a flow 48 depths from a uniform inflow add discretisation and a
    // little missing development. 5 % lies above these together.
    int checked = 0;
    for (int c = bed; c > 0 && Czcenter[c] - bedLevel < spec_.depth / 3.0; c = Ccellt[c]) {
        const double z = Czcenter[c] - bedLevel;
        const double logLaw = ustar / kKappa * std::log(30.0 * z / ks);
        EXPECT_NEAR(Cu[c], logLaw, 0.05 * logLaw) << "cell " << c << " at z = " << z;
        ++checked;
    }
    EXPECT_EQ(checked, 3);

    // The wall law ties the bed cell to the log law; the rise to the cell
    // above comes from the eddy viscosity of the k-epsilon solution, which
    // the log law gives as kappa u* z. Between the two cells the shear stress
    // is already an eighth below the bed's, which in theory makes the rise
    // some 6 % smaller than the log law's; 10 % leaves room for the
    // discretisation, and an eddy viscosity 30 % off moves the rise further.
    const int above = Ccellt[bed];
    ASSERT_GT(above, 0);
    const double logRise = ustar / kKappa * std::log((Czcenter[above] - bedLevel) / Ckdist[bed]);
    EXPECT_NEAR(Cu[above] - Cu[bed], logRise, 0.1 * logRise);

    // The wall law's production and dissipation of k in the bed cell balance
    // at k = u*^2 / sqrt(Cmu); k carried up out of the cell and the stress
    // falling off with height pull it down by a few per cent at most.
    const double kWall = ustar * ustar / kSqrtCmu;
    EXPECT_NEAR(Ck[bed], kWall, 0.05 * kWall);
}

// Smooth walls (F 15 5): the lower third of the middle column follows the
// smooth law u = u* / kappa ln(9 z u* / nu). At 0.2 m/s over 0.25 m the
// smooth law gives U / u* = 2.5 ln(9 h u* / nu) - 2.5 at u* = 0.0090 m/s,
// which puts the bed cell (1/16 of the depth) at y+ = 140, well out of the
// viscous sublayer.
TEST_F(ChannelFlow, SmoothWallsFollowTheSmoothLogLaw) {
    constexpr double kNu = 1e-6;
    ChannelSpec spec = PhysicsChannel(0.075);
    spec.extraControl += "F 15 5\n";
    Run(spec);
    ExpectConverged();
    const int bed = BedCellNear(0.75 * spec_.length, 0.5 * spec_.width);
    ASSERT_GT(bed, 0);
    const double bedLevel = Czcenter[bed] - Ckdist[bed];
    const double ustar = BedShearVelocity(bed);
    const double yplus = Ckdist[bed] * ustar / kNu;
    std::printf("smooth walls: u* = %.5f m/s, bed-cell y+ = %.1f\n", ustar, yplus);
    EXPECT_NEAR(ustar, 0.0090, 0.001);
    EXPECT_NEAR(yplus, 140.0, 20.0);
    int checked = 0;
    for (int c = bed; c > 0 && Czcenter[c] - bedLevel < spec_.depth / 3.0; c = Ccellt[c]) {
        const double z = Czcenter[c] - bedLevel;
        const double logLaw = ustar / kKappa * std::log(9.0 * z * ustar / kNu);
        std::printf("  z = %.4f m: u = %.5f, smooth law %.5f (%+.2f %%)\n", z, Cu[c], logLaw,
                    100.0 * (Cu[c] / logLaw - 1.0));
        EXPECT_NEAR(Cu[c], logLaw, 0.05 * logLaw) << "cell " << c << " at z = " << z;
        ++checked;
    }
    EXPECT_EQ(checked, 3);
}

// The transitional law (F 15 8) on the 1 cm rough bed, ks+ about 142, is
// fully rough: the flow is that of the rough law (F 15 0) downstream, where
// the inflow no longer matters.
TEST_F(ChannelFlow, TransitionalLawOfAFullyRoughBedIsTheRoughLaw) {
    const std::vector<double> rough = VelocitiesWith("F 15 0\n");
    const std::vector<double> transitional = VelocitiesWith("F 15 8\n");
    double worst = 0.0;
    for (int c = 1; c <= NoCells; ++c) {
        if (Cxcenter[c] < 0.5 * spec_.length) continue;
        worst = std::max(worst, std::fabs(transitional[c] / rough[c] - 1.0));
        EXPECT_NEAR(transitional[c], rough[c], 0.01 * rough[c]) << "cell " << c;
    }
    std::printf("F 15 8 against F 15 0, downstream half: largest difference %.3f %%\n", 100.0 * worst);
}

// The face-based laws (F 305 1) of the rough law give the flow of the
// cell-based ones: they differ only in the rounding of the epsilon value.
TEST_F(ChannelFlow, FaceBasedWallLawsGiveTheSameFlow) {
    const std::vector<double> cellBased = VelocitiesWith("F 305 0\n");
    const std::vector<double> faceBased = VelocitiesWith("F 305 1\n");
    double worst = 0.0;
    for (int c = 1; c <= NoCells; ++c) {
        worst = std::max(worst, std::fabs(faceBased[c] / cellBased[c] - 1.0));
        EXPECT_NEAR(faceBased[c], cellBased[c], 1e-3 * std::fabs(cellBased[c])) << "cell " << c;
    }
    std::printf("F 305 1 against F 305 0: largest relative difference %.2e\n", worst);
}

// A grid read from its file has no split side, so F 137 must leave the run as
// it is: the same iterations, the same flow to the last bit. (It used to cut
// every solve to a single sweep, and the pressure correction then crawled
// for thousands of iterations.)
TEST_F(ChannelFlow, SplitFaceFlagWithoutSplitSidesChangesNothing) {
    const std::vector<double> plain = VelocitiesWith("");
    const int iterations = Iterations();
    EXPECT_EQ(VelocitiesWith("F 137 1\n"), plain);
    EXPECT_EQ(Iterations(), iterations);
}

TEST_F(ChannelFlow, StillWaterStaysAtRest) {
    ChannelSpec spec = PhysicsChannel(0.0);
    // A sloping bed makes the cells lean, so that the pressure force also
    // acts through tilted faces.
    spec.bedSlope = 0.01;
    // Without a discharge the residuals need references of their own; k and
    // epsilon start from small values so that the eddy viscosity and the
    // wall laws are at work. With nothing to produce it k decays for the
    // hundred iterations of the bound.
    spec.extraControl = "K 1 100\nF 200 2 1e-5 1e-6 0.1 10\n";
    Run(spec);
    EXPECT_EQ(status_, 1) << log_;
    EXPECT_EQ(log_.find("diverged"), std::string::npos) << log_;
    double largest = 0.0;
    for (int c = 1; c <= NoCells; ++c) {
        largest = std::max({largest, std::fabs(Cu[c]), std::fabs(Cv[c]), std::fabs(Cw[c])});
    }
    EXPECT_LT(largest, 1e-6);
}

// The developed flow has little convection left to change: second-order
// upwind of the velocities, of the velocities, k and epsilon, and a limited
// scheme leave the velocity within 1 % of first order.
std::string SchemeName(size_t index) {
    static const char* const names[] = {"SecondOrderVelocities", "SecondOrderAll", "LimitedAll"};
    return names[index];
}

class HigherOrderChannel : public ChannelFlow, public ::testing::WithParamInterface<const char*> {
protected:
    // The velocity a quarter of the depth below the surface, three quarters
    // of the way down the channel, after a converged run with `control`.
    double ProbeVelocity(const std::string& control, const std::string& name) {
        ChannelSpec spec = PhysicsChannel(0.075);
        spec.extraControl += control;
        Run(spec);
        ExpectConverged();
        const double defect = ExpectEverySectionCarriesTheInflow();
        int probe = BedCellNear(0.75 * spec_.length, 0.5 * spec_.width);
        for (int up = 0; up < 4 && probe > 0; ++up) probe = Ccellt[probe];
        EXPECT_GT(probe, 0);
        if (probe <= 0) return 0.0;
        RecordProperty(name + "_u", std::to_string(Cu[probe]));
        RecordProperty(name + "_sections", std::to_string(defect));
        RecordProperty(name + "_iterations", Iterations());
        return Cu[probe];
    }
};

TEST_P(HigherOrderChannel, KeepsTheDevelopedFlow) {
    const double reference = ProbeVelocity("", "first_order");
    ASSERT_GT(reference, 0.1);
    EXPECT_NEAR(ProbeVelocity(GetParam(), "higher_order"), reference, 0.01 * reference);
}

INSTANTIATE_TEST_SUITE_P(Schemes, HigherOrderChannel,
                         ::testing::Values("K 6 1 1 1 0 0 0\n", "K 6 1 1 1 0 1 1\n", "K 6 14 14 14 0 14 14\n"),
                         [](const ::testing::TestParamInfo<const char*>& i) { return SchemeName(i.index); });

// The channel's bed rises by half the depth downstream of its middle under
// a level water surface, and the engine builds the cells with split faces:
// the deep columns get 8 layers, the shallow ones 2 + trunc(0.5^0.6 * 7) - 1
// = 5, and the top cell beside the step faces the 4 upper cells of its deep
// neighbour. The flow over it converges and carries the inflow through every
// cross-section, the split one included.
TEST_F(ChannelFlow, SplitFacesGridOverABedStep) {
    ChannelSpec spec = PhysicsChannel(0.075);
    spec.version = 4;
    spec.extraControl += "F 137 1\n";
    ChannelProject project = MakeChannelProject(spec);
    // Bed levels of the nodes downstream of x = 8 m go up by 0.125 m: the
    // node lines of the grid file (cell, bed, water, x, y) and of koordina
    // (i, j, x, y, bed, water).
    auto raise = [](const std::string& text, size_t fields, size_t bedField, size_t xField) {
        std::istringstream in(text);
        std::string out, line;
        while (std::getline(in, line)) {
            std::istringstream words(line);
            std::vector<std::string> w;
            for (std::string word; words >> word;) w.push_back(word);
            if (w.size() == fields && std::stod(w[xField]) > 8.001) {
                w[bedField] = std::to_string(std::stod(w[bedField]) + 0.125);
                line.clear();
                for (const std::string& word : w) line += word + " ";
            }
            out += line + "\n";
        }
        return out;
    };
    project.unstruc = raise(project.unstruc, 5, 1, 3);
    project.koordina = raise(project.koordina, 6, 4, 2);
    Run(spec, project);
    ExpectConverged();
    RecordProperty("sections", std::to_string(ExpectEverySectionCarriesTheInflow()));
    RecordProperty("iterations", Iterations());
    int deep = 0, shallow = 0, facing = 0;
    for (int c = 1; c <= NoCells; ++c) {
        ASSERT_TRUE(std::isfinite(Cu[c]) && std::isfinite(Pres[c])) << c;
        if (Ccellb[c] != 0) continue;
        int layers = 0;
        int top = c;
        for (int t = c; t > 0; t = Ccellt[t]) {
            ++layers;
            top = t;
        }
        if (Cxcenter[c] < 9.0) {
            deep += layers == 8;
        } else {
            shallow += layers == 5;
        }
        if (Cxcenter[c] > 9.0 && Cxcenter[c] < 10.0) facing += Cnocellsw[top] == 4;
    }
    EXPECT_EQ(deep, 9 * 3);
    EXPECT_EQ(shallow, 7 * 3);
    EXPECT_EQ(facing, 3);
}

}  // namespace
