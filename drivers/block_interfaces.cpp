// The exchange of the field being solved between the cells of overlapping
// blocks: implicit pulls toward the linked cells before the solve
// (F 261 options 11 to 19) and the relaxation toward their volume-weighted
// mean after it (options 1 to 9, and 3 for k and epsilon).
//
// Slot 0 is the "no cell" of Clink and of the partner records: a cell
// without a link gives and takes nothing, so slot 0 of Cap, Csource and the
// field stays 0.
#include <algorithm>

#include "drivers/flow_drivers.h"
#include "run/globals.h"
#include "solver/solver_data.h"

namespace {

int LastBlock() { return std::min(NoBlocks, kMaxBlocks); }

// Calls f(c) for the cells of block b that the grid holds.
template <class F>
void ForEachBlockCell(int b, F f) {
    const BlockRecord& r = BlockTable[b];
    const int first = std::max(r.firstCell, 1);
    const int last = std::min(r.lastCell, NoCells);
    for (int c = first; c <= last; ++c) f(c);
}

// Calls f(c, l) for every cell c of the blocks whose partner number passes
// `partnered` and that links to a cell l.
template <class P, class F>
void ForEachLink(P partnered, F f) {
    for (int b = 1; b <= LastBlock(); ++b) {
        if (!partnered(BlockTable[b].overlapLevel)) continue;
        ForEachBlockCell(b, [&](int c) {
            const int l = Clink[c];
            if (l > 0 && l <= NoCells) f(c, l);
        });
    }
}

bool Receiving(int b) { return BlockTable[b].overlapLevel < MaxPartnerBlock; }

bool ScratchSumsExist() {
    return CtdmaP.exists() && CtdmaQ.exists() && CtdmaP.size() > static_cast<size_t>(NoCells) &&
           CtdmaQ.size() > static_cast<size_t>(NoCells);
}

// Option 19: the share of a receiving cell that its linked cells cover
// takes their sources, scaled to the cell's volume, in place of its own.
void BlendLinkedSources() {
    if (!ScratchSumsExist()) return;
    const int last = LastBlock() - 1;
    for (int b = 1; b <= last; ++b) {
        if (BlockTable[b].overlapLevel > 0) continue;
        ForEachBlockCell(b, [](int c) { CtdmaP[c] = CtdmaQ[c] = 0.0; });
    }
    ForEachLink([](int partner) { return partner > 1; }, [](int c, int l) {
        CtdmaP[l] += Csource[c];
        CtdmaQ[l] += Cvol[c];
    });
    for (int b = 1; b <= last; ++b) {
        if (BlockTable[b].overlapLevel > 0) continue;
        ForEachBlockCell(b, [](int c) {
            if (!(CtdmaQ[c] > 0.0) || !(Cvol[c] > 0.0)) return;
            const double s = std::min(CtdmaQ[c] / Cvol[c], 1.0);
            Csource[c] = (1.0 - s) * Csource[c] + s * Cvol[c] * CtdmaP[c] / CtdmaQ[c];
        });
    }
}

// Option 18: a deferred pull of each cell toward the mean of the edge cells
// that name it as their first partner.
void PullTowardEdgeCells(double r) {
    if (NoBlocks <= 1 || !ScratchSumsExist()) return;
    const int last = LastBlock() - 1;
    for (int b = 1; b <= last; ++b) {
        if (Receiving(b)) ForEachBlockCell(b, [](int c) { CtdmaP[c] = CtdmaQ[c] = 0.0; });
    }
    if (BoundaryCellNo.exists() && BoundaryCellPartner.exists() && BoundaryCellWeight.exists()) {
        for (int rec = 1; rec <= NoBoundaryCells; ++rec) {
            const int p = BoundaryCellPartner[rec][0];
            const int n = BoundaryCellNo[rec];
            if (p > 0 && p <= NoCells && BoundaryCellWeight[rec][0] < -1e-20 && n > 0 && n <= NoCells) {
                CtdmaP[p] += Cf[n];
                CtdmaQ[p] += 1.0;
            }
        }
    }
    for (int b = 1; b <= last; ++b) {
        if (!Receiving(b)) continue;
        ForEachBlockCell(b, [r](int c) {
            if (CtdmaQ[c] > 0.5) Csource[c] += (CtdmaP[c] / CtdmaQ[c] - Cf[c]) * r * Cap[c];
        });
    }
}

// Options 16 and 17: each link adds the linked cell's share of the volume
// to the diagonal, with the linked value as its source.
void AddVolumeSharePulls(int leastPartner, double r) {
    ForEachLink([leastPartner](int partner) { return partner > leastPartner; }, [r](int c, int l) {
        if (!(Cvol[l] > 0.0)) return;
        const double t = Cvol[c] * Cap[l] / Cvol[l];
        Cap[l] += t;
        Csource[l] += t * Cf[c] * r;
    });
}

// Options 11 to 15: each link raises the diagonal by 1 / (1 - r) and pulls
// by r toward the linked value.
void AddRelaxedPulls(double r) {
    // The reader refuses r >= 1 with these options.
    if (r >= 1.0) return;
    ForEachLink([](int partner) { return partner > 0; }, [r](int c, int l) {
        Cap[l] = Cap[l] / (1.0 - r);
        Csource[l] += Cf[c] * r * Cap[l];
    });
}

}  // namespace

void CopyBlockBoundaryValues() {
    if (!Clink.exists() && BlockInterfaceOption != 18) return;
    const double r = BlockInterfaceRelax;
    switch (BlockInterfaceOption) {
        case 19: BlendLinkedSources(); break;
        case 18: PullTowardEdgeCells(r); break;
        case 17: AddVolumeSharePulls(1, r); break;
        case 16: AddVolumeSharePulls(0, r); break;
        case 11:
        case 12:
        case 13:
        case 14:
        case 15: AddRelaxedPulls(r); break;
        default: break;
    }
}

void AverageBlockInterfaces() {
    if (!Clink.exists()) return;
    const double r = BlockInterfaceRelax;
    for (int b = 1; b <= LastBlock(); ++b) {
        if (!Receiving(b)) continue;
        ForEachBlockCell(b, [](int c) { Cap[c] = Csource[c] = 0.0; });
    }
    ForEachLink([](int partner) { return partner > 0; }, [](int c, int l) {
        Csource[l] += Cf[c] * Cvol[c];
        Cap[l] += Cvol[c];
    });
    for (int b = 1; b <= LastBlock(); ++b) {
        if (!Receiving(b)) continue;
        ForEachBlockCell(b, [r](int c) {
            const double d = std::max(Cvol[c] - Cap[c], 0.0);
            Cap[c] += d;
            Csource[c] += d * Cf[c];
            if (Cap[c] > 0.0) Cf[c] = r * Csource[c] / Cap[c] + (1.0 - r) * Cf[c];
        });
    }
}
