// Handlers of the data sets F 150 to F 199.
#include "run/control_reader.h"
#include "run/globals.h"

RIVAX_PARAMS_F150(RIVAX_DEFINE_PARAM)

void StoreDefaultsF150() { RIVAX_PARAMS_F150(RIVAX_STORE_DEFAULT) }

// No data set of this family has a handler in this build; the reader skips them.
bool ReadDataSetF150(int, FILE*) { return false; }
