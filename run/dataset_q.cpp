// Handlers of the Q data sets (water-quality components).
#include "run/control_reader.h"
#include "run/globals.h"

RIVAX_PARAMS_Q(RIVAX_DEFINE_PARAM)

void StoreDefaultsQ() { RIVAX_PARAMS_Q(RIVAX_STORE_DEFAULT) }

// The Q records are not read in this build; the reader skips them.
void ReadDataSetQ(int, int, FILE*) {}
