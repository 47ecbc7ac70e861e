// Surface mass fluxes on boxes of cells.
#include <cmath>
#include <vector>

#include "flow/face_interpolation.h"
#include "tests/flow/flow_case.h"

namespace {

using SurfaceFluxes = FlowCase;

TEST(FaceInterpolation, NearerCellWeighsMore) {
    EXPECT_DOUBLE_EQ(FaceWeight1(0.5, 0.5), 0.5);
    EXPECT_DOUBLE_EQ(FaceWeight1(1.0, 3.0), 0.75);
    EXPECT_DOUBLE_EQ(FaceValue(1.0, 3.0, 4.0, 8.0), 0.75 * 4.0 + 0.25 * 8.0);
    // A degenerate surface stays finite.
    EXPECT_EQ(FaceValue(0.0, 0.0, 4.0, 8.0), 0.0);
}

TEST(FaceInterpolation, ChunksCoverTheRangeOnce) {
    // More chunks than items: all but the last are empty.
    EXPECT_GT(Chunk(1, 3, 4, 0).first, Chunk(1, 3, 4, 0).last);
    EXPECT_EQ(Chunk(1, 3, 4, 3).first, 1);
    EXPECT_EQ(Chunk(1, 3, 4, 3).last, 3);
    int next = 5;
    for (int n = 0; n < 3; ++n) {
        const ChunkBounds b = Chunk(5, 15, 3, n);
        EXPECT_EQ(b.first, next);
        next = b.last + 1;
    }
    EXPECT_EQ(next, 16);
}

struct ThreadCase {
    int items, threads, expected;
};

TEST(FaceInterpolation, RegionsTakeNoMoreThreadsThanTheWorkFeeds) {
    const ThreadCase cases[] = {
        {0, 8, 1},       {2640, 4, 1},     {3200, 4, 1},     {kItemsPerThread - 1, 8, 1},
        {2 * kItemsPerThread, 8, 2},       {160000, 8, 8},   {1280000, 8, 8},
        {160000, 0, 1},  {160000, -3, 1},  {160000, 1, 1},
    };
    for (const ThreadCase& c : cases) {
        EXPECT_EQ(ThreadsForItems(c.items, c.threads), c.expected) << c.items << " items, " << c.threads << " threads";
    }
}

std::vector<ChunkBounds> g_chunksSeen;
void RecordChunk(int first, int last) { g_chunksSeen.push_back({first, last}); }

TEST(FaceInterpolation, SmallRegionKeepsItsChunksOnOneThread) {
    // A few thousand cells in four chunks: one thread works the same four
    // chunks in their order, so the results are those of the four threads'.
    g_chunksSeen.clear();
    RunInChunks(1, 2640, 4, RecordChunk);
    ASSERT_EQ(g_chunksSeen.size(), 4U);
    for (int n = 0; n < 4; ++n) {
        EXPECT_EQ(g_chunksSeen[n].first, Chunk(1, 2640, 4, n).first);
        EXPECT_EQ(g_chunksSeen[n].last, Chunk(1, 2640, 4, n).last);
    }
}

TEST_F(SurfaceFluxes, UniformFlowWithoutCorrection) {
    const BoxGrid g = Box(5, 3, 2, {2.0, 1.5, 0.5});
    for (int c = 1; c <= NoCells; ++c) Cu[c] = 1.0;
    ComputeSurfaceFluxes(FirstSurface, LastSurface);
    for (int s = 1; s <= NoSurfaces; ++s) {
        const bool interior = Fcell1[s] > 0 && Fcell2[s] > 0;
        const bool across = Ftype1[s] == 2;
        const double expected = interior && across ? 1000.0 * 1.0 * Farea[s] : 0.0;
        EXPECT_NEAR(Fflux[s], expected, 1e-9) << "surface " << s;
    }
    EXPECT_NEAR(Fflux[East(g.cell(1, 1, 1))], 1000.0 * 1.5 * 0.5, 1e-9);
    // Cells with a neighbour on both sides along the flow pass it on.
    for (int i = 1; i + 1 < g.ni; ++i) {
        for (int j = 0; j < g.nj; ++j) {
            for (int k = 0; k < g.nk; ++k) EXPECT_NEAR(MassDefect(g.cell(i, j, k)), 0.0, 1e-9);
        }
    }
}

// Rhie-Chow term of surface s computed from its inputs, standard variant.
double ExpectedCorrection(int s) {
    const int c1 = Fcell1[s], c2 = Fcell2[s], f1 = Fcellfar1[s], f2 = Fcellfar2[s];
    if (c1 == 0 || c2 == 0 || f1 == 0 || f2 == 0) return 0.0;
    const double w1 = Fdist2[s] / (Fdist1[s] + Fdist2[s]), w2 = 1.0 - w1;
    const double g1 = 0.5 * (Pres[c2] - Pres[f1]), g2 = 0.5 * (Pres[f2] - Pres[c1]);
    const double r = w1 * g1 + w2 * g2 - (Pres[c2] - Pres[c1]);
    const double d = (w1 * CinvAp[c1] + w2 * CinvAp[c2]) * InvRelaxVelocity * std::fabs(RhieChowRelax) *
                     Farea[s] * Farea[s];
    return 1000.0 * d * r;
}

TEST_F(SurfaceFluxes, CheckerboardPressureDrivesTheCorrection) {
    const BoxGrid g = Box(5, 4, 3, {1.0, 2.0, 0.5});
    InvRelaxVelocity = 1.0 / 0.7;
    RhieChowRelax = -0.8;  // acts as its absolute value
    for (int i = 0; i < g.ni; ++i) {
        for (int j = 0; j < g.nj; ++j) {
            for (int k = 0; k < g.nk; ++k) {
                const int c = g.cell(i, j, k);
                Pres[c] = (i + j + k) % 2 ? -300.0 : 300.0;
                CinvAp[c] = 1e-3 * (1 + c % 3);
                Cu[c] = 0.2;
            }
        }
    }
    ComputeSurfaceFluxes(FirstSurface, LastSurface);
    int corrected = 0;
    for (int s = 1; s <= NoSurfaces; ++s) {
        const bool inner = Fcell1[s] > 0 && Fcell2[s] > 0;
        const double q = inner ? 1000.0 * Fareax[s] * 0.2 : 0.0;
        const double rc = ExpectedCorrection(s);
        EXPECT_NEAR(Fflux[s], q + rc, 1e-9 * (1 + std::fabs(rc))) << "surface " << s;
        if (rc != 0.0) {
            ++corrected;
            // The flux goes from the high-pressure cell to the low one.
            EXPECT_EQ(rc > 0, Pres[Fcell1[s]] > Pres[Fcell2[s]]) << "surface " << s;
        }
    }
    EXPECT_GT(corrected, 20);
}

TEST_F(SurfaceFluxes, LinearPressureNeedsNoCorrection) {
    const BoxGrid g = Box(5, 1, 1);
    for (int i = 0; i < g.ni; ++i) {
        Pres[g.cell(i, 0, 0)] = 100.0 * i;
        CinvAp[g.cell(i, 0, 0)] = 1e-2;
    }
    ComputeSurfaceFluxes(FirstSurface, LastSurface);
    for (int s = 1; s <= NoSurfaces; ++s) EXPECT_NEAR(Fflux[s], 0.0, 1e-9) << "surface " << s;
}

// At the surface between the first two cells of a row the far cell on the
// wall side is missing; the variants differ in what stands in for it.
TEST_F(SurfaceFluxes, VariantsNextToAWall) {
    struct Row {
        int option;
        double g1;  // difference at the cell next to the wall, p = 0, 10, 40, 90
        bool weighted;
    };
    const double p[4] = {0.0, 10.0, 40.0, 90.0};
    const Row rows[] = {
        {0, NAN, true},                                     // dropped
        {3, p[1] - p[0], true},                             // compact
        {5, 0.5 * (4 * p[1] - 3 * p[0] - p[2]), true},      // one-sided
        {6, 0.5 * (4 * p[1] - 3 * p[0] - p[2]), false},     // one-sided, plain mean
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.option);
        const BoxGrid g = Box(4, 1, 1, {1.0, 1.0, 1.0});
        for (int i = 0; i < 4; ++i) {
            Pres[g.cell(i, 0, 0)] = p[i];
            CinvAp[g.cell(i, 0, 0)] = 1e-3;
        }
        FluxInterpolationOption = row.option;
        ComputeSurfaceFluxes(FirstSurface, LastSurface);
        const int s = East(g.cell(0, 0, 0));
        ASSERT_EQ(Fcellfar1[s], 0);
        if (std::isnan(row.g1)) {
            EXPECT_EQ(Fflux[s], 0.0);
            continue;
        }
        const double g2 = 0.5 * (p[2] - p[0]);
        const double r = 0.5 * (row.g1 + g2) - (p[1] - p[0]);  // w1 = w2 = 0.5
        EXPECT_NEAR(Fflux[s], 1000.0 * 1e-3 * r, 1e-9);
    }
}

