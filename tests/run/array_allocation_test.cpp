// The structured and unstructured allocations: which arrays exist for which
// options, their shapes where readers depend on them, the bed start values,
// repeated calls, size overflow and running out of memory.
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "run/array_allocation.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/run_services.h"
#include "tests/support/control_text.h"
#include "tests/support/project_dir.h"

namespace {

struct Probe {
    const char* name;
    std::function<bool()> exists;
};
#define PROBE(array) Probe{#array, [] { return (array).exists(); }}

class ScopedAllocationLimit {
public:
    explicit ScopedAllocationLimit(size_t bytes) : old_(AllocationLimitBytes) { AllocationLimitBytes = bytes; }
    ~ScopedAllocationLimit() { AllocationLimitBytes = old_; }
    ScopedAllocationLimit(const ScopedAllocationLimit&) = delete;
    ScopedAllocationLimit& operator=(const ScopedAllocationLimit&) = delete;

private:
    size_t old_;
};

// A small grid, so that each row allocates little.
void SmallSizes() {
    NoGridLinesX = 10;
    NoGridLinesY = 8;
    NoGridLinesZ = 5;
    MaxCeller = 100;
    MaxFlater = 200;
    MaxPoints = 150;
    MaxBoundaryCells = 10;
    MaxEdgePairs = 10;
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Each test works in a fresh project directory (the allocators log to
// `boogie`) on globals at their start values, and leaves no arrays behind.
class ArrayAllocationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(LogCreate());
        ResetGlobals();
    }
    void TearDown() override { ResetGlobals(); }
    std::string log() const { return here_.dir().read("boogie"); }

    // Resets the globals, applies the small sizes and `options`, allocates.
    double Allocate(const std::function<void()>& options = {}) {
        ResetGlobals();
        SmallSizes();
        if (options) options();
        return AllocateUnstructuredArrays();
    }

private:
    InProjectDir here_;
};

struct FamilyCase {
    std::string name;
    std::function<void()> options;
    std::vector<Probe> present;
    std::vector<Probe> absent;
};

TEST_F(ArrayAllocationTest, ConditionalFamiliesFollowTheirOptions) {
    const std::vector<FamilyCase> cases = {
        {"defaults (steady run)", {},
         {PROBE(Csurfe), PROBE(Cu), PROBE(CfHome), PROBE(Cf_oldHome), PROBE(conc), PROBE(BSedDistrib),
          PROBE(CellIndex3), PROBE(EdgePairs), PROBE(Cu_res), PROBE(Ckdist_old), PROBE(CtiedCell),
          PROBE(BoundaryCellPartnerXyz)},
         {PROBE(Cu_old), PROBE(conc_old), PROBE(TimeiTime), PROBE(Cu_old2), PROBE(Caee), PROBE(Cnocellse),
          PROBE(Cchildren), PROBE(CsourceMulti), PROBE(CapMulti), PROBE(Cstress), PROBE(CstressRatio),
          PROBE(Components), PROBE(ComponentWork), PROBE(Czcenter_old), PROBE(CtdmaP), PROBE(ShallowWork3A),
          PROBE(Cporosity), PROBE(BSedWork), PROBE(BNoLayers), PROBE(Bmorphwork), PROBE(Bconnection),
          PROBE(GenColumnWork4), PROBE(GenLevelWork), PROBE(Ccelle_bottom), PROBE(CinvAp_transient)}},
        {"unsteady", [] { TimeStep = 1.0; },
         {PROBE(Cu_old), PROBE(CinvAp_old), PROBE(conc_old), PROBE(TimeiTime), PROBE(TimeiDischarge),
          PROBE(TimeiWind), PROBE(TimeiConc)},
         {PROBE(Cu_old2), PROBE(ComponentsOld)}},
        {"second-order time", [] { TimeStep = 1.0; TimeOrder = 1; }, {PROBE(Cu_old2), PROBE(Cw_old2)}, {}},
        {"flush in a steady run", [] { FlushLimit = 2; }, {PROBE(Pres_old), PROBE(Cepsilon_old)},
         {PROBE(conc_old), PROBE(TimeiTime)}},
        {"components", [] { NoComponents = 2; TimeStep = 1.0; ComponentWorkRows = 3; },
         {PROBE(Components), PROBE(ComponentsOld), PROBE(ComponentWork)}, {}},
        {"second order for equation 5", [] { ConvectionScheme[5] = 1; }, {PROBE(Caee), PROBE(Cabb)}, {}},
        {"F 63", [] { F63Option = 1; }, {PROBE(Caww)}, {}},
        {"F 36 8", [] { FreeSurfaceOption = 8; }, {PROBE(Cass)}, {}},
        {"split faces", [] { SplitFaceFlag = 1; },
         {PROBE(Cnocellse), PROBE(CnbMultiN), PROBE(CaMultiW)}, {PROBE(CbMultiE), PROBE(Caee)}},
        {"split faces, second order", [] { SplitFaceFlag = 1; ConvectionScheme[2] = 1; },
         {PROBE(CbMultiE), PROBE(Caee)}, {}},
        {"scheme variants, no cell residuals", [] { SchemeVariant = 2; CellResidualFlag = 0; },
         {PROBE(CinvAp_transient), PROBE(Cu_pseudo)}, {PROBE(Cu_res)}},
        {"F 114 20 and F 147 0", [] { PressureGradientOption = 20; F147Int2 = 0; },
         {PROBE(Ccelln_bottom), PROBE(Czcenter_old)}, {PROBE(Ckdist_old)}},
        // Every option that reads the bed-neighbour arrays gets them.
        {"F 114 above 20", [] { PressureGradientOption = 57; }, {PROBE(Ccellw_bottom), PROBE(Ccelle_bottom)}, {}},
        {"F 157 20", [] { SimpleVariant = 20; }, {PROBE(Ccells_bottom), PROBE(Ccelln_bottom)}, {}},
        {"F 114 19, F 157 10", [] { PressureGradientOption = 19; SimpleVariant = 10; }, {}, {PROBE(Ccellw_bottom)}},
        {"one boundary record", [] { MaxBoundaryCells = 1; }, {PROBE(BoundaryCellNo), PROBE(BoundaryCellWeight)},
         {PROBE(CtiedCell), PROBE(Clink)}},
        {"line solver", [] { LineSolverFlag = 1; }, {PROBE(CtdmaP), PROBE(CtdmaQ)}, {}},
        {"plan block correction", [] { PlanSolverOption = 2; }, {PROBE(CtdmaQ)}, {}},
        {"sediment sizes", [] { NoSizes = 3; }, {PROBE(CsourceMulti), PROBE(CapMulti), PROBE(CatMulti)},
         {PROBE(InvApMulti)}},
        {"F 37 3", [] { FlagTSC = 3; },
         {PROBE(BSedWork), PROBE(BNoLayers), PROBE(Bmorphwork), PROBE(BlayerValue), PROBE(CabMulti)}, {}},
        {"bed layers", [] { NoBedLayers = 3; }, {PROBE(BNoLayers)}, {PROBE(BlayerValue)}},
        {"stresses", [] { StressComputationOption = 1; },
         {PROBE(Cstress), PROBE(CstressRatio), PROBE(CstressCount), PROBE(BslideChange)}, {}},
        {"layer block", [] { LayerBlockOption = 1; },
         {PROBE(CstressRatio), PROBE(BlayerSlope), PROBE(Bmorphwork), PROBE(BlayerValue)}, {PROBE(Cstress)}},
        {"shallow water", [] { ShallowWaterOption = 1; }, {PROBE(ShallowWork3C), PROBE(ShallowWork4B)}, {}},
        {"vegetation", [] { VegetationOption = 1; }, {PROBE(Cporosity), PROBE(Bveg), PROBE(VegTimes)}, {}},
        {"column options",
         [] {
             CriticalLevelFlag = 1;
             F277Option = 1;
             BedAngleFileOption = 1;
             GroundwaterOption = 1;
             SurfaceVariant = 7;
             F339Option = 1;
             BlockCouplingOption = 3;
         },
         {PROBE(Benergy), PROBE(Bmorphology), PROBE(BslopeLimit), PROBE(Bgroundwater), PROBE(Bpressure),
          PROBE(Bcelltop_old), PROBE(Bconnection)},
         {PROBE(Bplanwork), PROBE(Blevelcorr)}},
        {"F 36 50", [] { FreeSurfaceOption = 50; }, {PROBE(Bplanwork), PROBE(Blevelcorr)}, {}},
        {"F 271", [] { F271Option = 1; }, {PROBE(Blevelcorr)}, {PROBE(Bplanwork)}},
        {"F 64 9", [] { GridAlgorithm = 9; }, {PROBE(GenColumnWork6)}, {PROBE(GenLevelWork)}},
        {"F 64 15", [] { GridAlgorithm = 15; }, {PROBE(GenLevelWork)}, {PROBE(GenColumnWork4)}},
    };
    for (const FamilyCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_GT(Allocate(c.options), 0.0);
        for (const Probe& p : c.present) EXPECT_TRUE(p.exists()) << p.name << " missing";
        for (const Probe& p : c.absent) EXPECT_FALSE(p.exists()) << p.name << " created";
    }
}

// The multigrid writes a parent and four children per cell whenever F 168 is
// on, also with two grid levels.
TEST_F(ArrayAllocationTest, ChildRecordsHoldFiveSlotsWheneverTheMultigridIsOn) {
    struct Case {
        int gridLevels, multigrid;
        size_t slots;  // 0: not created
    };
    for (const Case& c : {Case{2, 0, 2}, Case{2, 1, 5}, Case{3, 0, 5}, Case{0, 1, 5}, Case{-1, 2, 5}, Case{0, 0, 0}}) {
        SCOPED_TRACE(testing::Message() << "F 152 " << c.gridLevels << ", F 168 " << c.multigrid);
        Allocate([&] {
            NoGridLevels = c.gridLevels;
            MultigridChoice = c.multigrid;
        });
        EXPECT_EQ(Cchildren.exists() ? Cchildren.extent2() : 0, c.slots);
    }
}

TEST_F(ArrayAllocationTest, SourceRowsCoverTheSizesAndTheFastSolver) {
    struct Case {
        int fast, sizes, tsc;
        size_t rows;  // 0: not created
    };
    for (const Case& c : {Case{1, 1, 0, 5}, Case{1, 3, 0, 5}, Case{1, 6, 0, 7}, Case{0, 3, 0, 4}, Case{0, 1, 3, 2},
                          Case{0, 1, 0, 0}, Case{-1, 3, 0, 4}}) {
        SCOPED_TRACE(testing::Message() << "F 170 " << c.fast << ", sizes " << c.sizes << ", F 37 " << c.tsc);
        Allocate([&] {
            FastSolverFlag = c.fast;
            NoSizes = c.sizes;
            FlagTSC = c.tsc;
        });
        EXPECT_EQ(CsourceMulti.exists() ? CsourceMulti.extent1() : 0, c.rows);
    }
}

// The multigrid stores the level cells of a grid position at the levels
// behind the grid levels, and clears up to max(levels, NoGridLinesZ) + 1.
TEST_F(ArrayAllocationTest, CellIndexHoldsEveryMultigridLevelOfTheGrid) {
    struct Case {
        int nx, ny, nz, multigrid;
    };
    for (const Case& c : {Case{100, 40, 2, 0}, Case{10, 8, 5, 12}, Case{300, 300, 11, 1}}) {
        SCOPED_TRACE(testing::Message() << c.nx << " x " << c.ny << " x " << c.nz << ", F 168 " << c.multigrid);
        Allocate([&] {
            NoGridLinesX = c.nx;
            NoGridLinesY = c.ny;
            NoGridLinesZ = c.nz;
            MultigridChoice = c.multigrid;
        });
        const int levels = static_cast<int>(std::log(static_cast<double>(std::max(c.nx, c.ny)))) + 3;
        EXPECT_GE(CellIndex3.extent3(), static_cast<size_t>(std::max({levels, c.nz, c.multigrid}) + 2));
        EXPECT_EQ(CellIndex3.extent1(), static_cast<size_t>(c.nx + 2));
        EXPECT_EQ(CellIndex3.extent2(), static_cast<size_t>(c.ny + 2));
    }
}

TEST_F(ArrayAllocationTest, BedStartsWithTheFirstDistribution) {
    Allocate([] { NoSizes = 2; });
    const size_t columns = BSedDistrib.extent3();
    ASSERT_EQ(columns, static_cast<size_t>((10 + 3) * (8 + 3)));
    for (size_t b = 0; b < columns; ++b) {
        const std::ptrdiff_t col = static_cast<std::ptrdiff_t>(b);
        for (int layer = 0; layer <= 2; ++layer) {
            EXPECT_EQ(BSedDistrib[layer][0][col], 0.0);
            EXPECT_EQ(BSedDistrib[layer][1][col], (b > 0 && layer <= 1) ? 1.0 : 0.0) << layer << " " << b;
            EXPECT_EQ(BSedDistrib[layer][2][col], 0.0);
        }
    }
    Allocate([] {
        NoSizes = 2;
        NoNDataSets = 1;
        GrainFractions[0][1] = 0.25;
        GrainFractions[0][2] = 0.75;
    });
    EXPECT_EQ(BSedDistrib[1][1][7], 0.25);
    EXPECT_EQ(BSedDistrib[0][2][7], 0.75);
    EXPECT_EQ(BSedDistrib[2][2][7], 0.0);
    EXPECT_EQ(BSedDistrib[1][2][0], 0.0);
}

TEST_F(ArrayAllocationTest, ASecondCallLeavesExistingArraysAlone) {
    SmallSizes();
    ASSERT_EQ(AllocateStructuredArrays(), 0);
    ASSERT_GT(AllocateUnstructuredArrays(), 0.0);
    Cu[5] = 3.0;
    BSedDistrib[1][1][5] = 0.25;
    GridRegion[3][4] = 1;
    Gridz[2][2][3] = 7.0;
    const double* cu = Cu.data();

    TimeStep = 1.0;  // the second call adds what the first left out
    const double bytes = AllocateUnstructuredArrays();
    EXPECT_GT(bytes, 0.0);
    EXPECT_TRUE(Cu_old.exists());
    EXPECT_EQ(Cu.data(), cu);
    EXPECT_EQ(Cu[5], 3.0);
    EXPECT_EQ(BSedDistrib[1][1][5], 0.25);

    EXPECT_EQ(AllocateUnstructuredArrays(), 0.0);
    EXPECT_EQ(AllocateStructuredArrays(), 0);
    EXPECT_EQ(Gridz[2][2][3], 7.0);
    EXPECT_EQ(GridRegion[3][4], 0);  // cleared on every call
    EXPECT_TRUE(EndsWith(log(), "Have allocated         0.00 Mbytes unstructured arrays\n\n"
                                "Have allocated         0.00 Mbytes structured arrays\n"));
}

TEST_F(ArrayAllocationTest, StructuredShapesFollowTheOptions) {
    struct Case {
        int layerBlock, coupling, averaging, inspace;
        size_t planes;
    };
    for (const Case& c : {Case{0, 0, 0, 0, 5}, Case{-1, 0, 0, 0, 5}, Case{2, 3, 1, 3, 7}}) {
        SCOPED_TRACE(testing::Message() << "F 236 " << c.layerBlock);
        ResetGlobals();
        SmallSizes();
        LayerBlockOption = c.layerBlock;
        BlockCouplingOption = c.coupling;
        TimeAveragingOption = c.averaging;
        InspaceTimeCount = c.inspace;
        ASSERT_EQ(AllocateStructuredArrays(), 0);
        EXPECT_EQ(GridLevels.extent1(), c.planes);
        EXPECT_EQ(Gridz.extent3(), 5u + 2u);
        EXPECT_EQ(Gridx.extent1(), 10u + 2u);
        EXPECT_EQ(Gridx.extent2(), 8u + 2u);
        EXPECT_EQ(GridSlideLevel.exists(), c.coupling > 2);
        EXPECT_EQ(GridTrendN.exists(), c.averaging > 0);
        EXPECT_EQ(InspaceConcSeries.exists(), c.inspace > 0);
        if (c.inspace > 0) {
            EXPECT_EQ(InspaceTimes.size(), static_cast<size_t>(c.inspace + 2));
        }
    }
}

TEST_F(ArrayAllocationTest, SizesBeyondTheAddressSpaceFailWithTheMessage) {
    Array2<double> big;
    Array1<double> line;
    ArrayAllocation a;
    EXPECT_TRUE(a.make(line, 10));
    EXPECT_FALSE(a.make(big, 1LL << 40, 1LL << 40));
    EXPECT_FALSE(big.exists());
    EXPECT_TRUE(EndsWith(log(), "Allocated 0.000080 Mbyte when out of memory\n"));
    const std::string before = log();
    Array1<double> negative;
    EXPECT_FALSE(a.make(negative, -1));  // one-dimensional arrays fail silently
    EXPECT_EQ(log(), before);
    EXPECT_EQ(a.bytes(), 80u);
}

TEST_F(ArrayAllocationTest, AFailureKeepsWhatWasCreatedBefore) {
    SmallSizes();
    ScopedAllocationLimit limit(2000);
    EXPECT_LT(AllocateUnstructuredArrays(), -0.01);
    EXPECT_TRUE(Csurfe.exists());
    EXPECT_FALSE(Cu.exists());
}

// The run driver's report of a failed unstructured allocation, with huge F 65
// capacities that the (lowered) limit refuses.
TEST(AllocationFailure, HugeCapacitiesEndTheRunWithTheDriversMessage) {
    ProjectDir dir;
    dir.write("control", "F 65 2000000000 2000000000 2000000000 2000000000 2000000000\nF 2 X\n");
    int status;
    {
        ScopedAllocationLimit limit(size_t{1} << 30);
        status = dir.runInProcess();
    }
    EXPECT_EQ(status, -3);
    const std::string log = dir.read("boogie");
    EXPECT_NE(log.find("Mbytes structured arrays\n"), std::string::npos) << log;
    EXPECT_TRUE(EndsWith(log, "Error in allocation of arrays. The array size is probably\n"
                              "larger than what is available of memory on your computer\n\n"))
        << log;
    EXPECT_EQ(log.find("Mbytes unstructured arrays"), std::string::npos);
}

// G 1 sizes whose plan nodes an int cannot number are refused with the data
// set, before any size is worked out from them.
TEST(AllocationFailure, GridSizesBeyondTheAddressSpaceEndTheRun) {
    ProjectDir dir;
    dir.write("control", "G 1 2000000000 2000000000 11 1\nF 2 X\n");
    EXPECT_EQ(dir.runInProcess(), kRefused);
    const std::string log = dir.read("boogie");
    EXPECT_NE(log.find("grid nodes in the plan; at most 2147483647 can be numbered"), std::string::npos) << log;
    EXPECT_TRUE(EndsWith(log, "Input error for G 1 in control")) << log;
}

}  // namespace
