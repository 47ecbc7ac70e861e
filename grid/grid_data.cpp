#include "grid/grid_data.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

BlockRecord BlockTable[kBlockTableSize];
EdgeRecord EdgeList[kMaxEdges];
SourceCellGroup SourceCellGroups[kSourceCellGroups];
CellWorkRecord CellWork;
double GridXMin = 0.0, GridXMax = 0.0, GridYMin = 0.0, GridYMax = 0.0;
std::unique_ptr<DischargeGroupRecord[], FreeDeleter> DischargeGroups;

void FreeDeleter::operator()(void* p) const { std::free(p); }

Array2<double> Gridx{ArrayBase::kGlobal};
Array2<double> Gridy{ArrayBase::kGlobal};
Array2<double> GridAttract1{ArrayBase::kGlobal};
Array2<double> GridAttract2{ArrayBase::kGlobal};
Array2<double> PlanArea{ArrayBase::kGlobal};
Array2<double> GridBedRough{ArrayBase::kGlobal};
Array3<double> Gridz{ArrayBase::kGlobal};
Array3<double> GridLevels{ArrayBase::kGlobal};
Array2<int> pointbed{ArrayBase::kGlobal};
Array2<int> GridRegion{ArrayBase::kGlobal};
Array2<int> GridOldBedCell{ArrayBase::kGlobal};
Array3<int> GridSlideLevel{ArrayBase::kGlobal};
Array2<double> GridTrendSumY{ArrayBase::kGlobal};
Array2<double> GridTrendSumXY{ArrayBase::kGlobal};
Array2<std::int64_t> GridTrendSumX{ArrayBase::kGlobal};
Array2<std::int64_t> GridTrendSumXX{ArrayBase::kGlobal};
Array2<std::int64_t> GridTrendN{ArrayBase::kGlobal};
Array2<int> GridWetPoint{ArrayBase::kGlobal};
Array2<int> GridWetColumn{ArrayBase::kGlobal};
Array2<int> GenColumnWork1{ArrayBase::kGlobal};
Array2<int> GenColumnWork2{ArrayBase::kGlobal};
Array2<int> GenColumnWork3{ArrayBase::kGlobal};
Array2<int> GenColumnWork4{ArrayBase::kGlobal};
Array2<int> GenColumnWork5{ArrayBase::kGlobal};
Array2<int> GenColumnWork6{ArrayBase::kGlobal};
Array3<int> CellIndex3{ArrayBase::kGlobal};
Array3<int> GenLevelWork{ArrayBase::kGlobal};
Array1<int> Csurfe{ArrayBase::kGlobal};
Array1<int> Csurfw{ArrayBase::kGlobal};
Array1<int> Csurfs{ArrayBase::kGlobal};
Array1<int> Csurfn{ArrayBase::kGlobal};
Array1<int> Csurft{ArrayBase::kGlobal};
Array1<int> Csurfb{ArrayBase::kGlobal};
Array1<int> Ccelle{ArrayBase::kGlobal};
Array1<int> Ccellw{ArrayBase::kGlobal};
Array1<int> Ccells{ArrayBase::kGlobal};
Array1<int> Ccelln{ArrayBase::kGlobal};
Array1<int> Ccellt{ArrayBase::kGlobal};
Array1<int> Ccellb{ArrayBase::kGlobal};
Array1<int> Cpoint1{ArrayBase::kGlobal};
Array1<int> Cpoint2{ArrayBase::kGlobal};
Array1<int> Cpoint3{ArrayBase::kGlobal};
Array1<int> Cpoint4{ArrayBase::kGlobal};
Array1<int> Cpoint5{ArrayBase::kGlobal};
Array1<int> Cpoint6{ArrayBase::kGlobal};
Array1<int> Cpoint7{ArrayBase::kGlobal};
Array1<int> Cpoint8{ArrayBase::kGlobal};
Array1<int> C2DFlag{ArrayBase::kGlobal};
Array1<int> Cigrid{ArrayBase::kGlobal};
Array1<int> Cjgrid{ArrayBase::kGlobal};
Array1<int> Ctrekant{ArrayBase::kGlobal};
Array1<int> CdeadEndFlag{ArrayBase::kGlobal};
Array1<int> CdischargeGroup{ArrayBase::kGlobal};
Array1<int> Cbedcell{ArrayBase::kGlobal};
Array1<int> Ccelle_bottom{ArrayBase::kGlobal};
Array1<int> Ccellw_bottom{ArrayBase::kGlobal};
Array1<int> Ccells_bottom{ArrayBase::kGlobal};
Array1<int> Ccelln_bottom{ArrayBase::kGlobal};
Array1<int> Cnocellse{ArrayBase::kGlobal};
Array1<int> Cnocellsw{ArrayBase::kGlobal};
Array1<int> Cnocellss{ArrayBase::kGlobal};
Array1<int> Cnocellsn{ArrayBase::kGlobal};
Array2<int> CnbMultiE{ArrayBase::kGlobal};
Array2<int> CnbMultiW{ArrayBase::kGlobal};
Array2<int> CnbMultiS{ArrayBase::kGlobal};
Array2<int> CnbMultiN{ArrayBase::kGlobal};
Array1<double> Cidist{ArrayBase::kGlobal};
Array1<double> Cjdist{ArrayBase::kGlobal};
Array1<double> Ckdist{ArrayBase::kGlobal};
Array1<double> Cxcenter{ArrayBase::kGlobal};
Array1<double> Cycenter{ArrayBase::kGlobal};
Array1<double> Czcenter{ArrayBase::kGlobal};
Array1<double> Cvol{ArrayBase::kGlobal};
Array1<double> Careax{ArrayBase::kGlobal};
Array1<double> Careay{ArrayBase::kGlobal};
Array1<double> Careaz{ArrayBase::kGlobal};
Array1<double> Cdxdi{ArrayBase::kGlobal};
Array1<double> Cdxdj{ArrayBase::kGlobal};
Array1<double> Cdxdk{ArrayBase::kGlobal};
Array1<double> Cdydi{ArrayBase::kGlobal};
Array1<double> Cdydj{ArrayBase::kGlobal};
Array1<double> Cdydk{ArrayBase::kGlobal};
Array1<double> Cdzdi{ArrayBase::kGlobal};
Array1<double> Cdzdj{ArrayBase::kGlobal};
Array1<double> Cdzdk{ArrayBase::kGlobal};
Array1<double> Czcenter_old{ArrayBase::kGlobal};
Array1<double> Ckdist_old{ArrayBase::kGlobal};
Array1<int> Fcell1{ArrayBase::kGlobal};
Array1<int> Fcell2{ArrayBase::kGlobal};
Array1<int> Fcellfar1{ArrayBase::kGlobal};
Array1<int> Fcellfar2{ArrayBase::kGlobal};
Array1<int> Ftype1{ArrayBase::kGlobal};
Array1<int> Ftype2{ArrayBase::kGlobal};
Array1<int> Fflagflow{ArrayBase::kGlobal};
Array1<int> Fpoint1{ArrayBase::kGlobal};
Array1<int> Fpoint2{ArrayBase::kGlobal};
Array1<int> Fpoint3{ArrayBase::kGlobal};
Array1<int> Fpoint4{ArrayBase::kGlobal};
Array1<int> Fsign{ArrayBase::kGlobal};
Array1<int> Fgenflag{ArrayBase::kGlobal};
Array1<double> Farea{ArrayBase::kGlobal};
Array1<double> Fdist1{ArrayBase::kGlobal};
Array1<double> Fdist2{ArrayBase::kGlobal};
Array1<double> Fareax{ArrayBase::kGlobal};
Array1<double> Fareay{ArrayBase::kGlobal};
Array1<double> Fareaz{ArrayBase::kGlobal};
Array1<double> Fvecx{ArrayBase::kGlobal};
Array1<double> Fvecy{ArrayBase::kGlobal};
Array1<double> Fvecz{ArrayBase::kGlobal};
Array1<double> Px1{ArrayBase::kGlobal};
Array1<double> Py1{ArrayBase::kGlobal};
Array1<double> Pz1{ArrayBase::kGlobal};
Array1<int> Pmerge{ArrayBase::kGlobal};
Array1<int> Pkooi{ArrayBase::kGlobal};
Array1<int> Pkooj{ArrayBase::kGlobal};
Array1<int> Bcellt{ArrayBase::kGlobal};
Array1<int> Bcellt_old{ArrayBase::kGlobal};
Array1<int> Bnocells{ArrayBase::kGlobal};
Array1<int> Bnocells_old{ArrayBase::kGlobal};
Array1<int> Bkooi{ArrayBase::kGlobal};
Array1<int> Bkooj{ArrayBase::kGlobal};
Array1<double> Bdepth{ArrayBase::kGlobal};
Array1<double> Bdepth_old{ArrayBase::kGlobal};
Array1<double> Barea{ArrayBase::kGlobal};
Array2<int> EdgePairs{ArrayBase::kGlobal};
Array1<int> CtiedCell{ArrayBase::kGlobal};
Array1<int> Clink{ArrayBase::kGlobal};
Array1<int> BoundaryCellCode{ArrayBase::kGlobal};
Array1<int> BoundaryCellSurface{ArrayBase::kGlobal};
Array1<int> BoundaryCellNo{ArrayBase::kGlobal};
Array1<int> BoundaryCellBlock{ArrayBase::kGlobal};
Array1<double> BoundaryCellValue{ArrayBase::kGlobal};
Array2<double> BoundaryCellWeight{ArrayBase::kGlobal};
Array2<int> BoundaryCellPartner{ArrayBase::kGlobal};
Array3<double> BoundaryCellPartnerXyz{ArrayBase::kGlobal};

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
    for (EdgeRecord& e : EdgeList) e = EdgeRecord{};
    for (SourceCellGroup& g : SourceCellGroups) g = SourceCellGroup{};
    CellWork = CellWorkRecord{};
    GridXMin = GridXMax = GridYMin = GridYMax = 0.0;
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
