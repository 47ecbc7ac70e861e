// The multigrid level records behind the blocks of the BlockTable, and the
// cell ranges they hold, as the plan and column cycles read them.
#pragma once

#include <algorithm>
#include <cstddef>

#include "flow/flow_data.h"
#include "grid/grid_data.h"
#include "run/arrays.h"
#include "run/run_state.h"
#include "solver/solver_data.h"

namespace multigrid {

inline constexpr int kLevelKind = 2;

// The slots of a level cell's `Cchildren` record; a column cell keeps its
// bed cell in kSW and its top cell in kNW.
enum Child : int { kParent = 0, kSW = 1, kNW = 2, kNE = 3, kSE = 4 };

struct LevelRange {
    int first = 0, last = -1;
    bool empty() const { return last < first; }
};

// The cells of level record `rec`, or an empty range where the record names
// cells the arrays do not hold (`cells` entries).
inline LevelRange Cells(int rec, size_t cells) {
    if (rec < 1 || rec > kMaxBlocks) return {};
    const BlockRecord& b = BlockTable[rec];
    if (b.firstCell < 1 || b.lastCell < b.firstCell || static_cast<size_t>(b.lastCell) >= cells) return {};
    return {b.firstCell, b.lastCell};
}

// The column level: the first level record behind the blocks; 0 when no
// levels are built. Records ahead of it are blocks, whatever their kind.
inline int ColumnLevelRecord() {
    for (int rec = std::max(NoBlocks, 0) + 1; rec <= kMaxBlocks; ++rec) {
        if (BlockTable[rec].depthAveraged == kLevelKind) return rec;
    }
    return 0;
}

inline double At(const Array1<double>& a, int c) { return c != 0 ? a[c] : 0.0; }

// Every child of each cell of the level takes the cell's value of Cf.
inline void ProlongLevel(LevelRange r) {
    for (int n = r.first; n <= r.last; ++n) {
        for (int k = kSW; k <= kSE; ++k) {
            if (const int child = Cchildren[n][k]) Cf[child] = Cf[n];
        }
    }
}

}  // namespace multigrid
