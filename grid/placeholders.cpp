#include "grid/grid_services.h"
#include "run/placeholder.h"
#include "run/run_state.h"

int WriteKoosurfMpi() { ReportUnavailable("WriteKoosurfMpi"); return 0; }
void ComputeBedRoughness() { ReportUnavailable("ComputeBedRoughness"); }
// Until the whole set-up is built, the metric at least follows every read of
// a grid that holds its cells.
int SetUpAfterReadingGrid() {
    ReportUnavailable("SetUpAfterReadingGrid");
    if (ReadUnstrucVersion != 4) metric();
    return 0;
}
int WriteGridCompanionFiles() { ReportUnavailable("WriteGridCompanionFiles"); return 0; }
void InterpolateGeodata() { ReportUnavailable("InterpolateGeodata"); }
int Unstructure() { ReportUnavailable("Unstructure"); return 0; }
