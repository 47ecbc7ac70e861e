// The convergence check after every pass: the largest residual, the residual
// line and its history, the stop decisions, the flush and the divergence
// report, in the test process and end to end.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <string>
#include <vector>

#include "drivers/convergence.h"
#include "drivers/flow_drivers.h"
#include "run/globals.h"
#include "tests/drivers/water_solve_case.h"
#include "tests/support/project_dir.h"
#include "tools/channel_project.h"

namespace {

bool Exists(const char* name) { return std::ifstream(name).good(); }

int Count(const std::string& text, const std::string& part) {
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

void SetResiduals(double r1, double r2 = 0.0, double r3 = 0.0, double r4 = 0.0, double r5 = 0.0, double r6 = 0.0) {
    const double r[6] = {r1, r2, r3, r4, r5, r6};
    for (int eq = 1; eq <= 6; ++eq) MaxResidual[eq] = r[eq - 1];
}

// ---- The largest residual -----------------------------------------------------

struct LargestRow {
    const char* name;
    double residuals[6];
    double resMax;  // NAN: not a number expected
    int equation;
};

void PrintTo(const LargestRow& row, std::ostream* os) { *os << row.name; }

const LargestRow kLargestRows[] = {
    {"AllZero", {0, 0, 0, 0, 0, 0}, 0.0, 0},
    {"TiesNameTheLowerEquation", {0.1, 0.3, 0.3, 0.2, 0, 0}, 0.3, 2},
    {"TinyEntriesCountAsZero", {1e-91, 0, 0, 0, 0, 5e-91}, 0.0, 0},
    {"LastEquationLargest", {1e-3, 2e-3, 0, 0, 0, 4e-3}, 4e-3, 6},
    {"NotANumberWinsOverLarger", {0.5, NAN, 2.0, 0, 0, 0}, NAN, 2},
};

class LargestResidual : public ::testing::TestWithParam<LargestRow> {};

TEST_P(LargestResidual, ReducesTheSixEquations) {
    const LargestRow& row = GetParam();
    const double* r = row.residuals;
    SetResiduals(r[0], r[1], r[2], r[3], r[4], r[5]);
    EXPECT_EQ(LargestResidualEquation(), row.equation);
    if (std::isnan(row.resMax)) {
        EXPECT_TRUE(std::isnan(ResMax));
    } else {
        EXPECT_EQ(ResMax, row.resMax);
    }
    for (int eq = 1; eq <= 6; ++eq) {
        if (r[eq - 1] < 1e-90) {
            EXPECT_EQ(MaxResidual[eq], 0.0) << eq;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, LargestResidual, ::testing::ValuesIn(kLargestRows),
                         [](const auto& row) { return std::string(row.param.name); });

// ---- Decisions on the channel -------------------------------------------------

class ConvergenceCase : public WaterSolveCase {
protected:
    void Start(const std::string& control) {
        WaterSolveCase::Start(control);
        Iter = 7;
        NoIterPerStep = 1;
        PrintSkip = 0;
        ContDefect = 0.0;
        ResMax = ResMaxPrevious = 0.0;
        NoFlushes = 0;
        WaterFlowActiveFlag = 1;
        FlowFailedFlag = 0;
    }

    EngineCall Check(int pass) {
        return CallEngine([pass] { return CheckConvergence(pass); });
    }
};

struct DecisionRow {
    const char* name;
    const char* control;
    void (*set)();
    int result;
    const char* status;   // the status text afterwards (the results writer has the last word)
    const char* logged;   // a line the log must hold, or nullptr
    int failed;           // FlowFailedFlag afterwards
};

void PrintTo(const DecisionRow& row, std::ostream* os) { *os << row.name; }

constexpr const char* kWritten = "have written result file  ";
// A diverged run ends with the plan file its report names.
constexpr const char* kWrittenPlan = "have written ParaView 2D file  ";

const DecisionRow kDecisionRows[] = {
    {"BelowThresholdConverges", "", [] { SetResiduals(0.000999); }, 1, kWritten,
     "Solution converged\n", 0},
    {"ExactThresholdGoesOn", "", [] { SetResiduals(0.001); }, 0, "7 ResMax: 1.00e-03 for eq: 1", nullptr, 0},
    {"UnsteadyGoesOn", "", [] { TimeStep = 1.0; SetResiduals(1e-4); }, 0, "7 ResMax: 1.00e-04 for eq: 1", nullptr,
     0},
    {"UnsteadyStopsWithF221", "F 221 1\n", [] { TimeStep = 1.0; SetResiduals(1e-4); }, 1, kWritten,
     "Solution converged\n", 0},
    {"TimeStepAtLimitCountsAsUnsteady", "", [] { TimeStep = 1e-8; SetResiduals(1e-4); }, 0,
     "7 ResMax: 1.00e-04 for eq: 1", nullptr, 0},
    {"PartitionedRunGoesOn", "", [] { MpiPart = 1; SetResiduals(1e-4); }, 0, "7 ResMax: 1.00e-04 for eq: 1",
     nullptr, 0},
    {"AtDivergenceLimitGoesOn", "F 301 10\n", [] { SetResiduals(0.5, 10.0); }, 0, "7 ResMax: 1.00e+01 for eq: 2",
     nullptr, 0},
    {"AboveDivergenceLimitDiverges", "F 301 10\n", [] { SetResiduals(0.5, 10.000001); }, 1, kWrittenPlan,
     "Solution diverged after 1 inner and 7 outer iterations\n", 1},
    {"NotANumberDivergesWithoutFlush", "F 219 3\n", [] { SetResiduals(0.5, 0.2, NAN); }, 1, kWrittenPlan,
     "Max residual is nan\n", 1},
    {"ContinuityDefectStops", "", [] { SetResiduals(0.5); ContDefect = -2e-6; }, 1, "Error in continuity  ",
     "Error in continuity, WaterSolve. Defect = -0.000002 l/s\n", 1},
    {"ContinuityDefectAtLimitGoesOn", "", [] { SetResiduals(0.5); ContDefect = 1e-6; }, 0,
     "7 ResMax: 5.00e-01 for eq: 1", nullptr, 0},
    {"ContinuityIgnoredWithFreeSurface", "", [] { SetResiduals(0.5); ContDefect = 1.0; FreeSurfaceOption = 2; }, 0,
     "7 ResMax: 5.00e-01 for eq: 1", nullptr, 0},
    {"ContinuityIgnoredWithF85", "F 85 1\n", [] { SetResiduals(0.5); ContDefect = 1.0; }, 0,
     "7 ResMax: 5.00e-01 for eq: 1", nullptr, 0},
    {"DebugStop", "", [] { SetResiduals(0.5); DebugStopOption = 99; }, 1, kWritten, nullptr, 1},
};

class Decisions : public ConvergenceCase, public ::testing::WithParamInterface<DecisionRow> {};

TEST_P(Decisions, StopOrGoOn) {
    const DecisionRow& row = GetParam();
    Start(row.control);
    row.set();
    EngineCall call = Check(1);
    ASSERT_FALSE(call.ended) << call.log;
    EXPECT_EQ(call.result, row.result) << call.log;
    EXPECT_STREQ(StatusText, row.status);
    if (row.logged) {
        EXPECT_NE(call.log.find(row.logged), std::string::npos) << call.log;
    }
    EXPECT_EQ(FlowFailedFlag, row.failed);
    EXPECT_EQ(WaterFlowActiveFlag, row.result == 1 ? 0 : 1);
    EXPECT_EQ(call.log.find("flushed"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Rows, Decisions, ::testing::ValuesIn(kDecisionRows),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(ConvergenceCase, ConvergedResultsCarryTheirCaption) {
    Start("");
    SetResiduals(1e-4);
    ASSERT_EQ(Check(1).result, 1);
    EXPECT_STREQ(ResultTitle, "Written from watersolver due to convergence");
    const std::vector<std::string> result = SplitLines(ReadHere("result"));
    ASSERT_GE(result.size(), 2u);
}

// ---- The residual line ----------------------------------------------------------

struct LineRow {
    const char* name;
    int printSkip;
    int pass;
    double timeStep;
    double residual;
    int mpiPart;
    bool due;
};

void PrintTo(const LineRow& row, std::ostream* os) { *os << row.name; }

// Three passes per step; F 54 is 0.002; every residual is above 0.001.
const LineRow kLineRows[] = {
    {"LastPass", 0, 3, 0.0, 0.5, 0, true},
    {"LastPassSkippedByThePrintSchedule", 1, 3, 0.0, 0.5, 0, false},
    {"SteadyEarlierPass", 0, 1, 0.0, 0.0015, 0, false},
    {"UnsteadyPassBelowInnerLimit", 0, 1, 1.0, 0.0015, 0, true},
    {"UnsteadyPassAboveInnerLimit", 0, 1, 1.0, 0.0025, 0, false},
    {"PartitionedUnsteadyPass", 0, 1, 1.0, 0.0015, 1, false},
    {"TimeStepAtLimitIsSteadyHere", 0, 1, 1e-8, 0.0015, 0, false},
};

class ResidualLine : public ConvergenceCase, public ::testing::WithParamInterface<LineRow> {};

TEST_P(ResidualLine, WrittenWhenDue) {
    const LineRow& row = GetParam();
    Start("F 33 1 3\nF 293 1\n");
    PrintSkip = row.printSkip;
    NoIterPerStep = 3;
    TimeStep = row.timeStep;
    MpiPart = row.mpiPart;
    SetResiduals(row.residual, 0.00025);
    EngineCall call = Check(row.pass);
    ASSERT_FALSE(call.ended) << call.log;
    EXPECT_EQ(call.result, 0);
    const std::vector<std::string> history = SplitLines(ReadHere("quorva"));
    ASSERT_GE(history.size(), 1u);
    EXPECT_EQ(history[0], "Iteration, Residuals: Ux, Uy, Uz, Continuity, k, epsilon");
    char line[200];
    std::snprintf(line, sizeof line, "Iter: 7, Resid: %8.2le 2.50e-04 0.00e+00 0.00e+00 0.00e+00 0.00e+00\n",
                  row.residual);
    if (row.due) {
        EXPECT_NE(call.log.find(line), std::string::npos) << call.log;
        ASSERT_EQ(history.size(), 2u);
        std::snprintf(line, sizeof line, "7 %lf 0.000250 0.000000 0.000000 0.000000 0.000000", row.residual);
        EXPECT_EQ(history[1], line);
    } else {
        EXPECT_EQ(call.log.find("Iter: "), std::string::npos) << call.log;
        EXPECT_EQ(history.size(), 1u);
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, ResidualLine, ::testing::ValuesIn(kLineRows),
                         [](const auto& row) { return std::string(row.param.name); });

TEST_F(ConvergenceCase, DebugAndMonitorLinesFollowTheResidualLine) {
    Start("F 1 D\nP 11 4\n");
    TimeStep = 1.0;
    NoTimeiSteps = 2;
    stime = 12.5;
    GroupDischarge[1] = 250.0;
    GroupDischarge[2] = 0.0;
    GroupDischarge[3] = 40.0;
    GroupDischarge[4] = 0.0;
    GroupDischarge[5] = 30.0;
    SetResiduals(0.5);
    EngineCall call = Check(1);
    const std::vector<std::string> expected = {
        "Iter: 7, Resid: 5.00e-01 0.00e+00 0.00e+00 0.00e+00 0.00e+00 0.00e+00",
        "Time: 12.500000 seconds",
        "Water discharge (l/s), group 1: 250.000000",
        "Water discharge (l/s), group 2: 0.000000",
        "Water discharge (l/s), group 3: 40.000000",
        "NoCells = " + std::to_string(NoCells) + ", NoSurfaces = " + std::to_string(NoSurfaces) +
            ", NoPoints = " + std::to_string(NoPoints) + ", InnerIter = 1",
        "Number of cells: " + std::to_string(NoCells) + ", surfaces: " + std::to_string(NoSurfaces) +
            ", points: " + std::to_string(NoPoints),
    };
    const std::vector<std::string> lines = SplitLines(call.log);
    size_t at = 0;
    while (at < lines.size() && lines[at].rfind("Iter: ", 0) != 0) ++at;
    ASSERT_LE(at + expected.size() + 1, lines.size() + 1) << call.log;
    EXPECT_EQ(lines[at], expected[0]);
    EXPECT_EQ(lines[at + 1].rfind("Cont: 0.00000000e+00, DefMax: ", 0), 0u) << lines[at + 1];
    for (size_t k = 1; k < expected.size(); ++k) EXPECT_EQ(lines[at + 1 + k], expected[k]) << k;
}

// ---- Flush ----------------------------------------------------------------------

TEST_F(ConvergenceCase, FlushesRestoreThenChangeTheSchemeThenHalveTheFactors) {
    Start("F 219 4\n");
    ASSERT_TRUE(Pres_old.exists() && Cu_old.exists() && Cepsilon_old.exists());
    for (int c = FirstCell; c <= LastCell; ++c) {
        Cu_old[c] = 0.3;
        Cv_old[c] = 0.1;
        Cw_old[c] = -0.01;
        Ck_old[c] = 0.002;
        Cepsilon_old[c] = 0.0004;
        Pres_old[c] = 55.0;
        Cu[c] = Cv[c] = Cw[c] = Ck[c] = Cepsilon[c] = Pres[c] = 1e6;
    }
    FluxInterpolationOption = 0;
    RelaxPressure = 0.2;
    RelaxVelocity = 0.8;
    InvRelaxVelocity = 1.25;
    RelaxK = RelaxEps = 0.5;
    const double residuals[] = {1e9, 2e9, 3e9, 4e9, 5e9};
    for (int k = 0; k < 5; ++k) {
        SetResiduals(residuals[k]);
        EngineCall call = Check(2);
        ASSERT_FALSE(call.ended) << call.log;
        ASSERT_EQ(call.result, 0) << call.log;
        if (k == 0) {
            EXPECT_NE(call.log.find("Solution flushed at Iter=7, InnerIter=2, Residual=1000000000.000000, "
                                    "relax = 0.200000\n"),
                      std::string::npos)
                << call.log;
            EXPECT_EQ(Cu[FirstCell], 0.3);
            EXPECT_EQ(Cepsilon[LastCell], 0.0004);
            EXPECT_EQ(Pres[LastCell], 0.0) << "the first flush also clears the pressure";
            EXPECT_EQ(FluxInterpolationOption, 0);
        }
        if (k == 1) {
            EXPECT_EQ(FluxInterpolationOption, 7);
            EXPECT_EQ(Pres[LastCell], 55.0);
            EXPECT_EQ(RelaxPressure, 0.2);
        }
        if (k == 3) {
            EXPECT_EQ(RelaxPressure, 0.05);
            EXPECT_EQ(RelaxVelocity, 0.2);
            EXPECT_EQ(InvRelaxVelocity, 5.0);
            EXPECT_EQ(RelaxK, 0.125);
            EXPECT_EQ(RelaxEps, 0.125);
        }
    }
    EXPECT_EQ(NoFlushes, 4) << "the fifth growth is beyond F 219";
    EXPECT_EQ(Count(ReadHere("boogie"), "Solution flushed"), 4);
    EXPECT_EQ(RelaxPressure, 0.05);
}

TEST_F(ConvergenceCase, FallingResidualIsNotFlushed) {
    Start("F 219 4\n");
    SetResiduals(2e9);
    Check(1);
    SetResiduals(1e9);
    Check(1);
    EXPECT_EQ(NoFlushes, 1);
}

// ---- One-off output requests ------------------------------------------------------

struct RequestRow {
    int flag;
    const char* file;  // nullptr: nothing written
};

void PrintTo(const RequestRow& row, std::ostream* os) {
    *os << "flag " << row.flag << ": " << (row.file ? row.file : "nothing");
}

class OutputRequest : public ConvergenceCase, public ::testing::WithParamInterface<RequestRow> {};

TEST_P(OutputRequest, ServedOnce) {
    Start("");
    OutputRequestFlag = GetParam().flag;
    SetResiduals(0.5);
    EngineCall call = Check(1);
    ASSERT_FALSE(call.ended) << call.log;
    EXPECT_EQ(OutputRequestFlag, 0);
    for (const char* f : {"result", "tecplot2.dat", "tecplfe.dat", "ParaView3U.vtk", "ParaView2_n1.vtk"}) {
        const bool expected = GetParam().file && std::string(f) == GetParam().file;
        EXPECT_EQ(Exists(f), expected) << f;
    }
}

INSTANTIATE_TEST_SUITE_P(Flags, OutputRequest,
                         ::testing::Values(RequestRow{1, "result"}, RequestRow{2, "tecplot2.dat"},
                                           RequestRow{3, "tecplfe.dat"}, RequestRow{4, "ParaView3U.vtk"},
                                           RequestRow{5, "ParaView2_n1.vtk"}, RequestRow{6, nullptr}),
                         [](const auto& row) { return "Flag" + std::to_string(row.param.flag); });

// ---- End to end -------------------------------------------------------------------

EngineRun RunChannel(ProjectDir& dir, const std::string& extra) {
    ChannelSpec spec = GridTestChannel(3);
    spec.letters = "UW";
    spec.extraControl = extra;
    EXPECT_TRUE(WriteChannelProject(dir.path(), spec));
    return dir.run();
}

TEST(ConvergenceRun, HistoryRowsMatchTheResidualLines) {
    ProjectDir dir;
    EngineRun r = RunChannel(dir, "K 1 4\nF 293 1\n");
    EXPECT_EQ(r.status, 1) << JoinLines(r.boogie);
    const std::vector<std::string> history = SplitLines(dir.read("quorva"));
    ASSERT_GE(history.size(), 2u);
    EXPECT_EQ(history[0], "Iteration, Residuals: Ux, Uy, Uz, Continuity, k, epsilon");
    std::vector<std::string> iterations;
    for (const std::string& line : r.boogie) {
        if (line.rfind("Iter: ", 0) == 0) iterations.push_back(line.substr(6, line.find(',') - 6));
    }
    ASSERT_EQ(iterations.size(), history.size() - 1);
    for (size_t k = 0; k < iterations.size(); ++k) {
        EXPECT_EQ(history[k + 1].substr(0, history[k + 1].find(' ')), iterations[k]);
    }
}

TEST(ConvergenceRun, DivergenceIsDiagnosedAndEndsWithAFailure) {
    ProjectDir dir;
    EngineRun r = RunChannel(dir, "K 1 4\nF 301 0.001\n");
    EXPECT_EQ(r.status, -1) << "a diverged flow must not look like a normal end";
    const std::vector<std::string> expected = {
        "Solution diverged after 1 inner and 1 outer iterations",
        "Max residual is ",
        "Iter: 1, Resid: ",
        "Cont: ",
        "Largest residual is in cell i=",
        "Please look at the ParaView2.vtk file to find out where the problem is",
        "Debugging information: Cell height: ",
        "Horizontal cell distances: ",
        "Roughness ",
        "Neighbour areas (wsen): ",
        "Bed surface vector components: ",
        "Bed area components: ",
    };
    size_t at = 0;
    for (const std::string& start : expected) {
        while (at < r.boogie.size() && r.boogie[at].rfind(start, 0) != 0) ++at;
        ASSERT_LT(at, r.boogie.size()) << "missing in order: " << start << "\n" << JoinLines(r.boogie);
    }
    EXPECT_EQ(JoinLines(r.boogie).find("Iter: 2,"), std::string::npos);
    EXPECT_NE(dir.read("ParaView2.vtk"), "") << "the file the report names";
}

}  // namespace
