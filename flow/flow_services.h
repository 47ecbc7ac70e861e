// Operations of the flow equations that other parts of the engine call.
#pragma once

// Prepares a flow computation: group discharges, inflow turbulence,
// relaxation factors and start values of the flow fields.
void InitialiseFlowRun();
