// Flux relaxation of triangular shoreline cells (F 235 8 to 23).
#include "tests/flow/flow_case.h"

namespace {

class TrekantRelaxation : public FlowCase {
protected:
    // 2 x 2 cells: 1 (0,0), 2 (0,1), 3 (1,0), 4 (1,1); every flux 0.
    void Case(int code, int cell) {
        Box(2, 2, 1);
        ASSERT_TRUE(Ctrekant.allocate(static_cast<size_t>(NoCells) + 1));
        for (int c = 0; c <= NoCells; ++c) Ctrekant[c] = 0;
        Ctrekant[cell] = code;
        for (int s = 0; s <= NoSurfaces; ++s) Fflux[s] = 0.0;
        TrekantOption = 9;
        SolverVariant = 0;
    }
};

TEST_F(TrekantRelaxation, PairsOfFaces) {
    const struct {
        int code;
        double weight;
        double first, second;        // the two faces of the pair before
        double firstEnd, secondEnd;  // and after
    } rows[] = {
        {2, 0.8, 3.0, 1.0, 2.2, 1.8},   // north and west, d = 2
        {1, 1.0, 3.0, 1.0, 1.0, -1.0},  // north and east: d and -d
        {3, 1.0, 3.0, 1.0, 1.0, -1.0},  // south and west
        {4, 0.5, 3.0, 1.0, 2.5, 1.5},   // south and east, d = 2
        {1, 0.0, 3.0, 1.0, 3.0, 1.0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "code " << row.code << ", w " << row.weight);
        Case(row.code, 1);
        const int c = 1;
        const int first = row.code <= 2 ? Csurfn[c] : Csurfs[c];
        const int second = row.code == 1 || row.code == 4 ? Csurfe[c] : Csurfw[c];
        Fflux[first] = row.first;
        Fflux[second] = row.second;
        TrekantRelax = row.weight;
        Ctrekant[0] = 5;
        RelaxTrekantFluxes(1, NoCells);
        EXPECT_NEAR(Fflux[first], row.firstEnd, 1e-12);
        EXPECT_NEAR(Fflux[second], row.secondEnd, 1e-12);
        EXPECT_EQ(Ctrekant[0], 0);
    }
}

TEST_F(TrekantRelaxation, Groups) {
    const struct {
        const char* name;
        int option, variant;
        bool relaxed;
    } rows[] = {
        {"F 235 9", 9, 0, true},
        {"F 235 8", 8, 0, false},
        {"F 164 20", 9, 20, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        // Code 16 of cell 3, whose north neighbour is 4 and west neighbour 1.
        Case(16, 3);
        TrekantOption = row.option;
        SolverVariant = row.variant;
        TrekantRelax = 1.0;
        const int wN = Csurfw[4], nW = Csurfn[1], n = Csurfn[3], w = Csurfw[3];
        Fflux[wN] = 2.0;
        Fflux[nW] = 4.0;
        Fflux[n] = 1.0;
        Fflux[w] = 1.0;
        RelaxTrekantFluxes(1, NoCells);
        EXPECT_DOUBLE_EQ(Fflux[nW], row.relaxed ? 3.0 : 4.0);
        EXPECT_DOUBLE_EQ(Fflux[wN], row.relaxed ? 3.0 : 2.0);
        EXPECT_DOUBLE_EQ(Fflux[n], row.relaxed ? -3.0 : 1.0);
        EXPECT_DOUBLE_EQ(Fflux[w], row.relaxed ? -3.0 : 1.0);
    }
}

// A group carrier whose neighbour is missing (the metric cut the link after
// the codes were set) moves its own faces only; nothing lands in slot 0.
TEST_F(TrekantRelaxation, MissingNeighbourOfAGroup) {
    Case(5, 3);  // code 5 moves Fn(E); cell 3 has no east neighbour
    TrekantRelax = 1.0;
    Fflux[Csurfn[3]] = 3.0;
    Fflux[Csurfe[3]] = 1.0;
    RelaxTrekantFluxes(1, NoCells);
    EXPECT_NEAR(Fflux[Csurfn[3]], 0.3333 * 2.0, 1e-12);
    EXPECT_NEAR(Fflux[Csurfe[3]], -0.3333 * 2.0, 1e-12);
    EXPECT_EQ(Fflux[0], 0.0);
}

}  // namespace
