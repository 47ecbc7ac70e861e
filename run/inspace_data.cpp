#include "run/inspace_data.h"

Array3<double> InspaceConcSeries{ArrayBase::kGlobal};
Array1<double> InspaceTimes{ArrayBase::kGlobal};
