#include "flow/flow_services.h"
#include "run/placeholder.h"

void SetLayerBlockViscosity(int, int) { ReportUnavailable("SetLayerBlockViscosity"); }
void AddBedViscosity(int, int) { ReportUnavailable("AddBedViscosity"); }
void AddSlopingPressureGradientForce(int, int) { ReportUnavailable("AddSlopingPressureGradientForce"); }
void AddSurfaceSlopeGravity(int, int, int) { ReportUnavailable("AddSurfaceSlopeGravity"); }
void AddWindStress(int) { ReportUnavailable("AddWindStress"); }
void AddCoriolisForce() { ReportUnavailable("AddCoriolisForce"); }
void AddDensityPressureSources(int) { ReportUnavailable("AddDensityPressureSources"); }
void AddStepLossTerms() { ReportUnavailable("AddStepLossTerms"); }
void ApplyVelocityBlocking() { ReportUnavailable("ApplyVelocityBlocking"); }
