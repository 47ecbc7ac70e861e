// Terms of the block-interface records: the inflow of transported values
// from the partner cells and the balance of the pressure correction.
#include <initializer_list>
#include <vector>

#include "sediment/sediment_data.h"
#include "tests/flow/flow_case.h"

namespace {

constexpr int kRecords = 4;

class BlockInterfaces : public FlowCase {
protected:
    // 4 x 2 cells of 1 m3. Record r has the edge cell (r-1, 0), its west face
    // (oriented into it) and one partner, the cell (r-1, 1) beside it, with
    // the direction (1, 0, 0). Edge cells move at `own`, partners at
    // `partner` along x (m/s, so m3/s through the 1 m2 face).
    void Case(const std::vector<double>& partner, const std::vector<double>& own, int overlapLevel) {
        g_ = Box(4, 2, 1);
        NoBoundaryCells = kRecords;
        const size_t n = kRecords + 1;
        for (ArrayBase* a : std::initializer_list<ArrayBase*>{&BoundaryCellNo, &BoundaryCellSurface, &BoundaryCellBlock,
                                                              &BoundaryCellValue, &BoundaryCellWeight,
                                                              &BoundaryCellPartner, &BoundaryCellPartnerXyz}) {
            a->release();
        }
        ASSERT_TRUE(BoundaryCellNo.allocate(n) && BoundaryCellSurface.allocate(n) && BoundaryCellBlock.allocate(n) &&
                    BoundaryCellValue.allocate(n) && BoundaryCellWeight.allocate(n, 4) &&
                    BoundaryCellPartner.allocate(n, 4) && BoundaryCellPartnerXyz.allocate(n, 4, 3));
        for (int r = 1; r <= kRecords; ++r) {
            const int c = Edge(r), p = g_.cell(r - 1, 1, 0);
            BoundaryCellNo[r] = c;
            BoundaryCellSurface[r] = Csurfw[c];
            BoundaryCellBlock[r] = 1;
            BoundaryCellValue[r] = 0.0;
            for (int m = 0; m < 4; ++m) {
                BoundaryCellPartner[r][m] = m == 0 ? p : 0;
                BoundaryCellWeight[r][m] = 0.0;
                for (int x = 0; x < 3; ++x) BoundaryCellPartnerXyz[r][m][x] = m == 0 && x == 0 ? 1.0 : 0.0;
            }
            Cu[c] = own[r - 1];
            Cu[p] = partner[r - 1];
        }
        BlockTable[1].overlapLevel = overlapLevel;
        for (int c = 1; c <= NoCells; ++c) Cap[c] = Csource[c] = 0.0;
    }
    int Edge(int r) const { return g_.cell(r - 1, 0, 0); }

