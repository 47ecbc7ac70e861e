// Links between the cells of overlapping blocks, and the partner cells of the
// block-boundary records.
#include <vector>

#include "tests/grid/metric_case.h"

namespace {

struct Centre {
    double x, y, z;
};

// Cells of the blocks in order; each cell a centre and half lengths.
class Blocks {
public:
    void add(int level, const std::vector<Centre>& centres, double half = 0.5) {
        const int b = ++NoBlocks;
        BlockTable[b].overlapLevel = level;
        BlockTable[b].firstCell = NoCells + 1;
        for (const Centre& c : centres) {
            const int n = ++NoCells;
            Cxcenter[n] = c.x;
            Cycenter[n] = c.y;
            Czcenter[n] = c.z;
            Cidist[n] = Cjdist[n] = Ckdist[n] = half;
        }
        BlockTable[b].lastCell = NoCells;
    }
};

std::vector<Centre> Lattice(int ni, int nj, int nk) {
    std::vector<Centre> v;
    for (int i = 0; i < ni; ++i) {
        for (int j = 0; j < nj; ++j) {
            for (int k = 0; k < nk; ++k) v.push_back({i + 0.5, j + 0.5, k + 0.5});
        }
    }
    return v;
}

// Block 1: a lattice of 4 x 4 x 2 cells (1 to 32). Block 2, one level up:
// scattered cells over it (33 on), the last one far away. Block 3, last in
// the table, sits on block 2's cells but is never a partner.
std::vector<Centre> OverlapCells() {
    std::vector<Centre> v;
    for (int n = 0; n < 40; ++n) {
        const double a = 0.37 * n, b = 0.61 * n, c = 0.23 * n;
        v.push_back({0.2 + 3.6 * (a - static_cast<int>(a)), 0.2 + 3.6 * (b - static_cast<int>(b)),
                     0.2 + 1.6 * (c - static_cast<int>(c))});
    }
    v.push_back({50.0, 50.0, 1.0});
    return v;
}

class BlockLinks : public MetricCase {
protected:
    void SetUp() override {
        Start();
        NoCells = 0;
        NoBlocks = 0;
        blocks_.add(0, Lattice(4, 4, 2));
        overlap_ = OverlapCells();
        blocks_.add(1, overlap_);
        blocks_.add(0, overlap_);
    }

    // The nearest lattice cell, the earlier of equals.
    static int Nearest(const Centre& p) {
        int best = 0;
        double bestD2 = 1e30;
        for (int c = BlockTable[1].firstCell; c <= BlockTable[1].lastCell; ++c) {
            const double dx = Cxcenter[c] - p.x, dy = Cycenter[c] - p.y, dz = Czcenter[c] - p.z;
            const double d2 = dx * dx + dy * dy + dz * dz;
            if (d2 < bestD2) {
                best = c;
                bestD2 = d2;
            }
        }
        return best;
    }

    static std::vector<int> Links(int threads, int parallelSwitch) {
        NoThreads = threads;
        OpenMPSwitches[11] = parallelSwitch;
        for (int c = 0; c <= NoCells; ++c) Clink[c] = -1;
        Clink[0] = 0;
        LinkBlockCells();
        std::vector<int> links;
        for (int c = 1; c <= NoCells; ++c) links.push_back(Clink[c]);
        return links;
    }

    void ExpectNearest(const std::vector<int>& links) const {
        const int first = BlockTable[2].firstCell;
        for (size_t n = 0; n + 1 < overlap_.size(); ++n) {
            EXPECT_EQ(links[first - 1 + n], Nearest(overlap_[n])) << "cell " << first + static_cast<int>(n);
        }
        EXPECT_EQ(links[BlockTable[2].lastCell - 1], 0);
    }

