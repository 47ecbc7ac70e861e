#include "grid/grid_services.h"
#include "run/placeholder.h"

int WriteKoosurfMpi() { ReportUnavailable("WriteKoosurfMpi"); return 0; }
void ComputeBedRoughness() { ReportUnavailable("ComputeBedRoughness"); }
int SetUpAfterReadingGrid() { ReportUnavailable("SetUpAfterReadingGrid"); return 0; }
int WriteGridCompanionFiles() { ReportUnavailable("WriteGridCompanionFiles"); return 0; }
void InterpolateGeodata() { ReportUnavailable("InterpolateGeodata"); }
void SetActiveCellRange() { ReportUnavailable("SetActiveCellRange"); }
int Unstructure() { ReportUnavailable("Unstructure"); return 0; }
