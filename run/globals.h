// Every global of the engine, subsystem by subsystem.
#pragma once

#include "drivers/drivers_data.h"
#include "flow/flow_data.h"
#include "grid/grid_data.h"
#include "output/output_data.h"
#include "quality/quality_data.h"
#include "run/arrays.h"
#include "run/boundary_profiles.h"
#include "run/inspace_data.h"
#include "run/params_f1.h"
#include "run/params_f50.h"
#include "run/params_f100.h"
#include "run/params_f150.h"
#include "run/params_f200.h"
#include "run/params_f250.h"
#include "run/params_f300.h"
#include "run/params_g.h"
#include "run/params_k.h"
#include "run/params_letters.h"
#include "run/params_q.h"
#include "run/params_w.h"
#include "run/run_state.h"
#include "run/status.h"
#include "run/timei_data.h"
#include "run/vegdata_data.h"
#include "sediment/sediment_data.h"
#include "solver/solver_data.h"
#include "surface/surface_data.h"

// Returns every array to "not allocated" and every scalar to its start
// value, so one process can run the engine more than once.
void ResetGlobals();
