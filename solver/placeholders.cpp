#include "run/placeholder.h"
#include "solver/solver_services.h"
