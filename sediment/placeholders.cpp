#include "run/placeholder.h"
#include "sediment/sediment_services.h"

// Nothing is written, so the caller reports the file as not written.
int WriteCon2resFile() { ReportUnavailable("WriteCon2resFile"); return -1; }
void UpdateBedLayersTsc3() { ReportUnavailable("UpdateBedLayersTsc3"); }
void UpdateBedLayersMultiLayer(double) { ReportUnavailable("UpdateBedLayersMultiLayer"); }
void StartSedimentContinuity() { ReportUnavailable("StartSedimentContinuity"); }
void ComputeBedMassStart() { ReportUnavailable("ComputeBedMassStart"); }
void UpdateGroupDischargesAndOutflow() { ReportUnavailable("UpdateGroupDischargesAndOutflow"); }
void UpdateSedimentContinuity() { ReportUnavailable("UpdateSedimentContinuity"); }
void WriteSedimentContinuityStep() { ReportUnavailable("WriteSedimentContinuityStep"); }
void WriteSedimentContinuitySummary() { ReportUnavailable("WriteSedimentContinuitySummary"); }
