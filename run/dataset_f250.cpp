// Handlers of the data sets F 250 to F 299.
#include "run/control_reader.h"
#include "run/globals.h"

RIVAX_PARAMS_F250(RIVAX_DEFINE_PARAM)

void StoreDefaultsF250() { RIVAX_PARAMS_F250(RIVAX_STORE_DEFAULT) }

// No data set of this family has a handler in this build; the reader skips them.
bool ReadDataSetF250(int, FILE*) { return false; }
