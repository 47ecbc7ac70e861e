// Handlers of the data sets F 50 to F 99.
#include "run/control_reader.h"
#include "run/globals.h"

RIVAX_PARAMS_F50(RIVAX_DEFINE_PARAM)

void StoreDefaultsF50() { RIVAX_PARAMS_F50(RIVAX_STORE_DEFAULT) }

// No data set of this family has a handler in this build; the reader skips them.
bool ReadDataSetF50(int, FILE*) { return false; }