    BoxGrid g_;
};

const std::vector<double> kRecordFluxes = {0.3, 0.2, -0.1, -0.2};

TEST_F(BlockInterfaces, PressureCorrectionBalance) {
    // Partners and edge cells at different velocities in record 3, where the
    // variants part.
    const std::vector<double> partner = {0.3, 0.2, 0.1, -0.2}, own = {0.3, 0.2, -0.1, -0.2};
    const struct {
        const char* name;
        int option, level;
        double discharge;  // GroupDischarge[1], kg/s
        double values[kRecords];
    } rows[] = {
        {"F 280 0", 0, 2, -1.0, {0.3, 0.2, 0.0, -0.5}},
        {"overlap level 1", 1, 1, -1.0, {0.3, 0.2, 0.0, -0.5}},
        {"F 280 1", 1, 2, -1.0, {0.3, 0.2, 0.1, -0.6}},
        {"F 280 2", 2, 2, -1.0, {0.3, 0.2, -0.1 * 5.0 / 3.0, -0.2 * 5.0 / 3.0}},
        {"F 280 3", 3, 2, 1000.0, {0.3, 0.2, 0.1, -0.1}},
        // Without a discharge of group 1 the outflows are left unscaled.
        {"F 280 3 without a discharge", 3, 2, -1.0, {0.3, 0.2, 0.1, -0.2}},
        {"another F 280", 7, 2, -1.0, {0.3, 0.2, 0.1, 0.0}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Case(partner, own, row.level);
        F280Option = row.option;
        GroupDischarge[1] = row.discharge;
        Equation = 4;
        AddBlockInterfaceSources();
        for (int r = 1; r <= kRecords; ++r) {
            EXPECT_NEAR(BoundaryCellValue[r], row.values[r - 1], 1e-12) << "record " << r;
            EXPECT_NEAR(Csource[Edge(r)], 1000.0 * row.values[r - 1], 1e-9) << "record " << r;
            EXPECT_EQ(Cap[Edge(r)], 0.0);
        }
    }
}

// All at one velocity under overlap level 1: the outflows are scaled by 5/3
// and the block's sources sum to nothing.
TEST_F(BlockInterfaces, OutflowsBalanceTheInflows) {
    Case(kRecordFluxes, kRecordFluxes, 1);
    F280Option = 2;
    Equation = 4;
    AddBlockInterfaceSources();
    EXPECT_NEAR(BoundaryCellValue[3], -0.1666666667, 1e-9);
    EXPECT_NEAR(BoundaryCellValue[4], -0.3333333333, 1e-9);
    double sum = 0.0;
    for (int r = 1; r <= kRecords; ++r) sum += Csource[Edge(r)];
    EXPECT_NEAR(sum, 0.0, 1e-9);
    // A block that takes no part in the balance gets no source.
    Case(kRecordFluxes, kRecordFluxes, 0);
    AddBlockInterfaceSources();
    for (int r = 1; r <= kRecords; ++r) EXPECT_EQ(Csource[Edge(r)], 0.0);
}

TEST_F(BlockInterfaces, TransportedValuesEnterUpwind) {
    Case(kRecordFluxes, kRecordFluxes, 1);
    for (int r = 1; r <= kRecords; ++r) {
        const int p = g_.cell(r - 1, 1, 0);
        Cv[p] = 2.0 * r;
        Ck[p] = 0.01 * r;
    }
    Equation = 1;
    AddBlockInterfaceSources();
    // Inflow records only: 1000 q into Cap, 1000 q times the partner's U.
    const double inflow[kRecords] = {300.0, 200.0, 0.0, 0.0};
    for (int r = 1; r <= kRecords; ++r) {
        EXPECT_NEAR(Cap[Edge(r)], inflow[r - 1], 1e-9);
        EXPECT_NEAR(Csource[Edge(r)], inflow[r - 1] * kRecordFluxes[r - 1], 1e-9);
    }
    // V and k reuse the weights of the U (or k) pass.
    for (const int equation : {2, 5}) {
        for (int c = 1; c <= NoCells; ++c) Cap[c] = Csource[c] = 0.0;
        Equation = equation;
        AddBlockInterfaceSources();
        const double phi = equation == 2 ? 2.0 : 0.01;
        EXPECT_NEAR(Csource[Edge(1)], 300.0 * phi, 1e-9);
        EXPECT_NEAR(Csource[Edge(2)], 200.0 * 2.0 * phi, 1e-9);
    }
    // F 126 switches the records off.
    F126Flag = 1;
    for (int c = 1; c <= NoCells; ++c) Cap[c] = Csource[c] = 0.0;
    Equation = 1;
    BoundaryCellValue[1] = 9.0;
    AddBlockInterfaceSources();
    EXPECT_EQ(Cap[Edge(1)], 0.0);
    EXPECT_EQ(BoundaryCellValue[1], 9.0);
}

// A record on a face whose second cell is missing: the edge cell is its
// first cell, and the flux into it is the reversed one.
TEST_F(BlockInterfaces, FaceWithTheEdgeCellFirst) {
    Case(kRecordFluxes, kRecordFluxes, 1);
    const int c = Edge(4);
    BoundaryCellSurface[4] = Csurfe[c];  // the east boundary of the box
    Equation = 1;
    AddBlockInterfaceSources();
    EXPECT_NEAR(BoundaryCellValue[4], 0.2, 1e-12);
    EXPECT_NEAR(Cap[c], 200.0, 1e-9);
}

// Sediment terms only in the sediment computation's own passes, and only
// for its sizes; a component pass gets none.
TEST_F(BlockInterfaces, SedimentTerms) {
    const struct {
        const char* name;
        bool sedimentPass;
        int flagTsc, sizes, equation;
        bool single, multi;  // terms in Cap / CapMulti[equation - 6]
    } rows[] = {
        {"one size", true, 1, 1, 7, true, false},
        {"component pass", false, 1, 1, 7, false, false},
        {"beyond the sizes", true, 1, 1, 8, false, false},
        {"no sediment (F 37 0)", true, 0, 1, 7, false, false},
        {"second of two sizes", true, 1, 2, 8, false, true},
        {"component beyond two sizes", true, 1, 2, 9, false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Case(kRecordFluxes, kRecordFluxes, 1);
        Equation = 1;
        AddBlockInterfaceSources();  // the weights
        for (ArrayBase* a : std::initializer_list<ArrayBase*>{&conc, &CapMulti, &CsourceMulti}) a->release();
        ASSERT_TRUE(conc.allocate(4, static_cast<size_t>(NoCells) + 1) &&
                    CapMulti.allocate(4, static_cast<size_t>(NoCells) + 1) &&
                    CsourceMulti.allocate(4, static_cast<size_t>(NoCells) + 1));
        const int p = g_.cell(0, 1, 0);
        for (int k = 0; k < 4; ++k) {
            conc[k][p] = 0.001 * (k + 1);
            CapMulti[k][Edge(1)] = CsourceMulti[k][Edge(1)] = 0.0;
        }
        Cap[Edge(1)] = Csource[Edge(1)] = 0.0;
        FlagTSC = row.flagTsc;
        NoSizes = row.sizes;
        Equation = row.equation;
        AddBlockInterfaceSources(row.sedimentPass);
        EXPECT_EQ(Cap[Edge(1)], row.single ? 300.0 : 0.0);
        EXPECT_NEAR(Csource[Edge(1)], row.single ? 300.0 * 0.002 : 0.0, 1e-12);
        const int size = row.equation - 6;
        if (size < 4) {
            EXPECT_EQ(CapMulti[size][Edge(1)], row.multi ? 300.0 : 0.0);
            EXPECT_NEAR(CsourceMulti[size][Edge(1)], row.multi ? 300.0 * 0.001 * (size + 1) : 0.0, 1e-12);
        }
    }
}

}  // namespace
