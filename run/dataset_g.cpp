// Handlers of the G data sets.
#include <cstring>

#include "run/control_reader.h"
#include "run/globals.h"

RIVAX_PARAMS_G(RIVAX_DEFINE_PARAM)

double zdistrib[kZdistribSize];
int OpenMPSwitches[kOpenMPSwitches];

void StoreDefaultsG() {
    RIVAX_PARAMS_G(RIVAX_STORE_DEFAULT)
    std::memset(zdistrib, 0, sizeof zdistrib);
    for (int k = 1; k <= 11; ++k) zdistrib[k] = (k - 1) / 10.0;
    std::memset(OpenMPSwitches, 0, sizeof OpenMPSwitches);
    OpenMPSwitches[10] = 1;
    OpenMPSwitches[11] = 1;
}

// No G data set has a handler in this build; the reader skips them.
bool ReadDataSetG(int, FILE*) { return false; }
