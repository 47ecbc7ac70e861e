#include "grid/grid_services.h"
#include "run/placeholder.h"
#include "run/run_state.h"

void ComputeBedRoughness() { ReportUnavailable("ComputeBedRoughness"); }
void AppendRefinedBlock() { ReportUnavailable("AppendRefinedBlock"); }
void ConnectBlocks() { ReportUnavailable("ConnectBlocks"); }
void FitShoreline() { ReportUnavailable("FitShoreline"); }
void AdjustShorelineCells() { ReportUnavailable("AdjustShorelineCells"); }
void AppendColumnLayerBlock(int) { ReportUnavailable("AppendColumnLayerBlock"); }
void AppendColumnLayerBlockAlt(int) { ReportUnavailable("AppendColumnLayerBlockAlt"); }
void AddDepthAveragedBlock() { ReportUnavailable("AddDepthAveragedBlock"); }
void AddDepthAveragedBlockAlt() { ReportUnavailable("AddDepthAveragedBlockAlt"); }
