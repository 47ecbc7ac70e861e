// Stopping and damping the velocities of the appended layer block.
#include "sediment/sediment_data.h"
#include "tests/flow/flow_case.h"

namespace {

class VelocityBlocking : public FlowCase {
protected:
    // 3 x 1 x 2 cells, all of them block 2, the appended block; U = V = W = 1.
    BoxGrid Block(int mode) {
        const BoxGrid g = Box(3, 1, 2, {}, "F 236 2 0 0 0.8\n");
        NoBlocks = 2;
        BlockTable[1].layerBlock = 0;
        BlockTable[2].layerBlock = 1;
        BlockTable[2].firstCell = 1;
        BlockTable[2].lastCell = NoCells;
        BlockingOption = mode;
        for (int c = 1; c <= NoCells; ++c) {
            Cu[c] = Cv[c] = Cw[c] = 1.0;
            CstressRatio[c] = 1.0;
            CstressCount[c] = 1;
        }
        return g;
    }
};

struct BlockingRow {
    const char* name;
    int mode;
    double ratio;
    int count;
    double factor;  // of the velocities of the middle bottom cell
};

void PrintTo(const BlockingRow& row, std::ostream* os) { *os << row.name; }

class BlockingModes : public VelocityBlocking, public ::testing::WithParamInterface<BlockingRow> {};

TEST_P(BlockingModes, ScaleTheVelocities) {
    const BlockingRow& row = GetParam();
    const BoxGrid g = Block(row.mode);
    for (int c = 1; c <= NoCells; ++c) {
        CstressRatio[c] = row.ratio;
        CstressCount[c] = row.count;
    }
    ApplyVelocityBlocking();
    const int c = g.cell(1, 0, 0);
    EXPECT_DOUBLE_EQ(Cu[c], row.factor);
    EXPECT_DOUBLE_EQ(Cv[c], row.factor);
    EXPECT_DOUBLE_EQ(Cw[c], row.factor);
}

const BlockingRow kBlockingRows[] = {
    {"CountBelowOne", 1, 1.0, 0, 0.0},
    {"CountOne", 1, 1.0, 1, 1.0},
    {"NegativeRatio", 2, -0.1, 1, 0.0},
    {"RatioZero", 2, 0.0, 1, 1.0},
    {"RatioBelowOne", 3, 0.99, 1, 0.0},
    {"RatioOne", 3, 1.0, 1, 1.0},
    {"HalfRatioHalves", 4, 0.5, 1, 0.5},
    {"LargeRatioKeeps", 4, 3.0, 1, 1.0},
    {"NegativeRatioStops", 4, -0.5, 1, 0.0},
    {"FourthPower", 5, 0.5, 1, 0.0625},
    {"NegativeRatioNeverAmplifies", 5, -2.0, 1, 0.0},
    {"BedCellsStop", 7, 1.0, 1, 0.0},
    {"UnknownMode", 8, -1.0, 0, 1.0},
};

INSTANTIATE_TEST_SUITE_P(Rows, BlockingModes, ::testing::ValuesIn(kBlockingRows),
                         [](const ::testing::TestParamInfo<BlockingRow>& i) { return std::string(i.param.name); });

TEST_F(VelocityBlocking, NothingWithoutAnAppendedBlock) {
    Block(1);
    BlockTable[2].layerBlock = 0;
    for (int c = 1; c <= NoCells; ++c) CstressCount[c] = 0;
    ApplyVelocityBlocking();
    for (int c = 1; c <= NoCells; ++c) EXPECT_EQ(Cu[c], 1.0);
}

TEST_F(VelocityBlocking, BedModeLeavesTheUpperCells) {
    const BoxGrid g = Block(7);
    ApplyVelocityBlocking();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Cu[g.cell(i, 0, 0)], 0.0);
        EXPECT_EQ(Cu[g.cell(i, 0, 1)], 1.0);
    }
}

// Mode 5 takes the upstream neighbour along i only: none without a flux.
TEST_F(VelocityBlocking, UpstreamNeighbourByTheWestFlux) {
    for (const double flux : {0.0, 1.0, -1.0}) {
        SCOPED_TRACE(flux);
        const BoxGrid g = Block(5);
        const int c = g.cell(1, 0, 0), w = g.cell(0, 0, 0);
        CstressRatio[w] = 0.5;
        Fflux[Csurfw[c]] = flux;
        ApplyVelocityBlocking();
        EXPECT_DOUBLE_EQ(Cu[c], flux > 0.0 ? 0.0625 : 1.0);
    }
}

TEST_F(VelocityBlocking, LevelModeStopsCellsUnderTheLayer) {
    const BoxGrid g = Block(6);
    for (int i = 0; i < 3; ++i) {
        for (int k = 0; k < 2; ++k) Cbedcell[g.cell(i, 0, k)] = i + 1;
        BlayerSlope[i + 1] = 1.0;  // between the two cell centres
    }
    ApplyVelocityBlocking();
    EXPECT_EQ(Cu[g.cell(1, 0, 0)], 0.0);
    EXPECT_EQ(Cu[g.cell(1, 0, 1)], 1.0);
}

}  // namespace
