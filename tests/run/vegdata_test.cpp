// The `vegdata` reader and the vegetation drag, on a grid of 2 x 2 columns
// of which column (2, 2) holds four cells (column number 1) and column
// (3, 3) is dry.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "run/globals.h"
#include "run/log.h"
#include "run/run_services.h"
#include "tests/support/control_text.h"
#include "tests/support/read_cases.h"

namespace {

constexpr int kCells = 4;
constexpr double kZ[kCells + 1] = {0, 0.125, 0.625, 1.5, 1.8};
const char* const kOneProfile = "V 2 2 0.0 0.5 1.0 1.5 2 2 1 0\n";

class Vegdata : public ::testing::Test {
protected:
    void SetUp() override {
        ResetGlobals();
        NoGridLinesX = NoGridLinesY = 2;
        VegetationOption = 1;
    }
    void TearDown() override { ResetGlobals(); }

    // The grid and the arrays, sized by the F 201 values in force.
    void build() {
        const int n = kCells + 1;
        ASSERT_TRUE(Gridz.allocate(NoGridLinesX + 2, NoGridLinesY + 2, NoGridLinesZ + 2));
        for (Array1<int>* a : {&Cbedcell, &Ccellt, &Csurfb}) ASSERT_TRUE(a->allocate(n));
        for (Array1<double>* a : {&Czcenter, &Ckdist, &Cu, &Cv, &Cw, &Farea, &Cap, &Csource, &Cporosity}) {
            ASSERT_TRUE(a->allocate(n));
        }
        const size_t columns = static_cast<size_t>(NoGridLinesX + 3) * static_cast<size_t>(NoGridLinesY + 3);
        ASSERT_TRUE(Bveg.allocate(columns, VegTimeCount, VegVariableCount + 1, VegLevelCount));
        ASSERT_TRUE(VegTimes.allocate(VegTimeCount + 1));
        Gridz[2][2][0] = 1;
        for (int c = 1; c <= kCells; ++c) {
            Cbedcell[c] = 1;
            Ccellt[c] = c < kCells ? c + 1 : 0;
            Czcenter[c] = kZ[c];
            Ckdist[c] = 0.1;
            Csurfb[c] = c;
            Farea[c] = 2.0;
        }
        NoCells = kCells;
    }

    ReadOutcome read(const std::string& text) {
        here.dir().write("vegdata", text);
        if (!Bveg.exists()) build();
        if (!LogCreate()) ADD_FAILURE() << "cannot create boogie";
        return CaptureRunEnd(ReadVegdataFile);
    }

