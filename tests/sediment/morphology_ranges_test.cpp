// The block groups of the morphology time loop, the sediment range of F 188
// and the time step from the discharge of group 1.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run/globals.h"
#include "run/log.h"
#include "sediment/sediment_services.h"
#include "tests/support/control_text.h"

namespace {

class MorphologyRanges : public ::testing::Test {
protected:
    MorphologyRanges() {
        if (!LogCreate()) ADD_FAILURE() << "cannot create boogie";
        ResetGlobals();
        ResetMorphologyNotices();
        // Three blocks of 10 cells, 30 surfaces and 4 columns each.
        NoBlocks = 3;
        NoCells = 30;
        NoSurfaces = 90;
        NoBedCells = 12;
        for (int b = 1; b <= 3; ++b) {
            BlockRecord& r = BlockTable[b];
            r = BlockRecord{};
            r.firstCell = 10 * b - 9;
            r.lastCell = 10 * b;
            r.firstSurface = 30 * b - 29;
            r.lastSurface = 30 * b;
            r.firstColumn = 4 * b - 3;
            r.lastColumn = 4 * b;
        }
    }

    static std::vector<int> Active() {
        std::vector<int> active;
        for (int b = 1; b <= NoBlocks; ++b) active.push_back(BlockTable[b].field11);
        return active;
    }
    static std::vector<int> Ranges() {
        return {FirstCell, LastCell, FirstSurface, LastSurface, FirstBedCell, LastBedCell};
    }

    std::string log() const { return here_.dir().read("boogie"); }

private:
    InProjectDir here_;
};

TEST_F(MorphologyRanges, WithoutG25EveryGridBlockComputes) {
    BlockTable[2].gridLevel = 2;
    SelectMorphologyBlock(1);
    EXPECT_EQ(Ranges(), (std::vector<int>{1, 30, 1, 90, 1, 12}));
    EXPECT_EQ(Active(), (std::vector<int>{1, 0, 1}));
}

TEST_F(MorphologyRanges, AnAppendedLayerBlockIsLeftOut) {
    BlockTable[3].layerBlock = 1;
    BlockTable[3].field11 = 1;
    SelectMorphologyBlock(1);
    EXPECT_EQ(Ranges(), (std::vector<int>{1, 20, 1, 60, 1, 8}));
    EXPECT_EQ(Active(), (std::vector<int>{1, 1, 0}));
}

struct GroupCase {
    const char* name;
    std::vector<int> g25;       // G 25 value of blocks 1..3
    int group;
    std::vector<int> ranges;    // {0} for an empty group
    std::vector<int> active;
};

void PrintTo(const GroupCase& row, std::ostream* os) { *os << row.name; }

class MorphologyGroups : public MorphologyRanges, public ::testing::WithParamInterface<GroupCase> {};

TEST_P(MorphologyGroups, GroupSelectsItsBlocks) {
    const GroupCase& c = GetParam();
    NoBlockSelectionValues = static_cast<int>(c.g25.size());
    for (size_t b = 0; b < c.g25.size(); ++b) BlockSelection[b + 1] = c.g25[b];
    SelectMorphologyBlock(c.group);
    if (c.ranges.size() == 1) {
        EXPECT_EQ(FirstCell, 0);
    } else {
        EXPECT_EQ(Ranges(), c.ranges);
    }
    EXPECT_EQ(Active(), c.active);
}

const GroupCase kGroupCases[] = {
    {"FirstGroup", {1, 2, 1}, 1, {1, 30, 1, 90, 1, 12}, {1, 0, 1}},
    {"SecondGroup", {1, 2, 1}, 2, {11, 20, 31, 60, 5, 8}, {0, 1, 0}},
    // Groups 1 and 3 given: group 2 has no block.
    {"GapGroupIsEmpty", {1, 3, 3}, 2, {0}, {0, 0, 0}},
    {"ValuesForMoreBlocksThanTheGridHas", {2, 2, 2, 1}, 1, {0}, {0, 0, 0}},
};

INSTANTIATE_TEST_SUITE_P(Rows, MorphologyGroups, ::testing::ValuesIn(kGroupCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(MorphologyRanges, F188PicksTheSedimentBlocks) {
    MorphologyBlock = 0;
    SetSedimentRanges();
    EXPECT_EQ(Ranges(), (std::vector<int>{1, 30, 1, 90, 1, 12}));

    BlockTable[2].overlapLevel = 1;
    BlockTable[3].overlapLevel = 2;
    MorphologyBlock = -1;
    SetSedimentRanges();
    EXPECT_EQ(Ranges(), (std::vector<int>{11, 30, 31, 90, 5, 12}));
    EXPECT_EQ(Active(), (std::vector<int>{0, 1, 1}));

    MorphologyBlock = 2;
    SetSedimentRanges();
    EXPECT_EQ(Ranges(), (std::vector<int>{11, 20, 31, 60, 5, 8}));
    EXPECT_EQ(Active(), (std::vector<int>{0, 1, 0}));
}

struct StepCase {
    const char* name;
    double groupOne;   // kg/s
    double expected;   // s
};

void PrintTo(const StepCase& row, std::ostream* os) { *os << row.name; }

class DischargeTimeStep : public MorphologyRanges, public ::testing::WithParamInterface<StepCase> {};

// F 350 10 2 2 0.5: 10 s at 2 m3/s, never below 2 s.
TEST_P(DischargeTimeStep, FollowsGroupOne) {
    DischargeTimeStepBase = 10.0;
    MinDischargeTimeStep = 2.0;
    ReferenceDischarge = 2.0;
    DischargeTimeStepExponent = 0.5;
    TimeStep = 5.0;
    GroupDischarge[1] = GetParam().groupOne;
    ComputeTimeStepFromDischarge();
    ComputeTimeStepFromDischarge();
    EXPECT_NEAR(TimeStep, GetParam().expected, 1e-4);
    const std::string text = log();
    const size_t notice = text.find("time step stays 5.000000 seconds");
    if (GetParam().groupOne > 0.0) {
        EXPECT_EQ(notice, std::string::npos) << text;
    } else {
        // Refused, and said once.
        ASSERT_NE(notice, std::string::npos) << text;
        EXPECT_EQ(text.find("time step stays", notice + 1), std::string::npos) << text;
    }
}

const StepCase kStepCases[] = {
    {"HalfTheReference", 1000.0, 14.1421},
    {"TwiceTheReference", 4000.0, 7.0711},
    {"FloodHitsTheLeastStep", 100000.0, 2.0},
    {"NoDischargeYetKeepsTheStep", 0.0, 5.0},
    {"NegativeDischargeKeepsTheStep", -1000.0, 5.0},
};

INSTANTIATE_TEST_SUITE_P(Rows, DischargeTimeStep, ::testing::ValuesIn(kStepCases),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(MorphologyRanges, TimeiStepOfZeroIsNotTaken) {
    TimeStep = 10.0;
    EXPECT_FALSE(AcceptMorphologyTimeStep(0.0, "the timei file"));
    EXPECT_DOUBLE_EQ(TimeStep, 10.0);
    EXPECT_TRUE(AcceptMorphologyTimeStep(4.0, "the timei file"));
    EXPECT_DOUBLE_EQ(TimeStep, 4.0);
}

}  // namespace
