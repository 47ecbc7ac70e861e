// Tests of the cell-equation solvers and residuals: a fresh project directory
// with an empty log, the globals at their start values and the real kernels.
#pragma once

#include <string>

#include <gtest/gtest.h>

#include "run/globals.h"
#include "run/log.h"
#include "solver/solver_services.h"
#include "tests/support/control_text.h"
#include "tools/box_grid.h"

class EquationTest : public ::testing::Test {
protected:
    EquationTest() {
        if (!LogCreate()) ADD_FAILURE() << "cannot create boogie";
        ResetGlobals();
        SolverKernels = kEquationKernels;
    }
    ~EquationTest() override { SolverKernels = kEquationKernels; }

    std::string log() const { return here_.dir().read("boogie"); }

private:
    InProjectDir here_;
};

// A value imposed the engine's way: 1e30 on the diagonal and in the source.
inline void FixCell(int c, double value) {
    Cap[c] += 1e30;
    Csource[c] += 1e30 * value;
}

// A chain of n cells from west to east: Cap 2, both neighbours weighted 1.
inline BoxGrid MakeChain(int n, double source) {
    const BoxGrid g = MakeBoxGrid(n, 1, 1);
    for (int c = 1; c <= n; ++c) {
        Cap[c] = 2.0;
        Cae[c] = Caw[c] = 1.0;
        Csource[c] = source;
    }
    return g;
}

// A structured block of the grid index behind the last one: columns i0..i1
// by j0..j1, active.
inline void AddActiveBlock(int i0, int i1, int j0, int j1) {
    BlockRecord& r = BlockTable[++NoBlocks];
    r = BlockRecord{};
    r.iFirst = i0;
    r.iLast = i1;
    r.jFirst = j0;
    r.jLast = j1;
    r.field11 = 1;
}

// Split-face lists of `width` entries per cell (their far coefficients too).
inline void AllocateSplitFaces(int width) {
    const size_t slots = static_cast<size_t>(NoCells) + 1;
    for (Array1<int>* a : {&Cnocellse, &Cnocellsw, &Cnocellss, &Cnocellsn}) ASSERT_TRUE(a->allocate(slots));
    for (Array2<int>* a : {&CnbMultiE, &CnbMultiW, &CnbMultiS, &CnbMultiN}) ASSERT_TRUE(a->allocate(slots, width));
    for (Array2<double>* a : {&CaMultiE, &CaMultiW, &CaMultiS, &CaMultiN, &CbMultiE, &CbMultiW, &CbMultiS, &CbMultiN}) {
        ASSERT_TRUE(a->allocate(slots, width));
    }
}
