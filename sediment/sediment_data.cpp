#include "sediment/sediment_data.h"

#include <cstring>

Array2<double> conc{ArrayBase::kGlobal};
Array2<double> conc_old{ArrayBase::kGlobal};
Array1<double> SuspendedMassTotal{ArrayBase::kGlobal};
Array1<int> SuspendedMassTotalSet{ArrayBase::kGlobal};
Array2<double> CapMulti{ArrayBase::kGlobal};
Array2<double> CabMulti{ArrayBase::kGlobal};
Array2<double> CatMulti{ArrayBase::kGlobal};
int ActiveSlides[kMaxSlides];
double SlideAverage[kMaxSlides];
double SlideKLevel[kMaxSlides];
double SlideKHeight[kMaxSlides];
double SlideKLength[kMaxSlides];
int SlideMidColumn[kMaxSlides];
int SlideCellCount[kMaxSlides];
double SlideSourceFactor[kMaxSlides];
int SandSlideStarted = 0;
Array1<double> BslideLevel{ArrayBase::kGlobal};
double SedimentBedSum = 0.0;
double SedimentOutflowSum = 0.0;
Array1<int> Bslide{ArrayBase::kGlobal};
Array1<int> BNoLayers{ArrayBase::kGlobal};
Array1<int> Bcelltop_old{ArrayBase::kGlobal};
Array1<double> Bedmove{ArrayBase::kGlobal};
Array1<double> Broughness{ArrayBase::kGlobal};
Array1<double> Bd90{ArrayBase::kGlobal};
Array1<double> BbedformHeight{ArrayBase::kGlobal};
Array1<double> Binspace{ArrayBase::kGlobal};
Array1<double> Bmorphwork{ArrayBase::kGlobal};
Array1<double> Bmorphology{ArrayBase::kGlobal};
Array1<double> BcotAngle1{ArrayBase::kGlobal};
Array1<double> BcotAngle2{ArrayBase::kGlobal};
Array1<double> BangleFactor{ArrayBase::kGlobal};
Array1<double> BslopeLimit{ArrayBase::kGlobal};
Array1<double> BlayerSlope{ArrayBase::kGlobal};
Array1<double> BslideWork{ArrayBase::kGlobal};
Array1<double> BslideChange{ArrayBase::kGlobal};
Array2<double> BpotentialConc{ArrayBase::kGlobal};
Array2<double> BsedInflow{ArrayBase::kGlobal};
Array2<double> BSedActive{ArrayBase::kGlobal};
Array2<double> BSolverErosion{ArrayBase::kGlobal};
Array2<double> BSedWork{ArrayBase::kGlobal};
Array2<double> BsedOutflowCoef{ArrayBase::kGlobal};
double BedLayerChangeBySize[kMaxSizes + 1];
double NonMovableBedDefect = 0.0;
Array2<double> BlayerValue{ArrayBase::kGlobal};
Array3<double> BSedDistrib{ArrayBase::kGlobal};
Array2<double> Cstress{ArrayBase::kGlobal};
Array1<double> CstressRatio{ArrayBase::kGlobal};
Array1<int> CstressCount{ArrayBase::kGlobal};
double ActiveLayerLimit = 0.0;
int NoMorphologyGroups = 1;
double BedMoveDefectAbs = 0.0;
double BedMoveDefect = 0.0;
double SuspVolumeChangeDefect = 0.0;
double BedOutflowDefect = 0.0;
double OutflowMassBySize[kMaxSizes + 1];
double SuspendedMassStartBySize[kMaxSizes + 1];
double SuspendedMassBySize[kMaxSizes + 1];
double BedMassStartBySize[kMaxSizes + 1];
double BedMassChangeBySize[kMaxSizes + 1];
double BedChangeVolume = 0.0;
char MaxTimeText[200];

void ResetSlideState() {
    std::memset(ActiveSlides, 0, sizeof ActiveSlides);
    std::memset(SlideAverage, 0, sizeof SlideAverage);
    std::memset(SlideKLevel, 0, sizeof SlideKLevel);
    std::memset(SlideKHeight, 0, sizeof SlideKHeight);
    std::memset(SlideKLength, 0, sizeof SlideKLength);
    std::memset(SlideMidColumn, 0, sizeof SlideMidColumn);
    std::memset(SlideCellCount, 0, sizeof SlideCellCount);
    std::memset(SlideSourceFactor, 0, sizeof SlideSourceFactor);
    SandSlideStarted = 0;
}
