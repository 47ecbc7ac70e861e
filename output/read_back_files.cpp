// Letter O: the water-quality components, the suspended-sediment
// concentrations and the bed fractions read back from the files a former run
// wrote, so that a run can go on from them.
#include <algorithm>
#include <cstdio>
#include <string>

#include "output/fracres_file.h"
#include "output/output_names.h"
#include "output/output_services.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/status.h"
#include "run/text_input.h"

namespace {

// Reads rows 1..NoCells of `rows` values each, row by row, until a value
// cannot be read; `store(row, cell, value)`. True when every value was read.
template <class Store>
bool ReadCellRows(FILE* fp, int rows, Store store) {
    for (int c = 1; c <= NoCells; ++c) {
        for (int k = 0; k < rows; ++k) {
            double value = 0.0;
            if (!ReadFiniteReal(fp, &value)) return false;
            store(k, c, value);
        }
    }
    return true;
}

// A file that stops early or holds something that is not a number would
// leave part of the field at its start values: the run cannot go on from it.
[[noreturn]] void RefuseReadBack(const std::string& name, int rows) {
    SetStatusText("Error reading '%s' file ", name.c_str());
    FailWithLog(kReadBackRefusedStatus,
                "Error reading '%s' file: it stops before the %d values of each of the %d cells, or holds something "
                "that is not a number\n",
                name.c_str(), rows, NoCells);
}

bool Holds(const Array2<double>& a, int row, int cell) {
    return a.exists() && static_cast<size_t>(row) < a.extent1() && static_cast<size_t>(cell) < a.extent2();
}

void ReadComponents() {
    InputFile in("compres");
    if (!in) {
        SetStatusText("could not open 'compres' file ");
        return;
    }
    const bool whole = ReadCellRows(in.get(), NoComponents, [](int k, int c, double value) {
        if (Holds(Components, k, c)) Components[k][c] = value;
    });
    if (!whole) RefuseReadBack("compres", NoComponents);
    SetStatusText("have read 'compres' file ");
}

void ReadConcentrations() {
    const std::string name = PartitionName("con2res");
    InputFile in(name.c_str());
    if (!in) {
        SetStatusText("have not used file '%s' ", name.c_str());
        return;
    }
    int cells = 0;
    int sizes = 0;
    const bool counted = std::fscanf(in.get(), "%d %d", &cells, &sizes) == 2;
    if (!counted || cells != NoCells || sizes != NoSizes) {
        LogAppend("Error reading %s file\n", name.c_str());
        LogAppend("con2res: No. cells = %d, no. sizes = %d\n", cells, sizes);
        FailWithLog(-1, "Unstruc/control file: No. cells = %d, no. sizes = %d\n", NoCells, NoSizes);
    }
    const bool whole = ReadCellRows(in.get(), NoSizes + 1, [](int s, int c, double value) {
        if (Holds(conc, s, c)) conc[s][c] = value;
        if (Holds(conc_old, s, c)) conc_old[s][c] = value;
    });
    if (!whole) RefuseReadBack(name, NoSizes + 1);
    SetStatusText("have read '%s' file ", name.c_str());
}

}  // namespace

int ReadCon2resFiles() {
    if (NoComponents != 0) ReadComponents();
    if (FlagTSC >= 1) ReadConcentrations();
    if (SkipFracresFlag > 0) return 0;
    const int fracres = ReadFracresFile();
    if (fracres == kFracresOutsideGrid) EndRun(kReadBackRefusedStatus);  // the reader named the line
    return fracres;
}
