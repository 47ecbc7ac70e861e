#include "run/globals.h"
#include "run/kread.h"

void ResetGlobals() {
    ArrayBase::ReleaseAllGlobals();
    ResetStatus();
    GridChangedFlag = 0;
    StoreAllDefaults();
}
