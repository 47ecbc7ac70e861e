// Sediment transport and morphology operations used elsewhere.
#pragma once

int WriteCon2resFile();
void concRijn();
void ComputeElasticStresses();
void ComputeSandSlide();
int morphology_tsc();
void ComputeSlideCoefficients();
void ComputeBedChange();
void ComputeBedChangeRegrid1();
void ComputeBedChangeRegrid3();
