#include "run/globals.h"
#include "run/kread.h"
#include "run/placeholder.h"
#include "run/region_fatal.h"

void ResetGlobals() {
    ArrayBase::ReleaseAllGlobals();
    ResetStatus();
    ClearRegionFatal();
    ForgetUnavailableReports();
    GridChangedFlag = 0;
    StoreAllDefaults();
}
