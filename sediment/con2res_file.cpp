// The concentration file `con2res`: the suspended-sediment concentrations of
// every cell, total and per size, from which letter O restarts.
#include <algorithm>
#include <cstdio>
#include <string>

#include "output/output_names.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/output_file.h"
#include "run/status.h"
#include "sediment/sediment_services.h"

namespace {

// Numbered names take three digits at least and run up to this number.
constexpr int kLastCon2resNumber = 999999;

std::string Con2resName() {
    const std::string base = PartitionName("con2res");
    if (CompresInterval == 0) return base + ".new";
    return NextNumberedName(base + ".", 3, "", kLastCon2resNumber);
}

int StoredCells() { return conc.exists() ? std::min(NoCells, static_cast<int>(conc.extent2()) - 1) : 0; }
int StoredSizes() { return conc.exists() ? std::min(NoSizes, static_cast<int>(conc.extent1()) - 1) : -1; }

void SumSizes() {
    for (int c = 1; c <= StoredCells(); ++c) {
        double sum = 0.0;
        for (int s = 1; s <= StoredSizes(); ++s) sum += conc[s][c];
        conc[0][c] = sum;
    }
}

void WriteConcentrations(FILE* fp) {
    std::fprintf(fp, "%d %d\n", NoCells, NoSizes);
    const int cells = StoredCells();
    const int sizes = StoredSizes();
    for (int c = 1; c <= NoCells; ++c) {
        // Cells or sizes the concentration array does not hold have none.
        for (int s = 0; s <= NoSizes; ++s) std::fprintf(fp, "%e ", c <= cells && s <= sizes ? conc[s][c] : 0.0);
        std::fputc('\n', fp);
    }
}

}  // namespace

int WriteCon2resFile() {
    const std::string name = Con2resName();
    SumSizes();
    if (!WriteOutputFile(name, WriteConcentrations)) {
        LogAppend("Error: can not write the file '%s'\n", name.c_str());
        SetStatusText("cannot open file '%s' ", name.c_str());
        return 1;
    }
    SetStatusText("have written 'con2res' file ");
    return 0;
}
