#include "grid/grid_data.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

BlockRecord BlockTable[kBlockTableSize];
std::unique_ptr<DischargeGroupRecord[], FreeDeleter> DischargeGroups;

void FreeDeleter::operator()(void* p) const { std::free(p); }

Array2<double> Gridx{ArrayBase::kGlobal};
Array2<double> Gridy{ArrayBase::kGlobal};
Array3<double> Gridz{ArrayBase::kGlobal};
Array3<double> GridLevels{ArrayBase::kGlobal};

int& BlockRecord::intField(int n) {
    static constexpr int BlockRecord::*kFields[kInts] = {
        &BlockRecord::iFirst,      &BlockRecord::iLast,       &BlockRecord::jFirst,    &BlockRecord::jLast,
        &BlockRecord::firstColumn, &BlockRecord::lastColumn,  &BlockRecord::overlapLevel,
        &BlockRecord::depthAveraged, &BlockRecord::field8,    &BlockRecord::field9,    &BlockRecord::gridLevel,
        &BlockRecord::field11,     &BlockRecord::field12,     &BlockRecord::layerBlock, &BlockRecord::field14,
        &BlockRecord::field15,     &BlockRecord::field16,     &BlockRecord::firstCell, &BlockRecord::lastCell,
        &BlockRecord::firstSurface, &BlockRecord::lastSurface, &BlockRecord::firstPoint, &BlockRecord::lastPoint,
    };
    return this->*kFields[n];
}

void ResetBlocksAndGroups() {
    for (BlockRecord& b : BlockTable) {
        b = BlockRecord{};
        b.field12 = 1;
    }
    if (!DischargeGroups) {
        void* p = std::calloc(kDischargeGroups, sizeof(DischargeGroupRecord));
        if (!p) throw std::bad_alloc();
        DischargeGroups.reset(static_cast<DischargeGroupRecord*>(p));
    }
    for (int g = 0; g < kDischargeGroups; ++g) {
        DischargeGroupRecord& r = DischargeGroups[g];
        // Only the heads and the used parts of the lists need clearing: a fresh
        // table is zero already and nothing reads past the counts.
        r.groupType = 1;
        r.groupMode = 0;
        r.inflowComponent = 0;
        r.fromLevel = 1;
        r.toLevel = 151;
        const size_t used = static_cast<size_t>(std::clamp(r.noSurfaces, 0, kGroupSurfaces));
        std::memset(r.surfaceList, 0, sizeof(int) * used);
        std::memset(r.levelList, 0, sizeof(int) * used);
        std::memset(r.pointX, 0, sizeof r.pointX);
        std::memset(r.pointY, 0, sizeof r.pointY);
        r.noSurfaces = 0;
        r.noPoints = 0;
        r.discharge = 0.0;
        r.inflowConc = 0.0;
        r.inflowK = r.inflowEps = 0.0;
        r.area = 0.0;
    }
}
