#include "surface/surface_data.h"

Array1<double> Bfroude{ArrayBase::kGlobal};
Array1<double> Bgroundwater{ArrayBase::kGlobal};
Array1<double> Bplanwork{ArrayBase::kGlobal};
Array1<double> Blevelcorr{ArrayBase::kGlobal};
Array1<double> Bpressure{ArrayBase::kGlobal};
Array1<double> Benergy{ArrayBase::kGlobal};
Array1<int> Bconnection{ArrayBase::kGlobal};