    InProjectDir here;
};

TEST_F(Vegdata, ProfileValuesAtTheCellCentres) {
    ReadOutcome out = read(kOneProfile);
    EXPECT_FALSE(out.ended);
    EXPECT_EQ(out.log, "");
    EXPECT_EQ(Cporosity[1], 2.0);
    EXPECT_NEAR(Cporosity[2], 1.75, 1e-12);
    EXPECT_EQ(Cporosity[3], 0.0);  // at the top level
    EXPECT_EQ(Cporosity[4], 0.0);  // above it
    EXPECT_EQ(VegFileFormat, 1);
    EXPECT_EQ(VegdataReadFlag, 1);
}

TEST_F(Vegdata, AtALevelAndBelowTheLowest) {
    ReadOutcome out = read("V 2 2 0.625 0.7 1.0 1.5 3 2 1 0\n");
    EXPECT_FALSE(out.ended);
    EXPECT_EQ(Cporosity[1], 3.0);  // below the lowest level
    EXPECT_EQ(Cporosity[2], 3.0);  // exactly at a level
}

TEST_F(Vegdata, FileIsReadOnce) {
    read(kOneProfile);
    here.dir().write("vegdata", "V 2 2 0.0 0.5 1.0 1.5 9 9 9 9\n");
    EXPECT_FALSE(CaptureRunEnd(ReadVegdataFile).ended);
    EXPECT_EQ(Cporosity[1], 2.0);
}

TEST_F(Vegdata, DryColumnAcceptsAProfileButStoresNothing) {
    ReadOutcome out = read(std::string(kOneProfile) + "V 3 3 0.0 0.5 1.0 1.5 7 7 7 7\n");
    EXPECT_FALSE(out.ended);
    EXPECT_EQ(Cporosity[1], 2.0);
}

TEST_F(Vegdata, CDataSetGivesLevelsAndEveryVariable) {
    VegVariableCount = 2;
    ReadOutcome out = read("U 2 4 1\nC 2 2 0.0 0.5 1.0 1.5 4 4 2 0 0.1 0.2 0.3 0.4\n");
    EXPECT_FALSE(out.ended) << out.log;
    EXPECT_EQ(Bveg[1][0][2][3], 0.4);
    EXPECT_EQ(Cporosity[2], 3.5);
    EXPECT_EQ(VegFileFormat, 2);
}

TEST_F(Vegdata, VegetationTimeSteps) {
    VegTimeCount = 2;
    const std::string text = "U 1 4 2\nT 100\n" + std::string(kOneProfile) + "T 200\nV 2 2 0.0 0.5 1.0 1.5 4 4 2 0\n";
    struct {
        double t;
        double porosity;
    } const rows[] = {{150.0, 3.0}, {200.0, 4.0}, {1e6, 4.0}, {100.0, 2.0}, {0.0, 2.0}};
    for (const auto& r : rows) {
        stime = r.t;
        ReadOutcome out = read(text);
        EXPECT_FALSE(out.ended) << out.log;
        EXPECT_NEAR(Cporosity[1], r.porosity, 1e-12) << "t = " << r.t;
    }
}

TEST_F(Vegdata, DebugLinesAfterReading) {
    DebugOption = 'D';
    ReadOutcome out = read(kOneProfile);
    EXPECT_EQ(out.log, "Have read 1 data sets from vegdata file\nLast parameters: V 2 2\n");
}

class VegdataErrors : public Vegdata, public ::testing::WithParamInterface<FileCase> {};

TEST_P(VegdataErrors, LogAndStatus) {
    const FileCase& c = GetParam();
    if (c.setup) c.setup();
    ExpectOutcome(read(c.text), c.log, c.status);
}

void TwoTimeSteps() { VegTimeCount = 2; }

const FileCase kErrorCases[] = {
    {"TooManyTimeSteps", "T 0\nT 10\n", -4,
     "Error in Vegdata file: number of time steps is larger than what is given on the F 201 data set\n"},
    {"TimeMissing", "T x\n", -8, "Error in Vegdata file: no time on the T data set of time step 1\n"},
    {"UDoesNotMatch", "U 1 5 1\n", -5,
     "Error in Vegdata file: U data set does not correspond with F 201 data set in control file\n"},
    {"UMissing", "T 0\nT 5\n", -6, "Error in Vegdata file, U data set is missing\n", TwoTimeSteps},
    {"VOutsideTheGrid", "V 4 2 0.0 0.5 1.0 1.5 2 2 1 0\n", -4,
     "Error in Vegdata file: the V data set for cell (4,2) lies outside the grid\n"},
    {"AOutsideTheGrid", "A 2 -1 0.0 0.5 1.0 1.5 2 2 1 0\n", -4,
     "Error in Vegdata file: the A data set for cell (2,-1) lies outside the grid\n"},
    {"COutsideTheGrid", "C 9 9 0 0 0 0 0 0 0 0\n", -4,
     "Error in Vegdata file: the C data set for cell (9,9) lies outside the grid\n"},
    {"TooFewValues", "V 2 2 0.0 0.5 1.0 1.5 2 2 1\n", -8,
     "Error for cell (2,2) at time 1\nHave not read sufficient number of vegparam values\n"},
    {"TooFewLevelsReportedThenValues", "V 2 2 0.0 0.5 x\n", -8,
     "Error for cell (2,2) at time 1\nHave not read sufficient number of levels\n"
     "Error for cell (2,2) at time 1\nHave not read sufficient number of vegparam values\n"},
    {"LevelsMustRise", "V 2 2 0.0 0.5 0.5 1.5 2 2 1 0\n", -8,
     "Error for cell (2,2) at time 1\nLevels must be given in rising order\nLev[1] = 0.500000, Lev[2] = 0.500000\n"},
    {"UnreadableCValue", "C 2 2 0 0.5 1 1.5 2 x\n", -7,
     "Error in Vegdata file, line i=2, j=2, timestep=0, var=1, level=1\n"},
    {"FewerTimeStepsThanF201", "U 1 4 2\nT 0\n" + std::string(kOneProfile), -8,
     "Error in vegdata file: 1 time steps given, while the\nF 201 data set in the control file specifies 2 data sets\n",
     TwoTimeSteps},
};

INSTANTIATE_TEST_SUITE_P(Rows, VegdataErrors, ::testing::ValuesIn(kErrorCases), EngineCaseName());

TEST_F(Vegdata, MissingFileEndsTheRun) {
    build();
    ASSERT_TRUE(LogCreate());
    ReadOutcome out = CaptureRunEnd(ReadVegdataFile);
    EXPECT_TRUE(out.ended);
    EXPECT_EQ(out.status, -4);
    EXPECT_EQ(out.log, "Error: cannot open the file 'vegdata' (F 115 needs it)\n");
}

// A uniform flow u in every cell: the equation a u = S holds with a = 1,
// S = u before the drag. After it, S / a is the velocity the equation gives.
struct DragCase {
    const char* name;
    int option;
    int equation;
    double u;
    bool drags;
};

void PrintTo(const DragCase& c, std::ostream* os) { *os << c.name; }

class VegetationDrag : public Vegdata, public ::testing::WithParamInterface<DragCase> {};

TEST_P(VegetationDrag, RetardsTheFlow) {
    const DragCase& c = GetParam();
    VegetationOption = c.option;
    Equation = c.equation;
    build();
    for (int k = 1; k <= kCells; ++k) {
        Cu[k] = Cv[k] = Cw[k] = c.u;
        Cap[k] = 1.0;
        Csource[k] = c.u;
    }
    ASSERT_FALSE(read(kOneProfile).ended);
    const double speed = c.equation >= 4 || c.equation <= 0 ? std::sqrt(2.0) * std::fabs(c.u) : std::fabs(c.u);
    for (int k = 1; k <= kCells; ++k) {
        const double after = Csource[k] / Cap[k];
        if (!c.drags || Cporosity[k] == 0.0) {
            EXPECT_EQ(after, c.u) << k;
            continue;
        }
        EXPECT_LT(std::fabs(after), std::fabs(c.u)) << k;
        EXPECT_EQ(std::signbit(after), std::signbit(c.u)) << k;
        // The drag of the cell: 1000 Ckdist |u| parameter.
        const double drag = 1000.0 * 0.1 * speed * Cporosity[k];
        EXPECT_NEAR(c.option == 1 ? Cap[k] - 1.0 : (c.u - Csource[k]) / c.u, drag, 1e-9) << k;
    }
}

const DragCase kDragCases[] = {
    {"ImplicitU", 1, 1, 0.01, true},
    {"ImplicitNegativeV", 1, 2, -0.01, true},
    {"ImplicitW", 1, 3, 0.002, true},
    {"ExplicitU", 2, 1, 0.001, true},
    {"ExplicitNegativeU", 2, 1, -0.001, true},
    {"ExplicitV", 2, 2, 0.001, true},
    {"ExplicitNotOnW", 2, 3, 0.001, false},
    {"NotOnPressure", 1, 4, 0.01, false},
    {"NotOnTurbulence", 2, 5, 0.01, false},
    {"HorizontalSpeedForEquationZero", 1, 0, 0.01, true},
    {"NoDragForOtherOptions", 3, 1, 0.01, false},
};

INSTANTIATE_TEST_SUITE_P(Rows, VegetationDrag, ::testing::ValuesIn(kDragCases), EngineCaseName());

// With A or C data sets the drag is scaled by the bottom face area.
TEST_F(Vegdata, BottomFaceAreaScalesTheDragOfAProfiles) {
    Equation = 1;
    build();
    Cu[1] = 0.01;
    ASSERT_FALSE(read("A 2 2 0.0 0.5 1.0 1.5 2 2 1 0\n").ended);
    EXPECT_EQ(VegFileFormat, 2);
    EXPECT_NEAR(Cap[1], 1000.0 * 0.1 * 0.01 * 2.0 * 2.0, 1e-12);
}

}  // namespace
