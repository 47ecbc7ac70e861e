#include "run/run_state.h"

#include <cstring>

#include "grid/grid_data.h"
#include "grid/grid_generation.h"
#include "run/globals.h"
#include "surface/groundwater.h"

RIVAX_RUN_STATE(RIVAX_DEFINE_PARAM)
RIVAX_FIXED_SETTINGS(RIVAX_DEFINE_PARAM)
RIVAX_EQUATION_STATE(RIVAX_DEFINE_PARAM)

int GridChangedFlag = 0;
int NoErrorsTrekant[kNoErrorsTrekant];
double GroupDischarge[kGroupDischargeSlots];
double MaxResidual[kEquationTableSize];
double ResidualScale[kEquationTableSize];
double TimingMarks[kTimingMarks];

void StoreRunStateStartValues() {
    RIVAX_RUN_STATE(RIVAX_STORE_DEFAULT)
    RIVAX_FIXED_SETTINGS(RIVAX_STORE_DEFAULT)
    RIVAX_EQUATION_STATE(RIVAX_STORE_DEFAULT)
    std::memset(MaxResidual, 0, sizeof MaxResidual);
    std::memset(ResidualScale, 0, sizeof ResidualScale);
    std::memset(TimingMarks, 0, sizeof TimingMarks);
    ActiveTaskCode = 0;
    std::memset(NoErrorsTrekant, 0, sizeof NoErrorsTrekant);
    ResetSlideState();
    LayerBlockFirstRunDone = false;
    SedimentBedSum = 0.0;
    SedimentOutflowSum = 0.0;
    NonMovableBedDefect = 0.0;
    std::memset(BedLayerChangeBySize, 0, sizeof BedLayerChangeBySize);
    ResetSedimentContinuity();
    StoreDriverStartValues();
    for (double& q : GroupDischarge) q = -1.0;
    ResetBlocksAndGroups();
    ResetBoundaryProfiles();
    ResetInspaceData();
    ResetVegdataState();
    ResetGroundwaterState();
}
