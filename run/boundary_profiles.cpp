#include "run/boundary_profiles.h"

#include <cstring>
#include <initializer_list>

double CyclicU[kCyclicLevels];
double CyclicK[kCyclicLevels];
double CyclicE[kCyclicLevels];

double InflowFileU[kInflowPoints][kInflowLevels];
double InflowFileV[kInflowPoints][kInflowLevels];
double InflowFileW[kInflowPoints][kInflowLevels];
double InflowFileK[kInflowPoints][kInflowLevels];
double InflowFileE[kInflowPoints][kInflowLevels];

void ResetBoundaryProfiles() {
    for (double* a : {CyclicU, CyclicK, CyclicE}) std::memset(a, 0, sizeof CyclicU);
    for (auto* a : {InflowFileU, InflowFileV, InflowFileW, InflowFileK, InflowFileE}) std::memset(a, 0, sizeof InflowFileU);
}
