#include "flow/flow_services.h"
#include "run/placeholder.h"

void ComputeSplitFaceCoefficients() { ReportUnavailable("ComputeSplitFaceCoefficients"); }
void AddPressureGradientForce(int, int) { ReportUnavailable("AddPressureGradientForce"); }
void ApplySimpleCorrections(int, int, int, int, int) { ReportUnavailable("ApplySimpleCorrections"); }
void ApplyFaceWallLaws(int, int) { ReportUnavailable("ApplyFaceWallLaws"); }
void ApplySmoothWallLaws(int, int) { ReportUnavailable("ApplySmoothWallLaws"); }
void SetLayerBlockViscosity(int, int) { ReportUnavailable("SetLayerBlockViscosity"); }
void AddBedViscosity(int, int) { ReportUnavailable("AddBedViscosity"); }
