#include "solver/solver_data.h"

Array1<double> Cwork{ArrayBase::kGlobal};
Array1<double> CinvCap{ArrayBase::kGlobal};
Array1<double> CtdmaP{ArrayBase::kGlobal};
Array1<double> CtdmaQ{ArrayBase::kGlobal};
Array1<double> BlockCorrLineA{ArrayBase::kGlobal};
Array1<double> BlockCorrLineB{ArrayBase::kGlobal};
Array2<int> Cchildren{ArrayBase::kGlobal};
Array2<double> InvApMulti{ArrayBase::kGlobal};
Array2<double> CfMulti{ArrayBase::kGlobal};
Array2<double> CsourceMulti{ArrayBase::kGlobal};
int ColumnBlockLimits[kColumnBlockLimits];
