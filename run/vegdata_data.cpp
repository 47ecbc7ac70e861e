#include "run/vegdata_data.h"

Array1<double> Cporosity{ArrayBase::kGlobal};
Array4<double> Bveg{ArrayBase::kGlobal};
Array1<double> VegTimes{ArrayBase::kGlobal};

int VegdataReadFlag = 0;
int VegFileFormat = 0;
int iTime = 0;
double midt = 0.0;

void ResetVegdataState() {
    VegdataReadFlag = 0;
    VegFileFormat = 0;
    iTime = 0;
    midt = 0.0;
}