TEST_F(SurfaceFluxes, ClipAndThinFaceVariants) {
    const BoxGrid g = Box(4, 1, 1);
    for (int i = 0; i < 4; ++i) {
        Pres[g.cell(i, 0, 0)] = (i % 2) ? -1000.0 : 1000.0;
        CinvAp[g.cell(i, 0, 0)] = 1.0;
    }
    const int s = East(g.cell(1, 0, 0));
    FluxInterpolationOption = 7;
    ComputeSurfaceFluxes(FirstSurface, LastSurface);
    EXPECT_EQ(Fflux[s], 0.0);  // Q = 0 allows no correction
    for (int i = 0; i < 4; ++i) Cu[g.cell(i, 0, 0)] = 1.0;
    ComputeSurfaceFluxes(FirstSurface, LastSurface);
    EXPECT_NEAR(Fflux[s], 1000.0 * 0.8, 1e-9);  // RC = -2000 clipped to -0.2 Q
    // A face lower than the thin-face limit carries nothing.
    FluxInterpolationOption = 2;
    MinWaterDepth = 2.0;
    ComputeSurfaceFluxes(FirstSurface, LastSurface);
    EXPECT_EQ(Fflux[s], 0.0);
    // Options without a variant leave the fluxes as they were.
    Fflux[s] = 7.0;
    FluxInterpolationOption = 9;
    ComputeSurfaceFluxes(FirstSurface, LastSurface);
    EXPECT_EQ(Fflux[s], 7.0);
}

