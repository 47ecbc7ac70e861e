// Handlers of the data sets W.
#include "run/control_reader.h"
#include "run/globals.h"

RIVAX_PARAMS_W(RIVAX_DEFINE_PARAM)

void StoreDefaultsW() { RIVAX_PARAMS_W(RIVAX_STORE_DEFAULT) }

// No data set of this family has a handler in this build; the reader skips them.
bool ReadDataSetW(int, FILE*) { return false; }
