// The files a run leaves for the next one and letter O that reads them back:
// `con2res` (concentrations), `fracres` (bed fractions) and `compres`
// (water-quality components), on a channel of 4 x 2 columns of 5 cells.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "output/output_services.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "sediment/sediment_services.h"
#include "tests/support/project_dir.h"
#include "tools/channel_project.h"
#include "tests/physics/physics_channel.h"

namespace {

constexpr int kCells = 40;
const char* const kSediment = "S 1 0.0002 0.01\nN 0 1 1\n";

ChannelSpec SmallChannel(const std::string& letters, const std::string& control) { return PoolChannel(0.1, letters, control); }

// "%e " per value: the total and one size per cell, cell c at c x 1e-5.
std::string Con2resText(int cells) {
    std::string text = std::to_string(cells) + " 1\n";
    char value[64];
    for (int c = 1; c <= cells; ++c) {
        std::snprintf(value, sizeof value, "%e %e \n", c * 1e-5, c * 1e-5);
        text += value;
    }
    return text;
}

// A grid position with a water column.
void WetPosition(int* i, int* j) {
    for (*i = 0; *i <= NoGridLinesX + 1; ++*i) {
        for (*j = 0; *j <= NoGridLinesY + 1; ++*j) {
            if (pointbed[*i][*j] > 0) return;
        }
    }
}

class ReadBack : public ::testing::Test {
protected:
    EngineRun Run(const std::string& letters, const std::string& control) {
        EXPECT_TRUE(WriteChannelProject(dir_.path(), SmallChannel(letters, control)));
        EngineRun r = dir_.run();
        log_ = dir_.read("boogie");
        return r;
    }

    int RunInProcess(const std::string& letters, const std::string& control) {
        EXPECT_TRUE(WriteChannelProject(dir_.path(), SmallChannel(letters, control)));
        const int status = dir_.runInProcess();
        log_ = dir_.read("boogie");
        return status;
    }

    void Rename(const std::string& from, const std::string& to) const {
        std::filesystem::rename(dir_.file(from), dir_.file(to));
    }

    // Letter O on the grid of the last in-process run, in its directory.
    int ReadBackHere() const {
        const std::filesystem::path old = std::filesystem::current_path();
        std::filesystem::current_path(dir_.path());
        int result = 0;
        try {
            result = ReadCon2resFiles();
        } catch (const RunExit& e) {
            result = 1000 + e.status;
        }
        std::filesystem::current_path(old);
        return result;
    }

