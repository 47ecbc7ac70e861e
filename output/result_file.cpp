// The result file: the flow field per cell and the mass flux per surface, as
// text (`result`) or as raw doubles (`resultb`, F 48 = 15).
#include <cstdio>
#include <string>

#include "output/output_names.h"
#include "output/output_services.h"
#include "output/result_format.h"
#include "run/globals.h"
#include "run/log.h"
#include "run/output_file.h"

namespace {

constexpr int kDebugResultFile = 2;

bool BinaryForm() { return OutputSelector == kBinaryResultSelector; }

// A computation that diverged or failed must not replace the `result` a
// restart reads (it may be the one it started from): its fields go beside it.
// Numbered names are new files and stay as they are.
std::string DivergedName(const std::string& restartName) {
    const std::string name = restartName + ".diverged";
    LogAppend("The flow computation failed: its fields are written to '%s', '%s' is kept\n", name.c_str(),
              restartName.c_str());
    return name;
}

std::string ResultFileName() {
    if (DebugFilesOption == kDebugResultFile) return "result.csh";
    if (NumberedOutputOn()) return NextNumberedName(PartitionName("result") + ".", 4);
    const std::string name = BinaryForm() ? "resultb" : PartitionName("result");
    return FlowFailedFlag == 1 ? DivergedName(name) : name;
}

void WriteText(FILE* fp) {
    std::fprintf(fp, "%s %lf seconds\n", Title, stime);
    std::fprintf(fp, "Results, iter = %d\n", Iter);
    std::fprintf(fp, "Residuals: %lf %lf %lf %lf %lf %lf\n", MaxResidual[1], MaxResidual[2], MaxResidual[3],
                 MaxResidual[4], MaxResidual[5], MaxResidual[6]);
    std::fprintf(fp, "Roughness : %lf\n", WallRoughness);
    std::fprintf(fp, "U %d %d %d %d %d %d\n", NoPoints, FileNoCells, FileNoSurfaces, FileNoBlocks, FileNoEdges,
                 FileNoEdgePairs);
    std::fprintf(fp, " i     u     v     w     k    e     p\n");
    for (int n = 1; n <= FileNoCells; ++n) {
        std::fprintf(fp, "C %d %14.8e %14.8e %14.8e", n, Cu[n], Cv[n], Cw[n]);
        std::fprintf(fp, " %14.8e %14.8e %14.8e\n", Ck[n], Cepsilon[n], Pres[n]);
    }
    for (int n = 1; n <= FileNoSurfaces; ++n) std::fprintf(fp, "F %d %14.8e\n", n, Fflux[n]);
}

// Each array whole from its slot 0, so that a reader can take them back as
// they lie in memory.
void WriteBinary(FILE* fp) {
    const size_t cells = static_cast<size_t>(NoCells) + 1;
    for (const Array1<double>* a : ResultCellArrays()) {
        std::fwrite(a->data(), sizeof(double), cells, fp);
    }
    std::fwrite(Fflux.data(), sizeof(double), static_cast<size_t>(NoSurfaces) + 1, fp);
}

}  // namespace

void WriteResultFile(int) {
    const std::string name = ResultFileName();
    const bool binary = BinaryForm();
    // The debugging and binary names are reported under the text file's name.
    const std::string shown = DebugFilesOption == kDebugResultFile || (binary && !NumberedOutputOn()) ? "result" : name;
    const bool fits = binary ? ResultListsFitArrays(NoCells, NoSurfaces) : ResultListsFitArrays(FileNoCells, FileNoSurfaces);
    if (!fits) {
        LogAppend("Error: the grid counts exceed the allocated arrays\n");
        FailOutputFile(name, shown);
    }
    if (!WriteOutputFile(name, binary ? WriteBinary : WriteText)) FailOutputFile(name, shown);
}
