// The monitoring time series `timeo`: the schedule of a run, the value of
// each item letter, items that name nothing of the grid, the record in force
// and a file that cannot be written.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "drivers/flow_drivers.h"
#include "run/globals.h"
#include "tests/drivers/water_solve_case.h"
#include "tests/support/project_dir.h"

namespace {

std::string Time(double t) {
    char text[32];
    std::snprintf(text, sizeof text, "%10.4e ", t);
    return text;
}

// Ten-second steps, timeo every fourth iteration and at iteration 2, from
// 15 s on.
TEST(TimeoRun, UnsteadyRunWritesOnItsSchedule) {
    ProjectDir dir;
    const EngineRun r = RunChannelWater(dir, "K 1 5\nF 17 10\nF 53 100 0 1 4\n", {{"timei", "O 15 2 u 5 h 2 2\n"}});
    ASSERT_EQ(r.status, 1) << JoinLines(r.boogie);
    std::vector<int> due;
    for (int iter = 1; iter <= 5; ++iter) {
        if (10.0 * iter >= 15.0 && (iter % 4 == 0 || iter == 2)) due.push_back(iter);
    }
    const std::vector<std::string> lines = SplitLines(dir.read("timeo"));
    ASSERT_EQ(lines.size(), due.size()) << dir.read("timeo");
    for (size_t k = 0; k < due.size(); ++k) {
        EXPECT_EQ(lines[k].rfind(Time(10.0 * due[k]), 0), 0u) << lines[k];
        // The time, the velocity and the water level of the 1 m deep channel.
        EXPECT_EQ(lines[k].substr(lines[k].size() - 14), " 1.000000e+00 ") << lines[k];
    }
}

class Timeo : public WaterSolveCase {
protected:
    void SetUp() override {
        Start("K 1 1\nF 50 2\n");
        stime = 12.5;
        ClearTimeoRecords();
        NoTimeoRecords = 1;
    }

    static void Item(TimeoRecord& rec, char letter, int value, int i = 0, int j = 0, int size = 0) {
        const int k = rec.noItems++;
        rec.letter[k] = letter;
        rec.value[k] = value;
        rec.value2[k] = i;
        rec.value3[k] = j;
        rec.size[k] = size;
    }

    // One call of WriteTimeo on an empty file; the text it writes.
    static std::string Written() {
        WriteHere("timeo", "");
        const EngineCall call = CallEngine([] {
            WriteTimeo();
            return 0;
        });
        EXPECT_FALSE(call.ended) << call.log;
        return ReadHere("timeo");
    }

