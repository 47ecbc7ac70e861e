// control.new and the minimal control file: what they hold, that the reader
// takes them back to the same parameters, and how a failed write ends.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <iomanip>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "run/globals.h"
#include "run/log.h"
#include "run/output_file.h"
#include "run/run_services.h"
#include "tests/support/control_text.h"
#include "tests/support/grid_engine.h"
#include "tests/support/read_cases.h"

namespace {

// Run letters and option letters as the run sees them: an empty slot runs
// nothing, like a blank.
std::string Letters(const char* bytes, int count) {
    std::string s(bytes, count);
    for (char& c : s) c = c == '\0' ? ' ' : c;
    return s;
}

// Every run parameter and every list that control.new carries, as text, so
// a difference names the parameter. Left out: W1Given, which only records
// that a W 1 line was present; InflowRoughness, which F 16 sets as well but
// which only counts with F 202, a data set control.new does not carry; the
// title, checked on its own.
std::string ParameterDump() {
    std::ostringstream out;
    out << std::setprecision(17);
    auto scalar = [&out](std::string_view name, auto value) {
        if (name != "W1Given" && name != "InflowRoughness") out << name << '=' << +value << '\n';
    };
#define RIVAX_DUMP_PARAM(type, name, def) scalar(#name, name);
    RIVAX_PARAMS_F1(RIVAX_DUMP_PARAM)
    RIVAX_PARAMS_F50(RIVAX_DUMP_PARAM)
    RIVAX_PARAMS_F100(RIVAX_DUMP_PARAM)
    RIVAX_PARAMS_F150(RIVAX_DUMP_PARAM)
    RIVAX_PARAMS_F200(RIVAX_DUMP_PARAM)
    RIVAX_PARAMS_F250(RIVAX_DUMP_PARAM)
    RIVAX_PARAMS_F300(RIVAX_DUMP_PARAM)
    RIVAX_PARAMS_G(RIVAX_DUMP_PARAM)
    RIVAX_PARAMS_K(RIVAX_DUMP_PARAM)
    RIVAX_PARAMS_LETTERS(RIVAX_DUMP_PARAM)
    RIVAX_PARAMS_Q(RIVAX_DUMP_PARAM)
    RIVAX_PARAMS_W(RIVAX_DUMP_PARAM)
#undef RIVAX_DUMP_PARAM
    out << "RunChoice=[" << Letters(RunChoice, kRunChoiceSize) << "]\n";
    out << "RunOptions=[" << Letters(RunOptions + 1, 8) << "]\n";
    auto list = [&out](const char* name, auto first, int count) {
        out << name << ':';
        for (int k = 0; k < count; ++k) out << ' ' << +first[k];
        out << '\n';
    };
    list("F30Values", F30Values, 6);
    list("zdistrib", zdistrib, NoGridLinesZ + 2);
    for (int g = 1; g <= NoG7Records; ++g) {
        list("G7 ints", G7Records[g].ivalue, 8);
        list("G7 reals", G7Records[g].rvalue, 4);
    }
    for (int g = 1; g <= NoInitialValueSets; ++g) list("G18", InitialValueSets[g], kInitialValueSlots);
    for (int g = 1; g <= NoG12Records; ++g) {
        out << "G12 group " << G12Records[g].group << '\n';
        list("G12", G12Records[g].concentration, kMaxSizes + 1);
    }
    for (int g = 1; g <= NoG13Regions; ++g) {
        const G13Region& r = G13Regions[g];
        const int v[] = {r.kind, r.iFirst, r.iLast, r.jFirst, r.jLast, r.kFirst, r.kLast};
        list("G13", v, 7);
    }
    list("Diameter", Diameter, kMaxSizes + 1);
    list("FallVelocity", FallVelocity, kMaxSizes + 1);
    list("IValues", IValues, kMaxSizes + 1);
    list("W2Values", W2Values, NoW2Values + 1);
    for (int w = 1; w <= MWallNo; ++w) {
        const MWallRecord& r = MWall[w];
        const int v[] = {r.dir, r.posneg, r.node, r.from1, r.to1, r.from2, r.to2};
        list("W4", v, 7);
    }
    list("FixedPointI", FixedPointI, NoFixedPoints + 1);
    list("FixedPointJ", FixedPointJ, NoFixedPoints + 1);
    for (int n = 1; n <= NoAttractors; ++n) {
        const AttractorRecord& a = Attractors[n];
        out << "W7 " << a.i << ' ' << a.j << ' ' << a.type << ' ' << a.amplitude << ' ' << a.decay << '\n';
    }
    list("RelaxationFactors", RelaxationFactors, kEquationTableSize);
    list("SolverSweeps", SolverSweeps, kEquationTableSize);
    list("SolverAcceleration", SolverAcceleration, kEquationTableSize);
    list("ConvectionScheme", ConvectionScheme, kEquationTableSize);
    return out.str();
}

std::string TitleAfterFirst() { return std::string(Title + 1); }

EngineCall WriteNew() {
    return CallEngine([] {
        WriteControlNew();
        return 0;
    });
}

// Reads `control`, writes control.new, reads that back: the parameters
// before and after, and the file.
struct RoundTrip {
    std::string before, after, file, titleBefore, titleAfter;
};

RoundTrip ReadWriteRead(const std::string& control) {
    RoundTrip t;
    ReadOutcome first = ReadFirstPass(control);
    EXPECT_FALSE(first.ended) << first.log;
    t.before = ParameterDump();
    t.titleBefore = TitleAfterFirst();
    EngineCall write = WriteNew();
    EXPECT_FALSE(write.ended) << write.log;
    t.file = ReadHere("control.new");
    ReadOutcome second = ReadFirstPass(t.file);
    EXPECT_FALSE(second.ended) << second.log << "\ncontrol.new:\n" << t.file;
    t.after = ParameterDump();
    t.titleAfter = TitleAfterFirst();
    return t;
}

TEST(ControlNew, DefaultsGiveOnlyTheAlwaysWrittenLines) {
    InProjectDir here;
    ResetGlobals();
    ASSERT_FALSE(WriteNew().ended);
    const std::string expected = "T   " + std::string(30, ' ') + "title field\n" +
                                 "F 2" + std::string(20, ' ') + "        run choice\n" +
                                 "F 4 0.500000 50 0.010000    morphology data\n" +
                                 "F 7" + std::string(8, ' ') + "   run options\n" +
                                 "F 11 2.650000 -0.047000\n"
                                 "F 16 -2.000000   roughness in meters\n"
                                 "G 1 300 300 11 1    grid and array sizes\n"
                                 "G 3 0.000000 0.100000 0.200000 0.300000 0.400000 0.500000 0.600000 0.700000 "
                                 "0.800000 0.900000 1.000000  vertical grid distribution\n"
                                 "P 2 1.000000 1.000000 1.000000 0.000000 0.000000\n"
                                 "P 3 2 2 2 1 \n"
                                 "W 1 50.000000 1.000000 1.000000\n"
                                 "W 2 0\n"
                                 "K 1 40000 50000\n"
                                 "K 2 0 1\n"
                                 "K 3 0.800000 0.800000 0.800000 0.200000 0.500000 0.500000 \n"
                                 "K 4 1 1 1 5 1 1 \n"
                                 "K 5 0 0 0 0 0 0 \n"
                                 "K 6 0 0 0 0 0 0 \n";
    EXPECT_EQ(ReadHere("control.new"), expected);
}

TEST(ControlNew, DefaultsReadBackAsDefaults) {
    InProjectDir here;
    RoundTrip t = ReadWriteRead("");
    EXPECT_EQ(t.after, t.before);
}

// Every data set that control.new carries, away from its default.
const char* const kFullControl =
    "T Round trip run\n"
    "F 1 D\n"
    "F 2 UYW\n"
    "F 4 0.25 20 0.02\n"
    "F 6 0.02 1.2 0.25\n"
    "F 7 P\n"
    "F 8 0.2\n"
    "F 9 2.0\n"
    "F 10 E\n"
    "F 11 2.5 0.05\n"
    "F 12 0.5\n"
    "F 16 0.05\n"
    "F 17 0.5\n"
    "F 21 0.75\n"
    "F 23 0.5 0.25\n"
    "F 25 0.3 1.5 0.4 0.7 3\n"
    "F 26 0.4\n"
    "F 27 1\n"
    "F 30 1 2 3 4 5 6\n"
    "F 33 0.5 4\n"
    "F 36 11\n"
    "F 37 1\n"
    "G 1 20 12 5 2\n"
    "G 3 0 20 40 70 100\n"
    "G 6 5 6 1 0.2 0.05\n"
    "G 7 1 0 0 0 0 0 0 2 0.5 0 0 0.125\n"
    "G 7 0 1 0 0 0 0 0 0 0 0 0 0\n"
    "G 18 0.5 0 0 0 0.001 0.0001\n"
    "G 12 2 0.001 0.002\n"
    "G 13 0 3 5 4 6 2 5\n"
    "P 2 2 3 4 5 6\n"
    "P 3 3 4 5 1\n"
    "S 1 0.002 0.05\n"
    "S 2 0.0005 0.01\n"
    "I 1 0.0001\n"
    "I 2 0.0002\n"
    "W 1 40 2 10.5\n"
    "W 2 3 1 10 20\n"
    "W 4 1 1 5 2 6 2 4\n"
    "W 6 3 4\n"
    "W 6 5 6\n"
    "W 7 1 2 3 0.5 0.25\n"
    "K 1 500 100\n"
    "K 2 1 0\n"
    "K 3 0.7 0.7 0.7 0.3 0.4 0.4\n"
    "K 4 2 2 2 10 2 2\n"
    "K 5 1 1 1 1 1 1\n"
    "K 6 2 2 2 0 2 2\n";

TEST(ControlNew, EveryWrittenDataSetReadsBackToTheSameParameters) {
    InProjectDir here;
    RoundTrip t = ReadWriteRead(kFullControl);
    EXPECT_EQ(t.after, t.before) << "control.new:\n" << t.file;
    // The run letters keep their places, so a long F 2 loses no letter.
    EXPECT_EQ(std::string(RunChoice, 5), " UYW\n");
    // The explanation of the T line ends up in the title, behind the old one.
    EXPECT_EQ(t.titleAfter, "   " + t.titleBefore + std::string(30, ' ') + "title field ");
}

TEST(ControlNew, RunLettersStayInPlaceOverRepeatedRoundTrips) {
    InProjectDir here;
    const std::string nine = "F 2 UYWMWMWMH\n";
    ReadOutcome first = ReadFirstPass(nine);
    ASSERT_FALSE(first.ended);
    const std::string letters(RunChoice, kRunChoiceSize);
    for (int round = 0; round < 3; ++round) {
        ASSERT_FALSE(WriteNew().ended);
        ReadOutcome again = ReadFirstPass(ReadHere("control.new"));
        ASSERT_FALSE(again.ended) << again.log;
    }
    EXPECT_EQ(std::string(RunChoice, kRunChoiceSize), letters);
}

struct WrittenLinesCase {
    const char* name;
    std::string control;
    std::vector<std::string> present;  // whole lines of control.new
    std::vector<std::string> absent;   // no line starts with these
};

void PrintTo(const WrittenLinesCase& c, std::ostream* os) { *os << c.name; }

class ControlNewLines : public ::testing::TestWithParam<WrittenLinesCase> {};

TEST_P(ControlNewLines, FollowTheDefaultWindows) {
    const WrittenLinesCase& c = GetParam();
    InProjectDir here;
    ReadOutcome read = ReadFirstPass(c.control);
    ASSERT_FALSE(read.ended) << read.log;
    ASSERT_FALSE(WriteNew().ended);
    const std::vector<std::string> lines = SplitLines(ReadHere("control.new"));
    for (const std::string& line : c.present) EXPECT_TRUE(HasLine(lines, line)) << line;
    for (const std::string& head : c.absent) {
        for (const std::string& line : lines) EXPECT_NE(line.rfind(head, 0), 0u) << line;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Windows, ControlNewLines,
    ::testing::Values(
        WrittenLinesCase{"InsideWindowsLeftOut", "F 8 0.105\nF 9 0.995\nF 26 0.5005\nF 4 0.5 500 0.01\n"
                                                 "F 11 2.655 0.0475\nF 6 0.015 1.5 0.3\nF 21 1.005\n",
                         {}, {"F 8", "F 9", "F 26", "F 4", "F 11", "F 6", "F 21"}},
        WrittenLinesCase{"OutsideWindowsWritten", "F 8 0.12\nF 9 0.98\nF 11 2.65 0.045\n",
                         {"F 8 0.120000", "F 9 0.980000", "F 11 2.650000 0.045000"}, {}},
        WrittenLinesCase{"TimeStepSharesTheNextLine", "F 17 0.5\n",
                         {"F 17 0.500000 time step in secondsF 33 0.500000 1"},
                         {}},
        WrittenLinesCase{"SurfaceAndSedimentModes", "F 36 11\nF 37 1\n",
                         {"F 36 11 free surface option", "F 37 1 transient sediment computation"}, {}},
        WrittenLinesCase{"SizeWithoutDiameterHasNoSizeLines", "G 1 10 10 5 2\nS 1 0.002 0.05\n",
                         {"S 1 0.002000 0.050000", "I 1 0.000000"}, {"S 2", "I 2"}},
        WrittenLinesCase{"DebugLettersOnlyCAndD", "F 1 Q\nF 30 1 2 3 0 5 6\n", {}, {"F 1 ", "F 30 "}},
        WrittenLinesCase{"ReferenceCellAndLists", "G 1 10 10 5 1\nG 6 3 0 0 0.1 0.01\nW 6 2 3\n",
                         {"G 6 3 0 0 0.100000 0.010000 free surface parameters", "W 6 2 3"}, {}}),
    EngineCaseName());

TEST(MinimalControl, EvenDistributionAndThreeGridLines) {
    InProjectDir here;
    ResetGlobals();
    ASSERT_FALSE(CallEngine([] {
                     WriteMinimalControl();
                     return 0;
                 }).ended);
    const std::string expected = "T   " + std::string(29, ' ') + "title field \n" +
                                 "G 1 300 300 11 1     grid and array sizes\n"
                                 "G 3 0.000000 10.000000 20.000000 30.000000 40.000000 50.000000 60.000000 "
                                 "70.000000 80.000000 90.000000 100.000000      vertical grid distribution\n"
                                 "W 1 50.000000 1.000000 1.000000\n"
                                 "W 2 3 1 150 300\n"
                                 "K 1 40000 60000\n"
                                 "K 2 0 1\n";
    const std::string text = ReadHere("control");
    EXPECT_EQ(text, expected);
    ReadOutcome read = ReadFirstPass(text);
    EXPECT_FALSE(read.ended) << read.log;
    EXPECT_EQ(NoW2Values, 3);
    EXPECT_EQ(W2Values[2], 150);
    EXPECT_EQ(zdistrib[11], 100.0);
}

// Blocks the writer's temporary file, so the file cannot be created.
void BlockTemporary(const std::string& name) {
    std::filesystem::create_directory(name + ".tmp" + std::to_string(static_cast<long>(getpid())));
}

bool FailingWrite(const std::string&, FILE*) { return false; }

struct FailedWriteCase {
    const char* name;
    void (*writer)();
    const char* file;
    bool atOpen;  // else the write fails after the file was opened
    const char* logLine;
};

void PrintTo(const FailedWriteCase& c, std::ostream* os) { *os << c.name; }

class FailedWrite : public ::testing::TestWithParam<FailedWriteCase> {};

TEST_P(FailedWrite, NamesTheFileAndKeepsTheOldOne) {
    const FailedWriteCase& c = GetParam();
    InProjectDir here;
    ResetGlobals();
    ASSERT_TRUE(LogCreate());
    WriteHere(c.file, "old\n");
    if (c.atOpen) {
        BlockTemporary(c.file);
    } else {
        SetOutputFileFaultHook(FailingWrite);
    }
    EngineCall call = CallEngine([&c] {
        c.writer();
        return 0;
    });
    SetOutputFileFaultHook(nullptr);
    EXPECT_TRUE(call.ended);
    EXPECT_EQ(call.status, -4);
    EXPECT_TRUE(HasLine(SplitLines(call.log), c.logLine)) << call.log;
    EXPECT_EQ(std::string(StatusText), std::string("cannot open file '") + c.file + "' ");
    EXPECT_EQ(ReadHere(c.file), "old\n");
}

INSTANTIATE_TEST_SUITE_P(
    Writers, FailedWrite,
    ::testing::Values(
        FailedWriteCase{"ControlNewAtOpen", WriteControlNew, "control.new", true,
                        "Error, cannot open file 'control.new'"},
        FailedWriteCase{"ControlNewAtWrite", WriteControlNew, "control.new", false,
                        "Error, cannot write file 'control.new'"},
        FailedWriteCase{"MinimalControlAtOpen", WriteMinimalControl, "control", true,
                        "Error, cannot open file 'control'"}),
    [](const auto& p) { return std::string(p.param.name); });

}  // namespace
