// Groundwater levels in the soil block and the bank failure they drive.
#pragma once

// The soil block: the last block (from 2 on) flagged as a column-layer
// block; 0 when there is none.
int FindGroundwaterBlock();

// The level equation of the soil columns for the present time step: levels
// held at the water level under wet columns, capped at the ground under dry
// ones. Without a soil block the run ends with status -8.
void SetupGroundwater2DCoefficients();

// The banks of the wet area that fail move bed level from their high
// corners to their low ones (F 266 first value 1); groundwater first when
// F 262 is set. The caller regenerates the grid.
void ComputeSeepageBankErosion();

// Forgets the start values, the `wlinit` state and the soil block.
void ResetGroundwaterState();
