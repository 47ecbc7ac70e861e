// The component file `compres`: every component of every cell, one line per
// cell, the restart of the components for letter O. The reader takes the
// cell and component counts from its own run, so nothing else is stored.
#include <cstdio>
#include <string>

#include "output/output_names.h"
#include "quality/quality_data.h"
#include "quality/quality_services.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/output_file.h"
#include "run/status.h"

namespace {

constexpr const char* kCompresName = "compres";
constexpr int kCompresDigits = 3;

bool ComponentsHeld() {
    return Components.exists() && Components.extent1() >= static_cast<size_t>(NoComponents) &&
           Components.extent2() > static_cast<size_t>(NoCells);
}

void WriteComponentLines(FILE* fp) {
    for (int c = 1; c <= NoCells; ++c) {
        for (int k = 0; k < NoComponents; ++k) std::fprintf(fp, "%e ", Components[k][c]);
        std::fputc('\n', fp);
    }
}

}  // namespace

int WriteCompresFile() {
    if (NoComponents <= 0) {
        LogAppend("No water-quality components (F 50), so 'compres' is not written\n");
        return -1;
    }
    // With P 9 every write keeps the earlier ones: the first free number.
    const std::string name =
        CompresInterval != 0 ? NextNumberedName(std::string(kCompresName) + ".", kCompresDigits) : kCompresName;
    const bool held = NoCells <= 0 || ComponentsHeld();
    if (!held || !WriteOutputFile(name, WriteComponentLines)) {
        LogAppend("Error: cannot write the file '%s'\n", name.c_str());
        SetStatusText("cannot open file '%s' ", kCompresName);
        EndRun(kOutputUnwritableStatus);
    }
    SetStatusText("have written '%s' file ", kCompresName);
    return 0;
}
