#include "run/export_tool.h"

#include <cstdarg>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <new>
#include <string>
#include <system_error>

#include <unistd.h>

#include "output/output_services.h"
#include "run/fatal.h"
#include "run/globals.h"
#include "run/output_file.h"
#include "run/run_driver.h"
#include "run/status.h"

namespace {

namespace fs = std::filesystem;

constexpr int kUsageStatus = 2;
constexpr char kCaseDirectory[] = "openfoam";

// OpenFOAM opens no case without these three dictionaries; they hold only
// what the mesh tools read, and a user's own are kept.
const struct {
    const char* name;
    const char* body;  // after the FoamFile header
} kCaseDictionaries[] = {
    {"controlDict", "application     interFoam;\nstartFrom       startTime;\nstartTime       0;\n"
                    "stopAt          endTime;\nendTime         1;\ndeltaT          0.001;\n"
                    "writeControl    timeStep;\nwriteInterval   100;\n"},
    {"fvSchemes", "ddtSchemes { default Euler; }\ngradSchemes { default Gauss linear; }\n"
                  "divSchemes { default none; }\nlaplacianSchemes { default Gauss linear corrected; }\n"
                  "interpolationSchemes { default linear; }\nsnGradSchemes { default corrected; }\n"},
    {"fvSolution", ""},
};

void WriteDictionary(FILE* fp, const char* name, const char* body) {
    std::fprintf(fp, "FoamFile\n{\n    version     2.0;\n    format      ascii;\n    class       dictionary;\n"
                     "    object      %s;\n}\n\n%s", name, body);
}

// After the engine's own status line, which may still be open.
void Report(FILE* to, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
void Report(FILE* to, const char* fmt, ...) {
    StatusFlush();
    va_list ap;
    va_start(ap, fmt);
    std::vfprintf(to, fmt, ap);
    va_end(ap);
}

int Usage() {
    std::fprintf(stderr,
                 "usage: rivax-export openfoam DIR   the grid of the project in DIR as the OpenFOAM case DIR/%s\n"
                 "       rivax-export stl DIR        the outline DIR/weir,txt as the surface DIR/weir.stl\n",
                 kCaseDirectory);
    return kUsageStatus;
}

// The short text of a failure, which the engine puts in its status text.
int Failed(int status) {
    Report(stderr, "rivax-export: %s (status %d; see 'boogie')\n", StatusText, status);
    // No engine failure may pass for a written export.
    return status == 0 ? 1 : status;
}

bool MakeDirectory(const fs::path& dir) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (!fs::is_directory(dir)) {
        Report(stderr, "rivax-export: cannot create the directory '%s'\n", dir.c_str());
        return false;
    }
    return true;
}

int ExportOpenFoam(const std::string& dir) {
    ClearRunState();
    ReadProjectGrid();
    if (NoCells < 1) {
        Report(stderr, "rivax-export: the project in '%s' has no cells: its F 2 data set must name letter U "
                             "(read unstruc) or Y (generate the grid)\n", dir.c_str());
        return 1;
    }
    const fs::path root = kCaseDirectory;
    if (!MakeDirectory(root / "system") || !MakeDirectory(root / "0")) return 1;
    WriteOpenFoamCaseIn(kCaseDirectory);
    for (const auto& d : kCaseDictionaries) {
        const fs::path path = root / "system" / d.name;
        if (fs::exists(path)) continue;
        if (!WriteOutputFile(path.string(), [&d](FILE* fp) { WriteDictionary(fp, d.name, d.body); })) {
            Report(stderr, "rivax-export: cannot write '%s'\n", path.c_str());
            return 1;
        }
    }
    Report(stdout, "rivax-export: %d cells of '%s' written as the OpenFOAM case '%s/%s'\n", NoCells, dir.c_str(),
                dir.c_str(), kCaseDirectory);
    return 0;
}

int ExportStl(const std::string& dir) {
    ClearRunState();
    if (WriteWeirStl() != 0) {
        Report(stderr, "rivax-export: cannot open file 'weir,txt' in '%s'\n", dir.c_str());
        return 1;
    }
    Report(stdout, "rivax-export: '%s/weir,txt' written as '%s/weir.stl'\n", dir.c_str(), dir.c_str());
    return 0;
}

}  // namespace

int RunExportTool(int argc, const char* const* argv) {
    if (argc != 2) return Usage();
    const std::string what = argv[0], dir = argv[1];
    if (what != "openfoam" && what != "stl") return Usage();
    // The project's files are named relative to its directory, as for the engine.
    if (chdir(dir.c_str()) != 0) {
        Report(stderr, "rivax-export: cannot enter the project directory '%s'\n", dir.c_str());
        return 1;
    }
    int status = 0;
    try {
        status = what == "openfoam" ? ExportOpenFoam(dir) : ExportStl(dir);
    } catch (const RunExit& e) {
        status = Failed(e.status);
    } catch (const std::bad_alloc&) {
        Report(stderr, "rivax-export: out of memory\n");
        status = -3;
    } catch (const std::exception& e) {
        Report(stderr, "rivax-export: %s\n", e.what());
        status = -1;
    }
    StatusFlush();
    return status;
}
