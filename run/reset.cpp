#include "run/globals.h"
#include "run/kread.h"
#include "run/placeholder.h"
#include "run/region_fatal.h"
#include "sediment/bed_concentration.h"

void ResetGlobals() {
    ArrayBase::ReleaseAllGlobals();
    ResetStatus();
    ClearRegionFatal();
    ForgetUnavailableReports();
    ResetCohesiveNotices();
    GridChangedFlag = 0;
    StoreAllDefaults();
}
