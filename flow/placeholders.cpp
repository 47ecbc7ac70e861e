#include "flow/flow_services.h"
#include "run/placeholder.h"

void ComputeSplitFaceCoefficients() { ReportUnavailable("ComputeSplitFaceCoefficients"); }
void SetLayerBlockViscosity(int, int) { ReportUnavailable("SetLayerBlockViscosity"); }
void AddBedViscosity(int, int) { ReportUnavailable("AddBedViscosity"); }
void AddSlopingPressureGradientForce(int, int) { ReportUnavailable("AddSlopingPressureGradientForce"); }
void AddSurfaceSlopeGravity(int, int, int) { ReportUnavailable("AddSurfaceSlopeGravity"); }
void AddWindStress(int) { ReportUnavailable("AddWindStress"); }
void AddCoriolisForce() { ReportUnavailable("AddCoriolisForce"); }
void AddDensityPressureSources(int) { ReportUnavailable("AddDensityPressureSources"); }
void AddTvdCorrection(int, int) { ReportUnavailable("AddTvdCorrection"); }
void AddStepLossTerms() { ReportUnavailable("AddStepLossTerms"); }
void ComputeSecondOrderCoefficients(int, int) { ReportUnavailable("ComputeSecondOrderCoefficients"); }
void ApplyVelocityBlocking() { ReportUnavailable("ApplyVelocityBlocking"); }
