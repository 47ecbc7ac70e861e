// The cell constructor on single cells: which points and faces it creates,
// shares and collapses.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <tuple>

#include "grid/grid_data.h"
#include "grid/grid_invariants.h"
#include "grid/grid_services.h"
#include "run/globals.h"
#include "tests/support/control_text.h"
#include "tests/grid/generation_case.h"
#include "tests/support/grid_engine.h"

namespace {

// A unit cube at (x0, 0, 0) with no neighbours and no known faces.
void DescribeCube(double x0) {
    CellWork = {};
    const double x[4] = {0, 1, 1, 0}, y[4] = {0, 0, 1, 1};
    for (int c = 0; c < 4; ++c) {
        CellWork.x[c + 1] = CellWork.x[c + 5] = x0 + x[c];
        CellWork.y[c + 1] = CellWork.y[c + 5] = y[c];
        CellWork.z[c + 1] = 0.0;
        CellWork.z[c + 5] = 1.0;
    }
}

Array1<int>* const kCorners[8] = {&Cpoint1, &Cpoint2, &Cpoint3, &Cpoint4, &Cpoint5, &Cpoint6, &Cpoint7, &Cpoint8};

struct ConstructorCase {
    const char* name;
    std::string control;
    std::function<void()> build;  // builds what comes before and describes cell 2
    int newPoints, newFaces;
    std::function<void()> check;
};

void PrintTo(const ConstructorCase& row, std::ostream* os) { *os << row.name; }

class CellConstructor : public ::testing::TestWithParam<ConstructorCase> {
protected:
    InProjectDir here_;
};

TEST_P(CellConstructor, BuildsTheCell) {
    const ConstructorCase& c = GetParam();
    WriteHere("control", "G 1 4 4 3 1\nF 65 20 40 40 10 10\n" + c.control);
    EngineCall start = StartEngineHere();
    ASSERT_EQ(start.result, 0) << start.log;
    c.build();
    const int points = NoPoints, faces = NoSurfaces;
    EXPECT_EQ(AddHexCell(2), 0);
    EXPECT_EQ(NoPoints - points, c.newPoints);
    EXPECT_EQ(NoSurfaces - faces, c.newFaces);
    c.check();
}

void LoneCube() { DescribeCube(0.0); }

// Cell 1 is the unit cube; cell 2 lies east of it and knows its west face.
void EastOfCellOne() {
    DescribeCube(0.0);
    CellWork.neighbour[2] = 2;
    AddHexCell(1);
    DescribeCube(1.0);
    CellWork.neighbour[4] = 1;
    CellWork.surface[4] = Csurfe[1];
}

// Cell 1 below; cell 2 on top of it with a collapsed corner 1.
void OnTopWithCollapsedCorner() {
    DescribeCube(0.0);
    AddHexCell(1);
    DescribeCube(0.0);
    for (int c = 1; c <= 8; ++c) CellWork.z[c] += 1.0;
    CellWork.z[5] = CellWork.z[1] - 1e-9;
    CellWork.surface[5] = Csurft[1];
    CellWork.neighbour[5] = 1;
}

// Cell 1 south-east of cell 2, cell 3 west of it, and no cell at the corner
// between them: cells 1 and 3 each made a point at (1, 1), height `z`, for
// cell 3's corners 2 and 6.
void AcrossAMissingCorner(double z) {
    DescribeCube(1.0);
    AddHexCell(1);
    DescribeCube(0.0);
    for (int c = 1; c <= 8; ++c) CellWork.y[c] += 1.0;
    CellWork.z[2] = z;
    AddHexCell(3);
    DescribeCube(1.0);
    for (int c = 1; c <= 8; ++c) CellWork.y[c] += 1.0;
    CellWork.surface[1] = Csurfn[1];
    CellWork.surface[4] = Csurfe[3];
    CellWork.neighbour[1] = 1;
    CellWork.neighbour[4] = 3;
}

const ConstructorCase kCases[] = {
    // Both faces hold a point at corner 1: cell 3's copy gives way, so the
    // cell and both faces use one point.
    {"OnePointAcrossAMissingCorner", "", [] { AcrossAMissingCorner(0.0); }, 2, 4,
     [] {
         EXPECT_EQ(Cpoint1[2], Cpoint4[1]);
         EXPECT_EQ(Cpoint5[2], Cpoint8[1]);
         EXPECT_EQ(Fpoint1[Csurfs[2]], Cpoint1[2]);
         EXPECT_EQ(Fpoint1[Csurfw[2]], Cpoint1[2]);
         EXPECT_EQ(Fpoint4[Csurfw[2]], Cpoint5[2]);
         EXPECT_EQ(Cpoint2[3], Cpoint4[1]);  // cell 3 and its faces follow
         EXPECT_EQ(Fpoint1[Csurfe[3]], Cpoint4[1]);
         EXPECT_EQ(Fpoint2[Csurfb[3]], Cpoint4[1]);
     }},
    // Points at different places are a conflict the constructor does not
    // hide: the later face (west) gives the corner.
    {"ALaterFaceAtAnotherPlaceWins", "", [] { AcrossAMissingCorner(0.25); }, 2, 4,
     [] {
         EXPECT_EQ(Cpoint1[2], Cpoint2[3]);
         EXPECT_NE(Cpoint1[2], Cpoint4[1]);
         EXPECT_EQ(Fpoint1[Csurfs[2]], Cpoint4[1]);
     }},

    {"NoFaceKnown", "", LoneCube, 8, 6,
     [] {
         // South (corners 1, 2, 5, 6), then east (3, 7), then north (4, 8).
         const int expected[8] = {1, 2, 5, 7, 3, 4, 6, 8};
         for (int k = 0; k < 8; ++k) EXPECT_EQ((*kCorners[k])[2], expected[k]) << "corner " << k + 1;
         EXPECT_EQ(Csurfs[2], 1);
         EXPECT_EQ(Csurft[2], 6);
         EXPECT_EQ(Fcell1[Csurfs[2]], 0);  // south, west and bottom: the cell on the + side
         EXPECT_EQ(Fcell2[Csurfs[2]], 2);
         EXPECT_EQ(Fcell1[Csurfe[2]], 2);  // east, north and top: the cell on the - side
         EXPECT_EQ(Fcell2[Csurfe[2]], 0);
         EXPECT_EQ(Fpoint2[Csurfs[2]], Cpoint5[2]);
         EXPECT_DOUBLE_EQ(Pz1[Cpoint7[2]], 1.0);
     }},
    {"SharedSideFace", "", EastOfCellOne, 4, 5,
     [] {
         EXPECT_EQ(Csurfw[2], Csurfe[1]);
         EXPECT_EQ(Fcell1[Csurfw[2]], 1);
         EXPECT_EQ(Fcell2[Csurfw[2]], 2);
         EXPECT_EQ(Cpoint1[2], Cpoint2[1]);
         EXPECT_EQ(Cpoint8[2], Cpoint7[1]);
         EXPECT_EQ(Ccellw[2], 1);
         EXPECT_DOUBLE_EQ(Px1[Cpoint2[2]], 2.0);
     }},
    {"AllFacesKnownCreatesNothing", "",
     [] {
         DescribeCube(0.0);
         AddHexCell(1);
         DescribeCube(5.0);  // coordinates that the known faces override
         for (int s = 1; s <= 6; ++s) CellWork.surface[s] = 0;
         CellWork.surface[1] = Csurfs[1];
         CellWork.surface[2] = Csurfe[1];
         CellWork.surface[3] = Csurfn[1];
         CellWork.surface[4] = Csurfw[1];
         CellWork.surface[5] = Csurfb[1];
         CellWork.surface[6] = Csurft[1];
     },
     0, 0,
     [] {
         for (int k = 0; k < 8; ++k) EXPECT_EQ((*kCorners[k])[2], (*kCorners[k])[1]);
         // A slot already filled sends the cell to the other one.
         EXPECT_EQ(Fcell1[Csurfs[1]], 2);
         EXPECT_EQ(Fcell2[Csurfs[1]], 1);
         EXPECT_EQ(Fcell1[Csurfe[1]], 1);
         EXPECT_EQ(Fcell2[Csurfe[1]], 2);
     }},
    {"ZeroHeightEdgeKeepsTwoPoints", "", OnTopWithCollapsedCorner, 4, 5,
     [] {
         EXPECT_NE(Cpoint5[2], Cpoint1[2]);
         EXPECT_EQ(Cpoint1[2], Cpoint5[1]);
         EXPECT_EQ(Csurfb[2], Csurft[1]);
         EXPECT_EQ(Fcell2[Csurft[1]], 2);
     }},
    {"F299CollapsesTheZeroHeightEdge", "F 299 1\n", OnTopWithCollapsedCorner, 3, 5,
     [] {
         EXPECT_EQ(Cpoint5[2], Cpoint1[2]);
         EXPECT_NE(Cpoint6[2], Cpoint2[2]);
         EXPECT_EQ(Fpoint2[Csurfs[2]], Cpoint1[2]);
     }},
};

INSTANTIATE_TEST_SUITE_P(Rows, CellConstructor, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<ConstructorCase>& i) { return std::string(i.param.name); });

