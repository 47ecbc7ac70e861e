// Handlers of the Q data sets (water-quality components).
#include <cstring>

#include "run/control_reader.h"
#include "run/globals.h"

RIVAX_PARAMS_Q(RIVAX_DEFINE_PARAM)

char QNames[kQNames][kQNameSize];

void StoreDefaultsQ() {
    RIVAX_PARAMS_Q(RIVAX_STORE_DEFAULT)
    std::memset(QNames, 0, sizeof QNames);
}

// The Q records are not read in this build; the reader skips them.
void ReadDataSetQ(int, int, FILE*) {}
