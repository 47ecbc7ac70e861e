#include "drivers/flow_drivers.h"
#include "run/placeholder.h"
