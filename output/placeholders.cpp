#include "output/output_services.h"
#include "run/placeholder.h"

int ReadCon2resFiles() { ReportUnavailable("ReadCon2resFiles"); return 0; }
void readres() { ReportUnavailable("readres"); }
void WriteFracresFile(int) { ReportUnavailable("WriteFracresFile"); }
void WriteTecplot2D(int, int) { ReportUnavailable("WriteTecplot2D"); }
void WriteTecplot3D(int) { ReportUnavailable("WriteTecplot3D"); }
void WriteParaView3U(int) { ReportUnavailable("WriteParaView3U"); }
void WriteParaView2D(int, int) { ReportUnavailable("WriteParaView2D"); }
void WriteInterpolatedResults(int) { ReportUnavailable("WriteInterpolatedResults"); }
void WriteProbeFile() { ReportUnavailable("WriteProbeFile"); }
void WriteBedPointFile() { ReportUnavailable("WriteBedPointFile"); }
void WriteBoundaryEdgeFile() { ReportUnavailable("WriteBoundaryEdgeFile"); }
bool WriteHabitatTable() { ReportUnavailable("WriteHabitatTable"); return true; }
