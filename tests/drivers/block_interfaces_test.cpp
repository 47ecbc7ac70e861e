// The exchange between linked cells of overlapping blocks, on a row of seven
// cells: block 1 (cells 1 to 3) receives, block 2 (cells 4 to 7) links to it
// (4 and 5 to cell 1, 6 to cell 2, 7 to nothing).
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "drivers/flow_drivers.h"
#include "run/globals.h"
#include "solver/solver_data.h"
#include "tests/support/equation_fixture.h"

namespace {

constexpr int kCells = 7;
constexpr std::array<int, kCells + 1> kLink = {0, 0, 0, 0, 1, 1, 2, 0};
constexpr std::array<double, kCells + 1> kVolume = {0, 1.0, 1.0, 1.0, 0.5, 1.5, 0.5, 2.0};
constexpr std::array<double, kCells + 1> kValue = {0, 1, 2, 3, 10, 20, 30, 40};
constexpr std::array<double, kCells + 1> kSource = {0, 0, 2, 0, 4, 8, 3, 0};

struct InterfaceCase {
    const char* name;
    int option;  // F 261 first value; 0 runs AverageBlockInterfaces
    double r;
    int partner;  // partner number of block 2
    std::array<double, 3> cap, source, value;  // cells 1 to 3 afterwards
};

void PrintTo(const InterfaceCase& row, std::ostream* os) { *os << row.name; }

class BlockInterfaces : public EquationTest, public ::testing::WithParamInterface<InterfaceCase> {
protected:
    void SetUp() override {
        MakeBoxGrid(kCells, 1, 1);
        const size_t slots = kCells + 1;
        ASSERT_TRUE(Clink.allocate(slots));
        ASSERT_TRUE(Cvol.allocate(slots));
        ASSERT_TRUE(CtdmaP.allocate(slots));
        ASSERT_TRUE(CtdmaQ.allocate(slots));
        ASSERT_TRUE(BoundaryCellNo.allocate(4));
        ASSERT_TRUE(BoundaryCellPartner.allocate(4, 4));
        ASSERT_TRUE(BoundaryCellWeight.allocate(4, 4));
        Cf.designate(CfHome);
        for (int c = 0; c <= kCells; ++c) {
            Clink[c] = kLink[c];
            Cvol[c] = kVolume[c];
            Cf[c] = kValue[c];
            Cap[c] = c == 0 ? 0.0 : 1.0;
            Csource[c] = kSource[c];
        }
        NoBlocks = 2;
        BlockTable[1].firstCell = 1;
        BlockTable[1].lastCell = 3;
        BlockTable[1].overlapLevel = 0;
        BlockTable[2].firstCell = 4;
        BlockTable[2].lastCell = 7;
        BlockTable[2].overlapLevel = GetParam().partner;
        MaxPartnerBlock = GetParam().partner;
        // Edge cells 4 and 5 name cell 1 as their first partner; the record
        // of 6 has a positive weight and does not count.
        NoBoundaryCells = 3;
        const int edge[4] = {0, 4, 5, 6};
        const double weight[4] = {0, -1.0, -1.0, 1.0};
        for (int r = 1; r <= 3; ++r) {
            BoundaryCellNo[r] = edge[r];
            BoundaryCellPartner[r][0] = edge[r] == 6 ? 2 : 1;
            BoundaryCellWeight[r][0] = weight[r];
        }
        BlockInterfaceOption = GetParam().option;
        BlockInterfaceRelax = GetParam().r;
    }
};

TEST_P(BlockInterfaces, ExchangeWithTheLinkedCells) {
    const InterfaceCase& p = GetParam();
    if (p.option == 0) {
        AverageBlockInterfaces();
    } else {
        CopyBlockBoundaryValues();
    }
    for (int c = 1; c <= 3; ++c) {
        EXPECT_DOUBLE_EQ(Cap[c], p.cap[c - 1]) << "Cap " << c;
        EXPECT_DOUBLE_EQ(Csource[c], p.source[c - 1]) << "Csource " << c;
        EXPECT_DOUBLE_EQ(Cf[c], p.value[c - 1]) << "Cf " << c;
    }
    // The linking block keeps its equations and values.
    for (int c = 4; c <= kCells; ++c) {
        EXPECT_EQ(Cap[c], 1.0) << c;
        EXPECT_EQ(Csource[c], kSource[c]) << c;
        EXPECT_EQ(Cf[c], kValue[c]) << c;
    }
    // Slot 0 is "no cell": nothing flows into it.
    EXPECT_EQ(Cap[0], 0.0);
    EXPECT_EQ(Csource[0], 0.0);
    EXPECT_EQ(Cf[0], 0.0);
}

// Cell 1 is covered twice over by 4 (10, 0.5 m3) and 5 (20, 1.5 m3): their
// volume-weighted mean is 17.5. Cell 2 is half covered by 6 (30): 16. Cell 3
// has no link and keeps its value.
INSTANTIATE_TEST_SUITE_P(
    Cases, BlockInterfaces,
    ::testing::Values(
        InterfaceCase{"AverageWithoutRelaxationKeepsTheValues", 0, 0.0, 1, {2, 1, 1}, {35, 16, 3}, {1, 2, 3}},
        InterfaceCase{"AverageTakesTheLinkedMean", 0, 1.0, 1, {2, 1, 1}, {35, 16, 3}, {17.5, 16, 3}},
        InterfaceCase{"AverageRelaxesHalfway", 0, 0.5, 1, {2, 1, 1}, {35, 16, 3}, {9.25, 9, 3}},
        // Each link divides the diagonal by 1 - r and pulls by r.
        InterfaceCase{"Option11DoublesThePerLinkDiagonal", 11, 0.5, 1, {4, 2, 1}, {50, 32, 0}, {1, 2, 3}},
        // Each link adds the linked volume's share of the diagonal.
        InterfaceCase{"Option16AddsTheVolumeShares", 16, 0.5, 1, {3.75, 1.5, 1}, {25, 9.5, 0}, {1, 2, 3}},
        InterfaceCase{"Option17NeedsAPartnerAboveOne", 17, 0.5, 1, {1, 1, 1}, {0, 2, 0}, {1, 2, 3}},
        // Cell 1 is pulled toward the mean 15 of its edge cells; no record
        // names cell 2 or 3.
        InterfaceCase{"Option18PullsTowardTheEdgeCells", 18, 0.5, 1, {1, 1, 1}, {7, 2, 0}, {1, 2, 3}},
        // The covered share takes the linked sources: cell 1 wholly, (4 +
        // 8) / 2 m3; cell 2 half, 0.5 x 2 + 0.5 x 3 / 0.5.
        InterfaceCase{"Option19TakesTheLinkedSources", 19, 0.5, 2, {1, 1, 1}, {6, 4, 0}, {1, 2, 3}}),
    [](const auto& i) { return std::string(i.param.name); });

}  // namespace
