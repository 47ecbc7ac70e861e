#include "grid/unstruc_format.h"

#include "run/globals.h"

std::string UnstrucFileName(bool forReading) {
    const bool partition = MpiPart != 0 && !(forReading && PartitionRunFlag == 1);
    return partition ? "unstruc.mpi" + std::to_string(MpiPart) : "unstruc";
}

std::array<Array1<int>*, kUnstrucCellInts> UnstrucCellLine() {
    return {&Cpoint1, &Cpoint2, &Cpoint3, &Cpoint4, &Cpoint5, &Cpoint6, &Cpoint7, &Cpoint8, &Csurfs, &Csurfe,
            &Csurfn,  &Csurfw,  &Csurfb,  &Csurft,  &Ccells,  &Ccelle,  &Ccelln,  &Ccellw,  &Ccellb, &Ccellt};
}

std::array<Array1<int>*, kUnstrucSurfaceInts> UnstrucSurfaceLine() {
    return {&Fpoint1, &Fpoint2, &Fpoint3, &Fpoint4, &Fcell1, &Fcell2};
}