    static int LogLinesWith(const std::string& text) {
        int n = 0;
        for (const std::string& l : SplitLines(ReadHere("boogie"))) n += l.find(text) != std::string::npos;
        return n;
    }
};

struct LetterRow {
    const char* name;
    char letter;
    int value, i, j, size;
    std::string tail;  // what follows the time
};

void PrintTo(const LetterRow& r, std::ostream* os) { *os << r.name; }

class TimeoLetters : public Timeo, public ::testing::WithParamInterface<LetterRow> {};

const LetterRow kLetterRows[] = {
    {"U", 'u', 5, 0, 0, 0, "1.100000e+00 \n"},
    {"V", 'v', 5, 0, 0, 0, "1.200000e+00 \n"},
    {"W", 'w', 5, 0, 0, 0, "1.300000e+00 \n"},
    {"Pressure", 'p', 5, 0, 0, 0, "1.400000e+00 \n"},
    {"K", 'k', 5, 0, 0, 0, "1.500000e+00 \n"},
    {"Epsilon", 'e', 5, 0, 0, 0, "1.600000e+00 \n"},
    {"EddyViscosity", 'd', 5, 0, 0, 0, "1.700000e+00 \n"},
    {"Component", 'q', 5, 0, 0, 1, "2.500000e-01 \n"},
    {"WaterLevel", 'h', 0, 2, 2, 0, "1.000000e+00 \n"},
    {"BedLevel", 'z', 0, 2, 2, 0, "0.000000e+00 \n"},
    {"BalanceEndsTheLine", 'f', 0, 0, 0, 0, "Cont: B I O R 1.000000e+00 2.000000e+00 3.000000e+00 5.000000e-01\n\n"},
    {"GroupMeansOfEveryGroupWithSurfaces", 'a', 0, 0, 0, 0,
     "A 1 3.000000e+00 1.000000e+00  A 2 3.000000e+00 1.000000e+00  \n"},
    {"SizeItemWritesNothing", 'c', 5, 0, 0, 1, "\n"},
    {"UnknownLetterWritesNothing", 'Q', 5, 0, 0, 0, "\n"},
};

TEST_P(TimeoLetters, WritesItsValue) {
    const LetterRow& r = GetParam();
    Cu[5] = 1.1;
    Cv[5] = 1.2;
    Cw[5] = 1.3;
    Pres[5] = 1.4;
    Ck[5] = 1.5;
    Cepsilon[5] = 1.6;
    Ceddyvisc[5] = 1.7;
    Components[1][5] = 0.25;
    SedimentBedSum = 1.0;
    SedimentInflowSum = 2.0;
    SedimentOutflowSum = 3.0;
    MaxResidual[4] = 0.5;
    for (int c = 1; c <= NoCells; ++c) {
        conc[0][c] = 3.0;
        conc[1][c] = 1.0;
    }
    Item(TimeoRecords[0], r.letter, r.value, r.i, r.j, r.size);
    EXPECT_EQ(Written(), Time(12.5) + r.tail);
}

INSTANTIATE_TEST_SUITE_P(Rows, TimeoLetters, ::testing::ValuesIn(kLetterRows),
                         [](const auto& i) { return std::string(i.param.name); });

TEST_F(Timeo, EmptyRecordWritesTheTimeAlone) { EXPECT_EQ(Written(), Time(12.5) + "\n"); }

// The column of the highest mean of component 1, measured from the first
// cell of the last source group of equation 1.
TEST_F(Timeo, HighestColumnMeanAndItsDistance) {
    int top = NoCells;
    while (Ccellt[top] != 0) top = Ccellt[top];
    double sum = 0.0;
    int count = 0;
    for (int c = top; c != 0; c = Ccellb[c], ++count) {
        Components[1][c] = 2.0 + count;
        sum += Components[1][c];
    }
    Components[1][1] = 1.0;  // a lower mean elsewhere
    SourceCellGroups[2].equation = 1;
    SourceCellGroups[2].cells[0] = 7;
    SourceCellGroups[4].equation = 1;
    SourceCellGroups[4].cells[0] = 2;
    SourceCellGroups[8].equation = 1;  // beyond the groups searched
    SourceCellGroups[8].cells[0] = 9;
    Item(TimeoRecords[0], 'm', 1);
    const double distance = std::hypot(Cxcenter[top] - Cxcenter[2], Cycenter[top] - Cycenter[2]);
    char expected[96];
    std::snprintf(expected, sizeof expected, "%10.6e %10.6e \n", distance, sum / count);
    EXPECT_EQ(Written(), Time(12.5) + expected);
}

// Each unusable item is logged once per run and writes nothing; the items
// around it are written.
TEST_F(Timeo, ItemsOutsideTheGridAreSkippedAndLoggedOnce) {
    Cu[5] = 1.1;
    TimeoRecord& rec = TimeoRecords[0];
    Item(rec, 'u', 0);
    Item(rec, 'p', NoCells + 1);
    Item(rec, 'q', 5, 0, 0, 2);  // two components: 0 and 1
    Item(rec, 'h', 0, NoGridLinesX + 2, 1);
    Item(rec, 'z', 0, 1, -1);
    Item(rec, 'm', 7);
    Item(rec, 'u', 5);
    for (int call = 0; call < 2; ++call) EXPECT_EQ(Written(), Time(12.5) + "1.100000e+00 \n");
    EXPECT_EQ(LogLinesWith("of monitor record 1"), 6);
    NoSizes = static_cast<int>(conc.extent1());  // sizes beyond the concentrations
    Item(rec, 'a', 0);
    EXPECT_EQ(Written(), Time(12.5) + "1.100000e+00 \n");
    EXPECT_EQ(LogLinesWith("timeo item 8 (a)"), 1);
}

// Each record applies from its own start time; before the first, the first.
TEST_F(Timeo, LastRecordWhoseStartHasBeenReached) {
    NoTimeoRecords = 3;
    TimeoRecords[0].startTime = 0.0;
    TimeoRecords[1].startTime = 10.0;
    TimeoRecords[2].startTime = 20.0;
    Item(TimeoRecords[0], 'u', 5);
    Item(TimeoRecords[1], 'p', 5);
    Item(TimeoRecords[2], 'k', 5);
    Cu[5] = 1.0;
    Pres[5] = 2.0;
    Ck[5] = 3.0;
    const struct {
        double time;
        const char* tail;
    } rows[] = {{-1.0, "1.000000e+00 \n"}, {5.0, "1.000000e+00 \n"}, {10.0, "2.000000e+00 \n"},
                {15.0, "2.000000e+00 \n"}, {25.0, "3.000000e+00 \n"}};
    for (const auto& row : rows) {
        stime = row.time;
        EXPECT_EQ(Written(), Time(row.time) + row.tail) << row.time;
    }
}

TEST_F(Timeo, FileThatCannotBeOpenedEndsTheRun) {
    ASSERT_TRUE(std::filesystem::create_directory("timeo"));
    const EngineCall call = CallEngine([] {
        WriteTimeo();
        return 0;
    });
    EXPECT_TRUE(call.ended);
    EXPECT_EQ(call.status, -3);
}

}  // namespace
