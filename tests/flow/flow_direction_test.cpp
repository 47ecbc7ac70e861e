// Cells that every face drains get a little inflow back (F 7 E).
#include <cmath>
#include <string>

#include "tests/flow/flow_case.h"

namespace {

using FlowDirection = FlowCase;

TEST_F(FlowDirection, DrainedCellsTurnOneFace) {
    const struct {
        const char* name;
        int ni, nj;
        int group;         // CdischargeGroup of the tested cell
        double topFlux;    // flux of its top face
        bool turned;
        const char* line;  // in the last pass
    } rows[] = {
        {"south neighbour", 1, 2, 0, 0.5, true, "WarningSC, Iter 7, [3,4], corrected direction of flows(2)\n"},
        {"west neighbour only", 2, 1, 0, 0.5, true, "WarningSC, Iter 7, [3,4], corrected direction of floww(2)\n"},
        {"inflow group", 1, 2, 2, 0.5, false, nullptr},
        {"outflow group", 1, 2, -1, 0.5, false, nullptr},
        {"water entering at the top", 1, 2, 0, -0.5, false, nullptr},
        {"not a number", 1, 2, 0, std::nan(""), false, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        Box(row.ni, row.nj, 1);
        const int c = 2;
        // Out of c through every face, as the corrections leave it in every
        // pass.
        auto drain = [&] {
            for (int s = 1; s <= NoSurfaces; ++s) Fflux[s] = 0.0;
            Fflux[Csurfs[c]] = Fflux[Csurfw[c]] = Fflux[Csurfb[c]] = -1.0;
            Fflux[Csurfn[c]] = Fflux[Csurfe[c]] = 1.0;
            Fflux[Csurft[c]] = row.topFlux;
        };
        for (int n = 1; n <= NoCells; ++n) CdischargeGroup[n] = 0;
        CdischargeGroup[c] = row.group;
        Cbedcell[c] = 2;
        Bkooi[2] = 3;
        Bkooj[2] = 4;
        Iter = 7;
        NoIterPerStep = 3;
        const int shared = row.nj == 2 ? Csurfs[c] : Csurfw[c];
        for (int pass = 1; pass <= 3; ++pass) {
            drain();
            CheckFlowDirection(pass, c, c);
            EXPECT_DOUBLE_EQ(Fflux[shared], row.turned ? 0.01 : -1.0) << "pass " << pass;
            if (pass < 3) {
                EXPECT_EQ(log().find("WarningSC"), std::string::npos);
            }
        }
        EXPECT_EQ(Fflux[Csurfn[c]], 1.0);
        if (row.line) {
            EXPECT_NE(log().find(row.line), std::string::npos) << log();
            EXPECT_EQ(log().find("WarningSC"), log().rfind("WarningSC"));
        } else {
            EXPECT_EQ(log().find("WarningSC"), std::string::npos);
        }
    }
}

// A lone cell without any neighbour passes the test with no flux at all,
// but has no face to turn: nothing changes and nothing is logged.
TEST_F(FlowDirection, CellWithoutNeighbours) {
    Box(1, 1, 1);
    for (int s = 1; s <= NoSurfaces; ++s) Fflux[s] = 0.0;
    Fflux[Csurfe[1]] = 2.0;
    CdischargeGroup[1] = 0;
    NoIterPerStep = 1;
    CheckFlowDirection(1, 1, 1);
    EXPECT_EQ(Fflux[Csurfe[1]], 2.0);
    EXPECT_EQ(log().find("WarningSC"), std::string::npos);
}

}  // namespace