    Blocks blocks_;
    std::vector<Centre> overlap_;
};

// The parallel search gives the same links on one thread and on four, and
// where both searches reach, the serial one agrees. Blocks of level 0 are not
// linked at all.
TEST_F(BlockLinks, SerialAndThreadedSearchesAgree) {
    const std::vector<int> serial = Links(0, 1);
    const std::vector<int> oneThread = Links(1, 0);
    const std::vector<int> fourThreads = Links(4, 0);
    EXPECT_EQ(oneThread, fourThreads);
    EXPECT_EQ(serial, fourThreads);
    ExpectNearest(fourThreads);
    for (int c = 1; c <= BlockTable[1].lastCell; ++c) EXPECT_EQ(fourThreads[c - 1], -1);
}

// The serial search reaches ten times as far up and down: a slender cell
// 1.5 m above the lattice links only there.
TEST_F(BlockLinks, SerialSearchReachesFurtherVertically) {
    const int c = BlockTable[2].firstCell;
    Cxcenter[c] = 0.5;
    Cycenter[c] = 0.5;
    Czcenter[c] = 3.0;
    Cidist[c] = Cjdist[c] = 0.25;
    EXPECT_EQ(Links(0, 1)[c - 1], 2);
    EXPECT_EQ(Links(4, 0)[c - 1], 0);
}

// Columns counted but no table of partner columns (F 66 without a block
// interface or coupling): the search over the cells links them.
TEST_F(BlockLinks, WithoutPartnerColumnsTheCellsAreSearched) {
    NoBedCells = 5;
    ASSERT_FALSE(Bconnection.exists());
    ExpectNearest(Links(0, 1));
}

// With the columns counted each column of the overlapping block is linked
// level by level to its partner column; a column without a partner stays
// unlinked.
TEST_F(MetricCase, ColumnsLinkToTheirPartnerColumns) {
    Start();
    MakeBoxGeometry(2, 1, 3);
    MetricRuns();
    // Two blocks of one column each that overlap rather than touch.
    for (int c = 1; c <= 3; ++c) Ccelle[c] = 0;
    NoBlocks = 2;
    BlockTable[1].iLast = 1;
    BlockTable[1].lastCell = 3;
    BlockTable[2] = BlockTable[1];
    BlockTable[2].iFirst = BlockTable[2].iLast = 2;
    BlockTable[2].firstCell = 4;
    BlockTable[2].lastCell = 6;
    BlockTable[2].overlapLevel = 1;
    BlockTable[2].firstColumn = BlockTable[2].lastColumn = 2;
    NoBedCells = 2;
    Bkooi[1] = 1;
    Bkooj[1] = 1;
    Bkooi[2] = 2;
    Bkooj[2] = 1;
    ASSERT_TRUE(Bconnection.allocate(8));
    Bconnection[2] = 1;
    LinkBlockCells();
    for (int c = 1; c <= 6; ++c) EXPECT_EQ(Clink[c], c > 3 ? c - 3 : 0) << "cell " << c;
    Bconnection[2] = 0;
    for (int c = 1; c <= 6; ++c) Clink[c] = 0;
    LinkBlockCells();
    for (int c = 1; c <= 6; ++c) EXPECT_EQ(Clink[c], 0) << "cell " << c;
}

// Three columns of two cells. The face between the first two columns takes,
// as partners, the cells in front of it at its level, nearest first; the
// west wall has nothing in front of it.
TEST_F(MetricCase, BoundaryRecordPartners) {
    Start();
    const BoxGrid g = MakeBoxGeometry(3, 1, 2);
    NoBoundaryCells = 2;
    BoundaryCellSurface[1] = Csurfe[g.cell(0, 0, 0)];
    BoundaryCellSurface[2] = Csurfw[g.cell(0, 0, 0)];
    BoundaryCellPartner[2][0] = 99;
    MetricRuns();
    const int expected[4] = {g.cell(1, 0, 0), g.cell(2, 0, 0), 0, 0};
    const double xyz[4][3] = {{1, 0, 0}, {1, 0, 0}, {0, 0, 0}, {0, 0, 0}};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(BoundaryCellPartner[1][k], expected[k]) << "partner " << k;
        for (int a = 0; a < 3; ++a) EXPECT_NEAR(BoundaryCellPartnerXyz[1][k][a], xyz[k][a], 1e-12);
        EXPECT_EQ(BoundaryCellPartner[2][k], 0);
    }
    // With a single record nothing is searched.
    NoBoundaryCells = 1;
    BoundaryCellPartner[1][0] = 99;
    MetricRuns();
    EXPECT_EQ(BoundaryCellPartner[1][0], 99);
}

}  // namespace
