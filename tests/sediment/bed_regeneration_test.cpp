// The default bed change on a generated block of 3 x 3 columns: the grid is
// regenerated under the moved bed every F 99 iterations only, and the
// suspended mass is booked only when it is.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "flow/cell_lookup.h"
#include "grid/grid_services.h"
#include "sediment/sediment_data.h"
#include "sediment/sediment_services.h"
#include "tests/grid/generation_case.h"

namespace {

class BedRegeneration : public GenerationCase {
protected:
    void Build(const std::string& control) {
        Start(5, 5, 4, control);
        for (int i = 1; i <= 4; ++i) {
            for (int j = 1; j <= 4; ++j) GridLevels[3][i][j] = -10.0;
        }
        const EngineCall call = GenerateWithColumns();
        ASSERT_FALSE(call.ended) << call.log;
        ComputePlanAreas();
        BlockTable[1].field11 = 1;
        BedOutflowDefectOption = 0;
        BedSolidFraction = 0.5;
        SedRelativeDensity = 2.65;
        ASSERT_GT(GridColumnBottom(3, 3), 0);
    }

    // The middle column's bottom cell stands on its NE node's bed level.
    static bool CellsFollowTheBed() {
        const int c = GridColumnBottom(3, 3);
        return std::fabs(Pz1[Cpoint3[c]] - Gridz[3][3][1]) < 1e-12;
    }

    static void FillSuspended() {
        if (!conc.exists() || conc.extent1() < 2) return;
        for (int c = 1; c <= NoCells && static_cast<size_t>(c) < conc.extent2(); ++c) conc[1][c] = 0.001;
    }
};

TEST_F(BedRegeneration, RegeneratesEveryF99thIteration) {
    Build("F 99 3\n");
    for (int iteration = 1; iteration <= 4; ++iteration) {
        Iter = iteration;
        FillSuspended();
        const double defect = SuspVolumeChangeDefect;
        Bedmove[Cbedcell[GridColumnBottom(3, 3)]] = 0.04;
        const EngineCall call = CallEngine([] {
            ComputeBedChange();
            return 0;
        });
        ASSERT_FALSE(call.ended) << call.log;
        const bool regenerated = iteration == 1 || iteration == 4;
        EXPECT_EQ(CellsFollowTheBed(), regenerated) << iteration;
        if (!regenerated) {
            EXPECT_EQ(SuspVolumeChangeDefect, defect) << iteration;
        }
        EXPECT_TRUE(std::isfinite(SuspVolumeChangeDefect));
    }
    // Four steps of 0.04 m over the middle column of equal neighbours.
    EXPECT_NEAR(Gridz[3][3][1], 4 * 0.01, 1e-12);
    EXPECT_NEAR(GridLevels[1][3][3], 4 * 0.01, 1e-12);
    EXPECT_EQ(BedMoveDefectAbs, 0.0);
    EXPECT_EQ(ReadHere("boogie").find("ComputeBedChange is not available"), std::string::npos);
}

}  // namespace
