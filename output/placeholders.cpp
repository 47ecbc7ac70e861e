#include "output/output_services.h"
#include "run/placeholder.h"

int ReadCon2resFiles() { ReportUnavailable("ReadCon2resFiles"); return 0; }
void WriteFracresFile(int) { ReportUnavailable("WriteFracresFile"); }