    ProjectDir dir_;
    std::string log_;
};

TEST_F(ReadBack, Con2resGoesThroughLettersOAndFUnchanged) {
    const std::string control = std::string(kSediment) + "F 37 2\n";
    const std::string original = Con2resText(kCells);
    dir_.write("con2res", original);
    EngineRun r = Run("UOF", control);
    EXPECT_EQ(r.status, 1) << log_;
    EXPECT_EQ(dir_.read("con2res.new"), original);
    Rename("con2res.new", "con2res");
    r = Run("UOF", control);
    EXPECT_EQ(dir_.read("con2res.new"), original);
}

TEST_F(ReadBack, Con2resReadIntoTheConcentrations) {
    dir_.write("con2res", Con2resText(kCells));
    ASSERT_EQ(RunInProcess("UO", std::string(kSediment) + "F 37 2\n"), 1) << log_;
    EXPECT_DOUBLE_EQ(conc[1][7], 7e-5);
    EXPECT_DOUBLE_EQ(conc[0][kCells], kCells * 1e-5);
}

TEST_F(ReadBack, Con2resForAnotherGridStopsTheRun) {
    dir_.write("con2res", Con2resText(kCells + 1));
    EngineRun r = Run("UOF", std::string(kSediment) + "F 37 2\n");
    EXPECT_EQ(r.status, -1);
    EXPECT_NE(log_.find("Error reading con2res file\ncon2res: No. cells = 41, no. sizes = 1\n"
                        "Unstruc/control file: No. cells = 40, no. sizes = 1\n"),
              std::string::npos)
        << log_;
    EXPECT_FALSE(dir_.exists("con2res.new"));
}

TEST_F(ReadBack, NumberedCon2resTakesTheFirstFreeNumber) {
    for (int n = 0; n <= 9; ++n) dir_.write("con2res.00" + std::to_string(n), "");
    EngineRun r = Run("UF", std::string(kSediment) + "F 37 2\nP 9 1\n");
    EXPECT_EQ(r.status, 1) << log_;
    EXPECT_TRUE(dir_.exists("con2res.010"));
    EXPECT_FALSE(dir_.exists("con2res.new"));
    EXPECT_EQ(dir_.read("con2res.010").substr(0, 5), "40 1\n");
}

TEST_F(ReadBack, CompresLandsInTheComponents) {
    std::string compres;
    char line[64];
    for (int c = 1; c <= kCells; ++c) {
        std::snprintf(line, sizeof line, "%e %e \n", c * 0.5, -c * 1.0);
        compres += line;
    }
    dir_.write("compres", compres);
    ASSERT_EQ(RunInProcess("UO", "F 50 2\n"), 1) << log_;
    ASSERT_TRUE(Components.exists());
    for (int c : {1, 17, kCells}) {
        EXPECT_DOUBLE_EQ(Components[0][c], c * 0.5);
        EXPECT_DOUBLE_EQ(Components[1][c], -c * 1.0);
    }
}

struct FracresForm {
    const char* name;
    std::string control;
    size_t valuesPerLine;  // i, j and the layers
};

void PrintTo(const FracresForm& row, std::ostream* os) { *os << row.name; }

class FracresRoundTrip : public ReadBack, public ::testing::WithParamInterface<FracresForm> {};

// The bed written at the end of a morphology run is read by O and written
// again by M, byte for byte.
TEST_P(FracresRoundTrip, EndOfRunBedReadAndWrittenAgain) {
    const std::string control =
        std::string(kSediment) + GetParam().control + "F 33 10 1\nK 1 1\nF 329 1 1 0 0 0 0 0 0 0 0 0 0 0 0 0 1\n";
    EngineRun r = Run("US", control);
    ASSERT_EQ(r.status, 1) << log_;
    const std::string written = dir_.read("fracres.new");
    ASSERT_FALSE(written.empty());
    size_t lines = 0;
    for (char ch : written) lines += ch == '\n';
    EXPECT_EQ(lines, 8u);  // one per water column
    const std::string first = written.substr(0, written.find('\n'));
    size_t values = 1;
    for (char ch : first) values += ch == ' ';
    EXPECT_EQ(values, GetParam().valuesPerLine) << first;
    Rename("fracres.new", "fracres");
    r = Run("UOM", control);
    ASSERT_EQ(r.status, 1) << log_;
    EXPECT_EQ(dir_.read("fracres.new"), written);
}

INSTANTIATE_TEST_SUITE_P(Forms, FracresRoundTrip,
                         ::testing::Values(FracresForm{"TwoLayers", "F 37 2\n", 2 + 2 * 2},
                                           FracresForm{"FourLayers", "F 37 3\nF 134 4\nF 106 0.01\n", 2 + 4 * 2}),
                         [](const auto& i) { return std::string(i.param.name); });

// In-process checks of the reader on the channel's grid, columns counted.
class FracresReader : public ReadBack {
protected:
    void SetUp() override {
        ASSERT_EQ(RunInProcess("U", std::string(kSediment) + "F 37 2\n"), 1) << log_;
        ASSERT_GT(NoBedCells, 0);
    }

