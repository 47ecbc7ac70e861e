// Writing the grid file and its snapshots.
#include <filesystem>

#include "tests/grid/unstruc_case.h"

namespace {

namespace fs = std::filesystem;

// Reading a file and writing it again in the same version gives it back
// byte for byte.
TEST_F(UnstrucCase, EachVersionRoundTrips) {
    for (const GridFixture& row : FinishedGrids()) {
        SCOPED_TRACE(row.name);
        StartAndRead(row.control, row.text);
        EngineCall write = Write();
        EXPECT_EQ(write.result, 0) << write.log;
        EXPECT_EQ(ReadHere("unstruc"), row.text);
        EXPECT_EQ(StatusText, std::string(" Have written unstruc file       "));
    }
}

// A version-4 file holds no cells: reading one generates them, and the
// files written from the generated grid, in version 4 and in version 3, read
// back to the same bytes.
TEST_F(UnstrucCase, GeneratedGridsRoundTrip) {
    for (const char* version : {"4", "3"}) {
        SCOPED_TRACE(version);
        const std::string control = Channel(4).control + "F 297 " + version + "\n";
        StartAndRead(control, Channel(4).unstruc);
        ASSERT_EQ(Write().result, 0);
        const std::string first = ReadHere("unstruc");
        EXPECT_EQ(Line(first, 1).substr(0, 2), std::string(version) + " ");
        StartAndRead(control, first);
        ASSERT_EQ(Write().result, 0);
        EXPECT_EQ(ReadHere("unstruc"), first);
    }
}

TEST_F(UnstrucCase, VersionTwoRoundTripsThroughTheColumnRows) {
    StartAndRead(Channel(3).control + "F 297 2\n", Channel(3).unstruc);
    ASSERT_EQ(Write().result, 0);
    const std::string v2 = ReadHere("unstruc");
    EXPECT_EQ(Line(v2, 1), "2 36 141 1 0 0 0 80 6 5");
    EXPECT_EQ(SplitLines(v2).back(), " 0 0 0 0 0 0");
    StartAndRead(Channel(3).control + "F 297 2\n", v2);
    ASSERT_EQ(Write().result, 0);
    EXPECT_EQ(ReadHere("unstruc"), v2);
}

TEST_F(UnstrucCase, VersionFourLeavesOutPointsCellsAndSurfaces) {
    StartAndRead(std::string(kCubeControl) + "F 297 4\n", CubeText());
    ASSERT_EQ(Write().result, 0);
    const std::string v4 = ReadHere("unstruc");
    EXPECT_EQ(Line(v4, 1), "4 1 6 1 0 0 0 8");
    EXPECT_EQ(Line(v4, 2), Line(CubeText(), 17));  // the block line follows the header
    EXPECT_EQ(SplitLines(v4).size(), 1 + 1 + 18 + 10 + 4u);
}

TEST_F(UnstrucCase, VersionTwoWritesTheSizesOfTheGrid) {
    StartAndRead(std::string(kCubeControl) + "F 297 2\n", CubeText());
    ASSERT_EQ(Write().result, 0);
    const std::vector<std::string> lines = SplitLines(ReadHere("unstruc"));
    EXPECT_EQ(lines.at(0), "2 1 6 1 0 0 0 8 4 4");
    ASSERT_EQ(lines.size(), 1 + 8 + 1 + 6 + 1 + 18 + 10 + 5u);
    EXPECT_EQ(lines.at(lines.size() - 4), " 0 1 0 0 0");  // grid line 2: column (2,2) holds cell 1
}

// The unit cube with its block widened to two columns: column (2,3) has no
// cells.
std::string WideCube() {
    std::vector<std::string> lines = SplitLines(CubeText());
    lines.at(16) = "2 2 2 3 0 1 0 0 0 0 1 1 1 6 1 8 0 0.000000 0.000000";
    lines.resize(45);
    for (const char* node : {"0 0.000000 1.000000 0.000000 0.000000 ", "0 0.000000 1.000000 0.000000 1.000000 ",
                             "0 0.000000 1.000000 0.000000 2.000000 ", "0 0.000000 1.000000 1.000000 0.000000 ",
                             "1 0.000000 1.000000 1.000000 1.000000 ", "0 0.000000 1.000000 1.000000 2.000000 "}) {
        lines.push_back(node);
    }
    return JoinText(lines);
}

TEST_F(UnstrucCase, DryColumnsInVersionTwoGoToTheDryFile) {
    StartAndRead(std::string(kCubeControl) + "F 297 2\n", WideCube());
    WriteHere("unstruc", "kept");
    EngineCall write = Write();
    EXPECT_EQ(write.result, 1);
    EXPECT_EQ(ReadHere("unstruc"), "kept");
    EXPECT_EQ(Line(ReadHere("unstruc.dry"), 1), "2 1 6 1 0 0 0 8 4 4");
    EXPECT_NE(write.log.find("WARNING: You are writing an unstruc file which does not cover the whole domain\n"
                             "This unstruc file should not be used as a start for a wetting/drying computation\n"
                             "It should only be used for debugging purposes and display of graphics\n\n"),
              std::string::npos);

    // Version 3 counts no dry columns; the debug name wins over the dry one.
    StartAndRead(std::string(kCubeControl), WideCube());
    EXPECT_EQ(Write().result, 0);
    EXPECT_EQ(ReadHere("unstruc"), WideCube());
    StartAndRead(std::string(kCubeControl) + "F 297 2\nF 257 2\n", WideCube());
    EXPECT_EQ(Write().result, 1);
    EXPECT_EQ(Line(ReadHere("unstruc.dbg"), 1), "2 1 6 1 0 0 0 8 4 4");
}

TEST_F(UnstrucCase, AFileThatCannotBeWrittenLeavesNothingBehind) {
    StartAndRead(kCubeControl, CubeText());
    fs::remove("unstruc");
    fs::create_directory("unstruc");
    fs::create_directory("unstruc/x");  // a directory with content cannot be replaced
    EngineCall write = Write();
    EXPECT_EQ(write.result, -4);
    EXPECT_NE(write.log.find("Error: cannot write 'unstruc' file; the file as it was is kept\n"), std::string::npos);
    EXPECT_EQ(write.log.find("WriteGridCompanionFiles"), std::string::npos);
    for (const auto& entry : fs::directory_iterator(".")) {
        EXPECT_EQ(entry.path().filename().string().find(".tmp"), std::string::npos) << entry.path();
    }

    fs::remove_all("unstruc");
    StartAndRead(std::string(kCubeControl) + "F 257 2\n", CubeText());
    fs::create_directory("unstruc.dbg");
    fs::create_directory("unstruc.dbg/x");
    write = Write();
    EXPECT_EQ(write.result, -4);
    EXPECT_EQ(StatusText, std::string("cannot open file 'unstruc.dbg' "));
}

TEST_F(UnstrucCase, SnapshotsAreNumberedAndFollowTheFirstOutputInterval) {
    StartAndRead(std::string(kCubeControl) + "F 101 3 1 1 1\n", CubeText());
    auto snapshot = [](int iter) {
        Iter = iter;
        WriteUnstrucSnapshot();
    };
    snapshot(4);
    EXPECT_FALSE(fs::exists("unstruc.0"));
    snapshot(6);
    snapshot(9);
    EXPECT_TRUE(fs::exists("unstruc.0"));
    EXPECT_TRUE(fs::exists("unstruc.1"));
    EXPECT_FALSE(fs::exists("unstruc.2"));
    fs::remove("unstruc.0");
    snapshot(12);
    EXPECT_TRUE(fs::exists("unstruc.0"));  // the first free number is taken again

    // Version 1 with the live counts; reading it and writing a snapshot
    // again gives the same file.
    const std::string v1 = ReadHere("unstruc.1");
    EXPECT_EQ(Line(v1, 1), "1 1 6 1 0 0 0 8");
    EXPECT_EQ(SplitLines(v1).back(), "0 0 0 0 0 ");
    StartAndRead(kCubeControl, v1);
    snapshot(1);
    EXPECT_EQ(ReadHere("unstruc.2"), v1);

    // An interval of 0 writes at every call.
    StartAndRead(std::string(kCubeControl) + "F 101 0 1 1 1\n", CubeText());
    snapshot(5);
    snapshot(7);
    EXPECT_TRUE(fs::exists("unstruc.3"));
    EXPECT_TRUE(fs::exists("unstruc.4"));
}

}  // namespace
