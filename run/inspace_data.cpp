#include "run/inspace_data.h"

#include <cstring>

Array3<double> InspaceConcSeries{ArrayBase::kGlobal};
Array1<double> InspaceTimes{ArrayBase::kGlobal};

int InspaceMode = 0;
double InspaceProfile[kInspaceSizes][kInspaceValues];
int NoInspaceTimes = 0;

double SedimentInflowSum = 0.0;
double SedimentInflowPerSize[kSedimentInflowSizes];

void ResetInspaceData() {
    InspaceMode = 0;
    std::memset(InspaceProfile, 0, sizeof InspaceProfile);
    NoInspaceTimes = 0;
    SedimentInflowSum = 0.0;
    std::memset(SedimentInflowPerSize, 0, sizeof SedimentInflowPerSize);
}
