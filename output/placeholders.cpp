#include "output/output_services.h"
#include "run/placeholder.h"

int ReadCon2resFiles() { ReportUnavailable("ReadCon2resFiles"); return 0; }
void readres() { ReportUnavailable("readres"); }
void WriteFracresFile(int) { ReportUnavailable("WriteFracresFile"); }
