#include "output/output_names.h"

#include "run/fatal.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/output_file.h"

bool NumberedOutputOn() { return ResultInterval != 0 || ResultStartIteration != 0; }

std::string NextNumberedName(const std::string& prefix, int width, const std::string& suffix, int maxNumber) {
    std::string name = FirstFreeNumberedName(prefix, width, suffix, maxNumber);
    if (!name.empty()) return name;
    name = NumberedName(prefix, maxNumber, width, suffix);
    LogAppend("Warning: every number up to %d is taken; writing over '%s'\n", maxNumber, name.c_str());
    return name;
}

std::string PartitionName(const std::string& base) {
    return MpiPart != 0 ? base + ".mpi" + std::to_string(MpiPart) : base;
}

void FailOutputFile(const std::string& name, const std::string& shown) {
    LogAppend("Error: can not write the file '%s'\n", name.c_str());
    SetStatusText("cannot open file '%s' ", shown.c_str());
    EndRun(-3);
}
