// The generation with split faces (F 137): layers aligned at the bed, and the
// top cell of a shallower column facing several cells of its neighbour.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "grid/grid_invariants.h"
#include "tests/grid/generation_case.h"

namespace {

std::string Messages(const GridCheck& check) {
    std::string all;
    for (const std::string& m : check.messages) all += m + "\n";
    return all;
}

struct PairRow {
    int n, n2;          // layers of the shallower and the deeper column
    int nz;             // G 1 third value: the deeper column gets nz - 1 layers
    double depth;       // of the shallower column's nodes, against 1 m
    bool deeperFirst;   // the deeper column lies west of the shallower one
};

void PrintTo(const PairRow& row, std::ostream* os) {
    *os << row.n << " and " << row.n2 << " layers, nz " << row.nz << ", depth " << row.depth
        << (row.deeperFirst ? ", deeper first" : "");
}

class SplitPairs : public GenerationCase, public ::testing::WithParamInterface<PairRow> {};

// Two rows of two columns side by side in x; linear levels (F 87 1) from
// the deepest node's 1 m.
TEST_P(SplitPairs, TopCellFacesTheDeeperColumnAboveItsLevel) {
    const PairRow& row = GetParam();
    Start(4, 4, row.nz, "F 137 1\nF 87 1\n");
    const int deepNodes = row.deeperFirst ? 1 : 3, sharedNodes = 2, shallowNodes = row.deeperFirst ? 3 : 1;
    for (int j = 1; j <= 3; ++j) {
        SetNode(deepNodes, j, 0.0, 1.0);
        SetNode(sharedNodes, j, 1.0 - row.depth, 1.0);
        SetNode(shallowNodes, j, 1.0 - row.depth, 1.0);
    }
    EngineCall call = Generate();
    ASSERT_EQ(call.result, 1) << call.log;
    const int shallow = row.deeperFirst ? 3 : 2, deep = row.deeperFirst ? 2 : 3;
    ASSERT_EQ(GridWetColumn[shallow][2], row.n);
    ASSERT_EQ(GridWetColumn[deep][2], row.n2);
    // The bed cells sit at level 2 of both columns.
    EXPECT_EQ(CellIndex3[shallow][2][2], Cell(shallow, 2, 1));
    EXPECT_EQ(CellIndex3[deep][2][2], Cell(deep, 2, 1));

    const int c = Cell(shallow, 2, row.n);
    const int count = row.n2 - row.n + 1;
    const Array1<int>& counts = row.deeperFirst ? Cnocellsw : Cnocellse;
    const Array2<int>& list = row.deeperFirst ? CnbMultiW : CnbMultiE;
    const Array1<int>& facing = row.deeperFirst ? Csurfe : Csurfw;
    const Array1<int>& own = row.deeperFirst ? Csurfw : Csurfe;
    EXPECT_EQ(counts[c], count);
    const Array1<int>& otherCounts = row.deeperFirst ? Cnocellse : Cnocellsw;
    EXPECT_EQ(otherCounts[c] + Cnocellss[c] + Cnocellsn[c], 0);
    std::vector<int> listed;
    for (int e = 0; e < count; ++e) {
        const int nb = Cell(deep, 2, row.n + e);
        EXPECT_EQ(list[c][e], nb) << "entry " << e;
        listed.push_back(nb);
        // Each facing cell reaches the top cell through a face of its own.
        const int f = facing[nb];
        EXPECT_EQ(row.deeperFirst ? Fcell2[f] : Fcell1[f], c) << "entry " << e;
        EXPECT_NE(f, own[c]);
        EXPECT_EQ(row.deeperFirst ? Ccelle[nb] : Ccellw[nb], c);
    }
    for (int e = count; e < static_cast<int>(list.extent2()); ++e) EXPECT_EQ(list[c][e], 0) << "entry " << e;
    // The top cell's own face stands for the side, with a listed cell behind it.
    const int f = own[c];
    EXPECT_EQ(Fgenflag[f], 1);
    const int behind = row.deeperFirst ? Fcell1[f] : Fcell2[f];
    EXPECT_NE(std::find(listed.begin(), listed.end(), behind), listed.end()) << behind;
    // Below the top cell the columns meet face to face.
    for (int layer = 1; layer < row.n; ++layer) {
        const int a = Cell(shallow, 2, layer), b = Cell(deep, 2, layer);
        EXPECT_EQ(own[a], facing[b]) << "layer " << layer;
        EXPECT_EQ(Fgenflag[own[a]], 0);
    }
    int flagged = 0;
    for (int s = 1; s <= NoSurfaces; ++s) flagged += Fgenflag[s];
    EXPECT_EQ(flagged, 2);  // one per row
    const GridCheck check = CheckGridInvariants();
    EXPECT_TRUE(check.ok()) << Messages(check);
}

const PairRow kPairRows[] = {
    {2, 4, 5, 0.5, false}, {2, 5, 6, 0.4, false}, {3, 4, 5, 0.8, false},
    {2, 4, 5, 0.5, true},  {2, 5, 6, 0.4, true},  {3, 4, 5, 0.8, true},
};

INSTANTIATE_TEST_SUITE_P(Rows, SplitPairs, ::testing::ValuesIn(kPairRows),
                         [](const ::testing::TestParamInfo<PairRow>& i) {
                             return std::to_string(i.param.n) + "Beside" + std::to_string(i.param.n2) +
                                    (i.param.deeperFirst ? "West" : "East");
                         });

TEST_F(GenerationCase, SplitFacesEqualColumnsShareEveryFace) {
    Start(6, 5, 6, "F 137 1\n");
    ASSERT_EQ(Generate().result, 1);
    ASSERT_EQ(NoCells, 4 * 3 * 5);
    for (int c = 1; c <= NoCells; ++c) {
        EXPECT_EQ(Cnocellse[c] + Cnocellsw[c] + Cnocellss[c] + Cnocellsn[c], 0) << c;
        if (Ccelle[c] != 0) {
            EXPECT_EQ(Csurfe[c], Csurfw[Ccelle[c]]) << c;
        }
        if (Ccelln[c] != 0) {
            EXPECT_EQ(Csurfn[c], Csurfs[Ccelln[c]]) << c;
        }
    }
    for (int s = 1; s <= NoSurfaces; ++s) EXPECT_EQ(Fgenflag[s], 0) << s;
    // The layers are even from the bed up.
    const int bed = Cell(3, 3, 1);
    for (int l = 0; l < 5; ++l) EXPECT_NEAR(Pz1[Cpoint5[bed + l]] - Pz1[Cpoint1[bed + l]], 0.2, 1e-9) << l;
    const GridCheck check = CheckGridInvariants();
    EXPECT_TRUE(check.ok()) << Messages(check);
}

// With the F 94 depths at 0 and every node dry on its bed there is no
// largest depth to scale by.
TEST_F(GenerationCase, SplitFacesWithoutAnyDepthDivideByNothing) {
    Start(4, 4, 5, "F 137 1\nF 94 0 0\n");
    for (int i = 1; i <= 3; ++i) {
        for (int j = 1; j <= 3; ++j) SetNode(i, j, 1.0, 1.0);
    }
    EngineCall call = Generate();
    ASSERT_FALSE(call.ended) << call.log;
    ASSERT_EQ(call.result, 1) << call.log;
    EXPECT_EQ(NoCells, 4 * 4);
    for (int p = 1; p <= NoPoints; ++p) ASSERT_EQ(Pz1[p], 1.0) << p;
}

// F 64 chooses no algorithm while F 137 is set.
TEST_F(GenerationCase, SplitFacesIgnoreTheF64Algorithm) {
    std::vector<double> heights[2];
    int run = 0;
    for (const char* f64 : {"F 64 11\n", "F 64 20\n"}) {
        Start(5, 4, 6, std::string("F 137 1\n") + f64);
        for (int j = 1; j <= 3; ++j) {
            SetNode(1, j, 0.0, 1.0);
            SetNode(2, j, 0.3, 1.0);
            SetNode(3, j, 0.6, 1.0);
            SetNode(4, j, 0.6, 1.0);
        }
        ASSERT_EQ(Generate().result, 1);
        for (int p = 1; p <= NoPoints; ++p) heights[run].push_back(Pz1[p]);
        ++run;
    }
    EXPECT_GT(heights[0].size(), 0u);
    EXPECT_EQ(heights[0], heights[1]);
}

}  // namespace