TEST_F(SurfaceFluxes, TopSurfaceAndBlockEdgeSteps) {
    const BoxGrid g = Box(3, 1, 2);
    for (int c = 1; c <= NoCells; ++c) Cw[c] = 0.5;
    F226Option = 1;
    const int inner = East(g.cell(0, 0, 0));
    NoBoundaryCells = 1;
    BoundaryCellSurface[1] = inner;
    Fflux[inner] = 99.0;
    // An empty range still closes the block edges.
    ComputeSurfaceFluxes(2, 1);
    EXPECT_EQ(Fflux[inner], 0.0);
    ComputeSurfaceFluxes(FirstSurface, LastSurface);
    const int top = Csurft[g.cell(1, 0, 1)];
    ASSERT_EQ(Fcell2[top], 0);
    EXPECT_NEAR(Fflux[top], 1000.0 * 0.5 * Fareaz[top], 1e-9);
    EXPECT_EQ(Fflux[Csurfb[g.cell(1, 0, 0)]], 0.0);
}

TEST_F(SurfaceFluxes, VerticalLimitOfFlatCells) {
    const BoxGrid g = Box(2, 1, 2, {10.0, 10.0, 0.05});
    for (int c = 1; c <= NoCells; ++c) {
        Cu[c] = 1.0;
        Cw[c] = 1.0;
    }
    VerticalVelocityLimit = 4;
    ComputeSurfaceFluxes(FirstSurface, LastSurface);
    const int s = Csurft[g.cell(0, 0, 0)];
    const double r = 0.05 / 20.0;
    EXPECT_NEAR(Fflux[s], 100.0 * 1000.0 * 1.0 * r, 1e-9);
}

// Block 1 of two columns and block 2 of two columns in one box; the west
// surfaces of block 2's first cells are pointed at surfaces of their own so
// that the two sides can disagree.
class InterfaceBalance : public FlowCase {
protected:
    void SetUp() override {
        g_ = Box(4, 1, 2);
        NoBlocks = 2;
        BlockTable[1].iLast = 2;
        BlockTable[2] = BlockTable[1];
        BlockTable[2].iFirst = 3;
        BlockTable[2].iLast = 4;
        InterfaceSide = 1;
        for (int k = 0; k < 2; ++k) {
            Csurfw[g_.cell(2, 0, k)] = Csurfw[g_.cell(0, 0, k)];  // two surfaces of the west edge
            Fflux[Csurfe[g_.cell(1, 0, k)]] = 1000.0;
        }
    }
    double Side(Array1<int>& surf, int i) {
        return Fflux[surf[g_.cell(i, 0, 0)]] + Fflux[surf[g_.cell(i, 0, 1)]];
    }
    BoxGrid g_;
};

