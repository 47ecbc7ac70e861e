// Handlers of the data sets F 300 to F 355.
#include "run/control_reader.h"
#include "run/globals.h"

RIVAX_PARAMS_F300(RIVAX_DEFINE_PARAM)

void StoreDefaultsF300() { RIVAX_PARAMS_F300(RIVAX_STORE_DEFAULT) }

// No data set of this family has a handler in this build; the reader skips them.
bool ReadDataSetF300(int, FILE*) { return false; }
