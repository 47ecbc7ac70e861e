#include "grid/grid_services.h"
#include "run/placeholder.h"
#include "run/run_state.h"

void ComputeBedRoughness() { ReportUnavailable("ComputeBedRoughness"); }
bool GenerateLayeredColumns() { ReportUnavailable("GenerateLayeredColumns"); return true; }
bool GenerateFixedLevelColumns() { ReportUnavailable("GenerateFixedLevelColumns"); return true; }
bool GenerateSteppedSlopeColumns() { ReportUnavailable("GenerateSteppedSlopeColumns"); return true; }
bool BuildColumnsDirect() { ReportUnavailable("BuildColumnsDirect"); return true; }
void AppendRefinedBlock() { ReportUnavailable("AppendRefinedBlock"); }
void ConnectBlocks() { ReportUnavailable("ConnectBlocks"); }
void FitShoreline() { ReportUnavailable("FitShoreline"); }
void AdjustShorelineCells() { ReportUnavailable("AdjustShorelineCells"); }
void AppendColumnLayerBlock(int) { ReportUnavailable("AppendColumnLayerBlock"); }
void AppendColumnLayerBlockAlt(int) { ReportUnavailable("AppendColumnLayerBlockAlt"); }
