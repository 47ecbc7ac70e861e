// Handlers of the data sets F 200 to F 249.
#include "run/control_reader.h"
#include "run/globals.h"

RIVAX_PARAMS_F200(RIVAX_DEFINE_PARAM)

void StoreDefaultsF200() { RIVAX_PARAMS_F200(RIVAX_STORE_DEFAULT) }

// No data set of this family has a handler in this build; the reader skips them.
bool ReadDataSetF200(int, FILE*) { return false; }
