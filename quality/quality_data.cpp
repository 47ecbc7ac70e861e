#include "quality/quality_data.h"

Array2<double> Components{ArrayBase::kGlobal};
Array2<double> ComponentsOld{ArrayBase::kGlobal};
Array2<double> ComponentWork{ArrayBase::kGlobal};
