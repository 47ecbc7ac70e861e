// Free surface, moving grid and groundwater operations used elsewhere.
#pragma once

int ComputeGroundwater();
// Numbers the water columns on the first call, then rebuilds each column's
// bottom cell, cell count, depth and the cell-to-column table from the cells,
// and finds the discharge-group surfaces again.
void UpdateWaterColumnsAfterRegrid();
void ComputeColumnConnections();
void InterpolateToNewGrid();
// Searches every group that has points and a discharge (in parallel with
// F 206) and clears `GridRegeneratedFlag`.
void FindDischargeGroupsParallel();
// Rebuilds the surface list and area of group 1..9 from its locating points.
void FindDischargeGroupSurfaces(int group);
// The free-surface update of F 36 = 1 and 11 to 19 for block `block`;
// mode 0 is the water drivers' call.
int surface_tfs(int mode, int block);
// The free-surface update of F 36 with the reference cell of G 6.
void surface();
// The grid update of F 36 = 50 after its level update.
void UpdateFreeSurfaceOption50();
