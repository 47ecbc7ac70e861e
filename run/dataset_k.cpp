// Handlers of the data sets K.
#include "run/control_reader.h"
#include "run/globals.h"

RIVAX_PARAMS_K(RIVAX_DEFINE_PARAM)

void StoreDefaultsK() { RIVAX_PARAMS_K(RIVAX_STORE_DEFAULT) }

// No data set of this family has a handler in this build; the reader skips them.
bool ReadDataSetK(int, FILE*) { return false; }
