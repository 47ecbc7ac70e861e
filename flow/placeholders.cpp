#include "flow/flow_services.h"
#include "run/placeholder.h"

void ComputeSplitFaceCoefficients() { ReportUnavailable("ComputeSplitFaceCoefficients"); }
void ApplyFaceWallLaws(int, int) { ReportUnavailable("ApplyFaceWallLaws"); }
void ApplySmoothWallLaws(int, int) { ReportUnavailable("ApplySmoothWallLaws"); }
void SetLayerBlockViscosity(int, int) { ReportUnavailable("SetLayerBlockViscosity"); }
void AddBedViscosity(int, int) { ReportUnavailable("AddBedViscosity"); }
void AddSlopingPressureGradientForce(int, int) { ReportUnavailable("AddSlopingPressureGradientForce"); }
void CheckFlowDirection(int, int, int) { ReportUnavailable("CheckFlowDirection"); }