    // A line for grid position (i, j), two layers of one size.
    static std::string Line(int i, int j, double t1, double f1, double t0, double f0) {
        char text[160];
        std::snprintf(text, sizeof text, "%d %d %lf %lf %lf %lf\n", i, j, t1, f1, t0, f0);
        return text;
    }

};

TEST_F(FracresReader, LayersLandInTheColumn) {
    int i = 0, j = 0;
    WetPosition(&i, &j);
    dir_.write("fracres", Line(i, j, 0.02, 1.0, 0.3, 1.0));
    EXPECT_EQ(ReadBackHere(), 0);
    const int b = pointbed[i][j];
    EXPECT_DOUBLE_EQ(BSedDistrib[1][0][b], 0.02);
    EXPECT_DOUBLE_EQ(BSedDistrib[0][0][b], 0.3);
    EXPECT_EQ(FracresReadFlag, 1);
}

TEST_F(FracresReader, FractionSumOffOneStopsTheRun) {
    int i = 0, j = 0;
    WetPosition(&i, &j);
    dir_.write("fracres", Line(i, j, 0.02, 0.9, 0.3, 1.0));
    EXPECT_EQ(ReadBackHere(), 1000 - 3);
    char expected[120];
    std::snprintf(expected, sizeof expected, "Error in fracres, i=%d,j=%d, sum of fractions = 0.900000\n", i, j);
    EXPECT_NE(dir_.read("boogie").find(expected), std::string::npos) << dir_.read("boogie");
    EXPECT_EQ(FracresReadFlag, 0);
}

// The multi-layer form names the layer whose fractions do not sum to 1.
TEST_F(ReadBack, MultiLayerFracresNamesTheLayer) {
    ASSERT_EQ(RunInProcess("U", std::string(kSediment) + "F 37 3\nF 134 4\n"), 1) << log_;
    dir_.write("fracres", "");
    ASSERT_EQ(ReadBackHere(), 0);  // counts the water columns
    int i = 0, j = 0;
    WetPosition(&i, &j);
    ASSERT_LE(i, NoGridLinesX + 1);
    char line[200];
    std::snprintf(line, sizeof line, "%d %d 0.01 1.0 0.02 1.0 0.03 0.9 0.04 1.0\n", i, j);
    dir_.write("fracres", line);
    EXPECT_EQ(ReadBackHere(), 1000 - 3);
    char expected[120];
    std::snprintf(expected, sizeof expected, "Error in fracres, i=%d,j=%d, layer 1, sum of fractions = 0.900000\n", i, j);
    EXPECT_NE(dir_.read("boogie").find(expected), std::string::npos) << dir_.read("boogie");
}

// The reader says 88; letter O does not go on with part of the bed unread.
TEST_F(FracresReader, PositionOutsideTheGridEndsTheRun) {
    dir_.write("fracres", Line(NoGridLinesX + 2, 1, 0.02, 1.0, 0.3, 1.0));
    EXPECT_EQ(ReadBackHere(), 1000 + kReadBackRefusedStatus);
    EXPECT_EQ(FracresReadFlag, 0);
    dir_.write("fracres", Line(NoGridLinesX + 1, 1, 0.02, 1.0, 0.3, 1.0));
    EXPECT_EQ(ReadBackHere(), 0);
}

// Letter O before U or Y: no column takes the layers, so the bed does not
// count as read and a sediment run still asks for its grain sizes.
TEST_F(ReadBack, FracresBeforeTheGridIsNotUsed) {
    dir_.write("fracres", "1 1 0.02 1.0 0.3 1.0\n");
    ASSERT_EQ(RunInProcess("O", std::string(kSediment) + "F 37 2\n"), 1) << log_;
    EXPECT_EQ(FracresReadFlag, 0);
    EXPECT_NE(log_.find("Have not used 'fracres': no grid was read or generated before letter O\n"), std::string::npos)
        << log_;
}

TEST_F(FracresReader, MissingFileGivesTwo) { EXPECT_EQ(ReadBackHere(), 2); }

// An emptied layer (F 30 2 leaves one) and a position without a water column
// are read; the empty layer is stored, the dry position stores nothing.
TEST_F(FracresReader, EmptyLayerAndDryPositionAreAccepted) {
    int i = 0, j = 0;
    WetPosition(&i, &j);
    const int b = pointbed[i][j];
    BSedDistrib[1][1][b] = 0.5;
    dir_.write("fracres", Line(i, j, 0.0, 0.0, 0.3, 1.0) + Line(0, 0, 0.0, 0.0, 0.0, 0.0));
    ASSERT_EQ(pointbed[0][0], 0);
    EXPECT_EQ(ReadBackHere(), 0);
    EXPECT_EQ(BSedDistrib[1][0][b], 0.0);
    EXPECT_EQ(BSedDistrib[1][1][b], 0.0);
    EXPECT_EQ(FracresReadFlag, 1);
}

// Only positions with a water column are written, so the file reads back.
TEST_F(FracresReader, WriterSkipsPositionsWithoutAWaterColumn) {
    int i = 0, j = 0;
    WetPosition(&i, &j);
    const int b = pointbed[i][j];
    for (int c = 1; c <= NoBedCells; ++c) {
        BSedDistrib[1][0][c] = 0.01;
        BSedDistrib[1][1][c] = 1.0;
        BSedDistrib[0][1][c] = 1.0;
    }
    pointbed[i][j] = 0;
    const std::filesystem::path old = std::filesystem::current_path();
    std::filesystem::current_path(dir_.path());
    WriteFracresFile(1);
    std::filesystem::current_path(old);
    pointbed[i][j] = b;
    const std::string written = dir_.read("fracres.new");
    size_t lines = 0;
    for (char ch : written) lines += ch == '\n';
    EXPECT_EQ(lines, static_cast<size_t>(NoBedCells) - 1);
    const std::string dryLine = std::string("\n").append(std::to_string(i)).append(" ").append(std::to_string(j)).append(" ");
    EXPECT_EQ(std::string("\n").append(written).find(dryLine), std::string::npos) << written;
    Rename("fracres.new", "fracres");
    EXPECT_EQ(ReadBackHere(), 0);
}

}  // namespace
