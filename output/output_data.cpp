#include "output/output_data.h"

Array1<double> InterpolX{ArrayBase::kGlobal};
Array1<double> InterpolY{ArrayBase::kGlobal};
Array1<int> InterpolCell{ArrayBase::kGlobal};
