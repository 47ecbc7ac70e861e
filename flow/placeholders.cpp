#include "flow/flow_services.h"
#include "run/placeholder.h"

void ApplyFaceWallLaws(int, int) { ReportUnavailable("ApplyFaceWallLaws"); }
void ApplySmoothWallLaws(int, int) { ReportUnavailable("ApplySmoothWallLaws"); }
void SetLayerBlockViscosity(int, int) { ReportUnavailable("SetLayerBlockViscosity"); }
void AddBedViscosity(int, int) { ReportUnavailable("AddBedViscosity"); }
void AddSlopingPressureGradientForce(int, int) { ReportUnavailable("AddSlopingPressureGradientForce"); }
void CheckFlowDirection(int, int, int) { ReportUnavailable("CheckFlowDirection"); }
void AddSurfaceSlopeGravity(int, int, int) { ReportUnavailable("AddSurfaceSlopeGravity"); }
void AddWindStress(int) { ReportUnavailable("AddWindStress"); }
void AddCoriolisForce() { ReportUnavailable("AddCoriolisForce"); }
void AddDensityPressureSources(int) { ReportUnavailable("AddDensityPressureSources"); }
void RelaxTrekantFluxes(int, int) { ReportUnavailable("RelaxTrekantFluxes"); }
void AddBlockInterfaceSources() { ReportUnavailable("AddBlockInterfaceSources"); }
void LimitBoundarySlopes() { ReportUnavailable("LimitBoundarySlopes"); }
void ComputeColumnVerticalFluxes() { ReportUnavailable("ComputeColumnVerticalFluxes"); }
void AverageSupercriticalColumns() { ReportUnavailable("AverageSupercriticalColumns"); }
void ApplyVelocityBlocking() { ReportUnavailable("ApplyVelocityBlocking"); }
