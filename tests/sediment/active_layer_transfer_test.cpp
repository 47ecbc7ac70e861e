// Bed material moved between two grid nodes through the active layers of
// the columns around them: erosion with the refill from below, deposition
// with the push-down into layer 0, and the transfer that keeps the bed
// volume of the node levels equal to the volume of the layers.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "run/globals.h"
#include "run/log.h"
#include "sediment/active_layer_transfer.h"
#include "tests/support/control_text.h"

namespace {

constexpr int kColumns = 6;

struct CaseName {
    template <class Info>
    std::string operator()(const Info& i) const {
        return i.param.name;
    }
};

// Six columns (bed cells 1..6) of two layers and two sizes, and a few grid
// nodes; layer 1 holds sizes 0.6 / 0.4, layer 0 0.2 / 0.8.
class ActiveLayer : public ::testing::Test {
protected:
    ActiveLayer() {
        if (!LogCreate()) ADD_FAILURE() << "cannot create boogie";
        ResetGlobals();
        NoSizes = 2;
        NoBedCells = kColumns;
        ActiveLayerLimit = 0.05;
        EXPECT_TRUE(BSedDistrib.allocate(2, 3, kColumns + 1) && Barea.allocate(kColumns + 1) &&
                    Gridz.allocate(4, 4, 3));
        for (int b = 1; b <= kColumns; ++b) {
            Barea[b] = 1.0;
            Set(b, 0.02, 0.3);
        }
    }