TEST_F(InterfaceBalance, BothSidesCarryTheMean) {
    for (int k = 0; k < 2; ++k) Fflux[Csurfw[g_.cell(2, 0, k)]] = 500.0;
    BalanceInterfaceFluxes();
    EXPECT_NEAR(Side(Csurfe, 1), 1500.0, 1e-9);
    EXPECT_NEAR(Side(Csurfw, 2), 1500.0, 1e-9);
}

TEST_F(InterfaceBalance, NoScalingAgainstAnEmptyOrOpposedSide) {
    for (double b : {0.0, -500.0}) {
        for (int k = 0; k < 2; ++k) Fflux[Csurfw[g_.cell(2, 0, k)]] = b;
        BalanceInterfaceFluxes();
        EXPECT_EQ(Side(Csurfe, 1), 2000.0);
        EXPECT_EQ(Side(Csurfw, 2), 2 * b);
    }
}

TEST_F(SurfaceFluxes, SplitFaceCarriesTheSumOfItsPartners) {
    const BoxGrid g = Box(2, 1, 3);
    const size_t slots = static_cast<size_t>(NoCells) + 1;
    for (Array1<int>* a : {&Cnocellse, &Cnocellsw, &Cnocellss, &Cnocellsn}) ASSERT_TRUE(a->allocate(slots));
    for (Array2<int>* a : {&CnbMultiE, &CnbMultiW, &CnbMultiS, &CnbMultiN}) ASSERT_TRUE(a->allocate(slots, 3));
    SplitFaceFlag = 1;
    for (int c = 1; c <= NoCells; ++c) Cu[c] = 1.0 + c;
    // The top cell of column 0 faces all three cells of column 1 at its east.
    const int c = g.cell(0, 0, 2);
    Cnocellse[c] = 3;
    CnbMultiE[c][0] = g.cell(1, 0, 0);
    ComputeSurfaceFluxRange(FirstSurface, LastSurface);
    double sum = 0.0;
    for (int k = 0; k < 3; ++k) sum += Fflux[Csurfw[g.cell(1, 0, k)]];
    FinishSurfaceFluxes();
    EXPECT_EQ(Fflux[Csurfe[c]], sum);
    EXPECT_NE(sum, Fflux[Csurfw[g.cell(1, 0, 0)]]);
}

// The same assembly cut into 1 and 4 chunks on as many threads.
TEST_F(SurfaceFluxes, ThreadCountDoesNotChangeAnyBit) {
    Box(6, 5, 4, {1.0, 0.7, 0.3});
    TimeStep = 1.0;
    Theta = 0.5;
    for (int c = 1; c <= NoCells; ++c) {
        Cu[c] = std::sin(0.3 * c);
        Cv[c] = std::cos(0.2 * c);
        Cw[c] = 0.01 * (c % 7);
        Pres[c] = 50.0 * std::sin(1.7 * c);
        CinvAp[c] = 1e-3 * (1 + c % 5);
        Ceddyvisc[c] = 0.01 * (1 + c % 3);
        Ceddyviscz[c] = 0.002 * (1 + c % 4);
    }
    std::vector<double> result[2];
    int run = 0;
    for (int chunks : {1, 4}) {
        for (Array1<double>* a : {&Cae, &Caw, &Cas, &Can, &Cat, &Cab}) {
            for (int c = 1; c <= NoCells; ++c) (*a)[c] = -10.0;
        }
        RunInChunks(FirstSurface, LastSurface, chunks, ComputeSurfaceFluxRange);
        FinishSurfaceFluxes();
        RunInChunks(FirstSurface, LastSurface, chunks, ComputeConvectionDiffusionRange);
        FinishConvectionDiffusion(FirstSurface, LastSurface);
        for (int s = 1; s <= NoSurfaces; ++s) result[run].push_back(Fflux[s]);
        for (const Array1<double>* a : {&Cae, &Caw, &Cas, &Can, &Cat, &Cab}) {
            for (int c = 1; c <= NoCells; ++c) result[run].push_back((*a)[c]);
        }
        ++run;
    }
    ASSERT_EQ(result[0].size(), result[1].size());
    for (size_t n = 0; n < result[0].size(); ++n) ASSERT_EQ(result[0][n], result[1][n]) << "item " << n;
}

}  // namespace
