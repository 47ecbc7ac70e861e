#include "grid/grid_services.h"
#include "run/placeholder.h"
#include "run/run_state.h"

void ComputeBedRoughness() { ReportUnavailable("ComputeBedRoughness"); }
void InterpolateGeodata() { ReportUnavailable("InterpolateGeodata"); }
int Unstructure() { ReportUnavailable("Unstructure"); return 0; }
int CompareEdges(double, double, double, double, double, double, double, double) {
  ReportUnavailable("CompareEdges");
  return 0;
}
int AddSurfaceEdge(int, int, int, int) {
  ReportUnavailable("AddSurfaceEdge");
  return 0;
}
void MarkWetPoints(int, int, int, int) { ReportUnavailable("MarkWetPoints"); }
void CleanWetColumns(int, int, int, int) { ReportUnavailable("CleanWetColumns"); }
