// The result file: names, the text and binary forms, and failures.
#include <csignal>
#include <cstring>

#include "run/output_file.h"
#include "tests/output/results_case.h"

namespace {

class ResultFile : public ResultsCase {};

size_t BinarySize(int cells, int surfaces) {
    return sizeof(double) * (6 * (static_cast<size_t>(cells) + 1) + static_cast<size_t>(surfaces) + 1);
}

TEST_F(ResultFile, NameAndFormByDebugOptionSelectorNumberingAndPartition) {
    const struct {
        const char* row;
        int debug, selector, interval, startIteration, part;
        std::vector<std::string> present;
        std::string name;
        bool binary;
    } rows[] = {
        {"plain", 0, 0, 0, 0, 0, {}, "result", false},
        {"binary", 0, 15, 0, 0, 0, {}, "resultb", true},
        {"partition", 0, 0, 0, 0, 2, {}, "result.mpi2", false},
        {"binary name has no partition", 0, 15, 0, 0, 2, {}, "resultb", true},
        {"debug", 2, 0, 0, 0, 0, {}, "result.csh", false},
        {"debug binary", 2, 15, 0, 0, 0, {}, "result.csh", true},
        {"debug over numbering", 2, 0, 1, 0, 3, {}, "result.csh", false},
        {"other debug values", 1, 0, 0, 0, 0, {}, "result", false},
        {"numbered by P 10", 0, 0, 1, 0, 0, {}, "result.0000", false},
        {"numbered by P 15", 0, 0, 0, 5, 0, {}, "result.0000", false},
        {"numbered binary", 0, 15, 1, 0, 0, {}, "result.0000", true},
        {"numbered partition", 0, 0, 1, 0, 3, {}, "result.mpi3.0000", false},
        {"first free number", 0, 0, 1, 0, 0, {"result.0000", "result.0001", "result.0003"}, "result.0002", false},
    };
    Start();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.row);
        for (const std::string& name : FilesHere()) {
            if (name.rfind("result", 0) == 0) std::filesystem::remove(name);
        }
        for (const std::string& name : row.present) WriteHere(name, "taken");
        DebugFilesOption = row.debug;
        OutputSelector = row.selector;
        ResultInterval = row.interval;
        ResultStartIteration = row.startIteration;
        MpiPart = row.part;
        const std::set<std::string> before = FilesHere();
        EngineCall call = Call([] { WriteResultFile(0); });
        ASSERT_FALSE(call.ended) << call.log;
        std::set<std::string> added;
        for (const std::string& name : FilesHere()) {
            if (!before.count(name)) added.insert(name);
        }
        EXPECT_EQ(added, std::set<std::string>{row.name});
        const std::string content = ReadHere(row.name);
        if (row.binary) {
            EXPECT_EQ(content.size(), BinarySize(NoCells, NoSurfaces));
        } else {
            EXPECT_EQ(content.substr(0, 18), " 3600.500000 secon");
        }
        for (const std::string& name : row.present) EXPECT_EQ(ReadHere(name), "taken");
    }
}

TEST_F(ResultFile, TextFormHeaderAndOneLinePerGeneratedCellAndSurface) {
    Start();
    WallRoughness = 0.05;
    // Cells and surfaces appended after the grid was read are not written.
    const int cells = FileNoCells, surfaces = FileNoSurfaces;
    NoCells += 3;
    NoSurfaces += 5;
    ASSERT_FALSE(Call([] { WriteResultFile(1); }).ended);
    const std::vector<std::string> lines = SplitLines(ReadHere("result"));
    ASSERT_EQ(lines.size(), static_cast<size_t>(6 + cells + surfaces));
    EXPECT_EQ(lines[0], " 3600.500000 seconds");
    EXPECT_EQ(lines[1], "Results, iter = 42");
    EXPECT_EQ(lines[2], "Residuals: 0.001000 0.002000 0.003000 0.004000 0.005000 0.006000");
    EXPECT_EQ(lines[3], "Roughness : 0.050000");
    EXPECT_EQ(lines[4], "U " + std::to_string(NoPoints) + " " + std::to_string(cells) + " " +
                            std::to_string(surfaces) + " 1 0 0");
    EXPECT_EQ(lines[5], " i     u     v     w     k    e     p");
    // u v w k e p, in that order.
    EXPECT_EQ(lines[6], "C 1 1.00000000e-03 -2.00000000e-03 1.00000000e-05 1.01000000e-02 3.00100000e-03 9.81000000e+03");
    EXPECT_EQ(lines[5 + cells].substr(0, 5), "C " + std::to_string(cells) + " ");
    EXPECT_EQ(lines[6 + cells], "F 1 -6.75000000e+00");
    EXPECT_EQ(lines.back(), "F " + std::to_string(surfaces) + " " + [&] {
        char v[32];
        std::snprintf(v, sizeof v, "%14.8e", 0.5 * surfaces - 7.25);
        return std::string(v);
    }());
}

