// Free surface, moving grid and groundwater operations used elsewhere.
#pragma once

int ComputeGroundwater();
void UpdateWaterColumnsAfterRegrid();
void FindDischargeGroupSurfaces(int group);
int surface_tfs();
