#include "run/vegdata_data.h"

Array1<double> Cporosity{ArrayBase::kGlobal};
Array4<double> Bveg{ArrayBase::kGlobal};
Array1<double> VegTimes{ArrayBase::kGlobal};
