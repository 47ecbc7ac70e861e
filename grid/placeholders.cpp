#include "grid/grid_services.h"
#include "run/placeholder.h"

int WriteKoosurfMpi() { ReportUnavailable("WriteKoosurfMpi"); return 0; }
int WriteUnstrucFile() { ReportUnavailable("WriteUnstrucFile"); return 0; }
void ComputeBedRoughness() { ReportUnavailable("ComputeBedRoughness"); }
int ReadUnstructure() { ReportUnavailable("ReadUnstructure"); return 0; }
void InterpolateGeodata() { ReportUnavailable("InterpolateGeodata"); }
void SetActiveCellRange() { ReportUnavailable("SetActiveCellRange"); }
int Unstructure() { ReportUnavailable("Unstructure"); return 0; }
