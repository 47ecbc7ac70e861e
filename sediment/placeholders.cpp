#include "run/placeholder.h"
#include "sediment/sediment_services.h"

int WriteCon2resFile() { ReportUnavailable("WriteCon2resFile"); return 0; }
void concRijn() { ReportUnavailable("concRijn"); }
void ComputeElasticStresses() { ReportUnavailable("ComputeElasticStresses"); }
void ComputeSandSlide() { ReportUnavailable("ComputeSandSlide"); }
int morphology_tsc() { ReportUnavailable("morphology_tsc"); return 0; }
void ComputeSlideCoefficients() { ReportUnavailable("ComputeSlideCoefficients"); }
void ComputeBedChange() { ReportUnavailable("ComputeBedChange"); }
void ComputeBedChangeRegrid1() { ReportUnavailable("ComputeBedChangeRegrid1"); }
void ComputeBedChangeRegrid3() { ReportUnavailable("ComputeBedChangeRegrid3"); }