// Columns left out of a block (here by G 13 marks) leave concave corners
// where the columns on both sides meet again: the grid keeps one point per
// node and level there, with the default generation and with the fixed
// levels of F 64 0 (the other constructor).
class ColumnGaps : public GenerationCase {};

TEST_F(ColumnGaps, LeaveOnePointAtEachNode) {
    for (const char* algorithm : {"", "F 64 0\n"}) {
        SCOPED_TRACE(algorithm);
        Start(7, 7, 5, algorithm);
        GridRegion[3][3] = 1;
        GridRegion[4][5] = 1;
        const EngineCall call = Generate();
        ASSERT_FALSE(call.ended) << call.log;
        ASSERT_EQ(Gridz[3][3][0], 0.0);
        ASSERT_GT(Gridz[4][3][0], 0.0);
        const GridCheck check = CheckGridInvariants();
        EXPECT_TRUE(check.ok()) << (check.messages.empty() ? "" : check.messages.front());
        std::map<std::tuple<double, double, double>, int> at;
        for (int c = 1; c <= NoCells; ++c) {
            for (Array1<int>* corner : kCorners) {
                const int p = (*corner)[c];
                const auto [it, added] = at.try_emplace({Px1[p], Py1[p], Pz1[p]}, p);
                EXPECT_EQ(it->second, p) << "cell " << c << ": two points at one place";
            }
        }
    }
}

}  // namespace
