// The reports of the results dispatcher in `boogie.spe`.
#include <cmath>

#include "tests/output/results_case.h"

namespace {

// The channel's cell at column (i, j), layer l (as the channel writer numbers them).
int ChannelCell(int i, int j, int l) { return ((j - 2) * 8 + (i - 2)) * 2 + l; }

class SpeReports : public ResultsCase {
protected:
    // Only the F 329 position 15 (and F 212) asks for something.
    void Select(int position15, int diagnostic = 0) {
        OutputFlags[0] = OutputFlags[1] = 0;
        OutputFlags[14] = position15;
        DiagnosticOutputOption = diagnostic;
    }

    static std::string Fixed(double v) {
        char text[64];
        std::snprintf(text, sizeof text, "%lf", v);
        return text;
    }

    std::string Title1() const { return std::string(Title + 1); }
};

TEST_F(SpeReports, DischargeThroughTheMiddleCrossSectionOfBlockOne) {
    Start();
    Select(1);
    // Block 1 ends at i = 9, j = 7: the section starts at column (3, 2) and
    // runs north across the channel, every cell of each column.
    double flux = 0.0, area = 0.0;
    for (int j = 2; j <= 7; ++j) {
        for (int l = 1; l <= 2; ++l) {
            const int c = ChannelCell(3, j, l);
            Fflux[Csurfe[c]] = 100.0 + c;
            Farea[Csurfe[c]] = 0.25;
            flux += 100.0 + c;
            area += Cu[c] * 0.25;
        }
    }
    ASSERT_FALSE(Call(WriteResults).ended);
    EXPECT_EQ(ReadHere("boogie.spe"),
              "Discharge (l/s): flux: " + Fixed(flux) + ", velocity*area: " + Fixed(1000.0 * area) + "\n");
}

TEST_F(SpeReports, SlopingAreaCountsBedFacesSteepAlongTheFlow) {
    Start();
    Select(0, 8);
    FirstCell = 1;
    LastCell = NoCells;
    for (int c = 1; c <= NoCells; ++c) {
        Cu[c] = 1.0;
        Cv[c] = 0.0;
    }
    for (int j = 2; j <= 7; ++j) {
        for (int i = 2; i <= 9; ++i) {
            const int s = Csurfb[ChannelCell(i, j, 1)];
            // Columns i = 2, 3 slope along x by 0.5 rad; column (4, 2) as well,
            // but its water stands still.
            const bool steep = i <= 3 || (i == 4 && j == 2);
            Fvecx[s] = steep ? std::sin(0.5) : 0.0;
            Fvecz[s] = steep ? std::cos(0.5) : 1.0;
            Farea[s] = 1.0;
        }
    }
    Cu[ChannelCell(4, 2, 2)] = 0.0;
    ASSERT_FALSE(Call(WriteResults).ended);
    EXPECT_EQ(ReadHere("boogie.spe"), "Fraction of sloping area: 0.250000\n");
}

// Steps 17 and 18 each start the file afresh: the discharge line remains.
TEST_F(SpeReports, LaterReportReplacesTheEarlierOne) {
    Start();
    Select(1, 8);
    ASSERT_FALSE(Call(WriteResults).ended);
    const std::vector<std::string> lines = SplitLines(ReadHere("boogie.spe"));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("Discharge (l/s): flux: ", 0), 0u);
}

class SpeProfile : public SpeReports {
protected:
    // Block 1 as a layer block; its profile runs along j = 4.
    void StartLayerBlock(const std::string& control = "") {
        Start("F 236 1 0 0 0\n" + control);
        BlockTable[1].layerBlock = 1;
        for (int i = 2; i <= 9; ++i) {
            const int t = ChannelCell(i, 4, 2);
            Cxcenter[t] = i - 1.5;
            Czcenter[t] = 0.75;
            Ckdist[t] = 0.25 + 0.01 * i;
            const int bottom = ChannelCell(i, 4, 1);
            ASSERT_EQ(Gridz[i][4][0], bottom);
            // Water columns are numbered when the grid is set up after reading.
            Cbedcell[bottom] = 20 + i;
            BlayerSlope[20 + i] = 0.1 * i;
        }
    }

    // The lines of the profile; there is no groundwater without F 262.
    static std::vector<std::string> ProfileLines() {
        std::vector<std::string> lines;
        for (int i = 2; i <= 9; ++i) {
            char line[128];
            std::snprintf(line, sizeof line, "%lf %lf %lf %lf", i - 1.5, 1.0 + 0.01 * i, 0.1 * i, 0.0);
            lines.push_back(line);
        }
        return lines;
    }
};

TEST_F(SpeProfile, ProfileOfTheLayerBlocks) {
    StartLayerBlock();
    Select(2);
    ASSERT_FALSE(Call(WriteResults).ended);
    std::vector<std::string> expected = {Title1() + " time: 3600.500000 seconds", "X, Zsurf, Zthixo, Zgroundwater", ""};
    for (const std::string& line : ProfileLines()) expected.push_back(line);
    EXPECT_EQ(SplitLines(ReadHere("boogie.spe")), expected);
}

TEST_F(SpeProfile, NumberedProfiles) {
    StartLayerBlock("P 10 1\n");
    Select(2);
    ASSERT_FALSE(Call(WriteResults).ended);
    ASSERT_FALSE(Call(WriteResults).ended);
    EXPECT_EQ(SplitLines(ReadHere("boogie.spe0000")).size(), 11u);
    EXPECT_EQ(SplitLines(ReadHere("boogie.spe0001")).size(), 11u);
    EXPECT_FALSE(std::filesystem::exists("boogie.spe"));
}

TEST_F(SpeProfile, AppendedProfileStartsTheFileOnceAndAddsEveryCall) {
    StartLayerBlock();
    Select(3);
    WriteHere("boogie.spe", "from an earlier run\n");
    ASSERT_FALSE(Call(WriteResults).ended);
    stime = 7200.0;
    ASSERT_FALSE(Call(WriteResults).ended);
    std::vector<std::string> expected = {Title1(), "X, Zsurf, Zthixo, Zgroundwater", ""};
    for (const char* time : {"3600.500000", "7200.000000"}) {
        expected.push_back("");
        expected.push_back(std::string("Time: ") + time + " seconds");
        for (const std::string& line : ProfileLines()) expected.push_back(line);
    }
    EXPECT_EQ(SplitLines(ReadHere("boogie.spe")), expected);
}

TEST_F(SpeReports, ReportThatCannotBeWrittenEndsTheCall) {
    Start();
    Select(0, 9);
    std::filesystem::create_directory("boogie.spe");
    SetStatusText("before");
    EngineCall call = Call(WriteResults);
    EXPECT_FALSE(call.ended);
    EXPECT_NE(call.log.find("Error: can not write the file 'boogie.spe'\n"), std::string::npos);
    EXPECT_EQ(std::string(StatusText), "before");
    EXPECT_EQ(WritingFilesFlag, 0);
}

}  // namespace
