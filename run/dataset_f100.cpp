// Handlers of the data sets F 100 to F 149.
#include "run/control_reader.h"
#include "run/globals.h"

RIVAX_PARAMS_F100(RIVAX_DEFINE_PARAM)

void StoreDefaultsF100() { RIVAX_PARAMS_F100(RIVAX_STORE_DEFAULT) }

// No data set of this family has a handler in this build; the reader skips them.
bool ReadDataSetF100(int, FILE*) { return false; }