    static void Set(int b, double t1, double t0) {
        BSedDistrib[1][0][b] = t1;
        BSedDistrib[1][1][b] = 0.6;
        BSedDistrib[1][2][b] = 0.4;
        BSedDistrib[0][0][b] = t0;
        BSedDistrib[0][1][b] = 0.2;
        BSedDistrib[0][2][b] = 0.8;
    }
    static double T1(int b) { return BSedDistrib[1][0][b]; }
    static double T0(int b) { return BSedDistrib[0][0][b]; }
    // Volume of size s (0: all) in the two layers of column b.
    static double SizeVolume(int b, int s) {
        if (s == 0) return Barea[b] * (T0(b) + T1(b));
        return Barea[b] * (T0(b) * BSedDistrib[0][s][b] + T1(b) * BSedDistrib[1][s][b]);
    }
    static double TotalVolume(int s) {
        double v = 0.0;
        for (int b = 1; b <= kColumns; ++b) v += SizeVolume(b, s);
        return v;
    }

private:
    InProjectDir here_;
};

struct ErodeCase {
    const char* name;
    double t1, t0, e;
    double t1After, t0After, taken;
};

void PrintTo(const ErodeCase& row, std::ostream* os) { *os << row.name; }

class ErodeActive : public ActiveLayer, public ::testing::WithParamInterface<ErodeCase> {};

TEST_P(ErodeActive, TakesTheTopAndRefillsFromBelow) {
    const ErodeCase& k = GetParam();
    Set(1, k.t1, k.t0);
    const double size1 = SizeVolume(1, 1), size2 = SizeVolume(1, 2);
    ErodedVolumeBySize[1] = ErodedVolumeBySize[2] = 0.0;
    ErodeActiveLayer(1, k.e);
    EXPECT_NEAR(T1(1), k.t1After, 1e-15);
    EXPECT_NEAR(T0(1), k.t0After, 1e-15);
    EXPECT_NEAR(ErodedVolumeBySize[1] + ErodedVolumeBySize[2], k.taken, 1e-15);
    EXPECT_NEAR(ErodedVolumeBySize[1], 0.6 * k.taken, 1e-15);
    // What is taken per size is what the layers lost of it.
    EXPECT_NEAR(SizeVolume(1, 1) + ErodedVolumeBySize[1], size1, 1e-15);
    EXPECT_NEAR(SizeVolume(1, 2) + ErodedVolumeBySize[2], size2, 1e-15);
}

const ErodeCase kErode[] = {
    {"InsideTheActiveLayer", 0.01, 0.3, 0.004, 0.01, 0.296, 0.004},
    {"WholeActiveLayer", 0.002, 0.3, 0.01, 0.002, 0.298, 0.002},
    {"LayerBelowRunsOut", 0.01, 0.003, 0.008, 0.005, 0.0, 0.008},
    {"EmptyActiveLayerGivesNothing", 0.0, 0.3, 0.01, 0.0, 0.3, 0.0},
};
INSTANTIATE_TEST_SUITE_P(Cases, ErodeActive, ::testing::ValuesIn(kErode),
                         CaseName());

struct DepositCase {
    const char* name;
    double limit, t1, d;
    double t1After, t0After;
    bool activeIsDeposit;  // the new active layer holds nothing but the deposit
};

void PrintTo(const DepositCase& row, std::ostream* os) { *os << row.name; }

class DepositActive : public ActiveLayer, public ::testing::WithParamInterface<DepositCase> {};

// The deposit is pure size 1 over layers of 0.02 (active) and 0.3 m.
TEST_P(DepositActive, FillsTheActiveLayerAndPushesTheRestDown) {
    const DepositCase& k = GetParam();
    ActiveLayerLimit = k.limit;
    Set(1, k.t1, 0.3);
    const double size1 = SizeVolume(1, 1), size2 = SizeVolume(1, 2);
    ErodedVolumeBySize[1] = 1.0;
    ErodedVolumeBySize[2] = 0.0;
    DepositActiveLayer(1, k.d);
    EXPECT_NEAR(T1(1), k.t1After, 1e-15);
    EXPECT_NEAR(T0(1), k.t0After, 1e-15);
    EXPECT_NEAR(SizeVolume(1, 1), size1 + k.d, 1e-12);
    EXPECT_NEAR(SizeVolume(1, 2), size2, 1e-12);
    for (int layer = 0; layer <= 1; ++layer) {
        if (BSedDistrib[layer][0][1] > 0.0) {
            EXPECT_NEAR(BSedDistrib[layer][1][1] + BSedDistrib[layer][2][1], 1.0, 1e-12) << layer;
        }
    }
    if (k.activeIsDeposit) {
        EXPECT_NEAR(BSedDistrib[1][1][1], 1.0, 1e-12);
    }
}

const DepositCase kDeposit[] = {
    {"IntoTheActiveLayer", 0.05, 0.02, 0.01, 0.03, 0.3, false},
    {"FillsTheActiveLayer", 0.05, 0.02, 0.05, 0.05, 0.32, true},
    {"BeyondTheActiveLayer", 0.05, 0.02, 0.08, 0.05, 0.35, true},
    {"NoRoomLeft", 0.05, 0.05, 0.01, 0.05, 0.31, false},
    {"ZeroLimitLeavesTheActiveLayerEmpty", 0.0, 0.02, 0.01, 0.0, 0.33, false},
};
INSTANTIATE_TEST_SUITE_P(Cases, DepositActive, ::testing::ValuesIn(kDeposit),
                         CaseName());

// A 2 mm active layer and 0.04 m to move: only 2 mm per losing column can
// go, V = 0.002 x (1 + 1 + 2 + 2) m3. The losing node drops 4 V over its
// columns' area (6 m2), the gaining node rises 4 V over its own (3 m2), so
// the bed volume of the node levels (a quarter of the columns' area per
// node) changes by -V and +V, as do the layers; nothing is made or lost.
TEST_F(ActiveLayer, TransferMovesTheVolumeActuallyEroded) {
    Barea[3] = Barea[4] = 2.0;
    Barea[5] = Barea[6] = 0.5;
    for (int b = 1; b <= kColumns; ++b) Set(b, 0.002, 0.3);
    const double total = TotalVolume(0), size1 = TotalVolume(1), size2 = TotalVolume(2);
    const double gainingBefore = SizeVolume(5, 0) + SizeVolume(6, 0);
    const double losingBefore = SizeVolume(3, 0) + SizeVolume(4, 0);
    Gridz[1][1][1] = Gridz[2][1][1] = 5.0;

    UpdateActiveLayerForBedMove(1, 2, 3, 4, 5, 6, 1, 1, 2, 1, 0.04);

    const double v = 0.002 * 6.0;
    EXPECT_NEAR(ErodedVolumeBySize[0], v, 1e-15);
    EXPECT_NEAR((Gridz[1][1][1] - 5.0) * 6.0 / 4.0, -v, 1e-15);
    EXPECT_NEAR((Gridz[2][1][1] - 5.0) * 3.0 / 4.0, v, 1e-15);
    // Columns 3 and 4 only lose (2 mm each), 5 and 6 only gain (V / 3 m2 each).
    EXPECT_NEAR(SizeVolume(3, 0) + SizeVolume(4, 0) - losingBefore, -0.002 * 4.0, 1e-15);
    EXPECT_NEAR(SizeVolume(5, 0) + SizeVolume(6, 0) - gainingBefore, v / 3.0, 1e-15);
    EXPECT_NEAR(TotalVolume(0), total, 1e-15);
    EXPECT_NEAR(TotalVolume(1), size1, 1e-15);
    EXPECT_NEAR(TotalVolume(2), size2, 1e-15);
}

// Missing columns (below 1) neither give nor take, nor count in the areas.
TEST_F(ActiveLayer, MissingColumnsTakeNoPart) {
    const double total = TotalVolume(0);
    Gridz[1][1][1] = Gridz[2][1][1] = 0.0;
    UpdateActiveLayerForBedMove(1, 0, 0, 0, 5, 0, 1, 1, 2, 1, 0.004);
    // V = 0.001 from column 1 alone, over 1 m2 losing and 2 m2 gaining.
    EXPECT_NEAR(Gridz[1][1][1], -0.004, 1e-15);
    EXPECT_NEAR(Gridz[2][1][1], 0.002, 1e-15);
    EXPECT_NEAR(T1(5), 0.0205, 1e-15);
    EXPECT_NEAR(TotalVolume(0), total, 1e-15);
}

}  // namespace
