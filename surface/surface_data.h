// Global data of the free surface and groundwater.
#pragma once

#include "run/arrays.h"

// Per water column.
extern Array1<double> Bfroude;
extern Array1<double> Bgroundwater;
extern Array1<double> Bplanwork;
extern Array1<double> Blevelcorr;
extern Array1<double> Bpressure;
extern Array1<double> Benergy;
extern Array1<int> Bconnection;
