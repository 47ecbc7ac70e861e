// The G 24 plot variables: the value of every letter at a cell of a
// two-column grid, the grid-node letters, the names per plot file and the
// list of a diverging run.
#include <cmath>

#include "output/plot_variables.h"
#include "tests/output/results_case.h"

namespace {

// Two columns of two cells: cells 1 (bed) and 2 in column 1, 3 (bed) and 4 in
// column 2; three sediment sizes, two water-quality components.
class PlotLetters : public ResultsCase {
protected:
    void SetUp() override {
        ChannelSpec spec;
        spec.columnsAlong = 2;
        spec.columnsAcross = 1;
        spec.gridLinesZ = 3;
        spec.version = 3;
        spec.extraControl = "G 1 4 4 3 3\nF 50 2\n";
        StartOn(spec);
        ASSERT_EQ(NoCells, 4);
        SetColumnFields();
    }

    static void SetColumnFields() {
        const double u[] = {0, 3, 6, 1, 2}, v[] = {0, 4, 8, 0, 2};
        for (int c = 0; c <= 4; ++c) {
            Cu[c] = u[c];
            Cv[c] = v[c];
            Cw[c] = 0.1 * c;
            Ckdist[c] = c == 0 ? 0.0 : 0.25;
            Ck[c] = 0.01 * c;
            Cepsilon[c] = 0.001 * c;
            Pres[c] = 100.0 * c;
            Ceddyvisc[c] = 0.5 * c;
            Ceddyviscz[c] = 0.25 * c;
            Cbedcell[c] = (c + 1) / 2;
        }
        NoBedCells = 2;
        Bcellt[1] = 1;
        Bcellt[2] = 3;
        Croughness[3] = 0.07;
        Cu_res[2] = 3.0;
        Cv_res[2] = 4.0;
        Cw_res[2] = 0.5;
        Cpres_res[2] = 0.6;
        Ck_res[2] = 0.7;
        Cepsilon_res[2] = 0.8;
        conc[2][1] = 0.9;
        Components[1][2] = 12.5;
        Broughness[1] = 0.1;
        BbedformHeight[1] = 0.3;
        BpotentialConc[2][1] = 0.05;
        Bedmove[1] = -0.01;
        Fvecz[Csurfb[1]] = 0.5;
        Diameter[1] = 0.004;
        Diameter[2] = 0.002;
        Diameter[3] = 0.001;
        const double layers[3][4] = {{0.3, 0.2, 0.3, 0.5}, {0.2, 0.2, 0.3, 0.5}, {5.0, 0.0, 0.0, 1.0}};
        for (int l = 0; l < 3; ++l) {
            for (int s = 0; s <= 3; ++s) {
                BSedDistrib[l][s][1] = layers[l][s];
                BSedDistrib[l][s][2] = 0.0;
            }
        }
        BSedDistrib[1][1][2] = BSedDistrib[1][2][2] = 0.5;  // a tie between sizes 1 and 2
    }
};

TEST_F(PlotLetters, CellValueOfEveryLetter) {
    const struct {
        char letter;
        int cell, layer, size, component;
        double value;
    } rows[] = {
        {'A', 2, 0, 0, 0, 7.5e6},  // (5 + 10) / 2 x 1e6 x depth 1
        {'A', 0, 0, 0, 0, 0.0},
        {'B', 2, 0, 0, 0, 60.00176960540748},  // acos 0.5 at 180 / 3.1415 degrees per radian
        {'B', 0, 0, 0, 0, 0.0},
        {'C', 3, 0, 0, 0, 45.0013272040556},  // bed (1, 0), top (2, 2)
        {'D', 1, 0, 0, 0, 7.5},
        {'E', 2, 0, 0, 0, 0.8},
        {'F', 1, 0, 0, 0, 2.3945657130528786},  // 15 / (2 sqrt(9.81))
        {'F', 0, 0, 0, 0, 0.0},
        {'G', 1, 0, 0, 0, 0.0},  // no groundwater in this run
        {'H', 2, 0, 0, 0, 5.0},
        {'I', 2, 0, 0, 0, 0.5},
        {'J', 1, 0, 0, 0, 0.02},
        {'J', 2, 0, 0, 0, 0.02},
        {'J', 0, 0, 0, 0, 0.0},
        {'K', 2, 0, 0, 0, 0.7},
        {'L', 2, 1, 0, 0, 0.2},
        {'L', 2, 2, 0, 0, 5.0},
        {'L', 2, 7, 0, 0, 0.0},  // no such layer
        {'M', 1, 0, 0, 0, 0.0},
        {'N', 1, 0, 0, 0, 0.0},  // no layer values in this run
        {'O', 1, 0, 2, 0, 0.05},
        {'O', 1, 0, 9, 0, 0.0},  // no such size
        {'P', 1, 0, 0, 0, 0.0},  // no porosity in this run
        {'Q', 1, 0, 0, 0, 0.0},
        {'R', 2, 0, 0, 0, 0.6},
        {'S', 1, 0, 0, 0, 0.0},
        {'T', 1, 0, 0, 0, 0.0},  // no stresses in this run
        {'U', 2, 0, 0, 0, -0.01},
        {'V', 4, 0, 0, 0, 2.8284271247461903},
        {'W', 2, 0, 0, 0, 0.5},
        {'a', 1, 1, 0, 0, 0.001625},  // 0.375 of the finest and 0.625 of the middle size
        {'a', 3, 1, 0, 0, 0.003},     // halfway between the two coarse sizes
        {'a', 3, 0, 0, 0, 0.004},     // no fraction finer than 0.5: the coarsest size
        {'b', 1, 0, 0, 0, 0.3},
        {'c', 1, 0, 2, 0, 0.9},
        {'d', 2, 0, 0, 0, 1.0},
        {'e', 3, 0, 0, 0, 0.003},
        {'f', 1, 1, 3, 0, 0.5},
        {'f', 1, 5, 3, 0, 0.0},  // no such layer
        {'g', 1, 0, 0, 0, 0.0},
        {'h', 1, 0, 0, 0, 0.1},  // roughness over the depth from the cell up
        {'h', 2, 0, 0, 0, 0.2},
        {'i', 1, 0, 0, 0, 2.0},
        {'i', 2, 0, 0, 0, 1.0},
        {'i', 0, 0, 0, 0, 1.0},
        {'k', 4, 0, 0, 0, 0.04},
        {'l', 1, 0, 0, 0, 0.5},  // layers 0 and 1 of two
        {'m', 1, 0, 0, 0, 3.0},
        {'m', 2, 0, 0, 0, 0.0},  // a cell with one below it has no bed shear
        {'o', 1, 0, 0, 0, 3.0},
        {'o', 3, 0, 0, 0, 1.0},  // equal fractions: the smaller size
        {'o', 0, 0, 0, 0, 0.0},
        {'p', 3, 0, 0, 0, 300.0},
        {'q', 2, 0, 0, 1, 12.5},
        {'q', 2, 0, 0, 5, 0.0},  // no such component
        {'r', 1, 0, 0, 0, 0.1},
        {'r', 3, 0, 0, 0, 0.07},  // no bed roughness: the cell's own
        {'u', 1, 0, 0, 0, 5.0},
        {'w', 4, 0, 0, 0, 0.4},
        {'x', 4, 0, 0, 0, 0.0},  // no weights for three grid lines
        {'z', 1, 0, 0, 0, 0.0},  // grid-node letters have no cell value
        {'j', 1, 0, 0, 0, 0.0},
        {'#', 1, 0, 0, 0, 0.0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(1, r.letter) + " at cell " + std::to_string(r.cell));
        EXPECT_NEAR(PlotCellValue(r.letter, r.cell, r.layer, r.size, r.component), r.value,
                    1e-12 * std::max(1.0, std::fabs(r.value)));
    }
}

TEST_F(PlotLetters, GrainDiameterOfAFinestSizeAboveThePercentile) {
    GrainPercentile = 0.4;
    EXPECT_DOUBLE_EQ(PlotCellValue('a', 1, 2, 0, 0), 0.001);
}

TEST_F(PlotLetters, TemperatureGradientNearTheSurface) {
    for (int c = 1; c <= 4; ++c) Components[0][c] = 10.0 * c;
    NoGridLinesZ = 12;
    EXPECT_NEAR(PlotCellValue('x', 3, 0, 0, 0), -0.222 * 40.0 - 0.639 * 30.0, 1e-12);
    NoGridLinesZ = 20;
    EXPECT_NEAR(PlotCellValue('x', 3, 0, 0, 0), -0.1667 * 30.0, 1e-12);
    NoGridLinesZ = 3;
}

TEST_F(PlotLetters, ArraysNotInTheRunGiveZero) {
    Cu_res.release();
    conc.release();
    BSedDistrib.release();
    EXPECT_EQ(PlotCellValue('H', 2, 0, 0, 0), 4.0);  // the missing U residual counts 0
    EXPECT_EQ(PlotCellValue('c', 1, 0, 2, 0), 0.0);
    EXPECT_EQ(PlotCellValue('a', 1, 1, 0, 0), Diameter[1]);
    EXPECT_EQ(PlotCellValue('l', 1, 0, 0, 0), 0.0);
}

TEST_F(PlotLetters, GridNodeLetters) {
    GridLevels[1][2][1] = 0.2;
    GridLevels[3][2][1] = -0.5;
    // The channel's nodes: bed 0, water level 1.
    EXPECT_DOUBLE_EQ(PlotNodeValue('z', 2, 1), 0.0);
    EXPECT_DOUBLE_EQ(PlotNodeValue('v', 2, 1), 1.0);
    EXPECT_DOUBLE_EQ(PlotNodeValue('y', 2, 1), 1.0);
    EXPECT_DOUBLE_EQ(PlotNodeValue('s', 2, 1), 0.2);
    EXPECT_DOUBLE_EQ(PlotNodeValue('t', 2, 1), 0.5);
    EXPECT_DOUBLE_EQ(PlotNodeValue('y', 99, 1), 0.0);  // outside the grid
    for (char c : std::string("stvyz")) EXPECT_TRUE(IsNodeLetter(c));
    for (char c : std::string("uS\0", 3)) EXPECT_FALSE(IsNodeLetter(c));
}

TEST(PlotNames, NamesPerPlotFile) {
    using W = PlotWriter;
    GrainPercentile = 0.5;
    const struct {
        char letter;
        int level, size;
        W writer;
        const char* name;
    } rows[] = {
        {'p', 3, 0, W::kTecplotPlan, "Pressure 3 "},
        {'p', 3, 0, W::kTecplot3D, "Pressure_3 "},
        {'p', 3, 0, W::kVtkPlan, "Pressure_3"},
        {'p', 3, 0, W::kVtk3D, "Pressure"},
        {'I', 2, 0, W::kTecplotPlan, "Eddy-viscosity-vert2 "},
        {'I', 2, 0, W::kTecplot3D, "Eddy-viscosity-vert 2 "},
        {'L', 0, 0, W::kVtkPlan, "Sediment_layer_thickness_level_1"},
        {'L', 3, 0, W::kTecplotPlan, "Sediment layer 3 thickness"},
        {'a', 2, 0, W::kTecplotPlan, "D50 level 2"},
        {'a', 2, 0, W::kTecplot3D, "D50 layer 2"},
        {'a', 3, 0, W::kVtkPlan, "D50_level_3"},
        {'a', 3, 0, W::kVtk3D, "D50_level3"},
        {'c', 2, 4, W::kTecplotPlan, "Sediment conc. lev 2 size 4"},
        {'c', 2, 4, W::kVtk3D, "Sediment_conc_size_4"},
        {'f', 2, 4, W::kTecplotPlan, "Bed sediment fraction, size 4, level 2"},
        {'q', 2, 1, W::kVtkPlan, "Water_Quality_2 "},
        {'q', 2, 1, W::kVtk3D, "Water_Quality_1 "},
        {'g', 0, 0, W::kTecplot3D, "Water_level"},
        {'B', 0, 0, W::kVtkPlan, "Error"},
        {'Q', 0, 0, W::kTecplotPlan, "Error"},
        {'j', 0, 0, W::kVtk3D, "Error"},
        {'%', 0, 0, W::kTecplotPlan, "Error"},
        {'i', 0, 0, W::kTecplot3D, "No_cells vertical direction"},
        {'y', 0, 0, W::kVtkPlan, "Depth"},
        {'z', 0, 0, W::kTecplotPlan, "Bed level"},
        {'u', 1, 0, W::kTecplotPlan, "Horiz. velocity"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(PlotVariableName({r.level, r.size, r.letter}, r.writer), r.name);
    }
}

// A VTK name cannot hold a blank, so a one-digit percentile is zero-padded
// there; a fraction that is not exact in binary keeps its per cent.
TEST(PlotNames, GrainPercentileInNames) {
    GrainPercentile = 0.05;
    EXPECT_EQ(PlotVariableName({1, 0, 'a'}, PlotWriter::kTecplotPlan), "D 5 level 1");
    EXPECT_EQ(PlotVariableName({1, 0, 'a'}, PlotWriter::kVtkPlan), "D05_level_1");
    GrainPercentile = 0.29;
    EXPECT_EQ(PlotVariableName({2, 0, 'a'}, PlotWriter::kVtk3D), "D29_level2");
    GrainPercentile = 0.5;
}

TEST(PlotDivergence, EmptyListGetsTheDiagnosticLetters) {
    const struct {
        const char* row;
        int given;  // entries already in the list
        int residualFlag;
        std::string letters;  // the list afterwards, from its first entry
    } rows[] = {
        {"empty, residuals stored", 0, 1, "yvmpsuwizRK"},
        {"empty, no residuals", 0, 0, "yvmpsuwiz"},
        {"two entries", 2, 1, "ccRK"},
        {"full to 294", 294, 1, std::string(294, 'c') + "RK"},
        {"295 entries", 295, 1, std::string(295, 'c')},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.row);
        NoPlotVariables = r.given;
        for (int v = 0; v < r.given; ++v) PlotVariables[v] = {3, 1, 'c'};
        CellResidualFlag = r.residualFlag;
        OutputSelector = 0;
        PreparePlotsForDivergence();
        std::string letters;
        for (int v = 0; v < NoPlotVariables; ++v) letters += PlotVariables[v].letter;
        EXPECT_EQ(letters, r.letters);
        EXPECT_EQ(OutputSelector, 91);
        if (r.given == 0) {
            EXPECT_EQ(PlotVariables[0].level, 0);
            EXPECT_EQ(PlotVariables[8].size, 0);
        }
        if (r.residualFlag == 1 && r.given <= 294) {
            EXPECT_EQ(PlotVariables[NoPlotVariables - 1].level, 1);
        }
    }
    NoPlotVariables = 0;
    CellResidualFlag = 1;
    OutputSelector = 0;
}

}  // namespace