TEST_F(ResultFile, BinaryFormHoldsEveryArrayWholeInItsOrder) {
    Start("F 48 15\n");
    NoCells += 3;  // the binary form follows the present counts
    Cu[NoCells] = 123.0;
    ASSERT_FALSE(Call([] { WriteResultFile(1); }).ended);
    const std::string bytes = ReadHere("resultb");
    ASSERT_EQ(bytes.size(), BinarySize(NoCells, NoSurfaces));
    const size_t cells = static_cast<size_t>(NoCells) + 1;
    const Array1<double>* arrays[] = {&Cu, &Cv, &Cw, &Ck, &Cepsilon, &Pres};
    for (size_t k = 0; k < 6; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(std::memcmp(bytes.data() + k * cells * sizeof(double), arrays[k]->data(), cells * sizeof(double)), 0);
    }
    EXPECT_EQ(std::memcmp(bytes.data() + 6 * cells * sizeof(double), Fflux.data(),
                          (static_cast<size_t>(NoSurfaces) + 1) * sizeof(double)),
              0);
}

TEST_F(ResultFile, FileThatCannotBeWrittenEndsTheRunAndKeepsTheOldOne) {
    const struct {
        const char* row;
        int selector, debug;
        const char* name;
        const char* shown;
    } rows[] = {
        {"text", 0, 0, "result", "result"},
        {"binary", 15, 0, "resultb", "result"},
        {"debug", 0, 2, "result.csh", "result"},
    };
    Start();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.row);
        OutputSelector = row.selector;
        DebugFilesOption = row.debug;
        WriteHere(row.name, "old");
        SetOutputFileFaultHook([](const std::string&, FILE*) { return false; });
        EngineCall call = Call([] { WriteResultFile(1); });
        SetOutputFileFaultHook(nullptr);
        EXPECT_TRUE(call.ended);
        EXPECT_EQ(call.status, -3);
        EXPECT_EQ(std::string(StatusText), std::string("cannot open file '") + row.shown + "' ");
        EXPECT_NE(call.log.find(std::string("Error: can not write the file '") + row.name + "'\n"), std::string::npos);
        EXPECT_EQ(ReadHere(row.name), "old");
    }
}

// A run killed while it writes leaves the old result or none, never a part.
TEST_F(ResultFile, KilledWhileWritingLeavesTheOldFileOrNone) {
    Start();
    for (const bool old : {true, false}) {
        SCOPED_TRACE(old);
        std::filesystem::remove("result");
        if (old) WriteHere("result", "old");
        EXPECT_EXIT(
            {
                SetOutputFileFaultHook([](const std::string&, FILE* fp) {
                    std::fflush(fp);  // the part written so far is on disk
                    std::raise(SIGKILL);
                    return true;
                });
                WriteResultFile(1);
            },
            ::testing::KilledBySignal(SIGKILL), "");
        if (old) {
            EXPECT_EQ(ReadHere("result"), "old");
        } else {
            EXPECT_FALSE(std::filesystem::exists("result"));
        }
    }
}

}  // namespace
