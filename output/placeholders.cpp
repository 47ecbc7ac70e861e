#include "output/output_services.h"
#include "run/placeholder.h"

int ReadCon2resFiles() { ReportUnavailable("ReadCon2resFiles"); return 0; }
void WriteFracresFile(int) { ReportUnavailable("WriteFracresFile"); }
void WriteInterpolatedResults(int) { ReportUnavailable("WriteInterpolatedResults"); }
void WriteProbeFile() { ReportUnavailable("WriteProbeFile"); }
void WriteBedPointFile() { ReportUnavailable("WriteBedPointFile"); }
void WriteBoundaryEdgeFile() { ReportUnavailable("WriteBoundaryEdgeFile"); }
bool WriteHabitatTable() { ReportUnavailable("WriteHabitatTable"); return true; }
