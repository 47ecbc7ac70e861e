#include "flow/flow_services.h"
#include "run/placeholder.h"

void InitialiseFlowRun() { ReportUnavailable("InitialiseFlowRun"); }
void ComputeSplitFaceCoefficients() { ReportUnavailable("ComputeSplitFaceCoefficients"); }
void SetInflowBoundaryConditions() { ReportUnavailable("SetInflowBoundaryConditions"); }
void ComputeEddyViscosity(int, int) { ReportUnavailable("ComputeEddyViscosity"); }
void AddTurbulenceSources(int, int) { ReportUnavailable("AddTurbulenceSources"); }
void ApplyWallLaws(int, int) { ReportUnavailable("ApplyWallLaws"); }
void AddTransientTerms(int, int) { ReportUnavailable("AddTransientTerms"); }
void AddPressureGradientForce(int, int) { ReportUnavailable("AddPressureGradientForce"); }
void ApplySimpleCorrections(int, int, int, int, int) { ReportUnavailable("ApplySimpleCorrections"); }
